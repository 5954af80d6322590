// The matrix controls around the switch sliders: the position-mode check boxes, a switch
// slider's move, the all-switches slider, all on and all off, and the status hint.
#include "board.h"

#include "boardglobals.h"
#include "slider.h"
#include "ui_board.h"
#include "variable.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

namespace
{

constexpr int MaxDuty = 1023;
constexpr int MaxAddress = 31;

} // namespace

// ---------------------------------------------------------------- position modes

void Board::rewirePositionSlider(int maximum)
{
    QSlider *position = ui->slHorizontal;
    // While disconnected, the new range and value do not move the pattern.
    disconnect(position, nullptr, this, nullptr);
    position->setMaximum(maximum);
    position->setValue(maximum / 2);
    connectPositionSlider();
}

void Board::on_cbByRow_clicked(bool checked)
{
    if (!checked) {
        ui->cbByRow->setChecked(false);
        return;
    }
    rewirePositionSlider(activeSwitchCount);
    ui->cbBySW->setChecked(false);
    ui->cbByRowIndependent->setChecked(false);
}

void Board::on_cbBySW_clicked(bool checked)
{
    if (checked) {
        rewirePositionSlider(maxRowSwitches * ui->cbStepping->currentText().toInt());
        ui->cbByRow->setChecked(false);
        ui->cbByRowIndependent->setChecked(false);
    } else {
        ui->cbBySW->setChecked(false);
    }
    addressChangedSlot();
}

void Board::on_cbByRowIndependent_clicked(bool checked)
{
    if (!checked) {
        ui->cbByRowIndependent->setChecked(false);
        return;
    }
    if (!rowLayoutBuilt)
        relayoutMatrix();
    rewirePositionSlider(maxRowSwitches);
    ui->cbByRow->setChecked(false);
    ui->cbBySW->setChecked(false);
}

void Board::on_cbExtended_clicked(bool checked)
{
    if (checked && !rowLayoutBuilt)
        relayoutMatrix();
}

// ---------------------------------------------------------------- switch duties

void Board::SWMoved(int value)
{
    auto *slider = qobject_cast<CustomControls::Slider *>(sender());
    if (!slider)
        return;
    const int n = quint8(slider->objectName().mid(2).toInt());
    // A slider that follows the model has nothing to write back.
    if (recordSwitchDuty(n, value) && !holdsDuty(quint8(n), quint16(value)))
        setDcRegister(quint8(n), quint16(value));
    if (ui->cbAutoupdate->isChecked() && !isRefreshing())
        sendTimer->start(LiveSendDelayMs);
    addressChangedSlot();
}

bool Board::recordSwitchDuty(int switchNumber, int value)
{
    const int place = switchSequence.indexOf(switchNumber); // as long as the profile
    if (switchNumber < 1 || switchNumber > dutyBySwitch.size() || place < 0)
        return false;
    dutyBySwitch[switchNumber - 1] = value;
    profile[place] = value;
    if (!ui->cbByRowIndependent->isChecked())
        return true;
    // The last row holding the switch wins; a switch found nowhere lands on row 0, place 0.
    int row = 0;
    int rowPlace = 0;
    const int lead = 2 * maxRowSwitches;
    for (int r = 0; r < rowSequences.size(); ++r) {
        const QVector<int> &sequence = rowSequences.at(r);
        const int end = qMin<int>(lead + rowSwitchCount.value(r), sequence.size());
        for (int p = lead; p < end; ++p)
            if (sequence.at(p) == switchNumber) {
                row = r;
                rowPlace = p;
                break;
            }
    }
    if (row < rowScratch.size() && rowPlace < rowScratch.at(row).size())
        rowScratch[row][rowPlace] = value;
    return true;
}

void Board::on_slAll_valueChanged(int value)
{
    if (activeSwitchCount == 0)
        return;
    dutyBySwitch.fill(value);
}

// The all-switches slider shows DCALL: its moves go through the variable.
void Board::setAllDuty(int duty)
{
    set(QStringLiteral("DCALL"), duty, Variable::InternalKey);
}

void Board::on_spAllDC_editingFinished()
{
    setAllDuty(ui->spAllDC->value());
}

void Board::allOn()
{
    setAllDuty(MaxDuty);
    // As the user's action: the switch sliders follow and their handling sends the duties.
    runAsEdit([]() { boardGlobals().DCREG.fill(1); });
    dutyBySwitch.fill(MaxDuty);
    profile.fill(MaxDuty);
    if (!ui->cbByRowIndependent->isChecked() || !rowLayoutBuilt)
        return;
    const int lead = 2 * maxRowSwitches;
    for (int r = 0; r < rowScratch.size(); ++r) { // one line a row of the built layout
        QVector<int> &scratch = rowScratch[r];
        const int end = qMin<int>(lead + rowSwitchCount.value(r), scratch.size());
        for (int p = lead; p < end; ++p)
            scratch[p] = MaxDuty;
    }
}

// In row-independent mode only the rows whose vectors exist are cleared.
void Board::allOff()
{
    setAllDuty(0);
    set(QStringLiteral("DCREG[]"), 0, Variable::InternalKey);
    dutyBySwitch.fill(0);
    profile.fill(0);
    if (!ui->cbByRowIndependent->isChecked())
        return;
    for (QVector<int> &line : rowScratch)
        line.fill(0);
}

// ---------------------------------------------------------------- status hint

void Board::addressChangedSlot()
{
    bool addressMissing = false;
    bool modeInvalid = false;
    for (const DeviceRow &row : std::as_const(deviceRows)) {
        const auto *edit = static_cast<QLineEdit *>(row.widgets.at(0));
        addressMissing |= quint8(edit->text().toInt()) > MaxAddress; // -1 reads 255
        modeInvalid |= static_cast<QComboBox *>(row.widgets.at(4))->currentIndex() == 0;
    }
    QString hint;
    if (addressMissing)
        hint += QStringLiteral("Set the device addresses (0-31);");
    if (modeInvalid)
        hint += QStringLiteral(" At least one device is not valid (OPMODE);");
    if (!ui->cbBUCK1EN->isChecked() && !ui->cbBUCK2EN->isChecked())
        hint += QStringLiteral(" Enable at least one buck;");
    if (ui->cbBySW->isChecked())
        hint += QStringLiteral(" Consider if you need to press the reset button;");
    // setText keeps no undo history: the hint is refreshed on every buck or address change.
    // An unchanged hint is left as it stands: laying its text out again costs every movement.
    if (ui->leInfoBox->text() != hint)
        ui->leInfoBox->setText(hint);
}
