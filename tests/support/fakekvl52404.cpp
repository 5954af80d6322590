#include "fakekvl52404.h"

namespace
{

constexpr quint32 DataMask = 0x1FFFFF;
constexpr quint32 ErrorBit = 0x80000000u;
constexpr int RegularWords = 32; // words 0..31 take writes and are reset

quint32 startValue(int address)
{
    switch (address) {
    case 14:
    case 15:
        return 50;
    case 35:
    case 42:
        return 256;
    case 55:
        return 400;
    default:
        return 0;
    }
}

} // namespace

FakeKvl52404::FakeKvl52404()
{
    for (int a = 0; a < WordCount; ++a)
        m_words[a] = startValue(a);
}

quint8 FakeKvl52404::crc(quint64 bits, int bitCount)
{
    constexpr quint64 Generator = 0x13; // x^4 + x + 1
    // The preset 15 enters as the complement of the message's first four bits.
    quint64 message = (bits & ((quint64(1) << bitCount) - 1)) ^ (quint64(0xF) << (bitCount - 4));
    message <<= 4;
    for (int top = bitCount + 3; top >= 4; --top) {
        if (message & (quint64(1) << top))
            message ^= Generator << (top - 4);
    }
    return quint8(message & 0xF);
}

QByteArray FakeKvl52404::transfer(const QByteArray &mosi)
{
    if (mosi.size() != 4) {
        m_violations.append(QStringLiteral("frame of %1 bytes").arg(mosi.size()));
        return QByteArray(mosi.size(), '\0');
    }
    quint32 frame = 0;
    for (const char byte : mosi)
        frame = (frame << 8) | quint8(byte);
    const quint32 answer = answerTo(frame);
    QByteArray miso;
    for (int shift = 24; shift >= 0; shift -= 8)
        miso.append(char((answer >> shift) & 0xFF));
    return miso;
}

// Carries out one request and returns the complete answer frame.
quint32 FakeKvl52404::answerTo(quint32 frame)
{
    quint32 answer = 0;
    const int address = int((frame >> 25) & 0x3F);
    const quint32 data = (frame >> 4) & DataMask;
    if (crc(frame >> 4, 28) != (frame & 0xF)) {
        m_violations.append(
            QStringLiteral("wrong CRC in frame 0x%1").arg(frame, 8, 16, QChar('0')));
        answer = ErrorBit;
    } else if (frame & ErrorBit) {
        if (address < RegularWords)
            m_words[address] = data;
        if (address == ResetWord && (data & 1))
            restoreStartValues();
        answer = (quint32(address) << 25) | (data << 4);
    } else {
        answer = m_words[address] << 4;
    }
    const quint64 block = (quint64(answer >> 4) << 8) | ((frame >> 25) & 0x7F);
    quint8 nibble = crc(block, 36);
    if (m_corruptCrc)
        nibble ^= 0x5;
    return answer | nibble;
}

void FakeKvl52404::restoreStartValues()
{
    for (int a = 0; a < RegularWords; ++a)
        m_words[a] = startValue(a);
}

quint32 FakeKvl52404::word(int address) const
{
    return (address >= 0 && address < WordCount) ? m_words[address] : 0;
}

void FakeKvl52404::setWord(int address, quint32 value)
{
    if (address >= 0 && address < WordCount)
        m_words[address] = value & DataMask;
}
