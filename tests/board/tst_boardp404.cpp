// The KVL52404 power stage through a simulated chip: frames with their CRCs, the map commands
// and their refusals, answer checks and the progress of a list. (The readouts and what the
// page's controls write: tst_boardp404page.)
#include "dialogprogressbar.h"
#include "logs.h"
#include "p404fixture.h"
#include "progressrecorder.h"

#include <QtTest>

#include <atomic>

namespace
{

// The lines of one frame exchange each on LED chip select 0.
Lines frames(const QList<quint32> &words)
{
    Lines lines;
    for (quint32 word : words)
        lines << "set SPILEDCS0DATA=04" + QByteArray::number(word, 16).rightJustified(8, '0')
              << "get SPILEDCS0DATA";
    return lines;
}

QStringList logTexts(const QSignalSpy &spy, int level)
{
    QStringList texts;
    for (const QList<QVariant> &args : spy)
        if (args.at(0).toInt() == level)
            texts << args.at(1).toString();
    return texts;
}

// Counts the error beeps (880 Hz), from any thread.
struct CountingTones : ToneOutput {
    CountingTones() { install(this); }
    ~CountingTones() override { install(nullptr); }
    void play(int frequencyHz, int) override { count += frequencyHz == 880; }
    std::atomic<int> count{0};
};

} // namespace

class TestBoardP404 : public P404Test
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(start()); }
    void init() { f.take(); }
    void cleanup() { checkAndReset(); }

    // The map commands' lines, results and the items they leave. Rows run in order; each sets
    // the page items ("[FIELD]" a field of SPI_MAPP404) and chip words (by address) it uses.
    void commands()
    {
        const struct {
            const char *command, *args, *items, *chip;
            bool result;
            QList<quint32> frames;
            const char *after;
        } rows[] = {
            // clang-format off
            {"Read", "55", "[VBST]=0", "55=0xAB", true, {0x6E000009},
             "[VBST]=0xAB SPI_OUT_RD_TP404[READ_DATA]=0xAB"},
            {"Read", "06;42", "", "6=0x1F 42=0x1AB", true, {0x0C000006, 0x54000005},
             "[BUCK2_FREQ]=0x1F [VLED2]=0x1AB"},
            // The boost set point's voltage and the average current follow their words.
            {"Read", "18;1", "", "18=0x3F8 1=0x3FF", true, {0x24000000, 0x02000000},
             "[BST_VSETPOINT]=127 BoostVoltage=62 IAVERAGE1=1600"},
            {"Read", "", "", "", false, {}, ""},
            {"Read", "2;x", "[BUCK1_FREQ]=7", "2=9", false, {}, "[BUCK1_FREQ]=7"},
            {"Write", "13", "[BUCK1_EN]=1 [BUCK2_EN]=1", "", true, {0x9A000035},
             "SPI_OUT_WR_TP404[LAST_ADDR]=13"},
            {"Write", "14;15", "[BST1_VLIM_THR]=0x32 [BST1_COMP_DIV]=0 [BST1_SLP_CTRL]=0 "
             "[BST2_VLIM_THR]=1 [BST2_COMP_DIV]=0 [BST2_SLP_CTRL]=7", "", true,
             {0x9C000320, 0x9E03801A}, ""},
            {"ReadVBOOST", "", "", "55=0x11FF", true, {0x6E000009}, "BoostVoltageMeas=69.86328125"},
            {"ReadVLED", "1", "", "2=0x4000 35=0x1500", true, {0x04000009, 0x4600000F}, "VLED1=17.5"},
            {"ReadVLED", "2", "", "6=0 42=256", true, {0x0C000006, 0x54000005}, "VLED2=35"},
            {"ReadVLED", "x", "", "", false, {}, ""},
            {"ReadVLED", "3", "", "", false, {}, ""},
            // The whole word of address 29 goes out, the reset bit with the other fields.
            {"swresetP404", "", "[SWRESET]=0 [BST_FAIL_OUT]=1", "", false, {0xBA002017},
             "[SWRESET]=1"},
            // Defaults replace their own fields and keep the rest of each word (VLED1_RNG).
            {"defaultP404", "", "[BUCK1_IAVG]=3 [BUCK2_IRNG]=2 [BUCK2_FREQ]=63 [VLED1_RNG]=1 "
             "[BUCK1_DIM_DUTY]=0 [BUCK2_EN]=1 [BST2_VLIM_THR]=50 [BST_SRC]=3 [BST1_EN]=0 "
             "[BST_VSETPOINT]=0", "", false, {0x8200080C, 0x8404014A, 0x86003FCF, 0x8A000803,
             0x8C00014D, 0x8E003FC0, 0x9A000000, 0x9C02415E, 0x9E024159, 0xA2080C12, 0xA4203233},
             "[BST_VSETPOINT]=100 [VLED1_RNG]=1"}}; // clang-format on
        for (const auto &r : rows) {
            for (const auto &[name, value] : pairs(r.items))
                f.set(name, value);
            for (const auto &[address, word] : pairs(r.chip))
                f.spi.setKvl52404Word(address.toInt(), quint32(word));
            f.take();
            QCOMPARE(f.run(r.command, r.args).toBool(), r.result);
            QCOMPARE(f.take(), frames(r.frames));
            for (const auto &[name, value] : pairs(r.after))
                QCOMPARE(f.item(name), value);
            QCOMPARE(widgetsOutOfStep(f.page(), "SPI_MAPP404").join(" | "), QString());
        }
        // The defaults' boost set point and first average current show at once (50.9 V, 100.4 mA).
        QCOMPARE(qRound(f.item("BoostVoltage") * 10), 509);
        QCOMPARE(qRound(f.item("IAVERAGE1") * 10), 1004);
    }

    // CRC-4 (x^4 + x + 1, seed 15): a frame's over its nibbles above bits 3..0, a block's over
    // all of them; a size that is no whole number of nibbles, or too short, gives the seed.
    void crcs()
    {
        const struct {
            int size;
            quint32 value, frame, block;
        } rows[] = {{3, 7, 15, 15},      {4, 0xF, 15, 0},   {6, 0x3F, 15, 15},  {8, 0xFF, 0, 2},
                    {10, 0x3FF, 15, 15}, {12, 0xFFF, 2, 4}, {12, 0x1A5, 14, 14}};
        for (const auto &r : rows) {
            Register bits(r.size, QStringLiteral("BLOCK"));
            bits.setValue(r.value);
            QCOMPARE(QList<quint32>({Board::CalculateCrc_T(bits), Board::CalculateCrc_Ext_T(bits)}),
                     QList<quint32>({r.frame, r.block}));
        }
    }

    // The status words of channel 1 (33..39) and channel 2 (40..46) lie apart; 47 is a filler.
    void statusWords()
    {
        Register *mapRegister = f.page()->binding("SPI_MAPP404")->reg;
        const auto first = [mapRegister](int address) {
            return mapRegister->selectByAttribute("ADD", QString::number(address))
                ->bitAt(0)
                ->name();
        };
        QCOMPARE(QStringList({first(33), first(39), first(40), first(46), first(47)}),
                 QStringList({"BUCK1_RUNNING", "BUCK1_IRIP_DAC", "BUCK2_RUNNING", "BUCK2_IRIP_DAC",
                              "NA47"}));
        // The fillers are marked as no data, every other field as data (one view at a time).
        const int dataBits = mapRegister->selectByAttribute("DATA", "1")->size();
        const Register *fillers = mapRegister->selectByAttribute("DATA", "0");
        QVERIFY(dataBits > 0 && fillers->size() > 0);
        QCOMPARE(dataBits + fillers->size(), mapRegister->size());
        for (int i = 0; i < fillers->size(); ++i)
            QVERIFY(fillers->bitAt(i)->name().startsWith("NA"));
        // The buck blocks' fillers are named after their own addresses, so each is one field.
        for (int address = 1; address <= 46; address = address == 8 ? 33 : address + 1) {
            const Register *word = mapRegister->selectByAttribute("ADD", QString::number(address));
            for (int i = 0; i < word->size(); ++i) {
                const QString name = word->bitAt(i)->name();
                QVERIFY2(!name.startsWith("NA") || name.startsWith("NA" + QString::number(address)),
                         qPrintable(name));
            }
        }
    }

    // Map addresses are one or two decimal digits below 64 ("07" and "63" pass). A list with an
    // element that names no word sends nothing and says which element it was; an empty list
    // sends nothing and fails without a warning.
    void refusedLists()
    {
        const QList<QPair<QStringList, QString>> lists{
            {{"1", "x"}, "x"}, {{"", "2"}, ""}, {{"07", "63", "64"}, "64"}, {{"0", "-1"}, "-1"},
            {{"+5"}, "+5"},    {{" 5"}, " 5"},  {{"0x5"}, "0x5"},           {{"100"}, "100"}};
        for (const auto &[addresses, bad] : lists) {
            for (bool write : {false, true}) {
                QSignalSpy log(f.page(), &Applet::signal_log);
                QVERIFY(
                    !(write ? f.page()->MemoryWrite(addresses) : f.page()->MemoryRead(addresses)));
                QCOMPARE(f.take(), Lines());
                QCOMPARE(logTexts(log, -1),
                         QStringList{"KVL52404: invalid register address \"" + bad + "\""});
            }
        }
        QSignalSpy log(f.page(), &Applet::signal_log);
        QVERIFY(!f.page()->MemoryRead({}) && !f.page()->MemoryWrite({}));
        QCOMPARE(f.take(), Lines());
        QCOMPARE(logTexts(log, -1), QStringList());
    }

    // SPIERR in the answer just received fails the list there; the next clean answer passes.
    // A wrong answer CRC keeps the data and the result and always leaves a warning; the beep
    // and the box only come from a bound push button.
    void answerChecks()
    {
        for (bool write : {false, true}) {
            f.spi.scriptAnswer("SPILEDCS0DATA", "SPILEDCS0DATA=0480000000");
            const QStringList two{"1", "2"};
            QVERIFY(!(write ? f.page()->MemoryWrite(two) : f.page()->MemoryRead(two)));
            QCOMPARE(f.take().size(), 2);
            QVERIFY(write ? f.page()->MemoryWrite(two) : f.page()->MemoryRead(two));
            QCOMPARE(f.take().size(), 4);
        }
        for (int row = 0; row < 4; ++row) {
            const bool fromButton = row >= 2, write = row % 2;
            CountingTones tones;
            const qsizetype boxes = f.prompt.messages().size();
            f.spi.setKvl52404Word(3, 0x777);
            setMap("BUCK2_DIM_DUTY", 0x21);
            f.spi.setCorruptAnswerCrc(true);
            PowerProbe::setFromButton(f.page(), fromButton);
            QSignalSpy log(f.page(), &Applet::signal_log);
            QVERIFY(write ? f.page()->MemoryWrite({"7"}) : f.page()->MemoryRead({"3"}));
            const QString text = write ? QStringLiteral("CRC failed, Written data invalid!")
                                       : QStringLiteral("CRC failed, Read data invalid!");
            QCOMPARE(logTexts(log, 1), QStringList{text});
            if (write)
                QCOMPARE(f.spi.kvl52404Word(7) >> 2 & 0xFF, 0x21u);
            else
                QCOMPARE(map("BUCK1_DIM_DUTY"), double((0x777u >> 2) & 0xFF));
            QCOMPARE(tones.count.load(), fromButton ? 1 : 0);
            QCOMPARE(f.prompt.messages().size(), boxes + (fromButton ? 1 : 0));
            if (fromButton)
                QCOMPARE(f.prompt.messages().last().text, text);
        }
    }

    // A list read or written from a bound push button shows its progress, the bar advancing
    // with each address named in its text line; one address, or a list run by name, shows none.
    void progressWindow()
    {
        bool shown = false;
        QObject watch; // during the list: a progress window is open
        connect(f.page(), &Applet::signal_log, &watch, [&shown] {
            for (QWidget *top : QApplication::topLevelWidgets())
                shown = shown || (qobject_cast<DialogProgressBar *>(top) && top->isVisible());
        });
        for (const auto &[fromButton, addresses] : QList<QPair<bool, QStringList>>{
                 {false, {"1", "2"}}, {true, {"1"}}, {true, {"1", "2", "3"}}}) {
            for (const bool write : {false, true}) {
                shown = false;
                ProgressRecorder recorder;
                PowerProbe::setFromButton(f.page(), fromButton);
                QVERIFY(write ? f.page()->MemoryWrite(addresses) : f.page()->MemoryRead(addresses));
                const bool list = fromButton && addresses.size() > 1;
                QCOMPARE(shown, list);
                const QStringList steps = {"1 0", "2 1", "3 2"}; // "text value"
                QCOMPARE(recorder.steps, list ? steps : QStringList());
                QTRY_VERIFY(!recorder.anyShown());
            }
        }
        f.take();
    }

    // Last: the refusal stays. Each call stops at its one refused frame.
    void transferFailure()
    {
        f.board.refuse("SPILEDCS0DATA");
        QVERIFY(!f.page()->MemoryRead({"1", "2"}));
        QVERIFY(!f.page()->MemoryWrite({"1", "2"}));
        QVERIFY(!f.page()->readVBoost());
        QVERIFY(!f.page()->readVLed(1));
        QCOMPARE(f.take().size(), 4);
    }
};

QTEST_MAIN(TestBoardP404)
#include "tst_boardp404.moc"
