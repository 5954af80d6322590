#pragma once

// Whole-file reads and writes for tests (header only).

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

namespace TestFiles
{

// The file's bytes, or "<missing>" when it cannot be read.
inline QByteArray read(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline bool write(const QString &name, const QByteArray &bytes = QByteArray())
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Copies the program's shipped matrix configuration into ./configuration, where the board
// page's set-up looks for it at each connection (tests run in an empty working directory).
inline bool installShippedConfiguration()
{
    const QString name = QStringLiteral("configuration/Configuration12.txt");
    const QString source = qEnvironmentVariable("KVL_SOURCE_DIR") + QLatin1Char('/') + name;
    QFile::remove(name);
    return QDir().mkpath(QStringLiteral("configuration")) && QFile::copy(source, name);
}

} // namespace TestFiles
