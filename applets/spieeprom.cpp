#include "spieeprom.h"

#include "applethost.h"
#include "appletslog.h"
#include "controlboard.h"
#include "eepromblock.h"
#include "prompt.h"
#include "register.h"
#include "spiexchange.h"
#include "variable.h"

#include "ui_spieeprom.h"

#include <algorithm>
#include <iterator>

Variable EEPROMFreq(0.3, QStringLiteral("EEPROMFreq"), QStringLiteral("SPI EEPROM Clk. Freq."),
                    0.25, 10);
Variable EEPROMChannel(3, QStringLiteral("EEPROMChannel"), QStringLiteral("SPI EEPROM channel"), 0,
                       15);
Variable OpCode(1, QStringLiteral("OpCode"), QStringLiteral("Operation code"), 1, 6);
Variable Address(0, QStringLiteral("Address"), QStringLiteral("EEPROM address"), 0, 4095);
Variable DataIn(0, QStringLiteral("DataIn"), QStringLiteral("Input data"), 0, 255);
Register DataOut(8, QStringLiteral("DataOut"));

SpiEEPROM *spiEEPROM = nullptr;

namespace
{

const QString DataVariable = QStringLiteral("SPI0CS3DATA");

// The 25-series instructions.
enum Instruction {
    WriteStatus = 1,
    Write = 2,
    Read = 3,
    WriteDisable = 4,
    ReadStatus = 5,
    WriteEnable = 6
};
// The status bits: write in progress, write enable latch.
constexpr quint8 WipBit = 0x01;
constexpr quint8 WelBit = 0x02;

// The commands that send one instruction with DataIn 0; only "readByte" keeps Address.
struct InstructionCommand {
    const char *name;
    int opCode;
    bool keepsAddress;
};
const InstructionCommand InstructionCommands[] = {{"readStatus", ReadStatus, false},
                                                  {"writeStatus", WriteStatus, false},
                                                  {"readByte", Read, true},
                                                  {"enableWrite", WriteEnable, false},
                                                  {"disableWrite", WriteDisable, false}};

constexpr int FrameHeaderDigits = 8; // count, instruction and two address bytes
constexpr int MaxReadBytes = 252;    // a frame of 255 bytes keeps the count at two digits
constexpr int PageSize = 32;
constexpr int MaxStatusReads = 10;
constexpr int ConfigLength = 15;

const char ConfigInvalid[] = "EEPROM is not connected or config data are not valid!";
const char DataInvalid[] = "EEPROM is not connected or eeprom data are not valid!";
const char BoostLengthInvalid[] = "EEPROM is not connected or boost data are not valid!";
const char BuckLengthInvalid[] = "EEPROM is not connected or buck data are not valid!";
const char ParamsTitle[] = "Read device params from EEPROM";

// The data text of a frame: instruction, address high and low byte, then tail.
QByteArray frameText(int instruction, quint16 address, const QByteArray &tail)
{
    QByteArray frame;
    frame.append(char(instruction));
    frame.append(char(address >> 8));
    frame.append(char(address & 0xFF));
    return SpiExchange::dataText(frame + tail);
}

ControlBoard *link()
{
    return AppletHost::instance()->controlBoard();
}

} // namespace

template <typename Record> struct SpiEEPROM::Reader {
    const char *title;
    const char *lengthInvalid;
    const EepromBlock::Fields<Record> &fields;
};

SpiEEPROM::SpiEEPROM(QWidget *parent) : Applet(parent), ui(new Ui::SpiEEPROM)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("External SPI EEPROM"));
    fixedWidth = true;
    fixedHeight = true;
    spiEEPROM = this;
}

SpiEEPROM::~SpiEEPROM()
{
    if (spiEEPROM == this)
        spiEEPROM = nullptr;
    delete ui;
}

bool SpiEEPROM::init()
{
    addVariable(&EEPROMFreq);
    addVariable(&EEPROMChannel);
    addVariable(&OpCode);
    addVariable(&Address);
    addVariable(&DataIn);
    addRegister(&DataOut);
    return true;
}

// Nothing moves on its own: only the commands talk to the EEPROM.
bool SpiEEPROM::updateItem(int /*mode*/, const QString & /*name*/)
{
    return true;
}

void SpiEEPROM::onDisconnected() {}

void SpiEEPROM::onConnected()
{
    updateItem(0, QStringLiteral("*"));
}

bool SpiEEPROM::hasCommand(const QString &command) const
{
    const auto named = [&command](const InstructionCommand &c) {
        return command == QLatin1String(c.name);
    };
    return command == QLatin1String("setEEPROMFreq") || command == QLatin1String("writeByte") ||
           std::any_of(std::begin(InstructionCommands), std::end(InstructionCommands), named);
}

QVariant SpiEEPROM::run(const QString &command, const QVariant & /*args*/)
{
    if (command == QLatin1String("setEEPROMFreq"))
        return setSpeed();
    for (const InstructionCommand &c : InstructionCommands) {
        if (command == QLatin1String(c.name))
            return instruction(c.opCode, c.keepsAddress);
    }
    if (command != QLatin1String("writeByte"))
        return false;
    const double address = Address.value();
    const double data = DataIn.value();
    run(QStringLiteral("enableWrite"), QVariant());
    set(QStringLiteral("Address"), address, Variable::InternalKey);
    set(QStringLiteral("DataIn"), data, Variable::InternalKey);
    set(QStringLiteral("OpCode"), int(Write), Variable::InternalKey);
    return sendCommand();
}

bool SpiEEPROM::instruction(int opCode, bool keepAddress)
{
    set(QStringLiteral("OpCode"), opCode, Variable::InternalKey);
    set(QStringLiteral("Address"), keepAddress ? Address.value() : 0.0, Variable::InternalKey);
    set(QStringLiteral("DataIn"), 0, Variable::InternalKey);
    return sendCommand();
}

bool SpiEEPROM::sendCommand()
{
    const QByteArray text = frameText(int(OpCode.value()), quint16(Address.value()),
                                      QByteArray(1, char(int(DataIn.value()))));
    qCDebug(lcApplets) << "Written data to EEPROM" << text;
    QByteArray answer;
    if (!link() || !link()->setValue(DataVariable, text) ||
        !link()->getValue(DataVariable, &answer))
        return false;
    const QByteArray last = answer.right(2);
    if (last.size() != 2 || !SpiExchange::isHexText(last))
        return false;
    set(QStringLiteral("DataOut[]"), last.toUInt(nullptr, 16), Variable::InternalKey);
    return true;
}

// Sends the clock rate, rounded to the hertz, to the chip select numbered by EEPROMChannel.
bool SpiEEPROM::setSpeed()
{
    const QString chipSelect = QStringLiteral("SPILEDCS%1").arg(int(EEPROMChannel.value()));
    const QByteArray command = SpiExchange::speedCommand(chipSelect, EEPROMFreq.value() * 1000.0);
    qCDebug(lcApplets) << "SPI frequency set to" << command;
    return link() && link()->send(command, nullptr);
}

QByteArray SpiEEPROM::readBlock(quint16 address, quint8 length, bool *ok)
{
    QByteArray text;
    bool allRead = true;
    int done = 0;
    do { // a length of 0 still sends its empty frame
        const int count = qMin(int(length) - done, MaxReadBytes);
        QByteArray part(2 * count, '0');
        allRead = allRead && readFrame(quint16(address + done), count, &part);
        text += part;
        done += count;
    } while (done < length);
    if (ok)
        *ok = allRead;
    return text;
}

// One block-read frame. *text gets the answer's digits after the frame header, or the frame's
// own zero digits when no answer came; false unless a whole hexadecimal answer came.
bool SpiEEPROM::readFrame(quint16 address, int length, QByteArray *text)
{
    const QByteArray value = frameText(Read, address, QByteArray(length, '\0'));
    qCDebug(lcApplets) << "Written data to EEPROM" << value;
    QByteArray answer;
    const bool answered = link() && link()->setValue(DataVariable, value) &&
                          link()->getValue(DataVariable, &answer) && !answer.isEmpty();
    const QByteArray buffer = answered ? answer : value;
    qCDebug(lcApplets) << "Data from EEPROM" << buffer;
    *text = buffer.mid(FrameHeaderDigits, 2 * length);
    return answered && SpiExchange::isHexText(answer) &&
           answer.size() >= FrameHeaderDigits + 2 * length;
}

// Reads the length byte of a block; a failed read gives 0, which no block has.
int SpiEEPROM::readLength(quint16 address)
{
    bool ok = false;
    const QByteArray bytes = EepromBlock::bytesOfText(readBlock(address, 1, &ok));
    return ok && !bytes.isEmpty() ? quint8(bytes.at(0)) : 0;
}

// Reads the primary copy at address and its check copy, traces both and every bad position.
// False when a read failed or a position is bad.
bool SpiEEPROM::readCheckedCopy(quint16 address, int length, QByteArray *primary)
{
    bool ok = false;
    const QByteArray primaryText = readBlock(address, quint8(length), &ok);
    if (!ok)
        return false;
    const QByteArray checkText =
        readBlock(quint16(address + EepromBlock::CheckCopyOffset), quint8(length), &ok);
    if (!ok)
        return false;
    qCDebug(lcApplets) << "Data from EEPROM" << primaryText;
    qCDebug(lcApplets) << "Data(valid) from EEPROM" << checkText;
    *primary = EepromBlock::bytesOfText(primaryText);
    const QList<int> bad = EepromBlock::badPositions(*primary, EepromBlock::bytesOfText(checkText));
    for (const int position : bad)
        qCDebug(lcApplets) << "Error at position:" << position;
    return bad.isEmpty();
}

DeviceConfig SpiEEPROM::readDeviceConfig()
{
    qCDebug(lcApplets) << "Read device config from EEPROM";
    DeviceConfig config;
    const int length = readLength(0);
    qCDebug(lcApplets) << "Position:" << EEPROMChannel.value() << ", length:" << length;
    if (length != ConfigLength) {
        qCDebug(lcApplets) << "EEPROM is not connected or data length are not valid!";
        return config;
    }
    QByteArray primary;
    if (!readCheckedCopy(1, ConfigLength, &primary)) {
        qCDebug(lcApplets) << ConfigInvalid;
        return config;
    }
    EepromBlock::decode(config, primary, EepromBlock::configFields());
    config.valid = true;
    return config;
}

// The reading of every parameter block: length byte, primary and check copy, decoding. A failed
// step leaves every field but valid as it was.
template <typename Record>
void SpiEEPROM::readParams(const DeviceConfig &config, const Reader<Record> &reader, Record &record)
{
    qCDebug(lcApplets) << reader.title;
    record.valid = false;
    if (!config.valid) {
        qCDebug(lcApplets) << ConfigInvalid;
        return;
    }
    const quint16 start = config.paramsAddress;
    const int n = readLength(start);
    if (n == 0 || n == 0xFF) {
        qCDebug(lcApplets) << reader.lengthInvalid;
        return;
    }
    QByteArray primary;
    if (!readCheckedCopy(quint16(start + 1), n, &primary)) {
        qCDebug(lcApplets) << DataInvalid;
        return;
    }
    EepromBlock::decode(record, primary, reader.fields);
    record.valid = true;
}

void SpiEEPROM::readDeviceParams(DeviceConfig config)
{
    readParams(config,
               Reader<DriverParams>{ParamsTitle, BoostLengthInvalid, EepromBlock::kvl52205Fields()},
               driverParams);
}

void SpiEEPROM::readDeviceParamsP404(DeviceConfig config)
{
    readParams(config,
               Reader<DriverParams>{"Read device params from EEPROM - 404", BoostLengthInvalid,
                                    EepromBlock::kvl52404Fields()},
               driverParams);
}

void SpiEEPROM::readDeviceParamsV1(DeviceConfig config)
{
    readParams(config,
               Reader<BuckParams>{ParamsTitle, BuckLengthInvalid, EepromBlock::buckV1Fields()},
               buckParams);
}

void SpiEEPROM::readDeviceParamsV3(DeviceConfig config)
{
    readParams(config,
               Reader<BuckParams>{ParamsTitle, BuckLengthInvalid, EepromBlock::buckV3Fields()},
               buckParams);
}

void SpiEEPROM::readDeviceParams402(DeviceConfig config)
{
    readParams(config,
               Reader<BuckParams>{"Read device params from EEPROM - 402/403", BuckLengthInvalid,
                                  EepromBlock::buck402Fields()},
               buckParams);
}

void SpiEEPROM::readBoostParams401(DeviceConfig config)
{
    readParams(config,
               Reader<BoostParams>{"Read device params from Boost 401 EEPROM", BoostLengthInvalid,
                                   EepromBlock::boost401Fields()},
               boostParams);
}

void SpiEEPROM::readDeviceParamsV2(DeviceConfig config)
{
    readParams(config,
               Reader<BoostParams>{ParamsTitle, BoostLengthInvalid, EepromBlock::boostV2Fields()},
               boostParams);
}

bool SpiEEPROM::writeBlock(quint16 address, const QByteArray &hexText)
{
    if (hexText.size() % 2 != 0 || !SpiExchange::isHexText(hexText)) {
        emit signal_log(-1, QStringLiteral("EEPROM write refused: the data are not whole "
                                           "hexadecimal bytes"));
        return false;
    }
    const QByteArray bytes = QByteArray::fromHex(hexText);
    int done = 0;
    while (done < bytes.size()) {
        // Up to the end of the page (mid() cuts the last chunk short).
        const quint16 at = quint16(address + done);
        const QByteArray chunk = bytes.mid(done, PageSize - at % PageSize);
        if (!waitForStatus(WipBit, false))
            return false;
        run(QStringLiteral("enableWrite"), QVariant());
        if (!waitForStatus(WelBit, true) || !writeChunk(at, chunk))
            return false;
        done += int(chunk.size());
    }
    return true;
}

// Reads the status up to ten times until the bits of mask are set (or clear); the tenth read
// still counts. Gives up with the "EEPROM error" box.
bool SpiEEPROM::waitForStatus(quint8 mask, bool set)
{
    for (int k = 0; k < MaxStatusReads; ++k) {
        if (!run(QStringLiteral("readStatus"), QVariant()).toBool())
            continue;
        const uint status = get(QStringLiteral("DataOut[]"), Variable::OutsideKey).toUInt();
        if (((status & mask) != 0) == set)
            return true;
    }
    Prompt::ask(Prompt::Critical, QStringLiteral("EEPROM error"),
                QStringLiteral("Problem with SPI communication"), Prompt::Ok);
    return false;
}

bool SpiEEPROM::writeChunk(quint16 address, const QByteArray &bytes)
{
    const QByteArray value = frameText(Write, address, bytes);
    qCDebug(lcApplets) << "Written data to EEPROM" << value;
    return link() && link()->setValue(DataVariable, value);
}
