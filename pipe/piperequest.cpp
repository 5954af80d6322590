#include "piperequest.h"

#include <cstring>

// One pass over the bytes: request lines are short, and most are split in two or three.
PipeRequest::FieldViews PipeRequest::fieldViews(QByteArrayView line)
{
    FieldViews fields;
    const char *start = line.data();
    const char *at = start;
    for (const char *const end = at + line.size(); at != end && *at != '\0'; ++at) {
        if (*at == '\t') {
            fields.append(QByteArrayView(start, at - start));
            start = at + 1;
        }
    }
    fields.append(QByteArrayView(start, at - start));
    return fields;
}

namespace
{
bool isVerb(QByteArrayView verb, const char (&name)[4])
{
    return verb.size() == 3 && std::memcmp(verb.data(), name, 3) == 0;
}
} // namespace

PipeRequest::Kind PipeRequest::kindOf(QByteArrayView verb, qsizetype count)
{
    if (isVerb(verb, "set") && count == 3)
        return Set;
    if (isVerb(verb, "get") && count == 2)
        return Get;
    if (isVerb(verb, "run") && count >= 2)
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

QString PipeRequest::displayText(const QString &text)
{
    QString shown;
    for (const QChar c : QStringView(text).left(MaxShownChars)) {
        const char16_t code = c.unicode();
        if (code == u'\t')
            shown += QLatin1Char(' ');
        else if (code < 0x20 || (code >= 0x7f && code < 0xa0))
            shown += QStringLiteral("\\x%1").arg(uint(code), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown + cutNote(text.size());
}

QString PipeRequest::traceText(const QString &batch)
{
    QStringList lines = batch.split(QLatin1Char('\n'));
    for (QString &line : lines)
        line = line.left(MaxShownChars) + cutNote(line.size());
    return lines.join(QLatin1Char('\n'));
}

// What follows a text of size characters cut at MaxShownChars: its length; nothing when whole.
QString PipeRequest::cutNote(qsizetype size)
{
    return size > MaxShownChars ? QStringLiteral("... (%1 characters)").arg(size) : QString();
}
