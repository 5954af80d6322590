// Start-up time, each side a child process of this one in fresh working and temporary
// directories, run alternately: from process start to the main window shown and painted
// (offscreen), to the program ready (the applets of the start built, the window exposed after
// start), to the first answer on its command socket (a request sent as soon as the socket
// listens) and to its port list filled (the serial-port probe runs meanwhile) for the whole
// program start (pipe server, main window, applets, link, port probe); as baselines, a bare Qt
// widgets program that shows a main window of the same size, and the build of the board page's
// form alone in a fresh process.
//
//     bench_startup [--short] [runs]        (default 7 runs of each, 1 in the short mode)
#include "benchenv.h"
#include "formfont.h"
#include "localserver.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "pipename.h"
#include "prompt.h"
#include "socketdir.h"
#include "socketrequest.h"
#include "timedchild.h"
#include "toolapplets.h"
#include "ui_board.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTextStream>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>

namespace
{

const char *const ShownLine = "shown";
const char *const ReadyLine = "ready";
const char *const PortsLine = "ports";
const char *const AnsweredLine = "answered";
const char *const FormLine = "form ";

// The board page's form built into a widget, as the program's start builds it (the forms'
// font, styled, not shown); prints "form <ms>".
int runForm(int argc, char **argv)
{
    QApplication application(argc, argv);
    FormFont::install();
    MainApp::applyStyleSheet();
    QElapsedTimer timer;
    timer.start();
    QWidget widget;
    Ui::Board ui;
    ui.setupUi(&widget);
    std::printf("%s%.3f\n", FormLine, double(timer.nsecsElapsed()) / 1e6);
    std::fflush(stdout);
    return 0;
}

int runProgram(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    MainApp::applyStyleSheet();
    MainApp *app = MainApp::instance();
    app->setAppletFactories(toolAppletFactories());
    QObject::connect(app, &MainApp::signal_mainWindowShown, []() { reportLine(ShownLine); });
    QElapsedTimer phase;
    phase.start();
    if (!app->init())
        return 1;
    const qint64 initMs = phase.restart();
    // A script's first request, sent as soon as the socket listens, from a thread of its own.
    std::atomic<bool> answered{false};
    const SocketDir dir;
    const QString socket = dir.address(PipeName::localName(app->localServer()->pipePath()));
    std::unique_ptr<QThread> client(QThread::create([&socket, &answered]() {
        QByteArray reply;
        if (socketRequest(socket, "get\tversion\n", &reply) && !reply.isEmpty()) {
            reportLine(AnsweredLine);
            answered = true;
        }
    }));
    client->start();
    app->start();
    app->warmUp();
    if (!QTest::qWaitForWindowExposed(app->mainWindow()))
        return 1;
    const qint64 startMs = phase.elapsed();
    reportLine(ReadyLine);
    if (!QTest::qWaitFor([&answered]() { return answered.load(); }, 30000))
        return 1;
    client->wait();
    // The probe lists "mockup" and "script" at least.
    if (!QTest::qWaitFor([app]() { return app->mainWindow()->portList()->count() > 0; }, 30000))
        return 1;
    reportLine(PortsLine);
    std::fprintf(stderr, "init %lld ms, start %lld ms\n", initMs, startMs);
    app->shutdown();
    return 0;
}

int runBenchmark(const BenchEnvironment &env, int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int runs = BenchEnvironment::runs(argc, argv, 7);
    QList<double> bare, form, shown, ready, answered, ports;
    QByteArray phases;
    for (int i = 0; i < runs; ++i) {
        const TimedChild b = TimedChild::run({QStringLiteral("--bare")});
        const TimedChild f = TimedChild::run({QStringLiteral("--form")});
        const TimedChild p = TimedChild::run({QStringLiteral("--program")});
        if (b.at(ShownLine) < 0 || f.after(FormLine).isEmpty() || p.at(ShownLine) < 0 ||
            p.at(ReadyLine) < 0 || p.at(AnsweredLine) < 0 || p.at(PortsLine) < 0)
            return env.failed(QStringLiteral("a child did not show its window, build the form, "
                                             "answer its socket or fill the port list"));
        bare.append(b.at(ShownLine));
        form.append(f.after(FormLine).toDouble());
        shown.append(p.at(ShownLine));
        ready.append(p.at(ReadyLine));
        answered.append(p.at(AnsweredLine));
        ports.append(p.at(PortsLine));
        for (const QByteArray &line : p.errors.split('\n'))
            if (line.startsWith("init "))
                phases = line;
    }
    const double baseline = median(bare) + median(form);
    const auto ms = [](double v) { return QString::number(v, 'f', 1).rightJustified(7) + " ms"; };
    QTextStream(stdout) << "start-up, median of " << runs << " runs, each a fresh process\n"
                        << "  bare Qt window shown:          " << ms(median(bare)) << "\n"
                        << "  board form built:              " << ms(median(form)) << "\n"
                        << "  kvl52110 window shown:         " << ms(median(shown)) << "\n"
                        << "  kvl52110 ready:                " << ms(median(ready)) << "\n"
                        << "  kvl52110 socket answered:      " << ms(median(answered)) << "\n"
                        << "  kvl52110 port list filled:     " << ms(median(ports)) << "\n"
                        << "  (last program run: " << phases << ")\n"
                        << "  ratio window shown / (bare window + form): "
                        << QString::number(median(shown) / baseline, 'f', 2) << "\n"
                        << "  ratio ready / (bare window + form):        "
                        << QString::number(median(ready) / baseline, 'f', 2) << "\n"
                        << "  ratio socket answered / (bare window + form): "
                        << QString::number(median(answered) / baseline, 'f', 2) << "\n";
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "--bare")
        return runBareWindow(argc, argv, false);
    if (mode == "--form")
        return runForm(argc, argv);
    if (mode == "--program")
        return runProgram(argc, argv);
    BenchEnvironment env(argc, argv);
    if (const int code = env.checkStart())
        return code;
    return runBenchmark(env, argc, argv);
}
