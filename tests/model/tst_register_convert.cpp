#include "checkcodes.h"
#include "register.h"

#include <QLoggingCategory>
#include <QSignalSpy>
#include <QtTest>

#include <tuple>
#include <vector>

using namespace CheckCodes;

// Bit strings, bytes, hexadecimal text, bulk operations, text templates and CRCs; the
// Hamming, parity and CRC codes of the check-code helpers.
class TestRegisterConvert : public QObject
{
    Q_OBJECT

private slots:
    // Any character but "0" is 1; extra characters are skipped; silent.
    void bitStrings()
    {
        Register s(8, "S");
        s.fill(1);
        QSignalSpy spy(&s, &Register::signal_updateSet);
        s.setFromBitString("101", false);
        QCOMPARE(s.toBitString(false), QByteArray("11111101"));
        s.setFromBitString("1x0.111110", true);
        QCOMPARE(s.toBitString(true), QByteArray("11011111"));
        QCOMPARE(spy.count(), 0);
    }

    // Bit strings (bit 0 first; 12 bits hold 0xABC) to bytes in each order, and back silently.
    void byteOrders()
    {
        for (auto [bits, lsbFirst, msbFirstInByte, bytes] :
             {std::tuple{QByteArray("10000000"), true, false, QByteArray("\x01")},
              {"10000000", false, true, "\x01"}, {"001111010101", true, false, "\xBC\x0A"},
              {"001111010101", true, true, "\x3D\x50"}, {"001111010101", false, false, "\xD5\x03"},
              {"001111010101", false, true, "\xAB\xC0"},
              {"", true, true, QByteArray()}}) {
            Register r(int(bits.size()), "R");
            r.setFromBitString(bits, true);
            QCOMPARE(r.toByteArray(lsbFirst, msbFirstInByte), bytes);
            QCOMPARE(Register::bitStringToBytes(bits, lsbFirst, msbFirstInByte), bytes);
            QCOMPARE(r.toHex(lsbFirst, msbFirstInByte), QString::fromLatin1(bytes.toHex()));
            Register back(int(bits.size()), "B");
            QSignalSpy spy(&back, &Register::signal_updateSet);
            QVERIFY(back.setFromByteArray(bytes, int(bits.size()), lsbFirst ? 1 : 0,
                                          msbFirstInByte));
            QCOMPARE(back.toBitString(true), bits);
            QCOMPARE(spy.count(), 0);
        }
    }

    // Byte writes into a register of 8 zero bits (0 bits: sized by the count); too few bytes
    // are refused without writing; bits beyond the register are skipped.
    void setFromByteArray()
    {
        for (auto [size, bytes, nbits, offset, order, ok, bits] :
             {std::tuple{0, QByteArray("\x81\x02"), 12, 0, 1, true, QByteArray("100000010100")},
              {0, "\x0F", -1, 0, 1, true, "11110000"}, {8, "\xFF", 9, 0, 1, false, "00000000"},
              {4, "\xFA", 8, 0, 1, true, "0101"}, {4, "\x01", 8, 0, 0, true, "0001"},
              {8, "\x03", 2, 4, 1, true, "00001100"}, {8, "\x01", 2, 1, 0, true, "00000010"}}) {
            Register r(size, "R");
            QCOMPARE(offset ? r.setFromByteArray(bytes, nbits, offset, order, false)
                            : r.setFromByteArray(bytes, nbits, order, false),
                     ok);
            QCOMPARE(r.toBitString(true), bits);
            if (size == 0) // the bits added are unnamed
                QCOMPARE(r.format("@name;", false).section(';', -2, -2), QString("_"));
        }
        Register r(16, "R");
        QVERIFY(r.setFromHex("34 12", 16, 1, false));
        QCOMPARE(r.value(true), 0x1234u);
        QVERIFY(!r.setFromHex("zz", 16, 1, false));
        QCOMPARE(r.value(true), 0x1234u);
    }

    void staticUtilities()
    {
        QCOMPARE(Register::bitStringToUInt("1 01.1"), 0b1011u);
        // Bit 0 of the first byte comes first, or last when the most significant bit leads;
        // a count beyond the bytes or below 1 gives nothing.
        for (auto [bytes, n, lsbFirst, text] :
             {std::tuple{QByteArray("\x05\x01", 2), 9, true, QByteArray("101000001")},
              {QByteArray("\x05\x01", 2), 9, false, "100000101"},
              {QByteArray("\x81\x80", 2), 16, false, "1000000010000001"},
              {QByteArray("\x06", 1), 3, false, "110"},
              {QByteArray("\x01", 1), 1, true, "1"},
              {QByteArray("\x05", 1), 9, true, ""},
              {QByteArray("\x05", 1), 9, false, ""},
              {QByteArray("\x05", 1), 0, true, ""}})
            QCOMPARE(Register::bytesToBitString(bytes, n, lsbFirst), text);
        QCOMPARE(Register::repeatBytes("ab", 3), QByteArray("aaabbb"));
        QCOMPARE(Register::repeatBytes("ab", 1), QByteArray("ab"));
        QCOMPARE(Register::stretchBits(QByteArray("\x81", 1), 3), QByteArray("\xE0\x00\x07", 3));
        QCOMPARE(Register::stretchBits(QByteArray("\x81", 1), 1), QByteArray("\x81", 1));
        QVERIFY(Register::stretchBits(QByteArray("\x81", 1), 0).isEmpty());
    }

    // Bulk operations announce whatever the mode, even when nothing changes; byte writes and
    // shifts stay silent.
    void bulkAnnouncements()
    {
        for (int mode : {0, 1, 2}) {
            Register r(8, "R");
            r.setUpdateMode(mode);
            QSignalSpy spy(&r, &Register::signal_updateSet);
            r.fill(0);
            r.fill(1, 4, 4); // empty range
            r.invert();
            QCOMPARE(r.value(true), 0xFFu);
            r.reverse();
            Register ones(9, "O");
            ones.fill(1);
            r ^= ones;   // wrong size: nothing written
            r &= 0x0Fu;            // only 32-bit registers take &= with a number
            QCOMPARE(r.value(true), 0xFFu);
            QCOMPARE(spy.count(), 6);
            r.setFromByteArray(QByteArray("\x01", 1), 8, 1, false);
            r.setFromHex("02");
            r.shiftDown(1);
            QCOMPARE(spy.count(), 6);
        }
    }

    void fillReverseAndShifts()
    {
        Register r(8, "R");
        for (auto [value, end, start, expected] :
             {std::tuple{1, 6, 2, QByteArray("00111100")}, {0, -1, 5, "00111000"},
              {1, 100, -3, "11111111"}}) {
            r.fill(value, end, start);
            QCOMPARE(r.toBitString(true), expected);
        }
        Register odd(5, "O");
        odd.setValue(0b00011, true);
        odd.reverse();
        QCOMPARE(odd.toBitString(true), QByteArray("00011"));
        Register even(4, "E");
        even.setValue(0b0011, true);
        even.reverse();
        QCOMPARE(even.toBitString(true), QByteArray("0011"));
        Register one(1, "1");
        one.shiftDown(1, true);
        QCOMPARE(one.bit(0), 1);
        Register s(6, "S");
        s.setFromBitString("101100", true);
        for (auto [up, n, fill, expected] : {std::tuple{true, 2, false, QByteArray("001011")},
                                             {false, 1, true, "010111"},
                                             {false, 1, false, "101110"},
                                             {true, 1, true, "110111"},
                                             {true, 10, true, "111111"},
                                             {true, -1, false, "111111"},
                                             {false, 0, false, "111111"},
                                             {false, -1, false, "111111"},
                                             {false, 9, false, "000000"}}) {
            up ? s.shiftUp(n, fill) : s.shiftDown(n, fill);
            QCOMPARE(s.toBitString(true), expected);
        }
    }

    void operatorsAndComparisons()
    {
        Register a(4, "A");
        Register b(4, "B");
        a.setValue(0b1100, true);
        b.setValue(0b1010, true);
        a |= b;
        a ^= b;
        QCOMPARE(a.inverted().toBitString(true), QByteArray("1101"));
        a.setValue(0b1100, true);
        a &= b;
        QCOMPARE(a.value(true), 0b1000u);
        // One-bit registers combine and copy as any other.
        Register one("A", "O1");
        Register set("A", "S1");
        set.setBit(0, 1);
        one ^= set;
        QCOMPARE(one.bit(0), 1);
        one.setBit(0, 0);
        QVERIFY(one.assign(set) && one.bit(0) == 1);
        one.setBitByName("A", 0);
        QCOMPARE(one.bit(0), 0);
        Register w(32, "W");
        w.setValue(0xF0F0F0F0u, true);
        w &= 0xFF00FF00u;
        QCOMPARE(w.value(true), 0xF000F000u);
        w |= 0x0000000Fu;
        QCOMPARE(w.value(true), 0xF000F00Fu);
        a.setValue(5, true);
        b.setValue(13, true);
        QVERIFY(a != b && a != Register(5, "C") && a == 0x15u && a != 6u);
        b.setBit(3, 0);
        QVERIFY(a == b);
        Register wide(40, "W"); // bit 32 compares with value bit 0
        wide.setValue(0x00000001u, true);
        QVERIFY(wide == 1u);
        wide.setBit(32, 0);
        QVERIFY(wide != 1u);
    }

    void formats()
    {
        const QString boost = "VSETPOINT[6:0]=5#Boost voltage;EN=1#Boost enable;SRC#Boost CLK source;";
        const QString unnamed = "[1]=1;A;[3]=5;B[2]";
        for (auto [definition, templ, grouped, result] : {
                 std::tuple{boost, QString("@bitn;@name;@value;@descr;"), true,
                            QString("0:6 ;VSETPOINT[7];5;Boost voltage;7 ;EN;1;Boost enable;8 ;"
                                    "SRC;0;Boost CLK source;")},
                 {boost, "@bitn=@value;", false, "0=1;1=0;2=1;3=0;4=0;5=0;6=0;7=1;8=0;"},
                 {boost, "@purename@group,", false,
                  QString("@purename0,").repeated(7) + "@purename1,@purename2,"},
                 {"", "@name;", true, ""},
                 {"A[3];B", "x-", true, "x-x-"},
                 {"F[5]=31;G[8]=200", "@value_hex/@value;", true, "1f/31;c8/200;"},
                 {"F[5]=31;G[8]=200", "@value_hex", false, "1111100010011"},
                 {"A[2]=3;B;A[2]=1", "@name|@bitn|@value|@group;", true,
                  "A[2]|0:1 |3|0;B|2 |0|1;A[2]|3:4 |1|2;"},
                 // A one-bit field without a name adds nothing; a run of unnamed bits shows its
                 // width.
                 {unnamed, "@name=@value;", true, "A=0;[3]=5;B[2]=0;"},
                 {unnamed, "@name@group,", false, "-1,A0,1,1,1,B2,B2,"}})
            QCOMPARE(Register(definition, "R").format(templ, grouped), result);
        Register r("@CHIP=K5 @ADD=regs;@field=A[2] @ADD=0x10 @descr=dd;@field=B;D#x@CHIP;"
                   "@field=C \u00e9\u4e2d",
                   "R");
        // Bit attributes before register attributes; an unknown keyword stays; a keyword inside
        // a description is expanded by the later steps.
        QCOMPARE(
            r.format("@ADD:@descr:@CHIP:@NONE;", true),
            QStringLiteral("0x10:dd:K5:@NONE;regs::K5:@NONE;regs:xK5:K5:@NONE;regs::K5:@NONE;"));
        // Characters beyond Latin-1 become "?", and the result ends at a NUL character.
        QCOMPARE(r.format("@purename;", true), QString("C \u00e9?;").prepend("A;B;D;"));
        QCOMPARE(r.format(QString("@name") + QChar(0) + "tail", true), QStringLiteral("A[2]"));
        QCOMPARE(r.format(QString(QChar(0)) + "@name", true), QString());
    }

    // Worked examples of the frame CRC-8 (0x107, seed 0xFF) and the OTP CRC-7 (0xB7, seed 0x7F).
    void crcs()
    {
        for (auto [size, value, frameCrc, otpCrc] :
             {std::tuple{16, 0x1234u, 0xDAu, 0x74u}, {8, 0x00u, 0xD7u, 0x40u},
              {12, 0xABCu, 0xECu, 0x48u}, {8, 0x5Au, 0x56u, 0x37u}, {0, 0u, 0xF3u, 0x76u}}) {
            Register r(size, "R");
            r.setValue(value, true);
            QCOMPARE(r.crc(8, 0xFF, 0x107), frameCrc);
            QCOMPARE(r.crc(7, 0x7F, 0xB7), otpCrc);
        }
        Register r(4, "R");
        r.setValue(0b0001, true);
        r.setUpdateMode(0);
        QSignalSpy set(&r, &Register::signal_updateSet);
        // Dividend: seed 0b11 on top, the register (bit 3 first), two zero bits below.
        QLoggingCategory::setFilterRules(QStringLiteral("kvl.model.debug=true"));
        QTest::ignoreMessage(QtDebugMsg, "\"11000100\" \"00100011\"");
        QVERIFY(r.crc(2, 0b11, 0b111) < 4u);
        QCOMPARE(r.value(true), 1u);
        QCOMPARE(set.count(), 0);
        for (int width : {0, 32}) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("CRC width .* outside 1..31"));
            QCOMPARE(r.crc(width, 0xFF, 0x107), 0u);
        }
        QCOMPARE(r.crc(1, 0, 0b11), 1u); // the narrowest width: the parity of the bits
        QCOMPARE(r.crc(31, 0, 0x80000001u), 1u); // the widest: x^31 mod x^31 + 1
    }

    void counts()
    {
        for (auto [x, power] : {std::pair{0, true}, {1, true}, {6, false}, {1 << 30, true},
                                {-2, false}, {int(0x80000000u), true}, {0x7FFFFFFF, false}})
            QCOMPARE(isPowerOfTwo(x), power);
        for (auto [n, positions] : {std::pair{-1, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 2}, {5, 3},
                                    {8, 3}, {9, 4}, {16, 4}, {17, 5}, {32, 5}, {1000, 5}})
            QCOMPARE(hammingPositions(n), positions);
    }

    // Every count from 2 to 32 encodes, checks and decodes, and corrects each single error.
    void correctsEverySingleBitError()
    {
        QCOMPARE(hammingEncode(0b1011, 7), 0b1010101u); // data at positions 3, 5, 6, 7
        QCOMPARE(hammingEncode(0x1Fu, 8), hammingEncode(0xFu, 8)); // a fifth data bit is dropped
        for (int n = 2; n <= 32; ++n) {
            const int dataBits = n - hammingPositions(n) - (isPowerOfTwo(n) ? 1 : 0);
            const uint32_t dataMask = dataBits >= 32 ? ~0u : (1u << dataBits) - 1u;
            for (uint32_t pattern : {0x0u, 0x1u, 0xBu, 0x2A5u, 0x3FFFFFFu, 0x1234567u}) {
                const uint32_t code = hammingEncode(pattern, n);
                QCOMPARE(n < 32 ? code >> n : 0u, 0u);
                QCOMPARE(hammingCheck(code, n), 1);
                uint32_t data = 0;
                QCOMPARE(hammingDecode(code, data, n), 1);
                QCOMPARE(data, pattern & dataMask);
                for (int position = 1; position <= n - (isPowerOfTwo(n) ? 1 : 0); ++position) {
                    const uint32_t damaged = code ^ (1u << (position - 1));
                    QCOMPARE(hammingCheck(damaged, n), 0);
                    QCOMPARE(hammingDecode(damaged, data, n), 0);
                    uint32_t corrected = 0;
                    QVERIFY2(hammingCorrect(damaged, corrected, n),
                             qPrintable(QString("n=%1 position=%2").arg(n).arg(position)));
                    QCOMPARE(corrected, code);
                }
            }
        }
    }

    // Counts up to 1 hold no code: every word checks and decodes to nothing; counts above 32
    // act as 32; a syndrome beyond the word is no correction.
    void edgeCounts()
    {
        QCOMPARE(hammingEncode(0xFFFFFFFFu, 1), 0u);
        for (int n : {-3, 0, 1}) {
            uint32_t corrected = 0;
            uint32_t data = 0xFFu;
            QVERIFY(hammingCorrect(0xDEADBEEFu, corrected, n));
            QCOMPARE(corrected, 0xDEADBEEFu);
            QCOMPARE(hammingCheck(0xDEADBEEFu, n) + hammingDecode(0xDEADBEEFu, data, n), 2);
            QCOMPARE(data, 0u);
        }
        const uint32_t code = hammingEncode(0x1234567u, 32);
        QCOMPARE(hammingEncode(0x1234567u, 64), code);
        uint32_t corrected = 0xCAFEu;
        QVERIFY(!hammingCorrect(hammingEncode(0b101, 5) ^ 0b1011u, corrected, 5));
        QCOMPARE(corrected, 0xCAFEu);
        QVERIFY(hammingCorrect(code ^ (1u << 20), corrected, 40));
        QCOMPARE(corrected, code);
    }

    void parityBits()
    {
        // hammingParity(word, n, k): position 2^k itself is not counted.
        for (auto [word, n, k, expected] :
             {std::tuple{0xFFFFFFFFu, 3, 2, 0}, {0xFFFFFFFFu, 32, 40, 0}, {0xFFFFFFFFu, 32, -1, 0},
              {0b0001u, 4, 0, 0}, {0b0100u, 4, 0, 1}, {1u << 16, 32, 4, 1}, {1u << 31, 32, 4, 0},
              {1u << 30, 32, 4, 1}, {1u << 31, 32, 5, 0}})
            QCOMPARE(hammingParity(word, n, k), expected);
        // hammingParityBitsEven(word, n); n = 7: parity positions 1, 2, 4 and bit 7.
        for (auto [word, n, expected] :
             {std::tuple{0b0001011u, 7, 0}, {0b10001011u, 7, 1}, {0b01110100u, 7, 1}, {1u, 0, 0},
              {2u, 0, 1}, {0b11u, 1, 0}, {0x80000000u, 31, 0}, {1u, 32, 0}, {0x80000000u, 32, 1},
              {0x8001u, 40, 1}})
            QCOMPARE(hammingParityBitsEven(word, n), expected);
        // appendEvenParity(word, n)
        for (auto [word, n, expected] :
             {std::tuple{0b0111u, 3, 0b1111u}, {0b0011u, 2, 0b0011u}, {0b0111u, 0, 0b0111u},
              {0b0111u, -1, 0b0111u}, {0b0111u, 33, 0b0111u}, {0b0111u, 32, 0b0111u}, {1u, 1, 3u},
              {0xF0000001u, 4, 0xF0000011u}, {0b1001u, 3, 0b1001u}, {1u, 31, 0x80000001u}})
            QCOMPARE(appendEvenParity(word, n), expected);
    }

    void checkCodeCrcs()
    {
        // Check values over "123456789" of CRC-8/SMBUS, MAXIM, ROHC and NRSC-5.
        const uint8_t text[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
        QCOMPARE(crc8(0x00, 0x07, text, 9, 1), uint8_t(0xF4));
        QCOMPARE(crc8(0x00, 0x107, text, 9, 1), uint8_t(0xF4));
        QCOMPARE(crc8(0x00, 0x8C, text, 9, 0), uint8_t(0xA1));
        QCOMPARE(crc8(0xFF, 0xE0, text, 9, 0), uint8_t(0xD0));
        QCOMPARE(crc8(0xFF, 0x31, text, 9, 1), uint8_t(0xF7));
        QCOMPARE(crc8(0x00, 0x07, text, 1, 1), uint8_t(0x97)); // the shortest length processed
        for (int mode : {2, -1})
            QCOMPARE(crc8(0x5A, 0x07, text, 9, mode), uint8_t(0x5A));
        QCOMPARE(crc8(0x5A, 0x07, text, 0, 1), uint8_t(0x5A));
        QCOMPARE(crc8(0x5A, 0x07, nullptr, 9, 1), uint8_t(0x5A));
        // "123456789" as big-endian words after a leading zero byte: CRC-16/XMODEM and UMTS.
        const uint16_t words[] = {0x0031, 0x3233, 0x3435, 0x3637, 0x3839, 0x31C3};
        QCOMPARE(crc16(0x1021, words, 5), uint16_t(0x31C3));
        QCOMPARE(crc16(0x8005, words, 5), uint16_t(0xFEE8));
        QCOMPARE(crc16(0x1021, words, 6), uint16_t(0));
        QCOMPARE(crc16(0x1021, words, 1), uint16_t(0x2672));
        QCOMPARE(crc16(0x1021, words, 0), uint16_t(0));
        QCOMPARE(crc16(0x1021, nullptr, 3), uint16_t(0));
    }

    void parityMatrixRows()
    {
        const std::vector<uint32_t> rows{0b0001, 0b0011, 0b1111, 0, 0b0001};
        const std::vector<uint32_t> all{0xFFFFFFFFu};
        for (auto [word, masks, n, expected] :
             {std::tuple{0b1011u, rows, 8, 0b101u}, {0b1011u, rows, 2, 0b01u}, {0b1011u, rows, 1, 0b1u}, {0xFFu, rows, 0, 0u},
              {0xFFu, {}, 4, 0u}, {1u, {1u}, 4, 1u}, {1u, std::vector<uint32_t>(10, 1u), 32, 0xFFu},
              {0x80000001u, all, 1, 1u}, {0x80000001u, all, 40, 0u}})
            QCOMPARE(uint(parityMatrix(word, masks, n)), expected);
    }
};

QTEST_GUILESS_MAIN(TestRegisterConvert)
#include "tst_register_convert.moc"
