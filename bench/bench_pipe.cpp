// Throughput of the pipe server: 10,000 set/get requests one request per connection, and 100,000
// in batches of 100 (200 of each in the short mode), against the program's LocalServer and, as
// the baseline measured in the same run, a bare local-socket server that echoes each batch back
// and closes; the two servers' connections in turn, so that both meet the same load. Two kinds of
// client: one that shuts down its writing side after its batch, which tells the server that no
// more requests follow, and one that writes its batch and reads until the server closes.

#include "benchenv.h"
#include "localserver.h"
#include "requesthandler.h"
#include "socketdir.h"

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

// Requests per round (a multiple of the batch), and rounds: the best round of each side counts. A
// batch of 100 takes a tenth of a millisecond: a thousand of them make a measurement that a busy
// machine does not decide alone.
int requestCount(int batchSize)
{
    return BenchEnvironment::pick(batchSize > 1 ? 100000 : 10000, 200);
}
int rounds()
{
    return BenchEnvironment::pick(5, 1);
}

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
        const auto found = store.constFind(name);
        if (found == store.cend())
            return false;
        *result = found.value();
        return true;
    }
    bool run(const QString &, QVariant &, QVariant *) override { return false; }
    void addLog(int, const QString &) override {}
    QHash<QString, QVariant> store;
};

// Echoes a batch once it ends with a line feed, then closes: the transport cost alone.
class EchoServer : public QObject
{
public:
    // Listens on the address of a socket (SocketDir::address).
    QString listen(const QString &address)
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
        return server->listen(address) ? QString() : server->errorString();
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

// One connection to the address of a socket (SocketDir::address): writes the batch, shuts down
// the writing side when halfClose is set, reads until the server closes; false on a failure.
bool exchange(const QString &address, const QByteArray &batch, bool halfClose, QByteArray *reply)
{
    QLocalSocket socket;
    socket.connectToServer(address);
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

struct Rates {
    double echo = 0; // requests per second
    double pipe = 0;
};

// One round: requestCount() requests sent batchSize per connection to each server, a connection
// to the echo server and one to the pipe server in turn; no rates on a failure.
Rates measure(const QString &echoAddress, const QString &pipeAddress, int batchSize, bool halfClose,
              QByteArray *firstReply)
{
    const int count = requestCount(batchSize);
    qint64 echoNs = 0;
    qint64 pipeNs = 0;
    QElapsedTimer timer;
    for (int first = 0; first < count; first += batchSize) {
        QByteArray batch;
        for (int i = first; i < first + batchSize; ++i)
            batch += requestLine(i);
        QByteArray reply;
        for (const QString &address : {echoAddress, pipeAddress}) {
            timer.start();
            if (!exchange(address, batch, halfClose, &reply)) {
                std::fprintf(stderr, "request to %s failed\n", qPrintable(address));
                return Rates();
            }
            (address == pipeAddress ? pipeNs : echoNs) += timer.nsecsElapsed();
        }
        if (first == 0)
            *firstReply = reply;
    }
    return {count * 1e9 / double(qMax<qint64>(1, echoNs)),
            count * 1e9 / double(qMax<qint64>(1, pipeNs))};
}

} // namespace

int main(int argc, char **argv)
{
    BenchEnvironment env(argc, argv);
    if (const int code = env.checkStart())
        return code;
    QCoreApplication app(argc, argv);
    const QString pipeName = QStringLiteral("KVLBENCH");
    const QString echoName = QStringLiteral("KVLECHO");
    // The socket directory as the program makes it; both servers and the clients go through it.
    const SocketDir dir(SocketDir::Use::Make);

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
                why = QStringLiteral("LocalServer cannot serve the pipe %1: %2")
                          .arg(pipeName, pipe->failure());
            else if (const QString error = echo->listen(dir.address(echoName)); !error.isEmpty())
                why = QStringLiteral("the echo server cannot listen: ") + error;
        },
        Qt::BlockingQueuedConnection);

    int code = 0;
    if (!why.isEmpty()) {
        code = env.cannotStart(why);
    } else {
        std::printf("%d set/get requests alone, %d in batches, best of %d rounds; ratio = "
                    "LocalServer / echo baseline, same run\n",
                    requestCount(1), requestCount(100), rounds());
        for (bool halfClose : {true, false}) {
            for (int batchSize : {1, 100}) {
                QByteArray reply;
                double echoRate = 0;
                double pipeRate = 0;
                bool failed = false;
                for (int round = 0; round < rounds(); ++round) {
                    const Rates r = measure(dir.address(echoName), dir.address(pipeName), batchSize,
                                            halfClose, &reply);
                    failed = failed || r.echo <= 0 || r.pipe <= 0;
                    echoRate = qMax(echoRate, r.echo);
                    pipeRate = qMax(pipeRate, r.pipe);
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
