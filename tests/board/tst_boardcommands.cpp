// The board page's named commands and live sending on the simulated board with a loaded
// two-device matrix: the exact lines and frames, the per-slave map records, the flash image and
// playback, the bank path's phase windows, and the send timer.
#include "accessiblenames.h"
#include "boardcommandsfixture.h"
#include "configurationregisters.h"
#include "dialogprogressbar.h"
#include "logrecorder.h"
#include "progressrecorder.h"

#include <QAbstractSlider>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QTimer>

namespace
{

// Register-0 frames of the word 0x123456 and map-enable frames, as map commands.
const QByteArray Zero1 = "set P110MAPENAREG=01010055a1805634122c";
const QByteArray Zero2 = "set P110MAPENAREG=02010055a28056341273";
const QByteArray Zero9 = "set P110MAPENAREG=0901005529805634127c";
const QByteArray MapEnable1 = "set P110MAPENAREG=01010155618f012f";
const QByteArray MapEnable2 = "set P110MAPENAREG=02010155628f01a2";
const QByteArray MapEnable = "set P110MAPENA=01";

// The image of duties 0, 45, 90, ... with the last switch full, at addresses 1 and 2.
const QByteArray Image = QByteArray::fromHex(
    "535441525432020101020008111a232b343d464f576069727b838c959ea7afb8c1c8454e44");
const QByteArray ImageLine =
    "set flash=800300ff66b377ee00000100" + Image.toHex() + QByteArray(2 * (256 - 37), '0');
const QByteArray Play = "set p110animation=01";

// Channel n's bank word at duty 512 in phase mode 0: ON staggered by 82 from 24, TR n - 1.
quint32 window(int n)
{
    const quint32 on = quint32(24 + 82 * (n - 1));
    return on << 14 | ((on + 511) % 1024) << 4 | quint32(n - 1);
}

} // namespace

class TestBoardCommands : public QObject
{
    Q_OBJECT

    BoardCommandsFixture f;

    QList<QByteArray> mapLines() { return f.take("set P110MAPENA"); }

    QLineEdit *address(int d) { return f.widget<QLineEdit>(qPrintable(QString("leSA%1").arg(d))); }
    void setAutoupdate(bool on) { f.widget<QAbstractButton>("cbAutoupdate")->setChecked(on); }
    void setDuties()
    {
        for (int n = 1; n <= 24; ++n)
            f.page()->setDcRegister(quint8(n), quint16(n == 24 ? 1023 : 45 * (n - 1)));
    }
    // The page's send timer, while it runs.
    QTimer *sendTimer()
    {
        for (QTimer *t : f.page()->findChildren<QTimer *>(Qt::FindDirectChildrenOnly))
            if (t->isActive() && t->interval() == 70)
                return t;
        return nullptr;
    }
    // Sets "NAME=value;..." on the page.
    void setAll(const QString &assignments)
    {
        for (const QString &a : assignments.split(';', Qt::SkipEmptyParts))
            f.set(a.section('=', 0, 0), a.section('=', 1).toInt());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        f.bus.setOutputOn(1, true); // the chips' supplies
        f.bus.setOutputOn(2, true);
        setAll("BANK[MAPENA]=1;BANK[21:0]=1193046"); // 0x123456
        QCOMPARE(f.load(2, 12, 2, 12, BoardCommandsFixture::TwoRows), 0);
    }
    void init()
    {
        QVERIFY(f.app->isConnected() || f.connectTo(f.board));
        address(0)->setText("1");
        address(1)->setText("2");
        setAutoupdate(false);
        setDuties();
        f.flash.setRefuseAt(-1);
        setAll("SA=1;BROADCAST=0");
        f.take();
        BoardCommandsFixture::pauses().clear();
    }
    void cleanup() { QCOMPARE(f.bus.violations(), QStringList()); }

    // Names differ by case and blanks; none of these is a command, and nothing is sent.
    void dispatch()
    {
        for (const char *name : {"", "update", "UPDATE ", "read_REG_0", "Read_REG_19", "ALLON",
                                 "adcVLED3", "Read*", "OPMODE2"})
            QCOMPARE(f.run(name), QVariant(false));
        QCOMPARE(f.takeSettled(), QList<QByteArray>());
    }

    // Blocks follow each other 256 bytes apart, each paused after; a refused block is passed
    // over and the next still goes out; without a board the pass still runs its course.
    void flashBlocks()
    {
        QByteArray image;
        for (int i = 0; i < 768; ++i)
            image.append(char(i * 7 + 1));
        f.flash.setRefuseAt(f.flash.blockCount() + 1);
        QVERIFY(!f.page()->writeFlashBlocks(image));
        QCOMPARE(f.take(), (QList<QByteArray>{f.blockLine(0x800300FF, image.mid(0, 256)),
                                              f.blockLine(0x800301FF, image.mid(256, 256)),
                                              f.blockLine(0x800302FF, image.mid(512, 256))}));
        QCOMPARE(BoardCommandsFixture::pauses(), (QList<unsigned>{200, 200, 200}));
        QCOMPARE(f.page()->nextFlashAddress(), 0x800303FFu);
        QCOMPARE(f.flash.read(0x800300FF, 256) + f.flash.read(0x800302FF, 256),
                 image.left(256) + image.mid(512));

        f.page()->sendFlashLegacy(0x80040000u);
        QCOMPARE(f.take(), QList<QByteArray>{f.blockLine(0x80040000, QByteArray(256, char(0xFF)))});
        QCOMPARE(BoardCommandsFixture::pauses().size(), 3);

        f.app->disconnectBoard();
        QVERIFY(!f.page()->writeFlashBlocks(QByteArray(300, 'x')));
        QCOMPARE(BoardCommandsFixture::pauses().size(), 5);
        QCOMPARE(f.page()->nextFlashAddress(), 0x800302FFu);
    }

    // The image in one exact block (also from the UPDATE command on a board's port); with
    // Autoupdate the chips' maps are enabled once, whatever the board answered, and the board
    // plays the image; a refused block does not stop that.
    void flashPass()
    {
        f.run("UPDATE");
        QCOMPARE(f.take(), QList<QByteArray>{ImageLine});
        QCOMPARE(f.widget<QLabel>("lbFlashSize")->text(), QString("Required flash size 37 B"));
        setAutoupdate(true);
        f.playback.failNextMapCommands(1);
        f.page()->sendFWData();
        QCOMPARE(f.take(), (QList<QByteArray>{ImageLine, MapEnable1, MapEnable2, Play}));
        const FakeBoardPlayback::Playback played = f.playback.playbacks().last();
        QCOMPARE(played.addresses, QByteArray::fromHex("0102"));
        QCOMPARE(played.body, Image.mid(10, 24));
        QCOMPARE(f.playback.mappedAddresses(), QList<int>{2});
        f.flash.setRefuseAt(f.flash.blockCount());
        f.page()->sendFWData();
        QCOMPARE(f.take(), (QList<QByteArray>{ImageLine, Play}));
        QVERIFY(!sendTimer());
    }

    // Rows without a device (-1) are left out of the image, a text reads 0; an address
    // outside 0..31 gets no map frame and a warning.
    void rowAddresses()
    {
        setAutoupdate(true);
        for (const auto &[first, second, image] : QList<std::tuple<QString, QString, QByteArray>>{
                 {"-1", "-1", "5354415254320001454e44"},
                 {"-1", "2", "53544152543201010269727b838c959ea7afb8c1c8454e44"},
                 {"x", "-1", "5354415254320101000008111a232b343d464f5760454e44"}}) {
            address(0)->setText(first);
            address(1)->setText(second);
            f.page()->sendFWData();
            const QList<QByteArray> lines = f.take();
            QVERIFY(lines.first().startsWith("set flash=800300ff"));
            QCOMPARE(lines.first().mid(34, image.size()), image);
            QCOMPARE(lines.last(), Play);
        }
        LogRecorder log(f.page());
        address(0)->setText("1");
        address(1)->setText("40");
        f.page()->sendFWData();
        QCOMPARE(f.take().mid(1), QList<QByteArray>{Play});
        QCOMPARE(log.entries().size(), 1);
        QVERIFY(log.entries().first().second.contains("40"));
    }

    // Each device row goes out as three frames of four words, addressed or broadcast, with its
    // phase windows; a written DIMFREQ code changes that chip's mode; a row address outside
    // 0..31 is reported and not sent; with Autoupdate the chips' maps are enabled after. A
    // layout short of switches goes out too.
    void bankPass()
    {
        f.widget<QAbstractSlider>("slAll")->setValue(512); // every switch, the send buffer too
        f.page()->sendData();
        QList<QByteArray> lines = f.take();
        QCOMPARE(lines.size(), 6);
        QVERIFY2(lines.first().startsWith("set SER2PXNDATA=0e1055a16170"), lines.first());
        for (int n = 1; n <= 12; ++n)
            QCOMPARE(f.bus.chip(0).word(n), window(n));
        QCOMPARE(f.bus.chip(1).word(12), window(12));
        QCOMPARE(boardGlobals().SA.value(), 2.0);

        f.set("BANK[DIMFREQ]", 20);
        QCOMPARE(f.run("Write_REG_14"), QVariant(true));
        f.take();
        f.set("BROADCAST", 1);
        f.page()->sendData();
        QVERIFY2(f.take().first().startsWith("set SER2PXNDATA=0e1055c16170"), "broadcast");
        QCOMPARE(f.bus.chip(0).word(1) >> 14, 192u); // both chips got the last row's

        f.set("BROADCAST", 0);
        LogRecorder log(f.page());
        address(0)->setText("32");
        setAutoupdate(true);
        Configuration *configuration = Configuration::instance();
        QVERIFY(configuration->set("MAPENA[MAPENA]", 0, Variable::InternalKey));
        const int enables = f.playback.mapEnableCount();
        f.page()->sendData();
        lines = f.take();
        QCOMPARE(log.entries().size(), 1);
        QCOMPARE(lines.first().left(26), QByteArray("set SER2PXNDATA=0e1055a261")); // row 2 only
        // The MAPENA command to row 2's chip: B, CNT_RST and MAPENA set.
        const QByteArray mapena = QByteArray::fromHex("628f83");
        const QByteArray frame = "\x55" + mapena + char(FakeMatrixBus::crc8(mapena));
        QCOMPARE(lines.at(lines.size() - 2), "set SER2PXNDATA=0e05" + frame.toHex());
        QCOMPARE(lines.last(), QByteArray("set P110MAPENA=01"));
        QCOMPARE(f.playback.mapEnableCount(), enables + 1);
        QCOMPARE(configuration->get("MAPENA[MAPENA]", Variable::InternalKey).toInt(), 1);
        // Address 0 is a slave like any other: its row goes out, with no warning.
        address(0)->setText("0");
        setAutoupdate(false);
        LogRecorder quiet(f.page());
        f.page()->sendData();
        QCOMPARE(quiet.entries().size(), 0);
        QCOMPARE(f.take().size(), 6); // both rows' three frames
        // A layout with fewer switches than its rows' chips: the pass keeps to the switches there.
        QCOMPARE(f.load(2, 12, 2, 12,
                        {BoardCommandsFixture::TwoRows.first(), "13 14 15 0 0 0 0 0 0 0 0 0"}),
                 0);
        f.page()->sendData();
        QCOMPARE(f.take().size(), 6);
        QCOMPARE(f.load(2, 12, 2, 12, BoardCommandsFixture::TwoRows), 0);
    }

    // Slider moves with Autoupdate collapse into one pass after the last of them; the pass
    // follows the port of that moment: the flash image on a board, the bank on "mockup".
    void timerPasses()
    {
        setAutoupdate(true);
        auto *slider = f.widget<QAbstractSlider>("SW24");
        slider->setValue(900);
        slider->setValue(1023);
        QVERIFY(sendTimer());
        QVERIFY(f.take().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!sendTimer(), 30000);
        QCOMPARE(f.take(), (QList<QByteArray>{ImageLine, Play}));

        f.app->disconnectBoard();
        QVERIFY(f.app->connectBoard("mockup"));
        f.widget<QLabel>("lbFlashSize")->setText("-");
        address(1)->setText("3");
        slider->setValue(512);
        QTRY_VERIFY_WITH_TIMEOUT(!sendTimer(), 30000);
        QCOMPARE(f.widget<QLabel>("lbFlashSize")->text(), QString("-"));
        QCOMPARE(boardGlobals().SA.value(), 3.0);
        QCOMPARE(boardGlobals().BANKX.getField("[TR12]"), 11u);
        QVERIFY(f.connectTo(f.board));
    }

    // A new connection forgets the DIMFREQ codes written before: the pass is in mode 0 again.
    void dimFreqForgotten()
    {
        f.set("BANK[DIMFREQ]", 20);
        QCOMPARE(f.run("Write_REG_14"), QVariant(true));
        QVERIFY(f.connectTo(f.board));
        auto *all = f.widget<QAbstractSlider>("slAll");
        all->setValue(0);
        all->setValue(512);
        f.page()->sendData();
        for (int n = 1; n <= 12; ++n)
            QCOMPARE(f.bus.chip(0).word(n), window(n));
    }

    // Broadcast commands address every row's chip in row order, the controller's map enable
    // after the first frame to each (the records start afresh with each connection); a row
    // without a device is left out with a warning; the rows' mode read and normal-mode change.
    void deviceRows()
    {
        QCOMPARE(f.run("MAPENA"), QVariant(false));
        QCOMPARE(f.take(), QList<QByteArray>{"set p110animation=01"});
        QCOMPARE(f.page()->deviceAddressTexts(), (QStringList{"1", "2"}));
        for (int row = 0; row < 2; ++row) {
            f.bus.editChip(row, [row](FakeMatrixChip &chip) { chip.opmode = 6 - 3 * row; });
            QCOMPARE(f.run(QString("OPMODE%1").arg(row)), QVariant(false));
            auto *group =
                f.widget<QLineEdit>(qPrintable(QString("leSA%1").arg(row)))->parentWidget();
            QCOMPARE(group->findChild<QComboBox *>()->currentIndex(), 6 - 3 * row); // OPMODE
            QCOMPARE(f.run(QString("NORMAL%1").arg(row)), QVariant(false));
            QCOMPARE(f.bus.chip(row).opmode, 4);
        }
        // Mode 0 is the combo's first entry, shown as well.
        f.bus.editChip(1, [](FakeMatrixChip &chip) { chip.opmode = 0; });
        f.run("OPMODE1");
        auto *opMode1 = f.widget<QLineEdit>("leSA1")->parentWidget()->findChild<QComboBox *>();
        QCOMPARE(opMode1->currentIndex(), 0);
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
        QCOMPARE(f.run("NORMAL0"), QVariant(false));
        QCOMPARE(f.takeSettled(), QList<QByteArray>());
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
        const QList<std::tuple<QString, QString, QVariant, QList<QByteArray>>> steps = {
            {"", "Write_REG_0", true, {Zero1}},
            {"", "Write_REG_13", {}, {MapEnable1}},
            {"", "Write_REG_13", {}, {}},
            {"SA=2", "Write_REG_0", true, {Zero2}},
            {"", "Write_REG_13", {}, {MapEnable2}},
            {"SA=3;BANK[MAPENA]=0", "Write_REG_13", {}, {}},
            {"BANK[MAPENA]=1;SA=-1", "Write_REG_0", false, {}},
            {"SA=-1", "Write_REG_13", {}, {}},
            {"SA=1;BANK[SERVICE]=1", "Write_REG_0", true, {}},
        }; // assignments, command, result (invalid: not checked), map lines
        LogRecorder log(f.page());
        for (const auto &[assignments, command, result, lines] : steps) {
            setAll(assignments);
            const QVariant got = f.run(command);
            QVERIFY(!result.isValid() || got == result);
            QCOMPARE(mapLines(), lines);
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
            QCOMPARE(f.item("BANK[" + flag + "]"), 1.0);
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
                QCOMPARE(f.item(QString("BANK[ON%1]").arg(n)), double(620 - 40 * i));
                QCOMPARE(f.item(QString("BANK[OFF%1]").arg(n)), // 660 up, past 1020 from 40
                         double((640 + 40 * i) % 1020 + 20));
                QCOMPARE(f.item(QString("BANK[TR%1]").arg(n)), double(n - 1));
            }
        }
        QCOMPARE(f.take(), QList<QByteArray>());
    }

    // Every word is tried and paused after, also at slave 0 (where no chip answers here);
    // without a slave (SA -1) nothing is tried or waited for. The read loops bring the chip's
    // words into BANK and the page's controls show them.
    void bankLoops()
    {
        f.bus.editChip(0, [](FakeMatrixChip &chip) {
            chip.words[3] = 0x0F0F0F;
            chip.words[17] = 0xABCDEF;
        });
        for (const auto &[command, sa, count, pause] :
             QList<std::tuple<QString, int, int, unsigned>>{{"Read_all2", 0, 4, 500},
                                                            {"Read_all1", 1, 15, 100},
                                                            {"Write_all", 1, 15, 100},
                                                            {"Write_all", -1, 0, 100},
                                                            {"Read_all2", 1, 4, 500}}) {
            BoardCommandsFixture::pauses().clear();
            f.set("SA", sa);
            QCOMPARE(f.run(command), QVariant(sa > 0));
            QCOMPARE(BoardCommandsFixture::pauses(), QList<unsigned>(count, pause));
            QCOMPARE(widgetsOutOfStep(f.page(), "BANK").join(" | "), QString());
        }
        QCOMPARE(boardGlobals().BANK.value(3 * 24, 3 * 24 + 23), 0x0F0F0Fu);
        QCOMPARE(boardGlobals().BANK.value(17 * 24, 17 * 24 + 23), 0xABCDEFu);
        // SA given a wider range still reaches no chip beyond 31.
        boardGlobals().SA.setRange(-1, 40);
        f.set("SA", 32);
        BoardCommandsFixture::pauses().clear();
        const qsizetype before = f.bus.frames().size();
        QCOMPARE(f.run("Write_all"), QVariant(false));
        QCOMPARE(f.run("Write_REG_14"), QVariant(false));
        boardGlobals().SA.setRange(-1, 31);
        f.set("SA", 1);
        QCOMPARE(f.bus.frames().size(), before);
        QCOMPARE(BoardCommandsFixture::pauses(), QList<unsigned>());
    }

    // Only plain numbers 0..31 of the list are written (an empty list is SA), each with three
    // four-word frames: PID1 holds the address, PID2 the first word. A number too big for an
    // int is no address 0.
    void writeOnOff()
    {
        for (const auto &[list, count, last] :
             QList<std::tuple<QString, int, int>>{{"", 1, 1},
                                                  {"-1;+2;0x3;1a;32", 0, 1},
                                                  {"0;31;007", 3, 7},
                                                  {"99999999999;4294967296;2147483648", 0, 7},
                                                  {"32;-1;abc;7;99999999999;31;0", 3, 0},
                                                  {"1;;x;40;3", 2, 3}}) {
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
        // With the broadcast MAPENA asked for, the chips' mapping is enabled after the writes.
        for (int chip : {0, 1})
            f.bus.editChip(chip, [](FakeMatrixChip &c) { c.words[13] = 0; });
        f.widget<QAbstractButton>("chbMAPENA")->setChecked(true);
        QCOMPARE(f.run("Write_on_off"), QVariant(true));
        f.widget<QAbstractButton>("chbMAPENA")->setChecked(false);
        QCOMPARE(f.bus.chip(0).word(13) & f.bus.chip(1).word(13) & 1u, 1u);
    }

    // Started from its button, a multi-register command shows a progress window whose bar
    // advances with each word or frame group, and closes it at the end.
    void progressFromButtons()
    {
        f.set("SA", 1);
        f.widget<QLineEdit>("leAddessBox")->setText("1;2");
        for (const auto &[command, steps] : QList<QPair<QString, QList<int>>>{
                 {"Read_all2()", {15, 16, 17, 18}}, {"Write_on_off()", {1, 5, 9, 1, 5, 9}}}) {
            ProgressRecorder recorder;
            for (QPushButton *button : f.page()->findChildren<QPushButton *>())
                if (CustomControls::AccessibleNames::bindingName(button) == command)
                    button->click();
            QTRY_COMPARE(recorder.values, steps);
            QTRY_VERIFY(!recorder.anyShown());
        }
        f.widget<QLineEdit>("leAddessBox")->clear();
        f.take();
    }

    // A typed rate wins over the list; a negative one is refused and nothing is sent.
    void baudRate()
    {
        for (const auto &[typed, index, line] : QList<std::tuple<QString, int, QByteArray>>{
                 {"0", 2, "set SER2BAUD=500000"},
                 {"fast", 1, "set SER2BAUD=250000"},
                 {"", 3, "set SER2BAUD=1000000"},
                 {"115200", 3, "set SER2BAUD=115200"},
                 {"1", 3, "set SER2BAUD=1"},
                 {"", -1, ""},
                 {"-5", 1, ""},
                 {"", 0, "set SER2BAUD=125000"}}) { // the chips' rate again
            f.widget<QLineEdit>("leUART")->setText(typed);
            f.widget<QComboBox>("cbBAUDRATE")->setCurrentIndex(index);
            QCOMPARE(f.run("BAUDRATE"), QVariant(false));
            QCOMPARE(f.takeSettled(),
                     line.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{line});
        }
    }
};

QTEST_MAIN(TestBoardCommands)
#include "tst_boardcommands.moc"
