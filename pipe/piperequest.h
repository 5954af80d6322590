#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVarLengthArray>

#include <algorithm>

// The request lines of the pipe protocol as the server takes them, for the server and for
// clients that send whole batches: TAB-separated fields, the verb first; which lines of a batch
// run, and what kind of reply each line gets.
class PipeRequest
{
public:
    // "set" NAME VALUE (answered "ok" or "err"), "get" NAME and "run" COMMAND [ARG...]
    // (answered by a value text or "err"); any other line is malformed and answered "err".
    enum Kind { Malformed, Set, Get, Run };
    // The fields of a line as views into it: its bytes up to the first zero byte, split at TABs.
    using FieldViews = QVarLengthArray<QByteArrayView, 4>;
    static FieldViews fieldViews(QByteArrayView line);
    static Kind kind(const FieldViews &fields);
    static Kind kind(const QStringList &fields);
    // The fields of a line as texts: each field's bytes as Latin-1.
    static QStringList fields(const QByteArray &line);

    // Calls run(line) with a view of each line of a batch that runs, in order, carriage returns
    // removed. A blank line, and a line equal to the one run just before it (*last, which is
    // updated), run nothing and get no reply.
    template <typename Visit>
    static void forEachLineToRun(const QByteArray &input, QByteArray *last, Visit run);
    // The same lines, as copies.
    static QList<QByteArray> linesToRun(const QByteArray &input, QByteArray *last);

    // A request, or a part of one, as one line of a message whatever it holds: tabs as spaces,
    // other control characters escaped ("\x1b"), and a text longer than MaxShownChars cut,
    // its length given.
    static constexpr qsizetype MaxShownChars = 120;
    static QString displayText(const QString &text);
    // A batch, or its replies, as the trace shows them: each line longer than MaxShownChars
    // cut, its length given; the line breaks kept (the log shows them).
    static QString traceText(const QString &batch);

private:
    static Kind kindOf(QByteArrayView verb, qsizetype count);
    static bool isBlank(QByteArrayView line);
    static QString cutNote(qsizetype size);
};

template <typename Visit>
void PipeRequest::forEachLineToRun(const QByteArray &input, QByteArray *last, Visit run)
{
    QByteArray text = input; // shared unless it holds carriage returns
    if (text.contains('\r'))
        text.replace('\r', QByteArray());
    QByteArrayView previous = *last;
    bool ran = false;
    for (qsizetype start = 0; start <= text.size();) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        const QByteArrayView line(text.constData() + start, end - start);
        start = end + 1;
        if (line == previous || isBlank(line))
            continue;
        run(line);
        previous = line;
        ran = true;
    }
    if (ran)
        *last = previous.toByteArray();
}
