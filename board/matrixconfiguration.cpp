#include "matrixconfiguration.h"

namespace
{

// A decimal word as an 8-bit number; a word that is no number gives 0.
quint8 byteOf(const QString &word)
{
    return quint8(word.toUInt() & 0xFF);
}

} // namespace

MatrixConfiguration::MatrixConfiguration() : map(MapRows, QVector<quint8>(MapCols, 0)) {}

MatrixConfiguration::MatrixConfiguration(quint8 devices, quint8 pixels, quint8 rows, quint8 cols,
                                         const Map &map)
    : MatrixConfiguration()
{
    this->devices = devices;
    this->pixels = pixels;
    this->rows = rows;
    this->cols = cols;
    for (int r = 0; r < MapRows && r < map.size(); ++r)
        for (int c = 0; c < MapCols && c < map.at(r).size(); ++c)
            this->map[r][c] = map.at(r).at(c);
}

void MatrixConfiguration::readLines(const QStringList &lines)
{
    for (const QString &line : lines)
        readLine(line);
}

void MatrixConfiguration::readLine(const QString &line)
{
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (m_keyLines < 4) {
        if (readKeyLine(words))
            ++m_keyLines;
        return;
    }
    if (words.size() <= cols)
        readRowLine(words);
}

// Keys are tested in a fixed order; the first one either word names is set from the second
// word.
bool MatrixConfiguration::readKeyLine(const QStringList &words)
{
    if (words.size() != 2)
        return false;
    const struct {
        const char *key;
        quint8 *count;
    } keys[] = {{"NumberOfDevices", &devices},
                {"PixelsPerDevice", &pixels},
                {"NumberOfRows", &rows},
                {"NumberOfCols", &cols}};
    for (const auto &k : keys) {
        const QLatin1String key(k.key);
        if (words.at(0) == key || words.at(1) == key) {
            *k.count = byteOf(words.at(1));
            return true;
        }
    }
    return false;
}

// Every row line takes a row; rows past the map and cells past its columns are dropped.
void MatrixConfiguration::readRowLine(const QStringList &words)
{
    const int r = m_nextRow++;
    if (r >= MapRows)
        return;
    for (int c = 0; c < words.size() && c < MapCols; ++c)
        map[r][c] = byteOf(words.at(c));
}

bool MatrixConfiguration::countsValid() const
{
    return (devices == 1 || devices == 2) && cols >= 1 && cols <= MapCols && rows >= 1 && rows <= 4;
}

int MatrixConfiguration::activeSwitches() const
{
    int count = 0;
    for (int r = 0; r < rows && r < MapRows; ++r)
        count += rowSwitches(r).size();
    return count;
}

QVector<int> MatrixConfiguration::switchesOfRow(const Map &map, int r, int cols)
{
    QVector<int> switches;
    const QVector<quint8> row = map.value(r); // empty for a row the map does not have
    for (int c = 0; c < cols && c < row.size(); ++c)
        if (row.at(c) != 0)
            switches.append(row.at(c));
    return switches;
}
