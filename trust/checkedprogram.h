#pragma once

#include <QString>

#include <functional>

// A program to start (the Python interpreter, the updater), checked and opened once: no other
// user can change it or the way to it (PathTrust), its folder is opened and judged again as
// opened (CheckedFolder), and the file is opened there, never through a link at its name, and
// judged as opened. It is started from that descriptor, never by its path again, so what was
// checked is what runs, whatever is put at the path meanwhile; a file missing at the check or
// at the open starts nothing.
class CheckedProgram
{
public:
    // Checks and opens the program at path (a link of the user's or root's at its end is
    // followed, as the check follows it).
    explicit CheckedProgram(const QString &path);
    // Removes the link that started it (see start()).
    ~CheckedProgram();
    CheckedProgram(const CheckedProgram &) = delete;
    CheckedProgram &operator=(const CheckedProgram &) = delete;

    bool isOpen() const { return m_descriptor >= 0; }
    // Why it is not open: what the check found, or why the file cannot be opened.
    QString error() const { return m_error; }
    // Whether the check found that another user can change the program or the way to it.
    bool refused() const { return m_refused; }

    // Starts the program through start, which is given a path that leads a child process to
    // the opened file through descriptors it inherits: a link of the program's own name, in a
    // private folder of the user's, to /proc/self/fd/N (so a program that goes by its name, as
    // a version manager's stand-in does, finds it), or /proc/self/fd/N itself where no such
    // folder can be made. The copies are closed again when start returns; the link stays while
    // this object lives, for a "#!" interpreter that opens it later. False when the program is
    // not open or start fails.
    bool start(const std::function<bool(const QString &program)> &start);

    // Removes the private folders that runs of the user's left in the temporary folder when
    // they were killed: only folders of the user's, of the name and mode start() makes, holding
    // nothing but its link, and that no running program holds (each holds its own, locked).
    // Nothing is followed: a link at such a name, another user's folder, or a folder holding
    // anything else is left as it is.
    static void removeStaleFolders();

private:
    QString linkTo(int descriptor, int *folder);
    void removeLink();

    int m_descriptor = -1;
    QString m_name;
    QString m_linkFolder;
    int m_linkFolderLock = -1; // the link folder, held locked while it is in use
    QString m_error;
    bool m_refused = false;
};
