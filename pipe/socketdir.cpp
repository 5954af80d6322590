#include "socketdir.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
const QString ShortParent = QStringLiteral("/tmp");
}

QString SocketDir::ownDirectory(const QString &parent)
{
    return QDir::cleanPath(parent) + QStringLiteral("/kvl52110-") + QString::number(::getuid());
}

QString SocketDir::directory()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        return QDir::cleanPath(runtime);
    return ownDirectory(QDir::tempPath());
}

QString SocketDir::socketFile(const QString &name)
{
    const QString path =
        name.startsWith(QLatin1Char('/')) ? name : directory() + QLatin1Char('/') + name;
    if (QFile::encodeName(path).size() <= MaxPathBytes)
        return path;
    const QByteArray hash =
        QCryptographicHash::hash(QFile::encodeName(path), QCryptographicHash::Sha1).toHex();
    return ownDirectory(ShortParent) + QLatin1Char('/') + QString::fromLatin1(hash.left(16));
}

bool SocketDir::isOwnDirectory(const QString &directory)
{
    return directory == ownDirectory(QDir::tempPath()) || directory == ownDirectory(ShortParent);
}

bool SocketDir::prepare(const QString &socketFile, QString *why)
{
    const QString directory = QFileInfo(socketFile).absolutePath();
    if (!isOwnDirectory(directory))
        return true;
    const QByteArray path = QFile::encodeName(directory);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        *why = QStringLiteral("the socket directory %1 cannot be made (%2): set XDG_RUNTIME_DIR "
                              "or TMPDIR to a directory of your own")
                   .arg(directory, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return checkOwnDirectory(directory, why);
}

// The directory must be a directory (not a link to one), belong to the user and give others no
// access: only then can nobody else put a socket in it.
bool SocketDir::checkOwnDirectory(const QString &directory, QString *why)
{
    struct stat info;
    if (::lstat(QFile::encodeName(directory).constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        *why = QStringLiteral("%1, the place of the socket directory, is no directory: remove "
                              "it, or set XDG_RUNTIME_DIR to a directory of your own")
                   .arg(directory);
        return false;
    }
    if (info.st_uid != ::getuid()) {
        *why = QStringLiteral("the socket directory %1 belongs to another user (uid %2): remove "
                              "it, or set XDG_RUNTIME_DIR to a directory of your own")
                   .arg(directory)
                   .arg(info.st_uid);
        return false;
    }
    if ((info.st_mode & 077) != 0) {
        *why = QStringLiteral("the socket directory %1 is open to other users (mode %2): make "
                              "it private with chmod 700 %1, or remove it")
                   .arg(directory)
                   .arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
        return false;
    }
    return true;
}
