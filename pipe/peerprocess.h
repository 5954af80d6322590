#pragma once

#include <sys/types.h>

// The process at the other end of a connected local socket, learnt at the connection
// (SO_PEERCRED) and held by a process descriptor (pidfd), so that its number can never name
// another process later. A connection that closes with an empty reply does not say whether the
// program answered nothing or ended before answering; the process does: a program that ends is
// under way to its exit (or past it) when the system closes its connections, one that answered
// nothing closed the connection itself while it still ran.
class PeerProcess
{
public:
    enum State { Unknown, Runs, Ended };

    explicit PeerProcess(int socketDescriptor);
    ~PeerProcess();
    PeerProcess(const PeerProcess &) = delete;
    PeerProcess &operator=(const PeerProcess &) = delete;

    // Ended once the process has exited or its exit is under way; Unknown where the system
    // does not tell (no pidfd, the process in a namespace this one cannot see).
    State state() const;

private:
    pid_t m_pid = 0;
    int m_pidfd = -1;
};
