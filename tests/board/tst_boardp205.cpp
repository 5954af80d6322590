// The KVL52205 page against a simulated KVL52205 on a pseudo-terminal: boost codes, register
// image writes of two transfers, off-times, the current estimate and the LED-control lines.
#include "boardglobals.h"
#include "powerappfixture.h"
#include "powerprobe.h"
#include "spip205.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QLineEdit>
#include <QtTest>

namespace
{

// The lines of one successful register write: the word sent twice, each with its read-back.
QList<QByteArray> p205Write(int address, unsigned value)
{
    const QByteArray set =
        QByteArrayLiteral("set SPI0CS0DATA=02") +
        QByteArray::number(SpiP205::writeWord(address, value), 16).rightJustified(4, '0');
    return {set, "get SPI0CS0DATA", set, "get SPI0CS0DATA"};
}

double variable(const char *name)
{
    BoardGlobals &g = boardGlobals();
    for (Variable *v : {&g.BoostVoltage, &g.IPEAK1, &g.IRIPPLE1, &g.IAVERAGE1, &g.IPEAK2,
                        &g.IRIPPLE2, &g.IAVERAGE2})
        if (v->name() == QLatin1String(name))
            return v->value();
    return -1e9;
}

} // namespace

class TestBoardP205 : public QObject
{
    Q_OBJECT

    PowerAppFixture f;
    Board *page = nullptr;

    QAbstractSlider *slider(const char *name) { return f.widget<QAbstractSlider>(name); }
    QAbstractButton *button(const char *name) { return f.widget<QAbstractButton>(name); }
    QLineEdit *edit(const char *name) { return f.widget<QLineEdit>(name); }
    // Whether the widget itself is enabled, whatever its page is.
    bool ownEnabled(const char *name)
    {
        return !f.widget<QWidget>(name)->testAttribute(Qt::WA_ForceDisabled);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        page = f.page();
        QVERIFY(page);
    }

    void init() { f.take(); }

    void cleanup() { QCOMPARE(f.spi.violations(), QStringList()); }

    void boostVoltageOfCode_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<double>("volts");
        QTest::newRow("0") << 0 << 11.0;
        QTest::newRow("1") << 1 << 15.0;
        QTest::newRow("2") << 2 << 15.8;
        QTest::newRow("3") << 3 << 16.2;
        QTest::newRow("127") << 127 << 64.5;
    }

    void boostVoltageOfCode()
    {
        QFETCH(int, code);
        QFETCH(double, volts);
        QCOMPARE(page->boostVoltageOfCode(code), volts);
    }

    void boostCodeOfVoltage_data()
    {
        QTest::addColumn<double>("volts");
        QTest::addColumn<int>("code");
        QTest::newRow("13.0") << 13.0 << 0;
        QTest::newRow("12.96 rounds to 13.0") << 12.96 << 0;
        QTest::newRow("13.06 rounds to 13.1") << 13.06 << 1;
        QTest::newRow("14.0") << 14.0 << 1;
        QTest::newRow("15.9") << 15.9 << 1;
        QTest::newRow("16.0") << 16.0 << 2;
        QTest::newRow("20.0") << 20.0 << 12;
        QTest::newRow("64.5") << 64.5 << 126;
        QTest::newRow("75 stays at the top code") << 75.0 << 127;
    }

    void boostCodeOfVoltage()
    {
        QFETCH(double, volts);
        QFETCH(int, code);
        QCOMPARE(Board::boostCodeOfVoltage(volts), code);
    }

    // The dial writes the voltage item and register 3; a drag only shows the voltage.
    void boostDial()
    {
        slider("dialBoostVoltage")->setValue(2);
        QCOMPARE(variable("BoostVoltage"), 15.8);
        QCOMPARE(f.take(), p205Write(3, 2));
        QCOMPARE(f.spi.kvl52205Register(3), quint16(2));
        page->on_dialBoostVoltage_sliderMoved(127);
        QCOMPARE(variable("BoostVoltage"), 64.5);
        QCOMPARE(f.take(), QList<QByteArray>());
    }

    void typedBoostVoltage()
    {
        QVERIFY(page->set(QStringLiteral("BoostVoltage"), 20.0, Variable::InternalKey));
        page->on_leBoostVoltage_editingFinished();
        QCOMPARE(page->get(QStringLiteral("BOOSTP205[VSETPOINT]"), Variable::InternalKey),
                 QVariant(12u));
    }

    void boostSwitches()
    {
        button("cbBOOSTEN")->setChecked(false);
        button("cbBOOSTSRC")->setChecked(false);
        f.take();
        button("cbBOOSTSRC")->setChecked(true);
        QCOMPARE(f.take(), p205Write(1, 1));
        button("cbBOOSTEN")->setChecked(true);
        QCOMPARE(f.take(), p205Write(2, 0x20));
        QCOMPARE(page->get(QStringLiteral("BOOSTP205[EN]"), Variable::InternalKey), QVariant(1u));
        button("cbBOOSTEN")->setChecked(false);
        QCOMPARE(f.spi.kvl52205Register(2), quint16(0));
    }

    void thresholds_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("shown");
        QTest::newRow("1, 0") << 1 << 0 << "31.5";
        QTest::newRow("1, 255") << 1 << 255 << "412.0";
        QTest::newRow("2, 100") << 2 << 100 << "86.3";
    }

    void thresholds()
    {
        QFETCH(int, channel);
        QFETCH(int, code);
        QFETCH(QString, shown);
        QAbstractSlider *dial = slider(channel == 1 ? "dialBuck1" : "dialBuck2");
        dial->setValue(code == 0 ? 1 : 0);
        f.take();
        dial->setValue(code);
        QCOMPARE(edit(channel == 1 ? "leCH1" : "leCH2")->text(), shown);
        QCOMPARE(f.take(), p205Write(channel + 3, unsigned(code)));
    }

    // Both channels share register 6; a write of one keeps the other's bits.
    void offTimes()
    {
        slider("hsRIPPLE2")->setValue(3);
        slider("hsRIPPLE1")->setValue(0);
        f.take();
        slider("hsRIPPLE1")->setValue(5);
        QCOMPARE(edit("leRIPPLE1Current")->text(), QStringLiteral("29.2"));
        QCOMPARE(f.take(), p205Write(6, (5u << 6) | (3u << 2)));
        QCOMPARE(page->get(QStringLiteral("BUCK1[TOFF_SET]"), Variable::InternalKey), QVariant(5u));
        page->on_hsRIPPLE2_sliderMoved(15);
        QCOMPARE(edit("leRIPPLE2Current")->text(), QStringLiteral("10.0"));
        QCOMPARE(f.take(), QList<QByteArray>());
    }

    void typedOffTimes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("written");
        QTest::addColumn<unsigned>("kept");
        QTest::newRow("7") << "7" << true << 7u;
        QTest::newRow("20 keeps four bits") << "20" << true << 4u;
        QTest::newRow("not a number") << "x2" << false << 0u;
        QTest::newRow("empty") << "" << false << 0u;
    }

    void typedOffTimes()
    {
        QFETCH(QString, text);
        QFETCH(bool, written);
        QFETCH(unsigned, kept);
        slider("hsRIPPLE1")->setValue(9);
        slider("hsRIPPLE2")->setValue(0);
        slider("hsRIPPLE2")->setValue(1);
        f.take();
        edit("leRIPPLE2")->setText(text);
        page->on_leRIPPLE2_editingFinished();
        if (!written) {
            QCOMPARE(f.take(), QList<QByteArray>());
            QCOMPARE(f.spi.kvl52205Register(6) & 0x3C, 1 << 2);
            return;
        }
        QCOMPARE(f.take(), p205Write(6, (9u << 6) | (kept << 2)));
        QCOMPARE(page->get(QStringLiteral("BUCK2[TOFF_SET]"), Variable::InternalKey),
                 QVariant(kept));
    }

    void currents()
    {
        PowerProbe::setScales(page, 200, 100);
        edit("leCH1")->setText(QStringLiteral("100.0"));
        QVERIFY(page->set(QStringLiteral("IRIPPLE1"), 0.0, Variable::InternalKey));
        slider("hsRIPPLE1")->setValue(1);
        page->on_hsRIPPLE1_sliderMoved(0);
        QCOMPARE(variable("IRIPPLE1"), 500.0);
        page->on_dialBuck1_sliderMoved(0); // threshold 31.5
        QCOMPARE(variable("IPEAK1"), 157.5);
        QCOMPARE(variable("IAVERAGE1"), -92.0); // 157.5 - 250 = -92.5, halves upward
        f.take();
    }

    // Each channel divides by its own rating.
    void channelScales()
    {
        PowerProbe::setPeakScales(page, 200, 100);
        page->on_dialBuck1_sliderMoved(0);
        page->on_dialBuck2_sliderMoved(0);
        QCOMPARE(variable("IPEAK1"), 157.5);
        QCOMPARE(variable("IPEAK2"), 315.0);
        f.take();
    }

    void averageRounding_data()
    {
        QTest::addColumn<double>("peak");
        QTest::addColumn<double>("ripple");
        QTest::addColumn<double>("average");
        QTest::newRow("500, 500") << 500.0 << 500.0 << 250.0;
        QTest::newRow("-0.5 is 0") << 100.0 << 201.0 << 0.0;
        QTest::newRow("-1.5 is -1") << 100.0 << 203.0 << -1.0;
        QTest::newRow("-1.0") << 100.0 << 202.0 << -1.0;
        QTest::newRow("-0.25 is 0") << 100.0 << 200.5 << 0.0;
        QTest::newRow("2.5 is 3") << 102.5 << 200.0 << 3.0;
        QTest::newRow("2.4 is 2") << 102.4 << 200.0 << 2.0;
    }

    void averageRounding()
    {
        QFETCH(double, peak);
        QFETCH(double, ripple);
        QFETCH(double, average);
        QVERIFY(page->set(QStringLiteral("IPEAK2"), peak, Variable::InternalKey));
        QVERIFY(page->set(QStringLiteral("IRIPPLE2"), ripple, Variable::InternalKey));
        PowerProbe::average(page, 2);
        QCOMPARE(variable("IAVERAGE2"), average);
    }

    // A zero rating gives no number: the currents keep their values.
    void zeroScales()
    {
        PowerProbe::setScales(page, 0, 0);
        QVERIFY(page->set(QStringLiteral("IPEAK2"), 300.0, Variable::InternalKey));
        QVERIFY(page->set(QStringLiteral("IRIPPLE2"), 100.0, Variable::InternalKey));
        page->on_dialBuck2_sliderMoved(10);
        page->on_hsRIPPLE2_sliderMoved(2);
        QCOMPARE(variable("IPEAK2"), 300.0);
        QCOMPARE(variable("IRIPPLE2"), 100.0);
        f.take();
    }

    void sendPwmSettings_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("duty");
        QTest::addColumn<uint>("frequency");
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::newRow("duty over 100") << 0 << 150 << 0u << QList<QByteArray>{"set PWM0DUTY=100"};
        QTest::newRow("frequency only")
            << 1 << 0 << 300000u << QList<QByteArray>{"set PWM1FREQ=300000"};
        QTest::newRow("both") << 2 << 50 << 1000u
                              << QList<QByteArray>{"set PWM2FREQ=1000", "set PWM2DUTY=50"};
        QTest::newRow("off") << 0 << 0 << 0u << QList<QByteArray>{"set PWM0DUTY=0"};
        QTest::newRow("full with frequency")
            << 2 << 100 << 1u << QList<QByteArray>{"set PWM2FREQ=1", "set PWM2DUTY=100"};
    }

    void sendPwmSettings()
    {
        QFETCH(int, channel);
        QFETCH(int, duty);
        QFETCH(uint, frequency);
        QFETCH(QList<QByteArray>, lines);
        page->sendPwmSettings(channel, quint16(duty), frequency);
        QCOMPARE(f.take(), lines);
    }

    void ledControlLines()
    {
        QAbstractButton *led = button("cbLEDCTRL2");
        QAbstractButton *pwm = button("cbPWM2");
        led->setChecked(false);
        pwm->setChecked(false);
        QVERIFY(page->set(QStringLiteral("DUTY2"), 30, Variable::InternalKey));
        f.take();
        led->setChecked(true);
        QCOMPARE(f.take(), QList<QByteArray>{"set PWM2DUTY=100"});
        QVERIFY(!ownEnabled("leDUTY2"));
        pwm->setChecked(true);
        QVERIFY(!led->isChecked());
        QVERIFY(ownEnabled("pbBoard_setCLKFreq2"));
        QCOMPARE(f.take(), QList<QByteArray>{"set PWM2DUTY=30"});
        pwm->setChecked(false);
        QCOMPARE(f.take(), QList<QByteArray>{"set PWM2DUTY=0"});
        QVERIFY(!ownEnabled("leFREQ2"));
        // Turning the static line off while PWM dims it sends nothing.
        button("cbPWM1")->setChecked(true);
        f.take();
        page->on_cbLEDCTRL1_toggled(false);
        QCOMPARE(f.take(), QList<QByteArray>());
        button("cbPWM1")->setChecked(false);
        QCOMPARE(f.take(), QList<QByteArray>{"set PWM0DUTY=0"});
    }
};

QTEST_MAIN(TestBoardP205)
#include "tst_boardp205.moc"
