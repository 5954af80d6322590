#pragma once

#include "fakematrixchip.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QStringList>

#include <functional>
#include <memory>

class FakeBoard;

// The controller's second UART with simulated matrix chips, on a FakeBoard.
// "set SER2PXNDATA=LLCC<frame>" (lead byte, byte count, frame; hexadecimal) records the frame,
// makes its echo the receive buffer and delivers it to every chip listening at the board's
// rate ("set SER2BAUD=n", 250000 at start); "get SER2DATA" answers "SER2DATA=" with the
// buffer's byte count and bytes: the echo, then the answering chip's data and CRC-8.
// Chips drop malformed frames (sync, parity, CRC, length), each a recorded violation.
class FakeMatrixBus
{
public:
    enum Fault {
        NoFault,      // the answer as the bus gives it
        NoChipAnswer, // the buffer holds the echo only
        CrcPlusOne,   // the chip's CRC byte is one higher
        ByteShort,    // the last byte is missing
        UpperCase,    // upper-case hexadecimal digits
        Silence       // no answer line at all
    };

    // Installs the handlers on board. They keep their own state, so this object may be
    // destroyed before the board.
    explicit FakeMatrixBus(FakeBoard &board);
    ~FakeMatrixBus();

    // Adds chip k (from 0) at address, in opmode, powered by output, with the DLT
    // bytes 7, 10 + k, 20 + k; returns k.
    int addChip(int address, int opmode, int output);
    int chipCount() const;
    FakeMatrixChip chip(int index) const;
    void editChip(int index, const std::function<void(FakeMatrixChip &)> &edit);

    // Supply outputs: 1 and 2 are the KVL52205's, others stand for supplies the operator
    // switches. An output is on when set on here or, for 1 and 2, when the source (the
    // KVL52205's register 6: bit 1 output 1, bit 0 output 2) says so.
    void setOutputOn(int output, bool on);
    void setOutputSource(std::function<quint16()> register6);

    // The next count answers of "get SER2DATA" carry fault.
    void injectFault(Fault fault, int count = 1);
    // The next count lines of command ("SER2PXNDATA", "SER2DATA" or "SER2BAUD") answer
    // "NAME:err" and do nothing.
    void failNext(const QByteArray &command, int count = 1);
    // Hands a frame to the chips as the UART would; returns the answering chip's data and
    // CRC (empty when none answers).
    QByteArray deliverFrame(const QByteArray &frame);

    int rate() const;
    // Lead byte and frame of every "set SER2PXNDATA=" accepted, in order.
    QList<QPair<int, QByteArray>> frames() const;
    // Malformed commands and dropped frames, one text each.
    QStringList violations() const;

    // CRC-8 of the chips (seed 0xFF, polynomial 0x107, each byte from bit 0 up).
    static quint8 crc8(const QByteArray &bytes);

private:
    struct State;
    std::shared_ptr<State> m_state;
};
