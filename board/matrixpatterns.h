#pragma once

#include <QVector>

// The duty shapes of the ready-made light patterns and the switch sequences they are laid on.
// Duties run from 0 to FullDuty; a step is a single-precision quotient truncated to an integer.
class MatrixPatterns
{
public:
    static constexpr int FullDuty = 1023;
    // Switch numbers by row and column; 0 is an empty cell.
    using Map = QVector<QVector<quint8>>;

    // The switches 1 to count.
    static QVector<int> numbered(int count);
    // The switches that every-second-switch lights: phase + 1, phase + 3, ... up to count.
    static QVector<int> alternate(int count, int phase);
    // A symmetric hill over places: full at the middle, falling by equal steps, both ends 0.
    static QVector<int> hill(int places);
    // A ramp: full at the first place (at the last when fromLast), falling by equal steps.
    static QVector<int> ramp(int places, bool fromLast);

    // The switches of the map's non-empty cells inside rows x cols, one list per row in column
    // order (an empty list for a row without switches).
    static QVector<QVector<int>> rowSequences(const Map &map, int rows, int cols);
    // The same switches row after row in one list.
    static QVector<int> rowMajor(const Map &map, int rows, int cols);

private:
    static int step(int intervals);
};
