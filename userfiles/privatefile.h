#pragma once

#include <QByteArray>
#include <QString>

class QFile;

// The files the program keeps for its user (options, window state, day logs): read and written
// only where no other user can change them (PathTrust), so that nobody steers them through a
// link or a file of theirs, through the folder that was checked (CheckedFolder): a regular file
// of the user's with no other name, never a link, a FIFO or a device put at its name. They are
// readable by the user alone: files of mode 0600, in folders of mode 0700 where the program
// makes them. Each failure gives one sentence saying why.
class PrivateFile
{
public:
    // The most read from one (an options file or a window state holds a few KiB).
    static constexpr qint64 MaxReadSize = 1024 * 1024;

    // Reads the whole file; false with the reason in *error when another user can change it, it
    // cannot be read or it is larger than MaxReadSize.
    static bool read(const QString &path, QByteArray *bytes, QString *error);
    // Replaces the file through a temporary file beside it (a failed write leaves the old file
    // whole), mode 0600; false with the reason in *error.
    static bool write(const QString &path, const QByteArray &bytes, QString *error);
    // Opens file (its name set) for appending, made with mode 0600 when missing.
    static bool openForAppend(QFile *file, QString *error);
    // Makes the folder and each missing one above it (mode 0700), and gives a folder of the
    // user's own mode 0700; true when it is a folder that no other user can change.
    static bool makeFolder(const QString &path);
    // Why another user could change path ("... belongs to another user (uid 65534)"), and what
    // to do; empty when only the user and root can.
    static QString refusal(const QString &path);
};
