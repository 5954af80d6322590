// The board's global registers, variables and lists: layout, word attributes, independence
// of the objects, defaults and bounds, descriptions and list contents.
#include "bit.h"
#include "boardglobals.h"

#include <QtTest>

namespace
{

BoardGlobals &g()
{
    return boardGlobals();
}

// First and last bit index of a named field; (-1, -1) when no bit has the name, (-2, -2) when
// its bits are not contiguous.
QPair<int, int> fieldBits(const Register &reg, const QString &field)
{
    int low = -1;
    int high = -1;
    for (int i = 0; i < reg.size(); ++i) {
        if (reg.bitAt(i)->name() != field)
            continue;
        if (high >= 0 && i != high + 1)
            return {-2, -2};
        if (low < 0)
            low = i;
        high = i;
    }
    return {low, high};
}

QString fieldDescription(const Register &reg, const QString &field)
{
    QString name;
    QString description;
    if (!reg.fieldInfo(&name, &description, ("[" + field + "]").toLatin1()))
        return QStringLiteral("<no field>");
    return description;
}

QStringList fieldNames(const Register &reg)
{
    QStringList names;
    for (int i = 0; i < reg.size(); ++i)
        if (names.isEmpty() || names.last() != reg.bitAt(i)->name())
            names.append(reg.bitAt(i)->name());
    return names;
}

} // namespace

Q_DECLARE_METATYPE(Register *)
Q_DECLARE_METATYPE(Variable *)

class TestBoardGlobals : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        initBoardGlobals();
        QCOMPARE(&boardGlobals(), &g());
    }

    // Runs first: nothing has been written yet.
    void everyRegisterStartsAtZero()
    {
        for (Register *reg : {&g().BANK, &g().BANKX, &g().DCREG, &g().BOOSTP205, &g().BUCK1,
                              &g().BUCK2, &g().P205STATUS}) {
            for (int i = 0; i < reg->size(); ++i)
                QVERIFY2(reg->bitValue(i) == 0, qPrintable(reg->name()));
        }
    }

    void registers_data()
    {
        QTest::addColumn<Register *>("reg");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("fields");
        QTest::newRow("BANK") << &g().BANK << "BANK" << 456 << 100;
        QTest::newRow("BANKX") << &g().BANKX << "BANKX" << 456 << 100;
        QTest::newRow("DCREG") << &g().DCREG << "DCREG" << 360 << 36;
        QTest::newRow("BOOSTP205") << &g().BOOSTP205 << "BOOSTP205" << 9 << 3;
        QTest::newRow("BUCK1") << &g().BUCK1 << "BUCK1" << 13 << 3;
        QTest::newRow("BUCK2") << &g().BUCK2 << "BUCK2" << 13 << 3;
        QTest::newRow("P205STATUS") << &g().P205STATUS << "P205STATUS" << 87 << 24;
    }

    void registers()
    {
        QFETCH(Register *, reg);
        QFETCH(QString, name);
        QFETCH(int, size);
        QFETCH(int, fields);
        QCOMPARE(reg->name(), name);
        QCOMPARE(reg->size(), size);
        const QStringList names = fieldNames(*reg);
        QCOMPARE(names.size(), fields);
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), fields); // all distinct
        QVERIFY(!reg->isReadOnly());
    }

    void fieldPositions_data()
    {
        QTest::addColumn<Register *>("reg");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        Register *bank = &g().BANK;
        QTest::newRow("SW1") << bank << "SW1" << 0 << 0;
        QTest::newRow("NA0") << bank << "NA0" << 12 << 21;
        QTest::newRow("SERVICE") << bank << "SERVICE" << 22 << 23;
        QTest::newRow("TR1") << bank << "TR1" << 24 << 27;
        QTest::newRow("ON12") << bank << "ON12" << 302 << 311;
        QTest::newRow("MAPENA") << bank << "MAPENA" << 312 << 312;
        QTest::newRow("TW_CODE") << bank << "TW_CODE" << 320 << 327;
        QTest::newRow("DIMFREQ") << bank << "DIMFREQ" << 339 << 343;
        QTest::newRow("NA4") << bank << "NA4" << 349 << 359;
        QTest::newRow("SW1_ST") << bank << "SW1_ST" << 360 << 361;
        QTest::newRow("SW12_ST") << bank << "SW12_ST" << 382 << 383;
        QTest::newRow("OTP_CRC_FAIL_BANK0") << bank << "OTP_CRC_FAIL_BANK0" << 403 << 403;
        QTest::newRow("PXN_CRC_ERR_CNT") << bank << "PXN_CRC_ERR_CNT" << 404 << 407;
        QTest::newRow("TEMP_RES") << bank << "TEMP_RES" << 408 << 415;
        QTest::newRow("VBB_RES") << bank << "VBB_RES" << 432 << 439;
        QTest::newRow("TSD_CODE") << bank << "TSD_CODE" << 448 << 455;
        QTest::newRow("DCREG SW0") << &g().DCREG << "SW0" << 0 << 9;
        QTest::newRow("DCREG SW35") << &g().DCREG << "SW35" << 350 << 359;
        QTest::newRow("DCREG no SW36") << &g().DCREG << "SW36" << -1 << -1;
        QTest::newRow("boost SRC") << &g().BOOSTP205 << "SRC" << 8 << 8;
        QTest::newRow("TOFF_SET") << &g().BUCK2 << "TOFF_SET" << 8 << 11;
        QTest::newRow("buck EN") << &g().BUCK1 << "EN" << 12 << 12;
        QTest::newRow("BUCK2_TON_DUR") << &g().P205STATUS << "BUCK2_TON_DUR" << 64 << 71;
        QTest::newRow("BOOST_OV") << &g().P205STATUS << "BOOST_OV" << 86 << 86;
    }

    void fieldPositions()
    {
        QFETCH(Register *, reg);
        QFETCH(QString, field);
        QFETCH(int, low);
        QFETCH(int, high);
        QCOMPARE(fieldBits(*reg, field), qMakePair(low, high));
    }

    // Word w of a bank image is exactly bits 24w..24w+23, by the "REG" attribute.
    void bankWords()
    {
        for (Register *bank : {&g().BANK, &g().BANKX}) {
            for (int w = 0; w < 19; ++w) {
                Register *word = bank->selectByAttribute("REG", QString::number(w));
                QCOMPARE(word->size(), 24);
                for (int k = 0; k < 24; ++k)
                    QCOMPARE(word->bitAt(k), bank->bitAt(24 * w + k));
            }
            QCOMPARE(bank->selectByAttribute("REG", "19")->size(), 0);
        }
        QCOMPARE(g().DCREG.selectByAttribute("REG", "35")->size(), 10);
        QCOMPARE(g().DCREG.bitAt(350)->attribute("REG"), QString("35"));
    }

    void definitionTexts()
    {
        const QString bank = g().BANK.definition();
        QVERIFY(bank.startsWith("@register=BANK;@field=SW1 @REG=0;@field=SW2 @REG=0;"));
        QVERIFY(bank.contains(";@field=NA0[10] @REG=0;@field=SERVICE[2] @REG=0;"));
        QVERIFY(
            bank.contains(";@field=TR1[4] @REG=1;@field=OFF1[10] @REG=1;@field=ON1[10] @REG=1;"));
        QVERIFY(bank.contains(";@field=TEMP_RES[8] @REG=17;"));
        QVERIFY(bank.endsWith(";@field=TSD_CODE[8] @REG=18"));
        QCOMPARE(bank.count("@field="), 100);
        QCOMPARE(g().BANKX.definition(), QString(bank).replace(0, 14, "@register=BANKX"));
        const QString duty = g().DCREG.definition();
        QVERIFY(duty.startsWith("@register=DCREG;@field=SW0[10] @REG=0 @value=0;@field=SW1[10]"));
        QVERIFY(duty.endsWith(";@field=SW35[10] @REG=35 @value=0;"));
    }

    void bankWordValue()
    {
        Register &bank = g().BANK;
        QVERIFY(bank.setField("[TR1]", 5));
        QVERIFY(bank.setField("[OFF1]", 341));
        QVERIFY(bank.setField("[ON1]", 682));
        QCOMPARE(bank.selectByAttribute("REG", "1")->value(true), 0xAA9555u);
        QCOMPARE(bank.selectByAttribute("REG", "0")->value(true), 0u);
        QCOMPARE(bank.selectByAttribute("REG", "2")->value(true), 0u);
        QCOMPARE(g().BANKX.selectByAttribute("REG", "1")->value(true), 0u);
        bank.fill(0);
    }

    void registersAreIndependent()
    {
        QVERIFY(g().BUCK1.setField("[EN]", 1));
        QCOMPARE(g().BUCK2.getField("[EN]"), 0u);
        QVERIFY(g().BUCK2.setField("[VTHR]", 27));
        QCOMPARE(g().BUCK1.getField("[VTHR]"), 0u);
        QVERIFY(g().BANKX.setField("[TSD_CODE]", 0xFF));
        QCOMPARE(g().BANK.getField("[TSD_CODE]"), 0u);
        g().BUCK1.fill(0);
        g().BUCK2.fill(0);
        g().BANKX.fill(0);
    }

    void dutyFieldHoldsTenBits()
    {
        QVERIFY(g().DCREG.setField("[SW35]", 1023));
        QCOMPARE(g().DCREG.getField("[SW35]"), 1023u);
        QCOMPARE(g().DCREG.getField("[SW34]"), 0u);
        QVERIFY(g().DCREG.setField("[SW35]", 1024));
        QCOMPARE(g().DCREG.getField("[SW35]"), 0u);
    }

    void descriptions_data()
    {
        QTest::addColumn<Register *>("reg");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("description");
        QTest::newRow("VSETPOINT") << &g().BOOSTP205 << "VSETPOINT"
                                   << "Boost voltage";
        QTest::newRow("boost EN") << &g().BOOSTP205 << "EN"
                                  << "Boost enable";
        QTest::newRow("SRC") << &g().BOOSTP205 << "SRC"
                             << "Boost CLK source";
        QTest::newRow("VTHR") << &g().BUCK1 << "VTHR"
                              << "Buck regulator comparator threshold voltage setting";
        QTest::newRow("TOFF_SET") << &g().BUCK2 << "TOFF_SET"
                                  << "Tunes the Toff x VLED value";
        QTest::newRow("buck EN") << &g().BUCK2 << "EN"
                                 << "Buck enable";
        QTest::newRow("status") << &g().P205STATUS << "VLED1ON"
                                << "";
        QTest::newRow("bank") << &g().BANK << "TSD_CODE"
                              << "";
    }

    void descriptions()
    {
        QFETCH(Register *, reg);
        QFETCH(QString, field);
        QFETCH(QString, description);
        QCOMPARE(fieldDescription(*reg, field), description);
    }

    // Default, and the range ends: min and max accepted, one step beyond refused.
    void variables_data()
    {
        QTest::addColumn<Variable *>("variable");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("initial");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        const auto row = [](Variable &v, const char *name, double initial, double min, double max) {
            QTest::newRow(name) << &v << name << initial << min << max;
        };
        row(g().SA, "SA", 1, -1, 31);
        row(g().DCALL, "DCALL", 0, 0, 1023);
        row(g().BROADCAST, "BROADCAST", 0, 0, 1);
        row(g().IPEAK1, "IPEAK1", 207, 0, 3800);
        row(g().IPEAK2, "IPEAK2", 207, 0, 3800);
        row(g().IRIPPLE1, "IRIPPLE1", 212, 0, 4200);
        row(g().IRIPPLE2, "IRIPPLE2", 212, 0, 4200);
        row(g().IAVERAGE1, "IAVERAGE1", 101, -3000, 3800);
        row(g().IAVERAGE2, "IAVERAGE2", 101, -3000, 3800);
        row(g().LEDCTRL1, "LEDCTRL1", 0, 0, 1);
        row(g().LEDCTRL2, "LEDCTRL2", 0, 0, 1);
        row(g().PWM1, "PWM1", 0, 0, 1);
        row(g().PWM2, "PWM2", 0, 0, 1);
        row(g().FREQ1, "FREQ1", 1000, 1, 100000);
        row(g().FREQ2, "FREQ2", 1000, 1, 100000);
        row(g().DUTY1, "DUTY1", 50, 0, 100);
        row(g().DUTY2, "DUTY2", 50, 0, 100);
        row(g().VLED1, "VLED1", 0, 0, 70);
        row(g().VLED2, "VLED2", 0, 0, 70);
        row(g().BOOSTPWM, "BOOSTPWM", 1, 0, 1);
        row(g().BOOSTFREQ, "BOOSTFREQ", 300, 1, 1000);
        row(g().BoostVoltage, "BoostVoltage", 50.1, 0, 75);
        row(g().BoostVoltageMeas, "BoostVoltageMeas", 50.14, 0, 75);
        row(g().BatteryVoltage, "BatteryVoltage", 11.78, 0, 75);
    }

    void variables()
    {
        QFETCH(Variable *, variable);
        QFETCH(QString, name);
        QFETCH(double, initial);
        QFETCH(double, min);
        QFETCH(double, max);
        QCOMPARE(variable->name(), name);
        QCOMPARE(variable->value(), initial);
        QVERIFY(variable->description().isEmpty());
        QVERIFY(!variable->isReadOnly());
        QVERIFY(variable->type() != Variable::TypeString);
        const int key = Variable::OutsideKey;
        QVERIFY(!variable->setValue(min - 1, key));
        QVERIFY(!variable->setValue(max + 1, key));
        QCOMPARE(variable->value(), initial);
        QVERIFY(variable->setValue(min, key));
        QCOMPARE(variable->value(), min);
        QVERIFY(variable->setValue(max, key));
        QCOMPARE(variable->value(), max);
        QVERIFY(variable->setValue(initial, key));
    }

    void lists()
    {
        const QVector<int> &buck = g().buckFrequencyTable;
        QCOMPARE(buck.size(), 63);
        QCOMPARE(buck.first(), 180);
        QCOMPARE(buck.at(31), 691);
        QCOMPARE(buck.last(), 2648);
        QVERIFY(std::is_sorted(buck.begin(), buck.end()));
        QVERIFY(std::adjacent_find(buck.begin(), buck.end()) == buck.end());

        const QVector<float> &boost = g().boostSourceFrequencyTable;
        QCOMPARE(boost.size(), 32);
        QCOMPARE(QString::number(boost.at(1), 'f', 2), QString("140.35"));
        QCOMPARE(QString::number(boost.at(16), 'f', 2), QString("727.27"));
        QCOMPARE(boost.first(), 125.0f);
        QCOMPARE(boost.last(), 4000.0f);
        QVERIFY(std::is_sorted(boost.begin(), boost.end()));

        const QVector<int> &softStart = g().boostSoftStartTable;
        QCOMPARE(softStart.size(), 7);
        for (int k = 0; k < softStart.size(); ++k)
            QCOMPARE(softStart.at(k), 12 + 8 * k);

        QCOMPARE(g().iripStatusTexts, (QStringList{"Disabled", "IRIP failure", "IRIP is at target",
                                                   "IRIP is settling"}));
        QCOMPARE(g().boostClockSourceTexts, (QStringList{"Off", "Internal", "External", "Auto"}));
    }
};

QTEST_GUILESS_MAIN(TestBoardGlobals)
#include "tst_boardglobals.moc"
