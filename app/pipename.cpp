#include "pipename.h"

#include <QDir>

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
    // Same rule as QLocalServer/QLocalSocket on Unix: an absolute name is a path, any other
    // name lives in the temporary directory.
    if (localName.startsWith(QLatin1Char('/')))
        return localName;
    return QDir::cleanPath(QDir::tempPath()) + QLatin1Char('/') + localName;
}
