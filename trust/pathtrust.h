#pragma once

#include <QString>

// Whether another local user can change a path: replace or move what it names, or lead the way
// to it elsewhere. Each folder on the way from "/" must belong to the user or root and be closed
// to writing by others, by its group (unless that is the user's private group: the user's
// primary group, named as the user, that no other account has as a member or as its primary
// group) and by the users and groups its ACL names, unless it is sticky (as /tmp is: others may
// not move what is not theirs). Each link on the way must belong to the user or root;
// its target is checked the same way from where it starts. A part of the path that does not exist
// ends the check, unless it would be made in a folder that others may write (they could make it
// first); a step that cannot be looked at is a finding too.
class PathTrust
{
public:
    // The first step of the way that another user can change, and why; clear when none.
    struct Finding {
        QString step;   // the folder or link as found on the way
        QString reason; // e.g. "belongs to another user (uid 65534)"

        bool isClear() const { return step.isEmpty(); }
        // One phrase: "/srv/bench is writable by other users (mode 0777)"; empty when clear.
        QString text() const;
    };

    // Every folder above path and every link that leads to it; path itself is not checked (not
    // even followed when it is a link). A relative path starts in the working folder.
    static Finding checkWay(const QString &path);
    // checkWay, and path itself (followed when it is a link): the user's or root's, and closed
    // to others' writing as above, sticky or not (others could add to a folder that is).
    static Finding check(const QString &path);
    // The check of the end of the way for a file or folder already opened (descriptor), named
    // step in the finding: what was opened is what is judged.
    static Finding checkOpened(const QString &step, int descriptor);

    // The home folder of the account the program runs as, from the user database: a HOME
    // inherited from another user (as through sudo) does not lead to that user's folders. HOME
    // when the account has none.
    static QString accountHome();
};
