#include "bit.h"

#include <atomic>

namespace
{
std::atomic<quint64> s_nameGeneration{0};
}

Bit &Bit::operator=(const Bit &other)
{
    if (this == &other)
        return *this;
    m_description = other.m_description;
    m_fieldIndex = other.m_fieldIndex;
    setName(other.m_name);
    m_value = other.m_value;
    m_attributes = other.m_attributes;
    return *this;
}

Bit &Bit::operator=(bool value)
{
    m_value = value ? 1 : 0;
    return *this;
}

void Bit::setName(const QString &name)
{
    if (name == m_name)
        return;
    m_name = name;
    ++s_nameGeneration;
}

QString Bit::attribute(const QString &key) const
{
    for (const auto &entry : m_attributes) {
        if (entry.first == key)
            return entry.second;
    }
    return QString();
}

bool Bit::hasAttribute(const QString &key) const
{
    for (const auto &entry : m_attributes) {
        if (entry.first == key)
            return true;
    }
    return false;
}

void Bit::setAttribute(const QString &key, const QString &value)
{
    for (auto &entry : m_attributes) {
        if (entry.first == key) {
            entry.second = value;
            return;
        }
    }
    m_attributes.append(qMakePair(key, value));
}

QStringList Bit::attributeKeys() const
{
    QStringList keys;
    keys.reserve(m_attributes.size());
    for (const auto &entry : m_attributes)
        keys.append(entry.first);
    return keys;
}

quint64 Bit::nameGeneration()
{
    return s_nameGeneration.load(std::memory_order_relaxed);
}
