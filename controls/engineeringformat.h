#pragma once

#include <QChar>
#include <QString>

namespace CustomControls
{

// The unit-prefix table of numbers shown in engineering notation: eight entries, letters
// "GMk munp" (entry 3 is a blank and means no prefix), factors 1e9 down to 1e-12, falling by
// exactly 1000 from one entry to the next. The letter for micro is the ASCII "u".
namespace EngineeringFormat
{

inline constexpr int PrefixCount = 8;
inline constexpr int NoPrefix = 3;
inline constexpr char Letters[] = "GMk munp";

// Letter of entry index (0..7).
QChar letter(int index);
// Factor of entry index (0..7): 1e9, 1e6, 1e3, 1, 1e-3, 1e-6, 1e-9, 1e-12.
double factor(int index);
// The entry whose letter occurs in text (case-sensitive); when several occur, the highest
// index wins; with none, NoPrefix (a blank also gives NoPrefix).
int prefixIndexOfText(const QString &text);
// The first entry from index 0 whose factor is at most |value|; NoPrefix when none is (zero,
// magnitudes below 1e-12, not a number).
int prefixIndexOfValue(double value);

} // namespace EngineeringFormat
} // namespace CustomControls
