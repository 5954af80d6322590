// The board page's named commands through Board::run on the simulated board: the dispatch,
// the map frames of registers 0, 13 and 16 with the per-slave records that decide them, the
// multi-register loops, the address-list write, the roof pattern, the serial-bus rate, the map
// enable and the commands of a loaded matrix's device rows.
#include "boardcommandsfixture.h"
#include "configurationregisters.h"
#include "logrecorder.h"

#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

namespace
{

// Register-0 frames of the word 0x123456 and map-enable frames, as map commands.
const QByteArray Zero1 = "set P110MAPENAREG=01010055a1805634122c";
const QByteArray Zero2 = "set P110MAPENAREG=02010055a28056341273";
const QByteArray Zero9 = "set P110MAPENAREG=0901005529805634127c";
const QByteArray MapEnable1 = "set P110MAPENAREG=01010155618f012f";
const QByteArray MapEnable2 = "set P110MAPENAREG=02010155628f01a2";
const QByteArray MapEnable = "set P110MAPENA=01";

} // namespace

class TestBoardCommands : public QObject
{
    Q_OBJECT

    BoardCommandsFixture f;

    QList<QByteArray> mapLines() { return f.take("set P110MAPENA"); }
    // Sets "NAME=value;..." on the page.
    void setAll(const QString &assignments)
    {
        for (const QString &a : assignments.split(';', Qt::SkipEmptyParts))
            f.setPage(a.section('=', 0, 0), a.section('=', 1).toInt());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        f.bus.setOutputOn(1, true); // the chips' supplies
        f.bus.setOutputOn(2, true);
        setAll("BANK[MAPENA]=1;BANK[21:0]=1193046"); // 0x123456
    }
    void init()
    {
        setAll("SA=1;BROADCAST=0");
        f.take();
        BoardCommandsFixture::pauses().clear();
    }
    void cleanup() { QCOMPARE(f.bus.violations(), QStringList()); }

    // Names differ by case and blanks; none of these is a command, and nothing is sent.
    void dispatch()
    {
        for (const char *name : {"", "update", "UPDATE ", "read_REG_0", "Read_REG_19",
                                 "Write_REG_15", "ALLON", "OPMODE2", "adcVLED3", "Read*"}) {
            const QVariant result = f.run(name);
            QCOMPARE(result.typeId(), QMetaType::Bool);
            QVERIFY2(!result.toBool(), name);
        }
        for (const char *name : {"OPMODE0", "OPMODE1", "NORMAL0", "NORMAL1", "allOff"})
            QCOMPARE(f.run(name), QVariant(false)); // no device rows yet
        QTest::qWait(30);
        QCOMPARE(f.take(), QList<QByteArray>());
    }

    // With a loaded matrix, broadcast commands address every row's chip in row order, the
    // controller's map enable after the first frame to each; a row without a device is left
    // out with a warning; the rows' mode read and normal-mode change.
    void deviceRows()
    {
        QCOMPARE(f.run("MAPENA"), QVariant(false));
        QCOMPARE(f.take(), QList<QByteArray>{"set p110animation=01"});
        QCOMPARE(f.load(2, 12, 2, 12, BoardCommandsFixture::TwoRows), 0);
        QCOMPARE(f.page()->deviceAddressTexts(), (QStringList{"1", "2"}));
        for (int row = 0; row < 2; ++row) {
            f.bus.editChip(row, [row](FakeMatrixChip &chip) { chip.opmode = 6 - 3 * row; });
            QCOMPARE(f.run(QString("OPMODE%1").arg(row)), QVariant(false));
            QCOMPARE(f.widget<QLineEdit>(qPrintable(QString("leSA%1").arg(row)))
                         ->parentWidget()
                         ->findChild<QComboBox *>()
                         ->currentIndex(),
                     6 - 3 * row); // the row's OPMODE combo
            QCOMPARE(f.run(QString("NORMAL%1").arg(row)), QVariant(false));
            QCOMPARE(f.bus.chip(row).opmode, 4);
        }
        setAll("BROADCAST=1");
        QCOMPARE(f.run("Write_REG_0"), QVariant(true));
        QCOMPARE(mapLines(), (QList<QByteArray>{Zero1, MapEnable, Zero2, MapEnable}));
        f.run("Write_REG_13");
        QCOMPARE(mapLines(), (QList<QByteArray>{MapEnable1, MapEnable2}));

        auto *address0 = f.widget<QLineEdit>("leSA0");
        LogRecorder log(f.page());
        address0->setText("-1");
        QCOMPARE(f.run("Write_REG_0"), QVariant(true));
        QCOMPARE(mapLines(), QList<QByteArray>{Zero2});
        QCOMPARE(log.starting("Address 255 is outside 0..31").size(), 1);
        for (const char *command : {"OPMODE0", "NORMAL0"})
            QCOMPARE(f.run(command), QVariant(false));
        QTest::qWait(30);
        QCOMPARE(f.take(), QList<QByteArray>());
        address0->setText("1");

        // Broadcast MAPENA: the configuration applet's frame to every row.
        ConfigurationRegisters &r = configurationRegisters();
        r.MAPENA.setField("[WDT_SEL]", 1);
        r.MAPENA.setField("[B]", 0);
        const qsizetype frames = f.bus.frames().size();
        QCOMPARE(f.run("MAPENA"), QVariant(false));
        QString fields; // B, MAPENA, CNT_RST set, WDT_SEL cleared
        for (const char *field : {"[B]", "[MAPENA]", "[CNT_RST]", "[WDT_SEL]"})
            fields += QString::number(r.MAPENA.getField(field));
        QCOMPARE(fields, QString("1110"));
        QCOMPARE(f.bus.frames().size(), frames + 2); // command frames to the rows at 1 and 2
        QCOMPARE(quint8(f.bus.frames().last().second.at(1)) >> 5 & 3, 3);
        QVERIFY(!f.take().contains("set p110animation=01"));

        QCOMPARE(f.load(1, 12, 1, 12, BoardCommandsFixture::TwoRows.mid(0, 1)), 0);
        f.take();
        QCOMPARE(f.run("NORMAL1"), QVariant(false));
        QTest::qWait(30);
        QCOMPARE(f.take(), QList<QByteArray>());

        // The DIMFREQ word: the result is the write's.
        QCOMPARE(f.run("Write_REG_14"), QVariant(true));
        f.bus.failNext("SER2PXNDATA", 4);
        QCOMPARE(f.run("Write_REG_14"), QVariant(false));
    }

    // A register-0 frame records 0, and the map enable then goes to the slave until it is
    // recorded; service mode takes the bank path; an address outside 0..31 is reported and
    // gets nothing.
    void mapFrames()
    {
        const struct {
            const char *set;
            const char *command;
            QVariant result;
            QList<QByteArray> lines;
        } steps[] = {
            {"", "Write_REG_0", true, {Zero1}},
            {"", "Write_REG_13", {}, {MapEnable1}},
            {"", "Write_REG_13", {}, {}},
            {"SA=2", "Write_REG_0", true, {Zero2}},
            {"", "Write_REG_13", {}, {MapEnable2}},
            {"SA=3;BANK[MAPENA]=0", "Write_REG_13", {}, {}},
            {"BANK[MAPENA]=1;SA=-1", "Write_REG_0", false, {}},
            {"SA=-1", "Write_REG_13", {}, {}},
            {"SA=1;BANK[SERVICE]=1", "Write_REG_0", true, {}},
        };
        LogRecorder log(f.page());
        for (const auto &step : steps) {
            setAll(step.set);
            const QVariant result = f.run(step.command);
            if (step.result.isValid())
                QCOMPARE(result, step.result);
            QCOMPARE(mapLines(), step.lines);
        }
        setAll("BANK[SERVICE]=0");
        QCOMPARE(f.bus.chip(0).word(0), 0x123456u | (1u << 22));
        QCOMPARE(f.bus.chip(1).word(0), 0x123456u);
        f.bus.editChip(0, [](FakeMatrixChip &chip) { chip.words[0] = 0x123456; });
        const auto warnings = log.starting("Address 255 is outside 0..31");
        QCOMPARE(warnings.size(), 2);
        QCOMPARE(warnings.first().first, 1);

        // A refused frame fails the command and still counts as delivered.
        setAll("SA=9");
        f.playback.failNextMapCommands(2);
        QCOMPARE(f.run("Write_REG_0"), QVariant(false));
        QCOMPARE(mapLines(), (QList<QByteArray>{Zero9, MapEnable}));
        QCOMPARE(f.run("Write_REG_0"), QVariant(false));
        QCOMPARE(mapLines(), QList<QByteArray>{Zero9});
    }

    // An error flag read in register 16 clears through the controller and forgets the slave's
    // map enable; a warning does not.
    void flagClear()
    {
        for (const auto &[flag, bit, clears] : QList<std::tuple<QString, int, bool>>{
                 {"TSD", 1, true}, {"TIMEOUT", 17, true}, {"VBB_LOW", 9, true}, {"TW", 0, false}}) {
            f.run("Write_REG_13");
            mapLines();
            f.bus.editChip(0, [bit = bit](FakeMatrixChip &chip) { chip.words[16] = 1u << bit; });
            QCOMPARE(f.run("Read_REG_16"), QVariant(true));
            f.bus.editChip(0, [](FakeMatrixChip &chip) { chip.words[16] = 0; });
            QCOMPARE(f.pageItem("BANK[" + flag + "]"), 1u);
            QCOMPARE(mapLines(), clears ? QList<QByteArray>{"set P110MAPENAREG=01000000"}
                                        : QList<QByteArray>());
            QCOMPARE(f.playback.mappedAddresses().contains(1), !clears);
        }
    }

    void roofPattern()
    {
        for (int run = 0; run < 2; ++run) {    // mirrored on every second run
            QVariant args = QString(), result; // as a pipe request
            f.app->run("Board.RoofPattern", args, &result);
            QCOMPARE(result, QVariant(true));
            for (int n = 1; n <= 12; ++n) {
                const int i = run == 1 ? 12 - n : n - 1;
                QCOMPARE(f.pageItem(QString("BANK[ON%1]").arg(n)), quint32(620 - 40 * i));
                QCOMPARE(f.pageItem(QString("BANK[OFF%1]").arg(n)), // 660 up, past 1020 from 40
                         quint32((640 + 40 * i) % 1020 + 20));
                QCOMPARE(f.pageItem(QString("BANK[TR%1]").arg(n)), quint32(n - 1));
            }
        }
        QCOMPARE(f.take(), QList<QByteArray>());
    }

    // Every word is tried and paused after; the read loops bring the chip's words into BANK.
    void bankLoops()
    {
        f.bus.editChip(0, [](FakeMatrixChip &chip) {
            chip.words[3] = 0x0F0F0F;
            chip.words[17] = 0xABCDEF;
        });
        for (const auto &[command, count, pause] : QList<std::tuple<QString, int, unsigned>>{
                 {"Read_all1", 15, 100}, {"Write_all", 15, 100}, {"Read_all2", 4, 500}}) {
            BoardCommandsFixture::pauses().clear();
            QCOMPARE(f.run(command), QVariant(true));
            QCOMPARE(BoardCommandsFixture::pauses(), QList<unsigned>(count, pause));
        }
        QCOMPARE(boardGlobals().BANK.value(3 * 24, 3 * 24 + 23), 0x0F0F0Fu);
        QCOMPARE(boardGlobals().BANK.value(17 * 24, 17 * 24 + 23), 0xABCDEFu);
        QVERIFY(!boardGlobals().BANK.signalsBlocked() && !boardGlobals().BANKX.signalsBlocked());
    }

    // Only plain numbers 0..31 of the list are written (an empty list is SA), each with three
    // four-word frames: PID1 holds the address, PID2 the first word.
    void writeOnOff()
    {
        for (const auto &[list, count, last] : QList<std::tuple<QString, int, int>>{
                 {"", 1, 1}, {"-1;+2;0x3;1a;32", 0, 1}, {"0;31;007", 3, 7}, {"1;;x;40;3", 2, 3}}) {
            BoardCommandsFixture::pauses().clear();
            const qsizetype before = f.bus.frames().size();
            f.widget<QLineEdit>("leAddessBox")->setText(list);
            QCOMPARE(f.run("Write_on_off"), QVariant(true));
            QCOMPARE(BoardCommandsFixture::pauses(), QList<unsigned>(3 * count, 100u));
            QCOMPARE(int(boardGlobals().SA.value()), last);
            QCOMPARE(int(f.bus.frames().size() - before), 3 * count);
        }
        QList<QPair<int, int>> targets;
        for (const auto &frame : f.bus.frames().mid(f.bus.frames().size() - 6))
            targets.append({quint8(frame.second.at(1)) & 0x1F, quint8(frame.second.at(2)) & 0x7F});
        QCOMPARE(targets, (QList<QPair<int, int>>{
                              {1, 0x61}, {1, 0x65}, {1, 0x69}, {3, 0x61}, {3, 0x65}, {3, 0x69}}));
        QCOMPARE(f.bus.chip(0).word(12), boardGlobals().BANK.value(12 * 24, 12 * 24 + 23));
    }

    // A typed rate wins over the list; a negative one is refused and nothing is sent.
    void baudRate()
    {
        for (const auto &[typed, index, line] : QList<std::tuple<QString, int, QByteArray>>{
                 {"0", 2, "set SER2BAUD=500000"},
                 {"fast", 1, "set SER2BAUD=250000"},
                 {"", 3, "set SER2BAUD=1000000"},
                 {"115200", 3, "set SER2BAUD=115200"},
                 {"", -1, ""},
                 {"-5", 1, ""},
                 {"", 0, "set SER2BAUD=125000"}}) { // the chips' rate again
            f.widget<QLineEdit>("leUART")->setText(typed);
            f.widget<QComboBox>("cbBAUDRATE")->setCurrentIndex(index);
            QCOMPARE(f.run("BAUDRATE"), QVariant(false));
            QTest::qWait(30);
            QCOMPARE(f.take(), line.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{line});
        }
    }
};

QTEST_MAIN(TestBoardCommands)
#include "tst_boardcommands.moc"
