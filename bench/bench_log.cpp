// Cost of a log window entry as the window grows: 1,000 and 40,000 error entries (100 and 2,000
// in the short mode) logged in one go (as a batch of failing requests logs them), each run from
// an empty window, with the time per entry of both and their ratio. The window is shown
// (offscreen); the error beeps and the error box are off, so the list alone is measured. The rows
// and counts that the window shows paced are shown at once after the entries, and the event loop
// runs once, so the work deferred to it counts too.
#include "benchenv.h"
#include "htmllistbox.h"
#include "logs.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "prompt.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace
{

// Microseconds per entry for count entries logged into an empty window.
double measure(Logs *logs, int count)
{
    QMetaObject::invokeMethod(logs, "slot_pbClear_clicked");
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i)
        logs->slot_addLog(-1, QStringLiteral("Error SET:A.B%1").arg(i % 2));
    logs->list()->showAddedRows();
    logs->updateStatus();
    QCoreApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e3 / count;
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
    logs->showWindow();
    if (!QTest::qWaitForWindowExposed(app->mainWindow()))
        return env.cannotStart(QStringLiteral("the main window was not exposed"));

    const int few = BenchEnvironment::pick(1000, 100);
    const int many = BenchEnvironment::pick(40000, 2000);
    const double small = measure(logs, few);
    const double large = measure(logs, many);
    std::printf("log window, error entries from an empty window\n"
                "  %6d entries: %8.1f us per entry\n"
                "  %6d entries: %8.1f us per entry\n"
                "  ratio %d / %d: %.2f\n",
                few, small, many, large, many, few, large / small);
    app->shutdown();
    return 0;
}
