#pragma once

#include <QString>

// Whether another user could change what a path leads to: the file or folder itself, each
// folder on its way and, for each link on the way, where it leads. The user and root may
// change them; another user can when they own one of them (a link included), when they may
// write a folder on the way (its group or everybody may), or when they may write the file. A
// sticky folder that others may write (as /tmp) lets them add entries but not move the user's
// or root's away, so the way may go on through such an entry, though not end in it.
namespace PathTrust
{

// Empty when only the user and root can change path; else one sentence naming the first place
// another user can change and why, e.g. "the folder /srv/bench can be written by other users
// (mode 0777)". A path that does not exist yet is judged by the folders above it; a relative
// one from the working directory.
QString foreignChange(const QString &path);

// The home folder of the account the program runs as, from the user database: a HOME
// inherited from another user (as through sudo) does not lead to that user's folders. HOME
// when the account has none.
QString accountHome();

} // namespace PathTrust
