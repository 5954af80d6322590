// The NTC temperatures of the current script's devices, read from simulated matrix chips into
// the page's twelve result fields.
#include "boardcommandsfixture.h"
#include "csvreader.h"

#include <QLineEdit>
#include <QtTest>

class TestBoardNtc : public QObject
{
    Q_OBJECT

    BoardCommandsFixture f;

    QLineEdit *field(int n)
    {
        return f.widget<QLineEdit>(qPrintable(QStringLiteral("leNTC_%1").arg(n)));
    }

private slots:
    void initTestCase() { QVERIFY(f.start()); }

    // Devices in script order fill the fields in order, the twelfth too; a thirteenth device
    // has no field and changes none.
    void everyField()
    {
        for (int chip : {0, 1}) // at 1: 0.600 V, at 2: 1.200 V, both of 2.4 V
            f.bus.editChip(chip, [chip](FakeMatrixChip &c) {
                c.words[17] = quint32(chip == 0 ? 127 : 254) << 16 | 153u << 8 | 0x42;
            });
        QStringList addresses;
        for (int p = 1; p <= 13; ++p)
            addresses << (p % 2 ? "1" : "2");
        f.page()->currentCsvScript()->addresses = addresses;
        for (int n = 1; n <= 12; ++n)
            field(n)->clear();
        f.page()->on_pbReadNTCs_clicked();
        for (int n = 1; n <= 12; ++n)
            QCOMPARE(field(n)->text(),
                     n % 2 ? QStringLiteral("56.2 °C") : QStringLiteral("25.0 °C"));
        QCOMPARE(f.widget<QLineEdit>("leNTC_13"), nullptr);
    }

    // A script address is read as a number, blanks around it left out; one that is no number
    // stands for 0; a device beyond 31 is not read, and its field keeps its text.
    void scriptAddresses()
    {
        const auto moveChips = [this](int first, int second) {
            f.bus.editChip(0, [first](FakeMatrixChip &c) { c.address = first; });
            f.bus.editChip(1, [second](FakeMatrixChip &c) { c.address = second; });
        };
        moveChips(31, 0);
        f.page()->currentCsvScript()->addresses = QStringList{"x", " 31 ", "32"};
        for (int n = 1; n <= 3; ++n)
            field(n)->setText("-");
        f.page()->on_pbReadNTCs_clicked();
        QStringList shown;
        for (int n = 1; n <= 3; ++n)
            shown << field(n)->text();
        QCOMPARE(shown, (QStringList{"25.0 °C", "56.2 °C", "-"}));
        moveChips(1, 2);
    }
};

QTEST_MAIN(TestBoardNtc)
#include "tst_boardntc.moc"
