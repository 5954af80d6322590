// The KVL52404 page: each control edits one field of the register map and writes the map word
// of that field's address to the chip. A refresh of the map's controls sends nothing, nor does a
// write of the map by name; a dial being dragged writes when it is released, a dial's key or
// wheel step when the step is done.
#include "board.h"

#include "applethost.h"
#include "boardglobals.h"
#include "controlboard.h"
#include "driverboarddescription.h"
#include "ui_board.h"
#include "variable.h"

#include <QTimer>

namespace
{

// Full-scale current in mA of the range codes 0..3.
const float RangeFullScale[4] = {200.0f, 400.0f, 800.0f, 1600.0f};

constexpr int MapWordBits = 21;
constexpr int BoostControlAddress = 18;
constexpr int BoostClockAddress = 17;
constexpr int BuckEnableAddress = 13;
// Per channel: average-current and range word, frequency word, dimming word.
constexpr int BuckCurrentAddress[2] = {1, 5};
constexpr int BuckFrequencyAddress[2] = {2, 6};
constexpr int BuckDimAddress[2] = {3, 7};

constexpr double BoostVoltsBase = 9.7;
constexpr double BoostVoltsPerCode = 52.3 / 127;

QString buckField(int channel, const char *suffix)
{
    return QStringLiteral("[BUCK%1_%2]").arg(channel).arg(QLatin1String(suffix));
}

struct P404Default {
    const char *field;
    quint32 value;
};

const P404Default Defaults[] = {
    {"BUCK1_IAVG", 128},  {"BUCK2_IAVG", 128},    {"BUCK1_IRNG", 0},       {"BUCK2_IRNG", 0},
    {"BUCK1_FREQ", 20},   {"BUCK2_FREQ", 20},     {"BUCK1_DIM_DUTY", 255}, {"BUCK2_DIM_DUTY", 255},
    {"BUCK1_EN", 0},      {"BUCK2_EN", 0},        {"BST1_VLIM_THR", 21},   {"BST2_VLIM_THR", 21},
    {"BST1_SLP_CTRL", 4}, {"BST2_SLP_CTRL", 4},   {"BST1_COMP_DIV", 4},    {"BST2_COMP_DIV", 4},
    {"BST_SRC", 1},       {"BST1_EN", 1},         {"BST2_EN", 1},          {"BST_SRC_FREQ", 12},
    {"BST_OTA_GAIN", 2},  {"BST_VSETPOINT", 100}, {"BST_SOFTSTART", 4},
};

const char *const DefaultAddresses[] = {"1", "2", "3", "5", "6", "7", "13", "14", "15", "17", "18"};

} // namespace

// Each dial's release writes its word, connected once here (no signal carries that name,
// so these slots stay out of the by-name connection).
void Board::connectPowerDials()
{
    connect(ui->dialVBOOST, &QAbstractSlider::sliderReleased, this,
            &Board::slot_dialVBOOSTReleased);
    connect(ui->dialBCK1AVG, &QAbstractSlider::sliderReleased, this,
            &Board::slot_dialBCK1AVGReleased);
    connect(ui->dialBCK2AVG, &QAbstractSlider::sliderReleased, this,
            &Board::slot_dialBCK2AVGReleased);
}

// Only a user's action on the tab's own controls writes its word: a refresh of the controls and
// a write by name (kept in the map until Write names its word) send nothing.
bool Board::isControlEdit() const
{
    return !isRefreshing() && !isWriteByName();
}

bool Board::writeP404Address(int address)
{
    return isControlEdit() && MemoryWrite({QString::number(address)});
}

// The map's words lie one after the other, 21 bits each, address 0 lowest.
quint32 Board::p404Word(int address)
{
    const int low = address * MapWordBits;
    return SPI_MAPP404.getField(QStringLiteral("[%1:%2]").arg(low + MapWordBits - 1).arg(low));
}

// The control writes the field's word itself (a dial when released): the device hook leaves the
// map alone meanwhile.
void Board::editP404Field(const QString &field, quint32 value)
{
    if (!isControlEdit())
        return;
    const QString map = SPI_MAPP404.name();
    busyItems.append(map);
    SPI_MAPP404.setField(field, value);
    busyItems.removeOne(map);
}

void Board::setP404Field(const char *field, int value, int address)
{
    editP404Field(QStringLiteral("[%1]").arg(QLatin1String(field)), quint32(value));
    writeP404Address(address);
}

// A combo's choice: the user's, never a refresh's or a write by name's.
void Board::chooseP404Field(const char *field, int index, int address)
{
    if (isControlEdit() && index >= 0)
        setP404Field(field, index, address);
}

// A step of a dial by key or wheel writes its word once the step is done. A press on the dial
// turns it before it counts as held: its word waits for the release then.
void Board::writeAfterDialStep(QAbstractSlider *dial, int address)
{
    if (!isControlEdit() || dial->isSliderDown() || p404DialSteps.contains(address))
        return;
    p404DialSteps.insert(address);
    QTimer::singleShot(0, dial, [this, dial, address]() {
        p404DialSteps.remove(address);
        if (!dial->isSliderDown())
            writeP404Address(address);
    });
}

void Board::on_dialVBOOST_valueChanged(int code)
{
    editP404Field(QStringLiteral("[BST_VSETPOINT]"), quint32(code));
    writeAfterDialStep(ui->dialVBOOST, BoostControlAddress);
    setP404BoostVoltage(code);
    updateBuckPlot();
}

void Board::setP404BoostVoltage(int code)
{
    const float volts = float(BoostVoltsBase + code * BoostVoltsPerCode);
    set(QStringLiteral("BoostVoltage"), double(volts), Variable::InternalKey);
}

// What the page computes from a map word it has just read or written: the boost set point's
// voltage and a buck channel's average current. A refresh of the controls computes nothing.
void Board::followP404Word(int address)
{
    if (address == BoostControlAddress)
        setP404BoostVoltage(int(SPI_MAPP404.getField(QStringLiteral("[BST_VSETPOINT]"))));
    for (int channel : {1, 2})
        if (address == BuckCurrentAddress[channel - 1])
            calculateBuckAverage(channel);
}

void Board::slot_dialVBOOSTReleased()
{
    writeP404Address(BoostControlAddress);
}

void Board::on_cbBST1EN_clicked(bool checked)
{
    setP404Field("BST1_EN", checked, BoostControlAddress);
}

void Board::on_cbBST2EN_clicked(bool checked)
{
    setP404Field("BST2_EN", checked, BoostControlAddress);
}

void Board::on_cmBSTSOFTSTART_currentIndexChanged(int index)
{
    chooseP404Field("BST_SOFTSTART", index, BoostControlAddress);
}

void Board::on_cmBSTSRC_currentIndexChanged(int index)
{
    chooseP404Field("BST_SRC", index, BoostClockAddress);
}

void Board::on_cmBSTSRCFREQ_currentIndexChanged(int index)
{
    chooseP404Field("BST_SRC_FREQ", index, BoostClockAddress);
}

// Average current of a channel from its code and range; a range above 3 gives 0.
void Board::calculateBuckAverage(int channel)
{
    const quint32 range = SPI_MAPP404.getField(buckField(channel, "IRNG"));
    const float scale = range > 3 ? 0.0f : RangeFullScale[range] / 255;
    const float average = float(SPI_MAPP404.getField(buckField(channel, "IAVG"))) * scale;
    set(QStringLiteral("IAVERAGE%1").arg(channel), double(average), Variable::InternalKey);
    updateBuckPlot();
}

void Board::calculateBUCK1_I_AVG()
{
    calculateBuckAverage(1);
}

void Board::calculateBUCK2_I_AVG()
{
    calculateBuckAverage(2);
}

void Board::on_dialBCK1AVG_valueChanged(int code)
{
    editP404Field(buckField(1, "IAVG"), quint32(code));
    writeAfterDialStep(ui->dialBCK1AVG, BuckCurrentAddress[0]);
    calculateBuckAverage(1);
}

void Board::on_dialBCK2AVG_valueChanged(int code)
{
    editP404Field(buckField(2, "IAVG"), quint32(code));
    writeAfterDialStep(ui->dialBCK2AVG, BuckCurrentAddress[1]);
    calculateBuckAverage(2);
}

void Board::slot_dialBCK1AVGReleased()
{
    writeP404Address(BuckCurrentAddress[0]);
}

void Board::slot_dialBCK2AVGReleased()
{
    writeP404Address(BuckCurrentAddress[1]);
}

// A spin box of a buck channel, the user's change only. A value change writes only when the map
// does not hold the value yet (the box's binding writes the map when its editing ends). The end
// of an edit commits the box's value, once: a word the chip holds as far as the page knows (the
// page wrote it since the set-up, the last reset or defaults, and nobody read or rewrote it
// since) does not go again. The range also changes the average current.
void Board::buckSpinChanged(int channel, bool range, int value, bool onlyWhenChanged)
{
    const QString field = buckField(channel, range ? "IRNG" : "DIM_DUTY");
    const bool held = quint32(value) == SPI_MAPP404.getField(field);
    if (!isControlEdit() || (onlyWhenChanged && held))
        return;
    editP404Field(field, quint32(value));
    if (range)
        calculateBuckAverage(channel);
    const int address = range ? BuckCurrentAddress[channel - 1] : BuckDimAddress[channel - 1];
    forgetP404WordsAfterOthersFrames();
    const auto sent = p404WordsSent.constFind(address);
    if (sent != p404WordsSent.cend() && *sent == p404Word(address))
        return;
    writeP404Address(address);
}

void Board::on_sbBCK1RANGE_valueChanged(int value)
{
    buckSpinChanged(1, true, value, true);
}

void Board::on_sbBCK2RANGE_valueChanged(int value)
{
    buckSpinChanged(2, true, value, true);
}

void Board::on_sbBCK1RANGE_editingFinished()
{
    buckSpinChanged(1, true, ui->sbBCK1RANGE->value(), false);
}

void Board::on_sbBCK2RANGE_editingFinished()
{
    buckSpinChanged(2, true, ui->sbBCK2RANGE->value(), false);
}

void Board::on_sbBCK1DIMDUTY_valueChanged(int value)
{
    buckSpinChanged(1, false, value, true);
}

void Board::on_sbBCK2DIMDUTY_valueChanged(int value)
{
    buckSpinChanged(2, false, value, true);
}

void Board::on_sbBCK1DIMDUTY_editingFinished()
{
    buckSpinChanged(1, false, ui->sbBCK1DIMDUTY->value(), false);
}

void Board::on_sbBCK2DIMDUTY_editingFinished()
{
    buckSpinChanged(2, false, ui->sbBCK2DIMDUTY->value(), false);
}

void Board::on_cmBCK1FREQ_currentIndexChanged(int index)
{
    chooseP404Field("BUCK1_FREQ", index, BuckFrequencyAddress[0]);
    updateBuckPlot();
}

void Board::on_cmBCK2FREQ_currentIndexChanged(int index)
{
    chooseP404Field("BUCK2_FREQ", index, BuckFrequencyAddress[1]);
    updateBuckPlot();
}

void Board::buckEnableP404(int channel, bool checked)
{
    editP404Field(buckField(channel, "EN"), checked);
    writeP404Address(BuckEnableAddress);
    (channel == 1 ? ui->cbBUCK1EN : ui->cbBUCK2EN)->setChecked(checked);
    addressChangedSlot();
}

void Board::on_cbBUCK1EN_P404_clicked(bool checked)
{
    buckEnableP404(1, checked);
}

void Board::on_cbBUCK2EN_P404_clicked(bool checked)
{
    buckEnableP404(2, checked);
}

// The driver whose bucks the Application page's boxes switch: the KVL52205 on the mock-up.
QString Board::buckDriver() const
{
    if (currentPort() == QLatin1String("mockup"))
        return QStringLiteral("KVL52205");
    const QString driver = DriverBoardDescription().chipTypeName(quint32(driverConfig.chipCode));
    return driver == QLatin1String("KVL52404BUCK") ? QStringLiteral("KVL52404") : driver;
}

// The Application page's buck enables go to whichever driver the board carries.
void Board::buckEnableFromApplication(int channel, bool checked)
{
    const QString driver = buckDriver();
    if (driver == QLatin1String("KVL52404"))
        buckEnableP404(channel, checked);
    else if (driver == QLatin1String("KVL52205"))
        channel == 1 ? on_cbEN1_toggled(checked) : on_cbEN2_toggled(checked);
}

// The Application page's buck boxes are bound to no item: they show the enables of the driver
// they switch, and the status hint follows them.
void Board::showBuckEnables()
{
    const bool p404 = buckDriver() == QLatin1String("KVL52404");
    const BoardGlobals &g = boardGlobals();
    for (int channel : {1, 2}) {
        const quint32 on =
            p404 ? SPI_MAPP404.getField(buckField(channel, "EN"))
                 : (channel == 1 ? g.BUCK1 : g.BUCK2).getField(QStringLiteral("[EN]"));
        (channel == 1 ? ui->cbBUCK1EN : ui->cbBUCK2EN)->setChecked(on != 0);
    }
    addressChangedSlot();
}

void Board::on_cbBUCK1EN_clicked(bool checked)
{
    buckEnableFromApplication(1, checked);
}

void Board::on_cbBUCK2EN_clicked(bool checked)
{
    buckEnableFromApplication(2, checked);
}

// Fading from the last stop level to the new one: levels, delay and shift as two hexadecimal
// digits each. The next fade starts where this one stops.
void Board::on_pushButton_clicked()
{
    const quint8 stop = quint8(ui->sbFaddingStop->value());
    QByteArray command = QByteArrayLiteral("set P404FADDING=");
    for (int part : {int(lastFadingLevel), int(stop), ui->cmDelay->currentIndex(),
                     ui->cmShift->currentIndex()})
        command += QByteArray::number(quint8(part), 16).rightJustified(2, '0');
    if (ControlBoard *link = AppletHost::instance()->controlBoard())
        link->send(command, nullptr);
    lastFadingLevel = stop;
}

// The defaults are written whatever the page thinks the chip holds.
void Board::writeP404Defaults()
{
    forgetP404Words();
    for (const P404Default &d : Defaults)
        SPI_MAPP404.setField(QStringLiteral("[%1]").arg(QLatin1String(d.field)), d.value);
    QStringList addresses;
    for (const char *address : DefaultAddresses)
        addresses << QLatin1String(address);
    MemoryWrite(addresses);
    for (const QString &address : std::as_const(addresses))
        followP404Word(address.toInt());
    slot_updateControls(&SPI_MAPP404);
}
