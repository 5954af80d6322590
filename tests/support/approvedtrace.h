#pragma once

// Approved traces: a text a test records is compared with the approved copy kept in the source
// tree (under KVL_SOURCE_DIR), and any difference is told as a readable diff. With
// KVL_APPROVE_TRACES=1 the recorded text is written over the approved copy instead, which is how
// a changed trace is approved: deliberately, and then reviewed with git diff. Header only.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace ApprovedTrace
{

// The approved copy of the trace relative (a path below the source tree).
inline QString sourcePath(const QString &relative)
{
    return qEnvironmentVariable("KVL_SOURCE_DIR") + QLatin1Char('/') + relative;
}

inline bool approving()
{
    return qEnvironmentVariable("KVL_APPROVE_TRACES") == QLatin1String("1");
}

// The differing lines of expected and recorded, as a unified-style listing: "-" for a line only
// the approved trace holds, "+" for one only the recording holds, each with its line number in
// the recording, and up to context unchanged lines around each change; at most limit lines.
// Empty when they agree.
inline QString readableDiff(const QList<QByteArray> &expected, const QList<QByteArray> &recorded,
                            int context = 2, int limit = 200)
{
    // Common head and tail first; the longest common subsequence only of what lies between.
    qsizetype head = 0;
    while (head < expected.size() && head < recorded.size() && expected[head] == recorded[head])
        ++head;
    qsizetype tail = 0;
    while (tail < expected.size() - head && tail < recorded.size() - head &&
           expected[expected.size() - 1 - tail] == recorded[recorded.size() - 1 - tail])
        ++tail;
    const qsizetype n = expected.size() - head - tail;
    const qsizetype m = recorded.size() - head - tail;
    if (n == 0 && m == 0)
        return QString();
    // Edits in order: ' ' kept, '-' approved only, '+' recorded only, with the line.
    struct Edit {
        char kind;
        const QByteArray *line;
        qsizetype recordedLine;
    };
    std::vector<Edit> edits;
    for (qsizetype k = 0; k < head; ++k)
        edits.push_back({' ', &recorded[k], k});
    if (n * m <= 16'000'000) {
        std::vector<std::vector<int>> common(size_t(n + 1), std::vector<int>(size_t(m + 1), 0));
        for (qsizetype i = n - 1; i >= 0; --i)
            for (qsizetype j = m - 1; j >= 0; --j)
                common[i][j] = expected[head + i] == recorded[head + j]
                                   ? common[i + 1][j + 1] + 1
                                   : qMax(common[i + 1][j], common[i][j + 1]);
        qsizetype i = 0, j = 0;
        while (i < n || j < m) {
            if (i < n && j < m && expected[head + i] == recorded[head + j]) {
                edits.push_back({' ', &recorded[head + j], head + j});
                ++i, ++j;
            } else if (i < n && (j == m || common[i + 1][j] >= common[i][j + 1])) {
                edits.push_back({'-', &expected[head + i], head + j});
                ++i;
            } else {
                edits.push_back({'+', &recorded[head + j], head + j});
                ++j;
            }
        }
    } else { // too long to align: everything between head and tail differs
        for (qsizetype i = 0; i < n; ++i)
            edits.push_back({'-', &expected[head + i], head});
        for (qsizetype j = 0; j < m; ++j)
            edits.push_back({'+', &recorded[head + j], head + j});
    }
    for (qsizetype k = 0; k < tail; ++k)
        edits.push_back({' ', &recorded[head + m + k], head + m + k});

    // Each change with context kept lines either side; "..." where kept lines are left out.
    const qsizetype count = qsizetype(edits.size());
    std::vector<bool> shown(size_t(count), false);
    for (qsizetype e = 0; e < count; ++e)
        if (edits[size_t(e)].kind != ' ')
            for (qsizetype k = qMax<qsizetype>(0, e - context); k <= qMin(count - 1, e + context);
                 ++k)
                shown[size_t(k)] = true;
    QStringList out;
    for (qsizetype k = 0; k < count && out.size() < limit; ++k) {
        if (!shown[size_t(k)])
            continue;
        if (k > 0 && !shown[size_t(k - 1)] && !out.isEmpty())
            out << QStringLiteral("...");
        const Edit &edit = edits[size_t(k)];
        out << QStringLiteral("%1 %2: %3")
                   .arg(QLatin1Char(edit.kind))
                   .arg(edit.recordedLine + 1, 5)
                   .arg(QString::fromLatin1(*edit.line));
    }
    if (out.size() >= limit)
        out << QStringLiteral("... (more differences left out)");
    return out.join(QLatin1Char('\n'));
}

// Compares recorded with the approved copy relative: empty when they agree, else what differs
// (or why the approved copy cannot be read). When approving, writes recorded as the approved
// copy and returns an empty text, or why it could not be written.
inline QString check(const QString &relative, const QByteArray &recorded)
{
    const QString path = sourcePath(relative);
    if (approving()) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(recorded) != recorded.size())
            return QStringLiteral("cannot write the approved trace %1").arg(path);
        return QString();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("no approved trace %1: record it with KVL_APPROVE_TRACES=1 and "
                              "review it before committing")
            .arg(path);
    const QByteArray approved = file.readAll();
    if (approved == recorded)
        return QString();
    const QString diff = readableDiff(approved.split('\n'), recorded.split('\n'));
    return QStringLiteral("the board heard other lines than the approved trace %1 "
                          "(\"-\" approved only, \"+\" heard only; line numbers of what was "
                          "heard):\n%2")
        .arg(relative, diff.isEmpty() ? QStringLiteral("(line ends differ)") : diff);
}

} // namespace ApprovedTrace
