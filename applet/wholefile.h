#pragma once

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>

// Reading and writing the program's small files in one piece.

// Reads the whole file; false with the reason in *error when it cannot be opened.
inline bool readWholeFile(const QString &fileName, QByteArray *bytes, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    *bytes = file.readAll();
    return true;
}

// Replaces the file's content through QSaveFile, so a failed write leaves the old file whole;
// false with the reason in *error.
inline bool writeWholeFile(const QString &fileName, const QByteArray &bytes, QString *error)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
