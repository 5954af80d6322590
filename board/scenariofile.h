#pragma once

#include <QPair>
#include <QString>
#include <QVector>

// A scenario file: exactly two lines of decimal numbers separated by white space, the switch
// numbers on the first and the duty of each on the second, in the same order.
class ScenarioFile
{
public:
    enum Status { Read, OpenFailed, ThirdLine, TooManyWords };

    // Reads the file. A third line, or a line of more than maxWords numbers, rejects the whole
    // file; nothing of it is kept then.
    Status read(const QString &fileName, int maxWords);

    // Why the file could not be read, naming it (RegularFile).
    QString errorString() const { return m_error; }
    // The line that rejected the file (from 1).
    int rejectedLine() const { return m_rejectedLine; }

    // (switch number, duty) for each position where both lines hold a number and the switch
    // number is at least 1, in file order; duties clamped to 0..1023. The caller checks the
    // upper bound of the switch numbers.
    QVector<QPair<int, int>> pairs() const;

private:
    // The words of a line as numbers; a word that is no number is an empty place.
    static QVector<QPair<bool, qint64>> numbers(const QStringList &words);

    QVector<QPair<bool, qint64>> m_switches;
    QVector<QPair<bool, qint64>> m_duties;
    QString m_error;
    int m_rejectedLine = 0;
};
