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

QByteArray blockLine(quint32 address, const QByteArray &block)
{
    return "set flash=" + QByteArray::number(address, 16) +
           QByteArray::number(FakeBoardFlash::crc32(block), 16).rightJustified(8, '0') +
           "00000100" + block.toHex();
}

QByteArray values(int first, int count = 12)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out.append(char(first + i));
    return out;
}

QStringList texts(int first, int count = 12)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out.append(QString::number(first + i));
    return out;
}

QByteArray padTo(const QByteArray &image, int size)
{
    return image + QByteArray(size - int(image.size()), '\0');
}

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

    // The number of read-back requests and the warnings shown since the last call.
    int warnings()
    {
        int count = 0;
        for (const Prompt::Message &m : f.prompt.messages())
            count += m.title == "KVL52110" && m.text == Warning && m.icon == Prompt::Warning;
        return count - shownWarnings;
    }
    int shownWarnings = 0;

private slots:
    void initTestCase() { QVERIFY(f.start()); }
    void init()
    {
        checkData()->setChecked(false);
        f.flash.setRefuseAt(-1);
        f.flash.setReadErrorAt(-1);
        f.flash.setAlteredReadAt(-1);
        shownWarnings += warnings();
        f.take();
    }

    // Scripts loaded from CSV files: the block lines, the stored image and the labels.
    void flashScript_data()
    {
        QTest::addColumn<int>("devices");
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<QList<QStringList>>("steps");
        QTest::addColumn<QByteArray>("image");
        const QByteArray marker(1, char(0xFF));
        QTest::newRow("two devices, three steps")
            << 2 << QStringList{"1", "2"}
            << QList<QStringList>{texts(1) + texts(13), texts(1) + texts(50), texts(80) + texts(50)}
            << QByteArray("START\x64\x02\x03\x01\x02") + values(1) + values(13) + marker +
                   values(50) + values(80) + marker + "END";
        QTest::newRow("25 bytes") << 1 << QStringList{"5"} << QList<QStringList>{texts(7), texts(7)}
                                  << QByteArray("START\x64\x01\x02\x05") + values(7) + marker +
                                         "END";
        QTest::newRow("one device repeating")
            << 1 << QStringList{"5"} << QList<QStringList>{texts(3), texts(3), texts(3)}
            << QByteArray("START\x64\x01\x03\x05") + values(3) + marker + marker + "END";
        QTest::newRow("no steps") << 2 << QStringList{"1", "2"} << QList<QStringList>()
                                  << QByteArray("START\x64\x02\x00\x01\x02", 10) + "END";
        QTest::newRow("no devices") << 0 << QStringList() << QList<QStringList>{{}, {}}
                                    << QByteArray("START\x64\x00\x02", 8) + "END";
    }
    void flashScript()
    {
        QFETCH(int, devices);
        QFETCH(QStringList, addresses);
        QFETCH(QList<QStringList>, steps);
        QFETCH(QByteArray, image);
        CsvScript s;
        s.devices = devices;
        s.addresses = addresses;
        s.steps = steps;
        f.loadScript(s, "flashed.csv");
        page()->on_pbFlashMCU_clicked();
        const QByteArray block = padTo(image, 256);
        QCOMPARE(f.take(), QList<QByteArray>{blockLine(0x800300FF, block)});
        QCOMPARE(f.flash.read(0x800300FF, 256), block);
        QCOMPARE(label("lbFlashSize"), QString("Required flash size %1 B").arg(image.size()));
        QCOMPARE(label("lbUsedFlashSize"), QString("Used flash size 256 B"));
        QCOMPARE(page()->nextFlashAddress(), 0x800301FFu);
        QCOMPARE(f.flash.badBlocks(), 0);
    }

    // The largest image that fits takes 510 blocks, the last at 0x8004fdff.
    void largestImageIsWritten()
    {
        loadExample();
        fillLarge(page()->currentCsvScript(), 66);
        page()->on_pbFlashMCU_clicked();
        const QList<QByteArray> lines = f.take();
        QCOMPARE(lines.size(), 510);
        QVERIFY(lines.last().startsWith("set flash=8004fdff"));
        QCOMPARE(label("lbFlashSize"), QString("Required flash size 130550 B"));
        QCOMPARE(label("lbUsedFlashSize"), QString("Used flash size 130560 B"));
        QCOMPARE(page()->nextFlashAddress(), 0x800300FFu + 130560);
        QCOMPARE(f.flash.badBlocks(), 0);
    }

    // A refused block is passed over; the next one still goes out.
    void failedBlockIsPassedOver()
    {
        loadExample();
        page()->currentCsvScript()->steps.append(QStringList{"3"} + texts(100));
        for (int i = 0; i < 20; ++i)
            page()->currentCsvScript()->steps.append(QStringList{"4"} + texts(i % 2));
        f.flash.setRefuseAt(f.flash.blockCount());
        page()->on_pbFlashMCU_clicked();
        QCOMPARE(f.take().size(), 2);
        QCOMPARE(page()->nextFlashAddress(), 0x800302FFu);
        QCOMPARE(warnings(), 0);
    }

    // With "Check data" every written block is requested back; an answer that is refused or
    // whose data differ ends the read-back with a warning.
    void readBack_data()
    {
        QTest::addColumn<int>("errorAt");
        QTest::addColumn<int>("alteredAt");
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("warned");
        QTest::newRow("all good") << -1 << -1 << 2 << 0;
        QTest::newRow("flash:err at the first") << 0 << -1 << 1 << 1;
        QTest::newRow("altered second") << -1 << 1 << 2 << 1;
    }
    void readBack()
    {
        QFETCH(int, errorAt);
        QFETCH(int, alteredAt);
        loadExample();
        for (int i = 0; i < 21; ++i)
            page()->currentCsvScript()->steps.append(QStringList{"9"} + texts(i % 2));
        const int reads = int(f.flash.readLines().size());
        f.flash.setReadErrorAt(errorAt < 0 ? -1 : reads + errorAt);
        f.flash.setAlteredReadAt(alteredAt < 0 ? -1 : reads + alteredAt);
        checkData()->setChecked(true);
        page()->on_pbFlashMCU_clicked();
        QList<QByteArray> sent = f.take();
        sent.removeIf([](const QByteArray &line) { return line.startsWith("set flash="); });
        const QList<QByteArray> all{"get flash=800300ff00000100", "get flash=800301ff00000100"};
        QFETCH(int, requests);
        QCOMPARE(sent, all.mid(0, requests));
        QTEST(warnings(), "warned");
        if (errorAt < 0 && alteredAt < 0)
            QCOMPARE(page()->nextFlashAddress(), 0x800302FFu);
    }

    // Without the data after the header ("mockup"), an answer counts by its success alone.
    void readBackOnMockupCountsSuccess()
    {
        loadExample();
        checkData()->setChecked(true);
        f.app->disconnectBoard();
        QVERIFY(f.app->connectBoard("mockup"));
        page()->on_pbFlashMCU_clicked();
        QCOMPARE(warnings(), 0);
        QCOMPARE(page()->nextFlashAddress(), 0x800301FFu);
        QVERIFY(f.connectTo(f.board));
    }

    void invalidScriptIsRefused_data()
    {
        QTest::addColumn<int>("devices");
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("text");
        QTest::newRow("steps") << 1 << QStringList{"5"} << 256
                               << "Invalid script: more than 255 steps";
        QTest::newRow("addresses")
            << 3 << QStringList{"5", "6"} << 1 << "Invalid script: fewer addresses than devices";
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
