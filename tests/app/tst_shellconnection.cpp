// The whole shell with two tool applets on a laptop-sized screen, connected: name dispatch, the
// log's warnings of unknown names, the tool windows by Ctrl+digit and the active one, the
// disconnections, typed ports and failed opens, "open" and its argument, the firmware window
// and the link's speed. The functions run in order on one MainApp. (The start, the main window
// and the shell disconnected: tst_mainapp.)
#include "tst_toolshellfixture.h"

#include "activeappletprovider.h"
#include "bootloader.h"
#include "controlboard.h"
#include "errorbar.h"
#include "fakeboard.h"
#include "logrecorder.h"
#include "myswitch.h"
#include "optionsfile.h"
#include "scriptdragprovider.h"
#include "serialport.h"
#include "testfiles.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <thread>

using CustomControls::ScriptDragProvider;

static const QString SimulationMark =
    QStringLiteral("<span style=\"background-color:#FF0000;\">!!! SIMULATION !!!</span>");

class TestShellConnection : public ToolShellTest
{
    Q_OBJECT

private slots:
    // The shell with ToolA and ToolB, the port probe done at once.
    void initTestCase()
    {
        app = MainApp::instance();
        app->setAppletFactories(
            {[](QWidget *parent) -> Applet * { return new ToolApplet("ToolA", parent); },
             [](QWidget *parent) -> Applet * { return new ToolApplet("ToolB", parent); }});
        app->setPortProbe([]() { return QStringList{"/dev/ttyFAKE0", "mockup", "script"}; });
        QVERIFY(app->init());
        app->start();
        QVERIFY(QTest::qWaitForWindowExposed(app->mainWindow()));
    }

    void dispatchWhileConnected()
    {
        const int informs = int(prompt.messages().size());
        QVariant port("mockup"), result;
        QVERIFY(app->run("OPEN", port, &result));
        QCOMPARE(result, QVariant(true));
        QCOMPARE(prompt.messages().size(), informs + 1); // the mock-up notice
        QCOMPARE(window()->statusText(), SimulationMark);
        QCOMPARE(window()->connectButton()->text(), QString("Disconnect"));
        QVERIFY(window()->getMenuApp()->isEnabled() && !window()->portList()->isEnabled());
        QVERIFY(!window()->rescanButton()->isEnabled());
        QCOMPARE(window()->connectionLamp()->currentState(), 1);
        QVERIFY(tool(1)->isOnline() && tool(2)->isOnline());
        QCOMPARE(tool(1)->connects, 1);
        QVERIFY(window()->firmwareAction()->isEnabled());

        QVariant five(5), two(2), text("nine"), args(QVariantList{1, "x"});
        QVERIFY(app->set("ToolA.SA", five));
        // Refused, each error naming why: read-only against outside requests, not a number, no
        // such field, no such item.
        QVERIFY(!app->set("ToolA.LOCK", two));
        QVERIFY(lastLogLine().contains("Error SET:ToolA.LOCK: LOCK is read-only<"));
        QVERIFY(!app->set("ToolA.SA", text));
        QVERIFY(lastLogLine().contains("Error SET:ToolA.SA: SA takes a number from 0 to 31<"));
        QVERIFY(!app->set("ToolA.BANK[SW9]", two));
        QVERIFY(lastLogLine().contains(
            "Error SET:ToolA.BANK[SW9]: BANK[SW9] names no field of its register<"));
        // A get of no value is refused, but it is no error: no red line, no count, no bar; the
        // warning that says why is listed, "Log" ticked or not.
        const int errors = app->logs()->errors();
        ErrorBar *bar = app->logs()->errorBar();
        bar->closeBar();
        QVERIFY(!app->get("ToolA.NOPE", &result));
        QVERIFY(lastLogLine().endsWith(
            "<font color=\"magenta\"> Request \"get ToolA.NOPE\": ToolA has no item NOPE</font>"));
        QCOMPARE(app->logs()->errors(), errors);
        QVERIFY(bar->isHidden());
        QCOMPARE(tool(1)->sa.value() + tool(1)->lock.value(), 7.0);
        QVERIFY(app->get("ToolA.SA", &result) && result.toDouble() == 5.0);
        QVERIFY(app->run("ToolB.Blink", args, &result));
        QCOMPARE(result, QVariant("done:Blink"));
        QCOMPARE(tool(2)->arguments, QVariantList{args});
    }

    // While connected, a name the applet does not have is still passed on, but the log warns
    // about it so a script's typo does not pass unseen.
    void unknownNamesWarnedWhileConnected()
    {
        QVERIFY(connected());
        const bool logComm = app->isLogComm();
        app->setLogComm(true); // warnings are listed while logging is on
        CustomControls::HtmlListBox *list = app->logs()->list();
        const int first = list->count();
        const int warnings = app->logs()->warnings(), errors = app->logs()->errors();
        QVariant one(1), result;
        app->set("ToolA.NOPE", one);
        app->get("ToolA.NOPE", &result);
        app->run("ToolB.NOPE", one, &result);
        QVERIFY(app->get("ToolA.SA", &result)); // a known item adds no warning
        QVariant text("logged");
        QVERIFY(app->run("Logs.log", text, &result)); // nor a known command
        QStringList warned;
        for (int row = first; row < list->count(); ++row) {
            const QString line = list->itemText(row);
            if (line.contains("Request \""))
                warned << line.section("Request ", 1).section("</font>", 0, 0);
        }
        app->setLogComm(logComm);
        QCOMPARE(warned, (QStringList{"\"set ToolA.NOPE\": ToolA has no item NOPE",
                                      "\"get ToolA.NOPE\": ToolA has no item NOPE",
                                      "\"run ToolB.NOPE\": ToolB has no command NOPE"}));
        QCOMPARE(app->logs()->warnings(), warnings + 3); // counted as warnings
        QCOMPARE(app->logs()->errors(), errors + 1);     // the set refused; the get no error
    }

    // While connected, Ctrl+digit opens and activates the tool window of that number, the
    // first one being Ctrl+0.
    void ctrlDigitOpensToolWhileConnected()
    {
        QVERIFY(connected());
        for (int i : {1, 2}) {
            tool(i)->hideWindow();
            QTest::keyClick(window()->windowHandle(), Qt::Key(Qt::Key_0 + i - 1),
                            Qt::ControlModifier);
            QVERIFY(tool(i)->container()->isVisible());
            QCOMPARE(window()->activeSubWindowWidget(), static_cast<QWidget *>(tool(i)));
        }
    }

    // The script-drag provider installed at start names the applet of the active tool window,
    // the one "Close All But Active" keeps.
    void activeToolWindow()
    {
        ScriptDragProvider *provider = ScriptDragProvider::provider();
        QVERIFY(dynamic_cast<ActiveAppletProvider *>(provider));
        activate(2);
        activate(1);
        QCOMPARE(provider->activeAppletName(), QString("ToolA"));
        QCOMPARE(provider->activeAppletWidget(), static_cast<QWidget *>(tool(1)));
        QAction *keepActive = window()->contextMenu()->actions().value(1);
        QCOMPARE(keepActive->text(), QString("Close All But Active"));
        keepActive->trigger();
        QVERIFY(tool(1)->container()->isVisible() && !tool(2)->container()->isVisible());
        window()->mdiArea()->setActiveSubWindow(nullptr);
        QCOMPARE(provider->activeAppletName(), QString());
    }

    // A user's disconnection hides the tool windows; the link dropping the line from its own
    // thread keeps them.
    void disconnections()
    {
        QVERIFY(connected());
        tool(1)->showWindow();
        app->logs()->showWindow();
        QVariant none, result;
        QVERIFY(app->run("close", none, &result));
        QVERIFY(!app->isConnected() && !tool(1)->isOnline());
        QVERIFY(!tool(1)->container()->isVisible() && !tool(1)->action()->isChecked());
        QVERIFY(app->logs()->container()->isVisible());
        QCOMPARE(window()->statusText(), QString());
        QCOMPARE(window()->connectButton()->text(), QString("Connect"));
        QVERIFY(!window()->getMenuApp()->isEnabled() && window()->portList()->isEnabled());
        QVERIFY(!window()->firmwareAction()->isEnabled() && window()->rescanButton()->isEnabled());
        QCOMPARE(window()->connectionLamp()->currentState(), 0);

        QVERIFY(app->connectBoard("mockup"));
        tool(2)->showWindow();
        ControlBoard *board = app->controlBoard();
        std::thread([board]() { board->disconnectBoard(ControlBoard::AfterErrors); }).join();
        QVERIFY(!app->isConnected());
        QTRY_VERIFY_WITH_TIMEOUT(!window()->connectButton()->isChecked(), 30000);
        QVERIFY(tool(2)->isOnline() && tool(2)->container()->isVisible());
        QAction *closeAll = window()->contextMenu()->actions().value(0);
        QCOMPARE(closeAll->text(), QString("Close All"));
        closeAll->trigger();
        QVERIFY(!tool(2)->container()->isVisible());
    }

    // A pseudo-terminal typed into the port list connects like a listed port and stays for the
    // next connection; the firmware text is shown whole, and is the label's tool tip too, while
    // connected.
    void typedPort()
    {
        FakeBoard board;
        QComboBox *ports = window()->portList();
        const int listed = ports->count();
        ports->lineEdit()->clear();
        QTest::keyClicks(ports->lineEdit(), " " + board.devicePath() + " ");
        QTest::keyClick(ports->lineEdit(), Qt::Key_Return);
        window()->connectButton()->click();
        QCOMPARE(ports->count(), listed); // a typed name does not join the list
        QCOMPARE(app->controlBoard()->portName(), board.devicePath());
        const QString text = QStringLiteral("FW P110: v     1044c from 26.08.2024 10:00");
        QCOMPARE(window()->statusText(), text);
        QCOMPARE(window()->statusLabel()->toolTip(), text);
        board.setValue("A", "6");
        board.setAnswerDelay(50); // "write" waits for the answer
        QVariant answer, command("get A");
        QVERIFY(app->run("write", command, &answer));
        QCOMPARE(answer.toByteArray(), QByteArray("A=6\n"));
        board.setAnswerDelay(0);
        board.takeLines();
        QVariant latin1(QString("get \u00e9"));
        QVERIFY(app->run("write", latin1, &answer));
        QCOMPARE(board.lines().value(0), QByteArray("get \xe9")); // text goes out as Latin-1
        window()->connectButton()->click();
        QVERIFY(!app->isConnected());
        QCOMPARE(window()->portName(), board.devicePath());
        QCOMPARE(window()->statusText(), QString()); // the line goes with its board

        // A port that does not open leaves the bar disconnected.
        ports->lineEdit()->clear();
        QTest::keyClicks(ports->lineEdit(), "/dev/no-such-port");
        window()->connectButton()->click();
        QVERIFY(!app->isConnected());
        QVERIFY(!window()->connectButton()->isChecked() && ports->isEnabled());
        QCOMPARE(window()->connectButton()->text(), QString("Connect"));

        // A listed port opened by a request is selected in the bar.
        const QString pipe = PipeClient::programPipe();
        QCOMPARE(PipeClient::exchange(pipe, "run\topen\tsmockup\n"), QByteArray("i1"));
        QCOMPARE(ports->currentIndex(), ports->findText("mockup"));
        QCOMPARE(PipeClient::exchange(pipe, "run\tclose\n"), QByteArray("i1"));
    }

    // An "open" that fails while connected (no such port, a port in use, no board answering)
    // leaves the connection as it was, bar and link. The connected port opened again without
    // its board answering ends the connection visibly; "write" then fails. Another board that
    // answers takes over, and the first one's port is let go.
    void failedOpenKeepsTheConnection()
    {
        const QString pipe = PipeClient::programPipe();
        const auto open = [&pipe](const QString &port) {
            return PipeClient::exchange(pipe, "run\topen\ts" + port.toUtf8() + "\n");
        };
        const auto connectedTo = [this](const QString &port) {
            return app->isConnected() && app->controlBoard()->portName() == port &&
                   window()->portName() == port && window()->connectButton()->isChecked() &&
                   window()->connectionLamp()->currentState() != 0 &&
                   window()->statusText().startsWith("FW P110");
        };
        FakeBoard board, busy, silent;
        board.setValue("A", "6");
        silent.setSilent(true);
        SerialPort holder;
        QVERIFY(holder.open_port(busy.devicePath(), ControlBoard::DefaultBaudrate));
        QCOMPARE(open(board.devicePath()), QByteArray("i1"));
        for (const QString &port :
             {QString("/dev/no-such-port"), busy.devicePath(), silent.devicePath()}) {
            QCOMPARE(open(port), QByteArray("i0"));
            QVERIFY2(connectedTo(board.devicePath()), qPrintable(port));
            QCOMPARE(PipeClient::exchange(pipe, "run\twrite\tsget A\n"),
                     "x" + QByteArray("A=6\n").toHex());
        }

        board.setSilent(true);
        QCOMPARE(open(board.devicePath()), QByteArray("i0"));
        QVERIFY(!app->isConnected());
        QVERIFY(!window()->connectButton()->isChecked() && window()->statusText().isEmpty());
        QCOMPARE(window()->connectionLamp()->currentState(), 0);
        QCOMPARE(PipeClient::exchange(pipe, "run\twrite\tsget A\n"), QByteArray("err\n"));

        board.setSilent(false);
        QCOMPARE(open(board.devicePath()), QByteArray("i1"));
        FakeBoard next;
        QCOMPARE(open(next.devicePath()), QByteArray("i1"));
        QVERIFY(connectedTo(next.devicePath()));
        SerialPort first; // the first board's port is free again
        QVERIFY(first.open_port(board.devicePath(), ControlBoard::DefaultBaudrate));
        first.close();
        QCOMPARE(PipeClient::exchange(pipe, "run\tclose\n"), QByteArray("i1"));
    }

    // "open" takes only a typed string: text that is no typed value, a number, no value or two
    // values connect nothing, answer 0 and log how to write the port. No other command runs on
    // an argument that does not decode.
    void openTakesTypedString()
    {
        const QString pipe = PipeClient::programPipe();
        LogRecorder log(app);
        for (const QByteArray batch : {"run\topen\t/dev/pts/5\n", "run\topen\ti5\n", "run\tOPEN\n",
                                       "run\topen\tsmockup\tsx\n"}) {
            log.clear();
            QCOMPARE(PipeClient::exchange(pipe, batch), QByteArray("i0"));
            QVERIFY(!app->isConnected());
            const auto said = log.starting("run open takes the port as a typed string, e.g. "
                                           "s/dev/ttyUSB0");
            QVERIFY2(said.size() == 1 && said.first().first < 0, batch.constData()); // an error
        }
        QCOMPARE(PipeClient::exchange(pipe, "run\topen\tsmockup\n"), QByteArray("i1"));
        const qsizetype commands = tool(2)->commands.size();
        log.clear();
        QCOMPARE(PipeClient::exchange(pipe, "run\tToolB.Blink\tiabc\nrun\twrite\tx0g\n"
                                            "run\tToolB.Blink\ti1\tf1.5x\nrun\tToolB.Blink\ti1\n"),
                 QByteArray("err\nerr\nerr\nsdone:Blink"));
        QCOMPARE(tool(2)->commands.size(), commands + 1);
        QCOMPARE(log.starting("Pipe request \"run ").size(), 3);
        QVERIFY(app->isConnected());
        app->disconnectBoard();
    }

    // "Update Firmware" opens the update window with the stored "ignore_version" ticked and
    // stores the user's change of it; asked again, it brings the open window to the front.
    void firmwareWindow()
    {
        QVERIFY(app->connectBoard("mockup"));
        app->setOption("ignore_version", true);
        QVERIFY(TestFiles::read(OptionsFile::DefaultFileName).contains("ignore_version=true"));
        window()->firmwareAction()->trigger();
        Bootloader *update = app->bootloader();
        QVERIFY(update && update->isVisible() && update->ignoreVersion());
        update->findChild<QCheckBox *>("cbVersionIgnore")->click();
        QVERIFY(!app->ignoreVersion());
        // On disk as changed, whatever ends the program later.
        QVERIFY(TestFiles::read(OptionsFile::DefaultFileName).contains("ignore_version=false"));
        window()->activateWindow();
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), window(), 30000);
        window()->firmwareAction()->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), static_cast<QWidget *>(update),
                                  30000);
        update->hide();
        app->disconnectBoard();
    }

    // The speed list sets the link's rate; an older firmware's status line is red and the
    // update window opens when accepted (not offered with "ignore_version"). The link's side
    // of both: tests/link.
    void speedAndOlderFirmware()
    {
        window()->speedList()->setCurrentIndex(1);
        QCOMPARE(app->controlBoard()->baudrate(), 2304000);
        window()->speedList()->setCurrentIndex(0);
        QCOMPARE(app->controlBoard()->baudrate(), 115200);
        FakeBoard board;
        board.setIdnReply("Velmora,P110,0x0001044B,Mon Aug 26 10:00:00 2024");
        app->setOption("ignore_version", false);
        prompt.queueButton(Prompt::Yes); // update now
        QVERIFY(app->connectBoard(board.devicePath()));
        QCOMPARE(window()->statusText(),
                 QString("<span style=\"background-color:#FF0000;\">"
                         "FW P110: v     1044b from 26.08.2024 10:00</span>"));
        QVERIFY(app->bootloader() && app->bootloader()->isVisible());
        app->disconnectBoard();
        app->setOption("ignore_version", true);
        const int messages = int(prompt.messages().size());
        QVERIFY(app->connectBoard(board.devicePath()));
        QCOMPARE(prompt.messages().size(), messages);
        app->disconnectBoard();
    }

    void cleanupTestCase() { app->shutdown(); }
};

int main(int argc, char *argv[])
{
    return runToolShellTest<TestShellConnection>(argc, argv);
}

#include "tst_shellconnection.moc"
