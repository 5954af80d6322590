#include "socketplace.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

// Only a refused connection tells that nobody listens: a server whose backlog is full takes no
// connection now, yet it serves.
SocketPlace::State SocketPlace::check(const QString &address)
{
    const QByteArray path = QFile::encodeName(address);
    struct stat info;
    if (::lstat(path.constData(), &info) != 0)
        return Free;
    if (!S_ISSOCK(info.st_mode))
        return Occupied;
    sockaddr_un to{};
    to.sun_family = AF_UNIX;
    const int probe = path.size() < qsizetype(sizeof to.sun_path)
                          ? ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)
                          : -1;
    if (probe < 0)
        return InUse; // cannot tell: left alone
    std::memcpy(to.sun_path, path.constData(), size_t(path.size()));
    const int result = ::connect(probe, reinterpret_cast<sockaddr *>(&to), sizeof to);
    const int error = errno;
    ::close(probe);
    if (result != 0 && error == ENOENT)
        return Free;
    return result != 0 && error == ECONNREFUSED ? Stale : InUse;
}

QString SocketPlace::occupant(const QString &address, const QString &file)
{
    switch (check(address)) {
    case Free:
        return QString();
    case Stale:
        if (QFile::remove(address) && check(address) == Free)
            return QString();
        return QStringLiteral("the stale command socket %1 cannot be removed: remove it, or "
                              "start with --name OTHER")
            .arg(file);
    case InUse:
        return QStringLiteral("another program already serves the command socket %1: quit it, "
                              "or start this one with --name OTHER to serve beside it")
            .arg(file);
    case Occupied:
        break;
    }
    return QStringLiteral("%1, the place of the command socket, holds a file that is no socket: "
                          "remove it, or start with --name OTHER")
        .arg(file);
}
