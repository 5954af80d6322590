#include "userfolders.h"

#include "regularfile.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

// The uid a user namespace shows for an owner it does not map.
uint overflowUid()
{
    QByteArray text;
    QString error;
    bool ok = false;
    const uint uid = RegularFile::read(QStringLiteral("/proc/sys/kernel/overflowuid"),
                                       RegularFile::KiB, &text, &error)
                         ? text.trimmed().toUInt(&ok)
                         : 0;
    return ok ? uid : 65534;
}

// Whether this process's user namespace maps uid to a user (/proc/self/uid_map: lines of the
// first uid inside, the first outside and a count). Without the file, every uid counts as one.
bool isMapped(uint uid)
{
    QByteArray text;
    QString error;
    if (!RegularFile::read(QStringLiteral("/proc/self/uid_map"), 64 * RegularFile::KiB, &text,
                           &error))
        return true;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() == 3 && uid >= fields.at(0).toUInt() &&
            quint64(uid) < quint64(fields.at(0).toUInt()) + fields.at(2).toULongLong())
            return true;
    }
    return false;
}

} // namespace

QString UserFolders::base(const QString &variable, const QString &value, QString *passedOver)
{
    if (value.isEmpty())
        return value;
    const QString why = QDir::isAbsolutePath(value) ? PathTrust::check(value).text()
                                                    : QStringLiteral("it is no absolute path");
    if (why.isEmpty())
        return value;
    *passedOver = QStringLiteral("%1 %2 is passed over: %3").arg(variable, value, why);
    return QString();
}

QString UserFolders::advice(const PathTrust::Finding &finding, const QString &variable)
{
    const QString unmapped = unmappedOwner(finding);
    if (!unmapped.isEmpty())
        return unmapped;
    const QString close = closing(finding);
    return close.isEmpty() ? ownFolder(variable)
                           : close + QStringLiteral(", or ") + ownFolder(variable);
}

QString UserFolders::closing(const PathTrust::Finding &finding)
{
    struct stat info {};
    if (finding.isClear() || ::lstat(QFile::encodeName(finding.step).constData(), &info) != 0 ||
        !S_ISDIR(info.st_mode) || (info.st_mode & 022) == 0)
        return QString();
    if (info.st_uid == ::geteuid())
        return QStringLiteral("close it to other users' writing (chmod go-w %1)").arg(finding.step);
    if (info.st_uid == 0)
        return QStringLiteral("ask the administrator to close %1 to other users' writing "
                              "(chmod go-w %1)")
            .arg(finding.step);
    return QString();
}

// A new folder in /tmp passes for any account where /tmp is root's and sticky, on a clear way.
QString UserFolders::ownFolder(const QString &variable)
{
    const QString own =
        QStringLiteral("set %1 to a folder of your own on a way that no other user can change")
            .arg(variable);
    struct stat info {};
    if (variable != QLatin1String("XDG_RUNTIME_DIR") || ::lstat("/tmp", &info) != 0 ||
        !S_ISDIR(info.st_mode) || info.st_uid != 0 || (info.st_mode & S_ISVTX) == 0 ||
        !PathTrust::checkWay(QStringLiteral("/tmp/new")).isClear())
        return own;
    return own + QStringLiteral(" (such as a new one in /tmp: export XDG_RUNTIME_DIR=$(mktemp -d "
                                "-p /tmp), for the program and its clients)");
}

QString UserFolders::unmappedOwner(const PathTrust::Finding &finding)
{
    struct stat info {};
    if (finding.isClear() || ::lstat(QFile::encodeName(finding.step).constData(), &info) != 0)
        return QString();
    const uint overflow = overflowUid();
    if (info.st_uid != overflow || isMapped(overflow))
        return QString();
    return QStringLiteral("uid %1 is how this user namespace shows the owners it does not map "
                          "(see /proc/self/uid_map), root among them, so no folder here counts "
                          "as yours: start the program outside the namespace")
        .arg(overflow);
}
