#include "fakematrixbus.h"

#include "fakeboard.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cctype>

#include <mutex>

namespace
{

constexpr int ReadRequestSize = 3;

bool oddOnes(quint8 byte)
{
    return qPopulationCount(byte) % 2 == 1;
}

QByteArray parseHex(const QByteArray &text, bool *ok)
{
    *ok = text.size() % 2 == 0 &&
          std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(uchar(c)); });
    return *ok ? QByteArray::fromHex(text) : QByteArray();
}

} // namespace

struct FakeMatrixBus::State {
    mutable std::mutex mutex;
    QList<FakeMatrixChip> chips;
    int rate = 250000;
    QSet<int> outputs; // the outputs switched on here
    std::function<quint16()> register6;
    QList<Fault> faults;
    QHash<QByteArray, int> failing;
    QByteArray echo;
    QByteArray answer;
    bool anyFrame = false;
    QList<QPair<int, QByteArray>> frames;
    QStringList violations;

    bool failsNow(const QByteArray &command)
    {
        int &left = failing[command];
        if (left <= 0)
            return false;
        --left;
        return true;
    }
    bool outputOn(int output) const
    {
        if (outputs.contains(output))
            return true;
        if (output < 1 || output > 2)
            return false;
        const int bit = output == 1 ? 1 : 0;
        return register6 && ((register6() >> bit) & 1);
    }
    QList<FakeMatrixChip *> listening()
    {
        QList<FakeMatrixChip *> result;
        for (FakeMatrixChip &chip : chips)
            if (chip.rate() == rate)
                result.append(&chip);
        return result;
    }
    QByteArray deliver(const QByteArray &frame);
    bool wellFormed(const QByteArray &frame);
    QByteArray request(int pid1, int pid2);
    void write(const QByteArray &frame);
    bool lengthFits(int ft, int pid2, int dataBytes);
    QByteArray setFrame(const QByteArray &line);
    QByteArray getData();
    QByteArray setBaud(const QByteArray &line);
};

bool FakeMatrixBus::State::wellFormed(const QByteArray &frame)
{
    if (frame.size() < ReadRequestSize) {
        violations.append(QStringLiteral("frame of %1 bytes").arg(frame.size()));
        return false;
    }
    if (quint8(frame.at(0)) != 0x55) {
        violations.append(QStringLiteral("sync byte %1").arg(quint8(frame.at(0)), 2, 16));
        return false;
    }
    if (!oddOnes(quint8(frame.at(1))) || !oddOnes(quint8(frame.at(2)))) {
        violations.append(QStringLiteral("even parity in %1").arg(QString(frame.toHex())));
        return false;
    }
    return true;
}

QByteArray FakeMatrixBus::State::deliver(const QByteArray &frame)
{
    if (!wellFormed(frame))
        return QByteArray();
    const int pid1 = quint8(frame.at(1));
    const int pid2 = quint8(frame.at(2));
    if (frame.size() == ReadRequestSize)
        return request(pid1, pid2);
    write(frame);
    return QByteArray();
}

QByteArray FakeMatrixBus::State::request(int pid1, int pid2)
{
    const int ft = (pid1 >> 5) & 3;
    const int id = pid2 & 31;
    if (ft != 0 && !(ft == 3 && FakeMatrixChip::isReadCommand(id))) {
        violations.append(QStringLiteral("request without answer: FT %1, id %2").arg(ft).arg(id));
        return QByteArray();
    }
    QList<FakeMatrixChip *> targets;
    for (FakeMatrixChip *chip : listening())
        if (chip->address == (pid1 & 31))
            targets.append(chip);
    if (targets.size() > 1)
        violations.append(QStringLiteral("collision at address %1").arg(pid1 & 31));
    if (targets.size() != 1)
        return QByteArray();
    const FakeMatrixChip *chip = targets.first();
    QByteArray data =
        ft == 0 ? chip->readWords(id, ((pid2 >> 5) & 3) + 1) : chip->commandAnswer(id);
    QByteArray covered;
    covered.append(char(pid1)).append(char(pid2)).append(data);
    return data.append(char(crc8(covered)));
}

bool FakeMatrixBus::State::lengthFits(int ft, int pid2, int dataBytes)
{
    if (ft == 1 || ft == 2)
        return dataBytes == 3 * (((pid2 >> 5) & 3) + 1);
    return ft == 3 && dataBytes == FakeMatrixChip::writeLength(pid2 & 31);
}

void FakeMatrixBus::State::write(const QByteArray &frame)
{
    const int pid1 = quint8(frame.at(1));
    const int pid2 = quint8(frame.at(2));
    const int ft = (pid1 >> 5) & 3;
    const QByteArray data = frame.mid(3, frame.size() - 4);
    const bool broadcast = ft == 2 || (ft == 3 && !data.isEmpty() && (quint8(data.at(0)) & 0x80));
    QList<FakeMatrixChip *> targets;
    for (FakeMatrixChip *chip : listening())
        if (broadcast || chip->address == (pid1 & 31))
            targets.append(chip);
    if (quint8(frame.back()) != crc8(frame.mid(1, frame.size() - 2))) {
        violations.append(QStringLiteral("wrong CRC in %1").arg(QString(frame.toHex())));
        for (FakeMatrixChip *chip : targets)
            chip->countCrcError();
        return;
    }
    if (!lengthFits(ft, pid2, int(data.size()))) {
        violations.append(QStringLiteral("wrong length in %1").arg(QString(frame.toHex())));
        return;
    }
    for (FakeMatrixChip *chip : targets) {
        if (ft == 3)
            chip->command(pid2 & 31, data, outputOn(chip->output));
        else
            chip->writeWords(pid2 & 31, data);
    }
}

QByteArray FakeMatrixBus::State::setFrame(const QByteArray &line)
{
    const QByteArray text = line.mid(int(qstrlen("set SER2PXNDATA="))).trimmed();
    bool ok = false;
    const QByteArray bytes = parseHex(text, &ok);
    if (!ok || bytes.size() < 2 + ReadRequestSize || quint8(bytes.at(1)) != bytes.size() - 2) {
        violations.append(QStringLiteral("bad command: %1").arg(QString(line)));
        return "SER2PXNDATA:err";
    }
    const QByteArray frame = bytes.mid(2);
    frames.append({quint8(bytes.at(0)), frame});
    echo = frame;
    anyFrame = true;
    answer = deliver(frame);
    return "SER2PXNDATA:ok";
}

QByteArray FakeMatrixBus::State::getData()
{
    const Fault fault = faults.isEmpty() ? NoFault : faults.takeFirst();
    if (fault == Silence)
        return QByteArray();
    QByteArray bytes = echo;
    if (fault != NoChipAnswer && !answer.isEmpty()) {
        QByteArray chipPart = answer;
        if (fault == CrcPlusOne)
            chipPart.back() = char(quint8(chipPart.back()) + 1);
        bytes += chipPart;
    }
    if (fault == ByteShort)
        bytes.chop(1);
    QByteArray text = QByteArray(1, char(bytes.size())).toHex() + bytes.toHex();
    if (!anyFrame)
        text = "00";
    return "SER2DATA=" + (fault == UpperCase ? text.toUpper() : text);
}

QByteArray FakeMatrixBus::State::setBaud(const QByteArray &line)
{
    bool ok = false;
    const int value = line.mid(int(qstrlen("set SER2BAUD="))).trimmed().toInt(&ok);
    if (!ok || value <= 0)
        return "SER2BAUD:err";
    rate = value;
    return "SER2BAUD:ok";
}

FakeMatrixBus::FakeMatrixBus(FakeBoard &board) : m_state(std::make_shared<State>())
{
    // Each handler keeps the state alive on its own and guards it.
    auto guarded = [state = m_state](const QByteArray &command,
                                     QByteArray (State::*handle)(const QByteArray &)) {
        return [state, command, handle](const QByteArray &line) -> QByteArray {
            std::lock_guard<std::mutex> lock(state->mutex);
            if (state->failsNow(command))
                return command + ":err";
            return (state.get()->*handle)(line);
        };
    };
    board.addHandler("set SER2PXNDATA=", guarded("SER2PXNDATA", &State::setFrame));
    board.addHandler("set SER2BAUD=", guarded("SER2BAUD", &State::setBaud));
    board.addHandler([](const QByteArray &line) { return line.trimmed() == "get SER2DATA"; },
                     [state = m_state](const QByteArray &) -> QByteArray {
                         std::lock_guard<std::mutex> lock(state->mutex);
                         if (state->failsNow("SER2DATA"))
                             return "SER2DATA:err";
                         return state->getData();
                     });
}

FakeMatrixBus::~FakeMatrixBus() = default;

int FakeMatrixBus::addChip(int address, int opmode, int output)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    FakeMatrixChip chip;
    const int k = int(m_state->chips.size());
    chip.address = address;
    chip.opmode = opmode;
    chip.output = output;
    chip.dlt = {7, quint8(10 + k), quint8(20 + k)};
    m_state->chips.append(chip);
    return k;
}

int FakeMatrixBus::chipCount() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return int(m_state->chips.size());
}

FakeMatrixChip FakeMatrixBus::chip(int index) const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->chips.value(index);
}

void FakeMatrixBus::editChip(int index, const std::function<void(FakeMatrixChip &)> &edit)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    if (index >= 0 && index < m_state->chips.size())
        edit(m_state->chips[index]);
}

void FakeMatrixBus::setOutputOn(int output, bool on)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    if (on)
        m_state->outputs.insert(output);
    else
        m_state->outputs.remove(output);
}

void FakeMatrixBus::setOutputSource(std::function<quint16()> register6)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->register6 = std::move(register6);
}

void FakeMatrixBus::injectFault(Fault fault, int count)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    for (int i = 0; i < count; ++i)
        m_state->faults.append(fault);
}

void FakeMatrixBus::failNext(const QByteArray &command, int count)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->failing[command] += count;
}

QByteArray FakeMatrixBus::deliverFrame(const QByteArray &frame)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->deliver(frame);
}

int FakeMatrixBus::rate() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->rate;
}

QList<QPair<int, QByteArray>> FakeMatrixBus::frames() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->frames;
}

QStringList FakeMatrixBus::violations() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->violations;
}

quint8 FakeMatrixBus::crc8(const QByteArray &bytes)
{
    quint8 reg = 0xF3; // the seed 0xFF already shifted through the polynomial
    for (char byte : bytes) {
        for (int bit = 0; bit < 8; ++bit) {
            const bool feedback = ((reg >> 7) & 1u) != ((quint8(byte) >> bit) & 1u);
            reg = quint8(reg << 1);
            if (feedback)
                reg ^= 0x07;
        }
    }
    return reg;
}
