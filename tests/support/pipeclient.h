#pragma once

// A client of the program's pipe protocol that serves events while it waits, so it can talk to
// a server in its own process. Header only, for tests that link the application library.
#include "localserver.h"
#include "pipename.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QtTest>

// Connects at once; the reply is collected, serving events, until the server closes.
class PipeClient
{
public:
    explicit PipeClient(const QString &localName = programPipe())
    {
        QObject::connect(&socket, &QLocalSocket::readyRead,
                         [this]() { received += socket.readAll(); });
        socket.connectToServer(PipeName::socketFile(localName));
        socket.waitForConnected(5000);
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
