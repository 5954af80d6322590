// When the program's pipe is served by another program and the user declines another name,
// the start ends before anything else is created.
#include "tst_shellfixture.h"

#include "localserver.h"
#include "mainapp.h"

#include <QtTest>

class TestPipeInUse : public QObject
{
    Q_OBJECT

private slots:
    void declinedOtherPipeEndsTheStart()
    {
        ShellPrompt prompt;
        prompt.queueButton(Prompt::Close); // no other pipe name
        LocalServer other;
        QVERIFY(other.start("KVL52110"));
        MainApp *app = MainApp::instance();
        app->setAppletFactories({[]() -> Applet * { return new ToolApplet("Tool"); }});
        QCOMPARE(app->exec(), 0);
        QCOMPARE(prompt.messages().size(), 1);
        QVERIFY(prompt.messages().first().text.contains("Pipe is already used"));
        QCOMPARE(app->mainWindow(), nullptr);
        QCOMPARE(app->appletCount(), 0);
        QCOMPARE(app->controlBoard(), nullptr);
        QVERIFY(prompt.itemQuestions.isEmpty()); // the project type was not asked
    }
};

QTEST_MAIN(TestPipeInUse)
#include "tst_pipeinuse.moc"
