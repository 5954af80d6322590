#include "softwareupdater.h"

#include "checkedprogram.h"
#include "mainapp.h"
#include "prompt.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <memory>

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

// The updater started last: the link that started it stays until the next start or the end.
std::unique_ptr<CheckedProgram> &lastStarted()
{
    static std::unique_ptr<CheckedProgram> program;
    return program;
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

// The updater is started from the file checked (CheckedProgram): one that another user can
// change, or that is gone by the time it is opened, starts nothing, and the box says why.
bool SoftwareUpdater::start()
{
    const QString stored = m_path;
    QString refused;
    bool foreign = false;
    if (askForPath()) {
        auto program = std::make_unique<CheckedProgram>(programFile());
        refused = program->error();
        foreign = program->refused();
        if (program->start([](const QString &opened) {
                return startDetached(opened, {projectName(), QDir::currentPath()},
                                     QDir::currentPath());
            })) {
            lastStarted() = std::move(program); // its link stays for the updater to open
            return true;
        }
    }
    m_path = stored;
    QString text = QStringLiteral("Error starting updater. \n Updater is not installed!");
    if (!refused.isEmpty())
        text = QStringLiteral("Updater not started: %1.").arg(refused);
    if (foreign)
        text += QStringLiteral(" Install it where only you or root can change it.");
    Prompt::ask(Prompt::Warning, projectName(), text, Prompt::Ok);
    return false;
}
