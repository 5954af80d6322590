// Start-up time: from process start to the main window shown (offscreen), for the whole
// program start (pipe server, main window, every applet, link, port scan) beside a bare Qt
// widgets program that shows a main window of the same size. Both run as child processes of
// this one, alternately, in fresh working and temporary directories.
//
//     bench_startup [runs]        (default 7 runs of each)
#include "mainapp.h"
#include "mainwindow.h"
#include "prompt.h"
#include "toolapplets.h"

#include <QApplication>
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

void reportShown()
{
    std::printf("%s\n", ShownLine);
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
    reportShown();
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
    reportShown();
    std::fprintf(stderr, "init %lld ms, start %lld ms\n", initMs, startMs);
    app->shutdown();
    return 0;
}

// The program child's own split of its start ("init N ms, start N ms"), from its last run.
QByteArray lastPhases;

// Milliseconds from starting the child to its "shown" line; -1 when it failed.
double timeChild(const QString &mode)
{
    QTemporaryDir work;
    if (!work.isValid())
        return -1;
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
    QByteArray out;
    double shownMs = -1;
    while (child.waitForReadyRead(30000) || child.bytesAvailable() > 0) {
        out += child.readAllStandardOutput();
        if (out.contains(ShownLine)) {
            shownMs = double(timer.nsecsElapsed()) / 1e6;
            break;
        }
    }
    child.waitForFinished(30000);
    for (const QByteArray &line : child.readAllStandardError().split('\n')) {
        if (line.startsWith("init "))
            lastPhases = line;
    }
    return shownMs;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(values.size() / 2);
}

int runBenchmark(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 7;
    QList<double> bare;
    QList<double> program;
    for (int i = 0; i < runs; ++i) {
        bare.append(timeChild(QStringLiteral("--bare")));
        program.append(timeChild(QStringLiteral("--program")));
        if (bare.last() < 0 || program.last() < 0) {
            std::fprintf(stderr, "a child did not show its window\n");
            return 1;
        }
    }
    const double bareMs = median(bare);
    const double programMs = median(program);
    QTextStream(stdout) << "start-up to main window shown, median of " << runs << " runs\n"
                        << "  bare Qt widgets program: " << QString::number(bareMs, 'f', 1)
                        << " ms\n"
                        << "  kvl52110 start:          " << QString::number(programMs, 'f', 1)
                        << " ms\n"
                        << "  (last program run: " << lastPhases
                        << "; start lists the ports and probes each serial one)\n"
                        << "  ratio program / bare:    "
                        << QString::number(programMs / bareMs, 'f', 2) << "\n";
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "--bare")
        return runBare(argc, argv);
    if (mode == "--program")
        return runProgram(argc, argv);
    return runBenchmark(argc, argv);
}
