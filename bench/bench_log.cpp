// The log window over a long day: trace entries (as "Log" ticked logs a board's traffic) logged
// in bursts into the shown window (offscreen), its paced shows running as they do for a person;
// the error beeps and the error bar are off, so the list alone is measured.
//   - the program's CPU per entry (its shows and paints included) and its memory when 1,000,
//     100,000, 400,000 and 1,000,000 entries have been logged (100, 2,000, 8,000 and 20,000 in
//     the short mode, with the list's bound lowered to 1,000 to match), the cost at the most
//     against the cost at the fewest (at most 1.5), the memory's growth once the list is full
//     (at most 10 MB), and the memory that Clear gives back;
//   - the CPU of one show of the list against the rows it adds (1, 10 and 100), with the list
//     holding a thousand rows and full: a show costs in proportion to its rows, whatever the
//     list holds.
#include "benchenv.h"
#include "htmllistbox.h"
#include "logs.h"
#include "logshown.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "memoryusage.h"
#include "prompt.h"
#include "socketrequest.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include <cstdio>

namespace
{

constexpr int Burst = 200;    // entries logged between two passes of the event loop
constexpr int BurstGapMs = 2; // the time between two bursts

qint64 logged = 0; // entries logged so far

void logEntries(Logs *logs, int count)
{
    for (int i = 0; i < count; ++i, ++logged)
        logs->slot_addLog(109, QStringLiteral("TX(12:00:00.%1):set PWM0DUTY=%2<cr> ")
                                   .arg(logged % 1000, 3, 10, QLatin1Char('0'))
                                   .arg(logged % 100));
}

// Logs count entries in bursts a few milliseconds apart (some 50,000 entries a second, as a
// script's tight loop with "Log" ticked makes them), the event loop running between them.
void fill(Logs *logs, qint64 count)
{
    for (qint64 done = 0; done < count; done += Burst) {
        logEntries(logs, int(qMin<qint64>(Burst, count - done)));
        QTest::qWait(BurstGapMs);
    }
    waitForLogShows(logs);
}

// Microseconds of the program's CPU per entry of count entries logged now.
double entryCost(Logs *logs, int count)
{
    const double start = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    fill(logs, count);
    return (cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - start) * 1e6 / count;
}

// Microseconds of the program's CPU per show that adds rows rows (the entries' own cost in).
double showCost(Logs *logs, int rows)
{
    const int shows = BenchEnvironment::pick(100, 10);
    waitForLogShows(logs);
    const double start = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    for (int i = 0; i < shows; ++i) {
        logEntries(logs, rows);
        logs->list()->showAddedRows();
        QCoreApplication::processEvents(); // the paint
    }
    return (cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - start) * 1e6 / shows;
}

void reportShows(Logs *logs, const char *holding)
{
    const int added[] = {1, 10, 100};
    double cost[3] = {};
    for (int i = 0; i < 3; ++i)
        cost[i] = showCost(logs, added[i]);
    std::printf("  %-22s %9.1f us %9.1f us %9.1f us   per row %6.1f %6.1f %6.1f us\n", holding,
                cost[0], cost[1], cost[2], cost[0], cost[1] / 10, cost[2] / 100);
}

} // namespace

int main(int argc, char **argv)
{
    // The program's socket and files go to a directory of our own.
    BenchEnvironment env(argc, argv);
    if (const int code = env.checkStart())
        return code;
    qputenv("KVL_PROMPT_DEFAULTS", "1");
    QDir::setCurrent(env.tempPath());
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    MainApp *app = MainApp::instance();
    if (!app->init())
        return env.cannotStart(QStringLiteral("the program did not start (its pipe could not "
                                              "be served)"));
    app->start();
    Logs *logs = app->logs();
    logs->hornButton()->setChecked(false);
    logs->messageBoxBox()->setChecked(false);
    app->setLogComm(true);
    logs->showWindow();
    if (!QTest::qWaitForWindowExposed(app->mainWindow()))
        return env.cannotStart(QStringLiteral("the main window was not exposed"));
    const int bound = BenchEnvironment::pick(Logs::ListedLines, 1000);
    logs->list()->setMaximumRows(bound);

    std::printf("CPU per show of the list, with the rows it adds: %9s %12s %12s\n", "1", "10",
                "100");
    fill(logs, 1000);
    reportShows(logs, "from 1,000 rows");
    QMetaObject::invokeMethod(logs, "slot_pbClear_clicked");
    logged = 0;

    const qint64 scale = BenchEnvironment::pick(1, 50);
    const qint64 marks[] = {1000 / (scale == 1 ? 1 : 10), 100000 / scale, 400000 / scale,
                            1000000 / scale};
    const int window = int(qMin<qint64>(5000, marks[0]));
    std::printf("log window, trace entries logged in bursts of %d (the list keeps %d)\n", Burst,
                bound);
    std::printf("  %10s %14s %12s %12s\n", "logged", "CPU per entry", "resident", "heap");
    double costs[4] = {};
    double resident[4] = {};
    for (int i = 0; i < 4; ++i) {
        fill(logs, marks[i] - logged);
        costs[i] = entryCost(logs, window);
        const Usage now = usage();
        resident[i] = now.residentKb / 1024;
        std::printf("  %10lld %11.1f us %9.1f MB %9.1f MB\n", static_cast<long long>(logged),
                    costs[i], resident[i], now.heapKb / 1024);
    }
    std::printf("CPU per entry at %lld / at %lld: %.2f (at most 1.5)\n",
                static_cast<long long>(marks[3]), static_cast<long long>(marks[0]),
                costs[3] / costs[0]);
    std::printf("memory grown from %lld to %lld entries: %.1f MB (at most 10)\n",
                static_cast<long long>(marks[1]), static_cast<long long>(marks[2]),
                resident[2] - resident[1]);

    std::printf("CPU per show of the list, with the rows it adds: %9s %12s %12s\n", "1", "10",
                "100");
    reportShows(logs, "list full");
    const double full = usage().residentKb / 1024;
    QMetaObject::invokeMethod(logs, "slot_pbClear_clicked");
    waitForLogShows(logs);
    const double cleared = usage().residentKb / 1024;
    std::printf("memory after Clear: %.1f MB (%.1f MB given back)\n", cleared, full - cleared);
    app->shutdown();
    return 0;
}
