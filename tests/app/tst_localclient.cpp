#include "localclient.h"
#include "localserver.h"
#include "tablerows.h"
#include "tst_pipefixture.h"

#include <QLocalServer>
#include <QMutex>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>

// A server on a thread of its own that records each request and answers with scripted
// chunks, so the blocking client can be tested against it.
class ScriptedServer : public QObject
{
    Q_OBJECT
public:
    ScriptedServer()
    {
        moveToThread(&thread);
        thread.start();
    }
    ~ScriptedServer() override
    {
        QMetaObject::invokeMethod(this, "stop", Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
    }
    bool listen(const QString &name)
    {
        bool ok = false;
        QMetaObject::invokeMethod(this, "doListen", Qt::BlockingQueuedConnection,
                                  Q_RETURN_ARG(bool, ok), Q_ARG(QString, name));
        return ok;
    }
    QByteArray received()
    {
        QMutexLocker lock(&mutex);
        return m_received;
    }

    // Set before the request is made.
    QList<QByteArray> chunks;
    int chunkGapMs = 0;
    bool closeAfter = true;
    bool silent = false;

private slots:
    bool doListen(const QString &name)
    {
        server = new QLocalServer(this);
        connect(server, &QLocalServer::newConnection, this, &ScriptedServer::onConnection);
        return server->listen(name);
    }
    void stop() { delete server; }
    void onConnection()
    {
        while (QLocalSocket *socket = server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket]() {
                const QByteArray bytes = socket->readAll();
                QMutexLocker lock(&mutex);
                m_received += bytes;
                lock.unlock();
                if (bytes.endsWith('\n'))
                    answer(socket);
            });
        }
    }

private:
    void answer(QLocalSocket *socket)
    {
        if (silent)
            return;
        for (const QByteArray &chunk : chunks) {
            socket->write(chunk);
            socket->flush();
            QThread::msleep(ulong(chunkGapMs));
        }
        if (closeAfter)
            socket->disconnectFromServer();
    }

    QThread thread;
    QLocalServer *server = nullptr;
    QMutex mutex;
    QByteArray m_received;
};

class TestLocalClient : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        sink = new RecordingHandler;
        sink->getValue = 42;
        sink->runValue = 2.5;
        sink->refused = {"A.missing"};
        RequestHandler::setInstance(sink);
        scripted = new ScriptedServer;
        name = QStringLiteral("KVLCLIENT%1").arg(++counter);
        QVERIFY(scripted->listen(name));
    }

    void cleanup()
    {
        delete scripted;
        RequestHandler::setInstance(nullptr);
        delete sink;
    }

    void parseReply_data()
    {
        const QVariant untouched(QStringLiteral("untouched"));
        addRows<QByteArray, bool, int, QString, QVariant>(
            {"reply", "result", "status", "error", "value"},
            {{" ok \r\n", true, 0, "", untouched},
             {"  err \n", false, 1, "Item is wrong\n", untouched},
             {"err\tno item\n", false, 1, "Item is wrong\nno item", untouched},
             {"f#1;2", true, 0, "", QVariantList{1.0, 2.0}},
             {"\r\n", true, 0, "", QVariant()},
             {"ok\nok\n", true, 0, "", QVariant()},
             {"sab\tcd", true, 0, "", QStringLiteral("ab")}});
    }

    void parseReply()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, result);
        QFETCH(int, status);
        QFETCH(QString, error);
        QFETCH(QVariant, value);
        LocalClient client(name, -1);
        QVariant got(QStringLiteral("untouched"));
        QCOMPARE(client.parseReply(reply, &got), result);
        QCOMPARE(client.status(), status);
        QCOMPARE(client.lastError(), error);
        QCOMPARE(got.typeId(), value.typeId());
        QCOMPARE(got, value);
        QCOMPARE(client.parseReply(reply, nullptr), result); // no value wanted
    }

    void requestLines_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("get") << 0 << QByteArray("get\tA.B\n");
        QTest::newRow("set") << 1 << QByteArray("set\tA.B\ti5\n\n");
        QTest::newRow("set unsigned 64") << 2 << QByteArray("set\tA.B\ti5\n\n");
        QTest::newRow("run without arguments") << 3 << QByteArray("run\tA.cmd\n");
        QTest::newRow("run with arguments") << 4 << QByteArray("run\tA.cmd\ti1\tf2.5\n");
    }

    void requestLines()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, expected);
        scripted->chunks = {"ok\n"};
        LocalClient client(name, 2000);
        QVariant value;
        switch (kind) {
        case 0:
            QVERIFY(client.get(QStringLiteral("A.B"), &value));
            break;
        case 1:
            QVERIFY(client.set(QStringLiteral("A.B"), 5));
            break;
        case 2:
            QVERIFY(client.set(QStringLiteral("A.B"), qulonglong(5)));
            break;
        case 3:
            QVERIFY(client.run(QStringLiteral("A.cmd"), {}, &value));
            break;
        default:
            QVERIFY(client.run(QStringLiteral("A.cmd"), {1, 2.5}, &value));
            break;
        }
        QCOMPARE(scripted->received(), expected);
    }

    // Replies through the pipe: "ok" leaves the value, nothing at all clears it, and a reply the
    // server keeps open ends at the timeout.
    void replyThroughThePipe_data()
    {
        QTest::addColumn<QByteArray>("chunk"); // empty: none
        QTest::addColumn<bool>("closeAfter");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("list") << QByteArray("f#1;2") << true << QVariant(QVariantList{1.0, 2.0});
        QTest::newRow("ok") << QByteArray("ok\n") << true << QVariant(17);
        QTest::newRow("closed without bytes") << QByteArray() << true << QVariant();
        QTest::newRow("kept open") << QByteArray("i5") << false << QVariant(5);
    }

    void replyThroughThePipe()
    {
        QFETCH(QByteArray, chunk);
        QFETCH(bool, closeAfter);
        QFETCH(QVariant, value);
        if (!chunk.isEmpty())
            scripted->chunks = {chunk};
        scripted->closeAfter = closeAfter;
        LocalClient client(name, closeAfter ? 2000 : 300);
        QVariant got(17);
        QVERIFY(client.run(QStringLiteral("A.cmd"), {}, &got));
        QCOMPARE(got, value);
        QCOMPARE(client.status(), 0);
        QVERIFY(client.lastError().isEmpty());
    }

    void replyInChunksReadUntilClose()
    {
        scripted->chunks = {"i4", "2"};
        scripted->chunkGapMs = 100;
        LocalClient client(name, 5000);
        QVariant value;
        QVERIFY(client.get(QStringLiteral("A.B"), &value));
        QCOMPARE(value, QVariant(42));
        // The server closed the connection; the next request connects again.
        scripted->chunks = {"err\tgone\n"};
        scripted->chunkGapMs = 0;
        QVERIFY(!client.get(QStringLiteral("A.B"), &value));
        QCOMPARE(client.status(), 1);
        QCOMPARE(client.lastError(), QStringLiteral("Item is wrong\ngone"));
        QCOMPARE(scripted->received(), QByteArray("get\tA.B\nget\tA.B\n"));
    }

    void noReplyTimesOut()
    {
        scripted->silent = true;
        LocalClient client(name, 200);
        QVariant value(3);
        QVERIFY(!client.get(QStringLiteral("A.B"), &value));
        QCOMPARE(client.status(), 3);
        QCOMPARE(
            client.lastError(),
            QStringLiteral("No response from pipe %1 command A.B\n Try to set higher timeout!\n")
                .arg(name));
        QCOMPARE(value, QVariant(3));
    }

    void noServer()
    {
        const QString pipe = QStringLiteral("\\\\.\\pipe\\KVLNOBODY");
        LocalClient client(pipe, 200);
        QVariant value;
        QVERIFY(!client.get(QStringLiteral("A.B"), &value));
        QCOMPARE(client.lastError(), QStringLiteral("Can't connect"));
        QCOMPARE(client.status(), 3);
        QCOMPARE(sink->logs.size(), 1);
        QCOMPARE(sink->logs.first(), qMakePair(0, pipe + QStringLiteral(" : Can't connect")));
        QVERIFY(!client.run(QStringLiteral("A.cmd"), {}, &value));
        QCOMPARE(client.lastError(), QStringLiteral("Can't connect"));
    }

    void logLines()
    {
        scripted->chunks = {"i42"};
        LocalClient client(name, 2000);
        QVariant value;
        QVERIFY(client.get(QStringLiteral("A.B"), &value));
        scripted->chunks = {"ok\n"};
        QVERIFY(client.set(QStringLiteral("A.B"), 1));
        const QStringList patterns = {
            "^<font color=blue>Pipe\\(%1\\) :\\[\\d+:\\d+:\\d+:\\d{3} to=2000\\] "
            "get\tA.B\n</font>$",
            "^<font color=green>Pipe\\(%1\\) :\\[\\+\\d+ms\\] i42</font>$",
            "^<font color=blue>Pipe\\(%1\\) TX:\\[[\\d:]+ to=2000\\] set\tA.B\ti1\n\n</font>$",
            "^<font color=green>Pipe\\(%1\\) RX:\\[\\+\\d+ms\\] ok\n</font>$"};
        QCOMPARE(sink->logs.size(), patterns.size());
        QCOMPARE(sink->logs.at(0).first, 1);
        for (int i = 0; i < patterns.size(); ++i) {
            const QString line = sink->logs.at(i).second;
            QVERIFY2(QRegularExpression(patterns.at(i).arg(name)).match(line).hasMatch(),
                     qPrintable(line));
        }
    }

    // The client against the program's own server, running on a thread of its own.
    void againstLocalServer()
    {
        QThread thread;
        LocalServer *server = new LocalServer(sink);
        server->moveToThread(&thread);
        thread.start();
        bool started = false;
        QMetaObject::invokeMethod(
            server, [&]() { started = server->start(QStringLiteral("KVLREAL")); },
            Qt::BlockingQueuedConnection);
        QVERIFY(started);

        LocalClient client(QStringLiteral("\\\\.\\pipe\\KVLREAL"), 5000);
        QVariant value;
        QVERIFY(client.set(QStringLiteral("A.B"), 2.5));
        QVERIFY(client.get(QStringLiteral("A.B"), &value));
        QCOMPARE(value, QVariant(42));
        QVERIFY(!client.get(QStringLiteral("A.missing"), &value));
        QCOMPARE(client.status(), 1);
        QVERIFY(client.run(QStringLiteral("A.cmd"), {1, 2.5}, &value));
        QCOMPARE(value, QVariant(2.5));
        {
            QMutexLocker lock(&sink->mutex);
            QCOMPARE(sink->calls,
                     (QStringList{"set A.B", "get A.B", "get A.missing", "run A.cmd"}));
            QCOMPARE(sink->values.at(0), QVariant(2.5));
            QCOMPARE(sink->values.at(1), QVariant(QVariantList{1, 2.5}));
        }
        QMetaObject::invokeMethod(
            server, [&]() { delete server; }, Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
    }

private:
    RecordingHandler *sink = nullptr;
    ScriptedServer *scripted = nullptr;
    QString name;
    int counter = 0;
};

QTEST_MAIN(TestLocalClient)
#include "tst_localclient.moc"
