// The simulated SPI chip selects, spoken to over the pseudo-terminal line by line: the
// KVL52205's parity rule, one-frame delay and status register, the KVL52404's CRC check,
// status words and reset, empty chip selects, malformed texts, the knobs and the trace.
#include "fakeboard.h"
#include "fakeboard_spi.h"
#include "fakekvl52404.h"
#include "lineclient.h"

#include <QtTest>

#include <mutex>

namespace
{

// The 32-bit request frame with its CRC, as the data text of a set.
QByteArray request404(bool write, int address, quint32 data)
{
    const quint32 bits = (write ? 0x80000000u : 0u) | (quint32(address) << 25) | (data << 4);
    const quint32 frame = bits | FakeKvl52404::crc(bits >> 4, 28);
    return "04" + QByteArray::number(frame, 16).rightJustified(8, '0');
}

// The answer frame the chip gives with its CRC, as the value of a get.
QByteArray answer404(quint32 bits, bool write, int address)
{
    const quint64 block = (quint64(bits >> 4) << 8) | (write ? 0x40 : 0) | quint64(address);
    const quint32 frame = bits | FakeKvl52404::crc(block, 36);
    return "SPILEDCS0DATA=04" + QByteArray::number(frame, 16).rightJustified(8, '0');
}

} // namespace

class TestFakeSpi : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeBoard> board;
    std::unique_ptr<FakeBoardSpi> spi;
    std::unique_ptr<LineClient> client;

    // One 16-bit transfer on SPI0 chip select 0; the word clocked back.
    QByteArray word205(const QByteArray &word)
    {
        if (client->ask("set SPI0CS0DATA=02" + word) != "SPI0CS0DATA:ok")
            return "<refused>";
        return client->ask("get SPI0CS0DATA");
    }

    QByteArray frame404(const QByteArray &text)
    {
        if (client->ask("set SPILEDCS0DATA=" + text) != "SPILEDCS0DATA:ok")
            return "<refused>";
        return client->ask("get SPILEDCS0DATA");
    }

private slots:
    // A fresh board for each case.
    void init()
    {
        client.reset();
        spi.reset();
        board = std::make_unique<FakeBoard>();
        spi = std::make_unique<FakeBoardSpi>(*board);
        client = std::make_unique<LineClient>(board->devicePath());
    }

    // The CRC of the worked values: requests over 28 bits, answers over 36.
    void fixtureCrc()
    {
        QCOMPARE(int(FakeKvl52404::crc(0x8000000, 28)), 5);
        QCOMPARE(int(FakeKvl52404::crc(0, 28)), 7);
        QCOMPARE(int(FakeKvl52404::crc(0x40, 36)), 15);
        QCOMPARE(int(FakeKvl52404::crc(0, 36)), 8);
    }

    // Each frame clocks out the response to the one before: 0 at start, then the register.
    void kvl52205AnswersOneFrameLater()
    {
        QCOMPARE(client->ask("get SPI0CS0DATA"), QByteArray("SPI0CS0DATA=00"));
        QCOMPARE(word205("4c00"), QByteArray("SPI0CS0DATA=020000")); // read 0x13
        QCOMPARE(word205("5200"), QByteArray("SPI0CS0DATA=0200a0")); // read 0x14
        QCOMPARE(word205("9d55"), QByteArray("SPI0CS0DATA=020064")); // write 0x155 to 3
        QCOMPARE(word205("0e00"), QByteArray("SPI0CS0DATA=020155")); // read 3
        QCOMPARE(word205("0e00"), QByteArray("SPI0CS0DATA=020155"));
        QCOMPARE(spi->kvl52205Register(3), quint16(0x155));
        QVERIFY(spi->violations().isEmpty());
    }

    // A word with an even number of ones is ignored, answered by 0 and flagged in register
    // 0x18 until that register is read.
    void kvl52205Parity()
    {
        spi->setKvl52205Register(3, 0x2AA);
        QCOMPARE(word205("9d54"), QByteArray("SPI0CS0DATA=020000")); // write, parity wrong
        QCOMPARE(spi->kvl52205Register(3), quint16(0x2AA));
        QCOMPARE(spi->kvl52205Register(0x18), quint16(0x4));
        QCOMPARE(word205("6200"), QByteArray("SPI0CS0DATA=020000")); // read 0x18
        QCOMPARE(spi->kvl52205Register(0x18), quint16(0));           // cleared by the read
        QCOMPARE(word205("6200"), QByteArray("SPI0CS0DATA=020004")); // the flag read out
        QCOMPARE(word205("6200"), QByteArray("SPI0CS0DATA=020000"));
        QCOMPARE(spi->violations(), QStringList{"even parity in word 0x9d54"});
    }

    void kvl52404ReadsAndWrites()
    {
        QCOMPARE(frame404(request404(false, 55, 0)), answer404(400 << 4, false, 55));
        QCOMPARE(frame404(request404(true, 13, 3)), answer404((13u << 25) | (3 << 4), true, 13));
        QCOMPARE(spi->kvl52404Word(13), 3u);
        QCOMPARE(frame404(request404(false, 13, 0)), answer404(3 << 4, false, 13));
        // Status words answer a write but keep their value.
        QCOMPARE(frame404(request404(true, 55, 7)), answer404((55u << 25) | (7 << 4), true, 55));
        QCOMPARE(spi->kvl52404Word(55), 400u);
        QVERIFY(spi->violations().isEmpty());
    }

    void kvl52404Reset()
    {
        frame404(request404(true, 14, 9));
        frame404(request404(true, 31, 1));
        spi->setKvl52404Word(35, 77);
        frame404(request404(true, 29, 2)); // bit 0 clear: no reset
        QCOMPARE(spi->kvl52404Word(14), 9u);
        frame404(request404(true, 29, 1));
        QCOMPARE(spi->kvl52404Word(14), 50u);
        QCOMPARE(spi->kvl52404Word(15), 50u);
        QCOMPARE(spi->kvl52404Word(31), 0u);
        QCOMPARE(spi->kvl52404Word(29), 0u);
        QCOMPARE(spi->kvl52404Word(35), 77u); // status words are not reset
    }

    // A request with a wrong CRC is ignored and answered with bit 31 set.
    void kvl52404WrongCrc()
    {
        QByteArray text = request404(true, 13, 3);
        text[9] = text[9] == '0' ? '1' : '0';
        QCOMPARE(frame404(text), answer404(0x80000000u, true, 13));
        QCOMPARE(spi->kvl52404Word(13), 0u);
        QCOMPARE(spi->violations().size(), 1);
    }

    void knobs()
    {
        spi->setUpperCase(true);
        QCOMPARE(frame404(request404(false, 55, 0)), answer404(400 << 4, false, 55).toUpper());
        spi->setUpperCase(false);
        spi->setCorruptAnswerCrc(true);
        QVERIFY(frame404(request404(false, 55, 0)) != answer404(400 << 4, false, 55));
        spi->setCorruptAnswerCrc(false);
        spi->scriptAnswer("SPI0CS0DATA", "SPI0CS0DATA=02BEEF");
        QCOMPARE(word205("4c00"), QByteArray("SPI0CS0DATA=02BEEF"));
        QCOMPARE(client->ask("get SPI0CS0DATA"), QByteArray("SPI0CS0DATA=020000"));
        board->refuse("SPILEDCS0DATA");
        QCOMPARE(client->ask("set SPILEDCS0DATA=" + request404(false, 1, 0)),
                 QByteArray("SPILEDCS0DATA:err"));
        QCOMPARE(client->ask("get SPILEDCS0DATA"), QByteArray("SPILEDCS0DATA=err"));
    }

    void commands_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("get"); // the answer of the get that follows, if any
        QTest::newRow("empty chip select")
            << QByteArray("set SPILEDCS1DATA=0412345678") << QByteArray("SPILEDCS1DATA:ok")
            << QByteArray("SPILEDCS1DATA=04ffffffff");
        QTest::newRow("SPI0 CS2") << QByteArray("set SPI0CS2DATA=03000000")
                                  << QByteArray("SPI0CS2DATA:ok")
                                  << QByteArray("SPI0CS2DATA=03ffffff");
        QTest::newRow("chip select 15")
            << QByteArray("set SPILEDCS15DATA=0100") << QByteArray("SPILEDCS15DATA:ok")
            << QByteArray("SPILEDCS15DATA=01ff");
        QTest::newRow("no bytes") << QByteArray("set SPILEDCS1DATA=00")
                                  << QByteArray("SPILEDCS1DATA:ok")
                                  << QByteArray("SPILEDCS1DATA=00");
        QTest::newRow("short frame to the KVL52205")
            << QByteArray("set SPI0CS0DATA=01ab") << QByteArray("SPI0CS0DATA:ok")
            << QByteArray("SPI0CS0DATA=0100");
        QTest::newRow("count too high")
            << QByteArray("set SPI0CS0DATA=03abcd") << QByteArray("SPI0CS0DATA:err")
            << QByteArray("SPI0CS0DATA=00");
        QTest::newRow("count too low") << QByteArray("set SPI0CS0DATA=01abcd")
                                       << QByteArray("SPI0CS0DATA:err") << QByteArray();
        QTest::newRow("odd digits")
            << QByteArray("set SPI0CS0DATA=02abc") << QByteArray("SPI0CS0DATA:err") << QByteArray();
        QTest::newRow("not hexadecimal") << QByteArray("set SPI0CS0DATA=02abcx")
                                         << QByteArray("SPI0CS0DATA:err") << QByteArray();
        QTest::newRow("no count") << QByteArray("set SPI0CS0DATA=") << QByteArray("SPI0CS0DATA:err")
                                  << QByteArray();
        QTest::newRow("no value") << QByteArray("set SPI0CS0DATA") << QByteArray("SPI0CS0DATA:err")
                                  << QByteArray();
        QTest::newRow("chip select 16")
            << QByteArray("set SPILEDCS16DATA=0412345678") << QByteArray("SPILEDCS16DATA:err")
            << QByteArray("SPILEDCS16DATA=err");
        QTest::newRow("SPI0 set-up")
            << QByteArray("set SPI0CONF") << QByteArray("SPI0CONF:ok") << QByteArray();
        QTest::newRow("CS set-up")
            << QByteArray("set SPI0CS3CONF") << QByteArray("SPI0CS3CONF:ok") << QByteArray();
        QTest::newRow("LED set-up")
            << QByteArray("set SPILEDCONF") << QByteArray("SPILEDCONF:ok") << QByteArray();
        QTest::newRow("LED CS set-up")
            << QByteArray("set SPILEDCS0CONF") << QByteArray("SPILEDCS0CONF:ok") << QByteArray();
        QTest::newRow("set-up of CS 16")
            << QByteArray("set SPILEDCS16CONF") << QByteArray("SPILEDCS16CONF:err") << QByteArray();
        QTest::newRow("speed stored")
            << QByteArray("set SPILEDCS0SPEED=300000") << QByteArray("SPILEDCS0SPEED:ok")
            << QByteArray("SPILEDCS0SPEED=300000");
    }

    void commands()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, get);
        QCOMPARE(client->ask(line), answer);
        if (!get.isEmpty())
            QCOMPARE(client->ask("get " + get.left(get.indexOf('='))), get);
        const bool wellFormed = answer.endsWith(":ok") || line.contains("CONF");
        QCOMPARE(spi->violations().isEmpty(), wellFormed && !line.startsWith("set SPI0CS0DATA=01"));
    }

    // The trace shows each line received and each answer.
    void trace()
    {
        std::mutex mutex;
        QList<QByteArray> texts;
        board->setTrace([&](const QByteArray &text) {
            std::lock_guard<std::mutex> lock(mutex);
            texts.append(text);
        });
        client->ask("set SPI0CONF");
        client->ask("get SPI0CS0DATA");
        board->setTrace(nullptr);
        std::lock_guard<std::mutex> lock(mutex);
        QCOMPARE(texts, (QList<QByteArray>{"> set SPI0CONF", "< SPI0CONF:ok", "> get SPI0CS0DATA",
                                           "< SPI0CS0DATA=00"}));
    }
};

QTEST_MAIN(TestFakeSpi)
#include "tst_fakespi.moc"
