// The NTC readout: the ADC input of every device of the current script is selected, its ADC
// results read back and shown as degrees Celsius.
#include "livesendfixture.h"

#include "csvreader.h"
#include "fakematrixchip.h"

#include <QLineEdit>

namespace
{

// Word 17 with the VDD and ADCX codes; word 13 with a temperature-warning code to keep.
constexpr quint32 Word13 = 0x00AB00;
quint32 adcWord(int vdd, int adcx)
{
    return quint32(adcx) << 16 | quint32(vdd) << 8 | 0x42;
}

} // namespace

class TestBoardNtc : public QObject
{
    Q_OBJECT

    LiveSendFixture f;
    int chip3 = -1;
    int chip5 = -1;

    QLineEdit *field(int n) { return f.widget<QLineEdit>(qPrintable(QString("leNTC_%1").arg(n))); }

    void presetChip(int index, quint32 word17)
    {
        f.bus.editChip(index, [word17](FakeMatrixChip &chip) {
            chip.words[13] = Word13;
            chip.words[17] = word17;
        });
    }

private slots:
    void initTestCase()
    {
        chip3 = f.bus.addChip(3, 4, 1);
        chip5 = f.bus.addChip(5, 4, 1);
        f.bus.setOutputOn(1, true);
        QVERIFY(f.start());
    }

    void emptyListSendsNothing()
    {
        field(1)->setText("kept");
        f.take();
        f.page()->on_pbReadNTCs_clicked();
        QVERIFY(f.take().isEmpty());
        QCOMPARE(field(1)->text(), QString("kept"));
    }

    void chipsAt3And40And5()
    {
        presetChip(chip3, adcWord(153, 127)); // 2.4 V and 0.600 V
        presetChip(chip5, adcWord(153, 254)); // 2.4 V and 1.200 V
        f.page()->currentCsvScript()->addresses = QStringList{" 3", "40", "5\r\n"};
        field(2)->setText("kept");
        const int framesBefore = int(f.bus.frames().size());
        f.page()->on_pbReadNTCs_clicked();
        QCOMPARE(field(1)->text(), QString("56.2 °C"));
        QCOMPARE(field(2)->text(), QString("kept"));
        QCOMPARE(field(3)->text(), QString("25.0 °C"));
        QCOMPARE(boardGlobals().SA.value(), 5.0);
        // Per device: read word 13, write it back with ADC_SEL 2, read word 17.
        QStringList targets;
        for (const auto &frame : f.bus.frames().mid(framesBefore))
            targets.append(QString("%1:%2")
                               .arg(quint8(frame.second.at(1)) & 0x1F)
                               .arg(quint8(frame.second.at(2)) & 0x1F));
        QCOMPARE(targets, (QStringList{"3:13", "3:13", "3:17", "5:13", "5:13", "5:17"}));
        QCOMPARE(f.bus.chip(chip3).word(13), Word13 | 0x08);
        QCOMPARE(f.bus.chip(chip5).word(13), Word13 | 0x08);
        QVERIFY(f.bus.violations().isEmpty());
    }

    // Thirteen devices: all are read, the first twelve shown.
    void thirteenDevicesFillTwelveFields()
    {
        presetChip(chip3, adcWord(153, 254));
        f.page()->currentCsvScript()->addresses = QStringList(13, "3");
        for (int n = 1; n <= 12; ++n)
            field(n)->clear();
        const int framesBefore = int(f.bus.frames().size());
        f.page()->on_pbReadNTCs_clicked();
        for (int n = 1; n <= 12; ++n)
            QCOMPARE(field(n)->text(), QString("25.0 °C"));
        QCOMPARE(f.bus.frames().size() - framesBefore, 39);
    }
};

QTEST_MAIN(TestBoardNtc)
#include "tst_boardntc.moc"
