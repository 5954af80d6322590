#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

// The request lines of the pipe protocol as the server takes them, for the server and for
// clients that send whole batches: TAB-separated fields, the verb first; which lines of a batch
// run, and what kind of reply each line gets.
class PipeRequest
{
public:
    // "set" NAME VALUE (answered "ok" or "err"), "get" NAME and "run" COMMAND [ARG...]
    // (answered by a value text or "err"); any other line is malformed and answered "err".
    enum Kind { Malformed, Set, Get, Run };
    static Kind kind(const QStringList &fields);
    // The fields of a line: its Latin-1 text up to the first zero byte, split at TABs.
    static QStringList fields(const QByteArray &line);
    // The lines of a batch that run, in order, carriage returns removed. A blank line, and a
    // line equal to the one run just before it (*last, which is updated), run nothing and get
    // no reply.
    static QList<QByteArray> linesToRun(const QByteArray &input, QByteArray *last);
};
