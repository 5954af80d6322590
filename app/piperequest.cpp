#include "piperequest.h"

#include "bytetext.h"

PipeRequest::Kind PipeRequest::kind(const QStringList &fields)
{
    const QString &verb = fields.first();
    if (verb == QLatin1String("set") && fields.size() == 3)
        return Set;
    if (verb == QLatin1String("get") && fields.size() == 2)
        return Get;
    if (verb == QLatin1String("run") && fields.size() >= 2)
        return Run;
    return Malformed;
}

QStringList PipeRequest::fields(const QByteArray &line)
{
    return latin1UpToZero(line).split(QLatin1Char('\t'));
}

QList<QByteArray> PipeRequest::linesToRun(const QByteArray &input, QByteArray *last)
{
    QByteArray text = input;
    text.replace('\r', QByteArray());
    QList<QByteArray> lines;
    for (const QByteArray &line : text.split('\n')) {
        if (line == *last || line.trimmed().isEmpty())
            continue;
        lines.append(line);
        *last = line;
    }
    return lines;
}
