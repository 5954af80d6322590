#include "fakekvl52205.h"

namespace
{

constexpr quint16 ValueMask = 0x3FF;

int onesIn(quint16 word)
{
    int ones = 0;
    for (; word; word &= quint16(word - 1))
        ++ones;
    return ones;
}

} // namespace

FakeKvl52205::FakeKvl52205()
{
    m_registers[0x13] = 0xA0;
    m_registers[0x14] = 0x64;
}

QByteArray FakeKvl52205::transfer(const QByteArray &mosi)
{
    QByteArray miso(mosi.size(), '\0');
    if (!miso.isEmpty())
        miso[0] = char(m_response >> 8);
    if (miso.size() > 1)
        miso[1] = char(m_response & 0xFF);
    if (mosi.size() != 2) {
        m_violations.append(QStringLiteral("frame of %1 bytes").arg(mosi.size()));
        m_response = 0;
        return miso;
    }
    m_response = process(quint16((quint8(mosi[0]) << 8) | quint8(mosi[1])));
    return miso;
}

// Carries out one word and returns the response the next frame clocks out.
quint16 FakeKvl52205::process(quint16 word)
{
    if (onesIn(word) % 2 == 0) {
        m_violations.append(
            QStringLiteral("even parity in word 0x%1").arg(word, 4, 16, QChar('0')));
        m_registers[StatusRegister] |= ParityFlag;
        return 0;
    }
    if (word & 0x8000) {
        const int address = (word >> 11) & 0xF;
        m_registers[address] = word & ValueMask;
        return m_registers[address];
    }
    const int address = (word >> 10) & 0x1F;
    const quint16 response = m_registers[address];
    if (address == StatusRegister)
        m_registers[StatusRegister] &= quint16(~ParityFlag);
    return response;
}

quint16 FakeKvl52205::value(int address) const
{
    return (address >= 0 && address < RegisterCount) ? m_registers[address] : 0;
}

void FakeKvl52205::setValue(int address, quint16 value)
{
    if (address >= 0 && address < RegisterCount)
        m_registers[address] = value & ValueMask;
}
