#include "peerprocess.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <poll.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace
{

// The kernel's flag of a task whose exit has begun (include/linux/sched.h).
constexpr qulonglong ExitUnderWay = 0x4;

// The fields of /proc/PID/stat after the command's name: the flags are the seventh.
QList<QByteArray> statFields(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    const QByteArray text = stat.read(4096);
    const qsizetype nameEnd = text.lastIndexOf(')'); // a name may hold blanks and brackets
    return nameEnd < 0 ? QList<QByteArray>() : text.mid(nameEnd + 1).simplified().split(' ');
}

} // namespace

PeerProcess::PeerProcess(int socketDescriptor)
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(socketDescriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
        credentials.pid <= 0)
        return;
    m_pid = credentials.pid;
    m_pidfd = int(::syscall(SYS_pidfd_open, m_pid, 0));
}

PeerProcess::~PeerProcess()
{
    if (m_pidfd >= 0)
        ::close(m_pidfd);
}

// The process's flags are read first, its descriptor asked after: while the descriptor says it
// has not exited (a dead process's flags tell nothing more), the number read was still its own.
PeerProcess::State PeerProcess::state() const
{
    if (m_pidfd < 0)
        return Unknown;
    const QList<QByteArray> fields = statFields(m_pid);
    pollfd exited{m_pidfd, POLLIN, 0};
    if (::poll(&exited, 1, 0) > 0)
        return Ended;
    if (fields.size() < 7)
        return Unknown;
    bool read = false;
    const qulonglong flags = fields.at(6).toULongLong(&read);
    if (!read)
        return Unknown;
    return flags & ExitUnderWay ? Ended : Runs;
}
