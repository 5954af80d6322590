#pragma once

#include <QString>

#include <sys/acl.h>
#include <sys/types.h>

// The access ACL of a file or folder, read through the system's library (libacl): none where the
// file system keeps no ACLs or where it says no more than the mode (its group entry is then the
// mode's group bits).
class AccessAcl
{
public:
    // The ACL at path, a link at its end followed; the ACL of what descriptor refers to.
    static AccessAcl ofPath(const QString &path);
    static AccessAcl ofDescriptor(int descriptor);
    AccessAcl(AccessAcl &&other) noexcept;
    ~AccessAcl();
    AccessAcl(const AccessAcl &) = delete;
    AccessAcl &operator=(const AccessAcl &) = delete;
    AccessAcl &operator=(AccessAcl &&) = delete;

    // Whether it holds more than the mode says.
    bool isExtended() const { return m_acl != nullptr; }
    // Why it could not be read ("cannot be checked (its ACL: ...)"); empty when it could or
    // there is none.
    QString problem() const;
    // Who may write by an entry, within the mask, besides the user, root and the groups that
    // ownGroup accepts: "uid N" or "gid N" (the owning group's entry too: with a mask, the group
    // bits of the mode show the mask); empty for nobody.
    QString writer(gid_t owningGroup, bool (*ownGroup)(gid_t)) const;

private:
    explicit AccessAcl(acl_t acl);
    bool maskLetsWrite() const;

    acl_t m_acl = nullptr;
    int m_error = 0;
};
