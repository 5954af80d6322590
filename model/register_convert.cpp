// Register conversions (bit strings, bytes, hexadecimal text) and bulk bitwise operations.
#include "register.h"

#include <limits>

namespace
{

enum BitwiseOp { And, Or, Xor };

quint8 combine(quint8 a, quint8 b, int op)
{
    switch (op) {
    case And:
        return a & b;
    case Or:
        return a | b;
    default:
        return a ^ b;
    }
}

// Packs a sequence of bit values into bytes: the n-th bit goes to byte n / 8, filled from bit 7
// down when msbFirstInByte, else from bit 0 up; a last partial byte keeps its other bits 0.
template <typename BitAt> QByteArray packBytes(qsizetype count, BitAt bitAt, bool msbFirstInByte)
{
    QByteArray bytes((count + 7) / 8, '\0');
    for (qsizetype n = 0; n < count; ++n) {
        if (!bitAt(n))
            continue;
        const int position = msbFirstInByte ? 7 - int(n % 8) : int(n % 8);
        bytes[n / 8] = char(quint8(bytes[n / 8]) | (1u << position));
    }
    return bytes;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Bit strings, bytes and hexadecimal text

QByteArray Register::toBitString(bool lsbFirst) const
{
    const int n = size();
    QByteArray text(n, '0');
    for (int i = 0; i < n; ++i) {
        if (m_bits.at(lsbFirst ? i : n - 1 - i)->value())
            text[i] = '1';
    }
    return text;
}

void Register::setFromBitString(const QByteArray &bits, bool lsbFirst)
{
    const qsizetype length = bits.size();
    for (qsizetype i = 0; i < length; ++i) {
        const qsizetype index = lsbFirst ? i : length - 1 - i;
        if (index < size())
            m_bits.at(index)->setValue(bits.at(i) != '0' ? 1 : 0);
    }
}

QByteArray Register::toByteArray(bool lsbFirst, bool msbFirstInByte)
{
    announceGet();
    const int n = size();
    return packBytes(
        n, [&](qsizetype k) { return m_bits.at(lsbFirst ? k : n - 1 - k)->value() != 0; },
        msbFirstInByte);
}

// toByteArray announces the read: once per whole-value read.
QString Register::toHex(bool lsbFirst, bool msbFirstInByte)
{
    return QString::fromLatin1(toByteArray(lsbFirst, msbFirstInByte).toHex());
}

bool Register::setFromByteArray(const QByteArray &bytes, int nbits, int order, bool msbFirstInByte)
{
    return setFromByteArray(bytes, nbits, 0, order, msbFirstInByte);
}

bool Register::setFromByteArray(const QByteArray &bytes, int nbits, int offset, int order,
                                bool msbFirstInByte)
{
    const qint64 available = qint64(bytes.size()) * 8;
    if (nbits == -1)
        nbits = int(qMin<qint64>(available, std::numeric_limits<int>::max()));
    if (isEmpty())
        resize(nbits);
    if (available < nbits)
        return false;
    const qint64 n = size();
    for (qint64 i = 0; i < nbits; ++i) {
        const quint8 byte = quint8(bytes.at(i / 8));
        const int position = msbFirstInByte ? 7 - int(i % 8) : int(i % 8);
        const qint64 index = order == 1 ? offset + i : n - 1 - i - offset;
        if (index >= 0 && index < n)
            m_bits.at(index)->setValue((byte >> position) & 1u);
    }
    return true;
}

bool Register::setFromHex(const QString &hex, int nbits, int order, bool msbFirstInByte)
{
    return setFromByteArray(QByteArray::fromHex(hex.toLatin1()), nbits, order, msbFirstInByte);
}

// ---------------------------------------------------------------------------------------------
// Static utilities

quint32 Register::bitStringToUInt(const QByteArray &bits)
{
    quint32 result = 0;
    qint64 next = 0;
    for (qsizetype i = bits.size() - 1; i >= 0; --i) {
        const char c = bits.at(i);
        if (c == ' ' || c == '.')
            continue;
        if (c == '1')
            result |= 1u << (next % 32);
        ++next;
    }
    return result;
}

QByteArray Register::bitStringToBytes(const QByteArray &bits, bool lsbFirst, bool msbFirstInByte)
{
    const qsizetype n = bits.size();
    return packBytes(
        n, [&](qsizetype k) { return bits.at(lsbFirst ? k : n - 1 - k) == '1'; }, msbFirstInByte);
}

QByteArray Register::bytesToBitString(const QByteArray &bytes, int n, bool lsbFirst)
{
    if (n < 1 || qint64(n) > qint64(bytes.size()) * 8)
        return QByteArray();
    QByteArray text(n, '0');
    for (int i = 0; i < n; ++i) {
        if ((quint8(bytes.at(i / 8)) >> (i % 8)) & 1u)
            text[lsbFirst ? i : n - 1 - i] = '1';
    }
    return text;
}

QByteArray Register::repeatBytes(const QByteArray &bytes, int n)
{
    QByteArray result;
    if (n < 1)
        return result;
    result.reserve(bytes.size() * n);
    for (char byte : bytes)
        result.append(QByteArray(n, byte));
    return result;
}

QByteArray Register::stretchBits(const QByteArray &bytes, int n)
{
    if (n < 1)
        return QByteArray();
    const qint64 count = qint64(bytes.size()) * 8 * n;
    return packBytes(
        count,
        [&](qsizetype k) {
            const qsizetype source = k / n; // source bit, most significant first in its byte
            return ((quint8(bytes.at(source / 8)) >> (7 - source % 8)) & 1u) != 0;
        },
        true);
}

// ---------------------------------------------------------------------------------------------
// Bulk operations

void Register::fill(int value, int end, int start)
{
    if (end == -1 || end > size())
        end = size();
    for (int i = qMax(start, 0); i < end; ++i)
        m_bits.at(i)->setValue(value ? 1 : 0);
    announceSet();
}

void Register::invert()
{
    for (Bit *bit : std::as_const(m_bits))
        bit->toggle();
    announceSet();
}

void Register::reverse()
{
    const int n = size();
    for (int i = 0; i < n / 2; ++i) {
        Bit *low = m_bits.at(i);
        Bit *high = m_bits.at(n - 1 - i);
        const quint8 v = low->value();
        low->setValue(high->value());
        high->setValue(v);
    }
    notifySet(this, nullptr);
}

void Register::bitwise(const Register &other, int op)
{
    if (size() >= 1 && other.size() == size()) {
        for (int i = 0; i < size(); ++i) {
            Bit *bit = m_bits.at(i);
            bit->setValue(combine(bit->value(), other.m_bits.at(i)->value(), op));
        }
    }
    announceSet();
}

void Register::bitwise(quint32 value, int op, int minSize, int maxSize)
{
    if (size() >= minSize && size() <= maxSize) {
        for (int i = 0; i < size(); ++i) {
            Bit *bit = m_bits.at(i);
            bit->setValue(combine(bit->value(), quint8((value >> i) & 1u), op));
        }
    }
    announceSet();
}

Register &Register::operator&=(const Register &other)
{
    bitwise(other, And);
    return *this;
}

Register &Register::operator|=(const Register &other)
{
    bitwise(other, Or);
    return *this;
}

Register &Register::operator^=(const Register &other)
{
    bitwise(other, Xor);
    return *this;
}

Register &Register::operator&=(quint32 value)
{
    bitwise(value, And, 32, 32);
    return *this;
}

Register &Register::operator|=(quint32 value)
{
    bitwise(value, Or, 1, 32);
    return *this;
}

Register &Register::operator^=(quint32 value)
{
    bitwise(value, Xor, 32, 32);
    return *this;
}

Register Register::inverted() const
{
    Register copy(*this);
    for (Bit *bit : std::as_const(copy.m_bits))
        bit->toggle();
    return copy;
}

bool Register::operator==(const Register &other) const
{
    if (other.size() != size())
        return false;
    for (int i = 0; i < size(); ++i) {
        if (m_bits.at(i)->value() != other.m_bits.at(i)->value())
            return false;
    }
    return true;
}

bool Register::operator==(quint32 value) const
{
    for (int i = 0; i < size(); ++i) {
        if (m_bits.at(i)->value() != ((value >> (i % 32)) & 1u))
            return false;
    }
    return true;
}

void Register::shiftUp(int n, bool fill)
{
    const int count = size();
    if (n <= 0 || count == 0)
        return;
    const int shift = qMin(n, count);
    for (int i = count - 1; i >= shift; --i)
        m_bits.at(i)->setValue(m_bits.at(i - shift)->value());
    for (int i = 0; i < shift; ++i)
        m_bits.at(i)->setValue(fill ? 1 : 0);
}

void Register::shiftDown(int n, bool fill)
{
    const int count = size();
    if (n <= 0 || count == 0)
        return;
    const int shift = qMin(n, count);
    for (int i = 0; i + shift < count; ++i)
        m_bits.at(i)->setValue(m_bits.at(i + shift)->value());
    for (int i = count - shift; i < count; ++i)
        m_bits.at(i)->setValue(fill ? 1 : 0);
}
