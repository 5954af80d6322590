#include "localclient.h"
#include "localserver.h"
#include "requesthandler.h"

#include <QLocalServer>
#include <QMutex>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>

namespace
{

// Collects the log lines of the clients.
class LogSink : public RequestHandler
{
public:
    bool set(const QString &name, QVariant &value) override
    {
        QMutexLocker lock(&mutex);
        calls << QStringLiteral("set ") + name;
        values << value;
        return true;
    }
    bool get(const QString &name, QVariant *result) override
    {
        QMutexLocker lock(&mutex);
        calls << QStringLiteral("get ") + name;
        *result = 42;
        return name != QLatin1String("A.missing");
    }
    bool run(const QString &command, QVariant &args, QVariant *result) override
    {
        QMutexLocker lock(&mutex);
        calls << QStringLiteral("run ") + command;
        values << args;
        *result = 2.5;
        return true;
    }
    void addLog(int level, const QString &text) override
    {
        QMutexLocker lock(&mutex);
        logs << qMakePair(level, text);
    }
    QMutex mutex;
    QStringList calls;
    QVariantList values;
    QList<QPair<int, QString>> logs;
};

} // namespace

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
    void init();
    void cleanup();

    void timeoutDefault();
    void parseReply_data();
    void parseReply();
    void okLeavesValueUnchanged();
    void requestLines_data();
    void requestLines();
    void replyValue();
    void replyInChunksReadUntilClose();
    void replyKeptOpenEndsAtTimeout();
    void closedWithoutBytesIsEmptyReply();
    void noReplyTimesOut();
    void noServer();
    void logLines();
    void againstLocalServer();

private:
    LogSink *sink = nullptr;
    ScriptedServer *scripted = nullptr;
    QString name;
    int counter = 0;
};

void TestLocalClient::init()
{
    sink = new LogSink;
    RequestHandler::setInstance(sink);
    scripted = new ScriptedServer;
    name = QStringLiteral("KVLCLIENT%1").arg(++counter);
    QVERIFY(scripted->listen(name));
}

void TestLocalClient::cleanup()
{
    delete scripted;
    RequestHandler::setInstance(nullptr);
    delete sink;
}

void TestLocalClient::timeoutDefault()
{
    QCOMPARE(LocalClient(name, -1).timeout(), 500);
    QCOMPARE(LocalClient(name, 0).timeout(), 0);
    QCOMPARE(LocalClient(name, 1234).timeout(), 1234);
    LocalClient fresh(name, -1);
    QVERIFY(fresh.isUnconnected());
}

void TestLocalClient::parseReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QVariant>("value");
    const QVariant untouched(QStringLiteral("untouched"));
    QTest::newRow("ok") << QByteArray("ok\n") << true << 0 << "" << untouched;
    QTest::newRow("ok with blanks") << QByteArray(" ok \r\n") << true << 0 << "" << untouched;
    QTest::newRow("err") << QByteArray("err\n") << false << 1 << "Item is wrong\n" << untouched;
    QTest::newRow("err with reason")
        << QByteArray("err\tno item\n") << false << 1 << "Item is wrong\nno item" << untouched;
    QTest::newRow("err with blanks") << QByteArray("  err \n") << false << 1 << "Item is wrong\n"
                                     << untouched;
    QTest::newRow("int") << QByteArray("i42") << true << 0 << "" << QVariant(42);
    QTest::newRow("double list") << QByteArray("f#1;2") << true << 0 << ""
                                 << QVariant(QVariantList{1.0, 2.0});
    QTest::newRow("crlf alone: no value") << QByteArray("\r\n") << true << 0 << "" << QVariant();
    QTest::newRow("empty: no value") << QByteArray() << true << 0 << "" << QVariant();
    QTest::newRow("two lines read as one")
        << QByteArray("ok\nok\n") << true << 0 << "" << QVariant();
    QTest::newRow("value with tab keeps first field")
        << QByteArray("sab\tcd") << true << 0 << "" << QVariant(QStringLiteral("ab"));
}

void TestLocalClient::parseReply()
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

void TestLocalClient::okLeavesValueUnchanged()
{
    scripted->chunks = {"ok\n"};
    LocalClient client(name, 2000);
    QVariant value(17);
    QVERIFY(client.get(QStringLiteral("A.B"), &value));
    QCOMPARE(client.status(), 0);
    QCOMPARE(value, QVariant(17));
}

void TestLocalClient::requestLines_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("get") << 0 << QByteArray("get\tA.B\n");
    QTest::newRow("set") << 1 << QByteArray("set\tA.B\ti5\n\n");
    QTest::newRow("set unsigned 64") << 2 << QByteArray("set\tA.B\ti5\n\n");
    QTest::newRow("run without arguments") << 3 << QByteArray("run\tA.cmd\n");
    QTest::newRow("run with arguments") << 4 << QByteArray("run\tA.cmd\ti1\tf2.5\n");
}

void TestLocalClient::requestLines()
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

void TestLocalClient::replyValue()
{
    scripted->chunks = {"f#1;2"};
    LocalClient client(name, 2000);
    QVariant value;
    QVERIFY(client.run(QStringLiteral("A.cmd"), {}, &value));
    QCOMPARE(value, QVariant(QVariantList{1.0, 2.0}));
    QCOMPARE(client.status(), 0);
    QVERIFY(client.lastError().isEmpty());
}

void TestLocalClient::replyInChunksReadUntilClose()
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

void TestLocalClient::replyKeptOpenEndsAtTimeout()
{
    scripted->chunks = {"i5"};
    scripted->closeAfter = false;
    LocalClient client(name, 300);
    QVariant value;
    QVERIFY(client.get(QStringLiteral("A.B"), &value));
    QCOMPARE(value, QVariant(5));
}

void TestLocalClient::closedWithoutBytesIsEmptyReply()
{
    scripted->chunks = {};
    LocalClient client(name, 2000);
    QVariant value(3);
    QVERIFY(client.run(QStringLiteral("A.cmd"), {}, &value));
    QVERIFY(!value.isValid());
    QCOMPARE(client.status(), 0);
}

void TestLocalClient::noReplyTimesOut()
{
    scripted->silent = true;
    LocalClient client(name, 200);
    QVariant value(3);
    QVERIFY(!client.get(QStringLiteral("A.B"), &value));
    QCOMPARE(client.status(), 3);
    QCOMPARE(client.lastError(),
             QStringLiteral("No response from pipe %1 command A.B\n Try to set higher timeout!\n")
                 .arg(name));
    QCOMPARE(value, QVariant(3));
}

void TestLocalClient::noServer()
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

void TestLocalClient::logLines()
{
    scripted->chunks = {"i42"};
    LocalClient client(name, 2000);
    QVariant value;
    QVERIFY(client.get(QStringLiteral("A.B"), &value));
    scripted->chunks = {"ok\n"};
    QVERIFY(client.set(QStringLiteral("A.B"), 1));
    QCOMPARE(sink->logs.size(), 4);
    const QRegularExpression getTx(
        QStringLiteral("^<font color=blue>Pipe\\(%1\\) :\\[\\d+:\\d+:\\d+:\\d{3} to=2000\\] "
                       "get\tA.B\n</font>$")
            .arg(name));
    const QRegularExpression getRx(
        QStringLiteral("^<font color=green>Pipe\\(%1\\) :\\[\\+\\d+ms\\] i42</font>$").arg(name));
    const QRegularExpression setTx(
        QStringLiteral("^<font color=blue>Pipe\\(%1\\) TX:\\[[\\d:]+ to=2000\\] "
                       "set\tA.B\ti1\n\n</font>$")
            .arg(name));
    const QRegularExpression setRx(
        QStringLiteral("^<font color=green>Pipe\\(%1\\) RX:\\[\\+\\d+ms\\] ok\n</font>$")
            .arg(name));
    QCOMPARE(sink->logs.at(0).first, 1);
    QVERIFY2(getTx.match(sink->logs.at(0).second).hasMatch(), qPrintable(sink->logs.at(0).second));
    QVERIFY2(getRx.match(sink->logs.at(1).second).hasMatch(), qPrintable(sink->logs.at(1).second));
    QVERIFY2(setTx.match(sink->logs.at(2).second).hasMatch(), qPrintable(sink->logs.at(2).second));
    QVERIFY2(setRx.match(sink->logs.at(3).second).hasMatch(), qPrintable(sink->logs.at(3).second));
}

// The client against the program's own server, running on a thread of its own.
void TestLocalClient::againstLocalServer()
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
        QCOMPARE(sink->calls, (QStringList{"set A.B", "get A.B", "get A.missing", "run A.cmd"}));
        QCOMPARE(sink->values.at(0), QVariant(2.5));
        QCOMPARE(sink->values.at(1), QVariant(QVariantList{1, 2.5}));
    }
    QMetaObject::invokeMethod(
        server, [&]() { delete server; }, Qt::BlockingQueuedConnection);
    thread.quit();
    thread.wait();
}

QTEST_MAIN(TestLocalClient)
#include "tst_localclient.moc"
