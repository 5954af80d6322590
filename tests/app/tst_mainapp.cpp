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

#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
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
    void initTestCase();
    void startBuildsTheTable();
    void requestDuringStartIsServedAfterStart();
    void logAppletIsSetUpOnce();
    void findApplet_data();
    void findApplet();
    void dispatchWhileDisconnected_data();
    void dispatchWhileDisconnected();
    void builtInNames_data();
    void builtInNames();
    void openMockupByRequest();
    void dispatchWhileConnected();
    void userDisconnectHidesToolWindows();
    void selfDisconnectKeepsApplets();
    void closeAllButActiveWithoutActiveWindow();
    void identifiedFirmwareStatus();
    void incompatibleFirmwareOffersUpdate();
    void connectionSpeed();
    void logSwitch();
    void optionsHaveDefaults();
    void runPython();
    void closingMainWindowEndsEventLoop();
    void shutdownRequestEndsEventLoop();

private:
    ToolApplet *tool(int i) const { return static_cast<ToolApplet *>(app->applet(i)); }
    int errorLines() const;
    QString lastLine() const;

    MainApp *app = nullptr;
    ShellPrompt prompt;
    QByteArray replyDuringInit = "unset";
    std::unique_ptr<PipeClient> earlyClient;
};

int TestMainApp::errorLines() const
{
    return app->logs()->errors();
}

QString TestMainApp::lastLine() const
{
    CustomControls::HtmlListBox *list = app->logs()->list();
    return list->itemText(list->count() - 1);
}

void TestMainApp::initTestCase()
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
        replyDuringInit = earlyClient->waitForReply(500);
    };
    QVERIFY(app->init());
    app->start();
}

void TestMainApp::startBuildsTheTable()
{
    QCOMPARE(prompt.itemTitles, QStringList{"Project type"});
    QCOMPARE(prompt.itemLists.value(0), (QStringList{"TO3/TO4", "TO1/TO2"}));
    QCOMPARE(prompt.itemCurrents.value(0), 0);
    QCOMPARE(app->projectType(), QString("TO1/TO2"));

    QCOMPARE(app->appletCount(), 3);
    QCOMPARE(app->applet(0), static_cast<Applet *>(app->logs()));
    QCOMPARE(app->applet(0)->containerKind(), int(Applet::DockContainer));
    QCOMPARE(tool(1)->title(), QString("(Ctrl+0) ToolA tool"));
    QCOMPARE(tool(2)->title(), QString("(Ctrl+1) ToolB tool"));
    QCOMPARE(tool(1)->shortcut, int(Qt::Key_0));
    QCOMPARE(tool(2)->shortcut, int(Qt::Key_1));
    QCOMPARE(app->logs()->shortcut, 0);
    QCOMPARE(tool(1)->initCalls, 1);
    // The action was made before the title got its prefix.
    QCOMPARE(tool(1)->action()->text(), QString("ToolA tool(ToolA)"));
    QVERIFY(app->mainWindow()->getMenuApp()->actions().contains(tool(2)->action()));
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

void TestMainApp::requestDuringStartIsServedAfterStart()
{
    QVERIFY(earlyClient);
    QCOMPARE(replyDuringInit, QByteArray()); // nothing answered while starting
    const QByteArray reply = earlyClient->waitForReply(5000);
    QVERIFY2(reply.contains(MainApp::VersionText), reply.constData());
}

void TestMainApp::logAppletIsSetUpOnce()
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

void TestMainApp::findApplet_data()
{
    QTest::addColumn<QVariant>("key");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("expected"); // table entry, -1 none
    QTest::newRow("name") << QVariant("ToolB") << 0 << 2;
    QTest::newRow("log name") << QVariant("Logs") << 0 << 0;
    QTest::newRow("name case counts") << QVariant("toolb") << 0 << -1;
    QTest::newRow("unknown name") << QVariant("Nope") << 0 << -1;
    QTest::newRow("shortcut 0") << QVariant(int(Qt::Key_0)) << 1 << 1;
    QTest::newRow("shortcut 1") << QVariant(uint(Qt::Key_1)) << 1 << 2;
    QTest::newRow("shortcut 9") << QVariant(int(Qt::Key_9)) << 1 << -1;
    QTest::newRow("first") << QVariant() << 2 << 0;
    QTest::newRow("other mode") << QVariant("ToolA") << 3 << -1;
}

void TestMainApp::findApplet()
{
    QFETCH(QVariant, key);
    QFETCH(int, mode);
    QFETCH(int, expected);
    QCOMPARE(app->findApplet(key, mode), expected < 0 ? nullptr : app->applet(expected));
}

void TestMainApp::dispatchWhileDisconnected_data()
{
    QTest::addColumn<QString>("verb");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("logged");
    QTest::newRow("set") << "set"
                         << "ToolA.SA"
                         << "Error SET:ToolA.SA";
    QTest::newRow("set unknown applet") << "set"
                                        << "Nope.SA"
                                        << "Error SET:Nope.SA";
    QTest::newRow("get") << "get"
                         << "ToolA.SA"
                         << "Error GET ToolA.SA";
    QTest::newRow("get leading dot") << "get"
                                     << ".SA"
                                     << "Error GET .SA";
    QTest::newRow("run") << "run"
                         << "ToolB.Cmd"
                         << "Error RUN:ToolB.Cmd";
}

void TestMainApp::dispatchWhileDisconnected()
{
    QFETCH(QString, verb);
    QFETCH(QString, name);
    QFETCH(QString, logged);
    QVERIFY(!app->isConnected());
    const int errors = errorLines();
    QVariant value(7);
    QVariant result("untouched");
    bool ok = true;
    if (verb == "set")
        ok = app->set(name, value);
    else if (verb == "get")
        ok = app->get(name, &result);
    else
        ok = app->run(name, value, &result);
    QVERIFY(!ok);
    QCOMPARE(result, QVariant("untouched"));
    QCOMPARE(errorLines(), errors + 1);
    QVERIFY2(lastLine().contains(QString("<font color=\"red\"> %1</font>").arg(logged)),
             qPrintable(lastLine()));
    QVERIFY(lastLine().startsWith("C(-1) ["));
    QCOMPARE(tool(1)->sa.value(), 1.0);
    QVERIFY(tool(2)->commands.isEmpty());
}

void TestMainApp::builtInNames_data()
{
    QTest::addColumn<QString>("verb");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("expected");
    const QVariant untouched("untouched");
    QTest::newRow("get version") << "get"
                                 << "version" << QVariant(MainApp::VersionText);
    QTest::newRow("get VERSION") << "get"
                                 << "VERSION" << QVariant(MainApp::VersionText);
    QTest::newRow("get three parts") << "get"
                                     << "ToolA.SA.x" << untouched;
    QTest::newRow("get unknown") << "get"
                                 << "colour" << untouched;
    QTest::newRow("set version") << "set"
                                 << "version" << untouched;
    QTest::newRow("set three parts") << "set"
                                     << "a..b" << untouched;
    QTest::newRow("run write offline") << "run"
                                       << "Write" << untouched;
    QTest::newRow("run unknown") << "run"
                                 << "dance" << untouched;
}

void TestMainApp::builtInNames()
{
    QFETCH(QString, verb);
    QFETCH(QString, name);
    QFETCH(QVariant, expected);
    const int errors = errorLines();
    QVariant args("get X");
    QVariant result("untouched");
    bool ok = false;
    if (verb == "set")
        ok = app->set(name, args);
    else if (verb == "get")
        ok = app->get(name, &result);
    else
        ok = app->run(name, args, &result);
    QVERIFY(ok);
    QCOMPARE(result, expected);
    QCOMPARE(errorLines(), errors);
}

void TestMainApp::openMockupByRequest()
{
    const int informs = int(prompt.messages.size());
    QVariant port("mockup");
    QVariant result;
    QVERIFY(app->run("OPEN", port, &result));
    QCOMPARE(result, QVariant(true));
    QVERIFY(app->isConnected());
    QCOMPARE(prompt.messages.size(), informs + 1); // the mock-up notice
    QCOMPARE(app->mainWindow()->statusText(),
             QString("<span style=\"background-color:#FF0000;\">!!! SIMULATION !!!</span>"));
    QVERIFY(app->mainWindow()->getMenuApp()->isEnabled());
    QVERIFY(app->mainWindow()->firmwareAction()->isEnabled());
    QCOMPARE(app->mainWindow()->connectButton()->text(), QString("Disconnect"));
    QVERIFY(tool(1)->isOnline());
    QVERIFY(tool(2)->isOnline());
    QCOMPARE(tool(1)->connects, 1);
}

void TestMainApp::dispatchWhileConnected()
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

void TestMainApp::userDisconnectHidesToolWindows()
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

void TestMainApp::selfDisconnectKeepsApplets()
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

void TestMainApp::closeAllButActiveWithoutActiveWindow()
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

void TestMainApp::identifiedFirmwareStatus()
{
    FakeBoard board;
    QVERIFY(board.isValid());
    QVERIFY(app->connectBoard(board.devicePath()));
    QVERIFY(app->isConnected());
    // Version 0x1044C of 26 Aug 2024: compatible, no red background.
    QCOMPARE(app->mainWindow()->statusText(),
             QString("FW P110: v     1044c from 26.08.2024 10:00"));
    QVERIFY(tool(1)->isOnline());
    app->disconnectBoard();
    QVERIFY(!app->isConnected());
}

void TestMainApp::incompatibleFirmwareOffersUpdate()
{
    FakeBoard board;
    board.setIdnReply("Velmora,P110,0x0001044B,Mon Aug 26 10:00:00 2024");
    app->setOption("ignore_version", false);
    QCOMPARE(app->bootloader(), nullptr);
    prompt.buttons = {Prompt::Yes}; // update now
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
    const int messages = int(prompt.messages.size());
    QVERIFY(app->connectBoard(board.devicePath()));
    QCOMPARE(prompt.messages.size(), messages);
    app->mainWindow()->firmwareAction()->trigger();
    QCOMPARE(app->bootloader(), window);
    app->disconnectBoard();
    prompt.buttons.clear();
}

// "Turbo" while disconnected is kept for the next connection; while connected the link
// switches at once.
void TestMainApp::connectionSpeed()
{
    QComboBox *speed = app->mainWindow()->speedList();
    speed->setCurrentIndex(1);
    QCOMPARE(app->controlBoard()->baudrate(), 2304000);
    FakeBoard board;
    QVERIFY(board.isValid());
    QVERIFY(app->connectBoard(board.devicePath()));
    QTRY_VERIFY(board.lines().contains("set baudrate=2304000"));
    board.clearRecords();
    speed->setCurrentIndex(0);
    QCOMPARE(app->controlBoard()->baudrate(), 115200);
    QTRY_VERIFY(board.lines().contains("set baudrate=115200"));
    QVERIFY(app->isConnected());
    app->disconnectBoard();
}

// "Log" switches communication logging in the link and the pipe server and shows the log
// window.
void TestMainApp::logSwitch()
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

void TestMainApp::optionsHaveDefaults()
{
    QCOMPARE(app->option("python_path"), QVariant("python3"));
    QCOMPARE(app->option("comm_timeout"), QVariant(50));
    QCOMPARE(app->option("spec_path"), QVariant(QString()));
    QVERIFY(!app->options().contains("new_key"));
    QVERIFY(!app->option("new_key").isValid());
    QVERIFY(app->options().contains("new_key")); // kept for the next save
}

void TestMainApp::runPython()
{
    QFile script("echo.py");
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("import sys\nsys.stdout.write('got:' + sys.argv[1] + '\\r\\nend\\n')\n");
    script.close();
    QByteArray output;
    QVERIFY(app->runPython("echo.py", QByteArray("ab\0cd", 5), &output));
    QCOMPARE(output, QByteArray("got:abend")); // up to the zero byte, CR and LF removed

    // A stored interpreter that does not exist falls back to python3 with one warning.
    app->setOption("python_path", "/nonexistent/python");
    const int warnings = app->logs()->warnings() + app->logs()->errors();
    output.clear();
    QVERIFY(app->runPython("echo.py", "x", &output));
    QCOMPARE(output, QByteArray("got:xend"));
    QVERIFY(app->logs()->warnings() + app->logs()->errors() > warnings);
    app->setOption("python_path", "python3");
}

// Closing the main window disconnects (saving the window state while connected) and ends the
// event loop; the applets and the link stay for the shutdown that follows.
void TestMainApp::closingMainWindowEndsEventLoop()
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

void TestMainApp::shutdownRequestEndsEventLoop()
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
    const QByteArray reply = client.waitForReply(2000);
    QCOMPARE(reply, QByteArray("i1"));
}

QTEST_MAIN(TestMainApp)
#include "tst_mainapp.moc"
