#pragma once

#include <QByteArray>
#include <QString>

// A folder opened once PathTrust finds that no other user can change it or the way to it, and
// judged again as opened. Its files are opened through its descriptor, never by their path
// again, without following a link at their name and without waiting for the other end of a
// FIFO: what was checked is what is read or written, whatever is done to the path meanwhile.
class CheckedFolder
{
public:
    // Checks and opens the folder at path (a link of the user's at its end is followed, as the
    // check follows it).
    explicit CheckedFolder(const QString &path);
    // The folder that holds the file at path, its name in that folder in *name: a link of the
    // user's at path leads to the folder of what it names.
    static CheckedFolder holding(const QString &path, QString *name);
    CheckedFolder(CheckedFolder &&other) noexcept;
    ~CheckedFolder();
    CheckedFolder(const CheckedFolder &) = delete;
    CheckedFolder &operator=(const CheckedFolder &) = delete;
    CheckedFolder &operator=(CheckedFolder &&) = delete;

    bool isOpen() const { return m_descriptor >= 0; }
    // Why it is not open: what the check found, or why the folder cannot be opened.
    QString error() const { return m_error; }

    // Opens the file name with flags (O_RDONLY, or O_WRONLY with O_APPEND and O_CREAT, which
    // makes it with mode 0600) and judges what was opened: a regular file with one link, the
    // user's or root's and closed to others' writing (PathTrust); one of the user's opened for
    // writing is given mode 0600. The descriptor (the caller closes it), or -1 with the reason
    // in *error.
    int openFile(const QString &name, int flags, QString *error) const;
    // Opens a program to start for reading, judged as openFile judges, except that other names
    // may lead to it (as they do to a system's programs).
    int openProgram(const QString &name, QString *error) const;
    // Replaces the file name with bytes: written whole into a new file of mode 0600 beside it,
    // then renamed over it, so a failed write leaves the old file as it was.
    bool replaceFile(const QString &name, const QByteArray &bytes, QString *error) const;
    // Gives the folder mode 0700 when it is the user's and others may read or enter it.
    void makePrivate() const;

private:
    QString pathOf(const QString &name) const;
    int openChecked(const QString &name, int flags, bool oneName, QString *error) const;

    QString m_path;
    int m_descriptor = -1;
    QString m_error;
};
