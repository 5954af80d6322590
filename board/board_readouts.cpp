// The status page: raw measurement codes of the matrix chip shown as physical values.
#include "board.h"

#include "ui_board.h"

namespace
{

// The code of a raw edit: its text as an unsigned decimal number, modulo 256 (0 when it is
// no number).
unsigned rawCode(const QString &text)
{
    return text.toUInt() % 256;
}

QString volts(const QString &text, double fullScale, int decimals)
{
    return QString::number(rawCode(text) * fullScale / 255, 'f', decimals);
}

} // namespace

void Board::on_leREG11_15_8_textChanged(const QString &text)
{
    ui->leVDD->setText(volts(text, 4, 1));
}

void Board::on_leREG12_7_0_textChanged(const QString &text)
{
    ui->leVBB->setText(volts(text, 35, 1));
}

void Board::on_leREG11_23_16_textChanged(const QString &text)
{
    ui->leADCX->setText(volts(text, 1.205, 3));
}

void Board::on_leREG12_15_8_textChanged(const QString &text)
{
    ui->leVLED->setText(volts(text, 66.1, 1));
}

// The temperature scale is calibrated by the chip's TSD code; a code without any of its low
// seven bits set stands for the default calibration (divisor 377).
void Board::on_leREG11_7_0_textChanged(const QString &text)
{
    const unsigned tsd = ui->leREG12_23_16->text().toUInt();
    const float divisor = (tsd & 0x7F) ? float(tsd % 256) + 184.0f : 377.0f;
    const float celsius = (float(rawCode(text)) + 184.0f) / divisor * 443.0f - 273.0f;
    ui->leTemp->setText(QString::number(double(celsius), 'f', 1));
}
