#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

// Writing the program's small files in one piece (RegularFile reads them).

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
