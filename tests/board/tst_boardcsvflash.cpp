// "Flash MCU" on the simulated board: the size labels, scripts refused before anything is
// sent, the block lines and the stored image, and the read-back with its warning.
#include "animationfixture.h"

#include <QCheckBox>
#include <QLabel>

namespace
{

// A script of 45 devices and 243 steps whose first device repeats in steps 1 to markers and
// every other block is full: 131276 - 11 x markers bytes.
void fillLarge(CSVReader *script, int markers)
{
    constexpr int devices = 45;
    constexpr int steps = 243;
    script->deviceCount = devices;
    script->addresses = cells(devices, 1);
    script->steps.clear();
    for (int s = 0; s < steps; ++s) {
        QStringList row{QString::number(s + 1)};
        for (int d = 0; d < devices; ++d)
            row += cells(12, (d == 0 && s <= markers) ? 0 : s % 200);
        script->steps.append(row);
    }
}

const QString Warning = QStringLiteral("An error appeard while sending");

} // namespace

class TestBoardCsvFlash : public QObject
{
    Q_OBJECT

    AnimationFixture f;

    Board *page() { return f.page(); }
    QString label(const char *name) { return f.widget<QLabel>(name)->text(); }
    QCheckBox *checkData() { return f.widget<QCheckBox>("cbCheckData"); }

    // A 25-byte script: one device at address 5, delay 100, two equal steps.
    void loadExample()
    {
        CsvScript s;
        s.steps = {cells(12, 7), cells(12, 7)};
        f.loadScript(s, "example.csv");
    }

private slots:
    void initTestCase() { QVERIFY(f.start()); }
    void init()
    {
        checkData()->setChecked(false);
        f.take();
    }

    void invalidScriptIsRefused_data()
    {
        QTest::addColumn<int>("devices");
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("text");
        QTest::newRow("steps") << 1 << QStringList{"5"} << 256
                               << "Invalid script: more than 255 steps";
        QTest::newRow("addresses") << 3 << QStringList{"5", "6"} << 1
                                   << "Invalid script: fewer addresses than devices";
        QTest::newRow("address") << 1 << QStringList{"256"} << 1
                                 << "Invalid script: address outside 0..255";
    }
    void invalidScriptIsRefused()
    {
        QFETCH(int, devices);
        QFETCH(QStringList, addresses);
        QFETCH(int, steps);
        CsvScript s;
        s.devices = devices;
        s.addresses = addresses;
        s.steps = QList<QStringList>(steps, cells(12 * devices, 1));
        f.loadScript(s, "invalid.csv");
        checkData()->setChecked(true);
        const quint32 address = page()->nextFlashAddress();
        page()->on_pbFlashMCU_clicked();
        QTEST(label("lbUsedFlashSize"), "text");
        QCOMPARE(page()->nextFlashAddress(), address);
        QVERIFY(f.take().isEmpty());
    }

    void oversizedImageIsRefused()
    {
        loadExample();
        fillLarge(page()->currentCsvScript(), 65);
        checkData()->setChecked(true);
        const quint32 address = page()->nextFlashAddress();
        page()->on_pbFlashMCU_clicked();
        QCOMPARE(label("lbFlashSize"), QString("Required flash size 130561 B"));
        QCOMPARE(label("lbUsedFlashSize"), QString("Reached max size 130560 B"));
        QCOMPARE(page()->nextFlashAddress(), address);
        QVERIFY(f.take().isEmpty());
    }
};

QTEST_MAIN(TestBoardCsvFlash)
#include "tst_boardcsvflash.moc"
