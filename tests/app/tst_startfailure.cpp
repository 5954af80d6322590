// A tool applet whose init fails ends the start: the applets after it are not set up, the
// link is still created, and the program ends with exit code 1 without an event loop.
#include "tst_shellfixture.h"

#include "mainapp.h"
#include "mainwindow.h"

#include <QTimer>
#include <QtTest>

class TestStartFailure : public QObject
{
    Q_OBJECT

private slots:
    void failingInitEndsTheStart()
    {
        ShellPrompt prompt;
        QList<ToolApplet *> tools = {new ToolApplet("First"), new ToolApplet("Failing"),
                                     new ToolApplet("Last")};
        tools.at(1)->initResult = false;
        MainApp *app = MainApp::instance();
        app->setAppletFactories({[&](QWidget *) -> Applet * { return tools.at(0); },
                                 [&](QWidget *) -> Applet * { return tools.at(1); },
                                 [&](QWidget *) -> Applet * { return tools.at(2); }});
        QTimer::singleShot(0, qApp, []() { QCoreApplication::exit(99); }); // an event loop: 99
        QCOMPARE(app->exec(), 1);
        QCOMPARE(tools.at(0)->initCalls + tools.at(1)->initCalls + tools.at(2)->initCalls, 2);
        QCOMPARE(app->appletCount(), 4); // created, not all set up
        QCOMPARE(tools.at(1)->shortcut, int(Qt::Key_1));
        QCOMPARE(tools.at(2)->shortcut, 0);
        QVERIFY(app->controlBoard()); // still created and wired
        QVERIFY(!app->mainWindow()->isVisible());
    }
};

QTEST_MAIN(TestStartFailure)
#include "tst_startfailure.moc"
