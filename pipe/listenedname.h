#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>

#include <sys/types.h>

class SocketDir;

// The socket file a server listens on, reached through descriptors of the socket directory of
// its own. Qt's listener removes its file by its address when it closes, however late that is;
// a server that refuses new connections looks stale to a program started meanwhile, which
// removes the file and serves a socket of its own there. Turned away, the listener's address
// leads nowhere, so its close cannot remove that socket, and only the file this server listened
// on is removed.
class ListenedName
{
public:
    ListenedName() = default;
    ~ListenedName();
    ListenedName(const ListenedName &) = delete;
    ListenedName &operator=(const ListenedName &) = delete;

    // The address to listen on for name in dir (through a descriptor of dir's of its own; dir's
    // own address where none can be had).
    QString address(const SocketDir &dir, const QString &name);
    // The socket file at the name is the one listened on.
    void listened();
    // Safe in a signal handler: the address leads to replacement, an open descriptor that is no
    // directory, from now on.
    void turnAway(int replacement);
    // Once the listener is closed: removes the file it listened on, where the address was
    // turned away, while the file at the name is still that one.
    void removeTurnedAway();

private:
    void release();

    std::atomic<int> m_address{-1}; // the listener's way to the directory
    std::atomic<bool> m_turnedAway{false};
    int m_directory = -1; // the way to the directory that stays
    QByteArray m_name;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};
