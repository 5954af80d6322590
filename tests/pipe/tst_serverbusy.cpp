// The pipe server while a batch runs: what its client writes meanwhile (part of a line, more
// than the server takes) and how such a connection ends; a client gone inside a line; lines
// that arrive as the server ends a connection; a client that ends its input after empty replies.
#include "localserver.h"
#include "pipeconnection.h"
#include "tst_pipefixture.h"

#include <QTimer>
#include <QtTest>

#include <memory>

class TestServerBusy : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        handler = std::make_unique<RecordingHandler>();
        server = std::make_unique<LocalServer>(handler.get());
        QVERIFY(server->start(name));
        server->setQuietGapMs(3600000); // a connection ends once its replies are read
    }

    void cleanup()
    {
        server.reset();
        handler.reset();
    }

    // Part of a line that arrives while the batch before it runs waits for its rest; a client
    // that writes no more has it run after the wait, as a last line without its line feed.
    void partOfALineWhileABatchRuns()
    {
        RawClient client(name);
        QVERIFY(client.connected);
        bool taken = false;
        handler->whileRunning = [&](const QString &call) {
            if (call == "get A.B")
                taken = client.send("get\tA.C") && client.waitRead();
        };
        QVERIFY(client.send("get\tA.B\n"));
        QVERIFY(client.readUntilClose());
        QVERIFY(taken);
        QCOMPARE(client.received, QByteArray("i7i7"));
        QCOMPARE(handler->calls, (QStringList{"get A.B", "get A.C"}));
    }

    // A client that goes away inside a line: nothing of what it wrote runs (it could never
    // learn the outcome), its connection goes, and the next client is served.
    void clientGoneInsideALine()
    {
        {
            RawClient gone(name);
            QVERIFY(gone.send("set\tA.B\ti1\nget\tA.") && gone.waitRead());
        }
        QTRY_VERIFY_WITH_TIMEOUT(server->findChildren<PipeConnection *>().isEmpty(), 30000);
        QCOMPARE(handler->takeCalls(), QStringList());
        QCOMPARE(PipeClient::exchange(name, "get\tA.D\n"), QByteArray("i7"));
        QCOMPARE(handler->calls, QStringList{"get A.D"});
    }

    // A client that goes away while its batch runs, an earlier reply unread (the server sees
    // a reset, not an end of input): the batch's replies find it gone, and the connection goes.
    void clientGoneWhileItsBatchRuns()
    {
        auto client = std::make_unique<RawClient>(name);
        QVERIFY(client->send("get\tA.B\n"));
        char byte;
        QTRY_COMPARE_WITH_TIMEOUT(::recv(client->fd, &byte, 1, MSG_PEEK), ssize_t(1), 30000);
        const auto seenClosed = [this]() {
            const auto pipes = server->findChildren<PipeConnection *>();
            return pipes.size() == 1 && !pipes.first()->isOpen();
        };
        bool closedMeanwhile = false;
        handler->whileRunning = [&](const QString &) {
            client.reset();
            closedMeanwhile = QTest::qWaitFor(seenClosed, 30000);
        };
        QCOMPARE(::send(client->fd, "get\tA.C\n", 8, MSG_NOSIGNAL), ssize_t(8)); // goes meanwhile
        QTRY_VERIFY_WITH_TIMEOUT(server->findChildren<PipeConnection *>().isEmpty(), 30000);
        QVERIFY(closedMeanwhile);
        QCOMPARE(handler->calls, (QStringList{"get A.B", "get A.C"}));
    }

    // A client that writes more than the server takes while its batch runs gets that batch's
    // replies, then "err"; nothing more runs, and the connection ends, also when the client
    // reads none of it.
    void overTheLimitWhileABatchRuns_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("reads");
        QTest::newRow("short reply, read") << QVariant(7) << true;
        QTest::newRow("long reply, never read") << QVariant(QByteArray(1 << 21, 'a')) << false;
    }
    void overTheLimitWhileABatchRuns()
    {
        QFETCH(QVariant, value);
        QFETCH(bool, reads);
        handler->value = value;
        // The refusal is an error of the log, whether or not the communication is logged: the
        // client points there. The test waits for it.
        server->setLogEnabled(false);
        const auto refusalLogged = [this]() {
            QMutexLocker lock(&handler->mutex);
            return std::any_of(handler->logs.cbegin(), handler->logs.cend(), [](const auto &log) {
                return log.first == -1 && log.second.endsWith("bytes refused");
            });
        };
        RawClient client(name);
        QVERIFY(client.connected);
        bool refused = false;
        handler->whileRunning = [&](const QString &) {
            refused = client.send(QByteArray(LocalServer::maxBatchBytes, '\n'), 65536) &&
                      QTest::qWaitFor(refusalLogged, 30000);
        };
        QVERIFY(client.send("get\tA.B\n"));
        QTRY_VERIFY_WITH_TIMEOUT(handler->calls.size() == 1 && handler->depth == 0, 30000);
        QVERIFY(refused);
        if (reads) {
            QVERIFY(client.readUntilClose());
            QCOMPARE(client.received, QByteArray("i7err\n"));
        }
        QTRY_VERIFY_WITH_TIMEOUT(server->findChildren<PipeConnection *>().isEmpty(), 30000);
        QVERIFY(client.readUntilClose());
        QVERIFY(client.received.startsWith(reads ? "i7" : "x6161"));
        QCOMPARE(handler->calls, QStringList{"get A.B"});
    }

    // Lines that arrive as the server ends a quiet connection (its wait ran out before it took
    // them) still run, but a last line the end cut off does not: it is answered "err".
    void linesAsTheConnectionEnds_data()
    {
        QTest::addColumn<QByteArray>("late");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("lines and a part")
            << QByteArray("set\tA.B\ti2\nget\tA.") << QByteArray("ok\nerr\n")
            << QStringList{"set A.B int:2"};
        QTest::newRow("a part") << QByteArray("get\tA.C") << QByteArray("err\n") << QStringList();
    }
    void linesAsTheConnectionEnds()
    {
        QFETCH(QByteArray, late);
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, calls);
        handler->value = QVariant(); // no reply to read: the connection waits for more
        RawClient client(name);
        QVERIFY(client.send("run\tA.cmd\n"));
        QTRY_COMPARE_WITH_TIMEOUT(handler->calls.size(), 1, 30000);
        QCOMPARE(handler->takeCalls(), QStringList{"run A.cmd []"});
        auto *pipe = server->findChild<PipeConnection *>();
        QVERIFY(pipe);
        auto *wait = pipe->findChild<QTimer *>();
        QVERIFY(wait && wait->isActive());
        // Sent, and no event runs before the wait runs out.
        QCOMPARE(::send(client.fd, late.constData(), size_t(late.size()), MSG_NOSIGNAL),
                 ssize_t(late.size()));
        QVERIFY(QMetaObject::invokeMethod(wait, "timeout"));
        QVERIFY(client.readUntilClose());
        QCOMPARE(client.received, reply);
        QCOMPARE(handler->calls, calls);
    }

    // A client whose replies were empty may write more until the quiet gap; once it ends its
    // input it is done, and the server closes at once.
    void inputEndedAfterEmptyReplies()
    {
        handler->value = QVariant();
        RawClient client(name);
        QVERIFY(client.send("run\tA.cmd\n"));
        QTRY_COMPARE_WITH_TIMEOUT(handler->calls.size(), 1, 30000);
        auto *pipe = server->findChild<PipeConnection *>();
        QVERIFY(pipe);
        auto *wait = pipe->findChild<QTimer *>();
        QVERIFY(wait && wait->isActive());
        QCOMPARE(wait->interval(), 3600000); // the quiet gap: more lines may follow
        ::shutdown(client.fd, SHUT_WR);
        QVERIFY(client.readUntilClose());
        QCOMPARE(client.received, QByteArray());
    }

private:
    std::unique_ptr<RecordingHandler> handler;
    std::unique_ptr<LocalServer> server;
    const QString name = QStringLiteral("KVLBUSY");
};

QTEST_MAIN(TestServerBusy)
#include "tst_serverbusy.moc"
