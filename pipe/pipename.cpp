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

QString PipeName::socketName(const QString &given, QString *why)
{
    const QString name = localName(given);
    return SocketDir::checkName(name, why) ? name : QString();
}

QString PipeName::socketFile(const QString &localName)
{
    return SocketDir().file(localName);
}
