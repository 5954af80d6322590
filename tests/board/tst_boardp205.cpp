// The KVL52205 power stage through a simulated chip: its command words and transfers, what the
// page's controls and commands send and read, the currents, and the controller's PWM lines.
#include "applethelper.h"
#include "boardappfixture.h"
#include "mainwindow.h"
#include "sliderdrag.h"
#include "spip205.h"
#include "testfiles.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QLineEdit>
#include <QTabWidget>
#include <QtTest>

namespace
{

using Lines = QList<QByteArray>;

// Two transfers of word, each a set line and the get that follows it.
Lines transfers(quint16 word)
{
    const QByteArray set =
        "set SPI0CS0DATA=02" + QByteArray::number(word, 16).rightJustified(4, '0');
    return {set, "get SPI0CS0DATA", set, "get SPI0CS0DATA"};
}
Lines write(int address, unsigned value)
{
    return transfers(SpiP205::writeWord(address, value));
}

} // namespace

class TestBoardP205 : public QObject
{
    Q_OBJECT

    PowerAppFixture f;

    QAbstractSlider *slider(const char *name) { return f.widget<QAbstractSlider>(name); }
    QAbstractButton *button(const char *name) { return f.widget<QAbstractButton>(name); }
    QString text(const char *name) { return f.widget<QLineEdit>(name)->text(); }
    void setRegister(int address, quint16 value) { f.spi.setKvl52205Register(address, value); }
    double status(const QString &field) { return f.item("P205STATUS[" + field + "]"); }
    int image(int address) { return PowerProbe::p205Image(f.page(), address); }

private slots:
    void initTestCase() { QVERIFY(f.start()); }
    void init() { f.take(); }
    void cleanup() { QCOMPARE(f.spi.violations(), QStringList()); }

    // Read words carry a 5-bit address, write words a 4-bit one and ten value bits; every
    // word has an odd number of ones.
    void commandWords()
    {
        const struct {
            int address, value; // value -1: a read
            uint word;
        } rows[] = {{0, -1, 0x0200},    {3, -1, 0x0E00},    {0x13, -1, 0x4C00}, {31, -1, 0x7C00},
                    {33, -1, 0x0400},   {6, 0, 0xB000},     {6, 2, 0xB402},     {3, 0x155, 0x9D55},
                    {1, 0x3FF, 0x8FFF}, {13, 0x40, 0xE840}, {5, 0x400, 0xA800}, {16, 0x40, 0x8440}};
        for (const auto &r : rows) {
            const quint16 word = r.value < 0 ? SpiP205::readWord(r.address)
                                             : SpiP205::writeWord(r.address, unsigned(r.value));
            QCOMPARE(uint(word), r.word);
            QCOMPARE(SpiP205::oddParity(word), 1u);
        }
    }

    // A read clocks its word twice and takes the second answer; a write sends it twice. A
    // write address beyond the 4-bit field is refused instead of reaching register 0.
    void chipTransfers()
    {
        SpiP205 chip;
        unsigned value = 0;
        setRegister(0x13, 0xA0);
        QVERIFY(chip.readRegister(0x13, &value));
        QCOMPARE(value, 0xA0u);
        QCOMPARE(f.take(), transfers(0x4C00));
        setRegister(0, 0x3FF);
        QVERIFY(chip.writeRegister(3, 0x7155));
        QVERIFY(chip.writeRegister(15, 0x2AA));
        for (int address : {-1, 16, 32})
            QVERIFY(!chip.writeRegister(address, 0));
        QCOMPARE(f.take(), write(3, 0x155) + write(15, 0x2AA));
        QCOMPARE(f.spi.kvl52205Register(3), quint16(0x155));
        QCOMPARE(f.spi.kvl52205Register(0), quint16(0x3FF));
        QVERIFY(chip.writeRegister(0, 0x155)); // the lowest register takes writes too
        QCOMPARE(f.take(), write(0, 0x155));
        QCOMPARE(f.spi.kvl52205Register(0), quint16(0x155));
        // A write stands on its first transfer; a read on the second answer, as the whole word,
        // leaving the value alone when it fails.
        f.spi.scriptAnswer("SPI0CS0DATA", "SPI0CS0DATA=020000");
        f.spi.scriptAnswer("SPI0CS0DATA", "SPI0CS0DATA=err");
        QVERIFY(chip.writeRegister(1, 0x3FF));
        f.take();
        const QByteArray word = "SPI0CS0DATA=02fdcb", error = "SPI0CS0DATA=err";
        const QList<QPair<QByteArray, QByteArray>> answers{
            {"SPI0CS0DATA=020000", word}, {error, word}, {word, error}, {word, "SPI0CS0DATA=02zz"}};
        for (const auto &[first, second] : answers) {
            f.spi.scriptAnswer("SPI0CS0DATA", first);
            f.spi.scriptAnswer("SPI0CS0DATA", second);
            value = 0x1234;
            QCOMPARE(chip.readRegister(24, &value), second == word);
            QCOMPARE(value, second == word ? 0xFDCBu : 0x1234u);
            QCOMPARE(f.take(), transfers(0x6200));
        }
    }

    // Boost codes and voltages both ways (typed voltages round to a tenth first, and beyond the
    // top the code stays at 127). What the controls write: the dial register 3 (a drag only
    // shows the voltage), the switches 1 and 2, the threshold dials 4 and 5, the off-times
    // their halves of 6.
    void controls()
    {
        const QList<QPair<int, double>> volts{
            {0, 11.0}, {1, 15.0}, {2, 15.8}, {3, 16.2}, {127, 64.5}};
        for (const auto &[code, v] : volts)
            QCOMPARE(f.page()->boostVoltageOfCode(code), v);
        const QList<QPair<double, int>> codes{{12.96, 0}, {13.06, 1},  {15.9, 1},
                                              {16.0, 2},  {64.5, 126}, {75.0, 127}};
        for (const auto &[v, code] : codes)
            QCOMPARE(Board::boostCodeOfVoltage(v), code);
        f.set("BoostVoltage", 20.0);
        f.page()->on_leBoostVoltage_editingFinished();
        QCOMPARE(f.item("BOOSTP205[VSETPOINT]"), 12.0);
        f.take();
        slider("dialBoostVoltage")->setValue(2);
        QCOMPARE(f.item("BoostVoltage"), 15.8);
        f.page()->on_dialBoostVoltage_sliderMoved(127);
        QCOMPARE(f.item("BoostVoltage"), 64.5);
        QCOMPARE(f.take(), write(3, 2));
        for (const char *name : {"cbBOOSTEN", "cbBOOSTSRC", "dialBuck1", "dialBuck2"})
            name[0] == 'c' ? button(name)->setChecked(false) : slider(name)->setValue(1);
        slider("hsRIPPLE2")->setValue(3);
        slider("hsRIPPLE1")->setValue(0);
        f.take();
        button("cbBOOSTSRC")->setChecked(true);
        button("cbBOOSTEN")->setChecked(true);
        slider("dialBuck1")->setValue(255);
        slider("dialBuck2")->setValue(100);
        slider("hsRIPPLE1")->setValue(5);
        QCOMPARE(f.take(),
                 write(1, 1) + write(2, 0x20) + write(4, 255) + write(5, 100) + write(6, 0x14C));
        QCOMPARE(f.item("BOOSTP205[EN]"), 1.0);
        QCOMPARE(f.item("BUCK1[TOFF_SET]"), 5.0);
        QCOMPARE(text("leCH1"), QStringLiteral("412.0"));
        QCOMPARE(text("leCH2"), QStringLiteral("86.3"));
        QCOMPARE(text("leRIPPLE1Current"), QStringLiteral("29.2"));
        slider("dialBuck1")->setValue(0);
        QCOMPARE(text("leCH1"), QStringLiteral("31.5"));
        button("cbBOOSTEN")->setChecked(false);
        QCOMPARE(f.spi.kvl52205Register(2), quint16(0));
    }

    // A typed off-time keeps four bits of its own channel's half of register 6 (channel 1 the
    // high one); text that is no number writes nothing.
    void typedOffTimes()
    {
        for (const int channel : {1, 2}) {
            const QString own = QString::number(channel), other = QString::number(3 - channel);
            for (const auto &[typed, kept] :
                 QList<QPair<QString, int>>{{"7", 7}, {"20", 4}, {"x2", -1}, {"", -1}}) {
                slider(qPrintable("hsRIPPLE" + other))->setValue(9);
                slider(qPrintable("hsRIPPLE" + own))->setValue(0);
                slider(qPrintable("hsRIPPLE" + own))->setValue(1);
                f.take();
                f.widget<QLineEdit>(qPrintable("leRIPPLE" + own))->setText(typed);
                channel == 1 ? f.page()->on_leRIPPLE1_editingFinished()
                             : f.page()->on_leRIPPLE2_editingFinished();
                const int shift = channel == 1 ? 6 : 2; // the other channel's is 8 - shift
                QCOMPARE(f.take(), kept < 0
                                       ? Lines()
                                       : write(6, unsigned(kept) << shift | 9u << (8 - shift)));
                QCOMPARE(f.item("BUCK" + own + "[TOFF_SET]"), kept < 0 ? 1.0 : double(kept));
                QCOMPARE(f.item("BUCK" + other + "[TOFF_SET]"), 9.0);
            }
        }
    }

    // A drag of an off-time slider shows its channel's code and time as the handle goes and
    // writes nothing; let go, it writes its half of register 6 once.
    void offTimeDrags()
    {
        QWidget *tab = f.widget<QWidget>("p205"); // a KVL52404 board disables the tab
        const bool wasEnabled = tab->isEnabled();
        tab->setEnabled(true);
        f.app->mainWindow()->show();
        f.page()->showWindow();
        auto *tabs = f.widget<QTabWidget>("tabWidget");
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->isAncestorOf(slider("hsRIPPLE1")))
                tabs->setCurrentIndex(i);
        QVERIFY(QTest::qWaitForWindowExposed(f.app->mainWindow()));
        QTRY_VERIFY(slider("hsRIPPLE2")->width() > 100);
        for (const QString n : {"1", "2"}) {
            QAbstractSlider *s = slider(qPrintable("hsRIPPLE" + n));
            QVERIFY(s->isEnabled());
            s->setValue(0);
            f.take();
            for (const auto &[code, time] : QList<QPair<int, QString>>{{3, "36.2"}, {12, "13.8"}}) {
                {
                    SliderDrag drag(s);
                    while (s->sliderPosition() < code && s->sliderPosition() < s->maximum())
                        drag.move(1);
                    QCOMPARE(s->sliderPosition(), code);
                    QCOMPARE(f.item("BUCK" + n + "[TOFF_SET]"), double(code));
                    QCOMPARE(text(qPrintable("leRIPPLE" + n + "Current")), time);
                    QCOMPARE(f.take(), Lines());
                }
                const unsigned shift = n == "1" ? 6 : 2;
                QCOMPARE((f.spi.kvl52205Register(6) >> shift) & 0xF, unsigned(code));
                QCOMPARE(f.take(), write(6, f.spi.kvl52205Register(6)));
            }
        }
        tab->setEnabled(wasEnabled);
    }

    // Each channel divides by its own rating (the ripple its own off time); a zero rating leaves
    // the currents alone. The average is the peak less half the ripple, rounded half up.
    void currents()
    {
        const struct {
            double peak, ripple, average;
        } rows[] = {
            {500, 500, 250}, {100, 201, 0}, {100, 203, -1}, {102.5, 200, 3}, {102.4, 200, 2}};
        for (const auto &r : rows) {
            f.set("IPEAK2", r.peak);
            f.set("IRIPPLE2", r.ripple);
            PowerProbe::average(f.page(), 2);
            QCOMPARE(f.item("IAVERAGE2"), r.average);
        }
        Board *page = f.page();
        PowerProbe::setScales(page, 200, 100);
        f.set("IRIPPLE1", 0.0);
        slider("hsRIPPLE1")->setValue(1);
        page->on_hsRIPPLE1_sliderMoved(0);
        QCOMPARE(f.item("IRIPPLE1"), 500.0);
        PowerProbe::setPeakScales(page, 200, 100);
        page->on_dialBuck1_sliderMoved(0); // threshold 31.5
        page->on_dialBuck2_sliderMoved(0);
        QCOMPARE(f.item("IPEAK1"), 157.5);
        QCOMPARE(f.item("IPEAK2"), 315.0);
        QCOMPARE(f.item("IAVERAGE1"), -92.0); // 157.5 - 250 = -92.5, halves upward
        page->on_dialBuck1_sliderMoved(100);  // threshold 86.3, on channel 1's display only
        QCOMPARE(QStringList({text("leCH1"), text("leCH2")}), QStringList({"86.3", "31.5"}));
        QCOMPARE(f.item("IPEAK1"), 431.5);
        // Coils of two ratings: each channel's off time over its own rating.
        PowerProbe::setRippleScales(page, 200, 100);
        page->on_hsRIPPLE2_sliderMoved(12); // 13.8
        page->on_hsRIPPLE1_sliderMoved(3);  // 36.2
        QCOMPARE(f.item("IRIPPLE1"), 181.0);
        QCOMPARE(f.item("IRIPPLE2"), 138.0);
        PowerProbe::setScales(page, 0, 0);
        f.set("IRIPPLE2", 100.0);
        page->on_dialBuck2_sliderMoved(10);
        page->on_hsRIPPLE2_sliderMoved(2);
        QCOMPARE(f.item("IPEAK2"), 315.0);
        QCOMPARE(f.item("IRIPPLE2"), 100.0);
        f.take();
    }

    // Readings into their status fields and variables, high bits ignored. A zero LED voltage
    // gives way to the on-voltage register; all-clear measurement enables (nine bits of 0x0D)
    // are set first, keeping the other bits.
    void readings()
    {
        const auto ratings = [this] {
            const Board::DriverRatings r = f.page()->driverRatings();
            return QList<int>({r.ripple1, r.ripple2, r.peak1, r.peak2});
        };
        const QList<int> ratingsBefore = ratings();
        setRegister(0x14, 0x64);
        setRegister(0x13, 0x1B6);
        QCOMPARE(f.run("readAdcVBAT"), QVariant(false));
        QCOMPARE(f.run("readAdcVBOOST"), QVariant(false));
        QCOMPARE(QList<double>({status("VBAT"), status("VBOOST"), f.item("BatteryVoltage")}),
                 QList<double>({100, 182, 15.7}));
        QCOMPARE(f.item("BoostVoltageMeas"), 0xB6 * 0.274);
        const struct {
            int channel, vled, shown, control, controlAfter;
        } rows[] = {// clang-format off
            {1, 0x64, 0x64, 0x200, 0x27F}, {1, 0x200, 0x33, 0, 0x7F},
            {2, 0x100, 0x33, 0x201, 0x201}, {2, 0x1F0, 0xF0, 0x100, 0x100}}; // clang-format on
        for (const auto &r : rows) {
            const QString n = QString::number(r.channel);
            f.set("P205STATUS[VLED" + n + "ON]", 0xEE);
            setRegister(0x0D, quint16(r.control));
            setRegister(0x10 + r.channel - 1, quint16(r.vled));
            setRegister(0x0E + r.channel - 1, 0x33);
            QCOMPARE(f.run("adcVLED" + n), QVariant(true));
            QCOMPARE(status("VLED" + n), double(r.shown));
            QCOMPARE(status("VLED" + n + "ON"), (r.vled & 0xFF) ? 238.0 : 51.0);
            QCOMPARE(text(r.channel == 1 ? "leVLED1" : "leVLED2"),
                     QString::number(r.shown * 0.274, 'f', 1));
            QCOMPARE(int(f.spi.kvl52205Register(0x0D)), r.controlAfter);
        }
        QCOMPARE(ratings(), ratingsBefore); // the register image has no room for the readings
        // The on-voltage readings keep their own registers' images, the enables theirs.
        QCOMPARE(QList<int>({image(0x0D), image(0x0E), image(0x0F)}),
                 QList<int>({0x7F, 0x33, 0x33}));
        // There are two channels only: a name beyond them is no command and reads nothing.
        f.take();
        for (const char *name : {"adcVLED0", "adcVLED3"}) {
            QCOMPARE(f.run(QLatin1String(name)), QVariant(false));
            QCOMPARE(f.take(), Lines());
        }
    }

    // Registers 0x0E..0x16 give their low bytes, 0x17 and 0x18 their flags (bit 5 of 0x18
    // unused).
    void status()
    {
        const QStringList flags17 = QStringLiteral("OCLED2 SHORTLED2 OPENLED2 OCLED1 SHORTLED1 "
                                                   "OPENLED1 BUCKACTIVE2 BUCKACTIVE1")
                                        .split(' ');
        const QStringList flags18 =
            QStringLiteral("TW TSD SPIERR LED2VAL LED1VAL - BOOST_OV BOOST_STATUS").split(' ');
        const QStringList bytes = QStringLiteral("VLED1ON VLED2ON VLED1 VLED2 VTEMP VBOOST VBAT "
                                                 "BUCK1_TON_DUR BUCK2_TON_DUR")
                                      .split(' ');
        // Alternating bits tell each flag from its neighbours.
        for (const auto &[v17, v18] : {qMakePair(0x55, 0x55), qMakePair(0x2AA, 0xAA),
                                       qMakePair(0x55, 0x1F), qMakePair(0x2AA, 0xE0)}) {
            for (int a = 0x0E; a <= 0x16; ++a)
                setRegister(a, quint16(0x300 + a + v17));
            setRegister(0x17, quint16(v17));
            setRegister(0x18, quint16(v18));
            QSignalSpy announced(&boardGlobals().P205STATUS, &Register::signal_updateSet);
            QCOMPARE(f.run("readStatus"), QVariant(true));
            QVERIFY2(announced.count() <= 1, "each field announced on its own");
            for (int bit = 0; bit < 8; ++bit) {
                QCOMPARE(status(flags17[bit]), double((v17 >> bit) & 1));
                if (bit != 5) // unused
                    QCOMPARE(status(flags18[bit]), double((v18 >> bit) & 1));
                QCOMPARE(status(bytes.value(bit)), double((0x0E + bit + v17) & 0xFF));
            }
            QCOMPARE(status(bytes[8]), double((0x16 + v17) & 0xFF));
        }
        QVERIFY(!boardGlobals().P205STATUS.signalsBlocked());
    }

    // The register images go back to the chip, register 2 (the enables) last.
    void restartBoost()
    {
        QCOMPARE(f.run("restartBoost"), QVariant(false));
        QCOMPARE(chipWords(f.take()),
                 QStringLiteral("w1 w1 w3 w3 w4 w4 w5 w5 w6 w6 w7 w7 w8 w8 w9 w9 w10 w10 w2 w2"));
    }

    // Frequencies go out in hertz with no duty, duties in percent (100 at most) alone, whatever
    // the line did before.
    void pwmLines()
    {
        const struct {
            const char *command, *item;
            int value;
            const char *dimming;
            QByteArray line;
        } rows[] = {// clang-format off
            {"setBoostCLK", "BOOSTFREQ", 300, "PWM1", "set PWM1FREQ=300000"},
            {"setBoostCLK", "BOOSTFREQ", 1, "PWM2", "set PWM1FREQ=1000"},
            {"setCLKFreq1", "FREQ1", 100000, "LEDCTRL1", "set PWM0FREQ=100000"},
            {"setCLKFreq2", "FREQ2", 2500, "LEDCTRL2", "set PWM2FREQ=2500"},
            {"setDuty1", "DUTY1", 40, "LEDCTRL1", "set PWM0DUTY=40"},
            {"setDuty1", "DUTY1", 30, "PWM1", "set PWM0DUTY=30"},
            {"setDuty2", "DUTY2", 0, "PWM2", "set PWM2DUTY=0"},
            {"setDuty2", "DUTY2", 60, "LEDCTRL2", "set PWM2DUTY=60"},
            {"setDuty2", "DUTY2", 100, "PWM2", "set PWM2DUTY=100"}}; // clang-format on
        for (const auto &r : rows) {
            f.set(r.dimming, 1);
            f.set(r.item, r.value);
            f.take();
            QCOMPARE(f.run(r.command), QVariant(false));
            QCOMPARE(f.take(), r.line.isEmpty() ? Lines() : Lines{r.line});
        }
        Board *page = f.page();
        page->sendPwmSettings(0, 150, 0);
        page->sendPwmSettings(1, 0, 300000);
        page->sendPwmSettings(2, 50, 1000);
        page->sendPwmSettings(0, 0, 0);
        QCOMPARE(f.take(), (Lines{"set PWM0DUTY=100", "set PWM1FREQ=300000", "set PWM2FREQ=1000",
                                  "set PWM2DUTY=50", "set PWM0DUTY=0"}));
        f.set("LEDCTRL1", 1);
        f.set("LEDCTRL2", 1);
        f.take();
    }

    // A duty set by its command dims its line by PWM whatever the line did: the duty goes out
    // once, and the page shows PWM on and the static line off on both tabs, with the four
    // widgets of the line enabled, as after the user's tick of PWM; a refresh then sends nothing.
    void dutyDimsTheLine()
    {
        QWidget *tab = f.widget<QWidget>("p205");
        const double duties[] = {f.item("DUTY1"), f.item("DUTY2")};
        for (const QString n : {"1", "2"}) {
            const QByteArray output = n == "1" ? "PWM0" : "PWM2";
            for (const QString before : {"LEDCTRL", "PWM", ""}) {
                f.set("LEDCTRL" + n, 0);
                f.set("PWM" + n, 0);
                if (!before.isEmpty())
                    f.set(before + n, 1);
                f.set("DUTY" + n, 75);
                f.take();
                QCOMPARE(f.run("setDuty" + n), QVariant(false));
                QCOMPARE(f.take(), Lines{"set " + output + "DUTY=75"});
                QCOMPARE(QList<double>({f.item("LEDCTRL" + n), f.item("PWM" + n)}),
                         QList<double>({0, 1}));
                for (const QString box : {"cbPWM" + n, "cbPWM" + n + "P404"})
                    QVERIFY2(button(qPrintable(box))->isChecked(), qPrintable(box));
                for (const QString box : {"cbLEDCTRL" + n, "cbLEDCTRL" + n + "P404"})
                    QVERIFY2(!button(qPrintable(box))->isChecked(), qPrintable(box));
                for (const QString name :
                     {"leFREQ" + n, "pbBoard_setCLKFreq" + n, "leDUTY" + n, "pbBoard_setDuty" + n})
                    QVERIFY2(f.widget<QWidget>(qPrintable(name))->isEnabledTo(tab),
                             qPrintable(name));
                f.page()->slot_updateAllControls();
                QCOMPARE(f.take(), Lines());
            }
        }
        f.set("LEDCTRL1", 1);
        f.set("LEDCTRL2", 1);
        f.set("DUTY1", duties[0]);
        f.set("DUTY2", duties[1]);
        f.take();
    }

    // The static line holds the output full on; PWM dims it at the set duty; neither leaves
    // it off. Turning the static line off while PWM dims sends nothing. Each box writes its
    // variable, so the other tab's boxes follow and a refresh sends nothing.
    void ledControlLines()
    {
        QAbstractButton *led = button("cbLEDCTRL2");
        QAbstractButton *pwm = button("cbPWM2");
        led->setChecked(false);
        pwm->setChecked(false);
        f.set("DUTY2", 30);
        f.set("DUTY1", 45); // each line its own duty
        f.take();
        led->setChecked(true);
        pwm->setChecked(true);
        QVERIFY(!led->isChecked() && !button("cbLEDCTRL2P404")->isChecked());
        QCOMPARE(QList<double>({f.item("LEDCTRL2"), f.item("PWM2")}), QList<double>({0, 1}));
        const Lines ticked = f.take();
        f.page()->slot_updateAllControls();
        QCOMPARE(f.take(), Lines());
        pwm->setChecked(false);
        button("cbPWM1")->setChecked(true);
        const Lines before = ticked + f.take();
        f.page()->on_cbLEDCTRL1_toggled(false);
        button("cbPWM1")->setChecked(false);
        QCOMPARE(before + f.take(), (Lines{"set PWM2DUTY=100", "set PWM2DUTY=30", "set PWM2DUTY=0",
                                           "set PWM0DUTY=45", "set PWM0DUTY=0"}));
    }

    // Only a write of BOOSTPWM reaches the board: it starts or stops PWM 1. A bulk read or
    // write of every item (a register file applied from the help window) fails on none.
    void boostPwm()
    {
        for (const QVariant &value : {QVariant(0), QVariant(1), QVariant(0), QVariant("1")}) {
            QVERIFY(f.setItem("Board.BOOSTPWM", value));
            const bool on = value.toInt() == 1;
            QCOMPARE(f.take(), Lines{on ? "set PWM1START" : "set PWM1STOP"});
            QCOMPARE(f.pwm.pwm1Running(), on);
        }
        QVariant value;
        QVERIFY(f.getItem("Board.BOOSTPWM", &value) && f.setItem("Board.FREQ1", 1));
        QCOMPARE(f.takeSettled(), Lines());
        const qsizetype boxes = f.prompt.messages().size();
        QVERIFY(f.page()->readParameters("*") && f.page()->writeParameters("*"));
        QCOMPARE(f.prompt.messages().size(), boxes);
        QCOMPARE(f.take(), Lines{"set PWM1START"});
    }

    // The console's Fill 0 and Fill 1 (of a field: its whole register) and an applied register
    // file write the KVL52205's registers as the page's controls would: the chip then holds
    // what the page shows.
    void consoleWrites()
    {
        AppletHelper console(f.page(), QStringLiteral("HELP:Board"));
        for (const auto &[item, ones] : QList<QPair<QString, bool>>{{"BUCK1", true},
                                                                    {"BUCK1", false},
                                                                    {"BUCK2", true},
                                                                    {"BOOSTP205", true},
                                                                    {"BUCK2", false},
                                                                    {"BOOSTP205", false},
                                                                    {"BUCK1[VTHR]", true}}) {
            const QString name = item.section('[', 0, 0);
            console.itemCombo()->setEditText(item);
            console.button(ones ? "Fill 1" : "Fill 0")->click();
            QCOMPARE(f.item(name + "[EN]"), ones ? 1.0 : 0.0);
            QVERIFY(chipWords(f.take()).contains('w'));
            QCOMPARE(p205Differences(f.spi).filter(name + "["), QStringList());
        }
        Register file(boardGlobals().BUCK2);
        file.setField("[VTHR]", 90);
        file.setField("[TOFF_SET]", 3);
        file.setField("[EN]", 1);
        QVERIFY(TestFiles::write("buck2.101", "BUCK2::" + file.toBitString(true) + "\n"));
        QVERIFY(console.applyRegisterFile("buck2.101"));
        QCOMPARE(f.item("BUCK2[VTHR]"), 90.0);
        QCOMPARE(f.item("BUCK2[TOFF_SET]"), 3.0);
        QCOMPARE(p205Differences(f.spi).filter("BUCK2["), QStringList());
        const QStringList words = chipWords(f.take()).split(' ');
        QCOMPARE(QSet<QString>(words.begin(), words.end()), (QSet<QString>{"w5", "w6"}));
    }

    // A failed link fails the readings, which show 0, and writes nothing back. Last: the
    // refusal stays.
    void refusedLink()
    {
        setRegister(0x0D, 0x200);
        f.set("P205STATUS[VLED1]", 0x55);
        f.board.refuse("SPI0CS0DATA");
        QCOMPARE(f.run("adcVLED1"), QVariant(false));
        QCOMPARE(status("VLED1"), 0.0);
        QCOMPARE(text("leVLED1"), QStringLiteral("0.0"));
        QCOMPARE(f.run("readStatus"), QVariant(false));
        QVERIFY(!boardGlobals().P205STATUS.signalsBlocked());
        QCOMPARE(int(f.spi.kvl52205Register(0x0D)), 0x200);
        QCOMPARE(chipWords(f.take()).contains('w'), false);
        SpiP205 chip;
        unsigned value = 7;
        QVERIFY(!chip.writeRegister(6, 2));
        QVERIFY(!chip.readRegister(0x13, &value));
        QCOMPARE(f.take(), (Lines{"set SPI0CS0DATA=02b402", "set SPI0CS0DATA=024c00",
                                  "set SPI0CS0DATA=024c00"}));
        SpiRaw *tool = spiRaw;
        spiRaw = nullptr; // without the SPI tool nothing is sent
        const bool any = chip.readRegister(1, &value) || chip.writeRegister(1, 1);
        spiRaw = tool;
        QVERIFY(!any);
        QCOMPARE(value, 7u);
        QCOMPARE(f.take(), Lines());
    }
};

QTEST_MAIN(TestBoardP205)
#include "tst_boardp205.moc"
