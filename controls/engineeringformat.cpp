#include "engineeringformat.h"

#include <QtGlobal>
#include <cmath>

namespace CustomControls::EngineeringFormat
{

namespace
{
constexpr double Factors[PrefixCount] = {1e9, 1e6, 1e3, 1.0, 1e-3, 1e-6, 1e-9, 1e-12};

int clampIndex(int index)
{
    return qBound(0, index, PrefixCount - 1);
}
} // namespace

QChar letter(int index)
{
    return QChar::fromLatin1(Letters[clampIndex(index)]);
}

double factor(int index)
{
    return Factors[clampIndex(index)];
}

int prefixIndexOfText(const QString &text)
{
    int result = NoPrefix;
    for (int index = 0; index < PrefixCount; ++index) {
        if (text.contains(letter(index)))
            result = index;
    }
    return result;
}

int prefixIndexOfValue(double value)
{
    const double magnitude = std::fabs(value);
    for (int index = 0; index < PrefixCount; ++index) {
        if (Factors[index] <= magnitude)
            return index;
    }
    return NoPrefix;
}

} // namespace CustomControls::EngineeringFormat
