// The 32-bit SPI tool in the running application, connected to the simulated board over a
// pseudo-terminal: its CRC-4, the exact lines it sends, the answer check against the simulated
// KVL52404, its failures, its commands and its form.
#include "checkbox.h"
#include "combobox.h"
#include "fakekvl52404.h"
#include "lineedit.h"
#include "pushbutton.h"
#include "spiappfixture.h"
#include "variable.h"

#include <QtTest>

namespace
{

quint32 field(const QString &name)
{
    return spiRaw4B->get(name, Variable::InternalKey).toUInt();
}

void put(const QString &name, quint32 value)
{
    QVERIFY(spiRaw4B->set(name, QVariant(uint(value)), Variable::InternalKey));
}

// One frame on a channel; the result of the transfer.
bool frame(int channel, quint32 request)
{
    spiRaw4B->set("SPIChannel4B", channel, Variable::InternalKey);
    spiRaw4B->set("SpiIn4B[]", QVariant(uint(request)), Variable::InternalKey);
    return spiRaw4B->transfer();
}

double crcValid()
{
    return spiRaw4B->get("CRCValid", Variable::InternalKey).toDouble();
}

CustomControls::CheckBox *validBox()
{
    return spiRaw4B->findChild<CustomControls::CheckBox *>("cb_CRCvalid");
}

} // namespace

class TestSpiRaw4B : public QObject
{
    Q_OBJECT

    SpiAppFixture f;

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        QVERIFY(spiRaw4B);
        QCOMPARE(f.app->findApplet("SpiRaw4B", MainApp::ByName), spiRaw4B);
        QVERIFY(validBox());
        QVERIFY(SpiAppFixture::hasFixedWindow(spiRaw4B, QSize(1011, 257)));
    }

    void init() { f.take(); }

    void crcWorkedValues_data()
    {
        QTest::addColumn<quint64>("value");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("crc");
        QTest::newRow("request R/W 1") << quint64(0x8000000) << 28 << 5;
        QTest::newRow("request all 0") << quint64(0) << 28 << 7;
        QTest::newRow("request bit 28 ignored") << quint64(0x18000000) << 28 << 5;
        QTest::newRow("answer to R/W 1") << quint64(0x40) << 36 << 15;
        QTest::newRow("answer to R/W 0") << quint64(0) << 36 << 8;
        QTest::newRow("answer bit 36 ignored") << quint64(0x1000000040) << 36 << 15;
    }

    void crcWorkedValues()
    {
        QFETCH(quint64, value);
        QFETCH(int, bits);
        QFETCH(int, crc);
        const qint8 result =
            bits == 28 ? SpiRaw4B::crc4Of28(quint32(value), 15) : SpiRaw4B::crc4Of36(value, 15);
        QCOMPARE(int(result), crc);
    }

    // The register after each nibble of 1 followed by 27 zeros.
    void crcNibbleByNibble()
    {
        QList<int> states;
        qint8 state = 15;
        for (int i = 6; i >= 0; --i) {
            state = SpiRaw4B::crc4(quint8((0x8000000u >> (4 * i)) & 0xF), state);
            states.append(state);
        }
        QCOMPARE(states, (QList<int>{9, 8, 11, 14, 1, 3, 5}));
    }

    // The old nibble does not enter the CRC; the button writes the bit boxes and the edit.
    void calcCrcReplacesTheLowNibble()
    {
        put("SpiIn4B[]", 0x8000000F);
        QCOMPARE(spiRaw4B->run("calcCRC", QVariant()), QVariant(true));
        QCOMPARE(field("SpiIn4B[]"), 0x80000005u);
        put("SpiIn4B[]", 0x0000000A);
        auto *button = spiRaw4B->findChild<CustomControls::PushButton *>("pb_CalculateCRC");
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(field("SpiIn4B[]"), 0x00000007u);
        auto *edit = spiRaw4B->findChild<CustomControls::LineEdit *>("leSpiIn4B_3_0");
        auto *bit1 = spiRaw4B->findChild<CustomControls::CheckBox *>("cbSpiIn4B_1");
        auto *bit3 = spiRaw4B->findChild<CustomControls::CheckBox *>("cbSpiIn4B_3");
        QVERIFY(edit && bit1 && bit3);
        QCOMPARE(edit->value(), 7.0);
        QVERIFY(bit1->isChecked());
        QVERIFY(!bit3->isChecked());
        QVERIFY(f.take().isEmpty());
    }

    void unknownCrcTypeLeavesTheRequest()
    {
        auto *combo = spiRaw4B->findChild<CustomControls::ComboBox *>("cb_CRCtype");
        QVERIFY(combo);
        combo->addItem("401");
        combo->setCurrentIndex(1);
        put("SpiIn4B[]", 0x8000000F);
        QCOMPARE(spiRaw4B->run("calcCRC", QVariant()), QVariant(true));
        QCOMPARE(field("SpiIn4B[]"), 0x8000000Fu);
        combo->removeItem(1);
        QCOMPARE(combo->currentText(), QString("405/404/402"));
    }

    void sendsBitsHighFirst_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<uint>("request");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("channel 12")
            << 12 << 0x80000005u << QByteArray("set SPILEDCS12DATA=0480000005");
        QTest::newRow("lower case")
            << 3 << 0xABCDEF12u << QByteArray("set SPILEDCS3DATA=04abcdef12");
    }

    void sendsBitsHighFirst()
    {
        QFETCH(int, channel);
        QFETCH(uint, request);
        QFETCH(QByteArray, line);
        QVERIFY(frame(channel, request));
        const QByteArray get = "get " + line.mid(4, line.indexOf('=') - 4);
        QCOMPARE(f.take(), (QList<QByteArray>{line, get}));
    }

    // A write of 3 to word 13 and its read-back on channel 0; then a status word.
    void kvl52404Answers()
    {
        QVERIFY(frame(0, 0x9A000035));
        QCOMPARE(f.spi.kvl52404Word(13), 3u);
        QCOMPARE(field("SpiOut4B[30:25]"), 13u);
        QCOMPARE(crcValid(), 1.0);
        QVERIFY(frame(0, 0x1A000002));
        QCOMPARE(field("SpiOut4B[24:4]"), 3u);
        QCOMPARE(field("SpiOut4B[31:25]"), 0u);
        QCOMPARE(crcValid(), 1.0);
        QVERIFY(validBox()->isChecked());
        QVERIFY(frame(0, 0x6E000009));
        QCOMPARE(field("SpiOut4B[24:4]"), 400u);
        QCOMPARE(crcValid(), 1.0);
        QVERIFY(f.spi.violations().isEmpty());
    }

    void corruptedCrcIsSeen()
    {
        f.spi.setCorruptAnswerCrc(true);
        QVERIFY(frame(0, 0x1A000002));
        f.spi.setCorruptAnswerCrc(false);
        QCOMPARE(field("SpiOut4B[24:4]"), 3u);
        QCOMPARE(crcValid(), 0.0);
        spiRaw4B->slot_updateAllControls();
        QVERIFY(!validBox()->isChecked());
        QVERIFY(frame(0, 0x1A000002));
        QVERIFY(validBox()->isChecked());
    }

    void noDeviceReadsOnes()
    {
        QVERIFY(frame(5, 0x1A000002));
        QCOMPARE(field("SpiOut4B[]"), 0xFFFFFFFFu);
        QCOMPARE(crcValid(), 0.0);
        QVERIFY(!validBox()->isChecked());
    }

    void answers_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<qint64>("word"); // -1: the transfer fails
        QTest::newRow("upper case") << QByteArray("SPILEDCS5DATA=04FFFFFFF0") << qint64(0xFFFFFFF0);
        QTest::newRow("short") << QByteArray("SPILEDCS5DATA=04f") << qint64(0xF);
        QTest::newRow("wider than the word")
            << QByteArray("SPILEDCS5DATA=05ffffffff0") << qint64(-1);
        QTest::newRow("not hexadecimal") << QByteArray("SPILEDCS5DATA=04fffffffg") << qint64(-1);
        QTest::newRow("count only") << QByteArray("SPILEDCS5DATA=04") << qint64(-1);
        QTest::newRow("empty value") << QByteArray("SPILEDCS5DATA=") << qint64(-1);
    }

    // A failed transfer keeps the answer and the verdict and logs one error.
    void answers()
    {
        QFETCH(QByteArray, answer);
        QFETCH(qint64, word);
        QVERIFY(frame(0, 0x1A000002)); // a valid answer first
        f.spi.scriptAnswer("SPILEDCS5DATA", answer);
        QSignalSpy log(spiRaw4B, &Applet::signal_log);
        QCOMPARE(frame(5, 0x80000005), word >= 0);
        if (word >= 0) {
            QCOMPARE(field("SpiOut4B[]"), quint32(word));
            QCOMPARE(log.size(), 0);
            return;
        }
        // The read of word 13 (3), its CRC taking the request's address 13.
        QCOMPARE(field("SpiOut4B[]"), 0x00000030u | FakeKvl52404::crc(0x30D, 36));
        QCOMPARE(crcValid(), 1.0);
        QCOMPARE(log.size(), 1);
        QCOMPARE(log.at(0).at(0).toInt(), -1);
        QCOMPARE(log.at(0).at(1).toString(), QString("SPI data transfer failed"));
    }

    void disconnectedSendsNothing()
    {
        f.app->disconnectBoard();
        QSignalSpy log(spiRaw4B, &Applet::signal_log);
        QVERIFY(!frame(0, 0x1A000002));
        QCOMPARE(spiRaw4B->run("Transfer", QVariant()), QVariant(true));
        QCOMPARE(log.size(), 2);
        QVERIFY(f.connectTo(f.board));
        QVERIFY(f.take().isEmpty());
    }

    void commands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("lower case") << "transfer" << false << QByteArray();
        QTest::newRow("with brackets") << "Transfer()" << false << QByteArray();
        QTest::newRow("empty") << "" << false << QByteArray();
        QTest::newRow("speed") << "setSPIFreq4B" << true << QByteArray("set SPILEDCS5SPEED=300000");
    }

    void commands()
    {
        QFETCH(QString, command);
        QFETCH(bool, result);
        QFETCH(QByteArray, line);
        spiRaw4B->set("SPIChannel4B", 5, Variable::InternalKey);
        f.checkCommand(spiRaw4B, command, result, line);
        QCOMPARE(spiRaw4B->functionNames(), (QStringList{"Transfer", "calcCRC", "setSPIFreq4B"}));
    }

    // The speed rounds to the nearest hertz.
    void speedRounds()
    {
        QVERIFY(spiRaw4B->set("SPIFreq4B", 1.001, Variable::OutsideKey));
        QCOMPARE(spiRaw4B->run("setSPIFreq4B", QVariant()), QVariant(true));
        QCOMPARE(f.take(), QList<QByteArray>{"set SPILEDCS5SPEED=1001"});
        QVERIFY(spiRaw4B->set("SPIFreq4B", 300, Variable::OutsideKey));
    }

    void variableRanges_data()
    {
        QTest::addColumn<bool>("wide"); // SpiRaw4B, else SpiRaw
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("clock 0") << true << "SPIFreq4B" << 0.0 << false;
        QTest::newRow("clock 1") << true << "SPIFreq4B" << 1.0 << true;
        QTest::newRow("clock 10000") << true << "SPIFreq4B" << 10000.0 << true;
        QTest::newRow("clock 10001") << true << "SPIFreq4B" << 10001.0 << false;
        QTest::newRow("channel -1") << true << "SPIChannel4B" << -1.0 << false;
        QTest::newRow("channel 15") << true << "SPIChannel4B" << 15.0 << true;
        QTest::newRow("channel 16") << true << "SPIChannel4B" << 16.0 << false;
        QTest::newRow("verdict 2") << true << "CRCValid" << 2.0 << false;
        QTest::newRow("type 99") << true << "CRCType" << 99.0 << true;
        QTest::newRow("type 100") << true << "CRCType" << 100.0 << false;
        QTest::newRow("16-bit clock 0") << false << "SPIFreq" << 0.0 << false;
        QTest::newRow("16-bit clock 10001") << false << "SPIFreq" << 10001.0 << false;
    }

    // What a user types into the edits: values outside the ranges are refused.
    void variableRanges()
    {
        QFETCH(bool, wide);
        QFETCH(QString, name);
        QFETCH(double, value);
        QFETCH(bool, accepted);
        Applet *applet = wide ? static_cast<Applet *>(spiRaw4B) : spiRaw;
        const QVariant before = applet->get(name, Variable::OutsideKey);
        QCOMPARE(applet->set(name, value, Variable::OutsideKey), accepted);
        QCOMPARE(applet->get(name, Variable::OutsideKey).toDouble(),
                 accepted ? value : before.toDouble());
        applet->set(name, before, Variable::InternalKey);
    }

    void bindingNames()
    {
        QStringList expected{"SPIFreq4B",      "SPIChannel4B",  "CRCType",      "CRCValid",
                             "SpiIn4B[30:25]", "SpiIn4B[24:4]", "SpiIn4B[3:0]", "SpiOut4B[31:25]",
                             "SpiOut4B[24:4]", "SpiOut4B[3:0]", "Transfer",     "setSPIFreq4B",
                             "calcCRC"};
        for (int k = 0; k < 32; ++k)
            expected << QString("SpiIn4B[%1]").arg(k) << QString("SpiOut4B[%1]").arg(k);
        QStringList found = spiRaw4B->controlNames();
        found.sort();
        expected.sort();
        QCOMPARE(found, expected);
    }

    // The button sends the request of the bit boxes and the answer reaches the form.
    void formDrivesTheTransfer()
    {
        spiRaw4B->set("SPIChannel4B", 0, Variable::InternalKey);
        put("SpiIn4B[]", 0x1A000002);
        auto *button = spiRaw4B->findChild<CustomControls::PushButton *>("pbSpiRaw4B_Transfer");
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(f.take(),
                 (QList<QByteArray>{"set SPILEDCS0DATA=041a000002", "get SPILEDCS0DATA"}));
        auto *data = spiRaw4B->findChild<CustomControls::LineEdit *>("leSpiOut4B_24_4");
        auto *bit4 = spiRaw4B->findChild<CustomControls::CheckBox *>("cbSpiOut4B_4");
        QVERIFY(data && bit4);
        QCOMPARE(data->value(), 3.0);
        QVERIFY(bit4->isChecked());
        QVERIFY(validBox()->isChecked());
    }
};

QTEST_MAIN(TestSpiRaw4B)
#include "tst_spiraw4b.moc"
