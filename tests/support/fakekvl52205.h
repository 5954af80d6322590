#pragma once

#include <QByteArray>
#include <QStringList>

#include <array>

// A simulated KVL52205 on a 16-bit SPI chip select: 32 registers of 10 bits.
// Read word: bit 15 = 0, address in bits 14..10, parity in bit 9. Write word: bit 15 = 1,
// address in bits 14..11, parity in bit 10, value in bits 9..0. A word must hold an odd number
// of ones; the chip ignores one that does not and sets bit 2 of register 0x18 until 0x18 is
// read. During each frame the chip clocks out its response to the previous frame: the
// addressed register as it stood after that frame (0 at start and after an ignored frame).
// Not thread-safe: FakeBoardSpi guards it.
class FakeKvl52205
{
public:
    static constexpr int RegisterCount = 32;
    static constexpr int StatusRegister = 0x18;
    static constexpr quint16 ParityFlag = 0x4;

    FakeKvl52205();

    // One frame: the bytes clocked in, answered by as many bytes clocked out.
    QByteArray transfer(const QByteArray &mosi);

    quint16 value(int address) const;
    void setValue(int address, quint16 value);
    // Frames of the wrong length and words of even parity, one text each.
    QStringList violations() const { return m_violations; }

private:
    quint16 process(quint16 word);

    std::array<quint16, RegisterCount> m_registers{};
    quint16 m_response = 0;
    QStringList m_violations;
};
