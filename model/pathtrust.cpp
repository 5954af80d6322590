#include "pathtrust.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <cerrno>
#include <cstring>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr int MaxLinks = 40; // as the kernel follows at most

bool ownerTrusted(uid_t owner)
{
    return owner == ::geteuid() || owner == 0;
}

QString kindOf(const struct stat &info)
{
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("the folder");
    return S_ISLNK(info.st_mode) ? QStringLiteral("the link") : QStringLiteral("the file");
}

QString modeText(const struct stat &info)
{
    return QStringLiteral("%1").arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
}

// A folder that others may add entries to (sticky, or the way would have ended there).
bool openToOthers(const struct stat &info)
{
    return S_ISDIR(info.st_mode) && (info.st_mode & 022) != 0;
}

// What one entry gives another user: its ownership, or writing it (a sticky folder's entries
// are the way's next step, checked in turn, unless the way ends at the folder).
QString entryProblem(const QString &path, const struct stat &info, bool last)
{
    if (!ownerTrusted(info.st_uid))
        return QStringLiteral("%1 %2 belongs to another user (uid %3)")
            .arg(kindOf(info), path)
            .arg(info.st_uid);
    if (S_ISLNK(info.st_mode) || (info.st_mode & 022) == 0)
        return QString();
    if (S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX) && !last)
        return QString();
    return QStringLiteral("%1 %2 can be written by other users (mode %3)")
        .arg(kindOf(info), path, modeText(info));
}

QString uncheckable(const QString &path, int error)
{
    return QStringLiteral("%1 cannot be checked (%2)")
        .arg(path, QString::fromLocal8Bit(std::strerror(error)));
}

int lstatError(const QString &path, struct stat *info)
{
    const QByteArray name = QFile::encodeName(path.isEmpty() ? QStringLiteral("/") : path);
    return ::lstat(name.constData(), info) == 0 ? 0 : errno;
}

// The link's target as it is written; 0, or the error.
int readLink(const QString &path, QString *target)
{
    char buffer[4096];
    const ssize_t size = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    if (size < 0)
        return errno;
    if (size == ssize_t(sizeof buffer))
        return ENAMETOOLONG;
    *target = QFile::decodeName(QByteArray(buffer, size));
    return 0;
}

// Walks an absolute path from "/", entry by entry, following each link from where it lies.
QString walk(const QString &path, int links)
{
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current; // the folder reached, without links; empty for "/"
    struct stat info {};
    if (const int error = lstatError(current, &info))
        return uncheckable(QStringLiteral("/"), error);
    QString problem = entryProblem(QStringLiteral("/"), info, parts.isEmpty());
    bool open = openToOthers(info);
    for (qsizetype i = 0; i < parts.size() && problem.isEmpty(); ++i) {
        const QString &part = parts.at(i);
        if (part == QLatin1String("."))
            continue;
        const bool up = part == QLatin1String("..");
        const QString next = up ? current.left(current.lastIndexOf(QLatin1Char('/')))
                                : current + QLatin1Char('/') + part;
        if (const int error = lstatError(next, &info)) {
            if (error != ENOENT)
                return uncheckable(next, error);
            if (!open) // made later, where only the user and root can
                return QString();
            return QStringLiteral("the folder %1 lets other users make %2 first")
                .arg(current.isEmpty() ? QStringLiteral("/") : current, part);
        }
        problem = entryProblem(next, info, i + 1 == parts.size());
        if (problem.isEmpty() && S_ISLNK(info.st_mode)) {
            if (links >= MaxLinks)
                return QStringLiteral("%1 leads through too many links").arg(path);
            QString to;
            if (const int error = readLink(next, &to))
                return uncheckable(next, error);
            const QString from =
                to.startsWith(QLatin1Char('/')) ? to : current + QLatin1Char('/') + to;
            const QStringList rest = parts.mid(i + 1);
            return walk(rest.isEmpty() ? from
                                       : from + QLatin1Char('/') + rest.join(QLatin1Char('/')),
                        links + 1);
        }
        open = openToOthers(info);
        current = next;
    }
    return problem;
}

} // namespace

namespace PathTrust
{

QString foreignChange(const QString &path)
{
    return walk(QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path,
                0);
}

QString accountHome()
{
    passwd entry{};
    passwd *found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/')
        return QFile::decodeName(found->pw_dir);
    return QDir::homePath();
}

} // namespace PathTrust
