// The whole start of the shell with two tool applets, name dispatch connected and not, the
// mock-up and a simulated board over a pseudo-terminal, the Ctrl+drag script of the active
// tool window, and the end through a "shutdown" request. The functions run in order on one
// MainApp.
#include "tst_shellfixture.h"

#include "activeappletprovider.h"
#include "bootloader.h"
#include "controlboard.h"
#include "fakeboard.h"
#include "htmllistbox.h"
#include "localserver.h"
#include "logs.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "mdiarea.h"
#include "scriptdragprovider.h"
#include "tablerows.h"
#include "testfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDrag>
#include <QFile>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <thread>

using CustomControls::ScriptDragProvider;

// The program's provider with a recording drag in place of the real one.
class RecordingProvider : public ActiveAppletProvider
{
public:
    Qt::DropAction executeDrag(QDrag *drag) override
    {
        drags.append(drag->mimeData()->data("text/plain"));
        sources.append(drag->source());
        return Qt::CopyAction;
    }
    QList<QByteArray> drags;
    QList<QObject *> sources;
};

class TestMainApp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        app = MainApp::instance();
        app->setAppletFactories({[]() -> Applet * { return new ToolApplet("ToolA"); },
                                 []() -> Applet * { return new ToolApplet("ToolB"); }});
        prompt.itemAnswer = 1;       // "TO1/TO2"
        prompt.itemAccepted = false; // the answer does not matter, the choice does
        // A client asks while the program is still starting: its request waits for start().
        prompt.onItem = [this]() {
            earlyClient = std::make_unique<PipeClient>();
            QVERIFY(earlyClient->send("get\tversion\n"));
            earlyClient->waitClosed(500);
            replyDuringInit = earlyClient->received;
        };
        QVERIFY(app->init());
        app->start();
    }

    void startBuildsTheTable()
    {
        QCOMPARE(prompt.itemQuestions, QStringList{"Project type|TO3/TO4,TO1/TO2|0"});
        QCOMPARE(app->projectType(), QString("TO1/TO2"));
        QCOMPARE(app->appletCount(), 3);
        QCOMPARE(app->applet(0), static_cast<Applet *>(app->logs()));
        QCOMPARE(app->logs()->containerKind(), int(Applet::DockContainer));
        QVERIFY(app->mainWindow()->projectMenu()->actions().contains(app->logs()->action()));
        QVERIFY(qobject_cast<QMdiSubWindow *>(tool(1)->container()));
        QCOMPARE(tool(1)->initCalls, 1);
        QVERIFY(!app->mainWindow()->getMenuApp()->isEnabled());
        QVERIFY(app->mainWindow()->isVisible());
        QCOMPARE(RequestHandler::instance(), static_cast<RequestHandler *>(app));

        QCOMPARE(replyDuringInit, QByteArray()); // nothing answered while starting
        QVERIFY(earlyClient->waitClosed());
        QVERIFY2(earlyClient->received.contains(MainApp::VersionText),
                 earlyClient->received.constData());

        // Errors of the program and of its applets reach the log window.
        const int errors = app->logs()->errors();
        emit app->signal_log(-1, "one error");
        emit tool(1)->signal_log(-1, "applet error");
        QCOMPARE(app->logs()->errors(), errors + 2);
    }

    void findApplet_data()
    {
        addRows<QVariant, int, int>({"key", "mode", "expected"}, // expected -1: none
                                    {{"ToolB", 0, 2}, {"Logs", 0, 0}, {"toolb", 0, -1},
                                     {int(Qt::Key_0), 1, 1}, {uint(Qt::Key_1), 1, 2},
                                     {int(Qt::Key_9), 1, -1}, {QVariant(), 2, 0}, {"ToolA", 3, -1}});
    }

    void findApplet()
    {
        QFETCH(QVariant, key);
        QFETCH(int, mode);
        QFETCH(int, expected);
        QCOMPARE(app->findApplet(key, mode), expected < 0 ? nullptr : app->applet(expected));
    }

    // Requests by name while disconnected: items of applets fail with a red log line, the
    // program's own names answer without one. logged: empty when it succeeds.
    void dispatchWhileDisconnected_data()
    {
        const QVariant untouched("untouched"), version(MainApp::VersionText);
        addRows<QString, QString, QVariant, QString>(
            {"verb", "name", "expected", "logged"},
            {{"set", "ToolA.SA", untouched, "Error SET:ToolA.SA"},
             {"set", "Nope.SA", untouched, "Error SET:Nope.SA"},
             {"get", "ToolA.SA", untouched, "Error GET ToolA.SA"},
             {"get", ".SA", untouched, "Error GET .SA"},
             {"run", "ToolB.Cmd", untouched, "Error RUN:ToolB.Cmd"},
             {"get", "VERSION", version, ""}, {"get", "ToolA.SA.x", untouched, ""},
             {"get", "colour", untouched, ""}, {"set", "version", untouched, ""},
             {"set", "a..b", untouched, ""}, {"run", "Write", untouched, ""},
             {"run", "dance", untouched, ""}});
    }

    void dispatchWhileDisconnected()
    {
        QFETCH(QString, verb);
        QFETCH(QString, name);
        QFETCH(QVariant, expected);
        QFETCH(QString, logged);
        const int errors = app->logs()->errors();
        QVariant result("untouched"), args = logged.isEmpty() ? QVariant("get X") : QVariant(7);
        const bool ok = verb == "set"   ? app->set(name, args)
                        : verb == "get" ? app->get(name, &result)
                                        : app->run(name, args, &result);
        QCOMPARE(ok, logged.isEmpty());
        QCOMPARE(result, expected);
        QCOMPARE(app->logs()->errors(), errors + (logged.isEmpty() ? 0 : 1));
        if (!logged.isEmpty())
            QVERIFY2(lastLine().startsWith("C(-1) [") &&
                         lastLine().contains(QString("<font color=\"red\"> %1</font>").arg(logged)),
                     qPrintable(lastLine()));
        QCOMPARE(tool(1)->sa.value(), 1.0);
        QVERIFY(tool(2)->commands.isEmpty());
    }

    void dispatchWhileConnected()
    {
        const int informs = int(prompt.messages().size());
        QVariant port("mockup"), result;
        QVERIFY(app->run("OPEN", port, &result));
        QCOMPARE(result, QVariant(true));
        QCOMPARE(prompt.messages().size(), informs + 1); // the mock-up notice
        QCOMPARE(app->mainWindow()->statusText(),
                 QString("<span style=\"background-color:#FF0000;\">!!! SIMULATION !!!</span>"));
        QVERIFY(app->mainWindow()->getMenuApp()->isEnabled());
        QVERIFY(tool(1)->isOnline() && tool(2)->isOnline());
        QCOMPARE(tool(1)->connects, 1);

        const int errors = app->logs()->errors();
        QVariant five(5), two(2), text("nine");
        QVERIFY(app->set("ToolA.SA", five));
        QVERIFY(!app->set("ToolA.LOCK", two)); // read-only against outside requests
        QVERIFY(!app->set("ToolA.SA", text));  // not a number: nothing written
        QCOMPARE(tool(1)->sa.value(), 5.0);
        QCOMPARE(tool(1)->lock.value(), 2.0);
        QVERIFY(app->get("ToolA.SA", &result));
        QCOMPARE(result.toDouble(), 5.0);
        QVERIFY(!app->get("ToolA.NOPE", &result)); // null value: false, nothing logged
        QCOMPARE(app->logs()->errors(), errors);
        QVariant args(QVariantList{1, "x"});
        QVERIFY(app->run("ToolB.Blink", args, &result));
        QCOMPARE(result, QVariant("done:Blink"));
        QCOMPARE(tool(2)->arguments, QVariantList{args});
        QVariant command("get X\n");
        QVERIFY(app->run("write", command, &result));
        QCOMPARE(result.typeId(), int(QMetaType::QByteArray));
        QVERIFY(!result.toByteArray().isEmpty());
    }

    // The Ctrl+drag script of a bound widget names the applet of the active tool window.
    void scriptDragNamesTheActiveApplet()
    {
        ScriptDragProvider *installed = ScriptDragProvider::provider();
        QVERIFY(dynamic_cast<ActiveAppletProvider *>(installed));
        RecordingProvider recorder;
        ScriptDragProvider::setProvider(&recorder);
        activate(2);
        QCOMPARE(installed->activeAppletName(), QString("ToolB"));
        ctrlClick(tool(2)->cbSw1);
        activate(1);
        ctrlClick(tool(1)->leSa);
        app->mainWindow()->mdiArea()->setActiveSubWindow(nullptr);
        QCOMPARE(installed->activeAppletWidget(), nullptr);
        ScriptDragProvider::setProvider(installed);
        QCOMPARE(recorder.drags, (QList<QByteArray>{"ToolB.BANK[SW1] #KVL52110:get,set",
                                                    "ToolA.SA #KVL52110:get,set"}));
        QCOMPARE(recorder.sources, (QList<QObject *>{tool(2), tool(1)}));
    }

    void closeAllButActive()
    {
        activate(1);
        activate(2);
        app->closeAllButActive();
        QVERIFY(!tool(1)->container()->isVisible());
        QVERIFY(tool(2)->container()->isVisible());
        tool(1)->showWindow();
        app->mainWindow()->mdiArea()->setActiveSubWindow(nullptr);
        app->closeAllButActive(); // without an active window: all
        QVERIFY(!tool(1)->container()->isVisible() && !tool(2)->container()->isVisible());
    }

    // A user's disconnection hides the tool windows; the link dropping the line from its own
    // thread keeps them.
    void disconnections()
    {
        tool(1)->showWindow();
        app->logs()->showWindow();
        QVariant none, result;
        QVERIFY(app->run("close", none, &result));
        QCOMPARE(result, QVariant(true));
        QVERIFY(!app->isConnected() && !tool(1)->isOnline());
        QVERIFY(!tool(1)->container()->isVisible());
        QVERIFY(!tool(1)->action()->isChecked());
        QVERIFY(app->logs()->container()->isVisible());
        QVERIFY(!app->mainWindow()->getMenuApp()->isEnabled());
        QCOMPARE(app->mainWindow()->connectButton()->text(), QString("Connect"));

        QVERIFY(app->connectBoard("mockup"));
        tool(2)->showWindow();
        ControlBoard *board = app->controlBoard();
        std::thread([board]() { board->disconnectBoard(ControlBoard::AfterErrors); }).join();
        QVERIFY(!app->isConnected());
        QTRY_VERIFY(!app->mainWindow()->connectButton()->isChecked());
        QVERIFY(tool(2)->isOnline());
        QVERIFY(tool(2)->container()->isVisible());
        app->closeAll();
    }

    void incompatibleFirmwareOffersUpdate()
    {
        FakeBoard board;
        board.setIdnReply("Velmora,P110,0x0001044B,Mon Aug 26 10:00:00 2024");
        app->setOption("ignore_version", false);
        QCOMPARE(app->bootloader(), nullptr);
        prompt.queueButton(Prompt::Yes); // update now
        QVERIFY(app->connectBoard(board.devicePath()));
        QCOMPARE(app->mainWindow()->statusText(),
                 QString("<span style=\"background-color:#FF0000;\">"
                         "FW P110: v     1044b from 26.08.2024 10:00</span>"));
        Bootloader *window = app->bootloader();
        QVERIFY(window && window->isVisible());
        app->disconnectBoard();
        // With the option set the offer is not made; the one update window stays the same.
        app->setOption("ignore_version", true);
        const int messages = int(prompt.messages().size());
        QVERIFY(app->connectBoard(board.devicePath()));
        QCOMPARE(prompt.messages().size(), messages);
        app->mainWindow()->firmwareAction()->trigger();
        QCOMPARE(app->bootloader(), window);
        app->disconnectBoard();
    }

    // "Turbo" chosen while disconnected is used on connecting; while connected the link
    // switches at once. A compatible firmware's status line has no red background.
    void connectionSpeed()
    {
        QComboBox *speed = app->mainWindow()->speedList();
        speed->setCurrentIndex(1);
        QCOMPARE(app->controlBoard()->baudrate(), 2304000);
        FakeBoard board;
        QVERIFY(app->connectBoard(board.devicePath()));
        QCOMPARE(app->mainWindow()->statusText(),
                 QString("FW P110: v     1044c from 26.08.2024 10:00"));
        QTRY_VERIFY(board.lines().contains("set baudrate=2304000"));
        board.clearRecords();
        speed->setCurrentIndex(0);
        QCOMPARE(app->controlBoard()->baudrate(), 115200);
        QTRY_VERIFY(board.lines().contains("set baudrate=115200"));
        QVERIFY(app->isConnected());
        app->disconnectBoard();
    }

    // "Log" switches communication logging in the link and the pipe server and shows the log
    // window; Python gets its text up to the zero byte and answers without CR and LF.
    void logSwitchAndPython()
    {
        QCheckBox *log = app->mainWindow()->logSwitch();
        log->setChecked(true);
        QVERIFY(app->isLogComm() && app->localServer()->logEnabled());
        QVERIFY(app->logs()->container()->isVisible());
        log->setChecked(false);
        QVERIFY(!app->isLogComm() && !app->localServer()->logEnabled());
        QVERIFY(!app->logs()->container()->isVisible());

        QVERIFY(TestFiles::write(
            "echo.py", "import sys\nsys.stdout.write('got:' + sys.argv[1] + '\\r\\nend\\n')\n"));
        QByteArray output;
        QVERIFY(app->runPython("echo.py", QByteArray("ab\0cd", 5), &output));
        QCOMPARE(output, QByteArray("got:abend"));
    }

    // Closing the main window disconnects (saving the window state while connected) and ends
    // the event loop; the applets and the link stay for the shutdown that follows.
    void closingMainWindowEndsEventLoop()
    {
        QFile::remove("KVL52110.state");
        QVERIFY(app->connectBoard("mockup"));
        QTimer::singleShot(0, app->mainWindow(), &QWidget::close);
        QTimer::singleShot(20000, qApp, []() { QCoreApplication::exit(99); }); // safety net
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!app->isConnected() && !tool(1)->isOnline());
        QVERIFY(QFile::exists("KVL52110.state"));
        QCOMPARE(app->appletCount(), 3);
    }

    void shutdownRequestEndsEventLoop()
    {
        QVERIFY(app->connectBoard("mockup"));
        PipeClient client;
        QVERIFY(client.send("run\tShutdown\n"));
        QTimer::singleShot(20000, qApp, []() { QCoreApplication::exit(99); }); // safety net
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(app->appletCount(), 3); // nothing deleted before the loop ended
        app->shutdown();
        QCOMPARE(app->appletCount(), 0);
        QCOMPARE(app->logs(), nullptr);
        QCOMPARE(app->controlBoard(), nullptr);
        app->shutdown(); // runs once
        QVERIFY(client.waitClosed());
        QCOMPARE(client.received, QByteArray("i1"));
    }

private:
    ToolApplet *tool(int i) const { return static_cast<ToolApplet *>(app->applet(i)); }

    QString lastLine() const
    {
        CustomControls::HtmlListBox *list = app->logs()->list();
        return list->itemText(list->count() - 1);
    }

    void activate(int i)
    {
        tool(i)->showWindow();
        auto *sub = qobject_cast<QMdiSubWindow *>(tool(i)->container());
        app->mainWindow()->mdiArea()->setActiveSubWindow(sub);
        QCOMPARE(app->mainWindow()->activeSubWindowWidget(), static_cast<QWidget *>(tool(i)));
    }

    static void ctrlClick(QWidget *widget)
    {
        QTest::mousePress(widget, Qt::LeftButton, Qt::ControlModifier, widget->rect().center());
        QTest::mouseRelease(widget, Qt::LeftButton, Qt::ControlModifier, widget->rect().center());
    }

    MainApp *app = nullptr;
    ShellPrompt prompt;
    QByteArray replyDuringInit = "unset";
    std::unique_ptr<PipeClient> earlyClient;
};

QTEST_MAIN(TestMainApp)
#include "tst_mainapp.moc"
