#include "programfiles.h"

#include "optionsfile.h"
#include "pathtrust.h"
#include "privatefile.h"
#include "windowstate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace
{

// The program's own folder within the user's configuration and state folders.
const QString FolderName = QStringLiteral("kvl52110");

} // namespace

// The data folder's path from the program's folder, as the build's install layout gives it.
#ifndef KVL_DATA_FROM_BIN
#define KVL_DATA_FROM_BIN "../share/kvl52110"
#endif

ProgramFiles::ProgramFiles(const Places &places) : m_places(places) {}

ProgramFiles ProgramFiles::ofThisProcess()
{
    return ProgramFiles({QCoreApplication::applicationDirPath(), QDir::currentPath(),
                         PathTrust::accountHome(), qEnvironmentVariable("XDG_CONFIG_HOME"),
                         qEnvironmentVariable("XDG_STATE_HOME")});
}

QString ProgramFiles::dataDir() const
{
    return QDir::cleanPath(QDir(m_places.programDir).filePath(QStringLiteral(KVL_DATA_FROM_BIN)));
}

bool ProgramFiles::isInstalled() const
{
    return !m_places.programDir.isEmpty() && QFileInfo(dataDir()).isDir();
}

QString ProgramFiles::dataPath(const QString &relative) const
{
    const QString local = QDir(m_places.workingDir).filePath(relative);
    const QString shipped = QDir(dataDir()).filePath(relative);
    if (!QFileInfo::exists(local) && isInstalled() && QFileInfo::exists(shipped))
        return shipped;
    return local;
}

QString ProgramFiles::configFile(const QString &name) const
{
    return userFile(m_places.configHome, QStringLiteral(".config"), name);
}

QString ProgramFiles::stateFile(const QString &name) const
{
    return userFile(m_places.stateHome, QStringLiteral(".local/state"), name);
}

// The working directory keeps the files when the program is not installed, or when it holds
// the options or a window state already (a bench's own folder).
bool ProgramFiles::wantsWorkingDir() const
{
    const QDir working(m_places.workingDir);
    return !isInstalled() || working.exists(QString::fromLatin1(OptionsFile::DefaultFileName)) ||
           working.exists(QString::fromLatin1(WindowState::FileName));
}

QString ProgramFiles::workingDirRefusal() const
{
    return wantsWorkingDir() ? PathTrust::check(m_places.workingDir).text() : QString();
}

// In the working directory (in a folder of its own there for a program of another name) while
// no other user can change it; else in the user's folder, under an XDG base folder that is an
// absolute path no other user can change, or else its default in the account's home.
QString ProgramFiles::userFile(const QString &xdgHome, const QString &defaultHome,
                               const QString &name) const
{
    if (wantsWorkingDir() && workingDirRefusal().isEmpty()) {
        if (m_programName.isEmpty())
            return QDir(m_places.workingDir).filePath(name);
        const QString own = QDir(m_places.workingDir).filePath(ownFolderName());
        if (PrivateFile::makeFolder(own))
            return QDir(own).filePath(name);
    }
    const bool usable =
        QDir::isAbsolutePath(xdgHome) && PathTrust::check(xdgHome).isClear();
    const QString base = usable ? xdgHome : QDir(m_places.home).filePath(defaultHome);
    const QString own = QDir(base).filePath(ownFolderName());
    PrivateFile::makeFolder(own); // a folder that cannot be made shows in the failing write
    return QDir(own).filePath(name);
}

// "kvl52110", or "kvl52110-NAME" for a program of another name.
QString ProgramFiles::ownFolderName() const
{
    return m_programName.isEmpty() ? FolderName : FolderName + QLatin1Char('-') + m_programName;
}
