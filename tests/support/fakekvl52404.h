#pragma once

#include <QByteArray>
#include <QStringList>

#include <array>

// A simulated KVL52404 on a 32-bit SPI chip select: 64 words of 21 bits.
// Request frame: bit 31 R/W (1 write), bits 30..25 address, bits 24..4 data, bits 3..0 the
// CRC-4 of bits 31..4. The chip answers in the same frame: a read with the word in bits
// 24..4, a write with the address in bits 30..25 and the data in bits 24..4, a request with a
// wrong CRC (ignored) with bit 31 set. Every answer ends in the CRC-4 of its bits 31..4, a 0
// bit, and the request's R/W and address. Words 32 to 63 ignore writes; bit 0 written to word
// 29 restores words 0 to 31 to their start values. Not thread-safe: FakeBoardSpi guards it.
class FakeKvl52404
{
public:
    static constexpr int WordCount = 64;
    static constexpr int ResetWord = 29;

    FakeKvl52404();

    // One frame: the bytes clocked in, answered by as many bytes clocked out.
    QByteArray transfer(const QByteArray &mosi);

    quint32 word(int address) const;
    void setWord(int address, quint32 value);
    // A knob: every answer carries a wrong CRC nibble.
    void setCorruptAnswerCrc(bool corrupt) { m_corruptCrc = corrupt; }
    // Frames of the wrong length and requests with a wrong CRC, one text each.
    QStringList violations() const { return m_violations; }

    // CRC-4 (x^4 + x + 1, register preset to 15) of the low bitCount bits of bits, highest
    // first, by polynomial division of the augmented message.
    static quint8 crc(quint64 bits, int bitCount);

private:
    quint32 answerTo(quint32 frame);
    void restoreStartValues();

    std::array<quint32, WordCount> m_words{};
    bool m_corruptCrc = false;
    QStringList m_violations;
};
