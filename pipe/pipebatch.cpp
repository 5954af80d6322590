#include "pipebatch.h"

#include <QRegularExpression>
#include <QSet>

namespace
{

const QByteArray OkReply = QByteArrayLiteral("ok\n");
const QByteArray ErrReply = QByteArrayLiteral("err\n");

// The texts the server writes for values: integers (64 bits), reals, lists, strings, bytes.
bool looksTyped(const QByteArray &text)
{
    static const QRegularExpression typed(
        QStringLiteral("^(?:i-?\\d+|f-?(?:\\d+(?:\\.\\d*)?(?:e[+-]?\\d+)?|inf|nan)|[if]#.*|s.*|x(?:"
                       "[0-9a-f]{2})*)$"));
    return typed.match(QLatin1String(text)).hasMatch();
}

} // namespace

PipeBatch::PipeBatch(const QByteArray &input)
{
    QByteArray last;
    m_lines = PipeRequest::linesToRun(input, &last);
    for (const QByteArray &line : std::as_const(m_lines))
        m_kinds.append(PipeRequest::kind(PipeRequest::fields(line)));
}

bool PipeBatch::split(const QByteArray &reply, QList<QByteArray> *replies) const
{
    return splitAs(Values::Typed, reply, replies) || splitAs(Values::Any, reply, replies);
}

// Where the reply of line that starts at start may end, in the order they are tried: "err\n"
// and "ok\n" where the kind allows them; for a value, texts within the line that read as
// values, shortest first, then no value at all.
QList<qsizetype> PipeBatch::replyEnds(int line, const QByteArray &reply, qsizetype start,
                                      Values values) const
{
    QList<qsizetype> ends;
    const PipeRequest::Kind kind = m_kinds.at(line);
    for (const QByteArray &status : {ErrReply, OkReply}) {
        const bool allowed = status == ErrReply || kind == PipeRequest::Set;
        if (allowed && reply.mid(start, status.size()) == status)
            ends.append(start + status.size());
    }
    if (kind != PipeRequest::Get && kind != PipeRequest::Run)
        return ends;
    const auto fits = [&](qsizetype end) {
        return values == Values::Any || looksTyped(reply.mid(start, end - start));
    };
    if (line == m_lines.size() - 1) {
        // The last line's value is all that is left.
        if (start < reply.size() && fits(reply.size()))
            ends.append(reply.size());
    } else {
        const qsizetype lineEnd = reply.indexOf('\n', start);
        for (qsizetype end = start + 1; end <= (lineEnd < 0 ? reply.size() : lineEnd); ++end) {
            if (fits(end))
                ends.append(end);
        }
    }
    ends.append(start);
    return ends;
}

// Depth-first over the possible ends of each reply, remembering the (line, start) pairs that
// led nowhere, so that no split is tried twice.
bool PipeBatch::splitAs(Values values, const QByteArray &reply, QList<QByteArray> *replies) const
{
    struct Step {
        qsizetype start;
        QList<qsizetype> ends;
        int tried = -1;
    };
    QList<Step> steps;
    QSet<QPair<int, qsizetype>> deadEnds;
    const auto enter = [&](qsizetype start) {
        const int line = int(steps.size());
        steps.append({start, deadEnds.contains({line, start})
                                 ? QList<qsizetype>()
                                 : replyEnds(line, reply, start, values)});
    };
    replies->clear();
    if (m_lines.isEmpty())
        return reply.isEmpty();
    enter(0);
    while (!steps.isEmpty()) {
        Step &step = steps.last();
        if (++step.tried >= step.ends.size()) {
            deadEnds.insert({int(steps.size() - 1), step.start});
            steps.removeLast();
            continue;
        }
        const qsizetype end = step.ends.at(step.tried);
        if (steps.size() < m_lines.size()) {
            enter(end);
        } else if (end == reply.size()) {
            for (const Step &s : std::as_const(steps)) {
                QByteArray text = reply.mid(s.start, s.ends.at(s.tried) - s.start);
                if (text == OkReply || text == ErrReply)
                    text.chop(1);
                replies->append(text);
            }
            return true;
        }
    }
    return false;
}
