// KVL52205 register access through the running 16-bit SPI tool and the simulated board on a
// pseudo-terminal: the command words, the exact lines sent, the answers and the failures.
#include "spiappfixture.h"
#include "spip205.h"

#include <QtTest>

namespace
{

const QByteArray Get = QByteArrayLiteral("get SPI0CS0DATA");
const QByteArray Answer = QByteArrayLiteral("SPI0CS0DATA=02");

QByteArray setLine(const char *hexWord)
{
    return QByteArrayLiteral("set SPI0CS0DATA=02") + hexWord;
}

// A transfer: its set line and the get that follows it.
QList<QByteArray> transfers(const char *hexWord, int count)
{
    QList<QByteArray> lines;
    for (int i = 0; i < count; ++i)
        lines << setLine(hexWord) << Get;
    return lines;
}

} // namespace

class TestSpiP205 : public QObject
{
    Q_OBJECT

    SpiAppFixture f;
    SpiP205 chip;

private slots:
    void initTestCase() { QVERIFY(f.start()); }

    void init() { f.take(); }

    void cleanup() { QCOMPARE(f.spi.violations(), QStringList()); }

    void oddParity_data()
    {
        QTest::addColumn<uint>("value");
        QTest::addColumn<uint>("parity");
        QTest::newRow("0") << 0u << 0u;
        QTest::newRow("1") << 1u << 1u;
        QTest::newRow("3") << 3u << 0u;
        QTest::newRow("top bit") << 0x80000000u << 1u;
        QTest::newRow("all ones") << 0xFFFFFFFFu << 0u;
        QTest::newRow("0x8000 and 1") << 0x8001u << 0u;
    }

    void oddParity()
    {
        QFETCH(uint, value);
        QFETCH(uint, parity);
        QCOMPARE(SpiP205::oddParity(value), parity);
    }

    void readWords_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<uint>("word");
        QTest::newRow("0") << 0 << 0x0200u;
        QTest::newRow("1") << 1 << 0x0400u;
        QTest::newRow("3") << 3 << 0x0E00u;
        QTest::newRow("13") << 13 << 0x3400u;
        QTest::newRow("0x13") << 0x13 << 0x4C00u;
        QTest::newRow("24") << 24 << 0x6200u;
        QTest::newRow("31") << 31 << 0x7C00u;
        QTest::newRow("33 is 1") << 33 << 0x0400u;
    }

    void readWords()
    {
        QFETCH(int, address);
        QFETCH(uint, word);
        QCOMPARE(uint(SpiP205::readWord(address)), word);
    }

    void writeWords_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<uint>("value");
        QTest::addColumn<uint>("word");
        QTest::newRow("6, 0") << 6 << 0u << 0xB000u;
        QTest::newRow("6, 2") << 6 << 2u << 0xB402u;
        QTest::newRow("3, 0x155") << 3 << 0x155u << 0x9D55u;
        QTest::newRow("1, 0x3FF") << 1 << 0x3FFu << 0x8FFFu;
        QTest::newRow("13, 0x40") << 13 << 0x40u << 0xE840u;
        QTest::newRow("16 is 0") << 16 << 0x40u << uint(SpiP205::writeWord(0, 0x40));
        QTest::newRow("0x400 is 0") << 5 << 0x400u << uint(SpiP205::writeWord(5, 0));
    }

    void writeWords()
    {
        QFETCH(int, address);
        QFETCH(uint, value);
        QFETCH(uint, word);
        QCOMPARE(uint(SpiP205::writeWord(address, value)), word);
    }

    // Every command word holds an odd number of ones.
    void wordsHaveOddParity()
    {
        for (int address = 0; address < 32; ++address) {
            QCOMPARE(SpiP205::oddParity(SpiP205::readWord(address)), 1u);
            for (uint value : {0u, 1u, 0x155u, 0x2AAu, 0x3FFu})
                QCOMPARE(SpiP205::oddParity(SpiP205::writeWord(address, value)), 1u);
        }
    }

    void readsTheChip()
    {
        unsigned value = 0;
        QTest::ignoreMessage(QtDebugMsg, "Writting value 4c00 for reading from register 13");
        QVERIFY(chip.readRegister(0x13, &value));
        QCOMPARE(value, 0xA0u);
        QCOMPARE(f.take(), transfers("4c00", 2));
    }

    void writesTheChip()
    {
        QTest::ignoreMessage(QtDebugMsg, "Writting value b402 for writing to register 6");
        QVERIFY(chip.writeRegister(6, 2));
        QCOMPARE(f.take(), transfers("b402", 2));
        QCOMPARE(f.spi.kvl52205Register(6), quint16(2));

        QVERIFY(chip.writeRegister(3, 0x7155)); // value bits above 9 dropped
        unsigned value = 0;
        QVERIFY(chip.readRegister(3, &value));
        QCOMPARE(value, 0x155u);
    }

    // The answer of the second transfer counts, as the whole 16-bit word.
    void scriptedAnswers_data()
    {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<bool>("result");
        QTest::newRow("whole word") << Answer + "0000" << Answer + "fdcb" << true;
        QTest::newRow("first fails") << QByteArray("SPI0CS0DATA=err") << Answer + "fdcb" << true;
        QTest::newRow("second fails") << Answer + "fdcb" << QByteArray("SPI0CS0DATA=err") << false;
        QTest::newRow("second no word") << Answer + "fdcb" << Answer + "zz" << false;
    }

    void scriptedAnswers()
    {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(bool, result);
        f.spi.scriptAnswer("SPI0CS0DATA", first);
        f.spi.scriptAnswer("SPI0CS0DATA", second);
        unsigned value = 0x1234;
        if (!result)
            QTest::ignoreMessage(QtDebugMsg, "SpiP205:Spi register read error");
        QCOMPARE(chip.readRegister(24, &value), result);
        QCOMPARE(value, result ? 0xFDCBu : 0x1234u);
        QCOMPARE(f.take(), transfers("6200", 2));
    }

    // A write whose second transfer fails still succeeded: the first one carried the word.
    void writeIgnoresSecondOutcome()
    {
        f.spi.scriptAnswer("SPI0CS0DATA", Answer + "0000");
        f.spi.scriptAnswer("SPI0CS0DATA", "SPI0CS0DATA=err");
        QVERIFY(chip.writeRegister(1, 0x3FF));
        QCOMPARE(f.take(), transfers("8fff", 2));
    }

    void refusedTransfers()
    {
        FakeBoard refusing;
        FakeBoardSpi spi(refusing);
        refusing.refuse("SPI0CS0DATA");
        QVERIFY(f.connectTo(refusing));

        QTest::ignoreMessage(QtDebugMsg, "SpiP205:Spi register write error");
        QVERIFY(!chip.writeRegister(6, 2));
        QCOMPARE(SpiAppFixture::take(refusing), QList<QByteArray>{setLine("b402")});

        unsigned value = 0x1234;
        QTest::ignoreMessage(QtDebugMsg, "SpiP205:Spi register read error");
        QVERIFY(!chip.readRegister(0x13, &value));
        QCOMPARE(value, 0x1234u);
        QCOMPARE(SpiAppFixture::take(refusing),
                 (QList<QByteArray>{setLine("4c00"), setLine("4c00")}));
        QVERIFY(f.connectTo(f.board));
    }

    // The first and last writable registers.
    void writesAddressEnds()
    {
        QVERIFY(chip.writeRegister(0, 0x155));
        QVERIFY(chip.writeRegister(15, 0x2AA));
        QCOMPARE(f.take(), transfers("8555", 2) + transfers("feaa", 2));
        QCOMPARE(f.spi.kvl52205Register(0), quint16(0x155));
        QCOMPARE(f.spi.kvl52205Register(15), quint16(0x2AA));
    }

    // A write address beyond the 4-bit field is refused instead of reaching register 0.
    void writeAddressOutOfRange_data()
    {
        QTest::addColumn<int>("address");
        QTest::newRow("16") << 16;
        QTest::newRow("-1") << -1;
        QTest::newRow("32") << 32;
    }

    void writeAddressOutOfRange()
    {
        QFETCH(int, address);
        f.spi.setKvl52205Register(0, 0x3FF);
        QVERIFY(!chip.writeRegister(address, 0));
        QCOMPARE(f.take(), QList<QByteArray>());
        QCOMPARE(f.spi.kvl52205Register(0), quint16(0x3FF));
    }

    // Without the SPI tool nothing is sent and both operations fail.
    void withoutSpiTool()
    {
        SpiRaw *tool = spiRaw;
        spiRaw = nullptr;
        unsigned value = 7;
        const bool read = chip.readRegister(1, &value);
        const bool written = chip.writeRegister(1, 1);
        spiRaw = tool;
        QVERIFY(!read);
        QVERIFY(!written);
        QCOMPARE(value, 7u);
        QCOMPARE(f.take(), QList<QByteArray>());
    }
};

QTEST_MAIN(TestSpiP205)
#include "tst_spip205.moc"
