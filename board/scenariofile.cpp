#include "scenariofile.h"

#include "matrixpatterns.h"
#include "regularfile.h"

#include <QBuffer>

#include <climits>

namespace
{

// The most read from a scenario file: two lines of a few hundred numbers each.
constexpr qint64 MaxFileSize = RegularFile::MiB;

} // namespace

ScenarioFile::Status ScenarioFile::read(const QString &fileName, int maxWords)
{
    m_switches.clear();
    m_duties.clear();
    m_error.clear();
    m_rejectedLine = 0;
    QByteArray bytes;
    if (!RegularFile::read(fileName, MaxFileSize, &bytes, &m_error))
        return OpenFailed;
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly | QIODevice::Text);
    QVector<QVector<QPair<bool, qint64>>> lines;
    while (!file.atEnd()) {
        const QStringList words = QString::fromUtf8(file.readLine())
                                      .simplified()
                                      .split(QLatin1Char(' '), Qt::SkipEmptyParts);
        Status rejection = Read;
        if (lines.size() == 2)
            rejection = ThirdLine;
        else if (words.size() > maxWords)
            rejection = TooManyWords;
        if (rejection != Read) {
            m_rejectedLine = int(lines.size()) + 1;
            return rejection;
        }
        lines.append(numbers(words));
    }
    m_switches = lines.value(0);
    m_duties = lines.value(1);
    return Read;
}

QVector<QPair<bool, qint64>> ScenarioFile::numbers(const QStringList &words)
{
    QVector<QPair<bool, qint64>> values;
    for (const QString &word : words) {
        bool ok;
        const qint64 value = word.toLongLong(&ok);
        values.append({ok, value});
    }
    return values;
}

QVector<QPair<int, int>> ScenarioFile::pairs() const
{
    QVector<QPair<int, int>> result;
    for (qsizetype k = 0; k < m_duties.size() && k < m_switches.size(); ++k) {
        const QPair<bool, qint64> &sw = m_switches.at(k);
        const QPair<bool, qint64> &duty = m_duties.at(k);
        if (!sw.first || !duty.first || sw.second < 1 || sw.second > INT_MAX)
            continue;
        const qint64 clamped = qBound(qint64(0), duty.second, qint64(MatrixPatterns::FullDuty));
        result.append({int(sw.second), int(clamped)});
    }
    return result;
}
