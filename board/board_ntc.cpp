// The NTC temperatures at the devices of the current script: each device's ADC input is
// selected, its ADC results are read, and the thermistor's voltage divider gives degrees
// Celsius.
#include "board.h"

#include "csvreader.h"
#include "ui_board.h"
#include "variable.h"

#include <QLineEdit>
#include <QtMath>

namespace
{

constexpr unsigned MaxSlaveAddress = 31;
constexpr int ResultFields = 12;
constexpr int AdcControlWord = 13;
constexpr int AdcResultWord = 17;
constexpr int AdcInputSelect = 2;

// The thermistor against its 10 kOhm fixed resistor: B 3455 K, 10 kOhm at 25 degrees.
constexpr float FixedResistor = 10000.0f;
constexpr float NominalResistance = 10000.0f;
constexpr float BetaKelvin = 3455.0f;
constexpr double InverseNominalKelvin = 0.0033540164346805303; // 1 / 298.15
constexpr double KelvinOffset = 273.15;

double celsius(double vdd, double adcx)
{
    const double resistance = adcx * FixedResistor / (vdd - adcx);
    return 1.0 / (qLn(resistance / NominalResistance) / BetaKelvin + InverseNominalKelvin) -
           KelvinOffset;
}

} // namespace

void Board::on_pbReadNTCs_clicked()
{
    const QStringList addresses = currentScript->addresses;
    for (int p = 1; p <= addresses.size(); ++p) {
        // Text that is no number reads as device 0: toUInt gives 0 for it.
        const unsigned address = addresses.at(p - 1).trimmed().toUInt(nullptr, 10);
        if (address <= MaxSlaveAddress)
            readNtcOf(int(address), p);
    }
}

// Reads the device at address and shows its temperature in result field number field (none
// beyond the twelfth).
void Board::readNtcOf(int address, int field)
{
    set(QStringLiteral("SA"), address, Variable::InternalKey);
    readBankRegister(AdcControlWord);
    set(QStringLiteral("BANK[ADC_SEL]"), AdcInputSelect, Variable::InternalKey);
    writeBankRegister(AdcControlWord, 1);
    readBankRegister(AdcResultWord);
    const double temperature = celsius(ui->leVDD->text().toDouble(), ui->leADCX->text().toDouble());
    if (field > ResultFields)
        return;
    if (auto *edit = findChild<QLineEdit *>(QStringLiteral("leNTC_%1").arg(field)))
        edit->setText(QString::number(temperature, 'f', 1) + QStringLiteral(" °C"));
}
