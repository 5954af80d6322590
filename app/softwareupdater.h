#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Starts the outside updater program, detached, with the project name and the working
// directory as its two arguments. While no file exists at the updater's path it asks for
// another one.
class SoftwareUpdater
{
public:
    static const char *const DefaultPath; // default of the option "updater_path"

    // Starts program detached with the arguments in workingDirectory; true when it started.
    // Tests replace it.
    using Starter = std::function<bool(const QString &program, const QStringList &arguments,
                                       const QString &workingDirectory)>;

    explicit SoftwareUpdater(const QString &updaterPath);

    // Starts the updater; on failure warns "Error starting updater. \n Updater is not
    // installed!" in a box titled with the project name and returns false.
    bool start();
    // The path that started (to be kept as "updater_path").
    QString path() const { return m_path; }

    // Replaces QProcess::startDetached (tests); an empty starter restores it.
    static void setStarter(const Starter &starter);

private:
    bool askForPath();

    QString m_path;
};
