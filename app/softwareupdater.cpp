#include "softwareupdater.h"

#include "mainapp.h"
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

SoftwareUpdater::SoftwareUpdater(const QString &updaterPath) : m_path(updaterPath) {}

void SoftwareUpdater::setStarter(const Starter &starter)
{
    starterOverride() = starter;
}

// Asks for the updater's path until a file exists there; false when the user cancelled or
// gave again a path just found missing (an answer that changes nothing ends the questions).
bool SoftwareUpdater::askForPath()
{
    while (!QFileInfo(m_path).isFile()) {
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
    // The program is named by its absolute path: a bare name would be looked up in PATH.
    if (askForPath() && startDetached(QFileInfo(m_path).absoluteFilePath(),
                                      {projectName(), QDir::currentPath()}, QDir::currentPath()))
        return true;
    m_path = stored;
    Prompt::ask(Prompt::Warning, projectName(),
                QStringLiteral("Error starting updater. \n Updater is not installed!"), Prompt::Ok);
    return false;
}
