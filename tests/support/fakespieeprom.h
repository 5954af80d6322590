#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class FakeBoardSpi;

// A simulated 25-series SPI EEPROM of 4096 bytes on chip select 3 of the controller's SPI0 port
// (addresses wrap at the end). Each transfer is one instruction, the first byte clocked in:
// 03 read (two address bytes, then one byte out per byte in), 05 read status (every later byte
// is the status: bit 0 write in progress, bit 1 write enable latch, bits 2-3 block protect),
// 06 / 04 set / clear the write enable latch, 02 write (two address bytes, then data within one
// 32-byte page) and 01 write status bits 2-3; both writes only while the latch is set, and both
// clear it. Bytes clocked out otherwise read 0xFF. While a write cycle runs only the status can
// be read. A write without the latch, a write across a page end, an instruction during a write
// cycle, a short frame or an unknown instruction is ignored (a write across a page wraps within
// it, as the chip does) and recorded as a violation.
class FakeSpiEeprom
{
public:
    static constexpr int Size = 4096;
    static constexpr int PageSize = 32;
    static constexpr int CheckCopyOffset = 480;

    // The contents of a board's EEPROM: the device configuration block at 0 and the driver
    // parameter block at 0x40 of a KVL52404 or KVL52205 board, or nothing; the rest 0xFF.
    // The buck variant names chip code 16 with the KVL52404 block, the unsupported board chip
    // code 6 with the same block.
    enum Image { Kvl52404Board, Kvl52205Board, Blank, Kvl52404BuckBoard, UnsupportedBoard };
    static QByteArray image(Image kind);
    // "kvl52404", "kvl52205", "blank", "kvl52404buck" or "unsupported"; false for any other
    // name.
    static bool imageOfName(const QString &name, Image *kind);
    // Stores a block into an image: its length byte at address, the primary copy after it and
    // the check copy (each byte 255 minus the primary byte) 480 bytes after the primary copy.
    static void storeBlock(QByteArray &image, int address, const QByteArray &data);

    // Attaches a new EEPROM holding image to SPI0 chip select 3 of spi. It keeps its own state,
    // so this object may be destroyed before the board.
    explicit FakeSpiEeprom(FakeBoardSpi &spi, Image kind = Kvl52404Board);
    ~FakeSpiEeprom();

    // Knobs and state.
    void load(const QByteArray &contents); // from address 0; the rest keeps its bytes
    QByteArray bytes(int address, int count) const;
    void setByte(int address, quint8 value);
    quint8 status() const;
    void refuseTransfer(int n);     // the n-th transfer from now (1: the next) answers "err"
    void setWriteCycleReads(int k); // the write cycle lasts k status reads (0 by default)
    int transferCount() const;      // transfers made since the EEPROM was attached
    QStringList violations() const;
    void clearViolations();

private:
    struct State;
    std::shared_ptr<State> m_state;
};
