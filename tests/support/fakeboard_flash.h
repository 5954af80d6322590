#pragma once

#include <QByteArray>
#include <QList>

#include <memory>

class FakeBoard;

// The flash of the simulated controller: answers "set flash=" block lines on a FakeBoard.
// Each block is verified (hexadecimal digits, length field against the data, CRC-32 with
// polynomial 0x04C11DB7, initial 0, no reflection, no final XOR) and stored; the answer is
// "flash:ok", or "flash:err" for a bad block or at a block the test chose. The flash covers
// 0x80000000 to 0x8007FFFF and reads 0xFF where nothing was written.
//
// "get flash=" with an address and a length of at most 256 (8 hexadecimal digits each) is
// answered with "flash=", the address, the length and the bytes held there in hexadecimal.
class FakeBoardFlash
{
public:
    static constexpr quint32 FlashStart = 0x80000000u;
    static constexpr int FlashSize = 0x80000;
    static constexpr quint32 EndMarkerAddress = 0x8007FFFCu;

    // Installs the block handler on board. The handler keeps its own state, so this object
    // may be destroyed before the board.
    explicit FakeBoardFlash(FakeBoard &board);
    ~FakeBoardFlash();

    // Block index (0-based, in the order received, the end marker included) that is answered
    // "flash:err" without being stored, or left without an answer; -1 for none.
    void setRefuseAt(int index);
    void setSilentAt(int index);

    // Block lines received (without their line end), the end marker included.
    QList<QByteArray> blockLines() const;
    int blockCount() const;
    // Blocks that failed verification.
    int badBlocks() const;
    // Whether the end marker line arrived and was valid.
    bool endMarkerSeen() const;
    // size flash bytes from address (0xFF where never written).
    QByteArray read(quint32 address, int size) const;
    // One past the highest byte written by blocks other than the end marker, as an address
    // (FlashStart when none).
    quint32 writtenEnd() const;

    // Read requests ("get flash=" lines, 0-based in the order received): the one at index is
    // answered "flash:err", or with its first byte altered; -1 for none.
    void setReadErrorAt(int index);
    void setAlteredReadAt(int index);
    QList<QByteArray> readLines() const;

    // The bit-by-bit CRC that the board checks blocks with.
    static quint32 crc32(const QByteArray &data);

private:
    struct State;
    std::shared_ptr<State> m_state;
};
