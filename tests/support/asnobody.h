#pragma once

// The unprivileged user nobody for tests (header only). Tests run as root in CI, where
// permission checks and the exclusive terminal flag do not apply. Run as another user already,
// both helpers keep that user.
#include "inchild.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>
#include <vector>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace AsNobody
{

// Runs fn in a child process that drops root for good, nobody then being in the groups given
// besides its own; keep fn free of threads. What fn returned, or a text starting with "child
// failed" when the child could not run it.
inline QByteArray run(const std::function<QByteArray()> &fn, std::vector<gid_t> groups = {})
{
    const passwd *nobody = getpwnam("nobody");
    if (!nobody)
        return "child failed: no user nobody";
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    const auto drop = [uid, gid, &groups]() {
        return geteuid() != 0 || (setgroups(groups.size(), groups.data()) == 0 &&
                                  setgid(gid) == 0 && setuid(uid) == 0);
    };
    return InChild::run(drop, fn);
}

// Gives path (a link itself, not what it leads to) to nobody, as though nobody had made it;
// false when that is not allowed (not run as root) or there is no user nobody.
inline bool own(const QString &path)
{
    const passwd *nobody = getpwnam("nobody");
    return nobody &&
           lchown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid) == 0;
}

// Every thread of the process acts as nobody while this lives (effective user and group only,
// given back at the end).
class Effective
{
public:
    Effective()
    {
        const passwd *nobody = getpwnam("nobody");
        m_active = nobody && geteuid() == 0 && setegid(nobody->pw_gid) == 0 &&
                   seteuid(nobody->pw_uid) == 0;
    }
    ~Effective()
    {
        if (m_active && seteuid(0) == 0)
            setegid(0);
    }
    Effective(const Effective &) = delete;
    Effective &operator=(const Effective &) = delete;

private:
    bool m_active = false;
};

} // namespace AsNobody
