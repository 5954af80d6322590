// Pixel duties through the DCREG fields, and the position slider that moves the light pattern.
#include "board.h"

#include "boardglobals.h"
#include "matrixmotion.h"
#include "ui_board.h"
#include "variable.h"

#include <QComboBox>
#include <QSlider>
#include <QTimer>
#include <QtGlobal>

namespace
{

constexpr quint16 MaxDuty = 1023;
constexpr quint8 MaxSwitchNumber = 144;

// Every movement writes them all: made once.
const QString &dutyFieldName(quint8 switchNumber)
{
    static const QStringList names = []() {
        QStringList list;
        for (int n = 0; n <= MaxSwitchNumber; ++n)
            list.append(QStringLiteral("DCREG[SW%1]").arg(n));
        return list;
    }();
    return names.at(qMin(switchNumber, MaxSwitchNumber));
}

} // namespace

// Writes one pixel duty through the page's own binding, so the switch slider and the board
// follow. A switch without a DCREG field fails without a message.
bool Board::setDcRegister(quint8 switchNumber, quint16 value)
{
    return set(dutyFieldName(switchNumber), uint(qMin(value, MaxDuty)), Variable::InternalKey);
}

bool Board::holdsDuty(quint8 switchNumber, quint16 value) const
{
    return boardGlobals().DCREG.getField(dutyFieldName(switchNumber)) == qMin(value, MaxDuty);
}

quint16 Board::dcRegister(quint8 switchNumber)
{
    return quint16(get(dutyFieldName(switchNumber), Variable::InternalKey).toUInt());
}

namespace
{

// The position mode chosen by the four mode boxes; the extended box selects the extended
// variant of the checked mode.
MatrixMotion::Mode positionMode(const Ui::Board &ui)
{
    using Mode = MatrixMotion::Mode;
    const bool extended = ui.cbExtended->isChecked();
    if (ui.cbBySW->isChecked())
        return extended ? Mode::ExtendedSwitch : Mode::Switch;
    if (ui.cbByRow->isChecked())
        return extended ? Mode::ExtendedRow : Mode::Row;
    if (ui.cbByRowIndependent->isChecked())
        return extended ? Mode::ExtendedRowIndependent : Mode::RowIndependent;
    return Mode::None;
}

// The stepping combo's number; a text that is no positive number counts as 1.
int steppingOf(const QString &text)
{
    return qMax(1, text.toInt());
}

} // namespace

// Each movement of the position slider moves the pattern by one place (or one sub-step),
// whatever the size of the jump; its sign gives the direction.
void Board::on_slHorizontal_valueChanged(int value)
{
    if (value == int(lastPosition))
        return;
    const MatrixMotion::Buffers buffers{
        dutyBySwitch,   profile,      profileTarget,  subStep,           rowScratch,
        switchSequence, rowSequences, rowSwitchCount, activeSwitchCount, maxRowSwitches};
    MatrixMotion motion(buffers, [this](int switchNumber, int duty) {
        setDcRegister(quint8(switchNumber), quint16(duty));
    });
    motion.move(positionMode(*ui), value > int(lastPosition),
                steppingOf(ui->cbStepping->currentText()));
}

// The reference position follows drags and releases only, so clicks and keys on the slider
// move the pattern one place each.
void Board::on_slHorizontal_actionTriggered(int action)
{
    if (action == QAbstractSlider::SliderMove)
        lastPosition = quint16(ui->slHorizontal->value());
}

void Board::on_slHorizontal_sliderReleased()
{
    lastPosition = quint16(ui->slHorizontal->value());
}

// Turned on, the live update sends the duties the page shows.
void Board::on_cbAutoupdate_clicked(bool checked)
{
    ui->pbUpdate->setEnabled(!checked);
    if (checked && !isRefreshing())
        sendTimer->start(LiveSendDelayMs);
}

void Board::on_pbReset_clicked()
{
    applyStepping(ui->cbStepping->currentText());
}

void Board::steppingChanged(const QString &text)
{
    applyStepping(text);
}

// The stepping combo has no slot connected by name: its text signal is connected here.
void Board::connectMotionControls()
{
    connect(ui->cbStepping, &QComboBox::currentTextChanged, this, &Board::steppingChanged);
}

// Gives the position slider the range of the stepping without moving the pattern, and takes
// the current profile as the pattern the extended switch mode moves.
void Board::applyStepping(const QString &text)
{
    disconnect(ui->slHorizontal, nullptr, this, nullptr);
    const int stepping = steppingOf(text);
    if (ui->cbByRow->isChecked() || ui->cbBySW->isChecked())
        ui->slHorizontal->setMaximum(activeSwitchCount * stepping);
    else if (ui->cbByRowIndependent->isChecked())
        ui->slHorizontal->setMaximum(2 * maxRowSwitches * stepping);
    connectPositionSlider();
    profileTarget = profile;
    subStep = 0;
}

void Board::connectPositionSlider()
{
    QSlider *slider = ui->slHorizontal;
    connect(slider, &QSlider::actionTriggered, this, &Board::on_slHorizontal_actionTriggered,
            Qt::UniqueConnection);
    connect(slider, &QSlider::valueChanged, this, &Board::on_slHorizontal_valueChanged,
            Qt::UniqueConnection);
    connect(slider, &QSlider::sliderReleased, this, &Board::on_slHorizontal_sliderReleased,
            Qt::UniqueConnection);
}
