#include "quitsignals.h"

#include "localserver.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace
{

// The pipe between the handler and the notifier: [0] read, [1] written by the handler.
int quitPipe[2] = {-1, -1};
// When the first signal arrived, in milliseconds of the monotonic clock; -1 before it.
std::atomic<long long> firstArrival{-1};
static_assert(std::atomic<long long>::is_always_lock_free, "used in a signal handler");
// The server the first signal refuses new connections of.
std::atomic<LocalServer *> refusedServer{nullptr};
static_assert(std::atomic<LocalServer *>::is_always_lock_free, "used in a signal handler");

// What the first signal says: the program does not end at once, and a person who presses
// Ctrl+C again should know what that costs.
const char EndingNote[] = "kvl52110: ending once the running command is done and the requests "
                          "taken are answered; a further signal ends it at once, without saving "
                          "its window state\n";

// Caught rather than ignored: a program started later gets the default handling back.
void dropped(int) {}

void catchWith(int number, void (*handler)(int), struct sigaction *previous = nullptr)
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(number, &action, previous);
}

long long monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

} // namespace

QuitSignals::QuitSignals(QObject *parent) : QObject(parent)
{
    Q_ASSERT(quitPipe[0] < 0);
    if (pipe2(quitPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        quitPipe[0] = quitPipe[1] = -1;
        return; // the signals keep their previous handling
    }
    firstArrival.store(-1);
    m_notifier = new QSocketNotifier(quitPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::slot_received);
    for (size_t i = 0; i < std::size(Caught); ++i)
        catchWith(Caught[i], &QuitSignals::handle, &m_previous[i]);
}

QuitSignals::~QuitSignals()
{
    if (quitPipe[0] < 0)
        return;
    for (size_t i = 0; i < std::size(Caught) && !m_endDone; ++i)
        sigaction(Caught[i], &m_previous[i], nullptr);
    delete m_notifier;
    close(quitPipe[0]);
    close(quitPipe[1]);
    quitPipe[0] = quitPipe[1] = -1;
}

void QuitSignals::refuseConnectionsOf(LocalServer *server)
{
    refusedServer.store(server);
}

void QuitSignals::outliveClosedPipes()
{
    catchWith(SIGPIPE, &dropped);
}

void QuitSignals::endDone()
{
    if (quitPipe[0] < 0)
        return; // the signals kept their previous handling
    m_endDone = true;
    for (const int number : Caught)
        catchWith(number, &dropped);
}

// Runs in the signal handler: only async-signal-safe calls.
void QuitSignals::handle(int number)
{
    const int saved = errno;
    const long long now = monotonicMs();
    long long first = -1;
    if (firstArrival.compare_exchange_strong(first, now)) {
        if (LocalServer *server = refusedServer.load())
            server->refuseNewConnections();
        [[maybe_unused]] const ssize_t said =
            write(STDERR_FILENO, EndingNote, sizeof EndingNote - 1);
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = write(quitPipe[1], &byte, 1);
    } else if (now - first >= TogetherMs) {
        // A later signal: the system's default ends the program once this handler returns.
        struct sigaction byDefault = {};
        byDefault.sa_handler = SIG_DFL;
        sigemptyset(&byDefault.sa_mask);
        sigaction(number, &byDefault, nullptr);
        raise(number);
    }
    errno = saved;
}

void QuitSignals::slot_received()
{
    char bytes[16];
    while (read(quitPipe[0], bytes, sizeof bytes) > 0) {
    }
    emit signal_quit();
}
