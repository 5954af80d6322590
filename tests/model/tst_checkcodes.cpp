#include "checkcodes.h"

#include <QtTest>

#include <tuple>
#include <vector>

using namespace CheckCodes;

class TestCheckCodes : public QObject
{
    Q_OBJECT
private slots:
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

    void crcs()
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
             {std::tuple{0b1011u, rows, 8, 0b101u}, {0b1011u, rows, 2, 0b01u}, {0xFFu, rows, 0, 0u},
              {0xFFu, {}, 4, 0u}, {1u, {1u}, 4, 1u}, {1u, std::vector<uint32_t>(10, 1u), 32, 0xFFu},
              {0x80000001u, all, 1, 1u}, {0x80000001u, all, 40, 0u}})
            QCOMPARE(uint(parityMatrix(word, masks, n)), expected);
    }
};

QTEST_GUILESS_MAIN(TestCheckCodes)
#include "tst_checkcodes.moc"
