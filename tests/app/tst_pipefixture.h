#pragma once

// Shared by the pipe tests: a request handler that records every request with its typed value
// and answers as the test tells it, and a client written against the pipe protocol.

#include "pipename.h"
#include "requesthandler.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QMutex>
#include <QtTest>

// A value as "type:text", a list as "[...]", nothing as "-".
inline QString typed(const QVariant &v)
{
    if (v.typeId() != QMetaType::QVariantList)
        return v.isValid() ? QString(v.typeName()) + ":" + v.toString() : QString("-");
    QStringList items;
    for (const QVariant &item : v.toList())
        items << typed(item);
    return "[" + items.join(",") + "]";
}

class RecordingHandler : public RequestHandler
{
public:
    bool set(const QString &name, QVariant &value) override
    {
        record("set " + name + " " + typed(value));
        return ok;
    }
    bool get(const QString &name, QVariant *result) override
    {
        record("get " + name);
        *result = value;
        return ok && name != "A.missing";
    }
    bool run(const QString &command, QVariant &args, QVariant *result) override
    {
        record("run " + command + " " + typed(args));
        *result = value;
        return ok;
    }
    void addLog(int level, const QString &text) override
    {
        QMutexLocker lock(&mutex);
        logs << qMakePair(level, text);
    }
    QStringList takeCalls()
    {
        QMutexLocker lock(&mutex);
        return std::exchange(calls, {});
    }

    QMutex mutex; // requests may come from a server thread
    QStringList calls;
    QList<QPair<int, QString>> logs;
    bool ok = true;
    QVariant value = 7; // what get and run answer
    int nestedLoopMs = 0; // a request that runs a nested event loop, as a message box does
    int depth = 0, maxDepth = 0;

private:
    void record(const QString &call)
    {
        {
            QMutexLocker lock(&mutex);
            calls << call;
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
