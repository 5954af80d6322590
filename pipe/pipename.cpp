#include "pipename.h"

#include "socketdir.h"

namespace
{
const QString pipePrefix = QStringLiteral("\\\\.\\pipe\\");
}

QString PipeName::pipePath(const QString &name)
{
    return pipePrefix + name;
}

QString PipeName::localName(const QString &pipePath)
{
    if (pipePath.startsWith(pipePrefix, Qt::CaseInsensitive))
        return pipePath.mid(pipePrefix.size());
    return pipePath;
}

QString PipeName::socketFile(const QString &localName)
{
    return SocketDir().file(localName);
}
