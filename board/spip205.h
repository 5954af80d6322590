#pragma once

#include <QObject>

// Register access to the KVL52205 boost/buck driver on SPI0 chip select 0, one 16-bit command
// word per transfer, through the 16-bit SPI tool (spiRaw): the word goes into its SpiIn, its
// transfer() runs, and the answer comes from its SpiOut. Every command word holds an odd number
// of ones. Trace lines go to the debug output only.
class SpiP205 : public QObject
{
    Q_OBJECT
public:
    SpiP205();

    // Reads a register (address bits above 4 are dropped). The chip answers a frame during the
    // next one, so the word is sent twice and the whole 16-bit word clocked in by the second
    // transfer is the answer. False when the second transfer fails; *value is then untouched.
    bool readRegister(int address, unsigned *value);
    // Writes the low 10 bits of value into register 0..15 and sends the word a second time
    // after a successful first transfer. An address outside 0..15 is refused: nothing is sent.
    bool writeRegister(int address, unsigned value);

    // 1 when value holds an odd number of ones, else 0.
    static unsigned oddParity(unsigned value);
    // Read word: address (5 bits) in bits 14..10, parity in bit 9.
    static quint16 readWord(int address);
    // Write word: bit 15 set, address (4 bits) in bits 14..11, parity in bit 10, the value's
    // low 10 bits in bits 9..0.
    static quint16 writeWord(int address, unsigned value);

private:
    // Puts word into the SPI tool's SpiIn; false when there is no tool to take it.
    static bool loadWord(quint16 word);
};
