#include "spiraw.h"

#include "appletcommands.h"
#include "applethost.h"
#include "appletslog.h"
#include "controlboard.h"
#include "register.h"
#include "spiexchange.h"
#include "variable.h"

#include "ui_spiraw.h"

Register SpiIn(16, QStringLiteral("SpiIn"));
Register SpiOut(16, QStringLiteral("SpiOut"));
Variable SPIFreq(300, QStringLiteral("SPIFreq"), QStringLiteral("SPI Clk. Freq. kHz"), 1, 10000);

SpiRaw *spiRaw = nullptr;

namespace
{

const QString DataVariable = QStringLiteral("SPI0CS0DATA");
const QString TransferFailed = QStringLiteral("SPI data transfer failed");
constexpr int WordBits = 16;

} // namespace

SpiRaw::SpiRaw(QWidget *parent) : Applet(parent), ui(new Ui::SpiRaw)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("SPI Raw"));
    fixedWidth = true;
    fixedHeight = true;
    spiRaw = this;
}

SpiRaw::~SpiRaw()
{
    if (spiRaw == this)
        spiRaw = nullptr;
    delete ui;
}

bool SpiRaw::init()
{
    addRegister(&SpiIn);
    addRegister(&SpiOut);
    addVariable(&SPIFreq);
    return true;
}

// Nothing moves on its own: only "Transfer" talks to the device.
bool SpiRaw::updateItem(int /*mode*/, const QString & /*name*/)
{
    return true;
}

void SpiRaw::onDisconnected() {}

void SpiRaw::onConnected()
{
    updateItem(0, QStringLiteral("*"));
}

QVariant SpiRaw::run(const QString &command, const QVariant & /*args*/)
{
    if (AppletCommands::offer(functions, command, QStringLiteral("Transfer"),
                              QStringLiteral("SPI Write and Read"))) {
        transfer();
        return true;
    }
    if (AppletCommands::offer(functions, command, QStringLiteral("setSPIFreq"),
                              QStringLiteral("Sets SPI frequency"))) {
        setSpeed(command);
        return true;
    }
    return false;
}

bool SpiRaw::transfer()
{
    // One view per register: each byte is packed before the next select refills the view.
    const QByteArray low = SpiIn.select(0, 7)->toByteArray(true);
    const QByteArray high = SpiIn.select(8, 15)->toByteArray(true);
    const QByteArray text = SpiExchange::dataText(high + low);
    qCDebug(lcApplets) << "Written data to device" << text;

    quint32 word = 0;
    if (!SpiExchange::transfer(AppletHost::instance()->controlBoard(), DataVariable, text, WordBits,
                               &word)) {
        emit signal_log(-1, TransferFailed);
        qCDebug(lcApplets) << TransferFailed;
        return false;
    }
    set(QStringLiteral("SpiOut[]"), QVariant(uint(word)), Variable::InternalKey);
    return true;
}

void SpiRaw::setSpeed(const QString &command)
{
    ControlBoard *link = AppletHost::instance()->controlBoard();
    if (link)
        link->send(SpiExchange::speedCommand(QStringLiteral("SPI0CS0"), SPIFreq.value()), nullptr);
    qCDebug(lcApplets) << "Sets SPI frequency to " << command;
}
