#pragma once

// A client of the program's pipe protocol that serves events while it waits, so it can talk to
// a server in its own process. Header only, for tests that link the application library.
#include "localserver.h"
#include "pipename.h"
#include "socketdir.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QtTest>

#include <cstring>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>

// Connects at once; the reply is collected, serving events, until the server closes.
class PipeClient
{
public:
    explicit PipeClient(const QString &localName = programPipe())
    {
        QObject::connect(&socket, &QLocalSocket::readyRead,
                         [this]() { received += socket.readAll(); });
        connectSocket(&socket, localName);
    }
    // Connects a socket to a socket name of the user's socket directory, as the program's
    // clients do (through the directory's descriptor), waiting up to 5 s.
    static bool connectSocket(QLocalSocket *socket, const QString &localName)
    {
        const SocketDir dir;
        socket->connectToServer(dir.address(localName));
        if (socket->waitForConnected(5000))
            return true;
        socket->abort(); // no later attempt through the directory closed here
        return false;
    }
    // Bytes written on a plain socket that its peer has not read yet; -1 when unknown.
    static int unreadByPeer(int fd)
    {
        int n = 0;
        return ::ioctl(fd, SIOCOUTQ, &n) == 0 ? n : -1;
    }
    // The address of a socket name for a plain socket to bind or connect: through the
    // descriptor of dir, which must stay open while the address is used.
    static sockaddr_un address(const SocketDir &dir, const QString &localName)
    {
        sockaddr_un address{AF_UNIX, {}};
        const QByteArray path = QFile::encodeName(dir.address(localName));
        std::memcpy(address.sun_path, path.constData(),
                    qMin(size_t(path.size()), sizeof address.sun_path - 1));
        return address;
    }
    // The local name of the program's pipe.
    static QString programPipe() { return PipeName::localName(PipeName::pipePath("KVL52110")); }

    bool connected() const { return socket.state() == QLocalSocket::ConnectedState; }
    bool send(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.flush();
        return connected();
    }
    bool waitClosed(int ms = 10000)
    {
        QElapsedTimer t;
        t.start();
        while (socket.state() != QLocalSocket::UnconnectedState && t.elapsed() < ms)
            QTest::qWait(5);
        received += socket.readAll();
        return socket.state() == QLocalSocket::UnconnectedState;
    }
    // Waits, serving events, until server has either answered what was sent or keeps it
    // waiting (a command of the program's own runs); true when it keeps it waiting.
    bool keptWaitingBy(const LocalServer &server, int ms = 30000)
    {
        return QTest::qWaitFor(
                   [&]() { return !received.isEmpty() || server.waitingRequests() > 0; }, ms) &&
               received.isEmpty();
    }
    // One batch and its whole reply.
    static QByteArray exchange(const QString &localName, const QByteArray &batch)
    {
        PipeClient client(localName);
        if (!client.connected())
            return "<no connection>";
        client.send(batch);
        return client.waitClosed() ? client.received : QByteArray("<not closed>");
    }

    QLocalSocket socket;
    QByteArray received;
};
