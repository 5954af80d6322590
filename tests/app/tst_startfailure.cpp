// A start that cannot serve ends with exit code 1 without an event loop: a socket name that
// another program serves ends it before any window; a tool applet whose init fails ends it
// with the applets after it not set up and the link still created.
#include "tst_shellfixture.h"

#include "localserver.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "socketdir.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QtTest>

class TestStartFailure : public QObject
{
    Q_OBJECT

private slots:
    // Nobody is asked for another name on a run without a person; the other program goes on
    // serving.
    void socketInUseEndsTheStart()
    {
        const SocketDir dir(SocketDir::Use::Make); // the other program's, as it makes it
        QLocalServer other;
        QVERIFY(other.listen(dir.address("KVLBUSY")));
        ShellPrompt prompt;
        MainApp *app = MainApp::instance();
        app->setServerName("KVLBUSY");
        app->setUnattended(true);
        QCOMPARE(app->exec(), 1);
        QCOMPARE(prompt.messages().size(), 0);
        QVERIFY2(app->localServer()->failure().startsWith(
                     "another program already serves the command socket " + dir.file("KVLBUSY")),
                 qPrintable(app->localServer()->failure()));
        app->setUnattended(false);
        app->setServerName(QString::fromLatin1(MainApp::ProjectName));
        QVERIFY(!app->mainWindow());
        QLocalSocket probe;
        QVERIFY(PipeClient::connectSocket(&probe, "KVLBUSY"));
    }

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
