#include "pathtrust.h"

#include "accessacl.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// As many links as the system follows in one path.
const int maxLinks = 40;

bool ownedByUserOrRoot(const struct stat &info)
{
    return info.st_uid == ::geteuid() || info.st_uid == 0;
}

PathTrust::Finding foreignOwner(const QString &step, const struct stat &info)
{
    const QString what = S_ISLNK(info.st_mode) ? QStringLiteral("is a link that belongs")
                                               : QStringLiteral("belongs");
    return {step, QStringLiteral("%1 to another user (uid %2)").arg(what).arg(info.st_uid)};
}

// Whether an account other than the user has gid as its primary group; also when the user
// database cannot be read to its end. The database is walked through one position that the
// whole process shares.
bool anotherAccountsPrimaryGroup(gid_t gid)
{
    static std::mutex walking;
    const std::lock_guard<std::mutex> lock(walking);
    passwd entry{};
    passwd *found = nullptr;
    char buffer[4096];
    bool another = false;
    int error = 0;
    ::setpwent();
    while (!another && (error = ::getpwent_r(&entry, buffer, sizeof buffer, &found)) == 0 && found)
        another = found->pw_gid == gid && found->pw_uid != ::geteuid();
    ::endpwent();
    return another || (error != 0 && error != ENOENT);
}

// The user's private group: the user's primary group, named as the user, that no other account
// has, as a member or as its primary group. Where each user has one (and a umask of 002), the
// user's own files are writable by it.
bool isPrivateGroup(gid_t gid)
{
    passwd account{};
    passwd *user = nullptr;
    group entry{};
    group *found = nullptr;
    char userBuffer[4096], groupBuffer[8192];
    if (::getpwuid_r(::geteuid(), &account, userBuffer, sizeof userBuffer, &user) != 0 || !user ||
        user->pw_gid != gid ||
        ::getgrgid_r(gid, &entry, groupBuffer, sizeof groupBuffer, &found) != 0 || !found ||
        std::strcmp(found->gr_name, user->pw_name) != 0)
        return false;
    for (char **member = found->gr_mem; member && *member; ++member) {
        if (std::strcmp(*member, user->pw_name) != 0)
            return false;
    }
    return !anotherAccountsPrimaryGroup(gid);
}

// Why users other than the owner may write: others, a group other than the user's private one,
// or an entry of its extended ACL; empty when nobody may.
QString othersWrite(const struct stat &info, const AccessAcl &acl)
{
    const QString writer = acl.writer(info.st_gid, isPrivateGroup);
    if ((info.st_mode & S_IWOTH) != 0 ||
        (!acl.isExtended() && (info.st_mode & S_IWGRP) != 0 && !isPrivateGroup(info.st_gid)))
        return QStringLiteral("is writable by other users (mode %1)")
            .arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
    return writer.isEmpty()
               ? writer
               : QStringLiteral("is writable by other users through its ACL (%1)").arg(writer);
}

// A folder on the way (stickyOpen) or the end of the way: the user's or root's, closed to
// others' writing.
PathTrust::Finding judge(const QString &step, const struct stat &info, const AccessAcl &acl,
                         bool stickyOpen)
{
    if (!ownedByUserOrRoot(info))
        return foreignOwner(step, info);
    const QString unreadable = acl.problem();
    if (!unreadable.isEmpty())
        return {step, unreadable};
    const bool sticky = (info.st_mode & S_ISVTX) != 0 && S_ISDIR(info.st_mode);
    const QString writable = othersWrite(info, acl);
    if (!writable.isEmpty() && !(stickyOpen && sticky))
        return {step, writable};
    return {};
}

PathTrust::Finding checkStep(const QString &step, const struct stat &info, bool stickyOpen)
{
    return judge(step, info, AccessAcl::ofPath(step), stickyOpen);
}

QStringList parts(const QString &path)
{
    return path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

QString joined(const QString &folder, const QString &part)
{
    return folder == QLatin1String("/") ? folder + part : folder + QLatin1Char('/') + part;
}

QString parentOf(const QString &folder)
{
    const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : folder.left(slash);
}

QString linkTarget(const QString &link)
{
    const QByteArray name = QFile::encodeName(link);
    QByteArray target(PATH_MAX, '\0');
    const ssize_t size = ::readlink(name.constData(), target.data(), size_t(target.size()));
    return size < 0 ? QString() : QFile::decodeName(target.left(size));
}

// A step that lstat could not look at. What does not exist is made later where only the user and
// root can, unless its folder is open to others (they could make it first); what cannot be looked
// at cannot be vouched for.
PathTrust::Finding missingStep(const QString &folder, const QString &step, int error, bool judged)
{
    if (!judged)
        return {};
    if (error != ENOENT)
        return {step, QStringLiteral("cannot be checked (%1)")
                          .arg(QString::fromLocal8Bit(std::strerror(error)))};
    struct stat info;
    const AccessAcl acl = AccessAcl::ofPath(folder);
    // An ACL that cannot be read is not read for its entries.
    if (::lstat(QFile::encodeName(folder).constData(), &info) == 0 &&
        (!acl.problem().isEmpty() || !othersWrite(info, acl).isEmpty()))
        return {folder, QStringLiteral("lets other users make %1 first")
                            .arg(step.mid(step.lastIndexOf(QLatin1Char('/')) + 1))};
    return {};
}

// Walks the path part by part from "/", following links, and checks each step; the folder
// reached so far never holds a link, so ".." leads where the system would take it.
PathTrust::Finding walk(const QString &path, bool checkEnd)
{
    QStringList pending =
        parts(QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path);
    QString at = QStringLiteral("/");
    struct stat info;
    if (::lstat("/", &info) != 0)
        return {};
    PathTrust::Finding finding = checkStep(at, info, true);
    int links = 0;
    while (finding.isClear() && !pending.isEmpty()) {
        const QString part = pending.takeFirst();
        const bool last = pending.isEmpty();
        if (part == QLatin1String(".") || part == QLatin1String("..")) {
            if (part.size() == 2)
                at = parentOf(at);
            continue;
        }
        const QString step = joined(at, part);
        const int error = ::lstat(QFile::encodeName(step).constData(), &info) == 0 ? 0 : errno;
        if (error != 0)
            return missingStep(at, step, error, !last || checkEnd);
        if (last && !checkEnd)
            return {};
        if (S_ISLNK(info.st_mode)) {
            if (!ownedByUserOrRoot(info))
                return foreignOwner(step, info);
            if (++links > maxLinks)
                return {step, QStringLiteral("leads through more than %1 links").arg(maxLinks)};
            const QString target = linkTarget(step);
            if (target.isEmpty())
                return {}; // gone meanwhile: whoever opens the path learns so
            pending = parts(target) + pending;
            if (QDir::isAbsolutePath(target))
                at = QStringLiteral("/");
            continue;
        }
        if (last)
            return checkStep(step, info, false);
        if (!S_ISDIR(info.st_mode))
            return {}; // no folder: whoever opens the path learns so
        finding = checkStep(step, info, true);
        at = step;
    }
    // The path ended in a folder already passed ("/", ".", "..", a link to one).
    if (finding.isClear() && checkEnd && ::lstat(QFile::encodeName(at).constData(), &info) == 0)
        return checkStep(at, info, false);
    return finding;
}

} // namespace

QString PathTrust::Finding::text() const
{
    return isClear() ? QString() : step + QLatin1Char(' ') + reason;
}

PathTrust::Finding PathTrust::checkWay(const QString &path)
{
    return walk(path, false);
}

PathTrust::Finding PathTrust::check(const QString &path)
{
    return walk(path, true);
}

PathTrust::Finding PathTrust::checkOpened(const QString &step, int descriptor)
{
    struct stat info;
    if (::fstat(descriptor, &info) != 0)
        return {step, QStringLiteral("cannot be checked (%1)")
                          .arg(QString::fromLocal8Bit(std::strerror(errno)))};
    return judge(step, info, AccessAcl::ofDescriptor(descriptor), false);
}

QString PathTrust::accountHome()
{
    passwd entry{};
    passwd *found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/')
        return QFile::decodeName(found->pw_dir);
    return QDir::homePath();
}
