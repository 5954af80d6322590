// A tool applet whose init fails ends the start: the applets after it are not set up, the
// link is still created, and the program ends with exit code 0 without an event loop.
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
        auto *first = new ToolApplet("First");
        auto *failing = new ToolApplet("Failing");
        auto *last = new ToolApplet("Last");
        failing->initResult = false;
        MainApp *app = MainApp::instance();
        app->setAppletFactories({[first]() -> Applet * { return first; },
                                 [failing]() -> Applet * { return failing; },
                                 [last]() -> Applet * { return last; }});
        // An event loop would end the run with 99 here.
        QTimer::singleShot(0, qApp, []() { QCoreApplication::exit(99); });
        QCOMPARE(app->exec(), 0);

        QCOMPARE(first->initCalls, 1);
        QCOMPARE(failing->initCalls, 1);
        QCOMPARE(last->initCalls, 0);
        QCOMPARE(app->appletCount(), 4); // created, not all set up
        QCOMPARE(failing->shortcut, int(Qt::Key_1));
        QCOMPARE(last->shortcut, 0);
        QVERIFY(app->controlBoard()); // still created and wired
        QVERIFY(!app->mainWindow()->isVisible());
    }

private:
    ShellPrompt prompt;
};

QTEST_MAIN(TestStartFailure)
#include "tst_startfailure.moc"
