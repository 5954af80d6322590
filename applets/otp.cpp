#include "otp.h"

#include "appletcommands.h"
#include "applethost.h"
#include "appletslog.h"
#include "otpregisters.h"
#include "pxn.h"
#include "register.h"
#include "registerbox.h"

#include "ui_otp.h"

namespace
{

constexpr int MapBits = 27;
constexpr int OtpAnswerBytes = 6;

// The last length codes accepted for W_OTP and R_OTP, for the whole program like the
// registers.
struct LengthCodes {
    int write = 0;
    int read = 0;
};

LengthCodes &lastLengthCodes()
{
    static LengthCodes codes;
    return codes;
}

QString decimal(quint32 value)
{
    return QString::number(value);
}

} // namespace

Otp::Otp(QWidget *parent) : Applet(parent), ui(new Ui::Otp)
{
    ui->setupUi(this);
    ui->scrollArea_OTP->setAccessibleName(QStringLiteral("OTP registers"));
    setWindowTitle(QStringLiteral("Otp Registers"));
}

Otp::~Otp()
{
    delete ui;
}

bool Otp::init()
{
    fixedWidth = true;
    OtpRegisters &registers = otpRegisters();
    if (AppletHost::instance()->projectType().contains(QLatin1String("TO1"))) {
        registers.OTP_REG.clear();
        registers.OTP_REG.setDefinition(OtpRegisters::mapTextTo1());
    }
    addRegister(&registers.OTP_REG, MapBits);
    addRegister(&registers.RQ_OTP);
    addRegister(&registers.R_OTP);
    addRegister(&registers.W_OTP);

    CustomControls::RegisterBox *box = ui->scrollArea_OTP;
    box->setColumns(1);
    box->setGroupKey(QStringLiteral("BANK"));
    box->setFlags(CustomControls::RegisterBox::TitledGroups);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    box->build(registers.OTP_REG);
    return true;
}

QVariant Otp::run(const QString &command, const QVariant & /*args*/)
{
    if (AppletCommands::offer(functions, command, QStringLiteral("Request_OTP_PXN"),
                              QStringLiteral("Send request OTP PXN")))
        return requestOtp();
    if (AppletCommands::offer(functions, command, QStringLiteral("Write_OTP_PXN"),
                              QStringLiteral("Write OTP PXN")))
        return writeOtp();
    if (AppletCommands::offer(functions, command, QStringLiteral("Read_OTP_PXN"),
                              QStringLiteral("Read OTP PXN")))
        return readOtp();
    if (AppletCommands::offer(functions, command, QStringLiteral("Default"),
                              QStringLiteral("sets signals to default state")))
        return resetMap();
    if (AppletCommands::offer(functions, command, QStringLiteral("OTP_CRC"),
                              QStringLiteral("Calculate CRC for OTP maps")))
        return calculateCrc();
    return false;
}

bool Otp::requestOtp()
{
    Register &request = otpRegisters().RQ_OTP;
    const QPair<int, int> pid = Pxn::frameIdentifiers(request, "CSID");
    return sendOtpFrame(pid, request.toByteArray(true, false).mid(2));
}

bool Otp::writeOtp()
{
    Register &frame = otpRegisters().W_OTP;
    const QPair<int, int> pid = addressedIdentifiers(frame);
    return sendOtpFrame(pid, writeData(frame));
}

bool Otp::readOtp()
{
    const QPair<int, int> pid = addressedIdentifiers(otpRegisters().R_OTP);
    QByteArray answer;
    unsigned crc = 0;
    Pxn *pxn = Pxn::instance();
    const bool result = pxn && pxn->requestFrame(pid.first, pid.second, answer, crc, OtpAnswerBytes,
                                                 Pxn::RepeatLead);
    if (pxn)
        pxn->dumpBytes(answer);
    if (result)
        storeAnswer(answer);
    slot_updateAllControls();
    return result;
}

// The write and the read go to the chip of the request.
QPair<int, int> Otp::addressedIdentifiers(Register &frame)
{
    frame.setField(QStringLiteral("[SA]"), otpRegisters().RQ_OTP.getField(QStringLiteral("[SA]")));
    return Pxn::frameIdentifiers(frame, "CSID");
}

bool Otp::sendOtpFrame(const QPair<int, int> &pid, const QByteArray &data)
{
    Pxn *pxn = Pxn::instance();
    const bool result = pxn && pxn->sendFrame(pid.first, pid.second, data);
    if (pxn)
        pxn->dumpBytes(data);
    slot_updateAllControls();
    return result;
}

// B and OTPBS with zeros between, then BYTE0..BYTE4 with the map bits of bank OTPBS in
// BYTE0..BYTE3.
QByteArray Otp::writeData(Register &frame)
{
    OtpRegisters &registers = otpRegisters();
    const quint32 bank = frame.getField(QStringLiteral("[OTPBS]"));
    const char first = char(frame.getField(QStringLiteral("[B]")) * 128 + bank);

    // A one-time memory takes what it gets: a stale checksum is sent, but not unannounced.
    const bool crcMatches = mapChecksum() == registers.OTP_REG.getField(QStringLiteral("[CRC1]"));
    Register *selection =
        registers.OTP_REG.selectByAttribute(QStringLiteral("BANK"), decimal(bank));
    const bool sendsMap = !selection->isEmpty();
    const quint32 map = selection->value(true);
    if (sendsMap && !crcMatches)
        emit signal_log(1, QStringLiteral("CRC1 does not match the OTP map"));

    frame.selectByAttribute(QStringLiteral("DATA"), QStringLiteral("1"))->setValue(0, 31, map);
    const QByteArray data =
        QByteArray(1, first) + frame.selectByAttribute(QStringLiteral("DATA"), QStringLiteral("1"))
                                   ->toByteArray(true, false);
    qCDebug(lcApplets) << "data_OTP = " << Qt::hex << map << "data_in = " << data.toHex();
    return data;
}

// The answer fills R_OTP from bit 16 up; its data bytes fill the map bits of the bank the
// answer names. Neither write is announced: the caller refreshes the widgets once.
void Otp::storeAnswer(const QByteArray &answer)
{
    OtpRegisters &registers = otpRegisters();
    Register &frame = registers.R_OTP;
    frame.selectByAttribute(QStringLiteral("DATA2"), QStringLiteral("0"))
        ->setFromByteArray(answer, -1, 1, false);
    const QByteArray bytes = frame.selectByAttribute(QStringLiteral("DATA"), QStringLiteral("1"))
                                 ->toByteArray(true, false);
    const QString bank = decimal(frame.getField(QStringLiteral("[OTPBS]")));
    Register *selection = registers.OTP_REG.selectByAttribute(QStringLiteral("BANK"), bank);
    if (!selection->isEmpty()) // an empty view would grow bits of its own
        selection->setFromByteArray(bytes, -1, 1, false);
}

quint32 Otp::mapChecksum()
{
    return otpRegisters()
        .OTP_REG.selectByAttribute(QStringLiteral("CRC"), QStringLiteral("2"))
        ->crc(7, 0x7F, 0xB7);
}

bool Otp::calculateCrc()
{
    otpRegisters().OTP_REG.setField(QStringLiteral("[CRC1]"), mapChecksum());
    return true;
}

bool Otp::updateItem(int mode, const QString &name)
{
    if (mode != 0)
        return true;
    OtpRegisters &registers = otpRegisters();
    if (name == QLatin1String("W_OTP"))
        keepLengthCode(registers.W_OTP, lastLengthCodes().write);
    else if (name == QLatin1String("R_OTP"))
        keepLengthCode(registers.R_OTP, lastLengthCodes().read);
    return true;
}

void Otp::keepLengthCode(Register &frame, int &lastAccepted)
{
    const quint32 code = frame.getField(QStringLiteral("[BC]"));
    if (int(code) == lastAccepted)
        return;
    if (code > 1)
        frame.setField(QStringLiteral("[BC]"), 1);
    lastAccepted = int(frame.getField(QStringLiteral("[BC]")));
}

void Otp::onDisconnected() {}

void Otp::onConnected() {}

bool Otp::resetMap()
{
    otpRegisters().OTP_REG.fill(0);
    return true;
}

QByteArray Otp::mapBytes()
{
    return otpRegisters().OTP_REG.toByteArray(true, false);
}

int Otp::mapSize()
{
    return otpRegisters().OTP_REG.size();
}

void Otp::setMapBit(int index, bool value)
{
    if (index >= 0 && index < mapSize())
        otpRegisters().OTP_REG.setBit(index, value ? 1 : 0);
    slot_updateAllControls();
}
