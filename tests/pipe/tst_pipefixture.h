#pragma once

// Shared by the pipe tests: a request handler that records every request with its typed value
// and answers as the test tells it, clients written against the pipe protocol, and stand-ins
// for a program that answers nothing and for one that aborts while it serves.

#include "pipeclient.h"
#include "pipename.h"
#include "requesthandler.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMutex>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

// A value as "type:text", a list as "[...]", nothing as "-".
inline QString typed(const QVariant &v)
{
    if (v.typeId() != QMetaType::QVariantList)
        return v.isValid() ? QString(v.typeName()) + ":" + v.toString() : QString("-");
    QStringList items;
    for (const QVariant &item : v.toList())
        items << typed(item);
    return "[" + items.join(",") + "]";
}

class RecordingHandler : public RequestHandler
{
public:
    bool set(const QString &name, QVariant &value) override
    {
        record("set " + name + " " + typed(value));
        return ok;
    }
    bool get(const QString &name, QVariant *result) override
    {
        record("get " + name);
        *result = named.value(name, value);
        return ok && name != "A.missing";
    }
    bool run(const QString &command, QVariant &args, QVariant *result) override
    {
        record("run " + command + " " + typed(args));
        *result = named.value(command, value);
        return ok;
    }
    void addLog(int level, const QString &text) override
    {
        QMutexLocker lock(&mutex);
        logs << qMakePair(level, text);
    }
    QStringList takeCalls()
    {
        QMutexLocker lock(&mutex);
        return std::exchange(calls, {});
    }

    QMutex mutex; // requests may come from a server thread
    QStringList calls;
    QList<QPair<int, QString>> logs;
    bool ok = true;
    QVariant value = 7; // what get and run answer
    QHash<QString, QVariant> named; // what get and run of a name answer in place of value
    int nestedLoopMs = 0; // a request that runs a nested event loop, as a message box does
    // Called with each request as it runs (after nestedLoopMs), so a test can act while the
    // server is inside a batch.
    std::function<void(const QString &call)> whileRunning;
    int depth = 0, maxDepth = 0;

private:
    void record(const QString &call)
    {
        {
            QMutexLocker lock(&mutex);
            calls << call;
        }
        maxDepth = qMax(maxDepth, ++depth);
        if (nestedLoopMs > 0)
            QTest::qWait(nestedLoopMs);
        if (whileRunning)
            whileRunning(call);
        --depth;
    }
};

// Sets an environment variable for a scope (a null value unsets it).
class EnvScope
{
public:
    EnvScope(const char *name, const QByteArray &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvScope()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

// A plain, non-blocking socket client served from the test's own thread: between its steps
// the server's events run.
class RawClient
{
public:
    explicit RawClient(const QString &localName)
    {
        const SocketDir dir; // the address goes through its descriptor
        sockaddr_un address = PipeClient::address(dir, localName);
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        connectError = connected ? 0 : errno;
    }
    ~RawClient() { ::close(fd); }

    // Writes bytes in pieces of at most pieceSize, the server's events running between them.
    bool send(const QByteArray &bytes, qsizetype pieceSize = 1 << 20)
    {
        for (qsizetype sent = 0; sent < bytes.size();) {
            const ssize_t n = ::send(fd, bytes.constData() + sent,
                                     size_t(qMin(pieceSize, bytes.size() - sent)), MSG_NOSIGNAL);
            if (n < 0 && errno != EAGAIN) {
                const int sendError = errno;
                qWarning("RawClient: send failed: %s (connect: %s)", std::strerror(sendError),
                         connected ? "done" : std::strerror(connectError));
                return false;
            }
            sent += qMax<ssize_t>(n, 0);
            QCoreApplication::processEvents();
        }
        return true;
    }
    // Bytes sent that the server has not read yet.
    int unread() const { return PipeClient::unreadByPeer(fd); }
    // Serves the server's events until it has read every byte sent (false after 30 s).
    bool waitRead() const
    {
        return QTest::qWaitFor([this]() { return unread() == 0; }, 30000);
    }
    // Takes what has arrived; true once the server has closed.
    bool receive()
    {
        char buffer[65536];
        ssize_t n;
        while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
            received.append(buffer, n);
        return n == 0;
    }
    // Reads, serving the server's events, until the server closes (false after 30 s).
    bool readUntilClose()
    {
        const QDeadlineTimer deadline(30000);
        while (!receive()) {
            if (deadline.hasExpired())
                return false;
            QTest::qWait(1);
        }
        return true;
    }

    int fd = -1;
    bool connected = false;
    int connectError = 0; // errno of a failed connect
    QByteArray received;
};

// A stand-in for the program at a socket name of the user's socket directory: it closes each
// connection once a request line is in, without a reply; once ends is set, it stops listening
// first, as a program that ends does.
class UnansweringProgram : public QLocalServer
{
public:
    explicit UnansweringProgram(const QString &localName)
    {
        connect(this, &QLocalServer::newConnection, this, [this]() {
            QLocalSocket *connection = nextPendingConnection();
            const auto drop = [this, connection]() {
                if (!connection->canReadLine())
                    return;
                if (ends)
                    close();
                connection->disconnectFromServer();
            };
            connect(connection, &QLocalSocket::readyRead, connection, drop);
            drop();
        });
        listening = listen(m_dir.address(localName));
    }

    bool listening = false;
    bool ends = false;

private:
    const SocketDir m_dir{SocketDir::Use::Make};
};

// A stand-in for a program that aborts while it serves a request: a child process listens at a
// socket name of the user's socket directory and, once a request line is in, aborts (SIGABRT,
// no core). The socket it listens on is this process's too, so the name still takes
// connections after the abort, as a program's may for a moment while the system closes its
// descriptors: only the program's own end tells its client that it ended before answering.
class AbortingProgram
{
public:
    explicit AbortingProgram(const QString &localName) : m_file(PipeName::socketFile(localName))
    {
        const SocketDir dir(SocketDir::Use::Make);
        const QByteArray address = QFile::encodeName(dir.address(localName));
        sockaddr_un place{};
        place.sun_family = AF_UNIX;
        std::strncpy(place.sun_path, address.constData(), sizeof place.sun_path - 1);
        m_socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int ready[2];
        if (m_socket < 0 || ::bind(m_socket, (sockaddr *)&place, sizeof place) != 0 ||
            ::pipe2(ready, O_CLOEXEC) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0)
            serve(ready[1]); // does not return
        ::close(ready[1]);
        char byte = 0;
        listening = m_pid > 0 && ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
    }
    ~AbortingProgram()
    {
        if (m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_socket >= 0)
            ::close(m_socket);
        QFile::remove(m_file);
    }

    // The signal that ended the program, once it has ended; 0 when it did not end by one.
    int endingSignal()
    {
        int status = 0;
        if (m_pid <= 0 || ::waitpid(m_pid, &status, 0) != m_pid)
            return 0;
        m_pid = -1;
        return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }

    bool listening = false;

private:
    // In the child: system calls only (the test process has threads).
    [[noreturn]] void serve(int ready)
    {
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        // The connections' credentials are those of the process that listens.
        if (::listen(m_socket, 8) != 0 || ::write(ready, "r", 1) != 1)
            ::_exit(2);
        const int connection = ::accept(m_socket, nullptr, nullptr);
        char byte = 0;
        while (connection >= 0 && ::read(connection, &byte, 1) == 1 && byte != '\n') {
        }
        ::abort();
    }

    QString m_file;
    int m_socket = -1;
    pid_t m_pid = -1;
};
