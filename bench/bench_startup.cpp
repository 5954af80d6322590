// Start-up time, each side a child process of this one in fresh working and temporary
// directories, run alternately: from process start to the main window shown (offscreen) and to
// its port list filled (the serial-port probe runs meanwhile) for the whole program start (pipe
// server, main window, every applet, link, port probe); as baselines, a bare Qt widgets program
// that shows a main window of the same size, and the build of the board page's form alone in a
// fresh process (the largest part of the program's own start).
//
//     bench_startup [runs]        (default 7 runs of each)
#include "benchenv.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "prompt.h"
#include "toolapplets.h"
#include "ui_board.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace
{

const char *const ShownLine = "shown";
const char *const PortsLine = "ports";
const char *const FormLine = "form ";

void report(const char *line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

int runBare(int argc, char **argv)
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(1440, 975);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    report(ShownLine);
    return 0;
}

// The board page's form built into a widget, as the program's start builds it (styled, not
// shown); prints "form <ms>".
int runForm(int argc, char **argv)
{
    QApplication application(argc, argv);
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
    QElapsedTimer phase;
    phase.start();
    if (!app->init())
        return 1;
    const qint64 initMs = phase.restart();
    app->start();
    if (!QTest::qWaitForWindowExposed(app->mainWindow()))
        return 1;
    const qint64 startMs = phase.elapsed();
    report(ShownLine);
    // The probe lists "mockup" and "script" at least.
    if (!QTest::qWaitFor([app]() { return app->mainWindow()->portList()->count() > 0; }, 30000))
        return 1;
    report(PortsLine);
    std::fprintf(stderr, "init %lld ms, start %lld ms\n", initMs, startMs);
    app->shutdown();
    return 0;
}

// What one child run gave: milliseconds from its start to each line it printed (-1: not
// printed), the form's own time, its phases.
struct ChildRun {
    double shownMs = -1;
    double portsMs = -1;
    double formMs = -1;
    QByteArray phases;
};

ChildRun runChild(const QString &mode)
{
    ChildRun run;
    QTemporaryDir work;
    if (!work.isValid())
        return run;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KVL_PROMPT_DEFAULTS"), QStringLiteral("1"));
    env.insert(QStringLiteral("TMPDIR"), work.path());
    child.setProcessEnvironment(env);
    child.setWorkingDirectory(work.path());
    child.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer timer;
    timer.start();
    child.start(QCoreApplication::applicationFilePath(), {mode});
    while (child.waitForReadyRead(30000) || child.canReadLine()) {
        while (child.canReadLine()) {
            const QByteArray line = child.readLine().trimmed();
            const double ms = double(timer.nsecsElapsed()) / 1e6;
            if (line == ShownLine)
                run.shownMs = ms;
            else if (line == PortsLine)
                run.portsMs = ms;
            else if (line.startsWith(FormLine))
                run.formMs = line.mid(int(strlen(FormLine))).toDouble();
        }
    }
    child.waitForFinished(30000);
    for (const QByteArray &line : child.readAllStandardError().split('\n')) {
        if (line.startsWith("init "))
            run.phases = line;
    }
    return run;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(values.size() / 2);
}

int runBenchmark(const BenchEnvironment &env, int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 7;
    QList<double> bare, form, shown, ports;
    QByteArray phases;
    for (int i = 0; i < runs; ++i) {
        const ChildRun b = runChild(QStringLiteral("--bare"));
        const ChildRun f = runChild(QStringLiteral("--form"));
        const ChildRun p = runChild(QStringLiteral("--program"));
        if (b.shownMs < 0 || f.formMs < 0 || p.shownMs < 0 || p.portsMs < 0)
            return env.failed(QStringLiteral("a child did not show its window, build the form "
                                             "or fill the port list"));
        bare.append(b.shownMs);
        form.append(f.formMs);
        shown.append(p.shownMs);
        ports.append(p.portsMs);
        phases = p.phases;
    }
    const double baseline = median(bare) + median(form);
    const auto ms = [](double v) { return QString::number(v, 'f', 1).rightJustified(7) + " ms"; };
    QTextStream(stdout) << "start-up, median of " << runs << " runs, each a fresh process\n"
                        << "  bare Qt window shown:          " << ms(median(bare)) << "\n"
                        << "  board form built:              " << ms(median(form)) << "\n"
                        << "  kvl52110 window shown:         " << ms(median(shown)) << "\n"
                        << "  kvl52110 port list filled:     " << ms(median(ports)) << "\n"
                        << "  (last program run: " << phases << ")\n"
                        << "  ratio window shown / (bare window + form): "
                        << QString::number(median(shown) / baseline, 'f', 2) << "\n";
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "--bare")
        return runBare(argc, argv);
    if (mode == "--form")
        return runForm(argc, argv);
    if (mode == "--program")
        return runProgram(argc, argv);
    BenchEnvironment env(argv[0]);
    if (const int code = env.checkStart())
        return code;
    return runBenchmark(env, argc, argv);
}
