// The typed value text of the pipe protocol, and the blocking pipe client against a scripted
// server. (The client against the running program: tests/applets/tst_spipipe.)
#include "bytetext.h"
#include "localclient.h"
#include "localserver.h"
#include "socketdir.h"
#include "tablerows.h"
#include "tst_pipefixture.h"
#include "typedvalue.h"

#include <QFile>
#include <QLocalServer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QThread>
#include <QtTest>

#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// A server on a thread of its own that records each request and answers with scripted chunks.
class ScriptedServer : public QObject
{
    Q_OBJECT
public:
    explicit ScriptedServer(const QString &name)
    {
        moveToThread(&thread);
        thread.start();
        QMetaObject::invokeMethod(this, [this, name]() {
            server = new QLocalServer(this);
            connect(server, &QLocalServer::newConnection, this, &ScriptedServer::onConnection);
            listening = dir.isOpen() && server->listen(dir.address(name));
        }, Qt::BlockingQueuedConnection);
    }
    ~ScriptedServer() override
    {
        QMetaObject::invokeMethod(this, [this]() { delete server; }, Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
    }
    QByteArray received()
    {
        QMutexLocker lock(&mutex);
        return m_received;
    }

    SocketDir dir{SocketDir::Use::Make}; // made as the program makes it
    bool listening = false;
    QList<QByteArray> chunks = {"ok\n"}; // the reply, written with a pause between chunks
    bool closeAfter = true;

private:
    void onConnection()
    {
        while (QLocalSocket *socket = server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket]() {
                const QByteArray bytes = socket->readAll();
                QMutexLocker lock(&mutex);
                m_received += bytes;
                lock.unlock();
                if (!bytes.endsWith('\n'))
                    return;
                for (const QByteArray &chunk : std::as_const(chunks)) {
                    socket->write(chunk);
                    socket->flush();
                    QThread::msleep(50);
                }
                if (closeAfter)
                    socket->disconnectFromServer();
            });
        }
    }

    QThread thread;
    QLocalServer *server = nullptr;
    QMutex mutex;
    QByteArray m_received;
};

// A plain socket server for one connection that reads the request until the client ends its
// input; then it answers and closes, or keeps the connection open until it is destroyed (without
// an answer, or after it when told to).
class EndOfInputServer
{
public:
    EndOfInputServer(const QString &name, const QByteArray &answer, bool keepOpen = false)
        : m_answer(answer), m_keepOpen(keepOpen), m_address(PipeClient::address(m_dir, name))
    {
        m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        listening = m_dir.isOpen() && ::bind(m_listener, address(), sizeof m_address) == 0 &&
                    ::listen(m_listener, 1) == 0;
        m_thread.reset(QThread::create([this]() { serve(); }));
        m_thread->start();
    }
    ~EndOfInputServer()
    {
        m_stop.release();
        if (!m_accepted) { // a connection of our own ends the wait for one
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            ::connect(fd, address(), sizeof m_address);
            ::close(fd);
        }
        m_thread->wait();
        ::close(m_listener);
        ::unlink(m_address.sun_path);
    }
    // The request, once the client has ended its input.
    QByteArray received()
    {
        QMutexLocker lock(&m_mutex);
        return m_received;
    }

    bool listening = false;

private:
    sockaddr *address() { return reinterpret_cast<sockaddr *>(&m_address); }

    void serve()
    {
        const int fd = ::accept(m_listener, nullptr, nullptr);
        m_accepted = true;
        QByteArray bytes;
        char buffer[256];
        for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
            bytes.append(buffer, n);
        {
            QMutexLocker lock(&m_mutex);
            m_received = bytes;
        }
        if (!m_answer.isEmpty())
            ::send(fd, m_answer.constData(), size_t(m_answer.size()), MSG_NOSIGNAL);
        if (m_answer.isEmpty() || m_keepOpen)
            m_stop.acquire(); // open until the test ends
        ::close(fd);
    }

    QByteArray m_answer;
    bool m_keepOpen = false;
    SocketDir m_dir{SocketDir::Use::Make}; // made as the program makes it
    sockaddr_un m_address;
    int m_listener = -1;
    std::atomic<bool> m_accepted{false};
    QSemaphore m_stop;
    std::unique_ptr<QThread> m_thread;
    QMutex m_mutex;
    QByteArray m_received;
};

class TestLocalClient : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        RequestHandler::setInstance(&sink); // the client logs through it
        sink.logs.clear();
        name = QStringLiteral("KVLCLIENT%1").arg(++counter);
        scripted = std::make_unique<ScriptedServer>(name);
        QVERIFY(scripted->listening);
    }

    void cleanup()
    {
        scripted.reset();
        RequestHandler::setInstance(nullptr);
    }

    void decode_data()
    {
        addRows<QString, QString>(
            {"text", "expected"},
            {{"i100", "int:100"}, {"i2147483648", "qlonglong:2147483648"}, {"iabc", "-"},
             {"i-1", "qlonglong:-1"}, {"f-1e-3", "double:-0.001"}, {"s a\tb ", "QString: a\tb "},
             {"x0A4f", "QByteArray:\nO"}, {"hello", "-"}, {"s42", "QString:42"},
             {"f15", "double:15"}, {"s#1", "QString:#1"}, {"", "-"},
             {"s", "QString:"}, {"i#", "[int:0]"}, {QString(QChar(0x20AC)) + "5", "-"},
             // A number without digits is the shorthand for 0 of its type.
             {"i#1;;2", "[int:1,int:0,int:2]"}, {"f#2.5;;x", "-"}, {"f#", "[double:0]"},
             {"f#;1.5", "[double:0,double:1.5]"}, {"i#;", "[int:0,int:0]"},
             {"i#1;-2;4294967295", "[int:1,qlonglong:-2,qlonglong:4294967295]"},
             {"f#2.5;1", "[double:2.5,double:1]"},
             // Integers within 32 bits, signed or unsigned; beyond them refused, not 0.
             {"i4294967295", "qlonglong:4294967295"}, {"i4294967296", "-"},
             {"i99999999999", "-"}, {"i-2147483648", "qlonglong:-2147483648"},
             {"i-2147483649", "-"}, {"i2147483647", "int:2147483647"}, {"i", "int:0"},
             {"i12abc", "-"}, {"i#1;99999999999", "-"}, {"f", "double:0"}, {"f1.5x", "-"},
             {"finf", "-"}, {"fnan", "-"}, {"f1e400", "-"}, {"x", "QByteArray:"},
             {"x0", "-"}, {"x0g", "-"}, {"xzz", "-"}, {"x 0a", "-"},
             // Plain integers as bytes take a shorter way to the same values.
             {"i0042", "int:42"}, {"i-0", "int:0"}, {"i-", "-"}, {"i+5", "int:5"},
             {"i-99999999999", "-"}, {"i123456789012345678901", "-"}, {"i1 ", "int:1"}});
    }

    // Texts and their Latin-1 bytes decode alike.
    void decode()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        bool ok = true;
        QCOMPARE(typed(TypedValue::decode(text, &ok)), expected);
        QCOMPARE(ok, expected != "-");
        const QByteArray bytes = text.toLatin1();
        const QString expectedOfBytes = QString::fromLatin1(bytes) == text ? expected : "-";
        ok = expectedOfBytes == "-";
        QCOMPARE(typed(TypedValue::decode(QByteArrayView(bytes), &ok)), expectedOfBytes);
        QCOMPARE(ok, expectedOfBytes != "-");
    }

    // The server leaves unsigned 64-bit values without text, the client writes them.
    void encode_data()
    {
        using L = QVariantList;
        addRows<QVariant, QString, QString>(
            {"value", "server", "client"},
            {{false, "i0", "i0"}, {-5000000000LL, "i-5000000000", "i-5000000000"},
             {5ULL, "", "i5"}, {1.0 / 3.0, "f0.333333333333333", "f0.333333333333333"},
             {1.5e-20, "f1.5e-20", "f1.5e-20"}, {QString(QChar(0)) + "x", "s", "s"},
             {QString("a") + QChar(0x20AC) + "b", "sa?b", "sa?b"},
             {QString("ab") + QChar(0) + "cd", "sab", "sab"},
             {QByteArray("\x0a\xff", 2), "x0aff", "x0aff"}, {L{1, 2.5}, "i#1;2.5", "i#1;2.5"},
             {L{2.5, 1}, "f#2.5;1", "f#2.5;1"}, {L{"a", "b"}, "a;b", "a;b"}, {L(), "", ""},
             {QVariant(), "", ""}, {QVariantMap{{"a", 1}}, "", ""}, {-7, "i-7", "i-7"},
             {4000000000u, "i4000000000", "i4000000000"},
             {qlonglong(-2147483648LL), "i-2147483648", "i-2147483648"}});
    }

    void encode()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, server);
        QFETCH(QString, client);
        QCOMPARE(LocalServer::variantToText(value), server);
        QCOMPARE(TypedValue::encodeLatin1(value), server.toLatin1());
        QCOMPARE(LocalClient::encodeValue(value), client);
        QCOMPARE(latin1UpToZero(QByteArray("get\tA\0junk", 10)), QString("get\tA"));
    }

    void parseReply_data()
    {
        addRows<QByteArray, bool, int, QString, QString>(
            {"reply", "result", "status", "error", "value"},
            {{" ok \r\n", true, 0, "", "QString:untouched"},
             {"  err \n", false, 1, "Item is wrong\n", "QString:untouched"},
             {"err\tno item\n", false, 1, "Item is wrong\nno item", "QString:untouched"},
             {"f#1;2", true, 0, "", "[double:1,double:2]"}, {"\r\n", true, 0, "", "-"},
             {"ok\nok\n", true, 0, "", "-"}, {"sab\tcd", true, 0, "", "QString:ab"}});
    }

    void parseReply()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, result);
        QFETCH(int, status);
        QFETCH(QString, error);
        QFETCH(QString, value);
        LocalClient client(name, -1);
        QVariant got("untouched");
        QCOMPARE(client.parseReply(reply, &got), result);
        QCOMPARE(client.status(), status);
        QCOMPARE(client.lastError(), error);
        QCOMPARE(typed(got), value);
        QCOMPARE(client.parseReply(reply, nullptr), result); // no value wanted
    }

    // The request lines written, and how the reply reaches the value: "ok" leaves it, a
    // connection closed without bytes clears it, a reply in chunks is read until the close,
    // and a reply the server keeps open ends at the timeout.
    void requests_data()
    {
        addRows<QString, QByteArray, bool, QByteArray, QString>(
            {"call", "reply", "closeAfter", "line", "value"},
            {{"get", "i4|2", true, "get\tA.B\n", "int:42"},
             {"set", "ok\n", true, "set\tA.B\ti5\n\n", "int:17"},
             {"set64", "ok\n", true, "set\tA.B\ti5\n\n", "int:17"},
             {"run", "f#1;2", true, "run\tA.cmd\n", "[double:1,double:2]"},
             {"runargs", "", true, "run\tA.cmd\ti1\tf2.5\n", "-"},
             {"run", "i5", false, "run\tA.cmd\n", "int:5"}});
    }

    void requests()
    {
        QFETCH(QString, call);
        QFETCH(QByteArray, reply);
        QFETCH(bool, closeAfter);
        QFETCH(QByteArray, line);
        QFETCH(QString, value);
        scripted->chunks = reply.isEmpty() ? QList<QByteArray>() : reply.split('|');
        scripted->closeAfter = closeAfter;
        LocalClient client(name, closeAfter ? 5000 : 300);
        QVariant got(17);
        const bool ok = call == "get"     ? client.get("A.B", &got)
                        : call == "set"   ? client.set("A.B", 5)
                        : call == "set64" ? client.set("A.B", 5ULL)
                        : call == "run"   ? client.run("A.cmd", {}, &got)
                                          : client.run("A.cmd", {1, 2.5}, &got);
        QVERIFY(ok);
        QCOMPARE(scripted->received(), line);
        QCOMPARE(typed(got), value);
        QCOMPARE(client.status(), 0);
        QVERIFY(client.lastError().isEmpty());
    }

    // An error reply, no reply within the time-out, no server: each with its status and text;
    // requests are logged with the time-out.
    void failuresAndLog()
    {
        scripted->chunks = {"err\tgone\n"};
        LocalClient client(name, 2000);
        QVariant value(3);
        QVERIFY(!client.get("A.B", &value));
        QCOMPARE(client.status(), 1);
        QCOMPARE(client.lastError(), QString("Item is wrong\ngone"));
        QVERIFY(
            QRegularExpression(QString("^Pipe\\(%1\\) :\\[\\d+:\\d+:\\d+:\\d{3} "
                                       "to=2000\\] get\tA.B\n$")
                                   .arg(name))
                .match(sink.logs.value(0).second)
                .hasMatch());
        QCOMPARE(sink.logs.value(1).second.section(']', 1), QString(" err\tgone\n"));
        // The reply's wait, well within the time-out (a minute is no wait this client makes).
        const QString waitedPattern = QString("^Pipe\\(%1\\) :\\[\\+(\\d+)ms\\]");
        const QRegularExpressionMatch waited =
            QRegularExpression(waitedPattern.arg(name)).match(sink.logs.value(1).second);
        QVERIFY2(waited.hasMatch() && waited.captured(1).toLongLong() < 60000,
                 qPrintable(sink.logs.value(1).second));

        scripted.reset();
        EndOfInputServer silent(name, QByteArray());
        QVERIFY(silent.listening);
        LocalClient slow(name, 200);
        QVERIFY(!slow.set("A.B", 1));
        QCOMPARE(slow.status(), 3);
        QCOMPARE(slow.lastError(),
                 QString("No response from pipe %1 command A.B\n Try to set higher "
                         "timeout!\n")
                     .arg(name));
        QCOMPARE(sink.logs.value(2).second.section('[', 0, 0),
                 QString("Pipe(%1) TX:").arg(name));
        QVERIFY(slow.isUnconnected()); // the next request goes on a connection of its own
        QCOMPARE(sink.logs.size(), 3); // sent once: a request without reply is not repeated
        // Requests and replies are no errors: traces, in blue and in dark green.
        QCOMPARE(sink.logs.value(0).first, 109);
        QCOMPARE(sink.logs.value(1).first, 114);
        QCOMPARE(sink.logs.value(2).first, 109);

        const QString pipe = QStringLiteral("\\\\.\\pipe\\KVLNOBODY");
        LocalClient nobody(pipe, 200);
        sink.logs.clear();
        QVERIFY(!nobody.run("A.cmd", {}, &value));
        QCOMPARE(nobody.status(), 3);
        QCOMPARE(value, QVariant(3));
        QCOMPARE(sink.logs, (QList<QPair<int, QString>>{{0, pipe + " : Can't connect"}}));
    }

    // A request the server takes no byte of fails unsent, as "Can't connect" for an item and
    // without a text for a command; a client that never connected exchanges nothing and knows
    // no server's user.
    void requestNotSent()
    {
        scripted.reset();
        const SocketDir dir(SocketDir::Use::Make);
        QVERIFY(dir.isOpen());
        sockaddr_un address = PipeClient::address(dir, name);
        const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const auto unlisten = qScopeGuard([&]() {
            ::close(listener);
            ::unlink(address.sun_path);
        });
        // It never accepts: a connection's socket takes what its buffer holds, no more.
        QVERIFY(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        QVERIFY(::listen(listener, 8) == 0);
        const QByteArray large(1 << 20, 'a');
        LocalClient setter(name, 200);
        QVERIFY(!setter.set("A.B", large));
        QCOMPARE(setter.status(), int(LocalClient::StatusNoReply));
        QCOMPARE(setter.lastError(), "Can't connect " + name);
        QVERIFY(setter.isUnconnected());
        LocalClient runner(name, 200);
        QVERIFY(!runner.run("A.cmd", {large}, nullptr));
        QCOMPARE(runner.lastError(), QString());

        LocalClient idle(name, 200);
        QCOMPARE(idle.peerUid(), -1); // unknown, which must not pass for root's 0
        QByteArray reply;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("device not open"));
        QVERIFY(!idle.exchange("get\tA.B\n", &reply));
    }

    // The client ends its input after the request, so a server that reads until then answers;
    // the next request goes on a connection of its own, also after a reply that the server
    // kept open (taken at the time-out).
    void endsInputAfterRequest()
    {
        scripted.reset();
        const std::pair<QByteArray, bool> answers[] = {
            {"i5", false}, {"err\n", false}, {"i5", true}};
        for (const auto &[answer, keepOpen] : answers) {
            EndOfInputServer server(name, answer, keepOpen);
            QVERIFY(server.listening);
            // Long enough for the server's thread to answer on a loaded machine.
            LocalClient client(name, keepOpen ? 2000 : 5000);
            QVariant value;
            QCOMPARE(client.run("A.cmd", {1}, &value), answer == "i5");
            QCOMPARE(server.received(), QByteArray("run\tA.cmd\ti1\n"));
            QCOMPARE(typed(value), answer == "i5" ? QString("int:5") : QString("-"));
            QCOMPARE(client.timedOut(), keepOpen); // so a caller can tell it may be cut short
            QVERIFY(client.isUnconnected());
        }
    }

private:
    RecordingHandler sink;
    std::unique_ptr<ScriptedServer> scripted;
    QString name;
    int counter = 0;
};

QTEST_MAIN(TestLocalClient)
#include "tst_localclient.moc"
