// A pipe connection on a socket whose system calls take bytes in small parts or are
// interrupted by a signal, as they may be under load: the calls of this process on one chosen
// descriptor go through the hooks below, every other call goes straight to the system.
#include "pipeconnection.h"

#include <QSocketNotifier>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace
{

std::atomic<int> hookedFd{-1};
std::atomic<int> sendLimit{0};      // bytes one send takes at most (0: no limit)
std::atomic<int> sendInterrupts{0}; // sends still to fail with EINTR before any bytes
std::atomic<int> pollInterrupts{0}; // polls still to fail with EINTR at once

template <typename Function> Function next(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

bool takes(std::atomic<int> &interrupts)
{
    for (int left = interrupts.load(); left > 0;) {
        if (interrupts.compare_exchange_weak(left, left - 1))
            return true;
    }
    return false;
}

// Bytes that tell each position apart, so a part sent twice or out of place shows.
QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i % 251);
    return bytes;
}

// Reads the peer's side until the connection closes.
QByteArray readToEnd(int peer)
{
    QByteArray received;
    char buffer[65536];
    ssize_t n;
    while ((n = ::recv(peer, buffer, sizeof buffer, 0)) > 0)
        received.append(buffer, n);
    return received;
}

// Whether the connection watches its socket for input (Read) or for room (Write).
bool watches(const PipeConnection &connection, QSocketNotifier::Type type)
{
    const QList<QSocketNotifier *> notifiers = connection.findChildren<QSocketNotifier *>();
    return std::any_of(notifiers.begin(), notifiers.end(), [type](const QSocketNotifier *notifier) {
        return notifier->type() == type && notifier->isEnabled();
    });
}

} // namespace

extern "C" ssize_t send(int fd, const void *buffer, size_t size, int flags)
{
    static const auto real = next<ssize_t (*)(int, const void *, size_t, int)>("send");
    if (fd == hookedFd) {
        if (takes(sendInterrupts)) {
            errno = EINTR;
            return -1;
        }
        if (sendLimit > 0)
            size = qMin(size, size_t(sendLimit));
    }
    return real(fd, buffer, size, flags);
}

extern "C" int poll(pollfd *fds, nfds_t count, int timeout)
{
    static const auto real = next<int (*)(pollfd *, nfds_t, int)>("poll");
    if (count == 1 && fds->fd == hookedFd && takes(pollInterrupts)) {
        errno = EINTR;
        return -1;
    }
    return real(fds, count, timeout);
}

class TestPipeConnection : public QObject
{
    Q_OBJECT

    int pair[2] = {-1, -1};

private slots:
    void init()
    {
        QVERIFY(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) == 0);
        hookedFd = pair[0];
    }
    void cleanup()
    {
        hookedFd = -1;
        sendLimit = 0;
        sendInterrupts = 0;
        pollInterrupts = 0;
        if (pair[1] >= 0)
            ::close(pair[1]);
    }

    // A socket that takes a reply in small parts, one send interrupted before it took any,
    // gets the whole reply in order, and the connection stays open.
    void replyTakenInParts()
    {
        PipeConnection connection(pair[0]);
        sendLimit = 1000;
        sendInterrupts = 1;
        const QByteArray reply = pattern(10 * 1000 + 7);
        connection.write(reply);
        QCOMPARE(connection.bytesToWrite(), 0);
        QVERIFY(connection.isOpen());
        connection.abort();
        QCOMPARE(readToEnd(pair[1]), reply);
    }

    // A reply larger than the socket holds goes out as the client reads it; once all is out,
    // the connection no longer waits for room.
    void replyLargerThanTheSocket()
    {
        PipeConnection connection(pair[0]);
        QSignalSpy written(&connection, &PipeConnection::signal_bytesWritten);
        const QByteArray reply = pattern(4 << 20);
        connection.write(reply);
        QVERIFY(connection.bytesToWrite() > 0);
        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&]() {
                char buffer[65536];
                ssize_t n;
                while ((n = ::recv(pair[1], buffer, sizeof buffer, MSG_DONTWAIT)) > 0)
                    received.append(buffer, n);
                return received.size() == reply.size();
            }(),
            30000);
        QCOMPARE(received, reply);
        QCOMPARE(connection.bytesToWrite(), 0);
        QVERIFY(written.count() > 0 && connection.isOpen());
        QVERIFY(!watches(connection, QSocketNotifier::Write));
    }

    // A reply to a client that has gone closes the connection, which then watches nothing.
    void replyToAGoneClient()
    {
        PipeConnection connection(pair[0]);
        ::close(pair[1]);
        pair[1] = -1;
        connection.write("sA\n");
        QVERIFY(!connection.isOpen());
        QVERIFY(!watches(connection, QSocketNotifier::Read) &&
                !watches(connection, QSocketNotifier::Write));
    }

    // The flush at the end of the program goes on after a signal interrupts its wait for
    // room: with a client that reads it ends once all is sent, with one that does not at its
    // time-out.
    void flushWaitInterrupted_data()
    {
        QTest::addColumn<bool>("clientReads");
        QTest::newRow("client reads") << true;
        QTest::newRow("client does not read") << false;
    }
    void flushWaitInterrupted()
    {
        QFETCH(bool, clientReads);
        const QByteArray reply = pattern(4 << 20);
        PipeConnection connection(pair[0]);
        connection.write(reply);
        QVERIFY(connection.bytesToWrite() > 0); // more than the socket holds
        QVERIFY(watches(connection, QSocketNotifier::Read) &&
                watches(connection, QSocketNotifier::Write));
        pollInterrupts = 1;
        QByteArray received;
        std::thread reader;
        if (clientReads)
            reader = std::thread([&]() { received = readToEnd(pair[1]); });
        const bool flushed = connection.waitForBytesWritten(clientReads ? 60000 : 50);
        connection.abort();
        if (reader.joinable())
            reader.join();
        QCOMPARE(connection.bytesToWrite(), 0); // what was not sent is dropped
        // nor is the closed descriptor watched
        QVERIFY(!watches(connection, QSocketNotifier::Read) &&
                !watches(connection, QSocketNotifier::Write));
        QCOMPARE(pollInterrupts.load(), 0);
        QCOMPARE(flushed, clientReads);
        if (clientReads)
            QCOMPARE(received, reply);
    }
};

QTEST_MAIN(TestPipeConnection)
#include "tst_pipeconnection.moc"
