#include "flashblock.h"

#include <array>

namespace
{

constexpr quint32 Polynomial = 0x04C11DB7u;

// table[i] is i shifted in front of 32 zero bits, reduced by the polynomial, so that one byte
// is shifted into the register with one look-up.
constexpr std::array<quint32, 256> makeTable()
{
    std::array<quint32, 256> table{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 reg = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            reg = (reg & 0x80000000u) ? (reg << 1) ^ Polynomial : reg << 1;
        table[i] = reg;
    }
    return table;
}

constexpr std::array<quint32, 256> CrcTable = makeTable();

void appendHex32(QByteArray &out, quint32 value)
{
    static const char digits[] = "0123456789abcdef";
    for (int shift = 28; shift >= 0; shift -= 4)
        out.append(digits[(value >> shift) & 0xF]);
}

} // namespace

quint32 FlashBlock::crc32(const char *data, int size)
{
    quint32 reg = 0;
    for (int i = 0; i < size; ++i)
        reg = ((reg << 8) | quint8(data[i])) ^ CrcTable[reg >> 24];
    return reg;
}

QByteArray FlashBlock::line(quint32 address, const QByteArray &data)
{
    return line(address, data.constData(), data.size());
}

QByteArray FlashBlock::line(quint32 address, const char *data, int size)
{
    QByteArray out;
    out.append("set flash=");
    appendHex32(out, address);
    appendHex32(out, crc32(data, size));
    appendHex32(out, quint32(size));
    out.append(QByteArray::fromRawData(data, size).toHex());
    out.append('\r');
    return out;
}

QByteArray FlashBlock::endMarker()
{
    return QByteArrayLiteral("set flash=8007fffC1234abcd000000041234abcd\r");
}
