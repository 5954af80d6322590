#include "fakeboard_flash.h"

#include "fakeboard.h"

#include <mutex>

namespace
{

constexpr int HeaderDigits = 24; // address, CRC and length, 8 digits each
const QByteArray Command = QByteArrayLiteral("set flash=");
const QByteArray ReadCommand = QByteArrayLiteral("get flash=");
constexpr int MaxReadLength = 256;

bool isHexText(const QByteArray &text)
{
    for (char c : text) {
        const bool digit =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!digit)
            return false;
    }
    return true;
}

struct Block {
    quint32 address = 0;
    QByteArray data;
};

// Reads a block line; false when it is malformed or its CRC does not match.
bool parseBlock(const QByteArray &line, Block *block)
{
    const QByteArray body = line.mid(Command.size());
    if (body.size() < HeaderDigits || !isHexText(body))
        return false;
    bool ok = false;
    block->address = body.left(8).toUInt(&ok, 16);
    const quint32 crc = body.mid(8, 8).toUInt(&ok, 16);
    const quint32 length = body.mid(16, 8).toUInt(&ok, 16);
    if (qint64(body.size()) != HeaderDigits + 2 * qint64(length))
        return false;
    block->data = QByteArray::fromHex(body.mid(HeaderDigits));
    return FakeBoardFlash::crc32(block->data) == crc;
}

} // namespace

struct FakeBoardFlash::State {
    mutable std::mutex mutex;
    QByteArray flash = QByteArray(FlashSize, char(0xFF));
    QList<QByteArray> lines;
    int refuseAt = -1;
    int silentAt = -1;
    int badBlocks = 0;
    bool endMarkerSeen = false;
    quint32 writtenEnd = FlashStart;
    QList<QByteArray> readLines;
    int readErrorAt = -1;
    int alteredReadAt = -1;

    QByteArray answerRead(const QByteArray &line);

    QByteArray answer(const QByteArray &line)
    {
        std::lock_guard<std::mutex> lock(mutex);
        const int index = int(lines.size());
        lines.append(line);
        if (index == silentAt)
            return QByteArray();
        if (index == refuseAt)
            return QByteArrayLiteral("flash:err");
        Block block;
        if (!parseBlock(line, &block) || !store(block)) {
            ++badBlocks;
            return QByteArrayLiteral("flash:err");
        }
        return QByteArrayLiteral("flash:ok");
    }

    bool store(const Block &block)
    {
        const qint64 offset = qint64(block.address) - FlashStart;
        if (offset < 0 || offset + block.data.size() > FlashSize)
            return false;
        flash.replace(int(offset), int(block.data.size()), block.data);
        if (block.address == EndMarkerAddress && block.data == QByteArray::fromHex("1234abcd"))
            endMarkerSeen = true;
        else
            writtenEnd = qMax(writtenEnd, block.address + quint32(block.data.size()));
        return true;
    }
};

FakeBoardFlash::FakeBoardFlash(FakeBoard &board) : m_state(std::make_shared<State>())
{
    std::shared_ptr<State> state = m_state;
    board.addHandler(Command, [state](const QByteArray &line) { return state->answer(line); });
    board.addHandler(ReadCommand,
                     [state](const QByteArray &line) { return state->answerRead(line); });
}

FakeBoardFlash::~FakeBoardFlash() = default;

void FakeBoardFlash::setRefuseAt(int index)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->refuseAt = index;
}

void FakeBoardFlash::setSilentAt(int index)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->silentAt = index;
}

QList<QByteArray> FakeBoardFlash::blockLines() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->lines;
}

int FakeBoardFlash::blockCount() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return int(m_state->lines.size());
}

int FakeBoardFlash::badBlocks() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->badBlocks;
}

bool FakeBoardFlash::endMarkerSeen() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->endMarkerSeen;
}

QByteArray FakeBoardFlash::read(quint32 address, int size) const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    const qint64 offset = qint64(address) - FlashStart;
    if (offset < 0 || size < 0 || offset + size > FlashSize)
        return QByteArray();
    return m_state->flash.mid(int(offset), size);
}

quint32 FakeBoardFlash::writtenEnd() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->writtenEnd;
}

quint32 FakeBoardFlash::crc32(const QByteArray &data)
{
    quint32 reg = 0;
    for (char c : data) {
        for (int bit = 7; bit >= 0; --bit) {
            const bool top = reg & 0x80000000u;
            reg = (reg << 1) | ((quint8(c) >> bit) & 1u);
            if (top)
                reg ^= 0x04C11DB7u;
        }
    }
    return reg;
}

// ---- Reading blocks back ----

QByteArray FakeBoardFlash::State::answerRead(const QByteArray &line)
{
    std::lock_guard<std::mutex> lock(mutex);
    const int index = int(readLines.size());
    readLines.append(line);
    const QByteArray fields = line.mid(ReadCommand.size()).trimmed();
    bool addressOk = false;
    bool lengthOk = false;
    const quint32 address = fields.left(8).toUInt(&addressOk, 16);
    const quint32 length = fields.mid(8).toUInt(&lengthOk, 16);
    const qint64 offset = qint64(address) - FlashStart;
    if (index == readErrorAt || fields.size() != 16 || !addressOk || !lengthOk || length == 0 ||
        length > MaxReadLength || offset < 0 || offset + length > FlashSize)
        return QByteArrayLiteral("flash:err");
    QByteArray data = flash.mid(int(offset), int(length));
    if (index == alteredReadAt)
        data[0] = char(data.at(0) ^ 0x01);
    return QByteArrayLiteral("flash=") + fields + data.toHex();
}

void FakeBoardFlash::setReadErrorAt(int index)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->readErrorAt = index;
}

void FakeBoardFlash::setAlteredReadAt(int index)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->alteredReadAt = index;
}

QList<QByteArray> FakeBoardFlash::readLines() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->readLines;
}
