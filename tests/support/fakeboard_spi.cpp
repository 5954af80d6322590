#include "fakeboard_spi.h"

#include "fakeboard.h"
#include "fakekvl52205.h"
#include "fakekvl52404.h"

#include <QHash>
#include <QList>
#include <QRegularExpression>

#include <mutex>

namespace
{

constexpr int MaxChipSelect = 15;

// "set SPI0CS0DATA=…", "get SPILEDCS12DATA"; the captures: command, bus, chip select, value.
const QRegularExpression &dataCommand()
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("(set|get) (SPI0|SPILED)CS([0-9]+)DATA(?:=(.*))?")));
    return pattern;
}

// "set SPI0CONF", "set SPILEDCS3CONF"; the captures: bus, chip select (may be empty).
const QRegularExpression &confCommand()
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("set (SPI0|SPILED)(?:CS([0-9]+))?CONF")));
    return pattern;
}

bool isHexText(const QByteArray &text)
{
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

// The bytes of a data text whose count matches them; false for anything else.
bool bytesOfDataText(const QByteArray &text, QByteArray *bytes)
{
    if (text.size() < 2 || text.size() % 2 != 0 || !isHexText(text))
        return false;
    *bytes = QByteArray::fromHex(text.mid(2));
    return text.left(2).toInt(nullptr, 16) == bytes->size();
}

int chipSelectOf(const QString &digits)
{
    bool ok = false;
    const int n = digits.toInt(&ok);
    return ok && n <= MaxChipSelect ? n : -1;
}

} // namespace

struct FakeBoardSpi::State {
    mutable std::mutex mutex;
    FakeBoard *board = nullptr;
    FakeKvl52205 kvl52205;
    FakeKvl52404 kvl52404;
    QHash<QByteArray, Device> devices;       // by "SPI0CS0" and the like
    QHash<QByteArray, QByteArray> clockedIn; // by variable name, the last transfer's bytes
    QHash<QByteArray, QList<QByteArray>> scripted;
    bool upperCase = false;
    QStringList violations;

    QByteArray answer(const QByteArray &line)
    {
        const QRegularExpressionMatch data = dataCommand().match(QString::fromLatin1(line));
        if (data.hasMatch())
            return answerData(data);
        const QRegularExpressionMatch conf = confCommand().match(QString::fromLatin1(line));
        const QByteArray name = line.mid(4);
        const bool ok = conf.captured(2).isEmpty() || chipSelectOf(conf.captured(2)) >= 0;
        return name + (ok && !board->isRefused(name) ? ":ok" : ":err");
    }

    QByteArray answerData(const QRegularExpressionMatch &match)
    {
        const bool isSet = match.captured(1) == QLatin1String("set");
        const QByteArray name =
            (match.captured(2) + QStringLiteral("CS") + match.captured(3) + QStringLiteral("DATA"))
                .toLatin1();
        const QByteArray failed = name + (isSet ? ":err" : "=err");
        const int chipSelect = chipSelectOf(match.captured(3));
        if (board->isRefused(name))
            return failed;
        std::lock_guard<std::mutex> lock(mutex);
        if (chipSelect < 0 || (isSet != match.hasCaptured(4))) {
            violations.append(QStringLiteral("malformed: %1").arg(match.captured(0)));
            return failed;
        }
        if (!isSet)
            return answerGet(name);
        QByteArray bytes;
        if (!bytesOfDataText(match.captured(4).toLatin1(), &bytes)) {
            violations.append(QStringLiteral("malformed: %1").arg(match.captured(0)));
            return failed;
        }
        const Device device = devices.value(name.left(name.size() - 4));
        const QByteArray miso = device ? device(bytes) : QByteArray(bytes.size(), char(0xFF));
        if (miso.size() != bytes.size())
            return failed; // the device refused the transfer
        clockedIn.insert(name, miso);
        return name + ":ok";
    }

    QByteArray answerGet(const QByteArray &name)
    {
        QList<QByteArray> &queue = scripted[name];
        if (!queue.isEmpty())
            return queue.takeFirst();
        const QByteArray bytes = clockedIn.value(name);
        QByteArray text =
            QByteArray::number(int(bytes.size()), 16).rightJustified(2, '0') + bytes.toHex();
        return name + '=' + (upperCase ? text.toUpper() : text);
    }
};

FakeBoardSpi::FakeBoardSpi(FakeBoard &board) : m_state(std::make_shared<State>())
{
    m_state->board = &board;
    // The chips live in the state; the handlers hold the state, not this object.
    State *state = m_state.get();
    state->devices.insert(
        "SPI0CS0", [state](const QByteArray &mosi) { return state->kvl52205.transfer(mosi); });
    state->devices.insert(
        "SPILEDCS0", [state](const QByteArray &mosi) { return state->kvl52404.transfer(mosi); });
    std::shared_ptr<State> shared = m_state;
    board.addHandler(
        [](const QByteArray &line) {
            const QString text = QString::fromLatin1(line);
            return dataCommand().match(text).hasMatch() || confCommand().match(text).hasMatch();
        },
        [shared](const QByteArray &line) { return shared->answer(line); });
}

FakeBoardSpi::~FakeBoardSpi() = default;

void FakeBoardSpi::attach(const QByteArray &bus, int chipSelect, Device device)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->devices.insert(bus + "CS" + QByteArray::number(chipSelect), std::move(device));
}

void FakeBoardSpi::scriptAnswer(const QByteArray &variable, const QByteArray &line)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->scripted[variable].append(line);
}

void FakeBoardSpi::setUpperCase(bool upper)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->upperCase = upper;
}

void FakeBoardSpi::setCorruptAnswerCrc(bool corrupt)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->kvl52404.setCorruptAnswerCrc(corrupt);
}

quint16 FakeBoardSpi::kvl52205Register(int address) const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->kvl52205.value(address);
}

void FakeBoardSpi::setKvl52205Register(int address, quint16 value)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->kvl52205.setValue(address, value);
}

quint32 FakeBoardSpi::kvl52404Word(int address) const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->kvl52404.word(address);
}

void FakeBoardSpi::setKvl52404Word(int address, quint32 value)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->kvl52404.setWord(address, value);
}

QStringList FakeBoardSpi::violations() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->violations + m_state->kvl52205.violations() + m_state->kvl52404.violations();
}
