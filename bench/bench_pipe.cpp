// Throughput of the pipe server: 10,000 set/get requests, one request per connection and in
// batches of 100, against the program's LocalServer and, as the baseline measured in the same
// run, a bare local-socket server that echoes each batch back and closes. Two kinds of client:
// one that shuts down its writing side after its batch, which tells the server that no more
// requests follow, and one that writes its batch and reads until the server closes.

#include "benchenv.h"
#include "localserver.h"
#include "pipename.h"
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
const int rounds = 3; // each side measured alternately; the best round counts

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
    QString listen(const QString &name)
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
        return server->listen(PipeName::socketFile(name)) ? QString() : server->errorString();
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
    socket.connectToServer(PipeName::socketFile(name));
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

// Requests per second for requestCount requests sent batchSize per connection; 0 on a failure.
double measure(const QString &name, int batchSize, bool halfClose, QByteArray *firstReply)
{
    QElapsedTimer timer;
    timer.start();
    for (int first = 0; first < requestCount; first += batchSize) {
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
    return requestCount * 1e9 / double(qMax<qint64>(1, timer.nsecsElapsed()));
}

} // namespace

int main(int argc, char **argv)
{
    BenchEnvironment env(argv[0]);
    if (const int code = env.checkStart())
        return code;
    QCoreApplication app(argc, argv);
    const QString pipeName = QStringLiteral("KVLBENCH");
    const QString echoName = QStringLiteral("KVLECHO");

    QThread serverThread;
    StoreHandler handler;
    auto *pipe = new LocalServer(&handler);
    auto *echo = new EchoServer;
    pipe->moveToThread(&serverThread);
    echo->moveToThread(&serverThread);
    serverThread.start();
    QString why;
    QMetaObject::invokeMethod(
        pipe,
        [&]() {
            if (!pipe->start(pipeName))
                why = QStringLiteral("LocalServer cannot serve the pipe ") + pipeName;
            else if (const QString error = echo->listen(echoName); !error.isEmpty())
                why = QStringLiteral("the echo server cannot listen: ") + error;
        },
        Qt::BlockingQueuedConnection);

    int code = 0;
    if (!why.isEmpty()) {
        code = env.cannotStart(why);
    } else {
        std::printf("%d set/get requests, best of %d rounds; ratio = LocalServer / echo "
                    "baseline, same run\n",
                    requestCount, rounds);
        for (bool halfClose : {true, false}) {
            for (int batchSize : {1, 100}) {
                QByteArray reply;
                double echoRate = 0;
                double pipeRate = 0;
                bool failed = false;
                for (int round = 0; round < rounds; ++round) {
                    const double e = measure(echoName, batchSize, halfClose, &reply);
                    const double p = measure(pipeName, batchSize, halfClose, &reply);
                    failed = failed || e <= 0 || p <= 0;
                    echoRate = qMax(echoRate, e);
                    pipeRate = qMax(pipeRate, p);
                }
                if (failed)
                    code = 1;
                std::printf("%-27s batch %3d: echo %9.0f req/s, LocalServer %9.0f req/s, "
                            "ratio %.2f (first reply %s)\n",
                            halfClose ? "client half-closes," : "client reads until close,",
                            batchSize, echoRate, pipeRate, echoRate > 0 ? pipeRate / echoRate : 0.0,
                            reply.left(12).toHex(' ').constData());
            }
        }
    }

    QMetaObject::invokeMethod(
        pipe,
        [&]() {
            delete pipe;
            delete echo;
        },
        Qt::BlockingQueuedConnection);
    serverThread.quit();
    serverThread.wait();
    return code;
}
