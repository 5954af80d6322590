#pragma once

#include <QString>

// The place of the command socket, checked before a server listens on it: listening with access
// options silently replaces whatever lies at the path.
class SocketPlace
{
public:
    // What lies at the path: nothing, a live server, a socket left by a crashed run, or
    // something that is not a socket (never touched).
    enum State { Free, InUse, Stale, Occupied };

    // What lies at address (the socket's path as the server binds it).
    static State check(const QString &address);
    // Why the socket at address, which a person finds as file, cannot be listened on, as a
    // sentence naming file and what to do; empty when it is free (a stale socket is removed
    // first).
    static QString occupant(const QString &address, const QString &file);
};
