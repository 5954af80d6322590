// Transactions per second through ControlBoard::send against the board simulator on a
// pseudo-terminal, compared with the round trip of a bare write/read echo over a
// pseudo-terminal pair measured in the same run.
#include "benchenv.h"
#include "controlboard.h"
#include "fakeboard.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace
{

// One measuring round, and the rounds per side, interleaved; the best of each counts.
int runMs()
{
    return BenchEnvironment::pick(700, 100);
}
int rounds()
{
    return BenchEnvironment::pick(4, 1);
}

// Reads until a LF arrived; false on failure.
bool readLine(int fd, char *buffer, size_t size)
{
    size_t got = 0;
    while (got < size) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 1000) <= 0)
            return false;
        const ssize_t n = ::read(fd, buffer + got, size - got);
        if (n <= 0)
            return false;
        got += size_t(n);
        if (buffer[got - 1] == '\n')
            return true;
    }
    return false;
}

// Round trips per second of "get A\n" / "A=1\n" between the two ends of a pseudo-terminal,
// the far end answering on a thread of its own.
double echoRoundTripsPerSecond()
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        return 0;
    const int slave = ::open(ptsname(master), O_RDWR | O_NOCTTY);
    termios tio;
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    std::atomic<bool> stop{false};
    std::thread echo([&]() {
        char buffer[256];
        while (!stop.load()) {
            if (readLine(master, buffer, sizeof buffer)) [[maybe_unused]]
                ssize_t n = ::write(master, "A=1\n", 4);
        }
    });
    QElapsedTimer timer;
    timer.start();
    long count = 0;
    char buffer[256];
    while (timer.elapsed() < runMs()) {
        if (::write(slave, "get A\n", 6) != 6 || !readLine(slave, buffer, sizeof buffer))
            break;
        ++count;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    stop = true;
    [[maybe_unused]] ssize_t n = ::write(slave, "\n", 1);
    echo.join();
    ::close(slave);
    ::close(master);
    return count / seconds;
}

double linkTransactionsPerSecond(FakeBoard &board, ControlBoard &link)
{
    QElapsedTimer timer;
    timer.start();
    long count = 0;
    QByteArray answer;
    while (timer.elapsed() < runMs()) {
        if (!link.send(QByteArrayLiteral("get A"), &answer))
            return 0;
        if (count % 1000 == 0)
            board.clearRecords();
        ++count;
    }
    return count / (timer.nsecsElapsed() / 1e9);
}

double processCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// CPU time the whole process spends while the link sits connected on an idle line: shows
// that the link thread blocks instead of polling.
double idleCpuMsPerSecond()
{
    FakeBoard board;
    ControlBoard link;
    if (!link.connectBoard(board.devicePath()))
        return -1;
    const double before = processCpuMs();
    QElapsedTimer timer;
    timer.start();
    QThread::msleep(BenchEnvironment::pick(2000, 200));
    return (processCpuMs() - before) / (timer.elapsed() / 1e3);
}

} // namespace

int main(int argc, char *argv[])
{
    BenchEnvironment env(argc, argv);
    if (const int code = env.checkStart())
        return code;
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    FakeBoard board;
    board.setValue("A", "1");
    double echo = 0;
    double link = 0;
    {
        ControlBoard controlBoard;
        if (!controlBoard.connectBoard(board.devicePath())) {
            return env.cannotStart(QStringLiteral("cannot connect to the simulator"));
        }
        // Interleaved rounds, so both sides meet the same machine load.
        for (int round = 0; round < rounds(); ++round) {
            echo = qMax(echo, echoRoundTripsPerSecond());
            link = qMax(link, linkTransactionsPerSecond(board, controlBoard));
        }
    }
    const double idle = idleCpuMsPerSecond();
    out << "bare pty echo round trips/s:      " << qRound(echo) << "\n";
    out << "ControlBoard::send transactions/s: " << qRound(link) << "\n";
    out << "time per transaction / echo round trip: "
        << (link > 0 ? QString::number(echo / link, 'f', 2) : QStringLiteral("n/a")) << "\n";
    out << "CPU while connected and idle (ms per s): " << QString::number(idle, 'f', 2) << "\n";
    return link > 0 && echo > 0 ? 0 : 1;
}
