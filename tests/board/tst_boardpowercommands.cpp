// The board page's power-stage commands against the simulated KVL52205: ADC readings, LED
// voltages, the status registers, the restart, and the KVL52404 software reset.
#include "boardcommandsfixture.h"
#include "boardglobals.h"

#include <QLineEdit>
#include <QtTest>

namespace
{

// The register addresses written by the SPI lines, in order (each write is sent twice).
QList<int> writtenRegisters(const QList<QByteArray> &lines)
{
    QList<int> out;
    for (const QByteArray &line : lines) {
        const int eq = line.indexOf('=');
        const quint16 word = quint16(line.mid(eq + 3, 4).toUInt(nullptr, 16));
        if (word & 0x8000)
            out.append((word >> 11) & 0xF);
    }
    return out;
}

// The two lines of one KVL52404 frame exchange on LED chip select 0.
QList<QByteArray> frames(std::initializer_list<quint32> words)
{
    QList<QByteArray> lines;
    for (quint32 word : words)
        lines << QByteArrayLiteral("set SPILEDCS0DATA=04") +
                     QByteArray::number(word, 16).rightJustified(8, '0')
              << QByteArrayLiteral("get SPILEDCS0DATA");
    return lines;
}

// "name=value" pairs, the value decimal or 0x-hexadecimal.
QList<QPair<QString, double>> pairs(const QStringList &items)
{
    QList<QPair<QString, double>> out;
    for (const QString &item : items) {
        const int eq = item.indexOf(QLatin1Char('='));
        const QString value = item.mid(eq + 1);
        const bool hex = value.startsWith(QLatin1String("0x"));
        out.append({item.left(eq), hex ? double(value.toUInt(nullptr, 16)) : value.toDouble()});
    }
    return out;
}

} // namespace

class TestBoardPowerCommands : public QObject
{
    Q_OBJECT

    BoardCommandsFixture f;

    void setRegister(int address, quint16 value) { f.spi.setKvl52205Register(address, value); }
    quint32 status(const char *field) { return f.pageItem(QString("P205STATUS[%1]").arg(field)); }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        // The set-up wrote the LED-control items while the page was offline; bring the widgets
        // level, so that a later refresh of all controls sends no PWM line of its own.
        f.page()->slot_updateAllControls();
    }
    void init() { f.take(); }
    void cleanup() { QCOMPARE(f.spi.violations(), QStringList()); }

    void adcReadings_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("variable");
        QTest::addColumn<double>("volts");
        QTest::newRow("battery") << "readAdcVBAT" << 0x14 << 0x64 << "VBAT"
                                 << "BatteryVoltage" << 15.7;
        QTest::newRow("boost") << "readAdcVBOOST" << 0x13 << 0xB6 << "VBOOST"
                               << "BoostVoltageMeas" << 0xB6 * 0.274;
        QTest::newRow("boost high bit") << "readAdcVBOOST" << 0x13 << 0x1B6 << "VBOOST"
                                        << "BoostVoltageMeas" << 0xB6 * 0.274;
    }
    void adcReadings()
    {
        QFETCH(QString, command);
        QFETCH(int, address);
        QFETCH(int, code);
        QFETCH(QString, field);
        QFETCH(QString, variable);
        QFETCH(double, volts);
        setRegister(address, quint16(code));
        QCOMPARE(f.run(command), QVariant(false));
        QCOMPARE(status(qPrintable(field)), quint32(code & 0xFF));
        QCOMPARE(f.page()->get(variable, Variable::InternalKey).toDouble(), volts);
    }

    // The channel's voltage; a zero reading gives way to the on-voltage register.
    void ledVoltage_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("vled");
        QTest::addColumn<int>("vledOn");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("onRead");
        QTest::newRow("1 direct") << 1 << 0x64 << 0x22 << 0x64 << false;
        QTest::newRow("1 zero") << 1 << 0x200 << 0x33 << 0x33 << true;
        QTest::newRow("2 low byte zero") << 2 << 0x100 << 0x55 << 0x55 << true;
        QTest::newRow("2 direct") << 2 << 0x1F0 << 0x11 << 0xF0 << false;
    }
    void ledVoltage()
    {
        QFETCH(int, channel);
        QFETCH(int, vled);
        QFETCH(int, vledOn);
        QFETCH(int, shown);
        QFETCH(bool, onRead);
        const QString n = QString::number(channel);
        f.setPage("P205STATUS[VLED" + n + "ON]", 0xEE);
        setRegister(0x0D, 0x7F);
        setRegister(0x10 + channel - 1, quint16(vled));
        setRegister(0x0E + channel - 1, quint16(vledOn));
        QCOMPARE(f.run("adcVLED" + n), QVariant(true));
        QCOMPARE(status(qPrintable("VLED" + n)), quint32(shown));
        QCOMPARE(status(qPrintable("VLED" + n + "ON")), quint32(onRead ? vledOn : 0xEE));
        const QString text = QString::number(shown * 0.274, 'f', 1);
        QCOMPARE(f.widget<QLineEdit>(qPrintable("leVLED" + n))->text(), text);
    }

    // Clear measurement enables are set before the voltage is read, keeping the other bits.
    void ledMeasurementEnable_data()
    {
        QTest::addColumn<int>("control");
        QTest::addColumn<int>("after");
        QTest::newRow("all clear") << 0x200 << 0x27F;
        QTest::newRow("zero") << 0 << 0x7F;
        QTest::newRow("one set") << 0x201 << 0x201;
        QTest::newRow("bit 8 set") << 0x100 << 0x100;
    }
    void ledMeasurementEnable()
    {
        QFETCH(int, control);
        setRegister(0x0D, quint16(control));
        setRegister(0x10, 0x40);
        f.run("adcVLED1");
        QTEST(int(f.spi.kvl52205Register(0x0D)), "after");
    }

    void status_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("value");
        QTest::addColumn<QStringList>("set"); // fields that read 1 (flags) or the low byte
        QTest::newRow("0x17 even bits")
            << 0x17 << 0x55 << QStringList{"OCLED2", "OPENLED2", "SHORTLED1", "BUCKACTIVE2"};
        QTest::newRow("0x17 odd bits")
            << 0x17 << 0x2AA << QStringList{"SHORTLED2", "OCLED1", "OPENLED1", "BUCKACTIVE1"};
        QTest::newRow("0x18 low") << 0x18 << 0x1F
                                  << QStringList{"TW", "TSD", "SPIERR", "LED2VAL", "LED1VAL"};
        QTest::newRow("0x18 high, bit 5 ignored")
            << 0x18 << 0xE0 << QStringList{"BOOST_OV", "BOOST_STATUS"};
    }
    void status()
    {
        const QStringList flags = {"OCLED2",    "SHORTLED2", "OPENLED2",    "OCLED1",
                                   "SHORTLED1", "OPENLED1",  "BUCKACTIVE2", "BUCKACTIVE1",
                                   "TW",        "TSD",       "SPIERR",      "LED2VAL",
                                   "LED1VAL",   "BOOST_OV",  "BOOST_STATUS"};
        QFETCH(int, address);
        QFETCH(int, value);
        QFETCH(QStringList, set);
        for (int a = 0x0E; a <= 0x18; ++a)
            setRegister(a, a == address ? quint16(value) : 0);
        QCOMPARE(f.run("readStatus"), QVariant(true));
        for (const QString &flag : flags)
            QCOMPARE(status(qPrintable(flag)), set.contains(flag) ? 1u : 0u);
        QVERIFY(!boardGlobals().P205STATUS.signalsBlocked());
    }

    void statusBytes()
    {
        const char *fields[] = {"VLED1ON", "VLED2ON", "VLED1",         "VLED2",        "VTEMP",
                                "VBOOST",  "VBAT",    "BUCK1_TON_DUR", "BUCK2_TON_DUR"};
        for (int i = 0; i < 9; ++i)
            setRegister(0x0E + i, quint16(0x310 + i));
        f.run("readStatus");
        for (int i = 0; i < 9; ++i)
            QCOMPARE(status(fields[i]), quint32(0x10 + i));
    }

    // The register images go back to the chip, register 2 (the enables) last.
    void restartBoost()
    {
        QCOMPARE(f.run("restartBoost"), QVariant(false));
        const QList<int> order = {1, 3, 4, 5, 6, 7, 8, 9, 10, 2};
        QList<int> twice;
        for (int r : order)
            twice << r << r;
        QCOMPARE(writtenRegisters(f.take("set SPI0CS0DATA=")), twice);
    }

    // What the PWM and KVL52404 commands send, their results and the items they leave. Rows
    // run in order on one page; each sets the page items and chip words it depends on.
    void driverLines_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("args");
        QTest::addColumn<QStringList>("items"); // page items set first
        QTest::addColumn<QStringList>("chip");  // KVL52404 words by address
        QTest::addColumn<bool>("result");
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::addColumn<QStringList>("after"); // page items afterwards
        const QStringList none;
        QTest::newRow("boost clock") << "setBoostCLK" << "" << QStringList{"BOOSTFREQ=300"} << none
                                     << false << QList<QByteArray>{"set PWM1FREQ=300000"} << none;
        QTest::newRow("boost clock 1 kHz")
            << "setBoostCLK" << "" << QStringList{"BOOSTFREQ=1"} << none << false
            << QList<QByteArray>{"set PWM1FREQ=1000"} << none;
        QTest::newRow("clock 1") << "setCLKFreq1" << "" << QStringList{"FREQ1=100000"} << none
                                 << false << QList<QByteArray>{"set PWM0FREQ=100000"} << none;
        QTest::newRow("clock 2") << "setCLKFreq2" << "" << QStringList{"FREQ2=2500"} << none
                                 << false << QList<QByteArray>{"set PWM2FREQ=2500"} << none;
        QTest::newRow("duty 1") << "setDuty1" << "" << QStringList{"DUTY1=30"} << none << false
                                << QList<QByteArray>{"set PWM0DUTY=30"} << none;
        QTest::newRow("duty 2 off") << "setDuty2" << "" << QStringList{"DUTY2=0"} << none << false
                                    << QList<QByteArray>{"set PWM2DUTY=0"} << none;
        QTest::newRow("duty 2 full") << "setDuty2" << "" << QStringList{"DUTY2=100"} << none
                                     << false << QList<QByteArray>{"set PWM2DUTY=100"} << none;
        QTest::newRow("read 55") << "Read" << "55" << QStringList{"SPI_MAPP404[VBST]=0"}
                                 << QStringList{"55=0xAB"} << true << frames({0x6E000009})
                                 << QStringList{"SPI_MAPP404[VBST]=0xAB"};
        QTest::newRow("read nothing") << "Read" << "" << none << none << false
                                      << QList<QByteArray>() << none;
        QTest::newRow("read with a bad element")
            << "Read" << "2;x" << QStringList{"SPI_MAPP404[BUCK1_FREQ]=7"} << QStringList{"2=9"}
            << false << QList<QByteArray>() << QStringList{"SPI_MAPP404[BUCK1_FREQ]=7"};
        QTest::newRow("write 13") << "Write" << "13"
                                  << QStringList{"SPI_MAPP404[BUCK1_EN]=1",
                                                 "SPI_MAPP404[BUCK2_EN]=1"}
                                  << none << true << frames({0x9A000035}) << none;
        QTest::newRow("write 14;15")
            << "Write" << "14;15"
            << QStringList{"SPI_MAPP404[BST1_VLIM_THR]=0x32", "SPI_MAPP404[BST1_COMP_DIV]=0",
                           "SPI_MAPP404[BST1_SLP_CTRL]=0", "SPI_MAPP404[BST2_VLIM_THR]=1",
                           "SPI_MAPP404[BST2_COMP_DIV]=0", "SPI_MAPP404[BST2_SLP_CTRL]=7"}
            << none << true << frames({0x9C000320, 0x9E03801A}) << none;
        QTest::newRow("boost voltage")
            << "ReadVBOOST" << "" << none << QStringList{"55=0x11FF"} << true
            << frames({0x6E000009}) << QStringList{"BoostVoltageMeas=69.86328125"};
        QTest::newRow("led 1 half range")
            << "ReadVLED" << "1" << none << QStringList{"2=0x4000", "35=0x1500"} << true
            << frames({0x04000009, 0x4600000F}) << QStringList{"VLED1=17.5"};
        QTest::newRow("led 2 full range")
            << "ReadVLED" << "2" << none << QStringList{"6=0", "42=100"} << true
            << frames({0x0C000006, 0x54000005}) << QStringList{"VLED2=13.671875"};
        QTest::newRow("led 0") << "ReadVLED" << "x" << none << none << false
                               << QList<QByteArray>() << none;
        // The whole word of address 29 goes out, the reset bit with the other fields.
        QTest::newRow("software reset")
            << "swresetP404" << ""
            << QStringList{"SPI_MAPP404[SWRESET]=0", "SPI_MAPP404[BST_FAIL_OUT]=1"} << none
            << false << frames({0xBA002017}) << QStringList{"SPI_MAPP404[SWRESET]=1"};
        // Defaults replace their own fields and keep the rest of each word (VLED1_RNG).
        QTest::newRow("defaults")
            << "defaultP404" << ""
            << QStringList{"SPI_MAPP404[BUCK1_IAVG]=3",     "SPI_MAPP404[BUCK2_IRNG]=2",
                           "SPI_MAPP404[BUCK2_FREQ]=63",    "SPI_MAPP404[VLED1_RNG]=1",
                           "SPI_MAPP404[BUCK1_DIM_DUTY]=0", "SPI_MAPP404[BUCK2_EN]=1",
                           "SPI_MAPP404[BST2_VLIM_THR]=50", "SPI_MAPP404[BST_SRC]=3",
                           "SPI_MAPP404[BST1_EN]=0",        "SPI_MAPP404[BST_VSETPOINT]=0"}
            << none << false
            << frames({0x8200080C, 0x8404014A, 0x86003FCF, 0x8A000803, 0x8C00014D, 0x8E003FC0,
                       0x9A000000, 0x9C02415E, 0x9E024159, 0xA2080C12, 0xA4203233})
            << QStringList{"SPI_MAPP404[BST_VSETPOINT]=100", "SPI_MAPP404[VLED1_RNG]=1"};
    }
    void driverLines()
    {
        QFETCH(QString, command);
        QFETCH(QString, args);
        QFETCH(QStringList, items);
        QFETCH(QStringList, chip);
        QFETCH(QStringList, after);
        for (const auto &[name, value] : pairs(items))
            f.setPage(name, value);
        for (const auto &[address, word] : pairs(chip))
            f.spi.setKvl52404Word(address.toInt(), quint32(word));
        f.take();
        QTEST(f.run(command, args).toBool(), "result");
        QTEST(f.take(), "lines");
        for (const auto &[name, value] : pairs(after))
            QCOMPARE(f.page()->get(name, Variable::InternalKey).toDouble(), value);
    }

    // A failed link reports false and writes nothing back. Last: the refusal stays.
    void ledVoltageRefused()
    {
        setRegister(0x0D, 0x200);
        f.board.refuse("SPI0CS0DATA");
        QCOMPARE(f.run("adcVLED1"), QVariant(false));
        QCOMPARE(f.run("readStatus"), QVariant(false));
        QVERIFY(!boardGlobals().P205STATUS.signalsBlocked());
        QCOMPARE(int(f.spi.kvl52205Register(0x0D)), 0x200);
        QCOMPARE(writtenRegisters(f.take()), QList<int>());
    }
};

QTEST_MAIN(TestBoardPowerCommands)
#include "tst_boardpowercommands.moc"
