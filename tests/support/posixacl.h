#pragma once

// Gives a file or folder an ACL for tests (header only), as setfacl would, through the extended
// attribute the system keeps it in.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <sys/xattr.h>

namespace PosixAcl
{

enum Named : quint16 { User = 0x02, Group = 0x08 };

// Lets the user or group id do what perm says (7 for rwx), within mask; the owner may do all,
// its group and others nothing. False when the file system keeps no ACLs.
inline bool grant(const QString &path, Named tag, quint32 id, quint16 perm, quint16 mask = 7)
{
    QByteArray value("\x02\0\0\0", 4); // version 2, then entries in the order of their tags
    const auto entry = [&value](quint16 entryTag, quint16 entryPerm, quint32 entryId) {
        for (const quint32 part : {quint32(entryTag | entryPerm << 16), entryId})
            for (int byte = 0; byte < 4; ++byte)
                value.append(char(part >> 8 * byte));
    };
    const quint32 none = quint32(-1);
    entry(0x01, 7, none);
    if (tag == User)
        entry(tag, perm, id);
    entry(0x04, 0, none);
    if (tag == Group)
        entry(tag, perm, id);
    entry(0x10, mask, none);
    entry(0x20, 0, none);
    return ::setxattr(QFile::encodeName(path).constData(), "system.posix_acl_access",
                      value.constData(), size_t(value.size()), 0) == 0;
}

} // namespace PosixAcl
