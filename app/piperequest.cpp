#include "piperequest.h"

PipeRequest::FieldViews PipeRequest::fieldViews(QByteArrayView line)
{
    const qsizetype zero = line.indexOf('\0');
    if (zero >= 0)
        line.truncate(zero);
    FieldViews fields;
    for (qsizetype start = 0;;) {
        const qsizetype tab = line.indexOf('\t', start);
        if (tab < 0) {
            fields.append(line.sliced(start));
            return fields;
        }
        fields.append(line.sliced(start, tab - start));
        start = tab + 1;
    }
}

PipeRequest::Kind PipeRequest::kindOf(QByteArrayView verb, qsizetype count)
{
    if (verb == QByteArrayView("set") && count == 3)
        return Set;
    if (verb == QByteArrayView("get") && count == 2)
        return Get;
    if (verb == QByteArrayView("run") && count >= 2)
        return Run;
    return Malformed;
}

PipeRequest::Kind PipeRequest::kind(const FieldViews &fields)
{
    return kindOf(fields.first(), fields.size());
}

PipeRequest::Kind PipeRequest::kind(const QStringList &fields)
{
    // A character beyond Latin-1 becomes "?": such a verb is none of the three.
    return kindOf(fields.first().toLatin1(), fields.size());
}

QStringList PipeRequest::fields(const QByteArray &line)
{
    QStringList texts;
    for (QByteArrayView field : fieldViews(line))
        texts.append(QString::fromLatin1(field));
    return texts;
}

QList<QByteArray> PipeRequest::linesToRun(const QByteArray &input, QByteArray *last)
{
    QList<QByteArray> lines;
    forEachLineToRun(input, last,
                     [&lines](QByteArrayView line) { lines.append(line.toByteArray()); });
    return lines;
}

// As QByteArray::trimmed sees it: nothing but blanks.
bool PipeRequest::isBlank(QByteArrayView line)
{
    return std::all_of(line.begin(), line.end(), [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    });
}
