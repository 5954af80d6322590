#pragma once

#include <QByteArray>
#include <QString>

#include <fcntl.h>

// Reading a file the program is given (a configuration text, an image, a script, its own
// settings) so that whatever is put at its name cannot stop or flood the program: it is opened
// without waiting for the other end of a FIFO and without taking a terminal, only a regular file
// is read, and only up to a bound that fits what such a file holds. Each refusal is one sentence
// naming the file.
class RegularFile
{
public:
    static constexpr qint64 KiB = 1024;
    static constexpr qint64 MiB = 1024 * KiB;

    // Opens name (relative to the folder's descriptor, as openat does) for reading or with the
    // flags given (mode 0600 for a file that O_CREAT makes), and keeps it only when it is a
    // regular file, then set to wait for its reads and writes again. The descriptor (the caller
    // closes it), or -1 with the reason, naming shown, in *error.
    static int open(int folder, const QString &name, int flags, const QString &shown,
                    QString *error);
    // Reads the whole of descriptor, up to limit bytes; false with the reason, naming shown, in
    // *error when it holds more or a read fails.
    static bool readOpened(int descriptor, const QString &shown, qint64 limit, QByteArray *bytes,
                           QString *error);
    // Opens path (a relative one from the working folder) and reads it within limit. A resource
    // path (":/...") is the program's own and read through Qt's resources within the same limit.
    static bool read(const QString &path, qint64 limit, QByteArray *bytes, QString *error);

    // Why what is at path could not be opened: a link (not followed), a FIFO or socket without
    // its other end (not waited for), or the system's reason for errorNumber.
    static QString openFailure(const QString &path, int errorNumber);
};
