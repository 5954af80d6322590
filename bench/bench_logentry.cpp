// What a log entry costs in the real main window: the program, connected to the fakeboard tool
// in a child process, serves command-socket requests from a client thread (one connection each,
// as a script sends them) while its event loop lays out and paints as it does for a person who
// watches. Three kinds of request, in interleaved rounds (the best of each counts) with "Log"
// off, with "Log" ticked, and with "Log" off and the error bar shown as a person has it
// ("MessageBox" ticked; the other rounds run with it unticked and the bar closed):
//   - "get version", which logs nothing with "Log" off: the bare baseline;
//   - "run open i5", refused with an error entry (the same text each time);
//   - "set Board.SA q5", refused with an error entry that names it (a new text each time);
//   - "run write sset PWM0DUTY=50", a board request (the link's lines and the socket's trace
//     with "Log").
// A round ends once the log has shown what its requests left (its paced shows have run and
// painted), so no round's work lands in the next.
// Prints the program's CPU per request (the process's CPU less the client thread's) and the log
// entries each made, the CPU per entry beyond the bare request, a board request's cost with
// "Log" ticked against "Log" off, and an error's cost with the error bar shown against the bare
// request (at most 3).
//
//     bench_logentry [--short] [requests per round]       (default 1000; short: 40)
//
// Offscreen unless QT_QPA_PLATFORM says otherwise; on an X server with a window manager:
//
//     sh cmake/run-x11-test.sh /tmp/bench-x11 $PWD/build/bench/bench_logentry
#include "benchenv.h"
#include "controlboard.h"
#include "errorbar.h"
#include "localserver.h"
#include "logs.h"
#include "logshown.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "pipename.h"
#include "simulatedapp.h"
#include "socketdir.h"
#include "socketrequest.h"
#include "toolapplets.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include <atomic>
#include <cstdio>

namespace
{

// Two lines taken in turn.
struct RequestKind {
    const char *label;
    QByteArray even;
    QByteArray odd;
    bool refused; // answered "err"
};

const RequestKind Kinds[] = {
    {"get version (bare)", "get\tversion\n", "get\tVERSION\n", false},
    {"run open i5 (error)", "run\topen\ti5\n", "run\topen\ti6\n", false},
    {"set SA q5 (error, named)", "set\tBoard.SA\tq5\n", "set\tBoard.SA\tq6\n", true},
    {"run write (board)", "run\twrite\tsset PWM0DUTY=50\n", "run\twrite\tsset PWM0DUTY=51\n",
     false},
};
constexpr int KindCount = int(std::size(Kinds));
enum { Bare = 0, Error = 1, NamedError = 2, BoardRequest = 3 };

struct Cost {
    double cpuUs = 0;   // the program's, per request
    double entries = 0; // per request
};

// How the rounds run: "Log" and the error bar.
struct Mode {
    const char *label;
    bool log;
    bool bar;
};

const Mode Modes[] = {
    {"\"Log\" off", false, false}, {"\"Log\" ticked", true, false}, {"bar shown", false, true}};
constexpr int ModeCount = int(std::size(Modes));
enum { LogOff = 0, LogTicked = 1, BarShown = 2 };

class Bench
{
public:
    Bench(const QString &socketPath, ControlBoard *link) : m_socketPath(socketPath)
    {
        const auto count = [this]() { m_entries.fetch_add(1, std::memory_order_relaxed); };
        QObject::connect(MainApp::instance(), &MainApp::signal_log, count);
        QObject::connect(link, &ControlBoard::signal_log, link, count, Qt::DirectConnection);
    }

    // count requests of kind while the event loop serves them and then does what they left
    // (layout, paint). False when a request failed.
    bool measure(const RequestKind &kind, int count, Cost *cost)
    {
        QByteArray reply;
        double clientCpu = 0;
        const int entriesBefore = m_entries.load();
        const double start = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        const bool ok =
            requestsFromThread(m_socketPath, kind.even, kind.odd, count, &reply, &clientCpu);
        waitForLogShows(MainApp::instance()->logs());
        const double program = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - start - clientCpu;
        cost->cpuUs = program * 1e6 / count;
        cost->entries = double(m_entries.load() - entriesBefore) / count;
        return ok && reply.startsWith("err") == kind.refused;
    }

private:
    QString m_socketPath;
    std::atomic<int> m_entries{0};
};

void setMode(const Mode &mode)
{
    MainApp::instance()->mainWindow()->logSwitch()->setChecked(mode.log);
    Logs *logs = MainApp::instance()->logs();
    logs->messageBoxBox()->setChecked(mode.bar);
    if (!mode.bar)
        logs->errorBar()->closeBar();
    waitForLogShows(logs);
}

// CPU per entry of a request beyond another that made fewer.
double perEntry(const Cost &more, const Cost &fewer)
{
    const double entries = more.entries - fewer.entries;
    return entries > 0 ? (more.cpuUs - fewer.cpuUs) / entries : 0;
}

void report(const Cost (&best)[ModeCount][KindCount], int count)
{
    std::printf("program CPU per request, best of %d rounds of %d requests\n",
                SimulatedApp::rounds(), count);
    std::printf("  %-24s", "");
    for (const Mode &mode : Modes)
        std::printf(" %22s", mode.label);
    std::printf("\n");
    for (int k = 0; k < KindCount; ++k) {
        std::printf("  %-24s", Kinds[k].label);
        for (int m = 0; m < ModeCount; ++m)
            std::printf(" %8.1f us %3.0f entries", best[m][k].cpuUs, best[m][k].entries);
        std::printf("\n");
    }
    const Cost &bare = best[LogOff][Bare];
    std::printf("CPU per log entry beyond the bare request\n"
                "  error, \"Log\" off:              %8.1f us\n"
                "  error, \"Log\" ticked:           %8.1f us\n"
                "  board request, \"Log\" ticked:   %8.1f us\n",
                perEntry(best[LogOff][Error], bare), perEntry(best[LogTicked][Error], bare),
                perEntry(best[LogTicked][BoardRequest], best[LogOff][BoardRequest]));
    std::printf("board request, \"Log\" ticked / off: %.2f\n",
                best[LogTicked][BoardRequest].cpuUs / best[LogOff][BoardRequest].cpuUs);
    std::printf("error with the error bar shown / bare request: %.2f, naming the request: %.2f "
                "(at most 3)\n",
                best[BarShown][Error].cpuUs / bare.cpuUs,
                best[BarShown][NamedError].cpuUs / bare.cpuUs);
}

int requestsPerRound(int argc, char *argv[])
{
    if (BenchEnvironment::isShort())
        return 40;
    return argc < 2 ? 1000 : qMax(1, QByteArray(argv[1]).toInt());
}

// Rounds of every kind in every mode, interleaved; the best of each.
bool run(Bench &bench, int count, Cost (&best)[ModeCount][KindCount])
{
    for (int round = 0; round < SimulatedApp::rounds(); ++round) {
        for (int m = 0; m < ModeCount; ++m) {
            setMode(Modes[m]);
            for (int k = 0; k < KindCount; ++k) {
                Cost cost;
                if (!bench.measure(Kinds[k], count, &cost))
                    return false;
                if (round == 0 || cost.cpuUs < best[m][k].cpuUs)
                    best[m][k] = cost;
            }
        }
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // The program's socket and files go to a directory of our own.
    BenchEnvironment env(argc, argv);
    if (const int code = env.checkStart())
        return code;
    qputenv("KVL_PROMPT_DEFAULTS", "1"); // no prompt waits
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QApplication application(argc, argv);
    MainApp::applyStyleSheet(); // as the program does: every widget is style-sheet styled
    const int count = requestsPerRound(argc, argv);

    QProcess simulator;
    const QString device = env.startSimulator(simulator, QStringLiteral(KVL_FAKEBOARD_PATH));
    if (device.isEmpty())
        return 1;
    int status = 0;
    {
        SimulatedApp app(device, toolAppletFactories());
        if (!app.started())
            return 1; // SimulatedApp said why
        MainApp *main = MainApp::instance();
        main->logs()->hornButton()->setChecked(false); // no beeps on a thread of their own
        if (!QTest::qWaitForWindowExposed(main->mainWindow()))
            return env.cannotStart(QStringLiteral("the main window was not exposed"));
        const SocketDir dir; // the socket's address goes through its descriptor
        Bench bench(dir.address(PipeName::localName(main->localServer()->pipePath())), app.link());
        Cost best[ModeCount][KindCount];
        if (run(bench, count, best))
            report(best, count);
        else
            status = env.failed(QStringLiteral("a request failed"));
        setMode(Modes[LogOff]);
    }
    simulator.terminate();
    simulator.waitForFinished(5000);
    return status;
}
