#pragma once

// Shared by the tests of the whole shell with two tool applets, ToolA and ToolB, on a
// laptop-sized screen (tst_mainapp, tst_shellconnection): the screen, and what reaches the tools
// and the main window.
#include "tst_shellfixture.h"

#include "application.h"
#include "htmllistbox.h"
#include "logs.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "mdiarea.h"
#include "screenconfig.h"

#include <QMdiSubWindow>
#include <QtTest>

// The screen of these tests: 1366 x 768, its area starting away from the origin.
inline const QRect SmallScreen(100, 50, 1366, 768);

// A test of the shell; the test's own initTestCase starts it.
class ToolShellTest : public QObject
{
protected:
    ToolApplet *tool(int i) const { return static_cast<ToolApplet *>(app->applet(i)); }
    QString lastLogLine() const
    {
        return app->logs()->list()->itemText(app->logs()->list()->count() - 1);
    }
    MainWindow *window() const { return app->mainWindow(); }

    // Connected, to the mock-up where an earlier function did not connect (run alone).
    bool connected() { return app->isConnected() || app->connectBoard("mockup"); }

    void activate(int i)
    {
        tool(i)->showWindow();
        window()->mdiArea()->setActiveSubWindow(
            qobject_cast<QMdiSubWindow *>(tool(i)->container()));
        QCOMPARE(window()->activeSubWindowWidget(), static_cast<QWidget *>(tool(i)));
    }

    MainApp *app = nullptr;
    ShellPrompt prompt;
};

// Runs a test of the shell on the small screen, with the program's application object, which
// tells a person's commands apart.
template <typename Test> int runToolShellTest(int argc, char *argv[])
{
    if (!ScreenConfig::use(SmallScreen))
        return 2;
    Application application(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}
