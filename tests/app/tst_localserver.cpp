#include "localserver.h"
#include "pipeconnection.h"
#include "prompt.h"
#include "testfiles.h"
#include "tst_pipefixture.h"

#include <QLocalSocket>
#include <QRandomGenerator>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{

// Answers message boxes and text input from queues and records what was asked.
class ScriptedPrompt : public DefaultPrompt
{
public:
    int message(const Message &msg) override
    {
        messages << msg;
        return answers.isEmpty() ? int(Close) : answers.takeFirst();
    }
    QString getText(const QString &, const QString &label, const QString &, bool *ok) override
    {
        labels << label;
        *ok = true;
        return names.isEmpty() ? QString() : names.takeFirst();
    }
    QList<Message> messages;
    QList<int> answers;
    QStringList names;
    QStringList labels;
};

QByteArray exchange(const QString &localName, const QByteArray &batch)
{
    return PipeClient::exchange(localName, batch);
}

// A socket file with nobody behind it, as a crashed run leaves it.
bool makeStaleSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray p = QFile::encodeName(path);
    if (fd < 0 || size_t(p.size()) >= sizeof(addr.sun_path))
        return false;
    memcpy(addr.sun_path, p.constData(), size_t(p.size()));
    const bool ok = ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) == 0;
    ::close(fd);
    return ok;
}

} // namespace

class TestLocalServer : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        handler = new RecordingHandler;
        prompt = new ScriptedPrompt;
        Prompt::install(prompt);
        server = new LocalServer(handler); // serves every test
        QVERIFY(server->start(name));
    }

    void cleanup()
    {
        delete server;
        server = nullptr;
        Prompt::install(nullptr);
        delete prompt;
        delete handler;
    }

    void replies_data()
    {
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("set ok") << QByteArray("set\tBoard.X\ti5\n") << true << QVariant()
                                << QByteArray("ok\n");
        QTest::newRow("set refused")
            << QByteArray("set\tBoard.X\ti5\n") << false << QVariant() << QByteArray("err\n");
        QTest::newRow("get int") << QByteArray("get\tA.B\n") << true << QVariant(42)
                                 << QByteArray("i42");
        QTest::newRow("get double")
            << QByteArray("get\tA.B\n") << true << QVariant(2.5) << QByteArray("f2.5");
        QTest::newRow("get bytes") << QByteArray("get\tA.B\n") << true
                                   << QVariant(QByteArray("\x01\xab")) << QByteArray("x01ab");
        QTest::newRow("get refused")
            << QByteArray("get\tA.B\n") << false << QVariant(42) << QByteArray("err\n");
        QTest::newRow("get without value")
            << QByteArray("get\tversion\n") << true << QVariant() << QByteArray();
        QTest::newRow("get unsigned 64 has no text")
            << QByteArray("get\tA.B\n") << true << QVariant(qulonglong(5)) << QByteArray();
        QTest::newRow("run value")
            << QByteArray("run\tA.cmd\n") << true << QVariant(QString("x")) << QByteArray("sx");
        QTest::newRow("run without value")
            << QByteArray("run\tA.cmd\n") << true << QVariant() << QByteArray();
        QTest::newRow("run refused")
            << QByteArray("run\tA.cmd\n") << false << QVariant(1) << QByteArray("err\n");
        QTest::newRow("two gets back to back")
            << QByteArray("get\tA.B\nget\tA.C\n") << true << QVariant(3) << QByteArray("i3i3");
        QTest::newRow("set then get") << QByteArray("set\tA.B\ti1\nget\tA.B\n") << true
                                      << QVariant(3) << QByteArray("ok\ni3");
    }

    void replies()
    {
        QFETCH(QByteArray, batch);
        QFETCH(bool, result);
        QFETCH(QVariant, value);
        QFETCH(QByteArray, expected);
        handler->setResult = handler->getResult = handler->runResult = result;
        handler->getValue = handler->runValue = value;
        QCOMPARE(exchange(name, batch), expected);
    }

    void setPassesItemAndDecodedValue()
    {
        QCOMPARE(exchange(name, "set\tBoard.BOOSTPWM\tf#1.5;2\n"), QByteArray("ok\n"));
        QCOMPARE(handler->calls, QStringList{"set Board.BOOSTPWM"});
        QCOMPARE(handler->values.first(), QVariant(QVariantList{1.5, 2.0}));
        QCOMPARE(exchange(name, "set\tA.B\thello\n"), QByteArray("ok\n"));
        QVERIFY(!handler->values.last().isValid()); // unknown prefix: no value, passed on as is
    }

    void runArguments_data()
    {
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<QVariant>("args");
        QTest::newRow("no arguments: empty list")
            << QByteArray("run\tA.cmd\n") << QVariant(QVariantList());
        QTest::newRow("one list argument")
            << QByteArray("run\tA.cmd\ti#1;2\n") << QVariant(QVariantList{1, 2});
        QTest::newRow("one plain argument")
            << QByteArray("run\tA.cmd\ts5\n") << QVariant(QString("5"));
        QTest::newRow("one empty argument") << QByteArray("run\tA.cmd\t\n") << QVariant();
        QTest::newRow("two arguments: list")
            << QByteArray("run\tA.cmd\ti1\tf2\n") << QVariant(QVariantList{1, 2.0});
        QTest::newRow("empty fields count")
            << QByteArray("run\tA.cmd\t\t\n") << QVariant(QVariantList{QVariant(), QVariant()});
    }

    void runArguments()
    {
        QFETCH(QByteArray, batch);
        QFETCH(QVariant, args);
        exchange(name, batch);
        QCOMPARE(handler->calls, QStringList{"run A.cmd"});
        const QVariant got = handler->values.first();
        QCOMPARE(got.typeId(), args.typeId());
        QCOMPARE(got, args);
        if (args.typeId() == QMetaType::QVariantList) {
            for (int i = 0; i < args.toList().size(); ++i)
                QCOMPARE(got.toList().at(i).typeId(), args.toList().at(i).typeId());
        }
    }

    // How a batch's lines are cut, cleaned and checked: the reply and the requests made.
    void batchLines_data()
    {
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("calls");
        const QByteArray err("err\n");
        QTest::newRow("set with 2 fields") << QByteArray("set\tA.B\n") << err << QStringList();
        QTest::newRow("set with 4 fields")
            << QByteArray("set\tA.B\ti1\tx\n") << err << QStringList();
        QTest::newRow("get with 3 fields") << QByteArray("get\tA.B\ti1\n") << err << QStringList();
        QTest::newRow("run alone") << QByteArray("run\n") << err << QStringList();
        QTest::newRow("get alone") << QByteArray("get\n") << err << QStringList();
        QTest::newRow("verb in capitals") << QByteArray("SET\tA.B\ti1\n") << err << QStringList();
        QTest::newRow("verb with blank") << QByteArray("set \tA.B\ti1\n") << err << QStringList();
        QTest::newRow("unknown verb") << QByteArray("bogus\tA.B\n") << err << QStringList();
        QTest::newRow("blanks for tabs") << QByteArray("get A.B\n") << err << QStringList();
        QTest::newRow("blank batch") << QByteArray("\n \t \r\n\n") << QByteArray() << QStringList();
        const QStringList get{"get A.B"};
        QTest::newRow("repeated line runs once")
            << QByteArray("get\tA.B\nget\tA.B\n") << QByteArray("i7") << get;
        QTest::newRow("only a repeat of the last line is skipped")
            << QByteArray("get\tA.B\nset\tA.B\ti1\nget\tA.B\n") << QByteArray("i7ok\ni7")
            << QStringList{"get A.B", "set A.B", "get A.B"};
        QTest::newRow("blank lines between repeats")
            << QByteArray("get\tA.B\n\n  \nget\tA.B\n") << QByteArray("i7") << get;
        QTest::newRow("CR LF") << QByteArray("get\tA.B\r\nset\tA.B\ti1\r\n") << QByteArray("i7ok\n")
                               << QStringList{"get A.B", "set A.B"};
        QTest::newRow("CR anywhere") << QByteArray("g\ret\tA.\rB\r\n") << QByteArray("i7") << get;
        QTest::newRow("zero byte ends the line")
            << QByteArray("get\tA.B\0\tjunk\n", 14) << QByteArray("i7") << get;
        QTest::newRow("last line without LF runs after a wait")
            << QByteArray("set\tA.B\ti1\nget\tA.B") << QByteArray("ok\ni7")
            << QStringList{"set A.B", "get A.B"};
    }

    void batchLines()
    {
        QFETCH(QByteArray, batch);
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, calls);
        QCOMPARE(exchange(name, batch), reply);
        QCOMPARE(handler->calls, calls);
    }

    void splitBatchRunsWhole()
    {
        PipeClient client(name);
        QVERIFY(client.connected());
        client.send("set\tA.B\ti1\nget\tA.");
        QTest::qWait(150); // well inside the server's wait for the rest of the line
        client.send("C\n");
        QVERIFY(client.waitClosed());
        QCOMPARE(client.received, QByteArray("ok\ni7"));
        QCOMPARE(handler->calls, (QStringList{"set A.B", "get A.C"}));
    }

    void silentConnectionDoesNotBlockOthers()
    {
        PipeClient silent(name);
        QVERIFY(silent.connected());
        silent.send("get\tA.silent"); // ends inside a line: waits for the rest
        QTest::qWait(20);
        QCOMPARE(exchange(name, "get\tA.other\n"), QByteArray("i7"));
        QCOMPARE(handler->calls, QStringList{"get A.other"});
        QVERIFY(silent.waitClosed());
        QCOMPARE(silent.received, QByteArray("i7"));
        QCOMPARE(handler->calls, (QStringList{"get A.other", "get A.silent"}));

        // A connection that sends nothing at all is closed without an answer.
        PipeClient idle(name);
        QVERIFY(idle.connected());
        QVERIFY(idle.waitClosed());
        QCOMPARE(idle.received, QByteArray());
    }

    void interleavedConnectionsKeepOwnBuffers()
    {
        PipeClient a(name), b(name);
        QVERIFY(a.connected() && b.connected());
        a.send("get\tA.");
        QTest::qWait(20);
        b.send("set\tB.");
        QTest::qWait(20);
        a.send("x\n");
        QTest::qWait(20);
        b.send("y\ti1\n");
        QVERIFY(a.waitClosed());
        QVERIFY(b.waitClosed());
        QCOMPARE(a.received, QByteArray("i7"));
        QCOMPARE(b.received, QByteArray("ok\n"));
        QCOMPARE(handler->calls, (QStringList{"get A.x", "set B.y"}));
    }

    void clientGoneBeforeLineFeedStillRuns()
    {
        {
            PipeClient client(name);
            QVERIFY(client.connected());
            client.send("set\tA.B\ti9");
            client.socket.disconnectFromServer();
        }
        QTRY_COMPARE_WITH_TIMEOUT(handler->calls, QStringList{"set A.B"}, 10000);
        QCOMPARE(handler->values.first(), QVariant(9));
        QCOMPARE(exchange(name, "get\tA.B\n"), QByteArray("i7"));
    }

    void batchesRunOneAtATime()
    {
        handler->nestedLoopMs = 100;
        PipeClient a(name), b(name), c(name);
        QVERIFY(a.connected() && b.connected() && c.connected());
        a.send("get\tA.a\n");
        b.send("set\tA.b\ti1\n");
        c.send("run\tA.c\n");
        QVERIFY(a.waitClosed());
        QVERIFY(b.waitClosed());
        QVERIFY(c.waitClosed());
        QCOMPARE(a.received, QByteArray("i7"));
        QCOMPARE(b.received, QByteArray("ok\n"));
        QCOMPARE(c.received, QByteArray());
        QCOMPARE(handler->calls.size(), 3);
        QCOMPARE(handler->maxDepth, 1);
    }

    void oversizedBatchRefused()
    {
        QByteArray big = "set\tA.B\ts" + QByteArray(LocalServer::maxBatchBytes, 'a');
        QCOMPARE(exchange(name, big), QByteArray("err\n"));
        QVERIFY(handler->calls.isEmpty());
        // One byte less is accepted, and the server goes on serving.
        const QByteArray head = "set\tA.B\ts";
        const QByteArray text(LocalServer::maxBatchBytes - head.size() - 1, 'z');
        QCOMPARE(exchange(name, head + text + '\n'), QByteArray("ok\n"));
        QCOMPARE(handler->values.first().toString().size(), text.size());
    }

    void garbageNeverCrashes()
    {
        QRandomGenerator rng(12345);
        const char alphabet[] = "setgrun\t\n\r\0#;ifsx.AB0123456789\xff";
        for (int round = 0; round < 40; ++round) {
            QByteArray batch;
            const int size = int(rng.bounded(1, 300));
            for (int i = 0; i < size; ++i)
                batch.append(alphabet[rng.bounded(int(sizeof(alphabet) - 1))]);
            batch.append('\n');
            const QByteArray reply = exchange(name, batch);
            QVERIFY2(!reply.startsWith('<'), reply.constData());
        }
        QCOMPARE(exchange(name, "get\tA.B\n"), QByteArray("i7"));
    }

    void communicationLog()
    {
        QCOMPARE(exchange(name, "get\tA.B\n"), QByteArray("i7"));
        QVERIFY(handler->logs.isEmpty());
        server->setLogEnabled(true);
        QVERIFY(server->logEnabled());
        QCOMPARE(exchange(name, "get\tA.B\n"), QByteArray("i7"));
        QCOMPARE(handler->logs.size(), 2);
        QCOMPARE(handler->logs.at(0), qMakePair(110, QStringLiteral("get A.B\n")));
        QCOMPARE(handler->logs.at(1), qMakePair(110, QStringLiteral("i7")));
    }

    void heldRequestsWaitForRelease()
    {
        PipeClient early(name); // taken up before the hold
        QVERIFY(early.connected());
        QTRY_COMPARE(server->findChildren<PipeConnection *>().size(), 1);
        server->setHeld(true);
        QVERIFY(server->isHeld());
        early.send("get\tA.early\n");
        PipeClient late(name); // waits in the listener's queue
        QVERIFY(late.connected());
        late.send("set\tA.late\ti1\n");
        QTest::qWait(300);
        QVERIFY(handler->calls.isEmpty());
        QCOMPARE(early.socket.state(), QLocalSocket::ConnectedState);
        QCOMPARE(late.socket.state(), QLocalSocket::ConnectedState);

        server->setHeld(false);
        QVERIFY(early.waitClosed());
        QVERIFY(late.waitClosed());
        QCOMPARE(early.received, QByteArray("i7"));
        QCOMPARE(late.received, QByteArray("ok\n"));
        QCOMPARE(handler->calls, (QStringList{"get A.early", "set A.late"}));
    }

    // At the end of the program the event loop no longer runs; a reply still being written reaches
    // its client through flushReplies.
    void flushRepliesWithoutEventLoop()
    {
        handler->getValue = QByteArray(1000000, 'a');
        const QByteArray expected = 'x' + handler->getValue.toByteArray().toHex();
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
        QCOMPARE(received.size(), expected.size());
        QCOMPARE(received, expected);
    }

    void secondServerSameNameIsInUse()
    {
        QVERIFY(prompt->messages.isEmpty());
        LocalServer second(handler);
        prompt->answers = {Prompt::Close};
        QVERIFY(!second.start(name));
        QCOMPARE(prompt->messages.size(), 1);
        QCOMPARE(
            prompt->messages.first().text,
            QStringLiteral("Pipe is already used by another software\nUse another pipename?(Yes)"));
        QCOMPARE(prompt->messages.first().buttons, int(Prompt::Yes | Prompt::Close));
        // The first server keeps serving.
        QCOMPARE(exchange(name, "get\tA.B\n"), QByteArray("i7"));
    }

    void inUseChoosesOtherName()
    {
        LocalServer second(handler);
        // Yes with an empty name keeps the path, so the question comes again; then a free name.
        prompt->answers = {Prompt::Yes, Prompt::Yes};
        prompt->names = {QString(), QStringLiteral("KVLOTHER")};
        QVERIFY(second.start(name));
        QCOMPARE(prompt->messages.size(), 2);
        QCOMPARE(prompt->labels, (QStringList{"Pipename", "Pipename"}));
        QCOMPARE(second.name(), name); // the name asked for, not the pipe chosen
        QCOMPARE(second.pipePath(), QStringLiteral("\\\\.\\pipe\\KVLOTHER"));
        QCOMPARE(exchange(QStringLiteral("KVLOTHER"), "get\tA.B\n"), QByteArray("i7"));
    }

    void staleSocketRemoved()
    {
        const QString file = PipeName::socketFile(QStringLiteral("KVLSTALE"));
        QVERIFY(makeStaleSocket(file));
        QVERIFY(QFileInfo::exists(file));
        LocalServer stale(handler);
        QVERIFY(stale.start(QStringLiteral("KVLSTALE")));
        QVERIFY(prompt->messages.isEmpty());
        QCOMPARE(exchange(QStringLiteral("KVLSTALE"), "get\tA.B\n"), QByteArray("i7"));
    }

    void nonSocketFileNeverDeleted()
    {
        const QString file = PipeName::socketFile(QStringLiteral("KVLFILE"));
        QVERIFY(TestFiles::write(file, "keep me"));
        LocalServer other(handler);
        prompt->answers = {Prompt::Close};
        QVERIFY(!other.start(QStringLiteral("KVLFILE")));
        QCOMPARE(prompt->messages.size(), 1);

        prompt->answers = {Prompt::Yes};
        prompt->names = {QStringLiteral("KVLFREE")};
        QVERIFY(other.start(QStringLiteral("KVLFILE")));
        QCOMPARE(exchange(QStringLiteral("KVLFREE"), "get\tA.B\n"), QByteArray("i7"));

        QCOMPARE(TestFiles::read(file), QByteArray("keep me"));
    }

    void listenFailureReported()
    {
        LocalServer other(handler);
        QVERIFY(!other.start(QStringLiteral("/nonexistent-dir-kvl/sock")));
        QCOMPARE(prompt->messages.size(), 1);
        QCOMPARE(prompt->messages.first().title, QStringLiteral("Local server failed"));
        QCOMPARE(prompt->messages.first().icon, Prompt::Critical);
        QVERIFY(prompt->messages.first().text.startsWith(
            QStringLiteral("Unable to start interprocess server: \n")));
        QVERIFY(prompt->messages.first().text.endsWith(QLatin1Char('.')));
    }

    // ---- several batches on one connection ---------------------------------------------

    // The client shuts down its writing side: what it sent runs at once, a last line without
    // its line feed included, and the connection closes after the replies.
    void halfCloseEndsTheBatch()
    {
        PipeClient client(name);
        QVERIFY(client.connected());
        client.send("set\tA.B\ti1\nget\tA.C");
        QVERIFY(::shutdown(int(client.socket.socketDescriptor()), SHUT_WR) == 0);
        QVERIFY(client.waitClosed());
        QCOMPARE(client.received, QByteArray("ok\ni7"));
        QCOMPARE(handler->calls, (QStringList{"set A.B", "get A.C"}));
    }

    // Lines written after a batch was answered run as the next batch of the connection; a
    // line repeating the last one run is skipped across batches as within one.
    void laterWritesRunAsNextBatch()
    {
        PipeClient client(name);
        QVERIFY(client.connected());
        client.send("get\tA.B\n");
        QTRY_COMPARE(client.received, QByteArray("i7"));
        client.send("get\tA.B\n");
        client.send("set\tA.B\ti1\n");
        QVERIFY(client.waitClosed());
        QCOMPARE(client.received, QByteArray("i7ok\n"));
        QCOMPARE(handler->calls, (QStringList{"get A.B", "set A.B"}));
    }

    // A large batch written at once runs whole, or not at all when it is over the limit; the
    // limit counts every byte of the connection.
    void largeBatches_data()
    {
        QTest::addColumn<QList<QByteArray>>("batches");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("calls");
        const qsizetype limit = LocalServer::maxBatchBytes;
        const QByteArray set = "set\tA.B\ti1\n";
        const QByteArray get = "get\tA.C\n";
        QTest::newRow("under the limit")
            << QList<QByteArray>{set + QByteArray(600000, '\n') + get} << QByteArray("ok\ni7")
            << QStringList{"set A.B", "get A.C"};
        QTest::newRow("one byte over")
            << QList<QByteArray>{set + QByteArray(limit + 1 - set.size() - get.size(), '\n') + get}
            << QByteArray("err\n") << QStringList();
        QTest::newRow("over in the second batch")
            << QList<QByteArray>{set + QByteArray(600000, '\n'), get + QByteArray(600000, '\n')}
            << QByteArray("ok\nerr\n") << QStringList{"set A.B"};
    }

    void largeBatches()
    {
        QFETCH(QList<QByteArray>, batches);
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, calls);
        PipeClient client(name);
        QVERIFY(client.connected());
        for (const QByteArray &batch : std::as_const(batches)) {
            const qsizetype before = client.received.size();
            client.send(batch);
            QTRY_VERIFY(client.received.size() > before ||
                        client.socket.state() != QLocalSocket::ConnectedState);
        }
        QVERIFY(client.waitClosed());
        QCOMPARE(client.received, reply);
        QCOMPARE(handler->calls, calls);
    }

    // A client that takes no reply while more is to come is cut off once nothing moves, or
    // dropped when it has gone; the server goes on serving.
    void stalledClientCutOff_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("reading side open") << int(SHUT_RD);
        QTest::newRow("writing side shut down") << int(SHUT_WR);
        QTest::newRow("client gone") << -1;
    }

    void stalledClientCutOff()
    {
        QFETCH(int, how);
        handler->getValue = QByteArray(4000000, 'a');
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(PipeName::socketFile(name));
        memcpy(addr.sun_path, path.constData(), size_t(path.size()));
        QVERIFY(::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) == 0);
        QVERIFY(::send(fd, "get\tA.B\n", 8, 0) == 8);
        if (how == SHUT_WR)
            ::shutdown(fd, SHUT_WR);
        QTRY_COMPARE(handler->calls.size(), 1);
        if (how < 0) {
            ::close(fd);
            fd = -1;
        }
        QTRY_COMPARE_WITH_TIMEOUT(server->findChildren<PipeConnection *>().size(), 0, 10000);
        if (fd >= 0)
            ::close(fd);
        handler->getValue = 7;
        QCOMPARE(exchange(name, "get\tA.B\n"), QByteArray("i7"));
    }

private:
    RecordingHandler *handler = nullptr;
    LocalServer *server = nullptr;
    const QString name = QStringLiteral("KVLTEST");
    ScriptedPrompt *prompt = nullptr;
};

QTEST_MAIN(TestLocalServer)
#include "tst_localserver.moc"
