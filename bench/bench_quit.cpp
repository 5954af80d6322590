// Quit time: the program starts (offscreen, prompts answered by default), connects to the
// simulated board of the fakeboard tool, and its main window is closed (at once, after the
// link's keep-alive, or right after an error was logged, which beeps); the time from the close
// to the end of the process, beside a bare Qt widgets program whose main window is closed the
// same way. Each side is a child process of this one, in fresh working and temporary
// directories, run alternately; the program child also reports its start and its connection.
//
//     bench_quit [--short] [runs]        (default 5 runs of each; in the short mode 1, and the
//                                         later close after 0.5 s)
#include "benchenv.h"
#include "boardglobals.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "timedchild.h"
#include "toolapplets.h"
#include "widgetprompt.h"

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <QTextStream>
#include <QTimer>


namespace
{

// The second close comes this long after the connection: past the link's keep-alive.
int laterMs()
{
    return BenchEnvironment::pick(3000, 500);
}

// The program as its entry runs it, with the connection and the close between start and end.
int runProgram(int argc, char **argv, const QString &device, int connectedMs, bool error)
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    MainApp::applyStyleSheet();
    WidgetPrompt prompt;
    Prompt::install(&prompt);
    initBoardGlobals();
    MainApp *app = MainApp::instance();
    app->setAppletFactories(toolAppletFactories());
    // The start runs the event loop for its progress window (the main window is shown before
    // the applets are built); the steps begin once the start is done.
    QTimer steps;
    QObject::connect(&steps, &QTimer::timeout, app, [app, device, connectedMs, error, &steps]() {
        if (!app->isStarted())
            return;
        steps.stop();
        if (!QTest::qWaitForWindowExposed(app->mainWindow()))
            return QCoreApplication::exit(1);
        reportLine("shown");
        if (!app->connectBoard(device))
            return QCoreApplication::exit(1);
        reportLine("connected");
        if (error) // the log window beeps, as for any error
            emit app->signal_log(-1, QStringLiteral("an error just before the close"));
        closeAfter(app->mainWindow(), connectedMs);
    });
    steps.start(1);
    const int code = app->exec();
    Prompt::install(nullptr);
    return code;
}

int runBenchmark(const BenchEnvironment &env, int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int runs = BenchEnvironment::runs(argc, argv, 5);
    QProcess board;
    const QString device = env.startSimulator(board, QStringLiteral(KVL_FAKEBOARD_PATH));
    if (device.isEmpty())
        return 1;
    QList<double> bareQuit, start, connect, quit, quitLater, quitError;
    for (int i = 0; i < runs; ++i) {
        const TimedChild b = TimedChild::run({QStringLiteral("--bare")});
        const TimedChild p =
            TimedChild::run({QStringLiteral("--program"), device, QStringLiteral("0")});
        const TimedChild l =
            TimedChild::run({QStringLiteral("--program"), device, QString::number(laterMs())});
        const TimedChild e = TimedChild::run(
            {QStringLiteral("--program"), device, QStringLiteral("0"), QStringLiteral("error")});
        for (const TimedChild *c : {&b, &p, &l, &e}) {
            if (!c->ok || c->at("closing") < 0)
                return env.failed(QStringLiteral("a child did not start, connect or end cleanly"));
        }
        bareQuit.append(b.endedMs - b.at("closing"));
        start.append(p.at("shown"));
        connect.append(p.at("connected") - p.at("shown"));
        quit.append(p.endedMs - p.at("closing"));
        quitLater.append(l.endedMs - l.at("closing"));
        quitError.append(e.endedMs - e.at("closing"));
    }
    board.terminate();
    board.waitForFinished(5000);
    const auto ms = [](double v) { return QString::number(v, 'f', 1).rightJustified(7) + " ms"; };
    QTextStream(stdout) << "quit, median of " << runs << " runs, each a fresh process\n"
                        << "  bare Qt window, close to exit:       " << ms(median(bareQuit)) << "\n"
                        << "  kvl52110 start to ready:             " << ms(median(start)) << "\n"
                        << "  kvl52110 connect to the simulator:   " << ms(median(connect)) << "\n"
                        << "  kvl52110 close to exit, at once:     " << ms(median(quit)) << "\n"
                        << "  kvl52110 close to exit, " << laterMs() / 1000.0
                        << " s connected: " << ms(median(quitLater)) << "\n"
                        << "  kvl52110 close to exit, after an error: " << ms(median(quitError))
                        << "\n";
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "--bare")
        return runBareWindow(argc, argv, true);
    if (mode == "--program" && argc > 3)
        return runProgram(argc, argv, QString::fromLocal8Bit(argv[2]), atoi(argv[3]),
                          argc > 4 && QByteArray(argv[4]) == "error");
    BenchEnvironment env(argc, argv);
    if (const int code = env.checkStart())
        return code;
    return runBenchmark(env, argc, argv);
}
