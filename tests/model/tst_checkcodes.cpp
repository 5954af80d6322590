#include "checkcodes.h"

#include <QtTest>

#include <vector>

using namespace CheckCodes;

namespace
{

const uint8_t CheckText[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};

bool bitSet(uint32_t word, int position)
{
    return (word >> (position - 1)) & 1u;
}

// Data patterns that exercise every data position of a 32-position word.
const uint32_t DataPatterns[] = {0x0u, 0x1u, 0xBu, 0x2A5u, 0x3FFFFFFu, 0x1234567u, 0x2AAAAAAu};

} // namespace

class TestCheckCodes : public QObject
{
    Q_OBJECT
private slots:
    void isPowerOfTwo_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<bool>("expected");
        QTest::newRow("0") << 0 << true;
        QTest::newRow("1") << 1 << true;
        QTest::newRow("2") << 2 << true;
        QTest::newRow("6") << 6 << false;
        QTest::newRow("16") << 16 << true;
        QTest::newRow("2^30") << (1 << 30) << true;
        QTest::newRow("-2") << -2 << false;
        QTest::newRow("int min") << int(0x80000000u) << true;
        QTest::newRow("int max") << 0x7FFFFFFF << false;
    }

    void isPowerOfTwo()
    {
        QFETCH(int, x);
        QFETCH(bool, expected);
        QCOMPARE(CheckCodes::isPowerOfTwo(x), expected);
    }

    void hammingPositions_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("expected");
        QTest::newRow("-1") << -1 << 0;
        QTest::newRow("0") << 0 << 0;
        QTest::newRow("1") << 1 << 0;
        QTest::newRow("2") << 2 << 1;
        QTest::newRow("3") << 3 << 2;
        QTest::newRow("4") << 4 << 2;
        QTest::newRow("5") << 5 << 3;
        QTest::newRow("8") << 8 << 3;
        QTest::newRow("9") << 9 << 4;
        QTest::newRow("16") << 16 << 4;
        QTest::newRow("17") << 17 << 5;
        QTest::newRow("32") << 32 << 5;
        QTest::newRow("33") << 33 << 5;
        QTest::newRow("1000") << 1000 << 5;
    }

    void hammingPositions()
    {
        QFETCH(int, n);
        QFETCH(int, expected);
        QCOMPARE(CheckCodes::hammingPositions(n), expected);
    }

    void encodeSevenPositions()
    {
        const uint32_t code = hammingEncode(0b1011, 7);
        // Data bits 1,1,0,1 sit at positions 3, 5, 6, 7.
        QVERIFY(bitSet(code, 3));
        QVERIFY(bitSet(code, 5));
        QVERIFY(!bitSet(code, 6));
        QVERIFY(bitSet(code, 7));
        // Each parity position makes its covered positions plus itself even.
        QCOMPARE(int(bitSet(code, 1)), int(bitSet(code, 3) ^ bitSet(code, 5) ^ bitSet(code, 7)));
        QCOMPARE(int(bitSet(code, 2)), int(bitSet(code, 3) ^ bitSet(code, 6) ^ bitSet(code, 7)));
        QCOMPARE(int(bitSet(code, 4)), int(bitSet(code, 5) ^ bitSet(code, 6) ^ bitSet(code, 7)));
        QCOMPARE(code >> 7, 0u);
        QCOMPARE(hammingCheck(code, 7), 1);
        uint32_t data = 0xFFFFFFFF;
        QCOMPARE(hammingDecode(code, data, 7), 1);
        QCOMPARE(data, 0b1011u);
    }

    void encodeEightPositionsLeavesPositionEightClear()
    {
        for (uint32_t data = 0; data < 16; ++data) {
            const uint32_t code8 = hammingEncode(data, 8);
            QVERIFY(!bitSet(code8, 8));
            QCOMPARE(code8, hammingEncode(data, 7));
            uint32_t decoded = 0;
            QCOMPARE(hammingDecode(code8, decoded, 8), 1);
            QCOMPARE(decoded, data);
        }
        // Only four data positions: a fifth data bit is dropped.
        QCOMPARE(hammingEncode(0x1Fu, 8), hammingEncode(0xFu, 8));
        // Position 8 is ignored by the check and the decoding.
        uint32_t decoded = 0;
        QCOMPARE(hammingDecode(hammingEncode(0x5u, 8) | 0x80u, decoded, 8), 1);
        QCOMPARE(decoded, 0x5u);
    }

    void encodeDecodeAllSizes()
    {
        for (int n = 2; n <= 32; ++n) {
            const int dataBits =
                n - CheckCodes::hammingPositions(n) - (CheckCodes::isPowerOfTwo(n) ? 1 : 0);
            const uint32_t dataMask = dataBits >= 32 ? ~0u : (1u << dataBits) - 1u;
            for (uint32_t pattern : DataPatterns) {
                const uint32_t code = hammingEncode(pattern, n);
                if (n < 32)
                    QCOMPARE(code >> n, 0u);
                QCOMPARE(hammingCheck(code, n), 1);
                uint32_t data = 0;
                QCOMPARE(hammingDecode(code, data, n), 1);
                QCOMPARE(data, pattern & dataMask);
            }
        }
    }

    void correctsEverySingleBitError()
    {
        for (int n = 3; n <= 32; ++n) {
            for (uint32_t pattern : DataPatterns) {
                const uint32_t code = hammingEncode(pattern, n);
                uint32_t same = 0;
                QVERIFY(hammingCorrect(code, same, n));
                QCOMPARE(same, code);
                for (int position = 1; position <= n; ++position) {
                    if (position == n && CheckCodes::isPowerOfTwo(n))
                        continue; // that position is outside the code
                    const uint32_t damaged = code ^ (1u << (position - 1));
                    QCOMPARE(hammingCheck(damaged, n), 0);
                    uint32_t data = 0;
                    QCOMPARE(hammingDecode(damaged, data, n), 0);
                    uint32_t corrected = 0;
                    QVERIFY2(hammingCorrect(damaged, corrected, n),
                             qPrintable(QString("n=%1 position=%2").arg(n).arg(position)));
                    QCOMPARE(corrected, code);
                }
            }
        }
    }

    void tinyWordsAcceptAnything()
    {
        QCOMPARE(hammingEncode(0xFFFFFFFFu, 0), 0u);
        QCOMPARE(hammingEncode(0xFFFFFFFFu, 1), 0u);
        for (int n : {-3, 0, 1}) {
            for (uint32_t word : {0u, 1u, 0xDEADBEEFu}) {
                QCOMPARE(hammingCheck(word, n), 1);
                uint32_t corrected = 0;
                QVERIFY(hammingCorrect(word, corrected, n));
                QCOMPARE(corrected, word);
                uint32_t data = 0xFFu;
                QCOMPARE(hammingDecode(word, data, n), 1);
                QCOMPARE(data, 0u);
            }
        }
    }

    void correctRefusesErrorBeyondWord()
    {
        // n = 5: the parity positions 1, 2 and 4 all failing point at position 7.
        const uint32_t code = hammingEncode(0b101, 5);
        const uint32_t damaged = code ^ 0b1011u;
        uint32_t corrected = 0xCAFEu;
        QVERIFY(!hammingCorrect(damaged, corrected, 5));
        QCOMPARE(corrected, 0xCAFEu);
        // The same fault within a 7-position word names position 7.
        QVERIFY(hammingCorrect(damaged, corrected, 7));
        QCOMPARE(corrected, damaged ^ 0x40u);
    }

    void hammingParityEdges()
    {
        // n below 2^k gives 0 whatever the word.
        QCOMPARE(hammingParity(0xFFFFFFFFu, 3, 2), 0);
        QCOMPARE(hammingParity(0xFFFFFFFFu, 31, 5), 0);
        QCOMPARE(hammingParity(0xFFFFFFFFu, 32, 40), 0);
        QCOMPARE(hammingParity(0xFFFFFFFFu, 32, -1), 0);
        // Position p itself is not counted: only position 3 is covered by p = 1 below 4.
        QCOMPARE(hammingParity(0b0001u, 4, 0), 0);
        QCOMPARE(hammingParity(0b0100u, 4, 0), 1);
        // p = 16 over n = 32 covers positions 17..31 (position 32 carries no bit 16).
        QCOMPARE(hammingParity(1u << 16, 32, 4), 1);
        QCOMPARE(hammingParity(1u << 31, 32, 4), 0);
        QCOMPARE(hammingParity(1u << 30, 32, 4), 1);
    }

    void countsAbove32ActAs32()
    {
        for (uint32_t pattern : DataPatterns) {
            const uint32_t code = hammingEncode(pattern, 32);
            QCOMPARE(hammingEncode(pattern, 33), code);
            QCOMPARE(hammingEncode(pattern, 64), code);
            QCOMPARE(hammingCheck(code, 100), 1);
            uint32_t data32 = 0, data99 = 0;
            hammingDecode(code, data32, 32);
            hammingDecode(code, data99, 99);
            QCOMPARE(data99, data32);
            uint32_t corrected = 0;
            QVERIFY(hammingCorrect(code ^ (1u << 20), corrected, 40));
            QCOMPARE(corrected, code);
        }
    }

    void hammingParityBitsEven_data()
    {
        QTest::addColumn<uint>("word");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("expected");

        // n = 7: parity positions 1, 2, 4 (bits 0, 1, 3) and bit 7.
        QTest::newRow("three ones") << 0b0001011u << 7 << 0;
        QTest::newRow("three ones and bit n") << 0b10001011u << 7 << 1;
        QTest::newRow("data bits ignored") << 0b01110100u << 7 << 1;
        QTest::newRow("n=0 bit 0 set") << 1u << 0 << 0;
        QTest::newRow("n=0 bit 0 clear") << 2u << 0 << 1;
        QTest::newRow("n=1 only bit 1") << 0b11u << 1 << 0;
        QTest::newRow("n=31 uses bit 31") << 0x80000000u << 31 << 0;
        QTest::newRow("n=32 clear") << 0u << 32 << 1;
        QTest::newRow("n=32 one parity bit") << 1u << 32 << 0;
        QTest::newRow("n=32 no bit 32") << 0x80000000u << 32 << 1;
        QTest::newRow("n=40 as 32") << 0x8001u << 40 << 1;
    }

    void hammingParityBitsEven()
    {
        QFETCH(uint, word);
        QFETCH(int, n);
        QFETCH(int, expected);
        QCOMPARE(CheckCodes::hammingParityBitsEven(word, n), expected);
    }

    void appendEvenParity_data()
    {
        QTest::addColumn<uint>("word");
        QTest::addColumn<int>("n");
        QTest::addColumn<uint>("expected");

        QTest::newRow("odd three") << 0b0111u << 3 << 0b1111u;
        QTest::newRow("even two") << 0b0011u << 2 << 0b0011u;
        QTest::newRow("n=0 unchanged") << 0b0111u << 0 << 0b0111u;
        QTest::newRow("n=-1 unchanged") << 0b0111u << -1 << 0b0111u;
        QTest::newRow("n=33 unchanged") << 0b0111u << 33 << 0b0111u;
        QTest::newRow("n=32 has no bit 32") << 0b0111u << 32 << 0b0111u;
        QTest::newRow("n=1") << 1u << 1 << 3u;
        QTest::newRow("higher bits ignored") << 0xF0000001u << 4 << 0xF0000011u;
        QTest::newRow("bit n already set stays") << 0b1011u << 3 << 0b1011u;
        QTest::newRow("odd with bit n set") << 0b1001u << 3 << 0b1001u;
        QTest::newRow("n=31") << 1u << 31 << 0x80000001u;
    }

    void appendEvenParity()
    {
        QFETCH(uint, word);
        QFETCH(int, n);
        QFETCH(uint, expected);
        QCOMPARE(CheckCodes::appendEvenParity(word, n), expected);
    }

    // Standard check values over "123456789" for the CRC-8 variants without final XOR.
    void crc8CheckValues_data()
    {
        QTest::addColumn<int>("initial");
        QTest::addColumn<int>("polynomial");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("check");

        QTest::newRow("CRC-8/SMBUS") << 0x00 << 0x07 << 1 << 0xF4;
        QTest::newRow("CRC-8/SMBUS x^8 given") << 0x00 << 0x107 << 1 << 0xF4;
        QTest::newRow("CRC-8/MAXIM") << 0x00 << 0x8C << 0 << 0xA1;
        QTest::newRow("CRC-8/ROHC") << 0xFF << 0xE0 << 0 << 0xD0;
        QTest::newRow("CRC-8/NRSC-5") << 0xFF << 0x31 << 1 << 0xF7;
    }

    void crc8CheckValues()
    {
        QFETCH(int, initial);
        QFETCH(int, polynomial);
        QFETCH(int, mode);
        QFETCH(int, check);
        QCOMPARE(int(crc8(uint8_t(initial), uint32_t(polynomial), CheckText, 9, mode)), check);
    }

    void crc8PolynomialFormsAndEdges()
    {
        QCOMPARE(crc8(0x5A, 0x07, CheckText, 9, 2), uint8_t(0x5A));
        QCOMPARE(crc8(0x5A, 0x07, CheckText, 9, -1), uint8_t(0x5A));
        QCOMPARE(crc8(0x5A, 0x07, CheckText, 0, 1), uint8_t(0x5A));
        QCOMPARE(crc8(0x5A, 0x07, CheckText, -4, 0), uint8_t(0x5A));
        QCOMPARE(crc8(0x5A, 0x07, nullptr, 9, 1), uint8_t(0x5A));
        // Only the low 8 bits of the polynomial take part.
        QCOMPARE(crc8(0x00, 0xFF8C, CheckText, 9, 0), crc8(0x00, 0x8C, CheckText, 9, 0));
        // Appending the CRC (most significant bit first, initial 0) leaves a zero remainder.
        const uint8_t crc = crc8(0x00, 0x07, CheckText, 9, 1);
        uint8_t framed[10];
        std::copy(std::begin(CheckText), std::end(CheckText), framed);
        framed[9] = crc;
        QCOMPARE(crc8(0x00, 0x07, framed, 10, 1), uint8_t(0));
    }

    void crc16CheckValues()
    {
        // "123456789" as big-endian words after a leading zero byte, which an initial value of
        // 0 does not change: the CRC-16/XMODEM and CRC-16/UMTS check values.
        const uint16_t words[] = {0x0031, 0x3233, 0x3435, 0x3637, 0x3839};
        QCOMPARE(crc16(0x1021, words, 5), uint16_t(0x31C3));
        QCOMPARE(crc16(0x8005, words, 5), uint16_t(0xFEE8));
        const uint16_t framed[] = {0x0031, 0x3233, 0x3435, 0x3637, 0x3839, 0x31C3};
        QCOMPARE(crc16(0x1021, framed, 6), uint16_t(0));
        QCOMPARE(crc16(0x1021, words, 0), uint16_t(0));
        QCOMPARE(crc16(0x1021, words, -1), uint16_t(0));
        QCOMPARE(crc16(0x1021, nullptr, 3), uint16_t(0));
    }

    void parityMatrix_data()
    {
        QTest::addColumn<uint>("word");
        QTest::addColumn<std::vector<uint32_t>>("masks");
        QTest::addColumn<int>("n");
        QTest::addColumn<uint>("expected");

        const std::vector<uint32_t> rows{0b0001, 0b0011, 0b1111, 0, 0b0001};
        QTest::newRow("stops at zero mask") << 0b1011u << rows << 8 << 0b101u;
        QTest::newRow("n limits rows and bits") << 0b1011u << rows << 2 << 0b01u;
        QTest::newRow("n = 0") << 0xFFu << rows << 0 << 0u;
        QTest::newRow("first mask zero") << 0xFFu << std::vector<uint32_t>{0, 1, 1} << 4 << 0u;
        QTest::newRow("empty list") << 0xFFu << std::vector<uint32_t>{} << 4 << 0u;
        QTest::newRow("ninth row adds nothing")
            << 1u << std::vector<uint32_t>(10, 1u) << 32 << 0xFFu;
        QTest::newRow("bits beyond n ignored")
            << 0x80000001u << std::vector<uint32_t>{0xFFFFFFFFu} << 1 << 1u;
        QTest::newRow("all 32 bits")
            << 0x80000001u << std::vector<uint32_t>{0xFFFFFFFFu} << 32 << 0u;
        QTest::newRow("n above 32")
            << 0x80000001u << std::vector<uint32_t>{0xFFFFFFFFu} << 40 << 0u;
    }

    void parityMatrix()
    {
        QFETCH(uint, word);
        QFETCH(std::vector<uint32_t>, masks);
        QFETCH(int, n);
        QFETCH(uint, expected);
        QCOMPARE(uint(CheckCodes::parityMatrix(word, masks, n)), expected);
    }
};

QTEST_GUILESS_MAIN(TestCheckCodes)
#include "tst_checkcodes.moc"
