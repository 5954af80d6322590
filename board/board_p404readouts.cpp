// KVL52404 voltage readouts: the boost voltage and the two LED voltages, read from the chip's
// map words and shown in volts.
#include "board.h"

#include "variable.h"

namespace
{

constexpr double FullRangeVolts = 35.0 / 256; // per code
constexpr double HalfRangeVolts = 35.0 / 512; // per code, with VLEDn_RNG set

} // namespace

// A failed read leaves the shown voltage as it was.
bool Board::readVBoost()
{
    if (!MemoryRead({QStringLiteral("55")}))
        return false;
    const quint32 code = SPI_MAPP404.getField(QStringLiteral("[VBST]"));
    set(QStringLiteral("BoostVoltageMeas"), double(float(code * FullRangeVolts)),
        Variable::InternalKey);
    updateBuckPlot();
    return true;
}

bool Board::readVLed(int channel)
{
    if (channel != 1 && channel != 2)
        return false;
    const bool one = channel == 1;
    const QStringList words = one ? QStringList{QStringLiteral("2"), QStringLiteral("35")}
                                  : QStringList{QStringLiteral("6"), QStringLiteral("42")};
    if (!MemoryRead(words))
        return false;
    const QString n = QString::number(channel);
    const bool halfRange = SPI_MAPP404.getField(QStringLiteral("[VLED%1_RNG]").arg(n)) == 1;
    const quint32 code = SPI_MAPP404.getField(QStringLiteral("[VLED%1]").arg(n));
    const double volts = code * (halfRange ? HalfRangeVolts : FullRangeVolts);
    set(QStringLiteral("VLED%1").arg(n), double(float(volts)), Variable::InternalKey);
    return true;
}

void Board::on_pbBCK1VLED_clicked()
{
    MemoryRead({QStringLiteral("35")});
    updateBuckPlot();
}

void Board::on_pbBCK2VLED_clicked()
{
    MemoryRead({QStringLiteral("42")});
    updateBuckPlot();
}
