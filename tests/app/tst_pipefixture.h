#pragma once

// Shared by the pipe tests: a request handler that records every request and answers as the
// test tells it, and a client written against the pipe protocol.

#include "pipename.h"
#include "requesthandler.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QMutex>
#include <QSet>
#include <QtTest>

class RecordingHandler : public RequestHandler
{
public:
    bool set(const QString &name, QVariant &value) override
    {
        record(QStringLiteral("set ") + name, value);
        return setResult;
    }
    bool get(const QString &name, QVariant *result) override
    {
        record(QStringLiteral("get ") + name, QVariant());
        *result = getValue;
        return getResult && !refused.contains(name);
    }
    bool run(const QString &command, QVariant &args, QVariant *result) override
    {
        record(QStringLiteral("run ") + command, args);
        *result = runValue;
        return runResult;
    }
    void addLog(int level, const QString &text) override
    {
        QMutexLocker lock(&mutex);
        logs << qMakePair(level, text);
    }

    QMutex mutex; // requests may come from a server thread
    QStringList calls;
    QVariantList values; // the value of each set and the arguments of each run
    QList<QPair<int, QString>> logs;
    bool setResult = true;
    bool getResult = true;
    bool runResult = true;
    QSet<QString> refused; // names whose get fails
    QVariant getValue = 7;
    QVariant runValue;
    int nestedLoopMs = 0; // a request that runs a nested event loop, as a message box does
    int depth = 0;
    int maxDepth = 0;

private:
    void record(const QString &call, const QVariant &value)
    {
        {
            QMutexLocker lock(&mutex);
            calls << call;
            if (!call.startsWith(QLatin1String("get")))
                values << value;
        }
        maxDepth = qMax(maxDepth, ++depth);
        if (nestedLoopMs > 0)
            QTest::qWait(nestedLoopMs);
        --depth;
    }
};

// Connects at once; the reply is collected, serving events, until the server closes.
class PipeClient
{
public:
    explicit PipeClient(const QString &localName = programPipe())
    {
        QObject::connect(&socket, &QLocalSocket::readyRead,
                         [this]() { received += socket.readAll(); });
        socket.connectToServer(localName);
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
