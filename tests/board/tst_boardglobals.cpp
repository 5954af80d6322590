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

// "first last" bit of a named field; "-1 -1" when no bit has the name, "gap" when its bits
// are not contiguous.
QString fieldBits(const Register &reg, const QString &field)
{
    int low = -1, high = -1;
    for (int i = 0; i < reg.size(); ++i) {
        if (reg.bitAt(i)->name() != field)
            continue;
        if (high >= 0 && i != high + 1)
            return QStringLiteral("gap");
        low = low < 0 ? i : low;
        high = i;
    }
    return QStringLiteral("%1 %2").arg(low).arg(high);
}

} // namespace

class TestBoardGlobals : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initBoardGlobals(); }

    // Sizes, all bits clear at first, and the fields at the ends of each group.
    void layout()
    {
        const QList<QPair<Register *, int>> sizes{
            {&g().BANK, 456}, {&g().BANKX, 456}, {&g().DCREG, 360},    {&g().BOOSTP205, 9},
            {&g().BUCK1, 13}, {&g().BUCK2, 13},  {&g().P205STATUS, 87}};
        for (const auto &[reg, size] : sizes) {
            QCOMPARE(reg->size(), size);
            QVERIFY(reg->toBitString().count('1') == 0);
        }
        const QStringList bank =
            QStringLiteral("SW1 0 0,NA0 12 21,SERVICE 22 23,TR1 24 27,ON12 302 311,MAPENA 312 "
                           "312,TW_CODE 320 327,"
                           "DIMFREQ 339 343,NA4 349 359,SW1_ST 360 361,SW12_ST 382 "
                           "383,OTP_CRC_FAIL_BANK0 403 403,"
                           "PXN_CRC_ERR_CNT 404 407,VBB_RES 432 439,TSD_CODE 448 455")
                .split(',');
        for (const QString &f : bank)
            QCOMPARE(f.section(' ', 0, 0) + ' ' + fieldBits(g().BANKX, f.section(' ', 0, 0)), f);
        const QList<QPair<Register *, QString>> others{
            {&g().DCREG, "SW35 350 359"},       {&g().DCREG, "SW36 -1 -1"},
            {&g().BOOSTP205, "SRC 8 8"},        {&g().BUCK2, "TOFF_SET 8 11"},
            {&g().BUCK1, "EN 12 12"},           {&g().P205STATUS, "BUCK2_TON_DUR 64 71"},
            {&g().P205STATUS, "BOOST_OV 86 86"}};
        for (const auto &[reg, f] : others)
            QCOMPARE(f.section(' ', 0, 0) + ' ' + fieldBits(*reg, f.section(' ', 0, 0)), f);
        // Word w of a bank is bits 24w..24w+23 by its "REG" attribute.
        for (int w = 0; w < 19; ++w) {
            Register *word = g().BANK.selectByAttribute("REG", QString::number(w));
            QCOMPARE(word->size(), 24);
            QCOMPARE(word->bitAt(23), g().BANK.bitAt(24 * w + 23));
        }
        QCOMPARE(g().BANK.selectByAttribute("REG", "19")->size(), 0);
        QCOMPARE(g().DCREG.selectByAttribute("REG", "35")->size(), 10);
    }

    // Fields of one word pack from its bit 0; the registers are independent.
    void values()
    {
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
        } rows[] = {// clang-format off
            {&g().SA, 1, -1, 31}, {&g().DCALL, 0, 0, 1023}, {&g().IRIPPLE2, 212, 0, 4200},
            {&g().IAVERAGE1, 101, -3000, 3800}, {&g().FREQ2, 1000, 1, 100000},
            {&g().DUTY1, 50, 0, 100}, {&g().VLED2, 0, 0, 70}, {&g().BOOSTFREQ, 300, 1, 1000},
            {&g().BoostVoltage, 50.1, 0, 75}}; // clang-format on
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
        QCOMPARE(QList<float>({float(boost.size()), boost[0], boost[1], boost[16], boost[31]}),
                 QList<float>({32, 125.0f, 140.35f, 727.27f, 4000.0f}));
        QVERIFY(std::is_sorted(boost.begin(), boost.end()));
        QCOMPARE(g().boostSoftStartTable, (QVector<int>{12, 20, 28, 36, 44, 52, 60}));
        QCOMPARE(g().iripStatusTexts, (QStringList{"Disabled", "IRIP failure", "IRIP is at target",
                                                   "IRIP is settling"}));
        QCOMPARE(g().boostClockSourceTexts, (QStringList{"Off", "Internal", "External", "Auto"}));
    }

    void driverBoardNames()
    {
        const DriverBoardDescription d;
        QStringList chips;
        for (quint32 code : {0, 1, 2, 3, 4, 5, 6, 11, 12, 13, 14, 15, 16, 17, -1})
            chips << d.chipTypeName(code);
        QCOMPARE(chips.join(' '),
                 QStringLiteral("KVL52201 KVL52202 KVL52301 KVL52203 KVL52204 "
                                "KVL52205 undefined undefined KVL52404 KVL52402 "
                                "KVL52403 KVL52401 KVL52404BUCK undefined undefined"));
        QStringList boards;
        for (quint32 code : {0, 1, 2, 3, -1})
            boards << d.boardVersionName(code) + ' ' + d.boardTopologyName(code) + ' ' +
                          d.boardChannelsName(code);
        QCOMPARE(boards,
                 (QStringList{"v1.0 boost single", "v1.1 buck two", "v1.2 boost-buck three",
                              "undefined undefined undefined", "undefined undefined undefined"}));
    }
};

QTEST_GUILESS_MAIN(TestBoardGlobals)
#include "tst_boardglobals.moc"
