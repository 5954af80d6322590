#pragma once

#include <QString>

// Where the command sockets live, so that no other local user can put a socket in their place:
// $XDG_RUNTIME_DIR where it is set (the session's private directory), otherwise the user's own
// directory "kvl52110-UID" in the temporary directory, made with mode 0700 and checked to be
// the user's and closed to others before it is used. A socket path longer than a socket
// address holds falls back to a short one of the user's own under /tmp.
class SocketDir
{
public:
    // The longest socket path that a local server can listen on (the socket address holds 107
    // bytes; the server binds in a temporary directory beside the path first).
    static constexpr int MaxPathBytes = 98;

    // The directory of the sockets.
    static QString directory();
    // The socket file for a socket name: an absolute name is a path as it is, any other name a
    // file in directory(); a path longer than MaxPathBytes becomes a file of the short
    // directory named after a hash of the long path, so every start that means the same long
    // path finds the same short one.
    static QString socketFile(const QString &name);
    // Makes sure that the directory of socketFile is fit to listen in: one of the user's own
    // socket directories is made when missing (mode 0700) and must belong to the user and be
    // closed to others; any other directory is taken as it is. False with *why (one sentence
    // naming the directory and what to do) when it is not fit.
    static bool prepare(const QString &socketFile, QString *why);

private:
    static QString ownDirectory(const QString &parent);
    static bool isOwnDirectory(const QString &directory);
    static bool checkOwnDirectory(const QString &directory, QString *why);
};
