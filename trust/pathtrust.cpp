#include "pathtrust.h"

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
#include <sys/xattr.h>
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

// The access ACL as the system keeps it in an extended attribute: a version 2 header, then
// entries of a tag, a permission and an id, each little-endian.
const char AclAttribute[] = "system.posix_acl_access";
constexpr quint32 AclVersion = 2;
constexpr int AclHeaderSize = 4;
constexpr int AclEntrySize = 8;
enum AclTag : quint16 { AclUser = 0x02, AclGroupObject = 0x04, AclGroup = 0x08, AclMask = 0x10 };
constexpr quint16 AclWrite = 2;

// The ACL's bytes through get (getxattr's calling form); empty when there is none. *error gets
// why it cannot be read.
template <typename Get> QByteArray readAcl(Get get, int *error)
{
    *error = 0;
    for (;;) {
        const ssize_t size = get(nullptr, 0);
        QByteArray bytes(size > 0 ? size : 0, '\0');
        const ssize_t read = size > 0 ? get(bytes.data(), size_t(size)) : size;
        if (read >= 0)
            return bytes.left(read);
        if (errno == ERANGE)
            continue; // grown meanwhile
        if (errno != ENODATA && errno != ENOTSUP)
            *error = errno;
        return {};
    }
}

QByteArray pathAcl(const QString &path, int *error)
{
    const QByteArray name = QFile::encodeName(path);
    return readAcl(
        [&name](void *value, size_t size) {
            return ::lgetxattr(name.constData(), AclAttribute, value, size);
        },
        error);
}

QByteArray descriptorAcl(int descriptor, int *error)
{
    return readAcl(
        [descriptor](void *value, size_t size) {
            return ::fgetxattr(descriptor, AclAttribute, value, size);
        },
        error);
}

// One number of the ACL's bytes, little-endian.
quint32 aclNumber(const QByteArray &acl, int at, int size)
{
    quint32 value = 0;
    for (int byte = size - 1; byte >= 0; --byte)
        value = value << 8 | quint8(acl.at(at + byte));
    return value;
}

bool aclReadable(const QByteArray &acl)
{
    return acl.size() >= AclHeaderSize && (acl.size() - AclHeaderSize) % AclEntrySize == 0 &&
           aclNumber(acl, 0, 4) == AclVersion;
}

// Who may write by an entry of a readable ACL, within its mask, besides the user, root and the
// user's private group: "uid N" or "gid N" (the owning group's entry too: with a mask, the
// group bits of the mode show the mask); empty for nobody.
QString aclWriter(const QByteArray &acl, gid_t owningGroup)
{
    quint32 mask = 0xFFFF; // without a mask entry nothing bounds the others
    for (int at = AclHeaderSize; at < acl.size(); at += AclEntrySize) {
        if (aclNumber(acl, at, 2) == AclMask)
            mask = aclNumber(acl, at + 2, 2);
    }
    for (int at = AclHeaderSize; at < acl.size(); at += AclEntrySize) {
        const quint32 tag = aclNumber(acl, at, 2);
        const quint32 id = tag == AclGroupObject ? owningGroup : aclNumber(acl, at + 4, 4);
        if ((aclNumber(acl, at + 2, 2) & mask & AclWrite) == 0)
            continue;
        if (tag == AclUser && id != ::geteuid() && id != 0)
            return QStringLiteral("uid %1").arg(id);
        if ((tag == AclGroup || tag == AclGroupObject) && !isPrivateGroup(id))
            return QStringLiteral("gid %1").arg(id);
    }
    return {};
}

// Why the ACL cannot be judged; empty when it can (or there is none).
QString aclProblem(const QByteArray &acl, int aclError)
{
    if (aclError == 0 && (acl.isEmpty() || aclReadable(acl)))
        return {};
    return QStringLiteral("cannot be checked (its ACL: %1)")
        .arg(aclError != 0 ? QString::fromLocal8Bit(std::strerror(aclError))
                           : QStringLiteral("of unknown form"));
}

// Why users other than the owner may write: others, a group other than the user's private one,
// or an entry of its readable ACL; empty when nobody may.
QString othersWrite(const struct stat &info, const QByteArray &acl)
{
    const QString writer = acl.isEmpty() ? QString() : aclWriter(acl, info.st_gid);
    if ((info.st_mode & S_IWOTH) != 0 ||
        (acl.isEmpty() && (info.st_mode & S_IWGRP) != 0 && !isPrivateGroup(info.st_gid)))
        return QStringLiteral("is writable by other users (mode %1)")
            .arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
    return writer.isEmpty()
               ? writer
               : QStringLiteral("is writable by other users through its ACL (%1)").arg(writer);
}

// A folder on the way (stickyOpen) or the end of the way: the user's or root's, closed to
// others' writing.
PathTrust::Finding judge(const QString &step, const struct stat &info, const QByteArray &acl,
                         int aclError, bool stickyOpen)
{
    if (!ownedByUserOrRoot(info))
        return foreignOwner(step, info);
    const QString unreadable = aclProblem(acl, aclError);
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
    int aclError = 0;
    const QByteArray acl = pathAcl(step, &aclError);
    return judge(step, info, acl, aclError, stickyOpen);
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
    int aclError = 0;
    const QByteArray acl = pathAcl(folder, &aclError);
    // An ACL of unknown form is not read for its entries.
    if (::lstat(QFile::encodeName(folder).constData(), &info) == 0 &&
        (!aclProblem(acl, aclError).isEmpty() || !othersWrite(info, acl).isEmpty()))
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
    int aclError = 0;
    const QByteArray acl = descriptorAcl(descriptor, &aclError);
    return judge(step, info, acl, aclError, false);
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
