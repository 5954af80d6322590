#pragma once

#include "pathtrust.h"

#include <QString>

// The folders the program keeps for its user: the XDG base folders it takes, and what a person
// can do about a place that another user can change (a PathTrust finding), for the messages that
// refuse it: a way out that works for this account, or why none can.
class UserFolders
{
public:
    // The base folder an XDG variable (XDG_CONFIG_HOME, XDG_STATE_HOME) names: its value when
    // that is an absolute path that no other user can change, else empty, and then, for a value
    // that is set, *passedOver says so ("XDG_STATE_HOME /x is passed over: ...").
    static QString base(const QString &variable, const QString &value, QString *passedOver);
    // For a finding on the way to a folder the program keeps for the user, which the
    // environment variable (XDG_CONFIG_HOME, XDG_STATE_HOME, XDG_RUNTIME_DIR) can move: closing
    // the folder found, where the user or the administrator can, or else the variable set to a
    // folder of the user's own (ownFolder). Where the folder's owner is one that this user
    // namespace does not show, why nothing helps (unmappedOwner).
    static QString advice(const PathTrust::Finding &finding, const QString &variable);
    // "close it to other users' writing (chmod go-w STEP)" where the folder found is the user's
    // (or root's: "ask the administrator to ...") and open to others' writing; empty otherwise.
    static QString closing(const PathTrust::Finding &finding);
    // "set VARIABLE to a folder of your own on a way that no other user can change"; for the
    // sockets' XDG_RUNTIME_DIR with such a folder that a person can make at once and that passes
    // for any account (a new one in /tmp), where /tmp is such a way.
    static QString ownFolder(const QString &variable);
    // Why no place can be the user's own when the folder found belongs to the owner that this
    // user namespace shows for those it does not map (the overflow uid, as root's files look in a
    // namespace made by `unshare -r`); empty otherwise.
    static QString unmappedOwner(const PathTrust::Finding &finding);
};
