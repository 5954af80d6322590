// The pipe server against a recording handler: how a batch is cut, parsed and answered, one
// at a time, a large reply flushed at the end, and a pipe name already in use. (The program
// itself over its socket: tests/applets/tst_pipeblackbox.)
#include "localserver.h"
#include "pipeconnection.h"
#include "recordingprompt.h"
#include "tablerows.h"
#include "tst_pipefixture.h"

#include <QtTest>

// Answers the pipe name question from a list.
class NamingPrompt : public RecordingPrompt
{
public:
    QString getText(const QString &, const QString &, const QString &, bool *ok) override
    {
        *ok = true;
        return names.isEmpty() ? QString() : names.takeFirst();
    }
    QStringList names;
};

class TestLocalServer : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        handler = std::make_unique<RecordingHandler>();
        server = new LocalServer(handler.get());
        QVERIFY(server->start(name));
    }

    void cleanup()
    {
        delete server;
        handler.reset();
    }

    // ok: what the handler answers; value: what get and run return; calls: the requests made.
    void requests_data()
    {
        const QByteArray err("err\n");
        const QString getAB = "get A.B", none;
        addRows<QByteArray, bool, QVariant, QByteArray, QString>(
            {"batch", "ok", "value", "reply", "calls"},
            {{"set\tA.B\ti5\n", true, {}, "ok\n", "set A.B int:5"},
             {"set\tA.B\ti5\n", false, {}, err, "set A.B int:5"},
             {"set\tA.B\tf#1.5;2\n", true, {}, "ok\n", "set A.B [double:1.5,double:2]"},
             {"get\tA.B\n", true, 42, "i42", getAB},
             {"get\tA.B\n", true, QByteArray("\x01\xab"), "x01ab", getAB},
             {"get\tA.B\n", false, 42, err, getAB},
             {"get\tversion\n", true, {}, "", "get version"},
             {"get\tA.B\n", true, 5ULL, "", getAB}, // unsigned 64 bits has no text
             {"run\tA.cmd\n", true, "x", "sx", "run A.cmd []"},
             {"run\tA.cmd\n", false, 1, err, "run A.cmd []"},
             {"run\tA.cmd\ti#1;2\n", true, {}, "", "run A.cmd [int:1,int:2]"},
             {"run\tA.cmd\t\n", true, {}, "", "run A.cmd -"},
             {"run\tA.cmd\ti1\tf2\n", true, {}, "", "run A.cmd [int:1,double:2]"},
             {"run\tA.cmd\t\t\n", true, {}, "", "run A.cmd [-,-]"},
             // Malformed lines and the batch rules in full: tests/applets/tst_pipeblackbox.
             {"set\tA.B\n", true, {}, err, none}, {"get\tA.B\ti1\n", true, {}, err, none},
             {"run\n", true, {}, err, none}, {"bogus\tA.B\n", true, {}, err, none},
             {"get\tA.B\nset\tA.B\ti1\nget\tA.B\n", true, 3, "i3ok\ni3",
              "get A.B|set A.B int:1|get A.B"},
             {"get\tA.B\r\nget\tA.B\n", true, 3, "i3", getAB},
             {QByteArray("get\tA.B\0\tjunk\n", 14), true, 3, "i3", getAB},
             {"set\tA.B\ti1\nget\tA.B", true, 3, "ok\ni3", "set A.B int:1|get A.B"}});
    }

    void requests()
    {
        QFETCH(QByteArray, batch);
        QFETCH(bool, ok);
        QFETCH(QVariant, value);
        QFETCH(QByteArray, reply);
        QFETCH(QString, calls);
        handler->ok = ok;
        handler->value = value;
        QCOMPARE(PipeClient::exchange(name, batch), reply);
        QCOMPARE(handler->calls.join("|"), calls);
    }

    // A batch split across writes runs whole; batches run one at a time, also when a request
    // runs a nested event loop.
    void batchesRunWholeAndOneAtATime()
    {
        handler->nestedLoopMs = 100;
        PipeClient a(name), b(name), c(name);
        QVERIFY(a.connected() && b.connected() && c.connected());
        a.send("set\tA.B\ti1\nget\tA.");
        b.send("set\tA.b\ti1\n");
        c.send("run\tA.c\n");
        QTest::qWait(150); // well inside the server's wait for the rest of the line
        a.send("C\n");
        QVERIFY(a.waitClosed() && b.waitClosed() && c.waitClosed());
        QCOMPARE(a.received, QByteArray("ok\ni7"));
        QCOMPARE(b.received, QByteArray("ok\n"));
        QCOMPARE(c.received, QByteArray("i7"));
        QCOMPARE(handler->calls.size(), 4);
        QVERIFY(handler->calls.contains("get A.C"));
        QCOMPARE(handler->maxDepth, 1);
    }

    void communicationLog()
    {
        PipeClient::exchange(name, "get\tA.B\n");
        QVERIFY(handler->logs.isEmpty());
        server->setLogEnabled(true);
        QCOMPARE(PipeClient::exchange(name, "get\tA.B\n"), QByteArray("i7"));
        QCOMPARE(handler->logs, (QList<QPair<int, QString>>{{110, "get A.B\n"}, {110, "i7"}}));
    }

    // At the end of the program the event loop no longer runs; a large reply still being
    // written reaches its client through flushReplies.
    void flushRepliesWithoutEventLoop()
    {
        handler->value = QByteArray(1000000, 'a');
        QSemaphore readNow;
        QByteArray received;
        QThread *client = QThread::create([&]() {
            QLocalSocket socket;
            socket.connectToServer(name);
            if (!socket.waitForConnected(5000))
                return;
            socket.write("get\tA.B\n");
            socket.waitForBytesWritten(5000);
            readNow.acquire();
            QElapsedTimer t;
            t.start();
            while (socket.state() == QLocalSocket::ConnectedState && t.elapsed() < 10000) {
                if (socket.waitForReadyRead(100))
                    received += socket.readAll();
            }
            received += socket.readAll();
        });
        client->start();
        QTRY_COMPARE_WITH_TIMEOUT(handler->calls.size(), 1, 10000);
        QTest::qWait(100);
        const QList<PipeConnection *> sockets = server->findChildren<PipeConnection *>();
        QCOMPARE(sockets.size(), 1);
        QVERIFY(sockets.first()->bytesToWrite() > 0); // the client has not read yet
        readNow.release();
        server->flushReplies(10000);
        QVERIFY(client->wait(20000));
        delete client;
        QCOMPARE(received, 'x' + handler->value.toByteArray().toHex());
    }

    // A pipe in use asks for another name ("Yes" with an empty name asks again), and the first
    // server goes on serving; a failed listen is reported.
    void pipeInUseAsksForAnotherName()
    {
        NamingPrompt prompt;
        prompt.queueButton(Prompt::Yes);
        prompt.queueButton(Prompt::Yes);
        prompt.names = QStringList{QString(), "KVLFREE"};
        LocalServer second(handler.get());
        QVERIFY(second.start(name));
        QCOMPARE(prompt.messages().size(), 2);
        QCOMPARE(prompt.messages().value(0).text,
                 QString("Pipe is already used by another software\nUse another pipename?(Yes)"));
        QCOMPARE(prompt.messages().value(0).buttons, int(Prompt::Yes | Prompt::Close));
        QCOMPARE(second.pipePath(), QString("\\\\.\\pipe\\KVLFREE"));
        QCOMPARE(PipeClient::exchange("KVLFREE", "get\tA.B\n"), QByteArray("i7"));
        QCOMPARE(PipeClient::exchange(name, "get\tA.B\n"), QByteArray("i7"));
        QVERIFY(!second.start("/nonexistent-dir-kvl/sock"));
        QCOMPARE(prompt.messages().last().title, QString("Local server failed"));
        QVERIFY(
            prompt.messages().last().text.startsWith("Unable to start interprocess server: \n"));
    }

private:
    std::unique_ptr<RecordingHandler> handler;
    LocalServer *server = nullptr;
    const QString name = QStringLiteral("KVLTEST");
};

QTEST_MAIN(TestLocalServer)
#include "tst_localserver.moc"
