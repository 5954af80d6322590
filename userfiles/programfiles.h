#pragma once

#include <QString>
#include <QStringList>

// Where the program finds the data it ships and keeps the files it writes.
//
// Run from a source or build tree (no data folder beside the program), every file is in the
// working directory, as it always was. An installed program (bin/kvl52110 with
// share/kvl52110 beside bin/) reads a shipped file from that data folder when the working
// directory has no copy of it, and keeps what it writes in the user's folders: its options in
// $XDG_CONFIG_HOME/kvl52110 (~/.config/kvl52110 by default), its window state and day logs in
// $XDG_STATE_HOME/kvl52110 (~/.local/state/kvl52110). A working directory that already holds
// the options or a window state is a bench's own folder: everything stays there.
//
// The files are the user's alone (PrivateFile): a working directory that another user can
// change (a shared bench folder that others may write, or one below a folder of another user's)
// keeps none of them, and they go to the user's folders as for an installed program. The user's
// folders are those of the account the program runs as: a HOME, XDG_CONFIG_HOME or
// XDG_STATE_HOME inherited from another user (as through sudo) is passed over. What was passed
// over, and files that cannot be kept at all, are told in sentences for the log.
//
// A program that serves under another name NAME than the default keeps what it writes apart, in
// a folder "kvl52110-NAME" of its own: in place of the user's kvl52110 folders, or within the
// working directory. So two programs side by side share no file.
class ProgramFiles
{
public:
    struct Places {
        QString programDir; // the folder of the program's executable
        QString workingDir;
        QString home;       // the account's home folder
        QString configHome; // $XDG_CONFIG_HOME as set, empty when unset
        QString stateHome;  // $XDG_STATE_HOME as set, empty when unset
    };

    explicit ProgramFiles(const Places &places);
    // The places of this process (after the application object exists).
    static ProgramFiles ofThisProcess();

    // The data folder beside the program: <prefix>/share/kvl52110 for <prefix>/bin/kvl52110.
    QString dataDir() const;
    bool isInstalled() const;

    // A shipped file or folder by its relative path ("configuration/Configuration12.txt"):
    // the working directory's when it exists, else the installed one when that exists, else
    // the working directory's, which then names what is missing.
    QString dataPath(const QString &relative) const;

    // The name of a program that serves under another name than the default; empty for the
    // default.
    void setProgramName(const QString &name) { m_programName = name; }

    // Where the file the program writes under this name lives, its folder made when it is one
    // of the user's or the program's own (a folder that cannot be made shows in the failing
    // write).
    QString configFile(const QString &name) const;
    QString stateFile(const QString &name) const;
    // The options file and the window-state file, as configFile() and stateFile() give them.
    QString optionsFile() const;
    QString windowStateFile() const;
    // The folders of the options, and of the window state and day logs; nothing is made.
    QString configFolder() const;
    QString stateFolder() const;

    // Why the working directory keeps none of the files although it would (another user can
    // change it, PathTrust); empty when it keeps them or would not.
    QString workingDirRefusal() const;
    // What was passed over on the way to the folders: each a sentence naming the folder, file or
    // variable and why (another user can change it, it is no absolute path).
    QStringList passedOver() const;
    // Why the options, or the window state and day logs, cannot be kept at all (another user can
    // change their folder or the way to it), and what to do; empty when they can.
    QString configNotKept() const;
    QString stateNotKept() const;
    // Both, those that are not empty.
    QStringList notKept() const;

    const Places &places() const { return m_places; }

private:
    bool wantsWorkingDir() const;
    bool keepsWorkingDir() const;
    QString folder(const QString &xdgHome, const QString &defaultHome) const;
    QString userFile(const QString &folder, const QString &name) const;
    QString workingDirPassedOver() const;
    QString notKept(const QString &what, const QString &folder, const QString &variable) const;
    QString ownFolderName() const;

    Places m_places;
    QString m_programName;
};
