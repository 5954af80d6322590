#pragma once

#include <QByteArray>
#include <QStringList>

#include <functional>
#include <memory>

class FakeBoard;

// The SPI chip selects of the simulated controller on a FakeBoard.
// "set SPI0CS<n>DATA=<count><bytes>" and "set SPILEDCS<n>DATA=…" make one full-duplex
// transfer with the device on that chip select, answered "NAME:ok"; "get NAME" answers
// "NAME=" with the count and the bytes clocked in during the last transfer ("NAME=00" before
// any). A KVL52205 sits on SPI0 chip select 0 and a KVL52404 on LED chip select 0; every other
// chip select up to 15 reads 0xFF. A count that does not match the bytes, a digit that is not
// hexadecimal or a chip select above 15 answers "NAME:err" (or "NAME=err"). The bare set-up
// commands "set SPI0CONF", "set SPI0CS<n>CONF", "set SPILEDCONF" and "set SPILEDCS<n>CONF"
// answer ok; the speed, polarity and phase variables go to the board's value store.
// A name the board refuses (FakeBoard::refuse) answers "err".
class FakeBoardSpi
{
public:
    // A device: takes the bytes clocked out to it, returns as many bytes clocked in; any other
    // number of bytes refuses the transfer ("NAME:err", the last transfer's bytes kept).
    using Device = std::function<QByteArray(const QByteArray &mosi)>;

    // Installs the handlers on board. They keep their own state, so this object may be
    // destroyed before the board.
    explicit FakeBoardSpi(FakeBoard &board);
    ~FakeBoardSpi();

    // Puts a device on a chip select: bus "SPI0" or "SPILED", chip select 0 to 15.
    void attach(const QByteArray &bus, int chipSelect, Device device);

    // Knobs.
    // The next "get variable" is answered with line, verbatim (once per call, in order).
    void scriptAnswer(const QByteArray &variable, const QByteArray &line);
    // Answers carry upper-case hexadecimal digits.
    void setUpperCase(bool upper);
    // The KVL52404 answers with a wrong CRC nibble.
    void setCorruptAnswerCrc(bool corrupt);

    // The chips' registers, readable and writable by tests.
    quint16 kvl52205Register(int address) const;
    void setKvl52205Register(int address, quint16 value);
    quint32 kvl52404Word(int address) const;
    void setKvl52404Word(int address, quint32 value);

    // Malformed commands and the chips' protocol violations, one text each.
    QStringList violations() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};
