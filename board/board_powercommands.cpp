// The page's commands for the LED driver: KVL52205 readings, status and restart, the
// controller's PWM outputs that clock and dim the driver, and the KVL52404 map access.
#include "board.h"

#include "boardcommand.h"
#include "boardglobals.h"
#include "spip205.h"
#include "ui_board.h"

namespace
{

constexpr double LedVoltsPerCount = 0.274; // VBOOST and the LED voltages
constexpr double BatteryVoltsPerCount = 0.157;
constexpr unsigned LowByte = 0xFF;
constexpr unsigned NineBits = 0x1FF;
constexpr int P205VledControl = 0x0D;
constexpr int P205VledOn1 = 0x0E;
constexpr int P205Vled1 = 0x10;
constexpr int P205StatusFirst = 0x0E;
constexpr int P205StatusLast = 0x18;
constexpr int P404SwresetAddress = 29;

// One status field of the KVL52205: its register and its bits.
struct StatusField {
    int address;
    const char *name;
    int shift;
    unsigned mask;
};

const StatusField StatusFields[] = {{0x0E, "VLED1ON", 0, LowByte},
                                    {0x0F, "VLED2ON", 0, LowByte},
                                    {0x10, "VLED1", 0, LowByte},
                                    {0x11, "VLED2", 0, LowByte},
                                    {0x12, "VTEMP", 0, LowByte},
                                    {0x13, "VBOOST", 0, LowByte},
                                    {0x14, "VBAT", 0, LowByte},
                                    {0x15, "BUCK1_TON_DUR", 0, LowByte},
                                    {0x16, "BUCK2_TON_DUR", 0, LowByte},
                                    {0x17, "OCLED2", 0, 1},
                                    {0x17, "SHORTLED2", 1, 1},
                                    {0x17, "OPENLED2", 2, 1},
                                    {0x17, "OCLED1", 3, 1},
                                    {0x17, "SHORTLED1", 4, 1},
                                    {0x17, "OPENLED1", 5, 1},
                                    {0x17, "BUCKACTIVE2", 6, 1},
                                    {0x17, "BUCKACTIVE1", 7, 1},
                                    {0x18, "TW", 0, 1},
                                    {0x18, "TSD", 1, 1},
                                    {0x18, "SPIERR", 2, 1},
                                    {0x18, "LED2VAL", 3, 1},
                                    {0x18, "LED1VAL", 4, 1},
                                    {0x18, "BOOST_OV", 6, 1},
                                    {0x18, "BOOST_STATUS", 7, 1}};

// Registers written back by a restart, register 2 (the enables) last.
const int RestartOrder[] = {1, 3, 4, 5, 6, 7, 8, 9, 10, 2};

// The integer part of a variable's value.
qint64 wholeValue(const Variable &variable)
{
    return qint64(variable.value());
}

} // namespace

void Board::appendP205Commands(QVector<BoardCommand> &table)
{
    BoardGlobals &g = boardGlobals();
    table.append(BoardCommand::quiet(QStringLiteral("readAdcVBOOST"), [&g](Board &page,
                                                                           const QVariant &) {
        page.readAdcVoltage(0x13, QStringLiteral("VBOOST"), LedVoltsPerCount, g.BoostVoltageMeas);
        return false;
    }));
    table.append(BoardCommand::quiet(QStringLiteral("readAdcVBAT"), [&g](Board &page,
                                                                         const QVariant &) {
        page.readAdcVoltage(0x14, QStringLiteral("VBAT"), BatteryVoltsPerCount, g.BatteryVoltage);
        return false;
    }));
    for (int channel = 1; channel <= 2; ++channel)
        table.append(BoardCommand::quiet(
            QStringLiteral("adcVLED") + QString::number(channel),
            [channel](Board &page, const QVariant &) { return page.readLedVoltage(channel); }));
    table.append(
        BoardCommand::quiet(QStringLiteral("readStatus"),
                            [](Board &page, const QVariant &) { return page.readP205Status(); }));

    // Controller PWM outputs: a frequency in hertz (the variable times its scale) with duty 0,
    // or a duty in percent with frequency 0, which dims its LED-control line by PWM.
    struct Pwm {
        const char *name;
        int channel;
        Variable BoardGlobals::*variable;
        unsigned frequencyScale; // 0: the variable is the duty
        int dutyLine;            // the LED-control line a duty dims
    };
    const Pwm pwms[] = {{"setCLKFreq1", 0, &BoardGlobals::FREQ1, 1, 0},
                        {"setCLKFreq2", 2, &BoardGlobals::FREQ2, 1, 0},
                        {"setDuty1", 0, &BoardGlobals::DUTY1, 0, 1},
                        {"setDuty2", 2, &BoardGlobals::DUTY2, 0, 2},
                        {"setBoostCLK", 1, &BoardGlobals::BOOSTFREQ, 1000, 0}};
    for (const Pwm &pwm : pwms)
        table.append(
            BoardCommand::quiet(QLatin1String(pwm.name), [pwm, &g](Board &page, const QVariant &) {
                const qint64 value = wholeValue(g.*pwm.variable);
                if (pwm.frequencyScale != 0)
                    page.sendPwmSettings(pwm.channel, 0, unsigned(value * pwm.frequencyScale));
                else
                    page.sendDuty(pwm.dutyLine, quint16(value));
                return false;
            }));
    table.append(
        BoardCommand::quiet(QStringLiteral("restartBoost"), [](Board &page, const QVariant &) {
            page.restartBoost();
            return false;
        }));
}

void Board::appendP404Commands(QVector<BoardCommand> &table)
{
    const auto addressList = [](const QVariant &args) {
        return args.toString().split(QLatin1Char(';'), Qt::KeepEmptyParts);
    };
    table.append(BoardCommand::returning(QStringLiteral("Read"), QStringLiteral("Read SPI map"),
                                         [addressList](Board &page, const QVariant &args) {
                                             return page.MemoryRead(addressList(args));
                                         }));
    table.append(BoardCommand::returning(QStringLiteral("Write"), QStringLiteral("Write SPI map"),
                                         [addressList](Board &page, const QVariant &args) {
                                             return page.MemoryWrite(addressList(args));
                                         }));
    table.append(
        BoardCommand::returning(QStringLiteral("ReadVBOOST"), QStringLiteral("Read VBOOST of P404"),
                                [](Board &page, const QVariant &) { return page.readVBoost(); }));
    table.append(BoardCommand::returning(
        QStringLiteral("ReadVLED"), QStringLiteral("Read VLED of channel (x)"),
        [](Board &page, const QVariant &args) { return page.readVLed(int(args.toUInt())); }));
    table.append(BoardCommand::continuing(QStringLiteral("swresetP404"),
                                          QStringLiteral("Perform SWRESET of P404"),
                                          [](Board &page, const QVariant &) {
                                              page.resetP404();
                                              return false;
                                          }));
    table.append(BoardCommand::continuing(QStringLiteral("defaultP404"),
                                          QStringLiteral("Programm default settings"),
                                          [](Board &page, const QVariant &) {
                                              page.writeP404Defaults();
                                              return false;
                                          }));
}

// A KVL52205 ADC register into its status field, its image and its variable in volts.
void Board::readAdcVoltage(int address, const QString &field, double voltsPerCount,
                           Variable &target)
{
    const unsigned value = readP205(address);
    setStatusField(field, value);
    setP205Image(address, quint16(value));
    target.setValue((value & LowByte) * voltsPerCount, Variable::InternalKey);
}

// The LED voltage of channel 1 or 2; when the channel's voltage reads 0, its on-voltage
// reading stands in. The measurement enable bits of register 0x0D are set first when all
// are clear. True when the last register read succeeded.
bool Board::readLedVoltage(int channel)
{
    const int offset = channel - 1;
    bool ok = false;
    const unsigned control = readP205(P205VledControl, &ok);
    // A failed read tells nothing of the other bits: nothing is written back then.
    if (ok && (control & NineBits) == 0) {
        spiP205->writeRegister(P205VledControl, control | 0x7F);
        setP205Image(P205VledControl,
                     quint16((p205RegisterImage[P205VledControl] & ~NineBits) | 0x7F));
    }
    const QString number = QString::number(channel);
    unsigned value = readP205(P205Vled1 + offset, &ok);
    if ((value & LowByte) == 0) {
        value = readP205(P205VledOn1 + offset, &ok);
        setStatusField(QStringLiteral("VLED%1ON").arg(number), value);
        setP205Image(P205VledOn1 + offset, quint16(value & NineBits));
    }
    setStatusField(QStringLiteral("VLED") + number, value);
    setP205Image(P205Vled1 + offset, quint16(value & NineBits));
    QLineEdit *edit = channel == 1 ? ui->leVLED1 : ui->leVLED2;
    edit->setText(QString::number((value & LowByte) * LedVoltsPerCount, 'f', 1));
    return ok;
}

// Registers 0x0E..0x18 into the fields of P205STATUS, without announcing each field. True
// when the last register (the flags) was read.
bool Board::readP205Status()
{
    Register &status = boardGlobals().P205STATUS;
    const bool wasBlocked = status.blockSignals(true);
    bool ok = false;
    for (int address = P205StatusFirst; address <= P205StatusLast; ++address) {
        const unsigned value = readP205(address, &ok);
        for (const StatusField &field : StatusFields)
            if (field.address == address)
                setStatusField(QLatin1String(field.name), (value >> field.shift) & field.mask);
    }
    status.blockSignals(wasBlocked);
    return ok;
}

void Board::restartBoost()
{
    for (int address : RestartOrder)
        writeP205Register(address);
}

void Board::resetP404()
{
    SPI_MAPP404.setField(QStringLiteral("[SWRESET]"), 1);
    MemoryWrite({QString::number(P404SwresetAddress)});
    forgetP404Words(); // the chip's words are its reset values now
}

// A KVL52205 register; 0 when the read failed.
unsigned Board::readP205(int address, bool *ok)
{
    unsigned value = 0;
    const bool read = spiP205->readRegister(address, &value);
    if (ok)
        *ok = read;
    return read ? value : 0;
}

// The image keeps the registers it has room for, as the chip holds them; the measurement
// registers beyond it are read afresh whenever they are needed.
void Board::setP205Image(int address, quint16 value)
{
    if (address < 0 || address >= P205Registers)
        return;
    p205RegisterImage[address] = value;
    setP205WordHeld(address, true);
}

void Board::setStatusField(const QString &field, unsigned value)
{
    set(QStringLiteral("P205STATUS[%1]").arg(field), value, Variable::InternalKey);
}
