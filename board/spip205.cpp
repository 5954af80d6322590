#include "spip205.h"

#include "boardlog.h"
#include "spiraw.h"
#include "variable.h"

namespace
{

constexpr quint16 WriteFlag = 0x8000;
constexpr quint16 ReadParity = 0x0200;
constexpr quint16 WriteParity = 0x0400;
constexpr unsigned ValueMask = 0x3FF;
constexpr int LastWritableAddress = 15;

} // namespace

SpiP205::SpiP205() : QObject(nullptr) {}

unsigned SpiP205::oddParity(unsigned value)
{
    unsigned parity = 0;
    for (; value; value >>= 1)
        parity ^= value & 1u;
    return parity;
}

quint16 SpiP205::readWord(int address)
{
    const quint16 word = quint16((unsigned(address) & 0x1Fu) << 10);
    return oddParity(word) ? word : quint16(word | ReadParity);
}

quint16 SpiP205::writeWord(int address, unsigned value)
{
    const quint16 word =
        quint16(WriteFlag | ((unsigned(address) & 0x0Fu) << 11) | (value & ValueMask));
    return oddParity(word) ? word : quint16(word | WriteParity);
}

bool SpiP205::loadWord(quint16 word)
{
    if (!spiRaw) {
        qCDebug(lcBoard) << "SpiP205: no SPI tool to transfer through";
        return false;
    }
    return spiRaw->set(QStringLiteral("SpiIn[]"), QVariant(uint(word)), Variable::InternalKey);
}

bool SpiP205::readRegister(int address, unsigned *value)
{
    const quint16 word = readWord(address);
    qCDebug(lcBoard) << "Writting value" << Qt::hex << word << "for reading from register"
                     << address;
    if (!loadWord(word))
        return false;
    spiRaw->transfer(); // clocks in the answer to the previous frame
    if (!spiRaw->transfer()) {
        qCDebug(lcBoard) << "SpiP205:Spi register read error";
        return false;
    }
    const uint answer = spiRaw->get(QStringLiteral("SpiOut[]"), Variable::OutsideKey).toUInt();
    if (value)
        *value = answer;
    return true;
}

bool SpiP205::writeRegister(int address, unsigned value)
{
    if (address < 0 || address > LastWritableAddress) {
        qCDebug(lcBoard) << "SpiP205: register address out of range:" << address;
        return false;
    }
    const quint16 word = writeWord(address, value);
    qCDebug(lcBoard) << "Writting value" << Qt::hex << word << "for writing to register" << address;
    if (!loadWord(word))
        return false;
    if (!spiRaw->transfer()) {
        qCDebug(lcBoard) << "SpiP205:Spi register write error";
        return false;
    }
    spiRaw->transfer();
    return true;
}
