// The pipe server's connections from the first request to the close: on descriptor 0, a
// client that ends its input, slow and silent readers and clients, the read watch that brings
// their input, a connection closed once written, and clients gone before their replies.
#include "localserverfixture.h"
#include "peerreadwatch.h"
#include "pipeconnection.h"

#include <QSocketNotifier>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>
#include <vector>

// Keeps a copy of descriptor 0 and puts it back at the end of the scope, so that a test may
// close standard input.
class StandardInputKept
{
public:
    StandardInputKept() : m_saved(::dup(0)) {}
    ~StandardInputKept()
    {
        if (m_saved < 0)
            return;
        restore();
        ::close(m_saved);
    }
    StandardInputKept(const StandardInputKept &) = delete;
    StandardInputKept &operator=(const StandardInputKept &) = delete;
    bool saved() const { return m_saved > 0; }
    // Descriptor 0 is standard input again.
    bool restore() const { return ::dup2(m_saved, 0) == 0; }

private:
    int m_saved;
};

class TestServerConnections : public LocalServerTest
{
    Q_OBJECT
private slots:
    void init() { QVERIFY(startServer()); }
    void cleanup() { stopServer(); }

    // A program started with its standard input closed may serve a client on descriptor 0:
    // a connection like any other, from the first request to its close.
    void connectionOnDescriptorZero()
    {
        const StandardInputKept input; // the test may close descriptor 0
        QVERIFY(input.saved());
        PeerReadWatch watch;
        for (bool deleteOpen : {true, false}) {
            int pair[2];
            QVERIFY(input.restore()); // so the pair gets other descriptors
            QVERIFY(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) == 0);
            QVERIFY(::dup2(pair[0], 0) == 0 && ::close(pair[0]) == 0);
            const int peer = pair[1];
            auto connection = std::make_unique<PipeConnection>(0, nullptr, &watch);
            if (deleteOpen) { // the descriptor goes with the connection
                connection.reset();
                QCOMPARE(::fcntl(0, F_GETFD), -1);
                ::close(peer);
                continue;
            }
            QSignalSpy outputRead(connection.get(), &PipeConnection::signal_outputRead);
            QSignalSpy closed(connection.get(), &PipeConnection::signal_closed);
            QCOMPARE(::send(peer, "get\tA\n", 6, 0), 6);
            QByteArray request;
            QTRY_COMPARE_WITH_TIMEOUT((request += connection->readAll()), QByteArray("get\tA\n"),
                                      30000);
            outputRead.clear(); // the watch's first report, before anything was sent
            connection->write("sA\n");
            QVERIFY(connection->unreadBytes() > 0); // in the socket's own measure
            char reply[8] = {};
            QCOMPARE(::recv(peer, reply, sizeof reply, 0), 3);
            QTRY_VERIFY_WITH_TIMEOUT(outputRead.count() > 0, 30000);
            QCOMPARE(connection->unreadBytes(), 0);
            QCOMPARE(::send(peer, "late", 4, 0), 4);
            QCOMPARE(connection->endInput(), QByteArray("late"));
            QVERIFY(connection->inputEnded());
            // A reply larger than the socket holds is flushed while the client reads; a part
            // read is not all of it.
            const QByteArray large(4 << 20, 'r');
            const int readBefore = outputRead.count();
            connection->write(large);
            QVERIFY(connection->bytesToWrite() > 0);
            qint64 received = 3;
            char part[65536];
            for (ssize_t n; (n = ::recv(peer, part, sizeof part, MSG_DONTWAIT)) > 0;)
                received += n;
            QTest::qWait(50);
            QCOMPARE(outputRead.count(), readBefore);
            std::thread reader([&]() {
                char buffer[65536];
                ssize_t n;
                while ((n = ::recv(peer, buffer, sizeof buffer, 0)) > 0)
                    received += n;
            });
            const bool flushed = connection->waitForBytesWritten(20000);
            connection->closeWhenWritten();
            // The reader ends only at the end of input, so its join shows descriptor 0 closed
            // (a thread the runtime starts may take the number 0 again at once).
            const bool closedNow = !connection->isOpen();
            reader.join();
            ::close(peer);
            QVERIFY(flushed && closedNow);
            QCOMPARE(received, 3 + large.size());
            QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, 30000);
        }
    }

    // A client that ends its input still gets its replies (one of a single byte too); the
    // connection tells the end apart from a close.
    void clientEndsItsInput()
    {
        int pair[2];
        QVERIFY(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) == 0);
        PipeConnection connection(pair[0]);
        QSignalSpy ended(&connection, &PipeConnection::signal_inputEnded);
        QCOMPARE(::send(pair[1], "get\tA\n", 6, 0), 6);
        ::shutdown(pair[1], SHUT_WR);
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 30000);
        QVERIFY(connection.inputEnded() && connection.isOpen());
        QCOMPARE(connection.readAll(), QByteArray("get\tA\n"));
        connection.write("sA\n");
        char reply[8] = {};
        QCOMPARE(::recv(pair[1], reply, sizeof reply, 0), 3);
        connection.write("\n"); // a reply of one byte, as an empty one is
        QCOMPARE(::recv(pair[1], reply, sizeof reply, 0), 1);
        QVERIFY(connection.isOpen() && connection.bytesToWrite() == 0);
        ::close(pair[1]);
    }

    // A client that takes a large reply in pauses shorter than the server's wait gets all of
    // it, however long the whole takes, whether or not it has ended its input: each read it
    // makes gives it the full wait again.
    void slowReaderGetsTheWholeReply()
    {
        const QByteArray value(1 << 19, 'a');
        handler->value = value;
        for (bool endsInput : {false, true}) { // as the command-line client does
            RawClient client(name);
            QVERIFY(client.send("get\tA.B\n"));
            if (endsInput)
                ::shutdown(client.fd, SHUT_WR);
            bool closed = false;
            for (int pause = 0; pause < 100 && !closed; ++pause) {
                QTest::qWait(LocalServer::replyWaitMs * 2 / 5);
                closed = client.receive();
            }
            QVERIFY(closed);
            QCOMPARE(client.received, "x" + value.toHex());
        }
    }

    // A client that takes none of a large reply is cut off once the server has waited for it:
    // the connection closes with the reply unfinished.
    void silentReaderIsCutOff()
    {
        const QByteArray value(1 << 19, 'a');
        handler->value = value;
        RawClient client(name);
        QVERIFY(client.send("get\tA.B\n"));
        const auto serverClosed = [&client]() {
            pollfd p{client.fd, POLLRDHUP, 0};
            return ::poll(&p, 1, 0) == 1 && (p.revents & (POLLRDHUP | POLLHUP)) != 0;
        };
        QVERIFY(QTest::qWaitFor(serverClosed, 30000));
        QVERIFY(client.readUntilClose());
        QVERIFY(client.received.size() < 1 + 2 * value.size());
    }

    // On the read watch the connection needs no notifier of its own: the watch brings its
    // input piece by piece and the client's reads from the start; once this side has ended the
    // input, nothing more is taken; a client that goes away closes it.
    void connectionOnTheWatch()
    {
        PeerReadWatch watch;
        for (bool clientCloses : {false, true}) {
            int pair[2];
            QVERIFY(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) == 0);
            PipeConnection connection(pair[0], nullptr, &watch);
            QVERIFY(connection.findChildren<QSocketNotifier *>().isEmpty());
            QSignalSpy ended(&connection, &PipeConnection::signal_inputEnded);
            QSignalSpy outputRead(&connection, &PipeConnection::signal_outputRead);
            QSignalSpy closed(&connection, &PipeConnection::signal_closed);
            QSignalSpy readyRead(&connection, &PipeConnection::signal_readyRead);
            QByteArray received;
            for (const char *piece : {"get\tA\n", "get\tB", "\n"}) { // one byte is news too
                const int before = int(readyRead.count());
                QCOMPARE(::send(pair[1], piece, std::strlen(piece), 0),
                         ssize_t(std::strlen(piece)));
                QTRY_VERIFY_WITH_TIMEOUT(readyRead.count() > before, 30000);
                QVERIFY((received += connection.readAll()).endsWith(piece));
            }
            QCOMPARE(received, QByteArray("get\tA\nget\tB\n"));
            connection.write("sA\nsB\n");
            char reply[8] = {};
            QCOMPARE(::recv(pair[1], reply, sizeof reply, 0), 6);
            QTRY_VERIFY_WITH_TIMEOUT(outputRead.count() > 0, 30000);
            if (clientCloses) {
                ::close(pair[1]);
                QTRY_VERIFY_WITH_TIMEOUT(closed.count() == 1 || ended.count() == 1, 30000);
                connection.write("sC\n"); // to a client that is gone
                QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, 30000);
                continue;
            }
            QCOMPARE(::send(pair[1], "set\tA\ti1\n", 9, 0), 9);
            QCOMPARE(connection.endInput(), QByteArray("set\tA\ti1\n"));
            QCOMPARE(::send(pair[1], "x", 1, MSG_NOSIGNAL), ssize_t(-1));
            ::shutdown(pair[1], SHUT_WR);
            QTest::qWait(20); // the end this side made is no end of the client's
            QCOMPARE(ended.count(), 0);
            QVERIFY(connection.isOpen() && connection.readAll().isEmpty());
            ::close(pair[1]);
        }
    }

    // Input arriving on more connections at once than the watch takes in one pass reaches
    // every one of them.
    void watchServesManyConnectionsAtOnce()
    {
        PeerReadWatch watch;
        std::vector<std::unique_ptr<PipeConnection>> connections;
        std::vector<int> peers;
        std::vector<std::unique_ptr<QSignalSpy>> outputRead;
        for (int i = 0; i < 40; ++i) {
            int pair[2];
            QVERIFY(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) == 0);
            connections.push_back(std::make_unique<PipeConnection>(pair[0], nullptr, &watch));
            peers.push_back(pair[1]);
            outputRead.push_back(std::make_unique<QSignalSpy>(connections.back().get(),
                                                              &PipeConnection::signal_outputRead));
        }
        for (const auto &spy : outputRead) // the watch's first reports are taken
            QTRY_VERIFY_WITH_TIMEOUT(spy->count() > 0, 30000);
        for (int peer : peers)
            QCOMPARE(::send(peer, "get\tA\n", 6, 0), ssize_t(6));
        for (const auto &connection : connections) {
            QByteArray received;
            QTRY_COMPARE_WITH_TIMEOUT((received += connection->readAll()), QByteArray("get\tA\n"),
                                      30000);
        }
        for (int peer : peers)
            ::close(peer);
    }

    // Closed once written: a reply larger than the socket holds goes out whole while the
    // client reads, then the connection closes.
    void closesOnceWritten()
    {
        int pair[2];
        QVERIFY(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) == 0);
        PipeConnection connection(pair[0]);
        QSignalSpy closed(&connection, &PipeConnection::signal_closed);
        const QByteArray large(4 << 20, 'r');
        connection.write(large);
        connection.closeWhenWritten();
        QVERIFY(connection.isOpen()); // the rest waits for the client
        qint64 received = 0;
        const auto readToEnd = [&]() {
            char buffer[65536];
            ssize_t n;
            while ((n = ::recv(pair[1], buffer, sizeof buffer, MSG_DONTWAIT)) > 0)
                received += n;
            return n == 0;
        };
        QTRY_VERIFY_WITH_TIMEOUT(readToEnd(), 30000);
        QCOMPARE(received, large.size());
        QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, 30000);
        ::close(pair[1]);
    }

    // A reply to a client that has gone away closes the connection.
    void replyToAGoneClientCloses()
    {
        int pair[2];
        QVERIFY(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) == 0);
        PipeConnection connection(pair[0]);
        QSignalSpy closed(&connection, &PipeConnection::signal_closed);
        ::close(pair[1]);
        connection.write("sA\n");
        QVERIFY(!connection.isOpen());
        QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, 30000);
    }

    // A wait for a reply to be taken by a client that does not read ends at its time-out.
    void replyWaitEndsForAClientThatDoesNotRead()
    {
        int pair[2];
        QVERIFY(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) == 0);
        PipeConnection connection(pair[0]);
        connection.write(QByteArray(4 << 20, 'r'));
        QVERIFY(!connection.waitForBytesWritten(50));
        QVERIFY(connection.bytesToWrite() > 0 && connection.isOpen());
        ::close(pair[1]);
    }

    // A client that goes away without reading its reply resets the connection: it closes
    // (no end of input to serve), and is not left waiting for input.
    void clientGoneWithItsReplyUnread()
    {
        int pair[2];
        QVERIFY(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) == 0);
        PipeConnection connection(pair[0]);
        QSignalSpy closed(&connection, &PipeConnection::signal_closed);
        QSignalSpy ended(&connection, &PipeConnection::signal_inputEnded);
        connection.write("sA\n");
        QVERIFY(connection.waitForBytesWritten(30000));
        ::close(pair[1]);
        QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, 30000);
        QCOMPARE(ended.count(), 0);
    }

    // A client that connects and writes nothing is not kept: the wait for its first line ends
    // the connection.
    void silentClientClosed()
    {
        RawClient client(name);
        QVERIFY(client.connected);
        QVERIFY(client.readUntilClose());
        QCOMPARE(client.received, QByteArray());
        QVERIFY(handler->calls.isEmpty());
    }

    // A program started with its standard input closed may make its read watch on descriptor
    // 0: the watch serves its connections all the same.
    void watchOnDescriptorZero()
    {
        const StandardInputKept input; // the test may close descriptor 0
        QVERIFY(input.saved());
        ::close(0);
        PeerReadWatch watch; // goes (and frees descriptor 0) before the input is restored
        QVERIFY(::fcntl(0, F_GETFD) != -1);
        int pair[2];
        QVERIFY(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) == 0);
        PipeConnection connection(pair[0], nullptr, &watch);
        QVERIFY(connection.findChildren<QSocketNotifier *>().isEmpty());
        QCOMPARE(::send(pair[1], "get\tA\n", 6, 0), ssize_t(6));
        QByteArray received;
        QTRY_COMPARE_WITH_TIMEOUT((received += connection.readAll()), QByteArray("get\tA\n"),
                                  30000);
        ::close(pair[1]);
    }
};

QTEST_MAIN(TestServerConnections)
#include "tst_serverconnections.moc"
