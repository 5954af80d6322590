#include "matrixpatterns.h"

#include "matrixconfiguration.h"

#include <algorithm>

int MatrixPatterns::step(int intervals)
{
    return int(float(FullDuty) / float(intervals));
}

QVector<int> MatrixPatterns::numbered(int count)
{
    QVector<int> switches;
    for (int n = 1; n <= count; ++n)
        switches.append(n);
    return switches;
}

QVector<int> MatrixPatterns::alternate(int count, int phase)
{
    QVector<int> switches;
    for (int k = phase; k < count; k += 2)
        switches.append(k + 1);
    return switches;
}

QVector<int> MatrixPatterns::hill(int places)
{
    QVector<int> duties(places, 0);
    if (places < 3)
        return duties; // both places, or the one, are ends
    // The middle place, or the second of the two middle ones.
    const int h = places / 2;
    if (places % 2 == 1) {
        const int s = step(h);
        for (int i = 0; i < h; ++i)
            duties[h - i] = duties[h + i] = FullDuty - i * s;
    } else {
        duties[h - 1] = duties[h] = FullDuty;
        const int s = step(h - 1);
        for (int i = 1; i <= h - 2; ++i)
            duties[h - 1 - i] = duties[h + i] = FullDuty - i * s;
    }
    duties.first() = 0;
    duties.last() = 0;
    return duties;
}

QVector<int> MatrixPatterns::ramp(int places, bool fromLast)
{
    QVector<int> duties(places, FullDuty);
    if (places < 2)
        return duties;
    const int s = step(places - 1);
    for (int i = 0; i < places; ++i)
        duties[i] = FullDuty - i * s;
    if (fromLast)
        std::reverse(duties.begin(), duties.end());
    return duties;
}

QVector<QVector<int>> MatrixPatterns::rowSequences(const Map &map, int rows, int cols)
{
    QVector<QVector<int>> sequences;
    for (int r = 0; r < rows && r < map.size(); ++r)
        sequences.append(MatrixConfiguration::switchesOfRow(map, r, cols));
    return sequences;
}

QVector<int> MatrixPatterns::rowMajor(const Map &map, int rows, int cols)
{
    QVector<int> switches;
    for (const QVector<int> &row : rowSequences(map, rows, cols))
        switches += row;
    return switches;
}
