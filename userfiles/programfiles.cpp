#include "programfiles.h"

#include "optionsfile.h"
#include "pathtrust.h"
#include "privatefile.h"
#include "userfolders.h"
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
    return userFile(configFolder(), name);
}

QString ProgramFiles::stateFile(const QString &name) const
{
    return userFile(stateFolder(), name);
}

QString ProgramFiles::optionsFile() const
{
    return configFile(QString::fromLatin1(OptionsFile::DefaultFileName));
}

QString ProgramFiles::windowStateFile() const
{
    return stateFile(QString::fromLatin1(WindowState::FileName));
}

QString ProgramFiles::configFolder() const
{
    return folder(m_places.configHome, QStringLiteral(".config"));
}

QString ProgramFiles::stateFolder() const
{
    return folder(m_places.stateHome, QStringLiteral(".local/state"));
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

// The working directory keeps them while no other user can change it, nor, for a program of
// another name, its own folder there.
bool ProgramFiles::keepsWorkingDir() const
{
    if (!wantsWorkingDir() || !workingDirRefusal().isEmpty())
        return false;
    return m_programName.isEmpty() ||
           PathTrust::check(QDir(m_places.workingDir).filePath(ownFolderName())).isClear();
}

// In the working directory (in a folder of its own there for a program of another name); else
// in the user's folder, under an XDG base folder that is an absolute path no other user can
// change, or else its default in the account's home.
QString ProgramFiles::folder(const QString &xdgHome, const QString &defaultHome) const
{
    if (keepsWorkingDir() && m_programName.isEmpty())
        return m_places.workingDir;
    if (keepsWorkingDir())
        return QDir(m_places.workingDir).filePath(ownFolderName());
    QString passedOver;
    QString base = UserFolders::base(QString(), xdgHome, &passedOver);
    if (base.isEmpty())
        base = QDir(m_places.home).filePath(defaultHome);
    return QDir(base).filePath(ownFolderName());
}

// A folder of the program's own is made (a folder that cannot be made shows in the failing
// write); the working directory is there already.
QString ProgramFiles::userFile(const QString &folder, const QString &name) const
{
    if (folder != m_places.workingDir)
        PrivateFile::makeFolder(folder);
    return QDir(folder).filePath(name);
}

QStringList ProgramFiles::passedOver() const
{
    QStringList said{workingDirPassedOver()};
    said.removeAll(QString());
    if (keepsWorkingDir())
        return said;
    for (const auto &[variable, value] : {std::pair{"XDG_CONFIG_HOME", m_places.configHome},
                                          std::pair{"XDG_STATE_HOME", m_places.stateHome}}) {
        QString passedOver;
        UserFolders::base(QString::fromLatin1(variable), value, &passedOver);
        if (!passedOver.isEmpty())
            said << passedOver;
    }
    return said;
}

// A working directory that would keep the files but that another user can change, named by the
// files of the program's it holds; or, for a program of another name, its own folder there.
QString ProgramFiles::workingDirPassedOver() const
{
    const QDir working(m_places.workingDir);
    QString why = workingDirRefusal();
    QStringList passed;
    if (!why.isEmpty()) {
        for (const QString &name : {QString::fromLatin1(OptionsFile::DefaultFileName),
                                    QString::fromLatin1(WindowState::FileName), ownFolderName()})
            if (working.exists(name) && name != FolderName)
                passed << working.filePath(name);
        if (passed.isEmpty())
            passed << m_places.workingDir;
    } else if (wantsWorkingDir() && !keepsWorkingDir()) {
        passed << working.filePath(ownFolderName());
        why = PathTrust::check(passed.first()).text();
    } else {
        return QString();
    }
    return QStringLiteral("%1 %2 passed over: %3, so your files are kept in your own folders")
        .arg(passed.join(QStringLiteral(", ")),
             passed.size() > 1 ? QStringLiteral("are") : QStringLiteral("is"), why);
}

QString ProgramFiles::configNotKept() const
{
    return notKept(QStringLiteral("options are"), configFolder(),
                   QStringLiteral("XDG_CONFIG_HOME"));
}

QString ProgramFiles::stateNotKept() const
{
    return notKept(QStringLiteral("window state and day logs are"), stateFolder(),
                   QStringLiteral("XDG_STATE_HOME"));
}

QStringList ProgramFiles::notKept() const
{
    QStringList texts{configNotKept(), stateNotKept()};
    texts.removeAll(QString());
    return texts;
}

QString ProgramFiles::notKept(const QString &what, const QString &folder,
                              const QString &variable) const
{
    const PathTrust::Finding finding = PathTrust::check(folder);
    if (finding.isClear())
        return QString();
    return QStringLiteral("Your %1 not kept: %2: %3")
        .arg(what, finding.text(), UserFolders::advice(finding, variable));
}

// "kvl52110", or "kvl52110-NAME" for a program of another name.
QString ProgramFiles::ownFolderName() const
{
    return m_programName.isEmpty() ? FolderName : FolderName + QLatin1Char('-') + m_programName;
}
