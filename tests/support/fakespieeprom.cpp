#include "fakespieeprom.h"

#include "fakeboard_spi.h"

#include <mutex>

namespace
{

enum Instruction {
    WriteStatus = 1,
    Write = 2,
    Read = 3,
    WriteDisable = 4,
    ReadStatus = 5,
    WriteEnable = 6
};
constexpr quint8 WipBit = 0x01;
constexpr quint8 WelBit = 0x02;
constexpr quint8 ProtectBits = 0x0C;
constexpr int ParamsAddress = 0x40;

const QByteArray Kvl52404Config = QByteArray::fromHex("0134120001000107800cfe0b0c0d40");
const QByteArray Kvl52404Params =
    QByteArray::fromHex("2f00110001223412ffffe8030200030004003344efbe55feca6602015aa57788");
const QByteArray Kvl52205Params = QByteArray::fromHex("64000178000200030004c8004a010304111105ff06");

int addressOf(const QByteArray &mosi)
{
    return ((quint8(mosi.at(1)) << 8) | quint8(mosi.at(2))) % FakeSpiEeprom::Size;
}

} // namespace

struct FakeSpiEeprom::State {
    mutable std::mutex mutex;
    QByteArray memory = QByteArray(Size, char(0xFF));
    bool writeEnabled = false;
    quint8 protect = 0;
    int writeCycleReads = 0;
    int cycleLeft = 0; // status reads until the running write cycle ends
    int refuseAt = 0;  // transfer number that answers "err"; 0: none
    int transfers = 0;
    QStringList violations;

    quint8 status() const
    {
        return (cycleLeft > 0 ? WipBit : 0) | (writeEnabled ? WelBit : 0) | protect;
    }

    QByteArray transfer(const QByteArray &mosi)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (++transfers == refuseAt)
            return QByteArray();
        QByteArray miso(mosi.size(), char(0xFF));
        if (mosi.isEmpty())
            return miso;
        const int op = quint8(mosi.at(0));
        if (op == ReadStatus) {
            miso.fill(char(status()));
            miso[0] = char(0xFF); // clocked out while the instruction comes in
            cycleLeft = qMax(0, cycleLeft - 1);
        } else if (cycleLeft > 0) {
            violations.append(QStringLiteral("instruction %1 during a write cycle").arg(op));
        } else {
            execute(op, mosi, miso);
        }
        return miso;
    }

    void execute(int op, const QByteArray &mosi, QByteArray &miso)
    {
        const int needed = op == Read || op == Write ? 3 : op == WriteStatus ? 2 : 1;
        if (op < WriteStatus || op > WriteEnable) {
            violations.append(QStringLiteral("unknown instruction %1").arg(op));
        } else if (mosi.size() < needed) {
            violations.append(QStringLiteral("short frame of instruction %1").arg(op));
        } else if (op == Read) {
            for (int k = 3; k < mosi.size(); ++k)
                miso[k] = memory.at((addressOf(mosi) + k - 3) % Size);
        } else if (op == WriteEnable || op == WriteDisable) {
            writeEnabled = op == WriteEnable;
        } else if (!writeEnabled) {
            violations.append(QStringLiteral("write instruction %1 without the latch").arg(op));
        } else {
            if (op == Write)
                write(mosi);
            else
                protect = quint8(mosi.at(1)) & ProtectBits;
            writeEnabled = false;
            cycleLeft = writeCycleReads;
        }
    }

    void write(const QByteArray &mosi)
    {
        const int address = addressOf(mosi);
        const int page = address - address % PageSize;
        if (address % PageSize + mosi.size() - 3 > PageSize)
            violations.append(QStringLiteral("write at %1 crosses its page").arg(address));
        for (int k = 3; k < mosi.size(); ++k)
            memory[page + (address % PageSize + k - 3) % PageSize] = mosi.at(k);
    }
};

QByteArray FakeSpiEeprom::image(Image kind)
{
    QByteArray contents(Size, char(0xFF));
    if (kind == Blank)
        return contents;
    QByteArray config = Kvl52404Config;
    if (kind != Kvl52404Board)
        config[9] = char(kind == Kvl52205Board ? 5 : kind == Kvl52404BuckBoard ? 16 : 6);
    storeBlock(contents, 0, config);
    storeBlock(contents, ParamsAddress, kind == Kvl52205Board ? Kvl52205Params : Kvl52404Params);
    return contents;
}

bool FakeSpiEeprom::imageOfName(const QString &name, Image *kind)
{
    const QStringList names{QStringLiteral("kvl52404"), QStringLiteral("kvl52205"),
                            QStringLiteral("blank"), QStringLiteral("kvl52404buck"),
                            QStringLiteral("unsupported")};
    const int index = int(names.indexOf(name));
    if (index >= 0)
        *kind = Image(index);
    return index >= 0;
}

void FakeSpiEeprom::storeBlock(QByteArray &image, int address, const QByteArray &data)
{
    image[address % Size] = char(data.size());
    for (int k = 0; k < data.size(); ++k) {
        image[(address + 1 + k) % Size] = data.at(k);
        image[(address + 1 + CheckCopyOffset + k) % Size] = char(0xFF - quint8(data.at(k)));
    }
}

FakeSpiEeprom::FakeSpiEeprom(FakeBoardSpi &spi, Image kind) : m_state(std::make_shared<State>())
{
    m_state->memory = image(kind);
    std::shared_ptr<State> state = m_state;
    spi.attach("SPI0", 3, [state](const QByteArray &mosi) { return state->transfer(mosi); });
}

FakeSpiEeprom::~FakeSpiEeprom() = default;

void FakeSpiEeprom::load(const QByteArray &contents)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->memory.replace(0, qMin(contents.size(), qsizetype(Size)), contents.left(Size));
}

QByteArray FakeSpiEeprom::bytes(int address, int count) const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    QByteArray out;
    for (int k = 0; k < count; ++k)
        out.append(m_state->memory.at((address + k) % Size));
    return out;
}

void FakeSpiEeprom::setByte(int address, quint8 value)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->memory[address % Size] = char(value);
}

quint8 FakeSpiEeprom::status() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->status();
}

void FakeSpiEeprom::refuseTransfer(int n)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->refuseAt = m_state->transfers + n;
}

void FakeSpiEeprom::setWriteCycleReads(int k)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->writeCycleReads = k;
}

int FakeSpiEeprom::transferCount() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->transfers;
}

QStringList FakeSpiEeprom::violations() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->violations;
}

void FakeSpiEeprom::clearViolations()
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->violations.clear();
}
