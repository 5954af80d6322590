// The status page turns the chip's raw measurement codes into volts and degrees; one pixel
// duty is written and read through the page's DCREG binding.
#include "boardappfixture.h"
#include "boardglobals.h"

#include <QLineEdit>

class TestStatusReadouts : public QObject
{
    Q_OBJECT

    BoardAppFixture f;

    QString shown(const char *edit) const { return f.widget<QLineEdit>(edit)->text(); }
    void enter(const char *edit, const QString &text) { f.widget<QLineEdit>(edit)->setText(text); }

private slots:
    void initTestCase() { QVERIFY(f.start()); }

    // Codes that are no number read as 0; only the low byte counts.
    void voltages()
    {
        const struct {
            const char *raw, *result, *code, *shown;
        } rows[] = {{"leREG11_15_8", "leVDD", "255", "4.0"},
                    {"leREG11_15_8", "leVDD", "0", "0.0"},
                    {"leREG11_15_8", "leVDD", "511", "4.0"},
                    {"leREG11_15_8", "leVDD", "abc", "0.0"},
                    {"leREG12_7_0", "leVBB", "51", "7.0"},
                    {"leREG11_23_16", "leADCX", "127", "0.600"},
                    {"leREG11_23_16", "leADCX", "255", "1.205"},
                    {"leREG12_15_8", "leVLED", "255", "66.1"},
                    {"leREG12_15_8", "leVLED", "100", "25.9"}};
        for (const auto &r : rows) {
            enter(r.raw, r.code);
            QCOMPARE(shown(r.result), QLatin1String(r.shown));
        }
    }

    // The calibration code (0 or only its high bit: the default 193) is read when the
    // temperature code changes, not on its own.
    void temperature()
    {
        const struct {
            const char *tsd, *code, *shown;
        } rows[] = {{"0", "193", "170.0"},   {"1", "0", "167.6"},   {"128", "193", "170.0"},
                    {"193", "193", "170.0"}, {"129", "0", "-12.6"}, {"0", "x", "-56.8"}};
        for (const auto &r : rows) {
            enter("leREG12_23_16", r.tsd);
            enter("leREG11_7_0", r.code);
            QCOMPARE(shown("leTemp"), QLatin1String(r.shown));
        }
        enter("leREG12_23_16", "1");
        QCOMPARE(shown("leTemp"), QStringLiteral("-56.8"));
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
