#include "phasecalculator.h"

#include "boardlog.h"

#include <cstring>

namespace
{

constexpr int ModeCount = 21;
constexpr int LastCount = 1023;
constexpr int PeriodCounts = 1024;

// Spacing = first factor * second factor; offset = 12 * second factor.
constexpr int FirstFactor[ModeCount] = {41, 41, 41, 41, 41, 41, 41, 41, 20, 20, 20,
                                        20, 20, 20, 20, 20, 9,  9,  9,  9,  4};
constexpr int SecondFactor[ModeCount] = {2, 2, 2, 2, 2, 2, 2, 2, 4, 4, 4,
                                         4, 4, 4, 4, 4, 8, 8, 8, 8, 16};
constexpr int Offset[ModeCount] = {24, 24, 24, 24, 24, 24, 24, 24, 48, 48, 48,
                                   48, 48, 48, 48, 48, 96, 96, 96, 96, 192};

} // namespace

void PhaseCalculator::reset()
{
    std::memset(work, 0, sizeof work);
    std::memset(tail, 0, sizeof tail);
}

int PhaseCalculator::computePhases(int n, int mode, int *duty, int *start, int *end, int *index)
{
    if (mode < 0 || mode >= ModeCount) {
        qCDebug(lcBoard) << "PhaseCalculator: no phase table for mode" << mode << "- using mode 0";
        mode = 0;
    }
    for (int i = 0; i < n; ++i) {
        const int dark = duty[i] > LastCount ? 0 : LastCount - qMax(duty[i], 0);
        index[i] = i;
        if (dark == LastCount) {
            start[i] = 0;
            end[i] = LastCount;
        } else {
            start[i] = i * FirstFactor[mode] * SecondFactor[mode] + Offset[mode];
            end[i] = dark == 0 ? start[i] : (start[i] + dark) % PeriodCounts;
        }
        duty[i] = LastCount - dark;
    }
    return 1;
}
