#include "spiraw4b.h"

#include "appletcommands.h"
#include "applethost.h"
#include "appletslog.h"
#include "controlboard.h"
#include "register.h"
#include "spiexchange.h"
#include "variable.h"

#include "ui_spiraw4b.h"

Register SpiIn4B(32, QStringLiteral("SpiIn4B"));
Register SpiOut4B(32, QStringLiteral("SpiOut4B"));
Variable SPIFreq4B(300, QStringLiteral("SPIFreq4B"), QStringLiteral("SPI Clk. Freq. kHz"), 1,
                   10000);
Variable SPIChannel4B(5, QStringLiteral("SPIChannel4B"), QStringLiteral("SPI channel"), 0, 15);
Variable CRCValid(QStringLiteral("@variable=CRCValid@value=0@min=0 @max=1"));
Variable CRCType(QStringLiteral("@variable=CRCType@value=0@min=0 @max=99"));

SpiRaw4B *spiRaw4B = nullptr;

namespace
{

const QString TransferFailed = QStringLiteral("SPI data transfer failed");
constexpr int FrameBits = 32;
constexpr qint8 CrcSeed = 15;

// Nibbles of value from the one at bit 4·(count-1) down to bits 3..0.
qint8 crc4OfNibbles(quint64 value, int count, qint8 seed)
{
    qint8 state = seed;
    for (int i = count - 1; i >= 0; --i)
        state = SpiRaw4B::crc4(quint8((value >> (4 * i)) & 0xF), state);
    return state;
}

} // namespace

SpiRaw4B::SpiRaw4B(QWidget *parent) : Applet(parent), ui(new Ui::SpiRaw4B)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("SPI Raw 4B"));
    fixedWidth = true;
    fixedHeight = true;
    spiRaw4B = this;
}

SpiRaw4B::~SpiRaw4B()
{
    if (spiRaw4B == this)
        spiRaw4B = nullptr;
    delete ui;
}

bool SpiRaw4B::init()
{
    addRegister(&SpiIn4B);
    addRegister(&SpiOut4B);
    addVariable(&SPIFreq4B);
    addVariable(&SPIChannel4B);
    addVariable(&CRCValid);
    addVariable(&CRCType);
    slot_updateAllControls();
    return true;
}

// Nothing moves on its own: only "Transfer" talks to the device.
bool SpiRaw4B::updateItem(int /*mode*/, const QString & /*name*/)
{
    return true;
}

void SpiRaw4B::onDisconnected() {}

void SpiRaw4B::onConnected()
{
    updateItem(0, QStringLiteral("*"));
}

QVariant SpiRaw4B::run(const QString &command, const QVariant & /*args*/)
{
    if (AppletCommands::offer(functions, command, QStringLiteral("Transfer"),
                              QStringLiteral("SPI Write and Read"))) {
        transfer();
        return true;
    }
    if (AppletCommands::offer(functions, command, QStringLiteral("setSPIFreq4B"),
                              QStringLiteral("Sets SPI frequency"))) {
        setSpeed();
        return true;
    }
    if (AppletCommands::offer(functions, command, QStringLiteral("calcCRC"),
                              QStringLiteral("Calculates CRC"))) {
        calcCRC();
        return true;
    }
    return false;
}

QString SpiRaw4B::chipSelect() const
{
    return QStringLiteral("SPILEDCS%1").arg(int(SPIChannel4B.value()));
}

bool SpiRaw4B::transfer()
{
    const quint32 request = SpiIn4B.getField(QStringLiteral("[]"));
    QByteArray bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.append(char((request >> shift) & 0xFF));
    qCDebug(lcApplets) << "Request bytes" << bytes.toHex(' ');
    const QByteArray text = SpiExchange::dataText(bytes);
    qCDebug(lcApplets) << "Written data to device" << text;

    quint32 answer = 0;
    ++m_frameCount;
    if (!SpiExchange::transfer(AppletHost::instance()->controlBoard(),
                               chipSelect() + QStringLiteral("DATA"), text, FrameBits, &answer)) {
        emit signal_log(-1, TransferFailed);
        return false;
    }
    set(QStringLiteral("SpiOut4B[]"), QVariant(uint(answer)), Variable::InternalKey);

    // The answer's CRC covers its bits 31..4, a 0 bit, then R/W and Address[5:0] of the request.
    const quint32 sent = get(QStringLiteral("SpiIn4B[31:4]"), Variable::InternalKey).toUInt();
    const quint64 block = (quint64(answer >> 4) << 8) | ((sent >> 21) & 0x7F);
    const quint32 received = get(QStringLiteral("SpiOut4B[3:0]"), Variable::InternalKey).toUInt();
    const bool valid = quint32(crc4Of36(block, CrcSeed)) == received;
    set(QStringLiteral("CRCValid"), QVariant(valid ? 1 : 0), Variable::InternalKey);
    return true;
}

void SpiRaw4B::calcCRC()
{
    if (!ui->cb_CRCtype->currentText().contains(QStringLiteral("405"))) {
        qCDebug(lcApplets) << "Unknown CRC type";
        return;
    }
    const quint32 request = SpiIn4B.getField(QStringLiteral("[31:4]"));
    set(QStringLiteral("SpiIn4B[3:0]"), QVariant(uint(quint8(crc4Of28(request, CrcSeed)))),
        Variable::InternalKey);
}

void SpiRaw4B::setSpeed()
{
    const QByteArray command = SpiExchange::speedCommand(chipSelect(), SPIFreq4B.value());
    if (ControlBoard *link = AppletHost::instance()->controlBoard())
        link->send(command, nullptr);
    qCDebug(lcApplets) << command;
}

qint8 SpiRaw4B::crc4(quint8 nibble, qint8 state)
{
    quint8 s = quint8(state) & 0xF;
    for (int bit = 3; bit >= 0; --bit) {
        const quint8 feedback = quint8(((nibble >> bit) & 1) ^ ((s >> 3) & 1));
        s = quint8(((s << 1) & 0xF) ^ (feedback ? 0x3 : 0));
    }
    return qint8(s);
}

qint8 SpiRaw4B::crc4Of28(quint32 value, qint8 seed)
{
    return crc4OfNibbles(value, 7, seed);
}

qint8 SpiRaw4B::crc4Of36(quint64 value, qint8 seed)
{
    return crc4OfNibbles(value, 9, seed);
}
