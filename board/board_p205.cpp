// The KVL52205 page: boost setpoint, clock source and enable, and per buck channel the
// comparator threshold, the off-time and the enable. The page keeps an image of every register
// it writes and sends the whole register word whenever one of its fields changes.
#include "board.h"

#include "boardglobals.h"
#include "spip205.h"
#include "ui_board.h"
#include "variable.h"

#include <cmath>

namespace
{

// Off-time times LED voltage for the off-time codes 0..15.
const float OffTimeTable[16] = {50.0f, 44.9f, 40.3f, 36.2f, 32.6f, 29.2f, 26.3f, 23.6f,
                                21.2f, 19.0f, 17.1f, 15.4f, 13.8f, 12.4f, 11.1f, 10.0f};

// Register fields: address, lowest bit, width.
struct P205Field {
    int address;
    int shift;
    int width;
};

constexpr P205Field BoostSource{1, 0, 1};
constexpr P205Field BoostEnable{2, 5, 1};
constexpr P205Field BoostSetpoint{3, 0, 7};
constexpr P205Field BuckThreshold[2] = {{4, 0, 8}, {5, 0, 8}};
constexpr P205Field BuckOffTime[2] = {{6, 6, 4}, {6, 2, 4}};
constexpr P205Field BuckEnable[2] = {{6, 1, 1}, {6, 0, 1}};

// The model fields that the page's KVL52205 registers hold.
struct P205Item {
    const char *item;
    const char *field;
    P205Field bits;
};

const P205Item P205Items[] = {
    {"BOOSTP205", "[SRC]", BoostSource},
    {"BOOSTP205", "[EN]", BoostEnable},
    {"BOOSTP205", "[VSETPOINT]", BoostSetpoint},
    {"BUCK1", "[VTHR]", BuckThreshold[0]},
    {"BUCK1", "[TOFF_SET]", BuckOffTime[0]},
    {"BUCK1", "[EN]", BuckEnable[0]},
    {"BUCK2", "[VTHR]", BuckThreshold[1]},
    {"BUCK2", "[TOFF_SET]", BuckOffTime[1]},
    {"BUCK2", "[EN]", BuckEnable[1]},
};

Register &itemRegister(const char *item)
{
    BoardGlobals &g = boardGlobals();
    if (qstrcmp(item, "BUCK1") == 0)
        return g.BUCK1;
    return qstrcmp(item, "BUCK2") == 0 ? g.BUCK2 : g.BOOSTP205;
}

quint16 withField(quint16 word, const P205Field &f, unsigned value)
{
    const unsigned mask = ((1u << f.width) - 1u) << f.shift;
    return quint16((word & ~mask) | ((value << f.shift) & mask));
}

constexpr int MaxBoostCode = 127;
constexpr unsigned OffTimeMask = 0xF;

QString channelName(const char *pattern, int channel)
{
    return QString::fromLatin1(pattern).arg(channel);
}

} // namespace

double Board::boostVoltageOfCode(int code) const
{
    double volts = 15.0 + 0.39 * code;
    if (code == 0)
        volts = 11.0;
    else if (code == 1)
        volts = 15.0;
    return std::round(volts * 10.0) / 10.0;
}

int Board::boostCodeOfVoltage(double volts)
{
    const double v = std::round(volts * 10.0) / 10.0;
    if (v <= 13.0)
        return 0;
    if (v < 16.0)
        return 1;
    // Above the last code the setpoint stays at the highest voltage the chip offers.
    return std::min(int((v - 15.0) / 0.39), MaxBoostCode);
}

double Board::buckThresholdOfCode(int code)
{
    return 31.5 * std::pow(1.010133493, code);
}

// Keeps the value to the field's width, like the model items the page writes alongside. A
// control's word also goes to a chip that has not had it from this connection's set-up, though
// the page wrote it before (to another chip, or none). A refresh of the controls leaves image
// and chip as they are.
void Board::updateP205Image(int address, int shift, int width, unsigned value)
{
    if (isRefreshing())
        return;
    writeP205Word(address, withField(p205RegisterImage[address], {address, shift, width}, value),
                  true);
}

// A word the image holds already is not sent again, unless toNewChip and the chip has not had
// it since the set-up.
void Board::writeP205Word(int address, quint16 word, bool toNewChip)
{
    const bool held = !toNewChip || (p205WordsHeld >> address & 1u);
    if (word == p205RegisterImage[address] && held)
        return;
    p205RegisterImage[address] = word;
    writeP205Register(address);
}

// The image's word to the chip, which holds it once the write succeeded.
void Board::writeP205Register(int address)
{
    setP205WordHeld(address, spiP205->writeRegister(address, p205RegisterImage[address]));
}

void Board::setP205WordHeld(int address, bool held)
{
    const quint16 bit = quint16(1u << address);
    p205WordsHeld = held ? quint16(p205WordsHeld | bit) : quint16(p205WordsHeld & ~bit);
}

// An edit of a KVL52205 item reaches the chip whichever control (or none) shows the field:
// every register word of the item that no longer matches the model goes out. Another item has
// no word there and writes nothing.
void Board::writeP205Item(const QString &item)
{
    for (const P205Item &entry : P205Items) {
        if (item != QLatin1String(entry.item))
            continue;
        const int address = entry.bits.address;
        const quint32 value = itemRegister(entry.item).getField(QLatin1String(entry.field));
        writeP205Word(address, withField(p205RegisterImage[address], entry.bits, value), false);
    }
}

// The model items show what the set-up wrote into the chip's registers.
void Board::showP205Image()
{
    for (const P205Item &entry : P205Items) {
        const P205Field &f = entry.bits;
        itemRegister(entry.item)
            .setField(QLatin1String(entry.field),
                      (p205RegisterImage[f.address] >> f.shift) & ((1u << f.width) - 1u));
    }
}

bool Board::setOwn(const QString &name, const QVariant &value)
{
    return set(name, value, Variable::InternalKey);
}

void Board::on_dialBoostVoltage_valueChanged(int code)
{
    setOwn(QStringLiteral("BoostVoltage"), boostVoltageOfCode(code));
    updateP205Image(BoostSetpoint.address, BoostSetpoint.shift, BoostSetpoint.width,
                    unsigned(code));
}

void Board::on_dialBoostVoltage_sliderMoved(int code)
{
    setOwn(QStringLiteral("BoostVoltage"), boostVoltageOfCode(code));
}

// Only the model item is written; the bound dial follows and its value slot writes the chip.
void Board::on_leBoostVoltage_editingFinished()
{
    const int code = boostCodeOfVoltage(boardGlobals().BoostVoltage.value());
    setOwn(QStringLiteral("BOOSTP205[VSETPOINT]"), code);
}

void Board::on_cbBOOSTSRC_toggled(bool checked)
{
    setOwn(QStringLiteral("BOOSTP205[SRC]"), int(checked));
    updateP205Image(BoostSource.address, BoostSource.shift, BoostSource.width, checked);
}

void Board::on_cbBOOSTEN_toggled(bool checked)
{
    setOwn(QStringLiteral("BOOSTP205[EN]"), int(checked));
    updateP205Image(BoostEnable.address, BoostEnable.shift, BoostEnable.width, checked);
}

void Board::showBuckThreshold(int channel, int code)
{
    QLineEdit *display = channel == 1 ? ui->leCH1 : ui->leCH2;
    display->setText(QString::number(buckThresholdOfCode(code), 'f', 1));
}

void Board::on_dialBuck1_valueChanged(int code)
{
    showBuckThreshold(1, code);
    const P205Field &f = BuckThreshold[0];
    updateP205Image(f.address, f.shift, f.width, unsigned(code));
}

void Board::on_dialBuck2_valueChanged(int code)
{
    showBuckThreshold(2, code);
    const P205Field &f = BuckThreshold[1];
    updateP205Image(f.address, f.shift, f.width, unsigned(code));
}

void Board::on_dialBuck1_sliderMoved(int code)
{
    showBuckThreshold(1, code);
    calculateIPEAK(1);
}

void Board::on_dialBuck2_sliderMoved(int code)
{
    showBuckThreshold(2, code);
    calculateIPEAK(2);
}

// The off-time code of a channel: model item, value display and, when asked, the chip. A drag
// only shows its code: the model item follows it as no edit, so the chip waits for the value.
void Board::setBuckOffTime(int channel, int code, bool writeChip)
{
    const unsigned kept = unsigned(code) & OffTimeMask;
    if (writeChip)
        setOwn(channelName("BUCK%1[TOFF_SET]", channel), kept);
    else
        itemRegister(channel == 1 ? "BUCK1" : "BUCK2").setField(QStringLiteral("[TOFF_SET]"), kept);
    QLineEdit *display = channel == 1 ? ui->leRIPPLE1Current : ui->leRIPPLE2Current;
    display->setText(QString::number(double(OffTimeTable[kept]), 'f', 1));
    if (writeChip) {
        const P205Field &f = BuckOffTime[channel - 1];
        updateP205Image(f.address, f.shift, f.width, kept);
    }
    calculateIRIPPLE(channel);
}

void Board::on_hsRIPPLE1_valueChanged(int code)
{
    setBuckOffTime(1, code, true);
}

void Board::on_hsRIPPLE2_valueChanged(int code)
{
    setBuckOffTime(2, code, true);
}

void Board::on_hsRIPPLE1_sliderMoved(int code)
{
    setBuckOffTime(1, code, false);
}

void Board::on_hsRIPPLE2_sliderMoved(int code)
{
    setBuckOffTime(2, code, false);
}

// A typed code that is no number writes nothing; a code wider than the field keeps its low
// four bits, so it never reaches the other channel's bits of the shared register.
void Board::typedBuckOffTime(int channel)
{
    QLineEdit *edit = channel == 1 ? ui->leRIPPLE1 : ui->leRIPPLE2;
    bool ok = false;
    const unsigned code = edit->text().toUInt(&ok, 10);
    if (!ok)
        return;
    const unsigned kept = code & OffTimeMask;
    setOwn(channelName("BUCK%1[TOFF_SET]", channel), kept);
    const P205Field &f = BuckOffTime[channel - 1];
    updateP205Image(f.address, f.shift, f.width, kept);
}

void Board::on_leRIPPLE1_editingFinished()
{
    typedBuckOffTime(1);
}

void Board::on_leRIPPLE2_editingFinished()
{
    typedBuckOffTime(2);
}

void Board::on_cbEN1_toggled(bool checked)
{
    setBuck1Enabled(checked);
}

void Board::on_cbEN2_toggled(bool checked)
{
    setBuck2Enabled(checked);
}

// Peak current of a channel from the threshold display; a zero scale gives no value.
void Board::calculateIPEAK(int channel)
{
    const QLineEdit *threshold = channel == 1 ? ui->leCH1 : ui->leCH2;
    const quint16 scale = channel == 1 ? peakScale1 : peakScale2;
    const double peak = threshold->text().toDouble() / (scale / 1000.0);
    if (!std::isfinite(peak))
        return;
    setOwn(channelName("IPEAK%1", channel), peak);
    calculateIAVERAGE(channel);
}

// Ripple current of a channel from the off-time display; a zero scale gives no value.
void Board::calculateIRIPPLE(int channel)
{
    const QLineEdit *offTime = channel == 1 ? ui->leRIPPLE1Current : ui->leRIPPLE2Current;
    const quint16 scale = channel == 1 ? rippleScale1 : rippleScale2;
    const double ripple = offTime->text().toDouble() / scale * 1000.0;
    if (!std::isfinite(ripple))
        return;
    setOwn(channelName("IRIPPLE%1", channel), ripple);
    calculateIAVERAGE(channel);
}

// Average current: peak less half the ripple, rounded to an integer with halves upward.
void Board::calculateIAVERAGE(int channel)
{
    const double peak = get(channelName("IPEAK%1", channel), Variable::InternalKey).toDouble();
    const double ripple = get(channelName("IRIPPLE%1", channel), Variable::InternalKey).toDouble();
    const double average = std::floor(peak - 0.5 * ripple + 0.5);
    setOwn(channelName("IAVERAGE%1", channel), int(average));
}
