// Automatic addressing and address discovery on the simulated matrix bus: the frames, the buck
// switching through the board page, the operator's boxes, the checks of the rows, "Add line".
#include "addressingfixture.h"
#include "configurationcalls.h"
#include "mainwindow.h"
#include "pipeclient.h"
#include "programtestmain.h"
#include "x11tools.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace
{

const QString TurnOff =
    "1|Auto addressing|Please turn off the current output for row %1 and click Ok";
const QString Enable = "Please enable output for row %1 and click Ok";
const QString Disable = "1|Auto addressing|Please disable output for row %1 and click Ok";
const QString CheckValues =
    "2|AutoAddressing|Please check the values! Threshold <1;255>, Buck <1;x>, Address < 31";
const QString Failed = "3|Auto addressing|There is an error with auto addressing process, please "
                       "check the current output to LED string.";

} // namespace

class TestAddressing : public QObject
{
    Q_OBJECT

    AddressingFixture f;
    RecordingBoardPage page{f.bus};
    qsizetype m_messagesSeen = 0;

    // Messages since the last call, each as "icon|title|text".
    QStringList takeMessages()
    {
        QStringList result;
        for (const Prompt::Message &m : f.prompt.messages().mid(m_messagesSeen))
            result << QString("%1|%2|%3").arg(int(m.icon)).arg(m.title, m.text);
        m_messagesSeen = f.prompt.messages().size();
        return result;
    }
    // Runs the addressing table; the addresses it reports, "none" when it reports nothing.
    QString execute(const QStringList &rows)
    {
        AddressingFixture::setRows(rows);
        QSignalSpy spy(AutoAddressing::instance(), &AutoAddressing::setAddress);
        f.button("AutoAddressing", "pbWrite")->click();
        return spy.size() == 1 ? spy[0][0].toString() + ',' + spy[0][1].toString() : "none";
    }
    QStringList discover()
    {
        f.button("AddressDiscovery", "pbDiscover")->click();
        return AddressingFixture::rows(f.table("AddressDiscovery"));
    }
    // What the discovery window says beside its list.
    QString result()
    {
        return AddressingFixture::applet("AddressDiscovery")
            ->findChild<QLabel *>(QStringLiteral("lbResult"))
            ->text();
    }
    // The last chip's address, mode and PXN mode as "a/o/p".
    QString lastChip()
    {
        const FakeMatrixChip chip = f.bus.chip(f.bus.chipCount() - 1);
        return QString("%1/%2/%3").arg(chip.address).arg(chip.opmode).arg(chip.pms);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        BoardPageAccess::install(&page);
        QCOMPARE(AddressingFixture::rows(f.table("AutoAddressing")),
                 QStringList({"1,80,1", "7,80,2"}));
    }
    void cleanupTestCase() { BoardPageAccess::install(nullptr); }

    // Chips of earlier cases fall silent; every output off.
    void init()
    {
        for (int k = 0; k < f.bus.chipCount(); ++k)
            f.bus.editChip(k, [](FakeMatrixChip &chip) { chip.cspeed = 3; });
        for (int output = 1; output <= 3; ++output)
            f.bus.setOutputOn(output, false);
        f.takeFrames();
        f.take();
        takeMessages();
        page.calls.clear();
        f.prompt.onMessage = nullptr;
        Configuration::setSaconf(0);
    }

    // Two unaddressed chips on outputs 1 and 2 get addresses 1 and 7; discovery lists them.
    void addressesTwoChips()
    {
        f.bus.addChip(0, 1, 1);
        f.bus.addChip(0, 1, 2);
        const int violations = int(f.bus.violations().size());
        QCOMPARE(execute({"1,80,1", "7,80,2"}), QString("1,7"));
        QCOMPARE(f.takeFrames(),
                 QStringList({"0>4:81", "0>5:8150", "1?6", "1>4:00", "1>13:01", "1>7:01", "1>4:81",
                              "1>5:8750", "7?6", "7>4:00", "7>13:01"}));
        QCOMPARE(page.calls, QStringList({"buck1 off", "buck2 off", "buck1 on", "buck1 off",
                                          "buck2 on", "buck2 off"}));
        QCOMPARE(lastChip(), QString("7/4/0"));
        QVERIFY(takeMessages().isEmpty());
        QCOMPARE(f.bus.violations().size(), violations);
        for (int scan = 0; scan < 2; ++scan)
            QCOMPARE(discover(), QStringList({"1,Repeater-Slave", "7,Slave"}));
    }

    // One row is addressed like any other. Three chips, the third on an output the operator
    // switches: the first two addresses are reported. Broadcast bits another window left set do
    // not reach the rows' closing frames.
    void rowCounts()
    {
        f.bus.addChip(0, 1, 1);
        QCOMPARE(execute({"4,80,1"}), QString("4,-1"));
        QCOMPARE(lastChip(), QString("4/4/1")); // the first row's chip repeats
        init();
        for (int output = 1; output <= 3; ++output)
            f.bus.addChip(0, 1, output);
        for (const char *item : {"CHANGE_MODE[B]", "WR_PXN_MODE_RQ[B]"})
            ConfigurationCalls::set(item, 1);
        f.prompt.onMessage = [this](const Prompt::Message &msg) {
            f.bus.setOutputOn(3, msg.text == Enable.arg(3));
        };
        QCOMPARE(execute({"1,80,1", "7,80,2", "9,80,3"}), QString("1,7"));
        QCOMPARE(f.takeFrames(),
                 QStringList({"0>4:81", "0>5:8150", "1?6", "1>4:00", "1>13:01", "1>7:01", "1>4:81",
                              "1>5:8750", "7?6", "7>4:00", "7>13:01", "7>4:81", "7>5:8950", "9?6",
                              "9>4:00", "9>13:01"}));
        QCOMPARE(lastChip(), QString("9/4/0"));
    }

    // Both chips on one output take address 1 and collide: each status read is tried twice,
    // eleven times, then the sequence stops with an error box.
    void collisionStops()
    {
        f.bus.addChip(0, 1, 1);
        f.bus.addChip(0, 1, 1);
        QCOMPARE(execute({"1,80,1", "7,80,2"}), QString("none"));
        const QStringList frames = f.takeFrames();
        QCOMPARE(frames.mid(0, 4), QStringList({"0>4:81", "0>5:8150", "1?6", "1?6"}));
        QCOMPARE(frames.filter("?").size(), 2 * 11); // eleven attempts
        QCOMPARE(page.calls, QStringList({"buck1 off", "buck2 off", "buck1 on"}));
        QCOMPARE(takeMessages(), QStringList{Failed});
    }

    // A row out of range stops the sequence before any frame, with a warning. Address 0 is
    // addressed and reported like any other.
    void invalidRows()
    {
        f.bus.addChip(0, 1, 1);
        for (const QString row :
             {"32,80,1", "5,-1,1", "5,256,1", "5,80,-1", "5,255,0", "0,80,1", "31,80,1"}) {
            // buck 0: an output the operator switches; addresses 0 and 31 are chips' addresses
            const bool valid = row == "5,255,0" || row == "0,80,1" || row == "31,80,1";
            const QString reported = execute({"-1,80,1", row});
            if (row == "0,80,1")
                QCOMPARE(reported, QString("0,-1"));
            QCOMPARE(takeMessages().filter("AutoAddressing|"),
                     valid ? QStringList() : QStringList{CheckValues});
            QCOMPARE(f.takeFrames().isEmpty(), !valid);
        }
        execute({"32,80,1", "7,80,1"}); // the rows after a wrong one are not run either
        QCOMPARE(takeMessages().filter("AutoAddressing|"), QStringList{CheckValues});
        QVERIFY(f.takeFrames().isEmpty());
        f.take();
        QCOMPARE(execute({}), QString("-1,-1"));          // nothing to address
        QCOMPARE(execute({"-1,80,1"}), QString("-1,-1")); // only a row without an address
        // Neither window runs commands of a script: every one fails.
        for (const char *applet : {"AutoAddressing", "AddressDiscovery"})
            QCOMPARE(AddressingFixture::applet(applet)->run("Start", {}), QVariant(false));
    }

    // An output the board page cannot switch, or no board page at all: the operator is asked.
    void operatorSwitchesOutputs()
    {
        for (const bool withPage : {true, false}) {
            f.bus.addChip(0, 1, 3);
            f.prompt.onMessage = [this](const Prompt::Message &msg) {
                f.bus.setOutputOn(3, msg.text == Enable.arg(2));
            };
            BoardPageAccess::install(withPage ? &page : nullptr);
            QCOMPARE(execute({"-1,80,1", "5,80,3"}), QString("5,-1"));
            BoardPageAccess::install(&page);
            const QStringList asked{TurnOff.arg(2), "1|Auto addressing|" + Enable.arg(2),
                                    Disable.arg(2)};
            QCOMPARE(takeMessages(), withPage ? asked : QStringList{TurnOff.arg(1)} + asked);
            QCOMPARE(f.takeFrames(),
                     QStringList({"0>4:81", "0>5:8550", "5?6", "5>4:00", "5>13:01"}));
            QCOMPARE(page.calls, withPage ? QStringList{"buck1 off"} : QStringList());
            QCOMPARE(lastChip(), QString("5/4/0"));
            init();
        }
    }

    // A script's request sent while a box of the person's sequence is open waits until the
    // sequence ends: row 2 goes on from row 1's address, and the request's frame comes last.
    void requestWaitsForTheSequence()
    {
        f.bus.addChip(0, 1, 1);
        f.bus.addChip(0, 1, 3);
        std::unique_ptr<PipeClient> script;
        bool keptWhileOpen = false;
        f.prompt.onMessage = [&](const Prompt::Message &msg) {
            f.bus.setOutputOn(3, msg.text == Enable.arg(2));
            if (msg.text != Enable.arg(2) || script)
                return;
            // The box is open for a while: the request arrives and is either served or kept
            // (slave 5 is silent: its read is tried twice).
            script = std::make_unique<PipeClient>();
            script->send("set\tConfiguration.SACONF\ti5\nrun\tConfiguration.OP_MODE_STATUS_READ\n");
            keptWhileOpen = script->keptWaitingBy(*f.app->localServer());
        };
        AddressingFixture::setRows({"1,80,1", "7,80,3"});
        QTest::mouseClick(f.button("AutoAddressing", "pbWrite"), Qt::LeftButton);
        QVERIFY(script);
        QVERIFY(keptWhileOpen);
        QVERIFY(script->waitClosed());
        QVERIFY(script->received.startsWith("ok\n"));
        QCOMPARE(f.takeFrames().join(' '),
                 QStringList({"0>4:81", "0>5:8150", "1?6", "1>4:00", "1>13:01", "1>7:01", "1>4:81",
                              "1>5:8750", "7?6", "7>4:00", "7>13:01",
                              "5?6", "5?6"}).join(' '));
        QCOMPARE(lastChip(), QString("7/4/0"));
    }

    // "Add line" asks for address, threshold and buck; a cancel or a value out of range adds
    // nothing.
    void addLine()
    {
        const QStringList dialogs = {"Auto addressing|Address:|0|-1|31|1",
                                     "Auto addressing|Threshold:|0|0|255|1",
                                     "Auto addressing|Buck:|0|0|99|1"};
        for (const QString row : {"3 90 2|3,90,2", "0 1 0|0,1,0", "3 c|", "-1 90 2|", "3 0 2|"}) {
            AddressingFixture::setRows({"1,80,1"});
            const QStringList answers = row.section('|', 0, 0).split(' '); // "c": cancelled
            for (const QString &answer : answers)
                f.prompt.queueInt(answer.toInt(), answer != "c");
            const qsizetype before = f.prompt.intDialogs().size();
            f.button("AutoAddressing", "pbAddLine")->click();
            QCOMPARE(f.prompt.intDialogs().mid(before), dialogs.mid(0, answers.size()));
            QCOMPARE(AddressingFixture::rows(f.table("AutoAddressing")).mid(1).join(';'),
                     row.section('|', 1));
        }
    }

    // Discovery reads every address (twice when silent) and lists a chip with the expected
    // identification only.
    void discovery()
    {
        QCOMPARE(discover(), QStringList());
        QCOMPARE(f.takeFrames().size(), 64);
        for (const QString row : {"0 1 35 1 0|0,Slave", "31 1 35 1 1|31,Repeater-Slave",
                                  "5 1 34 1 0|", "5 1 35 2 0|", "5 2 35 1 0|"}) {
            const QStringList c = row.section('|', 0, 0).split(' '); // address, ident, PXN mode
            const int k = f.bus.addChip(c[0].toInt(), 4, 1);
            f.bus.editChip(k, [&c](FakeMatrixChip &chip) {
                chip.ident = {quint8(c[1].toInt()), quint8(c[2].toInt()), quint8(c[3].toInt())};
                chip.pms = c[4].toInt();
            });
            QCOMPARE(discover().join(';'), row.section('|', 1));
            QCOMPARE(result().isEmpty(), !row.endsWith('|'));
            f.bus.editChip(k, [](FakeMatrixChip &chip) { chip.cspeed = 3; });
        }
    }

    // The list belongs to one connection: a disconnection and a new connection clear it. A
    // discovery that finds no chip says so.
    void discoveryPerConnection()
    {
        f.bus.setOutputOn(1, true);
        const int k = f.bus.addChip(9, 4, 1);
        QCOMPARE(discover().size(), 1);
        f.app->disconnectBoard();
        QCOMPARE(AddressingFixture::rows(f.table("AddressDiscovery")), QStringList());
        QVERIFY(f.connectTo(f.board));
        QCOMPARE(discover().size(), 1);
        QVERIFY(f.connectTo(f.board));
        QCOMPARE(AddressingFixture::rows(f.table("AddressDiscovery")), QStringList());
        f.bus.editChip(k, [](FakeMatrixChip &chip) { chip.cspeed = 3; });
        QCOMPARE(discover(), QStringList());
        QCOMPARE(result(), QStringLiteral("No device answered"));
        QVERIFY(f.connectTo(f.board));
        QCOMPARE(result(), QString());
    }

    // The main window closed as "Execute" begins (on X11 through the window manager) is taken in
    // a pause between the rows, not once they are done: the program says then that it ends once
    // the command is done, and takes no new request; every row still runs, and the window closes
    // after. Last: the program ends.
    void closeTakenDuringExecute()
    {
        f.bus.addChip(0, 1, 1);
        f.bus.addChip(0, 1, 2);
        AddressingFixture::setRows({"1,80,1", "7,80,2"});
        bool saidAndRefused = false; // within the command
        const auto saying = connect(f.app, &MainApp::signal_log, this, [&](int, const QString &t) {
            saidAndRefused = saidAndRefused ||
                             (t == "The program ends once the running command is done" &&
                              !PipeClient().connected());
        });
        QVERIFY(QTest::qWaitForWindowExposed(f.app->mainWindow()));
        if (qEnvironmentVariableIsSet("KVL_TEST_X11")) // by the window manager, as by a person
            QVERIFY(X11Tools::closeAsAPerson(f.app->mainWindow()->winId()));
        else
            QTimer::singleShot(0, f.app->mainWindow(), &QWidget::close);
        QTest::mouseClick(f.button("AutoAddressing", "pbWrite"), Qt::LeftButton);
        disconnect(saying);
        QVERIFY(saidAndRefused);
        QCOMPARE(lastChip(), QString("7/4/0"));
        QTRY_VERIFY_WITH_TIMEOUT(!f.app->mainWindow()->isVisible(), 30000);
    }
};

KVL_PROGRAM_TEST_MAIN(TestAddressing)
#include "tst_addressing.moc"
