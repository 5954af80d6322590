// The simulated matrix chips on the second UART: the command texts over the pseudo-terminal,
// the chips' checks and answers, their commands and bank words, and the knobs.
#include "fakeboard.h"
#include "fakematrixbus.h"
#include "lineclient.h"

#include <QtTest>

namespace
{

int withParity(int bits7)
{
    return bits7 | (qPopulationCount(quint8(bits7 & 0x7F)) % 2 == 0 ? 0x80 : 0);
}

// A frame with parity bits and, when it carries data, the chips' CRC.
QByteArray frame(int sa, int ft, int id, const QByteArray &data = QByteArray(), int bc = 0,
                 bool request = false)
{
    const int pid1 = withParity(sa | ft << 5);
    const int pid2 = withParity(id | bc << 5);
    QByteArray bytes;
    bytes.append(char(0x55)).append(char(pid1)).append(char(pid2));
    if (request)
        return bytes;
    bytes.append(data);
    return bytes.append(char(FakeMatrixBus::crc8(bytes.mid(1))));
}

QByteArray command(int sa, int csid, const QByteArray &data)
{
    return frame(sa, 3, csid, data);
}

QByteArray read(int sa, int ft, int id, int bc = 0)
{
    return frame(sa, ft, id, QByteArray(), bc, true);
}

// The data of a chip's answer, without its CRC.
QByteArray answerData(FakeMatrixBus &bus, const QByteArray &request)
{
    const QByteArray answer = bus.deliverFrame(request);
    if (answer.isEmpty())
        return QByteArray("-");
    QByteArray covered = request.mid(1, 2) + answer.chopped(1);
    return FakeMatrixBus::crc8(covered) == quint8(answer.back()) ? answer.chopped(1).toHex()
                                                                 : QByteArray("bad crc");
}

QByteArray setLine(const QByteArray &frameBytes, int lead = 14)
{
    QByteArray head;
    head.append(char(lead)).append(char(frameBytes.size()));
    return "set SER2PXNDATA=" + head.toHex() + frameBytes.toHex();
}

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

} // namespace

class TestFakeMatrixBus : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeBoard> board;
    std::unique_ptr<FakeMatrixBus> bus;
    std::unique_ptr<LineClient> line;

private slots:
    void init()
    {
        board = std::make_unique<FakeBoard>();
        bus = std::make_unique<FakeMatrixBus>(*board);
        QCOMPARE(bus->addChip(1, 4, 1), 0);
        QCOMPARE(bus->addChip(7, 4, 2), 1);
        line = std::make_unique<LineClient>(board->devicePath());
    }
    void cleanup()
    {
        line.reset();
        bus.reset();
        board.reset();
    }

    void commandTexts_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("request") << QByteArray("0e03556180") << QByteArray("SER2PXNDATA:ok");
        QTest::newRow("bad hex") << QByteArray("0e0355618g") << QByteArray("SER2PXNDATA:err");
        QTest::newRow("odd digits") << QByteArray("0e0355618") << QByteArray("SER2PXNDATA:err");
        QTest::newRow("two bytes") << QByteArray("0e025561") << QByteArray("SER2PXNDATA:err");
        QTest::newRow("count high") << QByteArray("0e04556180") << QByteArray("SER2PXNDATA:err");
        QTest::newRow("count low") << QByteArray("0e02556180") << QByteArray("SER2PXNDATA:err");
        QTest::newRow("empty") << QByteArray() << QByteArray("SER2PXNDATA:err");
    }
    void commandTexts()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, answer);
        QCOMPARE(line->ask("get SER2DATA"), QByteArray("SER2DATA=00"));
        QCOMPARE(line->ask("set SER2PXNDATA=" + text), answer);
        const bool ok = answer.endsWith(":ok");
        QCOMPARE(bus->frames().size(), ok ? 1 : 0);
        if (ok) {
            QCOMPARE(bus->frames().at(0).first, 14);
            QCOMPARE(bus->frames().at(0).second, hex("556180"));
        }
        // Identification of chip 0: echo, 1, 35, 1, its DLT bytes 7, 10, 20 and the CRC.
        const QByteArray crc =
            QByteArray(1, char(FakeMatrixBus::crc8(hex("6180012301070a14")))).toHex();
        QCOMPARE(line->ask("get SER2DATA"),
                 ok ? "SER2DATA=0a556180012301070a14" + crc : QByteArray("SER2DATA=00"));
    }

    // Writes come back as their echo only; the rate decides who hears a frame.
    void echoAndRate()
    {
        const QByteArray write = frame(1, 1, 3, hex("010203"));
        QCOMPARE(line->ask(setLine(write, 28)), QByteArray("SER2PXNDATA:ok"));
        QCOMPARE(line->ask("get SER2DATA"), "SER2DATA=07" + write.toHex());
        QCOMPARE(bus->chip(0).words[3], 0x030201u);
        QCOMPARE(line->ask("set SER2BAUD=125000"), QByteArray("SER2BAUD:ok"));
        QCOMPARE(bus->rate(), 125000);
        QCOMPARE(line->ask(setLine(read(1, 0, 3))), QByteArray("SER2PXNDATA:ok"));
        QCOMPARE(line->ask("get SER2DATA"), "SER2DATA=03" + read(1, 0, 3).toHex());
        QCOMPARE(line->ask("set SER2BAUD=fast"), QByteArray("SER2BAUD:err"));
        // UART speed 0 (125 kbit/s) for every chip; the frame itself still went at 250000.
        QCOMPARE(line->ask("set SER2BAUD=250000"), QByteArray("SER2BAUD:ok"));
        QCOMPARE(bus->deliverFrame(command(0, 12, hex("80"))), QByteArray());
        QCOMPARE(bus->chip(1).cspeed, 0);
        QCOMPARE(answerData(*bus, read(7, 3, 6)), QByteArray("-"));
        QCOMPARE(line->ask("set SER2BAUD=125000"), QByteArray("SER2BAUD:ok"));
        QCOMPARE(answerData(*bus, read(7, 3, 6)), QByteArray("04"));
        QCOMPARE(bus->violations(), QStringList());
    }

    // Dropped frames: each a violation, nothing applied; a wrong CRC counts up.
    void drops_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("crcErrors");
        const QByteArray good = frame(1, 1, 0, hex("aabbcc"));
        QByteArray badSync = good;
        badSync[0] = 0x54;
        QByteArray evenPid1 = good;
        evenPid1[1] = char(evenPid1[1] ^ 0x80);
        QByteArray evenPid2 = good;
        evenPid2[2] = char(evenPid2[2] ^ 0x80);
        QByteArray badCrc = good;
        badCrc.back() = char(badCrc.back() + 1);
        QTest::newRow("sync") << badSync << 0;
        QTest::newRow("PID1 parity") << evenPid1 << 0;
        QTest::newRow("PID2 parity") << evenPid2 << 0;
        QTest::newRow("CRC") << badCrc << 1;
        QTest::newRow("bank write short") << frame(1, 1, 0, hex("aabbcc"), 1) << 0;
        QTest::newRow("command 1 short") << command(1, 1, QByteArray(9, 'x')) << 0;
        QTest::newRow("command 2 long") << command(1, 2, hex("000000")) << 0;
        QTest::newRow("command 9 short") << command(1, 9, hex("0200000000")) << 0;
        QTest::newRow("command 13 empty") << command(1, 13, QByteArray()) << 0;
        QTest::newRow("read command with data") << command(1, 0, hex("00")) << 0;
        QTest::newRow("two bytes") << hex("5501") << 0;
        QTest::newRow("request of a write") << read(1, 1, 0) << 0;
    }
    void drops()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, crcErrors);
        QCOMPARE(bus->deliverFrame(bytes), QByteArray());
        QCOMPARE(bus->violations().size(), 1);
        const FakeMatrixChip chip = bus->chip(0);
        QCOMPARE(chip.words[0], 0u);
        QCOMPARE(chip.buffer, QByteArray(8, char(0xFF)));
        QCOMPARE(chip.crcErrors, crcErrors);
        QCOMPARE(chip.word(16) >> 20, quint32(crcErrors));
    }

    // Targets: the address, every chip for FT 2 and for command writes with B; a request
    // that two chips would answer is a collision.
    void targets()
    {
        bus->deliverFrame(frame(0, 2, 5, hex("112233")));
        QCOMPARE(bus->chip(0).words[5], 0x332211u);
        QCOMPARE(bus->chip(1).words[5], 0x332211u);
        bus->deliverFrame(command(0, 7, hex("81")));
        QCOMPARE(bus->chip(0).pms + bus->chip(1).pms, 2);
        QCOMPARE(answerData(*bus, read(1, 3, 8)), QByteArray("01"));
        bus->deliverFrame(command(7, 7, hex("00")));
        QCOMPARE(bus->chip(0).pms * 10 + bus->chip(1).pms, 10);
        QCOMPARE(answerData(*bus, read(1, 0, 5, 1)), QByteArray("112233000000"));
        QCOMPARE(answerData(*bus, read(3, 0, 5)), QByteArray("-"));
        QCOMPARE(bus->violations(), QStringList());
        bus->addChip(7, 1, 1);
        QCOMPARE(answerData(*bus, read(7, 3, 8)), QByteArray("-"));
        QCOMPARE(bus->violations().size(), 1);
    }

    // Bank words: 0-14 writable, 15-18 status, the MAPENA mirror and the CRC error count.
    void bankWords()
    {
        QByteArray words;
        for (int i = 0; i < 4; ++i)
            words += hex("010203");
        bus->deliverFrame(frame(1, 1, 13, words, 3));
        // Words 15 and 16 keep their status; word 16 bit 12 mirrors word 13 bit 0.
        QCOMPARE(answerData(*bus, read(1, 0, 13, 3)), QByteArray("010203010203"
                                                                 "000000001000"));
        QCOMPARE(answerData(*bus, read(1, 0, 17)), QByteArray("198042"));
        bus->deliverFrame(command(1, 15, hex("00")));
        QCOMPARE(answerData(*bus, read(1, 0, 13)), QByteArray("000203"));
        QCOMPARE(answerData(*bus, read(1, 0, 16)), QByteArray("000000"));
        bus->deliverFrame(command(1, 15, hex("01")));
        QCOMPARE(answerData(*bus, read(1, 0, 16)), QByteArray("001000"));
        QByteArray bad = command(1, 15, hex("00"));
        bad.back() = char(bad.back() ^ 1);
        for (int i = 0; i < 17; ++i)
            bus->deliverFrame(bad);
        QCOMPARE(answerData(*bus, read(1, 0, 16)), QByteArray("0010f0"));
        bus->deliverFrame(command(1, 15, hex("03")));
        QCOMPARE(answerData(*bus, read(1, 0, 16)), QByteArray("001000"));
        bus->deliverFrame(command(1, 15, hex("00")));
        QCOMPARE(answerData(*bus, read(1, 0, 16)), QByteArray("000000"));
        QCOMPARE(answerData(*bus, read(1, 0, 31, 1)), QByteArray("000000000000")); // no word 32
    }

    // The I2C EEPROM commands: write at EEBA, load the buffer, read status and buffer.
    void eeprom()
    {
        QCOMPARE(answerData(*bus, read(1, 3, 3)), QByteArray("00"
                                                             "00"
                                                             "ffffffffffffffff"));
        bus->deliverFrame(command(1, 1,
                                  hex("03fe"
                                      "0102030405060708")));
        QCOMPARE(answerData(*bus, read(1, 3, 3)), QByteArray("43"
                                                             "fe"
                                                             "ffffffffffffffff"));
        bus->deliverFrame(command(1, 2, hex("03fc")));
        QCOMPARE(answerData(*bus, read(1, 3, 3)), QByteArray("43"
                                                             "fc"
                                                             "ffff010203040506"));
        QCOMPARE(bus->chip(0).eeprom[3].left(7), hex("030405060708ff"));
        bus->editChip(0, [](FakeMatrixChip &chip) { chip.writeProtect = true; });
        bus->deliverFrame(command(1, 1,
                                  hex("0010"
                                      "0000000000000000")));
        QCOMPARE(answerData(*bus, read(1, 3, 3)).left(4), QByteArray("e010"));
        QCOMPARE(bus->chip(0).eeprom[0].mid(16, 8), QByteArray(8, char(0xFF)));
    }

    // Auto addressing: AAC, the assignment by supply output and current, normal mode, reset.
    void addressing()
    {
        bus->editChip(0, [](FakeMatrixChip &chip) { chip.opmode = 1; });
        bus->deliverFrame(command(0, 4, hex("81")));
        QCOMPARE(bus->chip(0).opmode, 2);
        QCOMPARE(bus->chip(1).opmode, 4);
        bus->deliverFrame(command(0, 5, hex("8950"))); // output 1 off: no change
        QCOMPARE(bus->chip(0).address, 1);
        bus->setOutputOn(1, true);
        bus->deliverFrame(command(0, 5, hex("8965"))); // 101 mA needed: no change
        QCOMPARE(bus->chip(0).address, 1);
        bus->deliverFrame(command(0, 5, hex("8964")));
        QCOMPARE(bus->chip(0).address, 9);
        QCOMPARE(bus->chip(1).address, 7);
        // Output 2 through the KVL52205's register 6, bit 0.
        quint16 register6 = 0;
        bus->setOutputSource([&register6]() { return register6; });
        bus->setOutputOn(1, false);
        bus->editChip(1, [](FakeMatrixChip &chip) { chip.opmode = 2; });
        bus->deliverFrame(command(0, 5, hex("8c00")));
        QCOMPARE(bus->chip(1).address, 7);
        register6 = 1;
        bus->deliverFrame(command(0, 5, hex("8c00")));
        QCOMPARE(bus->chip(1).address, 12);
        QCOMPARE(bus->chip(0).address, 9);
        register6 = 2;
        bus->deliverFrame(command(0, 5, hex("8d00")));
        QCOMPARE(bus->chip(0).address, 13);
        bus->setOutputSource(nullptr);
        bus->deliverFrame(command(0, 4, hex("80")));
        QCOMPARE(bus->chip(0).opmode, 1);
        QCOMPARE(bus->chip(1).opmode, 1);
        bus->deliverFrame(command(13, 13, hex("01")));
        QCOMPARE(answerData(*bus, read(13, 3, 6)), QByteArray("04"));
        bus->deliverFrame(command(13, 4, hex("01"))); // normal mode stays
        QCOMPARE(bus->chip(0).opmode, 4);
        bus->deliverFrame(frame(13, 1, 0, hex("aaaaaa")));
        bus->deliverFrame(command(13, 14, hex("01")));
        QCOMPARE(bus->chip(0).opmode, 1);
        QCOMPARE(bus->chip(0).words[0], 0u);
        QCOMPARE(bus->chip(0).words[17], 0x428019u);
        QCOMPARE(bus->violations(), QStringList());
    }

    // OTP: request selects the bank, a write ORs the map in and checks CRC1, locks stay.
    void otp_data()
    {
        QTest::addColumn<quint32>("before");
        QTest::addColumn<QByteArray>("write");
        QTest::addColumn<QByteArray>("answer");
        // Map bit 0 set with its CRC1 0x4E in bits 20-26: bytes 01 00 e0 04.
        QTest::newRow("good, locks")
            << 0u << QByteArray("020100e004ff") << QByteArray("c20100e00400");
        QTest::newRow("zero map 0x79")
            << 0u << QByteArray("020000900700") << QByteArray("420000900700");
        QTest::newRow("stale CRC1")
            << 0u << QByteArray("020100000000") << QByteArray("e20100000000");
        QTest::newRow("bank 1") << 0u << QByteArray("010100e00400") << QByteArray("620000000000");
        QTest::newRow("locked") << 1u << QByteArray("020200000000") << QByteArray("e20100000000");
    }
    void otp()
    {
        QFETCH(quint32, before);
        QFETCH(QByteArray, write);
        QFETCH(QByteArray, answer);
        bus->editChip(0, [before](FakeMatrixChip &chip) { chip.otpMap = before; });
        QCOMPARE(answerData(*bus, read(1, 3, 11)).left(2), QByteArray(before ? "82" : "02"));
        bus->deliverFrame(command(1, 10, hex("02")));
        bus->deliverFrame(command(1, 9, hex(write.constData())));
        QCOMPARE(answerData(*bus, read(1, 3, 11)), answer);
        QCOMPARE(bus->violations(), QStringList());
    }

    void otpCrc_data()
    {
        QTest::addColumn<quint32>("map");
        QTest::addColumn<int>("crc");
        QTest::newRow("zeros") << 0u << 0x79;
        QTest::newRow("lock bit") << 1u << 0x4E;
        QTest::newRow("all ones") << 0xFFFFFu << 0x67;
        QTest::newRow("CRC1 ignored") << 0x7F00000u << 0x79;
    }
    void otpCrc()
    {
        QFETCH(quint32, map);
        QFETCH(int, crc);
        QCOMPARE(int(FakeMatrixChip::otpCrc(map)), crc);
    }

    // Faults for the next answers of "get SER2DATA", and refused lines.
    void faults_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QByteArray>("answer");
        const QByteArray crc = QByteArray(1, char(FakeMatrixBus::crc8(hex("07830000 00")))).toHex();
        QTest::newRow("none") << -1 << "SER2DATA=07550783000000" + crc;
        QTest::newRow("no chip") << int(FakeMatrixBus::NoChipAnswer)
                                 << QByteArray("SER2DATA=03550783");
        QTest::newRow("crc + 1")
            << int(FakeMatrixBus::CrcPlusOne)
            << "SER2DATA=07550783000000" +
                   QByteArray(1, char(FakeMatrixBus::crc8(hex("0783000000")) + 1)).toHex();
        QTest::newRow("byte short")
            << int(FakeMatrixBus::ByteShort) << QByteArray("SER2DATA=06550783000000");
        QTest::newRow("upper case")
            << int(FakeMatrixBus::UpperCase) << ("SER2DATA=07550783000000" + crc).toUpper();
        QTest::newRow("silence") << int(FakeMatrixBus::Silence) << QByteArray("<none>");
    }
    void faults()
    {
        QFETCH(int, fault);
        QFETCH(QByteArray, answer);
        if (fault >= 0)
            bus->injectFault(FakeMatrixBus::Fault(fault), 1);
        QCOMPARE(line->ask(setLine(read(7, 0, 3))), QByteArray("SER2PXNDATA:ok"));
        QCOMPARE(line->ask("get SER2DATA", fault == FakeMatrixBus::Silence ? 300 : 5000), answer);
        QVERIFY(line->ask("get SER2DATA").startsWith("SER2DATA=07550783000000"));
    }

    void refusals()
    {
        bus->failNext("SER2PXNDATA", 2);
        bus->failNext("SER2DATA");
        bus->failNext("SER2BAUD");
        QCOMPARE(line->ask(setLine(read(1, 3, 6))), QByteArray("SER2PXNDATA:err"));
        QCOMPARE(line->ask(setLine(read(1, 3, 6))), QByteArray("SER2PXNDATA:err"));
        QCOMPARE(line->ask("get SER2DATA"), QByteArray("SER2DATA:err"));
        QCOMPARE(line->ask("get SER2DATA"), QByteArray("SER2DATA=00"));
        QCOMPARE(line->ask("set SER2BAUD=125000"), QByteArray("SER2BAUD:err"));
        QCOMPARE(bus->rate(), 250000);
        QCOMPARE(line->ask(setLine(read(1, 3, 6))), QByteArray("SER2PXNDATA:ok"));
        QCOMPARE(bus->frames().size(), 1);
    }
};

QTEST_MAIN(TestFakeMatrixBus)
#include "tst_fakematrixbus.moc"
