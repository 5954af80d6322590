// The board's global registers, variables and lists, and the names of the driver board's
// EEPROM codes.
#include "bit.h"
#include "boardglobals.h"
#include "driverboarddescription.h"

#include <QtTest>

namespace
{

BoardGlobals &g()
{
    return boardGlobals();
}

// First and last bit of a named field; (-1, -1) when no bit has the name, (-2, -2) when its
// bits are not contiguous.
QPair<int, int> fieldBits(const Register &reg, const QString &field)
{
    int low = -1, high = -1;
    for (int i = 0; i < reg.size(); ++i) {
        if (reg.bitAt(i)->name() != field)
            continue;
        if (high >= 0 && i != high + 1)
            return {-2, -2};
        low = low < 0 ? i : low;
        high = i;
    }
    return {low, high};
}

} // namespace

class TestBoardGlobals : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initBoardGlobals(); }

    // Sizes, field counts and the positions of fields at the ends of each group.
    void registers()
    {
        const QList<QPair<Register *, int>> sizes{
            {&g().BANK, 456}, {&g().BANKX, 456}, {&g().DCREG, 360},    {&g().BOOSTP205, 9},
            {&g().BUCK1, 13}, {&g().BUCK2, 13},  {&g().P205STATUS, 87}};
        for (const auto &[reg, size] : sizes) {
            QCOMPARE(reg->size(), size);
            for (int i = 0; i < reg->size(); ++i)
                QVERIFY2(reg->bitValue(i) == 0, qPrintable(reg->name()));
        }
        // "field low high" of the bank's layout.
        const QStringList bank =
            QStringLiteral("SW1 0 0,NA0 12 21,SERVICE 22 23,TR1 24 27,ON12 302 311,MAPENA 312 "
                           "312,TW_CODE 320 327,"
                           "DIMFREQ 339 343,NA4 349 359,SW1_ST 360 361,SW12_ST 382 "
                           "383,OTP_CRC_FAIL_BANK0 403 403,"
                           "PXN_CRC_ERR_CNT 404 407,VBB_RES 432 439,TSD_CODE 448 455")
                .split(',');
        for (const QString &f : bank)
            QCOMPARE(fieldBits(g().BANKX, f.section(' ', 0, 0)),
                     qMakePair(f.section(' ', 1, 1).toInt(), f.section(' ', 2, 2).toInt()));
        QCOMPARE(fieldBits(g().DCREG, "SW35"), qMakePair(350, 359));
        QCOMPARE(fieldBits(g().DCREG, "SW36"), qMakePair(-1, -1));
        QCOMPARE(fieldBits(g().BOOSTP205, "SRC"), qMakePair(8, 8));
        QCOMPARE(fieldBits(g().BUCK2, "TOFF_SET"), qMakePair(8, 11));
        QCOMPARE(fieldBits(g().BUCK1, "EN"), qMakePair(12, 12));
        QCOMPARE(fieldBits(g().P205STATUS, "BUCK2_TON_DUR"), qMakePair(64, 71));
        QCOMPARE(fieldBits(g().P205STATUS, "BOOST_OV"), qMakePair(86, 86));
        QString name, description;
        QVERIFY(g().BUCK2.fieldInfo(&name, &description, "[TOFF_SET]"));
        QCOMPARE(description, QStringLiteral("Tunes the Toff x VLED value"));
    }

    // Word w of a bank is bits 24w..24w+23 by its "REG" attribute; fields of one word pack
    // from its bit 0; the registers are independent.
    void bankWords()
    {
        for (Register *bank : {&g().BANK, &g().BANKX}) {
            for (int w = 0; w < 19; ++w) {
                Register *word = bank->selectByAttribute("REG", QString::number(w));
                QCOMPARE(word->size(), 24);
                QCOMPARE(word->bitAt(0), bank->bitAt(24 * w));
                QCOMPARE(word->bitAt(23), bank->bitAt(24 * w + 23));
            }
            QCOMPARE(bank->selectByAttribute("REG", "19")->size(), 0);
        }
        QCOMPARE(g().DCREG.selectByAttribute("REG", "35")->size(), 10);
        Register &bank = g().BANK;
        QVERIFY(bank.setField("[TR1]", 5) && bank.setField("[OFF1]", 341) &&
                bank.setField("[ON1]", 682));
        QCOMPARE(bank.selectByAttribute("REG", "1")->value(true), 0xAA9555u);
        QCOMPARE(bank.selectByAttribute("REG", "2")->value(true), 0u);
        QCOMPARE(g().BANKX.selectByAttribute("REG", "1")->value(true), 0u);
        bank.fill(0);
        QVERIFY(g().BUCK1.setField("[EN]", 1));
        QCOMPARE(g().BUCK2.getField("[EN]"), 0u);
        g().BUCK1.fill(0);
        QVERIFY(g().DCREG.setField("[SW35]", 1023));
        QCOMPARE(g().DCREG.getField("[SW34]"), 0u);
        QVERIFY(g().DCREG.setField("[SW35]", 1024));
        QCOMPARE(g().DCREG.getField("[SW35]"), 0u);
    }

    // Default and range: min and max accepted, one beyond refused.
    void variables()
    {
        const struct {
            Variable *variable;
            double initial, min, max;
        } rows[] = {{&g().SA, 1, -1, 31},
                    {&g().DCALL, 0, 0, 1023},
                    {&g().IRIPPLE2, 212, 0, 4200},
                    {&g().IAVERAGE1, 101, -3000, 3800},
                    {&g().FREQ2, 1000, 1, 100000},
                    {&g().DUTY1, 50, 0, 100},
                    {&g().VLED2, 0, 0, 70},
                    {&g().BOOSTFREQ, 300, 1, 1000},
                    {&g().BoostVoltage, 50.1, 0, 75}};
        for (const auto &r : rows) {
            Variable *v = r.variable;
            QCOMPARE(v->value(), r.initial);
            for (double refused : {r.min - 1, r.max + 1})
                QVERIFY2(!v->setValue(refused, Variable::OutsideKey), qPrintable(v->name()));
            for (double accepted : {r.min, r.max, r.initial})
                QVERIFY(v->setValue(accepted, Variable::OutsideKey) && v->value() == accepted);
        }
    }

    void lists()
    {
        const QVector<int> &buck = g().buckFrequencyTable;
        QCOMPARE(QList<int>({int(buck.size()), buck.first(), buck.at(31), buck.last()}),
                 QList<int>({63, 180, 691, 2648}));
        QVERIFY(std::adjacent_find(buck.begin(), buck.end(), std::greater_equal<int>()) ==
                buck.end());
        const QVector<float> &boost = g().boostSourceFrequencyTable;
        QCOMPARE(boost.size(), 32);
        QCOMPARE(QList<float>({boost.first(), boost.at(1), boost.at(16), boost.last()}),
                 QList<float>({125.0f, 140.35f, 727.27f, 4000.0f}));
        QVERIFY(std::is_sorted(boost.begin(), boost.end()));
        QCOMPARE(g().boostSoftStartTable, (QVector<int>{12, 20, 28, 36, 44, 52, 60}));
        QCOMPARE(g().iripStatusTexts, (QStringList{"Disabled", "IRIP failure", "IRIP is at target",
                                                   "IRIP is settling"}));
        QCOMPARE(g().boostClockSourceTexts, (QStringList{"Off", "Internal", "External", "Auto"}));
    }

    void driverBoardNames()
    {
        const DriverBoardDescription d;
        const QStringList chips{"KVL52201",  "KVL52202",     "KVL52301",  "KVL52203",  "KVL52204",
                                "KVL52205",  "undefined",    "undefined", "undefined", "undefined",
                                "undefined", "undefined",    "KVL52404",  "KVL52402",  "KVL52403",
                                "KVL52401",  "KVL52404BUCK", "undefined"};
        for (int code = 0; code < chips.size(); ++code)
            QCOMPARE(d.chipTypeName(quint32(code)), chips.at(code));
        QCOMPARE(d.chipTypeName(quint32(-1)), QStringLiteral("undefined"));
        const QStringList boards{"v1.0 boost single", "v1.1 buck two", "v1.2 boost-buck three",
                                 "undefined undefined undefined"};
        for (quint32 code : {0u, 1u, 2u, 3u, quint32(-1)})
            QCOMPARE(QStringList({d.boardVersionName(code), d.boardTopologyName(code),
                                  d.boardChannelsName(code)})
                         .join(' '),
                     boards.at(qMin(code, 3u)));
    }
};

QTEST_GUILESS_MAIN(TestBoardGlobals)
#include "tst_boardglobals.moc"
