#include "softwareupdater.h"

#include "mainapp.h"
#include "pathtrust.h"
#include "prompt.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

const char *const SoftwareUpdater::DefaultPath = "updater";

namespace
{

SoftwareUpdater::Starter &starterOverride()
{
    static SoftwareUpdater::Starter starter;
    return starter;
}

bool startDetached(const QString &program, const QStringList &arguments,
                   const QString &workingDirectory)
{
    const SoftwareUpdater::Starter &starter = starterOverride();
    if (starter)
        return starter(program, arguments, workingDirectory);
    return QProcess::startDetached(program, arguments, workingDirectory);
}

QString projectName()
{
    return QString::fromLatin1(MainApp::ProjectName);
}

} // namespace

SoftwareUpdater::SoftwareUpdater(const QString &updaterPath, const QString &programDir)
    : m_path(updaterPath), m_programDir(programDir)
{
}

void SoftwareUpdater::setStarter(const Starter &starter)
{
    starterOverride() = starter;
}

// The file the path names: a relative path beside the program.
QString SoftwareUpdater::programFile() const
{
    return QDir(m_programDir).absoluteFilePath(m_path);
}

// Asks for the updater's path until a file exists there; false when the user cancelled or
// gave again a path just found missing (an answer that changes nothing ends the questions).
bool SoftwareUpdater::askForPath()
{
    while (!QFileInfo(programFile()).isFile()) {
        bool ok = false;
        const QString entered = Prompt::text(projectName(), QStringLiteral("Enter updater path:"),
                                             QString::fromLatin1(DefaultPath), &ok);
        if (!ok || entered == m_path)
            return false;
        m_path = entered;
    }
    return true;
}

bool SoftwareUpdater::start()
{
    const QString stored = m_path;
    QString refused;
    if (askForPath()) {
        // Named by its absolute path: a bare name would be looked up in PATH.
        const QString program = programFile();
        refused = PathTrust::check(program).text();
        if (refused.isEmpty() &&
            startDetached(program, {projectName(), QDir::currentPath()}, QDir::currentPath()))
            return true;
    }
    m_path = stored;
    const QString text =
        refused.isEmpty()
            ? QStringLiteral("Error starting updater. \n Updater is not installed!")
            : QStringLiteral("Updater not started: %1. Install it where only you or root can "
                             "change it.")
                  .arg(refused);
    Prompt::ask(Prompt::Warning, projectName(), text, Prompt::Ok);
    return false;
}
