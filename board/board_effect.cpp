// The running-light effect: a timer steps the position slider to the left or to the right.
#include "board.h"

#include "heldinput.h"
#include "ui_board.h"

#include <QTimer>

namespace
{
// The shortest and longest effect intervals in ms; the edit lets shorter texts stand while
// they are typed.
constexpr int ShortestInterval = 70;
constexpr int LongestInterval = 9999;
} // namespace

void Board::initEffects()
{
    connect(effectTimer, &QTimer::timeout, this, &Board::slotEffectTimer);
}

int Board::effectInterval() const
{
    const int ms = int(ui->leEffectTime->text().toUInt());
    return qBound(ShortestInterval, ms, LongestInterval);
}

void Board::on_cbLeft_clicked(bool checked)
{
    if (checked)
        ui->cbRight->setChecked(false);
}

void Board::on_cbRight_clicked(bool checked)
{
    if (checked)
        ui->cbLeft->setChecked(false);
}

// Starts the effect when a direction is chosen; otherwise the effect stops and S is unchecked.
void Board::on_cbStart_clicked(bool checked)
{
    if (checked && (ui->cbLeft->isChecked() || ui->cbRight->isChecked())) {
        effectTimer->start(effectInterval());
        return;
    }
    effectTimer->stop();
    ui->cbStart->setChecked(false);
}

// One step of the slider; at its end it wraps around to the other end. Both settings are
// measured against the value at the start of the tick, so the wrap moves one place and back.
void Board::slotEffectTimer()
{
    if (HeldInput::isBusy()) // a step within another command's pause would send inside it
        return;
    QSlider *slider = ui->slHorizontal;
    const int value = slider->value();
    const int step = slider->singleStep();
    lastPosition = quint16(value);
    if (ui->cbLeft->isChecked()) {
        slider->setValue(value - step);
        if (slider->value() == slider->minimum())
            slider->setValue(slider->maximum());
    } else if (ui->cbRight->isChecked()) {
        slider->setValue(value + step);
        if (slider->value() == slider->maximum())
            slider->setValue(slider->minimum());
    }
    lastPosition = quint16(slider->value());
}
