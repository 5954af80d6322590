#pragma once

// Gives a file or folder an ACL for tests (header only), through the system's library, as
// setfacl would: written in its text form, so the test and the program share no encoding.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <sys/acl.h>

namespace PosixAcl
{

enum Named { User, Group };

// Lets the user or group id do what perm says (7 for rwx), within mask; the owner may do all,
// its group and others nothing. False when the file system keeps no ACLs.
inline bool grant(const QString &path, Named tag, quint32 id, quint16 perm, quint16 mask = 7)
{
    const auto bits = [](quint16 value) {
        return QByteArray(value & 4 ? "r" : "-") + (value & 2 ? "w" : "-") +
               (value & 1 ? "x" : "-");
    };
    const QByteArray text = "u::rwx," + QByteArray(tag == User ? "u:" : "g:") +
                            QByteArray::number(id) + ":" + bits(perm) + ",g::---,m::" + bits(mask) +
                            ",o::---";
    acl_t acl = ::acl_from_text(text.constData());
    if (!acl)
        return false;
    const bool set = ::acl_set_file(QFile::encodeName(path).constData(), ACL_TYPE_ACCESS, acl) == 0;
    ::acl_free(acl);
    return set;
}

} // namespace PosixAcl
