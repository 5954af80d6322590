#include "attributelist.h"

const AttributeList::Entry *AttributeList::find(const QString &key) const
{
    for (const Entry &entry : m_entries) {
        if (entry.first == key)
            return &entry;
    }
    return nullptr;
}

QString AttributeList::value(const QString &key) const
{
    const Entry *entry = find(key);
    return entry ? entry->second : QString();
}

bool AttributeList::contains(const QString &key) const
{
    return find(key) != nullptr;
}

void AttributeList::set(const QString &key, const QString &value)
{
    for (Entry &entry : m_entries) { // non-const access detaches a shared list first
        if (entry.first == key) {
            entry.second = value;
            return;
        }
    }
    m_entries.append(qMakePair(key, value));
}

QStringList AttributeList::keys() const
{
    QStringList result;
    result.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        result.append(entry.first);
    return result;
}
