#pragma once

#include <QString>

// Maps the Windows pipe path "\\.\pipe\NAME" onto the local socket name NAME (a socket file in
// the user's socket directory, see SocketDir). The server and the client both go through here.
class PipeName
{
public:
    // "\\.\pipe\" followed by name.
    static QString pipePath(const QString &name);
    // The local server name for a pipe path; a text without the pipe prefix is taken as it is.
    static QString localName(const QString &pipePath);
    // The socket name that a name given to the program or its client (--name) stands for: its
    // local name, when that is a socket name (SocketDir::checkName); empty with *why otherwise.
    static QString socketName(const QString &given, QString *why);
    // The socket file of a local server name as a person finds it: a file of the user's socket
    // directory (SocketDir::directory).
    static QString socketFile(const QString &localName);
};
