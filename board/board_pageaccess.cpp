// What the board page offers the matrix-chip tools: the device rows' addresses and the buck
// switches of the KVL52205 driver.
#include "board.h"

#include "ui_board.h"
#include "variable.h"

#include <QCheckBox>
#include <QLineEdit>

QStringList Board::deviceAddressTexts() const
{
    QStringList texts;
    for (const DeviceRow &row : deviceRows)
        if (auto *edit = qobject_cast<QLineEdit *>(row.widgets.value(0)))
            texts << edit->text();
    return texts;
}

void Board::setBuck1Enabled(bool on)
{
    setBuckEnabled(1, on);
}

void Board::setBuck2Enabled(bool on)
{
    setBuckEnabled(2, on);
}

// Both bucks share driver register 6 (buck 1 enable in bit 1, buck 2 in bit 0): the edit of
// the enable sends the cached word whole. A refresh of the controls only shows the state.
void Board::setBuckEnabled(int channel, bool on)
{
    set(QStringLiteral("BUCK%1[EN]").arg(channel), on ? 1 : 0, Variable::InternalKey);
    (channel == 1 ? ui->cbBUCK1EN : ui->cbBUCK2EN)->setChecked(on);
    addressChangedSlot();
}
