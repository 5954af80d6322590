// Throughput of the pipe server: 10,000 set/get requests, one request per connection and in
// batches of 100, against the program's LocalServer and, as the baseline measured in the same
// run, a bare local-socket server that echoes each batch back and closes. The client shuts down
// its writing side after its batch, which tells the server that no more requests follow. A last
// line gives the rate of a client that does not, and so waits out the server's quiet gap.

#include "localserver.h"
#include "requesthandler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <cstdio>

#include <sys/socket.h>

namespace
{

const int requestCount = 10000;
// Requests for a client that waits out the quiet gap on every connection.
const int gapRequestCount = 40;

// Stores what is set and answers what is asked; no board behind it.
class StoreHandler : public RequestHandler
{
public:
    bool set(const QString &name, QVariant &value) override
    {
        store.insert(name, value);
        return true;
    }
    bool get(const QString &name, QVariant *result) override
    {
        *result = store.value(name);
        return store.contains(name);
    }
    bool run(const QString &, QVariant &, QVariant *) override { return false; }
    void addLog(int, const QString &) override {}
    QHash<QString, QVariant> store;
};

// Echoes a batch once it ends with a line feed, then closes: the transport cost alone.
class EchoServer : public QObject
{
public:
    bool listen(const QString &name)
    {
        server = new QLocalServer(this);
        connect(server, &QLocalServer::newConnection, this, [this]() {
            while (QLocalSocket *socket = server->nextPendingConnection()) {
                connect(socket, &QLocalSocket::readyRead, socket, [socket]() {
                    QByteArray &pending = buffers()[socket];
                    pending += socket->readAll();
                    if (pending.endsWith('\n')) {
                        socket->write(pending);
                        buffers().remove(socket);
                        socket->disconnectFromServer();
                    }
                });
                connect(socket, &QLocalSocket::disconnected, socket, [socket]() {
                    buffers().remove(socket);
                    socket->deleteLater();
                });
            }
        });
        return server->listen(name);
    }
    static QHash<QLocalSocket *, QByteArray> &buffers()
    {
        static QHash<QLocalSocket *, QByteArray> map;
        return map;
    }
    QLocalServer *server = nullptr;
};

QByteArray requestLine(int i)
{
    return i % 2 == 0 ? QByteArrayLiteral("set\tA.B\ti") + QByteArray::number(i) + '\n'
                      : QByteArrayLiteral("get\tA.B\n");
}

// One connection: writes the batch, shuts down the writing side when halfClose is set, reads
// until the server closes; false on a failure.
bool exchange(const QString &name, const QByteArray &batch, bool halfClose, QByteArray *reply)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(5000))
        return false;
    socket.write(batch);
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(5000))
            return false;
    if (halfClose)
        ::shutdown(int(socket.socketDescriptor()), SHUT_WR);
    while (socket.state() == QLocalSocket::ConnectedState)
        if (!socket.waitForReadyRead(5000) && socket.state() == QLocalSocket::ConnectedState)
            return false;
    *reply = socket.readAll();
    return true;
}

// Requests per second for count requests sent batchSize per connection.
double measure(const QString &name, int batchSize, QByteArray *firstReply, bool halfClose = true,
               int count = requestCount)
{
    QElapsedTimer timer;
    timer.start();
    for (int first = 0; first < count; first += batchSize) {
        QByteArray batch;
        for (int i = first; i < first + batchSize; ++i)
            batch += requestLine(i);
        QByteArray reply;
        if (!exchange(name, batch, halfClose, &reply)) {
            std::fprintf(stderr, "request to %s failed\n", qPrintable(name));
            return 0;
        }
        if (first == 0)
            *firstReply = reply;
    }
    return count * 1e9 / double(qMax<qint64>(1, timer.nsecsElapsed()));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString suffix = QString::number(QCoreApplication::applicationPid());
    const QString pipeName = QStringLiteral("KVLBENCH") + suffix;
    const QString echoName = QStringLiteral("KVLECHO") + suffix;

    QThread serverThread;
    StoreHandler handler;
    auto *pipe = new LocalServer(&handler);
    auto *echo = new EchoServer;
    pipe->moveToThread(&serverThread);
    echo->moveToThread(&serverThread);
    serverThread.start();
    bool started = false;
    QMetaObject::invokeMethod(
        pipe, [&]() { started = pipe->start(pipeName) && echo->listen(echoName); },
        Qt::BlockingQueuedConnection);
    if (!started) {
        std::fprintf(stderr, "servers did not start\n");
        return 1;
    }

    QByteArray reply;
    std::printf("%d set/get requests\n", requestCount);
    for (int batchSize : {1, 100}) {
        const double echoRate = measure(echoName, batchSize, &reply);
        const double pipeRate = measure(pipeName, batchSize, &reply);
        std::printf("batch %3d: echo baseline %9.0f req/s, LocalServer %9.0f req/s, ratio %.2f"
                    " (first reply %s)\n",
                    batchSize, echoRate, pipeRate, echoRate > 0 ? pipeRate / echoRate : 0.0,
                    reply.left(12).toHex(' ').constData());
    }
    const double gapRate = measure(pipeName, 1, &reply, false, gapRequestCount);
    std::printf("batch   1, client not shutting down its writing side: LocalServer %.0f req/s"
                " (a quiet gap of %d ms per connection)\n",
                gapRate, LocalServer::quietGapMs);

    QMetaObject::invokeMethod(
        pipe,
        [&]() {
            delete pipe;
            delete echo;
        },
        Qt::BlockingQueuedConnection);
    serverThread.quit();
    serverThread.wait();
    return 0;
}
