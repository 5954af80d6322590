// The whole start of the shell with two tool applets, name dispatch connected and not, the
// mock-up and a simulated board over a pseudo-terminal, and the end through a "shutdown"
// request. The test functions run in order on one MainApp.
#include "tst_shellfixture.h"

#include "bootloader.h"
#include "controlboard.h"
#include "fakeboard.h"
#include "htmllistbox.h"
#include "localserver.h"
#include "logs.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "mdiarea.h"
#include "tablerows.h"
#include "testfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include <thread>

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
        // A client asks while the program is still starting: its request must wait for start().
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
        QCOMPARE(prompt.itemTitles, QStringList{"Project type"});
        QCOMPARE(prompt.itemLists.value(0), (QStringList{"TO3/TO4", "TO1/TO2"}));
        QCOMPARE(prompt.itemCurrents.value(0), 0);
        QCOMPARE(app->projectType(), QString("TO1/TO2"));

        QCOMPARE(app->appletCount(), 3);
        QCOMPARE(app->applet(0), static_cast<Applet *>(app->logs()));
        QCOMPARE(app->applet(0)->containerKind(), int(Applet::DockContainer));
        // Titles, shortcut digits and menu actions of the tools: tst_toolapplets, on the real
        // table.
        QCOMPARE(app->logs()->shortcut, 0);
        QCOMPARE(tool(1)->initCalls, 1);
        QVERIFY(!app->mainWindow()->getMenuApp()->isEnabled());
        QVERIFY(app->mainWindow()->projectMenu()->actions().contains(app->logs()->action()));
        QVERIFY(!app->logs()->action()->icon().pixmap(16, 16).isNull()); // ":/buttons/log"
        QVERIFY(app->mainWindow()->isVisible());
        QVERIFY(app->mainWindow()->portName() == QLatin1String("mockup") ||
                app->mainWindow()->portList()->findText("mockup") >= 0);
        QVERIFY(qobject_cast<QMdiSubWindow *>(tool(1)->container()));
        QCOMPARE(app->mainWindow()->mdiArea()->subWindowList().size(), 2);
        QVERIFY(app->controlBoard());
        QVERIFY(!app->isConnected());
        QCOMPARE(RequestHandler::instance(), static_cast<RequestHandler *>(app));
    }

    void requestDuringStartIsServedAfterStart()
    {
        QVERIFY(earlyClient);
        QCOMPARE(replyDuringInit, QByteArray()); // nothing answered while starting
        QVERIFY(earlyClient->waitClosed());
        QVERIFY2(earlyClient->received.contains(MainApp::VersionText),
                 earlyClient->received.constData());
    }

    void logAppletIsSetUpOnce()
    {
        QStatusBar *bar = app->mainWindow()->statusBar();
        QCOMPARE(app->logs()->hornButton()->parentWidget()->window(), app->mainWindow());
        QCOMPARE(bar->findChildren<QLabel *>().count(app->logs()->statusLabel()), 1);
        const int lines = app->logs()->list()->count();
        const int errors = errorLines();
        emit app->signal_log(-1, "one error");
        QCOMPARE(app->logs()->list()->count(), lines + 1);
        QCOMPARE(errorLines(), errors + 1);
        emit tool(1)->signal_log(-1, "applet error");
        QCOMPARE(app->logs()->list()->count(), lines + 2);
        QCOMPARE(errorLines(), errors + 2);
    }

    void findApplet_data()
    {
        // expected: table entry, -1 none
        addRows<QVariant, int, int>({"key", "mode", "expected"},
                                    {{"ToolB", 0, 2},
                                     {"Logs", 0, 0},
                                     {"toolb", 0, -1},
                                     {int(Qt::Key_0), 1, 1},
                                     {uint(Qt::Key_1), 1, 2},
                                     {int(Qt::Key_9), 1, -1},
                                     {QVariant(), 2, 0},
                                     {"ToolA", 3, -1}});
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
        const QVariant untouched("untouched");
        const QVariant version(MainApp::VersionText);
        addRows<QString, QString, QVariant, QVariant, QString>(
            {"verb", "name", "args", "expected", "logged"},
            {{"set", "ToolA.SA", 7, untouched, "Error SET:ToolA.SA"},
             {"set", "Nope.SA", 7, untouched, "Error SET:Nope.SA"},
             {"get", "ToolA.SA", 7, untouched, "Error GET ToolA.SA"},
             {"get", ".SA", 7, untouched, "Error GET .SA"},
             {"run", "ToolB.Cmd", 7, untouched, "Error RUN:ToolB.Cmd"},
             {"get", "VERSION", "get X", version, ""},
             {"get", "ToolA.SA.x", "get X", untouched, ""},
             {"get", "colour", "get X", untouched, ""},
             {"set", "version", "get X", untouched, ""},
             {"set", "a..b", "get X", untouched, ""},
             {"run", "Write", "get X", untouched, ""},
             {"run", "dance", "get X", untouched, ""}});
    }

    void dispatchWhileDisconnected()
    {
        QFETCH(QString, verb);
        QFETCH(QString, name);
        QFETCH(QVariant, args);
        QFETCH(QVariant, expected);
        QFETCH(QString, logged);
        QVERIFY(!app->isConnected());
        const int errors = errorLines();
        QVariant result("untouched");
        const bool ok = verb == "set"   ? app->set(name, args)
                        : verb == "get" ? app->get(name, &result)
                                        : app->run(name, args, &result);
        QCOMPARE(ok, logged.isEmpty());
        QCOMPARE(result, expected);
        QCOMPARE(errorLines(), errors + (logged.isEmpty() ? 0 : 1));
        if (!logged.isEmpty()) {
            QVERIFY2(lastLine().contains(QString("<font color=\"red\"> %1</font>").arg(logged)),
                     qPrintable(lastLine()));
            QVERIFY(lastLine().startsWith("C(-1) ["));
        }
        QCOMPARE(tool(1)->sa.value(), 1.0);
        QVERIFY(tool(2)->commands.isEmpty());
    }

    void openMockupByRequest()
    {
        const int informs = int(prompt.messages().size());
        QVariant port("mockup");
        QVariant result;
        QVERIFY(app->run("OPEN", port, &result));
        QCOMPARE(result, QVariant(true));
        QVERIFY(app->isConnected());
        QCOMPARE(prompt.messages().size(), informs + 1); // the mock-up notice
        QCOMPARE(app->mainWindow()->statusText(),
                 QString("<span style=\"background-color:#FF0000;\">!!! SIMULATION !!!</span>"));
        QVERIFY(app->mainWindow()->getMenuApp()->isEnabled());
        QVERIFY(app->mainWindow()->firmwareAction()->isEnabled());
        QCOMPARE(app->mainWindow()->connectButton()->text(), QString("Disconnect"));
        QVERIFY(tool(1)->isOnline());
        QVERIFY(tool(2)->isOnline());
        QCOMPARE(tool(1)->connects, 1);
    }

    void dispatchWhileConnected()
    {
        const int errors = errorLines();
        QVariant five(5);
        QVERIFY(app->set("ToolA.SA", five));
        QCOMPARE(tool(1)->sa.value(), 5.0);
        QVariant two(2);
        QVERIFY(!app->set("ToolA.LOCK", two)); // read-only against outside requests
        QCOMPARE(tool(1)->lock.value(), 2.0);
        QVariant text("nine");
        QVERIFY(!app->set("ToolA.SA", text)); // not a number: nothing written
        QCOMPARE(tool(1)->sa.value(), 5.0);

        QVariant result;
        QVERIFY(app->get("ToolA.SA", &result));
        QCOMPARE(result.toDouble(), 5.0);
        result = QVariant("untouched");
        QVERIFY(!app->get("ToolA.NOPE", &result)); // null value: false, nothing logged
        QCOMPARE(errorLines(), errors);

        QVariant args(QVariantList{1, "x"});
        QVERIFY(app->run("ToolB.Blink", args, &result));
        QCOMPARE(result, QVariant("done:Blink"));
        QCOMPARE(tool(2)->commands, QStringList{"Blink"});
        QCOMPARE(tool(2)->arguments.value(0), args);

        QVariant command("get X\n");
        result = QVariant();
        QVERIFY(app->run("write", command, &result));
        QCOMPARE(result.typeId(), int(QMetaType::QByteArray));
        QVERIFY(!result.toByteArray().isEmpty());

        QVariant any(1);
        QVERIFY(!app->set("Nope.SA", any));
        QCOMPARE(errorLines(), errors + 1);
        QVERIFY(lastLine().contains("Error SET:Nope.SA"));
    }

    void userDisconnectHidesToolWindows()
    {
        tool(1)->showWindow();
        app->logs()->showWindow();
        QVERIFY(tool(1)->container()->isVisible());
        QVariant none;
        QVariant result;
        QVERIFY(app->run("close", none, &result));
        QCOMPARE(result, QVariant(true));
        QVERIFY(!app->isConnected());
        QVERIFY(!tool(1)->isOnline());
        QVERIFY(!tool(1)->container()->isVisible());
        QVERIFY(!tool(1)->action()->isChecked());
        QVERIFY(app->logs()->container()->isVisible());
        QVERIFY(!app->mainWindow()->getMenuApp()->isEnabled());
        QCOMPARE(app->mainWindow()->connectButton()->text(), QString("Connect"));
        QVERIFY(!app->mainWindow()->connectButton()->isChecked());
    }

    void selfDisconnectKeepsApplets()
    {
        QVERIFY(app->connectBoard("mockup"));
        QVERIFY(tool(2)->isOnline());
        tool(2)->showWindow();
        // The link drops the line from its own thread: its report arrives queued, after the
        // connected flag is already cleared.
        ControlBoard *board = app->controlBoard();
        std::thread linkThread([board]() { board->disconnectBoard(ControlBoard::AfterErrors); });
        linkThread.join();
        QVERIFY(!app->isConnected());
        QTRY_VERIFY(!app->mainWindow()->connectButton()->isChecked());
        QVERIFY(tool(2)->isOnline());
        QVERIFY(tool(2)->container()->isVisible());
        tool(2)->hideWindow();
    }

    void closeAllButActiveWithoutActiveWindow()
    {
        tool(1)->showWindow();
        tool(2)->showWindow();
        app->mainWindow()->mdiArea()->setActiveSubWindow(nullptr);
        QCOMPARE(app->mainWindow()->activeSubWindowWidget(), nullptr);
        app->closeAllButActive();
        QVERIFY(!tool(1)->container()->isVisible());
        QVERIFY(!tool(2)->container()->isVisible());

        tool(1)->showWindow();
        tool(2)->showWindow();
        auto *sub = qobject_cast<QMdiSubWindow *>(tool(2)->container());
        app->mainWindow()->mdiArea()->setActiveSubWindow(sub);
        QCOMPARE(app->mainWindow()->activeSubWindowWidget(), tool(2));
        app->closeAllButActive();
        QVERIFY(!tool(1)->container()->isVisible());
        QVERIFY(tool(2)->container()->isVisible());
        app->closeAll();
        QVERIFY(!tool(2)->container()->isVisible());
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
        QVERIFY(app->bootloader());
        QVERIFY(app->bootloader()->isVisible());
        Bootloader *window = app->bootloader();
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

    // A simulated board over a pseudo-terminal: the identified firmware's status line; "Turbo"
    // chosen while disconnected is used on connecting, while connected the link switches at once.
    void identifiedFirmwareAndConnectionSpeed()
    {
        QComboBox *speed = app->mainWindow()->speedList();
        speed->setCurrentIndex(1);
        QCOMPARE(app->controlBoard()->baudrate(), 2304000);
        FakeBoard board;
        QVERIFY(board.isValid());
        QVERIFY(app->connectBoard(board.devicePath()));
        QVERIFY(app->isConnected());
        // Version 0x1044C of 26 Aug 2024: compatible, no red background.
        QCOMPARE(app->mainWindow()->statusText(),
                 QString("FW P110: v     1044c from 26.08.2024 10:00"));
        QVERIFY(tool(1)->isOnline());
        QTRY_VERIFY(board.lines().contains("set baudrate=2304000"));
        board.clearRecords();
        speed->setCurrentIndex(0);
        QCOMPARE(app->controlBoard()->baudrate(), 115200);
        QTRY_VERIFY(board.lines().contains("set baudrate=115200"));
        QVERIFY(app->isConnected());
        app->disconnectBoard();
        QVERIFY(!app->isConnected());
    }

    // "Log" switches communication logging in the link and the pipe server and shows the log
    // window.
    void logSwitch()
    {
        QCheckBox *log = app->mainWindow()->logSwitch();
        QWidget *logWindow = app->logs()->container();
        log->setChecked(true);
        QVERIFY(app->isLogComm());
        QVERIFY(app->localServer()->logEnabled());
        QVERIFY(logWindow->isVisible());
        log->setChecked(false);
        QVERIFY(!app->isLogComm());
        QVERIFY(!app->localServer()->logEnabled());
        QVERIFY(!logWindow->isVisible());
    }

    void runPython()
    {
        QVERIFY(TestFiles::write(
            "echo.py", "import sys\nsys.stdout.write('got:' + sys.argv[1] + '\\r\\nend\\n')\n"));
        QByteArray output;
        QVERIFY(app->runPython("echo.py", QByteArray("ab\0cd", 5), &output));
        QCOMPARE(output, QByteArray("got:abend")); // up to the zero byte, CR and LF removed
    }

    // Closing the main window disconnects (saving the window state while connected) and ends the
    // event loop; the applets and the link stay for the shutdown that follows.
    void closingMainWindowEndsEventLoop()
    {
        QFile::remove("KVL52110.state");
        QVERIFY(app->connectBoard("mockup"));
        QVERIFY(tool(1)->isOnline());
        QTimer::singleShot(0, app->mainWindow(), &QWidget::close);
        QTimer safetyNet;
        safetyNet.setSingleShot(true);
        connect(&safetyNet, &QTimer::timeout, qApp, []() { QCoreApplication::exit(99); });
        safetyNet.start(20000);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!app->isConnected());
        QVERIFY(!tool(1)->isOnline());
        QVERIFY(QFile::exists("KVL52110.state"));
        QVERIFY(!app->mainWindow()->isVisible());
        QCOMPARE(app->appletCount(), 3);
        QVERIFY(app->controlBoard());
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
        QCOMPARE(app->bootloader(), nullptr);
        app->shutdown(); // runs once
        QVERIFY(!app->isConnected());
        QVERIFY(client.waitClosed());
        QCOMPARE(client.received, QByteArray("i1"));
    }

private:
    ToolApplet *tool(int i) const { return static_cast<ToolApplet *>(app->applet(i)); }

    int errorLines() const { return app->logs()->errors(); }

    QString lastLine() const
    {
        CustomControls::HtmlListBox *list = app->logs()->list();
        return list->itemText(list->count() - 1);
    }

    MainApp *app = nullptr;
    ShellPrompt prompt;
    QByteArray replyDuringInit = "unset";
    std::unique_ptr<PipeClient> earlyClient;
};

QTEST_MAIN(TestMainApp)
#include "tst_mainapp.moc"
