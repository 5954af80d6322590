#include "fakeboard_playback.h"

#include "fakeboard.h"
#include "fakeboard_flash.h"
#include "fakematrixbus.h"

#include <QSet>

#include <algorithm>
#include <cctype>
#include <mutex>

namespace
{

constexpr int ImageWindow = 0x10000; // bytes searched for the end mark
constexpr int Block = 256;
constexpr int HeaderSize = 8;        // "START", delay, device count, step count
constexpr int RegisterWriteType = 1; // frame types in PID1 bits 5-6
constexpr int CommandType = 3;
constexpr int MapenaCommand = 15;

bool parseHex(const QByteArray &text, QByteArray *bytes)
{
    if (text.size() % 2 != 0 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(uchar(c)); }))
        return false;
    *bytes = QByteArray::fromHex(text);
    return true;
}

// Whether frame is of the kind that mode and kind name, addressed to address.
bool frameFits(int mode, int kind, int address, const QByteArray &frame)
{
    if (mode == 0 && kind == 0)
        return frame == QByteArray(1, '\0');
    if (mode != 1 || (kind != 0 && kind != 1) || frame.size() < 3)
        return false;
    const int pid1 = quint8(frame.at(1));
    const int pid2 = quint8(frame.at(2));
    if ((pid1 & 31) != address)
        return false;
    const int type = (pid1 >> 5) & 3;
    return kind == 0 ? type == RegisterWriteType && (pid2 & 31) == 0
                     : type == CommandType && (pid2 & 31) == MapenaCommand;
}

// The image from its start mark to its end mark, or empty when it lacks its framing.
bool parseImage(const QByteArray &flash, FakeBoardPlayback::Playback *playback)
{
    if (!flash.startsWith("START") || flash.size() < HeaderSize)
        return false;
    const int devices = quint8(flash.at(6));
    const int bodyStart = HeaderSize + devices;
    // The end mark is followed by zeros up to the end of its block.
    for (int end = flash.indexOf("END", bodyStart); end >= 0; end = flash.indexOf("END", end + 1)) {
        const int tail = end + 3;
        const int blockEnd = qMin(int(flash.size()), (tail + Block - 1) / Block * Block);
        const QByteArray padding = flash.mid(tail, blockEnd - tail);
        if (padding.count('\0') != padding.size())
            continue;
        playback->delayMs = quint8(flash.at(5));
        playback->steps = quint8(flash.at(7));
        playback->addresses = flash.mid(HeaderSize, devices);
        playback->body = flash.mid(bodyStart, end - bodyStart);
        return true;
    }
    return false;
}

} // namespace

struct FakeBoardPlayback::State {
    State(const FakeMatrixBus &b, const FakeBoardFlash &f) : bus(b), flash(f) {}

    mutable std::mutex mutex;
    FakeMatrixBus bus; // copies share the simulators' state
    FakeBoardFlash flash;
    int failing = 0;
    QList<QByteArray> commands;
    QSet<int> mapped;
    int mapEnables = 0;
    QList<Playback> playbacks;

    QByteArray mapCommand(const QByteArray &line);
    QByteArray mapEnable(const QByteArray &line);
    QByteArray animation(const QByteArray &line);
};

QByteArray FakeBoardPlayback::State::mapCommand(const QByteArray &line)
{
    static const QByteArray Err = QByteArrayLiteral("P110MAPENAREG:err");
    const QByteArray text = line.mid(line.indexOf('=') + 1).trimmed();
    QByteArray bytes;
    std::lock_guard<std::mutex> lock(mutex);
    if (failing > 0) {
        --failing;
        return Err;
    }
    if (!parseHex(text, &bytes) || bytes.size() < 4)
        return Err;
    const int address = quint8(bytes.at(0));
    const QByteArray frame = bytes.mid(3);
    if (!frameFits(quint8(bytes.at(1)), quint8(bytes.at(2)), address, frame))
        return Err;
    commands.append(text);
    if (frame.size() == 1) {
        mapped.remove(address);
    } else {
        mapped.insert(address);
        bus.deliverFrame(frame);
    }
    return QByteArrayLiteral("P110MAPENAREG:ok");
}

QByteArray FakeBoardPlayback::State::mapEnable(const QByteArray &line)
{
    if (line.trimmed() != "set P110MAPENA=01")
        return QByteArrayLiteral("P110MAPENA:err");
    std::lock_guard<std::mutex> lock(mutex);
    ++mapEnables;
    return QByteArrayLiteral("P110MAPENA:ok");
}

QByteArray FakeBoardPlayback::State::animation(const QByteArray &line)
{
    static const QByteArray Err = QByteArrayLiteral("p110animation:err");
    QByteArray loops;
    if (!parseHex(line.mid(line.indexOf('=') + 1).trimmed(), &loops) || loops.size() != 1)
        return Err;
    Playback playback;
    if (!parseImage(flash.read(ImageAddress, ImageWindow), &playback))
        return Err;
    playback.loops = quint8(loops.at(0));
    std::lock_guard<std::mutex> lock(mutex);
    playbacks.append(playback);
    return QByteArrayLiteral("p110animation:ok");
}

FakeBoardPlayback::FakeBoardPlayback(FakeBoard &board, const FakeMatrixBus &bus,
                                     const FakeBoardFlash &flash)
    : m_state(std::make_shared<State>(bus, flash))
{
    std::shared_ptr<State> state = m_state;
    board.addHandler("set P110MAPENAREG=",
                     [state](const QByteArray &line) { return state->mapCommand(line); });
    board.addHandler("set P110MAPENA=",
                     [state](const QByteArray &line) { return state->mapEnable(line); });
    board.addHandler("set p110animation=",
                     [state](const QByteArray &line) { return state->animation(line); });
}

FakeBoardPlayback::~FakeBoardPlayback() = default;

void FakeBoardPlayback::failNextMapCommands(int count)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->failing += count;
}

QList<QByteArray> FakeBoardPlayback::mapCommands() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->commands;
}

QList<int> FakeBoardPlayback::mappedAddresses() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    QList<int> addresses = m_state->mapped.values();
    std::sort(addresses.begin(), addresses.end());
    return addresses;
}

int FakeBoardPlayback::mapEnableCount() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->mapEnables;
}

QList<FakeBoardPlayback::Playback> FakeBoardPlayback::playbacks() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->playbacks;
}
