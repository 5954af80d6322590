#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>

class PipeConnection;
class QSocketNotifier;

// Tells the command server's connections when their clients read. A client's read frees space
// on the socket; one edge-triggered epoll set on that space reports each read of every watched
// socket (the socket is writable all along, so a level-triggered watch could not).
class PeerReadWatch : public QObject
{
    Q_OBJECT
public:
    explicit PeerReadWatch(QObject *parent = nullptr);
    ~PeerReadWatch() override;

    // Reports the reads on descriptor fd to connection; reports once at once, so a read just
    // before the call is not missed. False when the watch is not available.
    bool add(int fd, PipeConnection *connection);
    // Stops the reports, right before the descriptor is closed.
    void remove(int fd);

private:
    void onActivated();

    int m_epoll = -1;
    QSocketNotifier *m_notifier = nullptr;
    QHash<int, QPointer<PipeConnection>> m_connections;
};
