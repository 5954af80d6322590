#include "accessacl.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <acl/libacl.h>
#include <unistd.h>

namespace
{

bool writes(acl_entry_t entry)
{
    acl_permset_t permissions = nullptr;
    return ::acl_get_permset(entry, &permissions) == 0 &&
           ::acl_get_perm(permissions, ACL_WRITE) == 1;
}

template <typename Id> Id qualifier(acl_entry_t entry)
{
    void *id = ::acl_get_qualifier(entry);
    const Id value = id ? *static_cast<Id *>(id) : Id(-1);
    if (id)
        ::acl_free(id);
    return value;
}

} // namespace

AccessAcl AccessAcl::ofPath(const QString &path)
{
    return AccessAcl(::acl_get_file(QFile::encodeName(path).constData(), ACL_TYPE_ACCESS));
}

AccessAcl AccessAcl::ofDescriptor(int descriptor)
{
    return AccessAcl(::acl_get_fd(descriptor));
}

AccessAcl::AccessAcl(acl_t acl) : m_acl(acl)
{
    if (!m_acl) {
        m_error = errno == ENOTSUP || errno == ENOSYS ? 0 : errno;
    } else if (::acl_equiv_mode(m_acl, nullptr) == 0) {
        ::acl_free(m_acl);
        m_acl = nullptr;
    }
}

AccessAcl::AccessAcl(AccessAcl &&other) noexcept : m_acl(other.m_acl), m_error(other.m_error)
{
    other.m_acl = nullptr;
}

AccessAcl::~AccessAcl()
{
    if (m_acl)
        ::acl_free(m_acl);
}

QString AccessAcl::problem() const
{
    return m_error == 0 ? QString()
                        : QStringLiteral("cannot be checked (its ACL: %1)")
                              .arg(QString::fromLocal8Bit(std::strerror(m_error)));
}

QString AccessAcl::writer(gid_t owningGroup, bool (*ownGroup)(gid_t)) const
{
    if (!m_acl || !maskLetsWrite())
        return {};
    acl_entry_t entry = nullptr;
    for (int at = ACL_FIRST_ENTRY; ::acl_get_entry(m_acl, at, &entry) == 1; at = ACL_NEXT_ENTRY) {
        acl_tag_t tag = ACL_UNDEFINED_TAG;
        if (::acl_get_tag_type(entry, &tag) != 0 || !writes(entry))
            continue;
        if (tag == ACL_USER) {
            const uid_t id = qualifier<uid_t>(entry);
            if (id != ::geteuid() && id != 0)
                return QStringLiteral("uid %1").arg(id);
        } else if (tag == ACL_GROUP || tag == ACL_GROUP_OBJ) {
            const gid_t id = tag == ACL_GROUP ? qualifier<gid_t>(entry) : owningGroup;
            if (!ownGroup(id))
                return QStringLiteral("gid %1").arg(id);
        }
    }
    return {};
}

// Without a mask entry nothing bounds the named entries and the group's.
bool AccessAcl::maskLetsWrite() const
{
    acl_entry_t entry = nullptr;
    for (int at = ACL_FIRST_ENTRY; ::acl_get_entry(m_acl, at, &entry) == 1; at = ACL_NEXT_ENTRY) {
        acl_tag_t tag = ACL_UNDEFINED_TAG;
        if (::acl_get_tag_type(entry, &tag) == 0 && tag == ACL_MASK)
            return writes(entry);
    }
    return true;
}
