// What a connection costs the program: the CPU time of its main thread from just before it
// connects to the simulated board of the fakeboard tool until it has idled a second after, less
// that of the same program idling as long. Two kinds of connection: once the program has done
// what it does while it waits after its start (a person connects seconds after the start), and
// at once after the start (a script), which takes that work over. Each side is a child process of
// this one in fresh working and temporary directories, run alternately; the baseline, measured in
// the same run, is the CPU time of the board page's form built alone in a fresh process.
//
//     bench_connect [--short] [runs]        (default 5 runs of each, 1 in the short mode)
#include "benchenv.h"
#include "boardglobals.h"
#include "formfont.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "socketrequest.h"
#include "timedchild.h"
#include "toolapplets.h"
#include "ui_board.h"

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <QTextStream>

#include <algorithm>
#include <ctime>

namespace
{

const char *const CpuLine = "cpu ";       // the measured span, milliseconds of CPU time
const char *const SettleLine = "settle "; // the work after the start, in the idle child
const QStringList Kinds = {QStringLiteral("idle"), QStringLiteral("settled"),
                           QStringLiteral("immediate")};

int idleMs()
{
    return BenchEnvironment::pick(1000, 200);
}

double threadCpuMs()
{
    return cpuSeconds(CLOCK_THREAD_CPUTIME_ID) * 1000.0;
}

void report(const char *prefix, double ms)
{
    reportLine(qPrintable(QLatin1String(prefix) + QString::number(ms, 'f', 3)));
}

// The board page's form built into a widget, as the program builds it (the forms' font,
// styled, not shown).
int runForm(int argc, char **argv)
{
    QApplication application(argc, argv);
    FormFont::install();
    MainApp::applyStyleSheet();
    const double before = threadCpuMs();
    QWidget widget;
    Ui::Board ui;
    ui.setupUi(&widget);
    report(CpuLine, threadCpuMs() - before);
    return 0;
}

// The program as its entry starts it; kind says what follows the start.
int runProgram(int argc, char **argv, const QString &kind, const QString &device)
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    MainApp::applyStyleSheet();
    initBoardGlobals();
    MainApp *app = MainApp::instance();
    app->setAppletFactories(toolAppletFactories());
    if (!app->init())
        return 1;
    app->start();
    app->warmUp();
    const auto settle = [app]() {
        return QTest::qWaitFor([app]() { return app->isWarmedUp(); }, 60000);
    };
    bool ok = QTest::qWaitForWindowExposed(app->mainWindow());
    double before = threadCpuMs();
    if (ok && kind == QLatin1String("idle")) {
        ok = settle();
        const double settled = threadCpuMs();
        report(SettleLine, settled - before);
        before = settled;
    } else if (ok && kind == QLatin1String("settled")) {
        ok = settle();
        before = threadCpuMs();
        ok = ok && app->connectBoard(device);
    } else if (ok) {
        ok = app->connectBoard(device) && settle();
    }
    QTest::qWait(idleMs());
    report(CpuLine, threadCpuMs() - before);
    app->shutdown();
    return ok ? 0 : 1;
}

// Each run: the form, then the program idle, settled and connected at once, on device.
int runBenchmark(const BenchEnvironment &env, int runs, const QString &device)
{
    QList<double> form, idle, settle, settled, immediate;
    for (int i = 0; i < runs; ++i) {
        const TimedChild f = TimedChild::run({QStringLiteral("--form")});
        QList<TimedChild> p;
        for (const QString &kind : Kinds)
            p.append(TimedChild::run({QStringLiteral("--program"), kind, device}));
        if (f.after(CpuLine).isEmpty() ||
            std::any_of(p.cbegin(), p.cend(),
                        [](const TimedChild &c) { return !c.ok || c.after(CpuLine).isEmpty(); }))
            return env.failed(QStringLiteral("a child did not build the form, start, connect "
                                             "or end cleanly"));
        form.append(f.after(CpuLine).toDouble());
        idle.append(p.at(0).after(CpuLine).toDouble());
        settle.append(p.at(0).after(SettleLine).toDouble());
        settled.append(p.at(1).after(CpuLine).toDouble());
        immediate.append(p.at(2).after(CpuLine).toDouble());
    }
    const double baseline = median(form);
    const auto line = [baseline](double ms) {
        return QString::number(ms, 'f', 1).rightJustified(7) + " ms, ratio to the form " +
               QString::number(ms / baseline, 'f', 2);
    };
    QTextStream(stdout) << "connection, median of " << runs
                        << " runs, each a fresh process; CPU time of the main thread\n"
                        << "  board form built (baseline):               "
                        << QString::number(baseline, 'f', 1).rightJustified(7) << " ms\n"
                        << "  connect once settled (a person):           "
                        << line(median(settled) - median(idle)) << "\n"
                        << "  work while waiting after the start:        " << line(median(settle))
                        << "\n"
                        << "  connect at once after the start, and that work: "
                        << line(median(immediate) - median(idle)) << "\n";
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "--form")
        return runForm(argc, argv);
    if (mode == "--program" && argc > 3)
        return runProgram(argc, argv, QString::fromLocal8Bit(argv[2]),
                          QString::fromLocal8Bit(argv[3]));
    BenchEnvironment env(argc, argv);
    if (const int code = env.checkStart())
        return code;
    QCoreApplication application(argc, argv);
    QProcess board;
    const QString device = env.startSimulator(board, QStringLiteral(KVL_FAKEBOARD_PATH));
    if (device.isEmpty())
        return 1;
    const int code = runBenchmark(env, BenchEnvironment::runs(argc, argv, 5), device);
    board.terminate();
    board.waitForFinished(5000);
    return code;
}
