// The readers of the LED-driver board's EEPROM blocks against the simulated EEPROM with real
// board images: the frames they send, the records they fill, their checks and their traces.
#include "eepromblock.h"
#include "spiappfixture.h"

#include <QtTest>

namespace
{

QStringList traced;
QtMessageHandler previousHandler = nullptr;

// Keeps the debug lines; the frame traces of each block read (the frame written, then the
// answer) are left out.
void recordTrace(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    static bool afterFrame = false;
    if (type != QtDebugMsg) {
        previousHandler(type, context, text);
        return;
    }
    const bool frame = text.startsWith("Written data to EEPROM");
    if (!frame && !(afterFrame && text.startsWith("Data from EEPROM")))
        traced << text;
    afterFrame = frame;
}

QStringList takeTraces()
{
    QStringList lines = traced;
    traced.clear();
    return lines;
}

// The reader's messages without the traces of the block texts.
QStringList takeMessages()
{
    QStringList lines = takeTraces();
    lines.removeIf([](const QString &line) { return line.startsWith("Data"); });
    return lines;
}

const QByteArray Config = QByteArray::fromHex("0134120001000107800cfe0b0c0d40");
const QString ConfigInvalid = "EEPROM is not connected or config data are not valid!";
const QString LengthInvalid = "EEPROM is not connected or data length are not valid!";
const QString BoostInvalid = "EEPROM is not connected or boost data are not valid!";
const QString BuckInvalid = "EEPROM is not connected or buck data are not valid!";
const QString DataInvalid = "EEPROM is not connected or eeprom data are not valid!";
const QString P404Title = "Read device params from EEPROM - 404";
const QString ParamsTitle = "Read device params from EEPROM";

QList<int> fieldsOf(const DriverParams &p)
{
    return {p.w0, p.w1, p.b0, p.b1,  p.w2,  p.w3, p.w4, p.w5,  p.b2,  p.w6, p.w7, p.w8,
            p.w9, p.b3, p.b4, p.w10, p.w11, p.b5, p.b6, p.w12, p.w13, p.b7, p.b8};
}

QList<int> fieldsOf(const BuckParams &p)
{
    return {p.w0, p.w1, p.w2, p.b0, p.b1, p.b2, p.w3, p.w4,  p.w5,
            p.b3, p.b4, p.b5, p.w6, p.w7, p.w8, p.w9, p.w10, p.w11};
}

QList<int> fieldsOf(const BoostParams &p)
{
    return {p.w0, p.w1, p.w2, p.b0, p.b1, p.b2, p.w3, p.w4, p.w5, p.b3, p.b4, p.b5, p.b6};
}

// A valid configuration pointing at a parameter block.
DeviceConfig configAt(int paramsAddress)
{
    DeviceConfig config;
    config.paramsAddress = quint8(paramsAddress);
    config.valid = true;
    return config;
}

} // namespace

class TestEepromBlocks : public QObject
{
    Q_OBJECT

    SpiAppFixture f;

    // Loads an image that holds config and, at 0x40, the block.
    void loadBoard(const QByteArray &config, const QByteArray &block)
    {
        QByteArray image = FakeSpiEeprom::image(FakeSpiEeprom::Blank);
        FakeSpiEeprom::storeBlock(image, 0, config);
        FakeSpiEeprom::storeBlock(image, 0x40, block);
        f.eeprom.load(image);
    }

    void loadImage(FakeSpiEeprom::Image kind) { f.eeprom.load(FakeSpiEeprom::image(kind)); }

private slots:
    void initTestCase()
    {
        previousHandler = qInstallMessageHandler(recordTrace);
        QVERIFY(f.start());
        QVERIFY(spiEEPROM);
        // Before any read the records hold zeros and are not valid.
        QCOMPARE(fieldsOf(spiEEPROM->driverParams), QList<int>(23, 0));
        QCOMPARE(fieldsOf(spiEEPROM->buckParams), QList<int>(18, 0));
        QCOMPARE(fieldsOf(spiEEPROM->boostParams), QList<int>(13, 0));
        QVERIFY(!spiEEPROM->driverParams.valid && !spiEEPROM->buckParams.valid &&
                !spiEEPROM->boostParams.valid);
    }

    // A pair that does not parse counts as 0; a lone last digit is no byte.
    void bytesOfText()
    {
        QCOMPARE(EepromBlock::bytesOfText("0g1F2"), QByteArray::fromHex("001f"));
        QCOMPARE(EepromBlock::valueAt(QByteArray::fromHex("0102"), 1, 2), 2u);
    }

    void init()
    {
        loadImage(FakeSpiEeprom::Kvl52404Board);
        f.take();
        takeTraces();
    }

    void kvl52404Config()
    {
        const DeviceConfig config = spiEEPROM->readDeviceConfig();
        QVERIFY(config.valid);
        const QList<int> fields{config.byte0,  config.bytes1to3, config.bytes4to6,    config.byte7,
                                config.byte8,  config.chipCode,  config.byte10,       config.byte11,
                                config.byte12, config.byte13,    config.paramsAddress};
        QCOMPARE(fields, (QList<int>{1, 4660, 65537, 7, 128, 12, 254, 11, 12, 13, 64}));
        const QByteArray zeros(30, '0');
        QCOMPARE(f.take(),
                 (QList<QByteArray>{"set SPI0CS3DATA=0403000000", "get SPI0CS3DATA",
                                    "set SPI0CS3DATA=12030001" + zeros, "get SPI0CS3DATA",
                                    "set SPI0CS3DATA=120301e1" + zeros, "get SPI0CS3DATA"}));
        QByteArray check = Config;
        for (char &c : check)
            c = char(~c);
        QCOMPARE(takeTraces(),
                 (QStringList{"Read device config from EEPROM", "Position: 3 , length: 15",
                              "Data from EEPROM \"" + Config.toHex() + "\"",
                              "Data(valid) from EEPROM \"" + check.toHex() + "\""}));
        QVERIFY(f.eeprom.violations().isEmpty());
    }

    void configNumbers_data()
    {
        QTest::addColumn<QByteArray>("bytes1to3");
        QTest::addColumn<int>("value");
        QTest::newRow("middle byte") << QByteArray::fromHex("000100") << 256;
        QTest::newRow("low byte") << QByteArray::fromHex("010000") << 1;
        QTest::newRow("high byte") << QByteArray::fromHex("000001") << 65536;
        QTest::newRow("all set") << QByteArray::fromHex("ffffff") << 16777215;
    }

    void configNumbers()
    {
        QFETCH(QByteArray, bytes1to3);
        QFETCH(int, value);
        loadBoard(QByteArray(Config).replace(1, 3, bytes1to3), QByteArray(1, 0));
        const DeviceConfig config = spiEEPROM->readDeviceConfig();
        QVERIFY(config.valid);
        QCOMPARE(config.bytes1to3, value);
    }

    void configFailures_data()
    {
        QTest::addColumn<int>("length");   // written at address 0; -1: the image's
        QTest::addColumn<int>("badCheck"); // check byte made one off; -1: none
        QTest::addColumn<int>("refused");  // transfer refused; 0: none
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("lines");
        const QString title = "Read device config from EEPROM";
        QTest::newRow("length 14")
            << 14 << -1 << 0 << QStringList{title, "Position: 3 , length: 14", LengthInvalid} << 2;
        QTest::newRow("length 16")
            << 16 << -1 << 0 << QStringList{title, "Position: 3 , length: 16", LengthInvalid} << 2;
        QTest::newRow("blank") << 255 << -1 << 0
                               << QStringList{title, "Position: 3 , length: 255", LengthInvalid}
                               << 2;
        QTest::newRow("refused") << -1 << -1 << 1
                                 << QStringList{title, "Position: 3 , length: 0", LengthInvalid}
                                 << 1;
        QTest::newRow("check byte at 9")
            << -1 << 9 << 0
            << QStringList{title, "Position: 3 , length: 15", "Error at position: 9", ConfigInvalid}
            << 6;
        QTest::newRow("last check byte") << -1 << 14 << 0
                                         << QStringList{title, "Position: 3 , length: 15",
                                                        "Error at position: 14", ConfigInvalid}
                                         << 6;
        QTest::newRow("primary copy refused")
            << -1 << -1 << 2 << QStringList{title, "Position: 3 , length: 15", ConfigInvalid} << 3;
        QTest::newRow("check copy refused")
            << -1 << -1 << 3 << QStringList{title, "Position: 3 , length: 15", ConfigInvalid} << 5;
    }

    void configFailures()
    {
        QFETCH(int, length);
        QFETCH(int, badCheck);
        QFETCH(int, refused);
        QFETCH(QStringList, messages);
        QFETCH(int, lines);
        if (length >= 0)
            f.eeprom.setByte(0, quint8(length));
        if (badCheck >= 0)
            f.eeprom.setByte(481 + badCheck, quint8(0xFF - quint8(Config.at(badCheck)) + 1));
        if (refused > 0)
            f.eeprom.refuseTransfer(refused);
        QVERIFY(!spiEEPROM->readDeviceConfig().valid);
        QCOMPARE(takeMessages(), messages);
        QCOMPARE(f.take().size(), lines);
    }

    // Copies that are equal instead of complementary fail at every position.
    void equalCopies()
    {
        for (int k = 0; k < 15; ++k) {
            f.eeprom.setByte(1 + k, 0x55);
            f.eeprom.setByte(481 + k, 0x55);
        }
        QVERIFY(!spiEEPROM->readDeviceConfig().valid);
        const QStringList messages = takeMessages();
        QCOMPARE(messages.size(), 2 + 15 + 1);
        for (int k = 0; k < 15; ++k)
            QCOMPARE(messages.at(2 + k), QString("Error at position: %1").arg(k));
        QCOMPARE(messages.last(), ConfigInvalid);
    }

    // The KVL52205 board's block, then a KVL52404 read that leaves w4, w5 and b2 alone, then a
    // KVL52205 read that leaves the KVL52404's own fields alone.
    void driverBlocks()
    {
        spiEEPROM->driverParams = DriverParams();
        loadImage(FakeSpiEeprom::Kvl52205Board);
        DeviceConfig config = spiEEPROM->readDeviceConfig();
        QCOMPARE(config.chipCode, 5);
        spiEEPROM->readDeviceParams(config);
        const DriverParams &p = spiEEPROM->driverParams;
        QVERIFY(p.valid);
        const QList<int> kvl52205{100, 120, 1, 2,    768, 1024, 200, 330, 3, 0, 0, 0,
                                  0,   4,   0, 4369, 0,   5,    0,   255, 0, 6, 0};
        QCOMPARE(fieldsOf(p), kvl52205);
        QCOMPARE(takeMessages(), (QStringList{"Read device config from EEPROM",
                                              "Position: 3 , length: 15", ParamsTitle}));

        loadImage(FakeSpiEeprom::Kvl52404Board);
        f.take();
        config = spiEEPROM->readDeviceConfig();
        QCOMPARE(config.chipCode, 12);
        spiEEPROM->readDeviceParamsP404(config);
        QVERIFY(p.valid);
        const QList<int> kvl52404{47, 256, 17, 34,    4660,  65535, 200, 330, 3,     1000, 2,  3,
                                  4,  51,  68, 48879, 51966, 85,    102, 258, 42330, 119,  136};
        QCOMPARE(fieldsOf(p), kvl52404);
        const QByteArray zeros(64, '0');
        QCOMPARE(f.take().mid(6),
                 (QList<QByteArray>{"set SPI0CS3DATA=0403004000", "get SPI0CS3DATA",
                                    "set SPI0CS3DATA=23030041" + zeros, "get SPI0CS3DATA",
                                    "set SPI0CS3DATA=23030221" + zeros, "get SPI0CS3DATA"}));

        loadImage(FakeSpiEeprom::Kvl52205Board);
        spiEEPROM->readDeviceParams(config);
        QCOMPARE(fieldsOf(p).mid(9, 4), kvl52404.mid(9, 4)); // w6 to w9 kept
        QCOMPARE(p.w4, 200);
        QVERIFY(p.valid);
    }

    void driverFailures_data()
    {
        QTest::addColumn<bool>("p404");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QStringList>("messages");
        for (const bool p404 : {true, false}) {
            const QString title = p404 ? P404Title : ParamsTitle;
            const char *chip = p404 ? "404 " : "205 ";
            QTest::addRow("%sconfig not valid", chip)
                << p404 << "config" << QStringList{title, ConfigInvalid};
            QTest::addRow("%slength 0", chip)
                << p404 << "length 0" << QStringList{title, BoostInvalid};
            QTest::addRow("%slength 255", chip)
                << p404 << "length 255" << QStringList{title, BoostInvalid};
            QTest::addRow("%slength refused", chip)
                << p404 << "refused 1" << QStringList{title, BoostInvalid};
            QTest::addRow("%scheck bytes 3 and 17", chip)
                << p404 << "checks"
                << QStringList{title, "Error at position: 3", "Error at position: 17", DataInvalid};
            QTest::addRow("%scheck copy refused", chip)
                << p404 << "refused 3" << QStringList{title, DataInvalid};
        }
    }

    // A failed read says why, turns valid false and keeps every other field.
    void driverFailures()
    {
        QFETCH(bool, p404);
        QFETCH(QString, failure);
        QFETCH(QStringList, messages);
        if (!p404)
            loadImage(FakeSpiEeprom::Kvl52205Board);
        const auto read = [p404](const DeviceConfig &config) {
            p404 ? spiEEPROM->readDeviceParamsP404(config) : spiEEPROM->readDeviceParams(config);
        };
        read(configAt(0x40));
        QVERIFY(spiEEPROM->driverParams.valid);
        const QList<int> before = fieldsOf(spiEEPROM->driverParams);
        takeTraces();
        f.take();
        DeviceConfig config = configAt(0x40);
        if (failure == "config")
            config.valid = false;
        else if (failure.startsWith("length"))
            f.eeprom.setByte(0x40, quint8(failure.mid(7).toInt()));
        else if (failure.startsWith("refused"))
            f.eeprom.refuseTransfer(failure.mid(8).toInt());
        else
            for (const int position : {3, 17})
                f.eeprom.setByte(0x41 + 480 + position, 0);
        read(config);
        QVERIFY(!spiEEPROM->driverParams.valid);
        QCOMPARE(fieldsOf(spiEEPROM->driverParams), before);
        QCOMPARE(takeMessages(), messages);
        if (failure == "config")
            QVERIFY(f.take().isEmpty());
    }

    void blockLengths_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("frames");
        QTest::newRow("one byte") << 1 << 3;
        QTest::newRow("six bytes") << 6 << 3;
        QTest::newRow("forty bytes") << 40 << 3;
        QTest::newRow("254 bytes") << 254 << 5;
    }

    // The block is tested over its whole length; bytes beyond it decode as 0.
    void blockLengths()
    {
        QFETCH(int, length);
        QFETCH(int, frames);
        QByteArray block;
        for (int k = 0; k < length; ++k)
            block.append(char(k + 1));
        loadBoard(Config, block);
        const DeviceConfig config = configAt(0x40);
        spiEEPROM->readDeviceParamsP404(config);
        const DriverParams &p = spiEEPROM->driverParams;
        QVERIFY(p.valid);
        QCOMPARE(p.w0, length == 1 ? 1 : 0x0201);
        QCOMPARE(p.b1, length >= 6 ? 6 : 0);
        QCOMPARE(p.w2, length >= 8 ? 0x0807 : 0);
        QCOMPARE(p.b8, length >= 32 ? 32 : 0);
        QCOMPARE(f.take().size(), 2 * frames);

        f.eeprom.setByte(0x41 + 480 + length - 1, 0); // the last byte is still tested
        takeTraces();
        spiEEPROM->readDeviceParamsP404(config);
        QVERIFY(!p.valid);
        QVERIFY(takeMessages().contains(QString("Error at position: %1").arg(length - 1)));
    }

    // The parameter block lies where the configuration says.
    void paramsAddress()
    {
        QByteArray image = FakeSpiEeprom::image(FakeSpiEeprom::Blank);
        FakeSpiEeprom::storeBlock(image, 0, QByteArray(Config).replace(14, 1, "\xc8"));
        FakeSpiEeprom::storeBlock(image, 200, QByteArray::fromHex("2f00"));
        f.eeprom.load(image);
        const DeviceConfig config = spiEEPROM->readDeviceConfig();
        QCOMPARE(config.paramsAddress, 200);
        f.take();
        spiEEPROM->readDeviceParamsP404(config);
        QCOMPARE(spiEEPROM->driverParams.w0, 47);
        const QList<QByteArray> lines = f.take();
        QCOMPARE(lines.at(0), QByteArray("set SPI0CS3DATA=040300c800"));
        QCOMPARE(lines.at(4), QByteArray("set SPI0CS3DATA=050302a90000")); // 681
    }

    void otherReaders_data()
    {
        QTest::addColumn<int>("reader");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("lengthMessage");
        QTest::addColumn<QList<int>>("fields");
        const QList<int> powerStage{513, 1284, 2055, 3, 6, 9, 2826, 3340, 3854};
        QTest::newRow("V1") << 0 << ParamsTitle << BuckInvalid
                            << QList<int>{513, 1284, 0,  3, 6, 0, 2055, 2569, 0,
                                          11,  12,   13, 0, 0, 0, 0,    0,    0};
        QTest::newRow("V3") << 1 << ParamsTitle << BuckInvalid
                            << powerStage + QList<int>{16, 17, 18, 0, 0, 0, 0, 0, 0};
        QTest::newRow("402") << 2 << "Read device params from EEPROM - 402/403" << BuckInvalid
                             << powerStage +
                                    QList<int>{0, 0, 0, 4368, 4882, 5396, 5910, 6424, 6938};
        QTest::newRow("boost 401")
            << 3 << "Read device params from Boost 401 EEPROM" << BoostInvalid
            << QList<int>{1027, 1541, 0, 7, 8, 0, 2569, 3083, 0, 1, 2, 13, 14};
        QTest::newRow("V2") << 4 << ParamsTitle << BoostInvalid
                            << powerStage + QList<int>{0, 0, 0, 0};
    }

    // Each of the five other readers decodes a 27-byte block (byte k holding k + 1) by its own
    // table into its own record, and names its record kind when the length is bad.
    void otherReaders()
    {
        QFETCH(int, reader);
        QFETCH(QString, title);
        QFETCH(QString, lengthMessage);
        QFETCH(QList<int>, fields);
        const auto read = [reader](const DeviceConfig &config) {
            void (SpiEEPROM::*const readers[])(DeviceConfig) = {
                &SpiEEPROM::readDeviceParamsV1, &SpiEEPROM::readDeviceParamsV3,
                &SpiEEPROM::readDeviceParams402, &SpiEEPROM::readBoostParams401,
                &SpiEEPROM::readDeviceParamsV2};
            (spiEEPROM->*readers[reader])(config);
        };
        const auto record = [reader]() {
            return reader < 3 ? fieldsOf(spiEEPROM->buckParams) : fieldsOf(spiEEPROM->boostParams);
        };
        QByteArray block;
        for (int k = 0; k < 27; ++k)
            block.append(char(k + 1));
        loadBoard(Config, block);
        spiEEPROM->buckParams = BuckParams();
        spiEEPROM->boostParams = BoostParams();
        const DriverParams driver = spiEEPROM->driverParams;
        read(configAt(0x40));
        QCOMPARE(record(), fields);
        QVERIFY(reader < 3 ? spiEEPROM->buckParams.valid : spiEEPROM->boostParams.valid);
        QCOMPARE(fieldsOf(spiEEPROM->driverParams), fieldsOf(driver));
        QCOMPARE(takeMessages(), QStringList{title});

        f.eeprom.setByte(0x40, 0);
        read(configAt(0x40));
        QCOMPARE(takeMessages(), (QStringList{title, lengthMessage}));
        QCOMPARE(record(), fields);
    }

    void cleanupTestCase()
    {
        f.app->shutdown();
        qInstallMessageHandler(previousHandler);
    }
};

QTEST_MAIN(TestEepromBlocks)
#include "tst_eepromblocks.moc"
