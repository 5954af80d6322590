#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Starts the outside updater program, detached, with the project name and the working
// directory as its two arguments. A relative path (the default "updater") names a file beside
// the program itself, never one of the working directory. While no file exists at the path it
// asks for another one; a file that another user owns or can change (PathTrust) is not started,
// and the one checked is the one started (CheckedProgram), never the path looked up again.
class SoftwareUpdater
{
public:
    static const char *const DefaultPath; // default of the option "updater_path"

    // Starts program detached with the arguments in workingDirectory; true when it started.
    // program names the checked file's descriptor (/proc/self/fd/N). Tests replace it.
    using Starter = std::function<bool(const QString &program, const QStringList &arguments,
                                       const QString &workingDirectory)>;

    // programDir: the folder of the program's executable.
    SoftwareUpdater(const QString &updaterPath, const QString &programDir);

    // Starts the updater; on failure warns "Error starting updater. \n Updater is not
    // installed!" (or why it was not started) in a box titled with the project name and returns
    // false.
    bool start();
    // The path that started (to be kept as "updater_path").
    QString path() const { return m_path; }

    // Replaces QProcess::startDetached (tests); an empty starter restores it.
    static void setStarter(const Starter &starter);

private:
    bool askForPath();
    QString programFile() const;

    QString m_path;
    QString m_programDir;
};
