// The board's global registers and lists, and the names of the driver board's codes.
#include "bit.h"
#include "boardglobals.h"
#include "driverboarddescription.h"

#include <QtTest>

class TestBoardGlobals : public QObject
{
    Q_OBJECT

    static BoardGlobals &g() { return boardGlobals(); }

    // "name first last" of a field's bits; "name gap" when they are not contiguous.
    static QString fieldBits(const Register &reg, const QString &field)
    {
        int low = -1, high = -1;
        for (int i = 0; i < reg.size(); ++i) {
            if (reg.bitAt(i)->name() != field)
                continue;
            if (high >= 0 && i != high + 1)
                return field + " gap";
            low = low < 0 ? i : low;
            high = i;
        }
        return QStringLiteral("%1 %2 %3").arg(field).arg(low).arg(high);
    }

private slots:
    void initTestCase() { initBoardGlobals(); }

    // Sizes, all bits clear at first, and the fields at the ends of each group; fields of one
    // bank word pack from its bit 0; the registers are independent.
    void layout()
    {
        const QList<QPair<Register *, int>> sizes{
            {&g().BANK, 456}, {&g().BANKX, 456}, {&g().DCREG, 360},    {&g().BOOSTP205, 9},
            {&g().BUCK1, 13}, {&g().BUCK2, 13},  {&g().P205STATUS, 87}};
        for (const auto &[reg, size] : sizes)
            QVERIFY(reg->size() == size && !reg->toBitString().contains('1'));
        const QStringList bank =
            QStringLiteral("SW1 0 0,SW12 11 11,NA0 12 21,SERVICE 22 23,TR1 24 27,ON12 302 311,"
                           "MAPENA 312 312,CRC_CLR 313 313,ADC_SEL 314 315,TW_CODE 320 327,"
                           "DIMFREQ 339 343,T1_CONF 348 348,NA4 349 359,SW1_ST 360 361,"
                           "SW12_ST 382 383,TW 384 384,TSD 385 385,OTP_CRC_FAIL_BANK0 403 403,"
                           "PXN_CRC_ERR_CNT 404 407,VBB_RES 432 439,TSD_CODE 448 455")
                .split(',');
        for (const QString &field : bank)
            QCOMPARE(fieldBits(g().BANKX, field.section(' ', 0, 0)), field);
        QCOMPARE(fieldBits(g().DCREG, "SW35"), QStringLiteral("SW35 350 359"));
        QCOMPARE(fieldBits(g().BUCK2, "TOFF_SET"), QStringLiteral("TOFF_SET 8 11"));
        QCOMPARE(fieldBits(g().P205STATUS, "BOOST_OV"), QStringLiteral("BOOST_OV 86 86"));
        QCOMPARE(g().BANK.selectByAttribute("REG", "18")->bitAt(23), g().BANK.bitAt(455));
        // Each word holds 24 bits, the flags' word from the first flag on.
        for (const char *word : {"0", "13", "14", "16"})
            QCOMPARE(g().BANK.selectByAttribute("REG", word)->size(), 24);
        QCOMPARE(g().BANK.selectByAttribute("REG", "16")->bitAt(0), g().BANK.bitAt(384));
        Register &bank0 = g().BANK;
        QVERIFY(bank0.setField("[TR1]", 5) && bank0.setField("[OFF1]", 341) &&
                bank0.setField("[ON1]", 682));
        QCOMPARE(bank0.selectByAttribute("REG", "1")->value(true), 0xAA9555u);
        QCOMPARE(bank0.selectByAttribute("REG", "2")->value(true) +
                     g().BANKX.selectByAttribute("REG", "1")->value(true),
                 0u);
        bank0.fill(0);
        QVERIFY(g().DCREG.setField("[SW35]", 1023) && g().DCREG.getField("[SW34]") == 0);
        QVERIFY(g().DCREG.setField("[SW35]", 1024) && g().DCREG.getField("[SW35]") == 0);
    }

    // The buck frequencies the plot computes with.
    void lists()
    {
        const QVector<int> &buck = g().buckFrequencyTable;
        QCOMPARE(QList<int>({int(buck.size()), buck.first(), buck.at(31), buck.last()}),
                 QList<int>({63, 180, 691, 2648}));
        QVERIFY(std::adjacent_find(buck.begin(), buck.end(), std::greater_equal<int>()) ==
                buck.end());
        // Codes beyond the lists, the first one just past each end, name nothing.
        const DriverBoardDescription d;
        QCOMPARE(QStringList({d.chipTypeName(5), d.chipTypeName(16), d.chipTypeName(17),
                              d.chipTypeName(quint32(-1)), d.boardTopologyName(2),
                              d.boardChannelsName(3), d.boardVersionName(quint32(-1))}),
                 QStringList({"KVL52205", "KVL52404BUCK", "undefined", "undefined", "boost-buck",
                              "undefined", "undefined"}));
        QCOMPARE(QStringList({d.boardVersionName(2), d.boardVersionName(3),
                              d.boardTopologyName(3), d.boardChannelsName(2)}),
                 QStringList({"v1.2", "undefined", "undefined", "three"}));
    }
};

QTEST_GUILESS_MAIN(TestBoardGlobals)
#include "tst_boardglobals.moc"
