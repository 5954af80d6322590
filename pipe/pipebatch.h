#pragma once

#include "piperequest.h"

#include <QByteArray>
#include <QList>

// A batch of request lines for the pipe server, and the split of the server's reply into one
// reply per line that runs. The replies follow each other without separators: "ok\n" or
// "err\n" for a "set", "err\n" or a value text without line end for a "get" or "run", "err\n"
// for a malformed line; blank and repeated lines get none. Where a value ends is found from
// what follows it: values read as typed value texts are preferred, and a value text holding a
// line feed cannot be told apart from the replies after it.
class PipeBatch
{
public:
    // The lines as written, separated by line feeds.
    explicit PipeBatch(const QByteArray &input);

    // The lines that run and get a reply, in order.
    const QList<QByteArray> &lines() const { return m_lines; }
    // One reply per line of lines(): "ok", "err" or a value text. False when the reply does
    // not split so (the batch was refused whole, or the connection ended early).
    bool split(const QByteArray &reply, QList<QByteArray> *replies) const;

private:
    enum class Values { Typed, Any };
    bool splitAs(Values values, const QByteArray &reply, QList<QByteArray> *replies) const;
    QList<qsizetype> replyEnds(int line, const QByteArray &reply, qsizetype start,
                               Values values) const;

    QList<QByteArray> m_lines;
    QList<PipeRequest::Kind> m_kinds;
};
