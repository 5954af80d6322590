#include "csvreader.h"

#include "boardlog.h"
#include "bytetext.h"
#include "regularfile.h"

#include <QBuffer>

namespace
{

// Rows 0 to 5 are the header; the last two rows (normally "END" and the empty row after it)
// never become steps.
constexpr int FirstStepRow = 6;
constexpr int TrailingRows = 2;
constexpr int MinRowsForSteps = 9;
// The most read from a script: a row of 385 cells for each step of 32 devices, some thousand
// steps.
constexpr qint64 MaxFileSize = 4 * RegularFile::MiB;

// The cells of every line; a row of one empty cell follows a last line that holds "END".
QList<QStringList> readRows(QIODevice &file)
{
    QList<QStringList> rows;
    do {
        rows.append(latin1UpToZero(file.readLine()).split(QLatin1Char(',')));
    } while (!file.atEnd() || rows.last().first().contains(QLatin1String("END")));
    return rows;
}

// Cell 1 of a row whose cell 0 holds keyword; false when there is no such row or cell.
bool keywordValue(const QList<QStringList> &rows, int row, const char *keyword, QString *value)
{
    if (row >= rows.size() || rows.at(row).size() < 2 ||
        !rows.at(row).first().contains(QLatin1String(keyword)))
        return false;
    *value = rows.at(row).at(1);
    return true;
}

// A cell as a decimal number, its low 8 bits; text that is no number gives 0.
quint8 lowByte(const QString &cell)
{
    return quint8(cell.toInt(nullptr, 10) & 0xFF);
}

} // namespace

CSVReader::CSVReader(QObject *parent) : QObject(parent) {}

bool CSVReader::read(const QString &name)
{
    QByteArray bytes;
    if (!RegularFile::read(name, MaxFileSize, &bytes, &m_error)) {
        qCDebug(lcBoard) << m_error;
        return false;
    }
    m_error.clear();
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    fileName = name;
    const QList<QStringList> rows = readRows(file);
    takeKeywordRows(rows);
    steps.clear();
    if (rows.size() >= MinRowsForSteps)
        steps = rows.mid(FirstStepRow, rows.size() - TrailingRows - FirstStepRow);
    return true;
}

void CSVReader::takeKeywordRows(const QList<QStringList> &rows)
{
    QString value;
    if (keywordValue(rows, 1, "DESCRIPTION", &value))
        description = value.trimmed();
    if (keywordValue(rows, 2, "DELAY", &value))
        delay = lowByte(value);
    if (keywordValue(rows, 3, "DEVICES", &value))
        deviceCount = lowByte(value);
    if (rows.size() > 4 && rows.at(4).first().contains(QLatin1String("ADDRESSES")))
        addresses = rows.at(4).mid(1);
}

void CSVReader::setAddress(int index, const QString &address)
{
    if (index >= 0 && index < addresses.size())
        addresses[index] = address;
}

void CSVReader::appendStep(const QStringList &step)
{
    steps.append(step);
}

void CSVReader::setStep(const QStringList &step, int index)
{
    if (index >= 0 && index < steps.size())
        steps[index] = step;
}
