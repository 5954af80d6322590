// The board page's matrix commands: map frames of registers 0, 13 and 16 and the per-slave
// records that decide them, the multi-register loops with their pauses and dialog, the
// address-list write, the roof pattern, the serial-bus rate and the map enable.
#include "boardcommandsfixture.h"
#include "configurationappfixture.h"
#include "configurationregisters.h"
#include "logrecorder.h"
#include "ui_board.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

namespace
{

int parity(int value)
{
    int ones = 0;
    for (int bit = 0; bit < 7; ++bit)
        ones += (value >> bit) & 1;
    return (value & 0x7F) | ((ones % 2 == 0) ? 0x80 : 0);
}

// The map command of a register-0 frame holding word to address.
QByteArray registerZeroLine(int address, quint32 word)
{
    QByteArray body;
    body.append(char(parity(address | 0x20))).append('\x80');
    for (int shift = 0; shift < 24; shift += 8)
        body.append(char(word >> shift));
    const QByteArray frame = '\x55' + body + char(FakeMatrixBus::crc8(body));
    return "set P110MAPENAREG=" + QByteArray::number(address, 16).rightJustified(2, '0') + "0100" +
           frame.toHex();
}

const QByteArray MapEnable1 = "set P110MAPENAREG=01010155618f012f";
const QByteArray MapEnable2 = "set P110MAPENAREG=02010155628f01a2";
const QByteArray ControllerMapEnable = "set P110MAPENA=01";

// Device rows at 1 and 2 for the configuration applet's broadcast, while it exists.
struct DeviceRowsAt1And2 {
    ~DeviceRowsAt1And2() { BoardPageAccess::install(previous); }
    BoardPageAccess *previous = BoardPageAccess::instance();
    FakeDeviceRows rows{{"1", "2"}};
};

} // namespace

class TestBoardMatrixCommands : public QObject
{
    Q_OBJECT

    BoardCommandsFixture f;

    QList<QByteArray> mapLines() { return f.take("set P110MAPENA"); }
    // Command frames (type 3, as the configuration applet's MAPENA) the chips have received.
    int commandFrames()
    {
        int count = 0;
        for (const auto &frame : f.bus.frames())
            count +=
                frame.second.size() > 1 && ((quint8(frame.second.at(1)) >> 5) & 3) == 3 ? 1 : 0;
        return count;
    }
    QList<unsigned> pauseLengths()
    {
        QList<unsigned> out;
        for (const auto &p : BoardCommandsFixture::pauses())
            out.append(p.ms);
        return out;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        f.setPage("BANK[MAPENA]", 1);
        f.setPage("BANK[21:0]", 0x123456);
    }
    void cleanup() { QCOMPARE(f.bus.violations(), QStringList()); }
    void init()
    {
        f.setPage("SA", 1);
        f.setPage("BROADCAST", 0);
        f.take();
        BoardCommandsFixture::pauses().clear();
    }

    // The map enable goes to a slave until it is recorded; a register-0 frame records 0, so
    // the next register-13 write enables the map again.
    void mapEnableRecords()
    {
        f.run("Write_REG_13");
        QCOMPARE(mapLines(), QList<QByteArray>{MapEnable1});
        f.run("Write_REG_13");
        QCOMPARE(mapLines(), QList<QByteArray>());

        QCOMPARE(f.run("Write_REG_0"), QVariant(true));
        QCOMPARE(mapLines(), QList<QByteArray>{registerZeroLine(1, 0x123456)});
        QCOMPARE(f.bus.chip(0).word(0), 0x123456u);
        f.run("Write_REG_13");
        QCOMPARE(mapLines(), QList<QByteArray>{MapEnable1});
    }

    // The controller's map enable follows the first register-0 frame to a slave only.
    void registerZeroFirstContact()
    {
        f.setPage("SA", 2);
        QCOMPARE(f.run("Write_REG_0"), QVariant(true));
        QCOMPARE(mapLines(),
                 (QList<QByteArray>{registerZeroLine(2, 0x123456), ControllerMapEnable}));
        QCOMPARE(f.run("Write_REG_0"), QVariant(true));
        QCOMPARE(mapLines(), QList<QByteArray>{registerZeroLine(2, 0x123456)});
        f.run("Write_REG_13");
        QCOMPARE(mapLines(), QList<QByteArray>{MapEnable2});
    }

    // In service mode register 0 goes through the bank path: no map frame.
    void serviceMode()
    {
        f.setPage("BANK[SERVICE]", 1);
        QCOMPARE(f.run("Write_REG_0"), QVariant(true));
        f.setPage("BANK[SERVICE]", 0);
        QCOMPARE(mapLines(), QList<QByteArray>());
        QCOMPARE(f.bus.chip(0).word(0), 0x123456u | (1u << 22));
        f.bus.editChip(0, [](FakeMatrixChip &chip) { chip.words[0] = 0x123456; });
    }

    // Without MAPENA, register 13 sends no map frame.
    void registerThirteenWithoutMapena()
    {
        f.setPage("SA", 3);
        f.setPage("BANK[MAPENA]", 0);
        f.run("Write_REG_13");
        f.setPage("BANK[MAPENA]", 1);
        QCOMPARE(mapLines(), QList<QByteArray>());
    }

    // Addresses without a record send nothing and are reported.
    void addressOutsideRecords_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("register 0") << "Write_REG_0";
        QTest::newRow("register 13") << "Write_REG_13";
    }
    void addressOutsideRecords()
    {
        QFETCH(QString, command);
        LogRecorder log(f.page());
        f.setPage("SA", -1);
        f.setPage("BANK[TSD]", 1);
        const QVariant result = f.run(command);
        f.setPage("BANK[TSD]", 0);
        if (command == "Write_REG_0")
            QCOMPARE(result, QVariant(false));
        QCOMPARE(mapLines(), QList<QByteArray>());
        const auto warnings = log.starting("Address 255 is outside 0..31");
        QCOMPARE(warnings.size(), 1);
        QCOMPARE(warnings.first().first, 1);
    }

    // Broadcast without device rows has no slave to address.
    void broadcastWithoutRows()
    {
        f.setPage("BROADCAST", 1);
        QCOMPARE(f.run("Write_REG_0"), QVariant(false));
        QCOMPARE(mapLines(), QList<QByteArray>());
    }

    // A status flag clears through the controller and forgets the slave's map enable.
    void flagClear_data()
    {
        QTest::addColumn<QString>("flag");
        QTest::addColumn<int>("bit");
        QTest::addColumn<bool>("clears");
        QTest::newRow("TSD") << "TSD" << 1 << true;
        QTest::newRow("DIMERR") << "DIMERR" << 4 << true;
        QTest::newRow("CAP_UV") << "CAP_UV" << 7 << true;
        QTest::newRow("VBB_LOW") << "VBB_LOW" << 9 << true;
        QTest::newRow("TIMEOUT") << "TIMEOUT" << 17 << true;
        QTest::newRow("TW is no error") << "TW" << 0 << false;
        QTest::newRow("HWR is no error") << "HWR" << 6 << false;
    }
    void flagClear()
    {
        QFETCH(int, bit);
        QFETCH(bool, clears);
        f.run("Write_REG_13"); // recorded (enabled) from here on
        mapLines();
        f.bus.editChip(0, [bit](FakeMatrixChip &chip) { chip.words[16] = 1u << bit; });
        QCOMPARE(f.run("Read_REG_16"), QVariant(true));
        f.bus.editChip(0, [](FakeMatrixChip &chip) { chip.words[16] = 0; });
        QFETCH(QString, flag);
        QCOMPARE(f.pageItem("BANK[" + flag + "]"), 1u);
        QCOMPARE(mapLines(),
                 clears ? QList<QByteArray>{"set P110MAPENAREG=01000000"} : QList<QByteArray>());
        QCOMPARE(f.playback.mappedAddresses().contains(1), !clears);
        f.run("Write_REG_13");
        QCOMPARE(mapLines(), clears ? QList<QByteArray>{MapEnable1} : QList<QByteArray>());
    }

    void roofPattern()
    {
        const int on[] = {620, 580, 540, 500, 460, 420, 380, 340, 300, 260, 220, 180};
        const int off[] = {660, 700, 740, 780, 820, 860, 900, 940, 980, 1020, 40, 80};
        for (int run = 0; run < 3; ++run) {
            QCOMPARE(f.run("RoofPattern"), QVariant(true));
            const bool mirrored = run % 2 == 1;
            for (int n = 1; n <= 12; ++n) {
                const int index = mirrored ? 12 - n : n - 1;
                QCOMPARE(f.pageItem(QString("BANK[ON%1]").arg(n)), quint32(on[index]));
                QCOMPARE(f.pageItem(QString("BANK[OFF%1]").arg(n)), quint32(off[index]));
                QCOMPARE(f.pageItem(QString("BANK[TR%1]").arg(n)), quint32(n - 1));
            }
        }
        QCOMPARE(mapLines(), QList<QByteArray>());
        f.run("RoofPattern"); // back to the table for later tests
    }

    // Every word is tried and paused after, whatever the outcome; the dialog shows only for
    // a bound button.
    void bankLoops_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("button");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<unsigned>("pause");
        QTest::newRow("Read_all1") << "Read_all1" << false << 0 << 14 << 100u;
        QTest::newRow("Write_all") << "Write_all" << false << 0 << 14 << 100u;
        QTest::newRow("Read_all2") << "Read_all2" << false << 15 << 18 << 500u;
        QTest::newRow("Read_all2 button") << "Read_all2" << true << 15 << 18 << 500u;
        QTest::newRow("Write_all button") << "Write_all" << true << 0 << 14 << 100u;
        QTest::newRow("Read_all1 button") << "Read_all1" << true << 0 << 14 << 100u;
    }
    void bankLoops()
    {
        QFETCH(QString, command);
        QFETCH(bool, button);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(unsigned, pause);
        button ? f.page()->runFromButton(command, QString()) : f.run(command);
        const auto pauses = BoardCommandsFixture::pauses();
        QCOMPARE(pauses.size(), last - first + 1);
        for (int i = 0; i < pauses.size(); ++i) {
            QCOMPARE(pauses[i].ms, pause);
            QCOMPARE(pauses[i].progress, button ? first + i : -1);
        }
        const auto dialogs = f.page()->findChildren<DialogProgressBar *>();
        for (const DialogProgressBar *dialog : dialogs)
            QVERIFY(!dialog->isVisible());
        QVERIFY(!boardGlobals().BANK.signalsBlocked());
        QVERIFY(!boardGlobals().BANKX.signalsBlocked());
    }

    // The read loops bring the chip's words into BANK.
    void readLoops_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("word");
        QTest::addColumn<quint32>("value");
        QTest::newRow("Read_all1 word 3") << "Read_all1" << 3 << 0x0F0F0Fu;
        QTest::newRow("Read_all2 word 17") << "Read_all2" << 17 << 0xABCDEFu;
    }
    void readLoops()
    {
        QFETCH(QString, command);
        QFETCH(int, word);
        QFETCH(quint32, value);
        f.bus.editChip(0,
                       [word, value](FakeMatrixChip &chip) { chip.words[size_t(word)] = value; });
        QCOMPARE(f.run(command), QVariant(true));
        QCOMPARE(boardGlobals().BANK.value(24 * word, 24 * word + 23), value);
    }

    // Elements that are not plain numbers 0..31 are skipped; each address gets three frames.
    void writeOnOff_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("addresses");
        QTest::addColumn<int>("lastAddress");
        QTest::newRow("mixed") << "1;;x;40;3" << 2 << 3;
        QTest::newRow("empty is SA") << "" << 1 << 1;
        QTest::newRow("signs and hex") << "-1;+2;0x3;1a;32" << 0 << 1;
        QTest::newRow("edges") << "0;31;007" << 3 << 7;
    }
    void writeOnOff()
    {
        QFETCH(QString, list);
        f.widget<QLineEdit>("leAddessBox")->setText(list);
        f.run("Write_on_off");
        QFETCH(int, addresses);
        QCOMPARE(pauseLengths(), QList<unsigned>(3 * addresses, 100u));
        QTEST(int(boardGlobals().SA.value()), "lastAddress");
        QCOMPARE(boardGlobals().BANKX.value(24, 47), boardGlobals().BANK.value(24, 47));
    }

    // The three four-word frames per address: PID1 holds the address, PID2 the first word.
    void writeOnOffFrames()
    {
        const int before = f.bus.frames().size();
        f.widget<QLineEdit>("leAddessBox")->setText("1;;x;40;3");
        QCOMPARE(f.run("Write_on_off"), QVariant(true)); // writes expect no answer
        QList<QPair<int, int>> targets;
        const auto frames = f.bus.frames().mid(before);
        for (const auto &frame : frames)
            targets.append({quint8(frame.second.at(1)) & 0x1F, quint8(frame.second.at(2)) & 0x7F});
        const QList<QPair<int, int>> expected = {{1, 0x61}, {1, 0x65}, {1, 0x69},
                                                 {3, 0x61}, {3, 0x65}, {3, 0x69}};
        QCOMPARE(targets, expected);
        QCOMPARE(f.bus.chip(0).word(12), boardGlobals().BANK.value(12 * 24, 12 * 24 + 23));
    }

    // The DIMFREQ word: the result is the write's, although the dispatch goes on.
    void registerFourteen()
    {
        QCOMPARE(f.run("Write_REG_14"), QVariant(true));
        f.bus.failNext("SER2PXNDATA", 4);
        QCOMPARE(f.run("Write_REG_14"), QVariant(false));
    }

    void writeOnOffFromButton()
    {
        f.widget<QLineEdit>("leAddessBox")->setText("4;5");
        f.page()->runFromButton("Write_on_off", QString());
        QList<int> progress;
        for (const auto &p : BoardCommandsFixture::pauses())
            progress.append(p.progress);
        QCOMPARE(progress, (QList<int>{1, 5, 9, 1, 5, 9}));
        QCOMPARE(int(boardGlobals().SA.value()), 5);
    }

    // With the box ticked, a broadcast map enable follows the writes.
    void writeOnOffBroadcast()
    {
        ConfigurationRegisters &r = configurationRegisters();
        r.MAPENA.setField("[B]", 0);
        r.MAPENA.setField("[CNT_RST]", 0);
        DeviceRowsAt1And2 rows;
        const int before = commandFrames();
        f.widget<QLineEdit>("leAddessBox")->setText("1");
        f.widget<QCheckBox>("chbMAPENA")->setChecked(true);
        f.run("Write_on_off");
        f.widget<QCheckBox>("chbMAPENA")->setChecked(false);
        QCOMPARE(r.MAPENA.getField("[B]"), 1u);
        QCOMPARE(r.MAPENA.getField("[MAPENA]"), 1u);
        QCOMPARE(r.MAPENA.getField("[CNT_RST]"), 1u);
        QCOMPARE(commandFrames(), before + 2); // to the rows at 1 and 2
    }

    void baudRate_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("0 and index 2") << "0" << 2 << QByteArray("set SER2BAUD=500000");
        QTest::newRow("empty and index 0") << "" << 0 << QByteArray("set SER2BAUD=125000");
        QTest::newRow("text and index 1") << "fast" << 1 << QByteArray("set SER2BAUD=250000");
        QTest::newRow("index 3") << "" << 3 << QByteArray("set SER2BAUD=1000000");
        QTest::newRow("typed rate wins") << "115200" << 3 << QByteArray("set SER2BAUD=115200");
        QTest::newRow("no choice") << "" << -1 << QByteArray();
        QTest::newRow("negative refused") << "-5" << 1 << QByteArray();
    }
    void baudRate()
    {
        QFETCH(QString, typed);
        QFETCH(int, index);
        QFETCH(QByteArray, line);
        f.widget<QLineEdit>("leUART")->setText(typed);
        f.widget<QComboBox>("cbBAUDRATE")->setCurrentIndex(index);
        QCOMPARE(f.run("BAUDRATE"), QVariant(false));
        QTest::qWait(30);
        QCOMPARE(f.take(), line.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{line});
    }

    // On a real port without broadcast the animation starts; with broadcast the chips get the
    // configuration applet's MAPENA frame.
    void mapEnable()
    {
        QCOMPARE(f.run("MAPENA"), QVariant(false));
        QCOMPARE(f.take(), QList<QByteArray>{"set p110animation=01"});

        DeviceRowsAt1And2 rows;
        const int before = commandFrames();
        ConfigurationRegisters &r = configurationRegisters();
        r.MAPENA.setField("[WDT_SEL]", 1);
        r.MAPENA.setField("[B]", 0);
        f.setPage("BROADCAST", 1);
        QCOMPARE(f.run("MAPENA"), QVariant(false));
        QCOMPARE(r.MAPENA.getField("[B]"), 1u);
        QCOMPARE(r.MAPENA.getField("[MAPENA]"), 1u);
        QCOMPARE(r.MAPENA.getField("[CNT_RST]"), 1u);
        QCOMPARE(r.MAPENA.getField("[WDT_SEL]"), 0u);
        QCOMPARE(commandFrames(), before + 2);
        QVERIFY(!f.take().contains("set p110animation=01"));
    }

    // A refused frame fails the command and still counts as delivered.
    void refusedMapCommand()
    {
        f.setPage("SA", 9);
        f.playback.failNextMapCommands(2);
        QCOMPARE(f.run("Write_REG_0"), QVariant(false));
        QCOMPARE(mapLines(),
                 (QList<QByteArray>{registerZeroLine(9, 0x123456), ControllerMapEnable}));
        QCOMPARE(f.run("Write_REG_0"), QVariant(false));
        QCOMPARE(mapLines(), QList<QByteArray>{registerZeroLine(9, 0x123456)});
    }
};

QTEST_MAIN(TestBoardMatrixCommands)
#include "tst_boardmatrixcommands.moc"
