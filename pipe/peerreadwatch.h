#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>

class PipeConnection;
class QSocketNotifier;

// Tells the command server's connections when their clients read, and when their input
// arrives. A client's read frees space on the socket; one edge-triggered epoll set on that space
// reports each read of every watched socket (the socket is writable all along, so a
// level-triggered watch could not). Watching the input there too spares each connection a
// notifier of its own, which the event loop would have to take in and give up.
class PeerReadWatch : public QObject
{
    Q_OBJECT
public:
    explicit PeerReadWatch(QObject *parent = nullptr);
    ~PeerReadWatch() override;

    // Reports the reads on descriptor fd to connection, and each arrival of bytes or of the
    // input's end; reports once at once, so a read or an arrival just before the call is not
    // missed. False when the watch is not available.
    bool add(int fd, PipeConnection *connection);
    // Reports fd once more as it is now (a read pass that stopped before taking everything
    // gets no other report).
    void reportAgain(int fd);
    // Stops the reports, right before the descriptor is closed.
    void remove(int fd);

private:
    void onActivated();

    int m_epoll = -1;
    QSocketNotifier *m_notifier = nullptr;
    QHash<int, QPointer<PipeConnection>> m_connections;
};
