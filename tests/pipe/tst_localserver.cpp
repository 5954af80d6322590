// The pipe server against a recording handler: how a batch is cut, parsed and answered, one
// at a time, a large reply flushed at the end, the socket's file, and a pipe name already in
// use. (Its connections from the first request to the close: tst_serverconnections. The
// program itself over its socket: tests/applets/tst_pipeblackbox.)
#include "localserver.h"
#include "pipeconnection.h"
#include "pipelistener.h"
#include "recordingprompt.h"
#include "localserverfixture.h"
#include "tablerows.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTextBoundaryFinder>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <optional>
#include <vector>

// Answers the pipe name question from a list.
class NamingPrompt : public RecordingPrompt
{
public:
    QString getText(const QString &, const QString &, const QString &, bool *ok) override
    {
        *ok = !cancels;
        return names.isEmpty() ? QString() : names.takeFirst();
    }
    QStringList names;
    bool cancels = false; // the dialog is cancelled, with the name typed so far
};

// Leaves the process no free descriptor for its lifetime (with a lower limit, so that few
// have to be taken).
class DescriptorShortage
{
public:
    DescriptorShortage()
    {
        ::getrlimit(RLIMIT_NOFILE, &m_limit);
        rlimit lower = m_limit;
        lower.rlim_cur = qMin<rlim_t>(m_limit.rlim_cur, 256);
        ::setrlimit(RLIMIT_NOFILE, &lower);
        for (int fd; (fd = ::dup(0)) >= 0;)
            m_taken.push_back(fd);
    }
    ~DescriptorShortage()
    {
        for (int fd : m_taken)
            ::close(fd);
        ::setrlimit(RLIMIT_NOFILE, &m_limit);
    }
    DescriptorShortage(const DescriptorShortage &) = delete;
    DescriptorShortage &operator=(const DescriptorShortage &) = delete;

private:
    rlimit m_limit{};
    std::vector<int> m_taken;
};

class TestLocalServer : public LocalServerTest
{
    Q_OBJECT
private slots:
    void init() { QVERIFY(startServer()); }
    void cleanup() { stopServer(); }

    // ok: what the handler answers; value: what get and run return; calls: the requests made.
    void requests_data()
    {
        const QByteArray err("err\n");
        const QString getAB = "get A.B", none;
        const QByteArray longName = "A." + QByteArray(70, 'n');
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
             // A value that does not decode is refused before it reaches the handler.
             {"set\tA.B\ti99999999999\n", true, {}, err, none},
             {"set\tA.B\thello\n", true, {}, err, none},
             {"set\tA.B\t\nset\tA.B\tf1e400\nset\tA.B\ti2\n",
              true,
              {},
              err + err + "ok\n",
              "set A.B int:2"},
             {"run\tA.cmd\tsx\tx0g\n", true, {}, "", "run A.cmd [QString:x,-]"},
             // Malformed lines and the batch rules in full: tests/applets/tst_pipeblackbox.
             {"set\tA.B\n", true, {}, err, none},
             {"get\tA.B\ti1\n", true, {}, err, none},
             {"run\n", true, {}, err, none},
             {"bogus\tA.B\n", true, {}, err, none},
             {"get\tA.B\nset\tA.B\ti1\nget\tA.B\n", true, 3, "i3ok\ni3",
              "get A.B|set A.B int:1|get A.B"},
             {"get\tA.B\r\nget\tA.B\n", true, 3, "i3", getAB},
             {QByteArray("get\tA.B\0\tjunk\n", 14), true, 3, "i3", getAB},
             {"set\tA.B\ti1\nget\tA.B", true, 3, "ok\ni3", "set A.B int:1|get A.B"},
             // Each request gets its own name, whether it repeats or changes.
             {"get\tA.B\nget\tA.C\nget\tA.B\nset\tA.C\ti1\nget\tA.BC\nget\t\nget\tA.B\n", true, 3,
              "i3i3i3ok\ni3i3i3", "get A.B|get A.C|get A.B|set A.C int:1|get A.BC|get |get A.B"},
             {"get\t" + longName + "\nget\t" + longName + "X\nget\t" + longName + "\n", true, 3,
              "i3i3i3", "get " + longName + "|get " + longName + "X|get " + longName}});
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
        // Refused before it reaches the handler, a request gets an error in the log saying why.
        if (calls.isEmpty() && reply.startsWith("err"))
            QVERIFY(handler->logs.size() == 1 && handler->logs.first().first == -1);
    }

    // A batch split across writes runs whole; batches run one at a time, also when a request
    // runs a nested event loop.
    void batchesRunWholeAndOneAtATime()
    {
        handler->nestedLoopMs = 100;
        RawClient a(name);
        PipeClient b(name), c(name);
        QVERIFY(a.connected && b.connected() && c.connected());
        QVERIFY(a.send("set\tA.B\ti1\nget\tA."));
        b.send("set\tA.b\ti1\n");
        c.send("run\tA.c\n");
        // The rest of the line follows once the server has taken the first part.
        QVERIFY(a.waitRead());
        QVERIFY(a.send("C\n"));
        QVERIFY(a.readUntilClose() && b.waitClosed() && c.waitClosed());
        QCOMPARE(a.received, QByteArray("ok\ni7"));
        QCOMPARE(b.received, QByteArray("ok\n"));
        QCOMPARE(c.received, QByteArray("i7"));
        QCOMPARE(handler->calls.size(), 4);
        QVERIFY(handler->calls.contains("get A.C"));
        QCOMPARE(handler->maxDepth, 1);
    }

    // A client that writes its batch (in 64-byte pieces, or a million bytes at once) and reads
    // until the close gets every reply; the connection ends once the replies are read, not after
    // the quiet gap (made longer than the test here).
    void readUntilClose_data()
    {
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<qsizetype>("pieceSize");
        QTest::addColumn<QByteArray>("reply");
        QByteArray lines;
        for (int i = 0; i < 40; ++i)
            lines += "set\tA.B\ti" + QByteArray::number(i) + "\nget\tA.B\n";
        QTest::newRow("64-byte pieces")
            << lines << qsizetype(64) << QByteArray("ok\ni7").repeated(40);
        QByteArray large = "set\tA.B\ti1\n" + QByteArray(1000000 - 19, '\n') + "get\tA.B\n";
        QTest::newRow("a million bytes") << large << qsizetype(1 << 20) << QByteArray("ok\ni7");
        // Up to the limit a batch runs; one byte more and it is refused whole.
        const QByteArray set = "set\tA.B\ti1\n";
        const qsizetype limit = LocalServer::maxBatchBytes;
        QTest::newRow("at the limit") << set + QByteArray(limit - set.size(), '\n')
                                      << qsizetype(1 << 20) << QByteArray("ok\n");
        QTest::newRow("over the limit") << set + QByteArray(limit + 1 - set.size(), '\n')
                                        << qsizetype(1 << 20) << QByteArray("err\n");
    }
    void readUntilClose()
    {
        QFETCH(QByteArray, batch);
        QFETCH(qsizetype, pieceSize);
        QFETCH(QByteArray, reply);
        server->setQuietGapMs(3600000);
        RawClient client(name);
        QVERIFY(client.connected);
        QVERIFY(client.send(batch, pieceSize));
        QVERIFY(client.readUntilClose());
        QCOMPARE(client.received, reply);
        // Nothing is logged while the communication is not, but why a batch was refused (an
        // error: its client points to the log).
        const bool refused = reply == "err\n";
        QCOMPARE(handler->logs.size(), refused ? 1 : 0);
        QVERIFY(!refused || (handler->logs.first().first == -1 &&
                             handler->logs.first().second.endsWith("bytes refused")));
    }

    // While held, a new connection and a batch complete on an open one wait; holds count, and
    // the last release takes both up. A client that gave up meanwhile has nothing run.
    void heldRequestsRunOnRelease()
    {
        auto *listener = server->findChild<PipeListener *>();
        QVERIFY(listener);
        int open[2], fresh[2], gone[2];
        QVERIFY(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, open) == 0);
        QVERIFY(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fresh) == 0);
        QVERIFY(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gone) == 0);
        emit listener->signal_accepted(open[0]);
        emit listener->signal_accepted(gone[0]);
        server->hold();
        server->hold();
        auto scoped = std::make_optional<LocalServer::Hold>(server); // a scoped hold counts too
        emit listener->signal_accepted(fresh[0]);
        const auto sendBatch = [](int peer) {
            return ::send(peer, "get\tA.B\n", 8, 0) == 8 && ::shutdown(peer, SHUT_WR) == 0;
        };
        QVERIFY(sendBatch(fresh[1]));
        QVERIFY(::send(gone[1], "set\tA.B\ti1\n", 11, 0) == 11 && ::close(gone[1]) == 0);
        server->release();
        QTest::qWait(100); // nothing may run meanwhile
        QVERIFY(server->isHeld());
        QVERIFY(handler->calls.isEmpty());
        server->release();
        QVERIFY(server->isHeld());
        // A batch that completes while one hold is left waits too.
        QVERIFY(sendBatch(open[1]));
        QTRY_VERIFY_WITH_TIMEOUT(
            [&]() {
                int unread = -1;
                return ::ioctl(open[1], SIOCOUTQ, &unread) == 0 && unread == 0;
            }(),
            30000);
        QVERIFY(handler->calls.isEmpty());
        scoped.reset();
        QVERIFY(!server->isHeld());
        for (int peer : {open[1], fresh[1]}) {
            QByteArray reply;
            const auto closedAfterReply = [&]() {
                char buffer[16];
                ssize_t n;
                while ((n = ::recv(peer, buffer, sizeof buffer, MSG_DONTWAIT)) > 0)
                    reply.append(buffer, n);
                return n == 0;
            };
            QTRY_VERIFY_WITH_TIMEOUT(closedAfterReply(), 30000);
            QCOMPARE(reply, QByteArray("i7"));
            ::close(peer);
        }
        // Served connections do not stay behind, nor does the one of the client gone.
        QTRY_VERIFY_WITH_TIMEOUT(server->findChildren<PipeConnection *>().isEmpty(), 30000);
        QCOMPARE(handler->calls, (QStringList{"get A.B", "get A.B"}));
    }

    // Lines written after the client read its replies but before the server saw the read run
    // too; once the connection has ended, a write fails instead of being lost. A batch whose
    // replies are empty gives the client nothing to read: the connection stays open for more.
    void linesAfterTheReplies()
    {
        server->setQuietGapMs(3600000);
        RawClient client(name);
        QVERIFY(client.connected);
        QVERIFY(client.send("get\tA.B\n"));
        QTRY_VERIFY_WITH_TIMEOUT(!client.receive() && client.received == "i7", 30000);
        QVERIFY(client.send("set\tA.B\ti1\n"));
        QVERIFY(client.readUntilClose());
        QCOMPARE(client.received, QByteArray("i7ok\n"));
        QCOMPARE(::send(client.fd, "get\tA.B\n", 8, MSG_NOSIGNAL), ssize_t(-1));
        QCOMPARE(handler->takeCalls(), (QStringList{"get A.B", "set A.B int:1"}));

        handler->value = QVariant();
        RawClient quiet(name);
        QVERIFY(quiet.send("run\tA.cmd\n"));
        QTRY_COMPARE_WITH_TIMEOUT(handler->calls.size(), 1, 30000);
        for (int i = 0; i < 100; ++i)
            QVERIFY(!quiet.receive());
        QVERIFY(quiet.send("set\tA.B\ti2\n"));
        QTRY_COMPARE_WITH_TIMEOUT(handler->calls.size(), 2, 30000);
        QVERIFY(!quiet.receive());
        QCOMPARE(quiet.received, QByteArray("ok\n"));

        handler->value = QString(); // "s": a reply of one byte, once read, ends it too
        RawClient shortReply(name);
        QVERIFY(shortReply.send("get\tA.B\n"));
        QVERIFY(shortReply.readUntilClose());
        QCOMPARE(shortReply.received, QByteArray("s"));
    }

    // Each value that does not decode is logged as an error naming the request and how values
    // are written, whether or not the communication is logged.
    void undecodableValuesLogged()
    {
        QCOMPARE(PipeClient::exchange(name, "set\tA.B\ti99999999999\nrun\tA.c\ti1\tabc\n"
                                            "set\tA.B\ti1\n"),
                 QByteArray("err\ni7ok\n"));
        const QString how = "write i42, f2.5, sText or x0aff (an integer fits 32 bits)";
        QCOMPARE(handler->logs,
                 (QList<QPair<int, QString>>{
                     {-1, "Pipe request \"set A.B i99999999999\": \"i99999999999\" is no typed "
                          "value; " +
                              how},
                     {-1, "Pipe request \"run A.c i1 abc\": \"abc\" is no typed value; " + how}}));
    }

    void communicationLog()
    {
        PipeClient::exchange(name, "get\tA.B\n");
        QVERIFY(handler->logs.isEmpty());
        server->setLogEnabled(true);
        QCOMPARE(PipeClient::exchange(name, "get\tA.B\n"), QByteArray("i7"));
        QCOMPARE(handler->logs, (QList<QPair<int, QString>>{{110, "get A.B\n"}, {110, "i7"}}));
        // A long line is cut, as every message that shows a request cuts it; the others stay.
        handler->logs.clear();
        const QByteArray item(1000000, 'n');
        QCOMPARE(PipeClient::exchange(name, "get\tA.B\nset\t" + item + "\ti1\n"),
                 QByteArray("i7ok\n"));
        QCOMPARE(handler->logs.value(0),
                 qMakePair(110, "get A.B\nset " + QString(item.left(116)) +
                                    "... (1000007 characters)\n"));
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
            if (!PipeClient::connectSocket(&socket, name))
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
        // The reply is under way: more than the socket holds, the client has not read yet.
        QList<PipeConnection *> sockets;
        QTRY_VERIFY_WITH_TIMEOUT((sockets = server->findChildren<PipeConnection *>()).size() == 1 &&
                                     sockets.first()->bytesToWrite() > 0,
                                 10000);
        readNow.release();
        server->flushReplies(10000);
        QVERIFY(!sockets.first()->isOpen()); // then closed: the client need not wait for the end
        QVERIFY(client->wait(20000));
        delete client;
        QCOMPARE(received, 'x' + handler->value.toByteArray().toHex());
    }

    // Started again under another name, the server serves that name only.
    void restartUnderAnotherName()
    {
        QVERIFY2(server->start("KVLAGAIN"), qPrintable(server->failure()));
        QCOMPARE(server->name(), QString("KVLAGAIN"));
        QCOMPARE(PipeClient::exchange("KVLAGAIN", "get\tA.B\n"), QByteArray("i7"));
        QVERIFY(!RawClient(name).connected);
    }

    // Qt's listener closes itself when taking a connection fails (here, while the program is
    // out of descriptors): the server listens again once it can, unless another program serves
    // the name meanwhile; the log says which.
    void listensAgainAfterAFailedAccept()
    {
        auto *listener = server->findChild<PipeListener *>();
        QVERIFY(listener);
        const QString file = PipeName::socketFile(name);
        for (bool anotherServes : {false, true}) {
            handler->logs.clear();
            RawClient waiting(name);
            QVERIFY(waiting.connected);
            {
                const DescriptorShortage shortage;
                QTRY_VERIFY_WITH_TIMEOUT(!listener->isListening(), 30000);
            }
            std::optional<LocalServer> other;
            if (anotherServes) {
                other.emplace(handler.get());
                QVERIFY(other->start(name));
            }
            QTRY_COMPARE_WITH_TIMEOUT(handler->logs.size(), 2, 30000);
            const QPair<int, QString> stopped = handler->logs.first();
            QCOMPARE(stopped.first, 1);
            QVERIFY2(stopped.second.startsWith("Pipe server stopped listening on " + file),
                     qPrintable(stopped.second));
            QCOMPARE(listener->isListening(), !anotherServes);
            // Beside another program the server gives up (its check would log every time).
            QCOMPARE(checksRunning(*server), anotherServes ? 0 : 1);
            const QPair<int, QString> then = handler->logs.last();
            if (anotherServes)
                QVERIFY2(then.first == -1 && then.second.startsWith("Pipe server cannot listen "
                                                                    "again: another program"),
                         qPrintable(then.second));
            else
                QCOMPARE(then, qMakePair(0, "Pipe server listens on " + file + " again"));
            QCOMPARE(PipeClient::exchange(name, "get\tA.B\n"), QByteArray("i7"));
        }
    }

    // A socket left by a crashed run (nobody listens on it) is removed, and its name served.
    void staleSocketReplaced()
    {
        const SocketDir dir;
        sockaddr_un address = PipeClient::address(dir, "KVLSTALE");
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        QVERIFY(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        ::close(fd); // the file stays
        LocalServer again(handler.get());
        QVERIFY2(again.start("KVLSTALE"), qPrintable(again.failure()));
        QCOMPARE(PipeClient::exchange("KVLSTALE", "get\tA.B\n"), QByteArray("i7"));
    }

    // A server told to end refuses new connections at once. It then looks stale to a program
    // started meanwhile, which serves the name anew; the refused server's end removes only its
    // own socket file.
    void refusedServerRemovesOnlyItsOwnSocket()
    {
        for (const bool successor : {false, true}) {
            LocalServer first(handler.get());
            QVERIFY(first.start("KVLREFUSED"));
            first.refuseNewConnections(); // as the first signal does, the program busy
            QCOMPARE(RawClient("KVLREFUSED").connectError, ECONNREFUSED);
            LocalServer next(handler.get());
            QVERIFY(!successor || next.start("KVLREFUSED"));
            first.stopListening(); // the end, once the first program gets to it
            QCOMPARE(QFileInfo::exists(PipeName::socketFile("KVLREFUSED")), successor);
            if (successor)
                QCOMPARE(PipeClient::exchange("KVLREFUSED", "get\tA.B\n"), QByteArray("i7"));
        }
    }

    // The Close's end, too, removes only the socket file it listened on: one that a program
    // serves at the name meanwhile (the first's taken away) stays.
    void stoppedServerRemovesOnlyItsOwnSocket()
    {
        LocalServer first(handler.get());
        QVERIFY(first.start("KVLSTOPPED"));
        QVERIFY(QFile::remove(PipeName::socketFile("KVLSTOPPED")));
        LocalServer next(handler.get());
        QVERIFY(next.start("KVLSTOPPED"));
        first.stopListening();
        QCOMPARE(PipeClient::exchange("KVLSTOPPED", "get\tA.B\n"), QByteArray("i7"));
    }

    // Only the user who runs the program may connect to its socket, whatever the umask.
    void socketOnlyForItsUser()
    {
        struct stat info {};
        QCOMPARE(::lstat(QFile::encodeName(PipeName::socketFile(name)).constData(), &info), 0);
        QVERIFY(S_ISSOCK(info.st_mode));
        QCOMPARE(info.st_mode & 077, 0u);
    }

    // A pipe in use asks for another name, saying which socket is in use and what else to do
    // ("Yes" with an empty name asks again, a name that is no file name is refused with a word
    // and asks again), and the first server goes on serving; a failed start is reported.
    void pipeInUseAsksForAnotherName()
    {
        NamingPrompt prompt;
        for (int button : {Prompt::Yes, Prompt::Yes, Prompt::Ok, Prompt::Yes})
            prompt.queueButton(button);
        prompt.names = QStringList{QString(), "../KVLFREE", "KVLFREE"};
        LocalServer second(handler.get());
        QVERIFY(second.start(name));
        QCOMPARE(prompt.messages().size(), 4);
        QCOMPARE(prompt.messages().value(0).text,
                 QString("Pipe is already used by another software\nUse another pipename?(Yes)"));
        const QString reason = prompt.messages().value(0).informativeText;
        QCOMPARE(QString(reason).remove(QChar(0x200B)).remove(QChar(0x2060)),
                 "Another program already serves the command socket " + PipeName::socketFile(name) +
                     ": quit it, or start this one with --name OTHER to serve beside it.");
        // The box wraps the socket's long path after a "/", and nowhere else in it.
        const qsizetype path = reason.indexOf('/');
        QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, reason);
        for (qsizetype at = path + 1; at < reason.indexOf(':', path); ++at) {
            breaks.setPosition(at);
            QVERIFY2(breaks.isAtBoundary() == (reason.at(at - 1) == QChar(0x200B)),
                     qPrintable(QString::number(at) + ":" + reason.left(at)));
        }
        QCOMPARE(reason.count("/"), reason.count(QString::fromUtf16(u"/\u200B")));
        // Nor after the dashes of "--name".
        const qsizetype option = reason.indexOf(" --") + 1;
        for (qsizetype at = option + 1; at < reason.indexOf(" OTHER"); ++at) {
            breaks.setPosition(at);
            QVERIFY2(!breaks.isAtBoundary(), qPrintable(reason.mid(option, at - option)));
        }
        QCOMPARE(prompt.messages().value(0).buttons, int(Prompt::Yes | Prompt::Close));
        QCOMPARE(prompt.messages().value(2).icon, Prompt::Warning);
        QVERIFY2(prompt.messages().value(2).text.startsWith("\"../KVLFREE\" is no socket name"),
                 qPrintable(prompt.messages().value(2).text));
        QCOMPARE(prompt.messages().value(3).informativeText,
                 prompt.messages().value(0).informativeText);
        QVERIFY(!QFileInfo::exists(PipeName::socketFile("../KVLFREE")));
        QCOMPARE(second.pipePath(), QString("\\\\.\\pipe\\KVLFREE"));
        QCOMPARE(second.name(), QString("KVLFREE")); // the name served, as the program takes it
        QCOMPARE(PipeClient::exchange("KVLFREE", "get\tA.B\n"), QByteArray("i7"));
        QCOMPARE(PipeClient::exchange(name, "get\tA.B\n"), QByteArray("i7"));
        prompt.queueButton(Prompt::Close); // no other name: the start fails, asking no name
        prompt.names = QStringList{"KVLOTHER"};
        const int asked = int(prompt.messages().size());
        LocalServer third(handler.get());
        QVERIFY(!third.start(name));
        QCOMPARE(prompt.names, QStringList{"KVLOTHER"});
        QCOMPARE(prompt.messages().value(asked).buttons, int(Prompt::Yes | Prompt::Close));
        QCOMPARE(prompt.messages().size(), asked + 1); // declined: no error box besides
        QVERIFY(third.failure().startsWith("another program already serves the command socket"));
        // A name typed into a cancelled dialog is not taken: the question comes again.
        prompt.queueButton(Prompt::Yes);
        prompt.queueButton(Prompt::Close);
        prompt.cancels = true;
        QVERIFY(!third.start(name));
        QCOMPARE(prompt.names, QStringList());
        QCOMPARE(prompt.messages().size(), asked + 3);
        QVERIFY(third.failure().startsWith("another program already serves the command socket"));
        QVERIFY(!second.start("/dev/null/sock")); // no file name
        QCOMPARE(checksRunning(second), 0); // nor does it listen again on the name it left
        QCOMPARE(prompt.messages().last().title, QString("Local server failed"));
        QVERIFY(
            prompt.messages().last().text.startsWith("Unable to start interprocess server: \n"));
    }

private:
    // The server's own timers that run (its check that it still listens).
    static qsizetype checksRunning(const LocalServer &server)
    {
        const QList<QTimer *> timers = server.findChildren<QTimer *>(Qt::FindDirectChildrenOnly);
        return std::count_if(timers.begin(), timers.end(),
                             [](const QTimer *timer) { return timer->isActive(); });
    }
};

QTEST_MAIN(TestLocalServer)
#include "tst_localserver.moc"
