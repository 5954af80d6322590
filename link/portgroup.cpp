#include "portgroup.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

const char *const UsualGroup = "dialout";

// The name and id of the group that key (an id or a name) looks up, through a reentrant lookup:
// the probe runs on a thread of its own. Empty when there is no such group.
template <typename Key, typename Lookup> QString groupEntry(Key key, Lookup lookup, gid_t *id)
{
    std::vector<char> buffer(1024);
    group entry{};
    group *found = nullptr;
    int error;
    while ((error = lookup(key, &entry, buffer.data(), buffer.size(), &found)) == ERANGE)
        buffer.resize(buffer.size() * 2);
    if (error != 0 || !found)
        return QString();
    *id = found->gr_gid;
    return QString::fromLocal8Bit(found->gr_name);
}

QString joinText(const QString &groupName)
{
    return QStringLiteral("add your user to the group %1 (sudo usermod -aG %1 $USER), then log "
                          "in again")
        .arg(groupName);
}

} // namespace

QString PortGroup::joinAdvice(const QString &path)
{
    struct stat info {
    };
    const bool looked = !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0;
    const mode_t groupUse = S_IRGRP | S_IWGRP;
    if (looked && (info.st_mode & groupUse) != groupUse)
        return QString(); // joining its group would not let the user in
    gid_t group = 0;
    const QString name = looked ? groupEntry(info.st_gid, getgrgid_r, &group)
                                : groupEntry(UsualGroup, getgrnam_r, &group);
    if (!looked && name.isEmpty())
        return joinText(QString::fromLatin1(UsualGroup));
    if (name.isEmpty() || userIsIn(group))
        return QString();
    return joinText(name);
}

bool PortGroup::userIsIn(unsigned int group)
{
    if (getegid() == group)
        return true;
    std::vector<gid_t> groups(size_t(std::max(0, getgroups(0, nullptr))));
    const auto end = groups.begin() + std::max(0, getgroups(int(groups.size()), groups.data()));
    return std::find(groups.begin(), end, group) != end;
}
