#include "spiexchange.h"

#include "controlboard.h"

#include <cmath>

namespace
{

constexpr int CountDigits = 2;

} // namespace

bool SpiExchange::isHexText(const QByteArray &text)
{
    for (const char c : text) {
        const bool digit =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!digit)
            return false;
    }
    return true;
}

QByteArray SpiExchange::dataText(const QByteArray &bytes)
{
    return QByteArray::number(int(bytes.size()) & 0xFF, 16).rightJustified(CountDigits, '0') +
           bytes.toHex();
}

bool SpiExchange::wordOfAnswer(const QByteArray &value, int bits, quint32 *word)
{
    const QByteArray digits = value.mid(CountDigits);
    if (digits.isEmpty() || digits.size() > bits / 4 || !isHexText(digits))
        return false;
    *word = digits.toUInt(nullptr, 16); // at most eight digits: always fits
    return true;
}

bool SpiExchange::transfer(ControlBoard *link, const QString &variable, const QByteArray &text,
                           int bits, quint32 *word)
{
    if (!link || !link->setValue(variable, text))
        return false;
    QByteArray answer; // stays empty when the board's token carries no value
    if (!link->getValue(variable, &answer))
        return false;
    return wordOfAnswer(answer, bits, word);
}

QByteArray SpiExchange::speedCommand(const QString &chipSelect, double kHz)
{
    const long long hertz = std::llround(kHz * 1000.0);
    return QStringLiteral("set %1SPEED=%2").arg(chipSelect).arg(hertz).toLatin1();
}
