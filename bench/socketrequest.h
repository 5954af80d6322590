#pragma once

// Command-socket requests as a script sends them: each on a connection of its own, the writing
// side shut after the line, the reply read until the program closes the connection.
#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLocalSocket>
#include <QString>
#include <QThread>

#include <ctime>
#include <memory>

#include <sys/socket.h>

// False when the program could not be reached or did not close in time.
inline bool socketRequest(const QString &socketPath, const QByteArray &line, QByteArray *reply)
{
    constexpr int ExchangeMs = 30000;
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(ExchangeMs) || socket.write(line) != line.size())
        return false;
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(ExchangeMs))
            return false;
    ::shutdown(int(socket.socketDescriptor()), SHUT_WR);
    while (socket.state() == QLocalSocket::ConnectedState)
        if (!socket.waitForReadyRead(ExchangeMs) && socket.state() == QLocalSocket::ConnectedState)
            return false;
    *reply = socket.readAll();
    return true;
}

// The CPU time of a process or thread clock, in seconds.
inline double cpuSeconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Sends count requests, the lines even and odd in turn, from a client thread while this thread's
// event loop serves them; then lets the loop finish what they left (repaints, deferred deletes).
// The client thread's CPU time goes to *clientCpu when given. False when a request failed.
inline bool requestsFromThread(const QString &socketPath, const QByteArray &even,
                               const QByteArray &odd, int count, QByteArray *lastReply,
                               double *clientCpu = nullptr)
{
    bool ok = true;
    double cpu = 0;
    std::unique_ptr<QThread> client(QThread::create([&]() {
        const double start = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        for (int i = 0; i < count && ok; ++i)
            ok = socketRequest(socketPath, i % 2 == 0 ? even : odd, lastReply);
        cpu = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - start;
    }));
    QEventLoop loop;
    QObject::connect(client.get(), &QThread::finished, &loop, &QEventLoop::quit);
    client->start();
    loop.exec();
    client->wait();
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    if (clientCpu)
        *clientCpu = cpu;
    return ok;
}
