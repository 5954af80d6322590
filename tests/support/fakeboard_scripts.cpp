#include "fakeboard_scripts.h"

#include "fakeboard.h"
#include "fakeboard_flash.h"

#include <mutex>

namespace
{

const QByteArray ScriptCommand = QByteArrayLiteral("set p110script=");
const QByteArray PauseLine = QByteArrayLiteral("set p110stopanim");
const QByteArray ContinueLine = QByteArrayLiteral("set p110contanim");
constexpr int HeaderSize = 8; // "START", delay, devices, steps
constexpr int DeviceBlock = 12;
constexpr char RepeatMarker = char(0xFF);

// Splits the command's fields; false when they are malformed.
bool parseScript(const QByteArray &line, FakeBoardScripts::ScriptStart *start)
{
    const QByteArray fields = line.mid(ScriptCommand.size()).trimmed();
    bool loopsOk = false;
    bool countOk = false;
    start->loops = fields.left(2).toInt(&loopsOk, 16);
    start->count = fields.mid(2, 2).toInt(&countOk, 16);
    const QByteArray addresses = fields.mid(4);
    if (!loopsOk || !countOk || addresses.isEmpty() || addresses.size() % 8 != 0)
        return false;
    for (int i = 0; i < addresses.size(); i += 8) {
        bool ok = false;
        start->starts.append(addresses.mid(i, 8).toUInt(&ok, 16));
        if (!ok)
            return false;
    }
    return start->starts.size() == qMax(start->count, 1);
}

} // namespace

struct FakeBoardScripts::State {
    explicit State(const FakeBoardFlash &f) : flash(f) {}

    const FakeBoardFlash &flash;
    mutable std::mutex mutex;
    QList<ScriptStart> starts;
    QList<QByteArray> pauseContinue;

    QByteArray answerScript(const QByteArray &line)
    {
        ScriptStart start;
        bool ok = parseScript(line, &start);
        for (int i = 0; ok && i < start.count; ++i)
            ok = holdsImage(flash, start.starts.at(i));
        if (!ok)
            return QByteArrayLiteral("p110script:err");
        std::lock_guard<std::mutex> lock(mutex);
        starts.append(start);
        return QByteArrayLiteral("p110script:ok");
    }

    QByteArray answerBare(const QByteArray &line)
    {
        std::lock_guard<std::mutex> lock(mutex);
        pauseContinue.append(line);
        return line.mid(4) + ":ok";
    }
};

FakeBoardScripts::FakeBoardScripts(FakeBoard &board, const FakeBoardFlash &flash)
    : m_state(std::make_shared<State>(flash))
{
    std::shared_ptr<State> state = m_state;
    board.addHandler(ScriptCommand,
                     [state](const QByteArray &line) { return state->answerScript(line); });
    board.addHandler(
        [](const QByteArray &line) { return line == PauseLine || line == ContinueLine; },
        [state](const QByteArray &line) { return state->answerBare(line); });
}

FakeBoardScripts::~FakeBoardScripts() = default;

QList<FakeBoardScripts::ScriptStart> FakeBoardScripts::scriptStarts() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->starts;
}

QList<QByteArray> FakeBoardScripts::pauseContinueLines() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->pauseContinue;
}

bool FakeBoardScripts::holdsImage(const FakeBoardFlash &flash, quint32 address, int *size)
{
    const qint64 offset = qint64(address) - FakeBoardFlash::FlashStart;
    if (offset < 0 || offset >= FakeBoardFlash::FlashSize)
        return false;
    const QByteArray rest = flash.read(address, int(FakeBoardFlash::FlashSize - offset));
    if (rest.size() < HeaderSize || !rest.startsWith("START"))
        return false;
    const int devices = quint8(rest.at(6));
    const int steps = quint8(rest.at(7));
    qsizetype pos = HeaderSize + devices;
    for (int block = 0; block < steps * devices && pos < rest.size(); ++block)
        pos += rest.at(pos) == RepeatMarker ? 1 : DeviceBlock;
    if (rest.mid(pos, 3) != "END")
        return false;
    if (size)
        *size = int(pos + 3);
    return true;
}
