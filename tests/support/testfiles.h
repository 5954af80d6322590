#pragma once

// Whole-file reads and writes for tests (header only).

#include <QByteArray>
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

} // namespace TestFiles
