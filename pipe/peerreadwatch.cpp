#include "peerreadwatch.h"

#include "pipeconnection.h"

#include <QSocketNotifier>

#include <sys/epoll.h>
#include <unistd.h>

PeerReadWatch::PeerReadWatch(QObject *parent) : QObject(parent)
{
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    if (m_epoll < 0)
        return; // the connections then wait out their quiet gap
    m_notifier = new QSocketNotifier(m_epoll, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PeerReadWatch::onActivated);
}

PeerReadWatch::~PeerReadWatch()
{
    delete m_notifier; // before the descriptor it watches
    if (m_epoll >= 0)
        ::close(m_epoll);
}

namespace
{
// Each read of the client's (room freed on the socket), each arrival of input, its end.
constexpr quint32 WatchedEvents = EPOLLOUT | EPOLLET | EPOLLIN | EPOLLRDHUP;
} // namespace

bool PeerReadWatch::add(int fd, PipeConnection *connection)
{
    epoll_event event{};
    event.events = WatchedEvents;
    event.data.fd = fd;
    if (m_epoll < 0 || ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event) != 0)
        return false;
    m_connections.insert(fd, connection);
    return true;
}

void PeerReadWatch::reportAgain(int fd)
{
    epoll_event event{};
    event.events = WatchedEvents;
    event.data.fd = fd;
    ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, fd, &event);
}

// Closing the descriptor takes it out of the epoll set.
void PeerReadWatch::remove(int fd)
{
    m_connections.remove(fd);
}

void PeerReadWatch::onActivated()
{
    const int most = 16;
    epoll_event events[most];
    int n = most;
    // A short answer took every report there was; one that comes meanwhile wakes the notifier.
    while (n == most && (n = ::epoll_wait(m_epoll, events, most, 0)) > 0) {
        for (int i = 0; i < n; ++i) {
            // A connection may close (and leave the set) while an earlier one is served, and
            // go while its input is taken (a request may run a nested event loop).
            const QPointer<PipeConnection> connection = m_connections.value(events[i].data.fd);
            if (connection && events[i].events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR))
                connection->inputMayHaveArrived();
            if (connection && events[i].events & EPOLLOUT)
                connection->outputMayBeRead();
        }
    }
}
