// The status page turns the chip's raw measurement codes into volts and degrees; one pixel
// duty is written and read through the page's DCREG binding.
#include "boardappfixture.h"
#include "boardglobals.h"

#include <QLineEdit>

class TestStatusReadouts : public QObject
{
    Q_OBJECT

    BoardAppFixture f;

private slots:
    void initTestCase() { QVERIFY(f.start()); }

    // Codes that are no number read as 0; only the low byte counts. The calibration code (0 or
    // only its high bit: the default 193) is read when the temperature code changes, not on its
    // own.
    void readouts()
    {
        const struct {
            const char *raw, *code, *result, *shown;
        } rows[] = {// clang-format off
            {"leREG11_15_8", "255", "leVDD", "4.0"}, {"leREG11_15_8", "0", "leVDD", "0.0"},
            {"leREG11_15_8", "511", "leVDD", "4.0"}, {"leREG11_15_8", "abc", "leVDD", "0.0"},
            {"leREG12_7_0", "51", "leVBB", "7.0"}, {"leREG11_23_16", "127", "leADCX", "0.600"},
            {"leREG11_23_16", "255", "leADCX", "1.205"}, {"leREG12_15_8", "255", "leVLED", "66.1"},
            {"leREG12_15_8", "100", "leVLED", "25.9"},
            {"leREG12_23_16", "0", "", ""}, {"leREG11_7_0", "193", "leTemp", "170.0"},
            {"leREG12_23_16", "1", "leTemp", "170.0"}, {"leREG11_7_0", "0", "leTemp", "167.6"},
            {"leREG12_23_16", "128", "", ""}, {"leREG11_7_0", "193", "leTemp", "170.0"},
            {"leREG12_23_16", "129", "", ""}, {"leREG11_7_0", "0", "leTemp", "-12.6"},
            {"leREG12_23_16", "0", "", ""}, {"leREG11_7_0", "x", "leTemp", "-56.8"}};
        // clang-format on
        for (const auto &r : rows) {
            f.widget<QLineEdit>(r.raw)->setText(r.code);
            if (*r.result)
                QCOMPARE(f.widget<QLineEdit>(r.result)->text(), QLatin1String(r.shown));
        }
    }

    // Values above 1023 are clamped; a switch without a field (36 and up) fails and leaves
    // every duty as it was; neighbours keep theirs; nothing reaches the board by itself.
    void dutyField()
    {
        Register &dc = boardGlobals().DCREG;
        dc.fill(0);
        const QByteArray zero = dc.toBitString();
        const struct {
            int sw, value;
            bool ok;
            int stored;
        } rows[] = {{1, 500, true, 500},   {0, 7, true, 7},         {35, 1023, true, 1023},
                    {5, 1024, true, 1023}, {12, 65535, true, 1023}, {36, 9, false, 0},
                    {144, 9, false, 0},    {255, 9, false, 0}};
        for (const auto &r : rows) {
            dc.fill(0);
            QCOMPARE(f.page()->setDcRegister(quint8(r.sw), quint16(r.value)), r.ok);
            QCOMPARE(f.page()->dcRegister(quint8(r.sw)), quint16(r.stored));
            if (r.ok)
                QVERIFY(dc.setField(QStringLiteral("DCREG[SW%1]").arg(r.sw), 0));
            QCOMPARE(dc.toBitString(), zero);
        }
        QVERIFY(f.page()->setDcRegister(3, 1000) && f.page()->setDcRegister(4, 1) &&
                f.page()->setDcRegister(2, 513));
        QCOMPARE(QList<int>({f.page()->dcRegister(2), f.page()->dcRegister(3),
                             f.page()->dcRegister(4), f.page()->dcRegister(5)}),
                 QList<int>({513, 1000, 1, 0}));
        QCOMPARE(f.take(), QList<QByteArray>());
    }
};

QTEST_MAIN(TestStatusReadouts)
#include "tst_statusreadouts.moc"
