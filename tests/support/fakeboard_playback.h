#pragma once

#include <QByteArray>
#include <QList>

#include <memory>

class FakeBoard;
class FakeBoardFlash;
class FakeMatrixBus;

// The controller's side of matrix playback on a FakeBoard, over its flash and its matrix bus:
// - "set P110MAPENAREG=aammkk<frame>" (hexadecimal): mode/kind 0100 carries a register-0 bank
//   write, 0101 a map-enable command, each to the chip at aa, and hands the frame to the
//   chips (whose checks record violations); "aa000000" forgets aa's map. Bad hexadecimal, any
//   other mode/kind or a frame of another address or kind answers "P110MAPENAREG:err".
// - "set P110MAPENA=01" is counted.
// - "set p110animation=hh" (hh loops) reads the image at 0x800300FF from the flash: "START",
//   delay, device count N, step count, N addresses, body, "END", zero padding to the end of
//   its 256-byte block; it records the playback, or answers "p110animation:err" when the
//   image lacks that framing.
class FakeBoardPlayback
{
public:
    static constexpr quint32 ImageAddress = 0x800300FFu;

    struct Playback {
        int loops = 0;
        int delayMs = 0;
        QByteArray addresses;
        int steps = 0;
        QByteArray body;
    };

    // Installs the handlers on board; they keep their own state and share that of bus and
    // flash, so this object may be destroyed before the board.
    FakeBoardPlayback(FakeBoard &board, const FakeMatrixBus &bus, const FakeBoardFlash &flash);
    ~FakeBoardPlayback();

    // Knob: the next count map commands answer "P110MAPENAREG:err" and do nothing.
    void failNextMapCommands(int count);

    // The text after "=" of every map command accepted, in order.
    QList<QByteArray> mapCommands() const;
    // Addresses whose map a frame set since they were last forgotten, ascending.
    QList<int> mappedAddresses() const;
    int mapEnableCount() const;
    QList<Playback> playbacks() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};
