#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// A matrix configuration file read into counts and a switch map: how many matrix chips, how
// many pixels each drives, the grid's rows and columns and the switch number of each cell
// (0: no pixel). Reading starts from the previous configuration: the file overwrites only
// what it gives.
//
// File format, line by line (each line trimmed, inner white space reduced, split at blanks):
// a line of exactly two words, one of which is a key (NumberOfDevices, PixelsPerDevice,
// NumberOfRows, NumberOfCols), sets that count from the second word; after four key lines,
// every line with at most NumberOfCols words is the next grid row. Other lines are ignored.
class MatrixConfiguration
{
public:
    static constexpr int MapRows = 12;
    static constexpr int MapCols = 24;
    using Map = QVector<QVector<quint8>>;

    // An all-zero configuration.
    MatrixConfiguration();
    // Starts from these counts and map; a map of another shape is reshaped to 12 x 24
    // (cells outside it dropped, missing cells 0).
    MatrixConfiguration(quint8 devices, quint8 pixels, quint8 rows, quint8 cols, const Map &map);

    // Reads one line of the file.
    void readLine(const QString &line);
    void readLines(const QStringList &lines);

    // Devices 1 or 2, columns 1 to 24, rows 1 to 4.
    bool countsValid() const;
    // Non-zero cells inside rows x cols.
    int activeSwitches() const;
    // More active switches than the devices' pixels together.
    bool tooManySwitches() const { return activeSwitches() > devices * pixels; }

    // The switch numbers of row r, in column order (empty cells skipped).
    QVector<int> rowSwitches(int r) const { return switchesOfRow(map, r, cols); }
    // The same for any map, within its first cols columns.
    static QVector<int> switchesOfRow(const Map &map, int r, int cols);

    quint8 devices = 0;
    quint8 pixels = 0;
    quint8 rows = 0;
    quint8 cols = 0;
    Map map;

private:
    bool readKeyLine(const QStringList &words);
    void readRowLine(const QStringList &words);

    int m_keyLines = 0;
    int m_nextRow = 0;
};
