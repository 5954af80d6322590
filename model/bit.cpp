#include "bit.h"

#include <atomic>

namespace
{
std::atomic<quint64> s_nameGeneration{0};
std::atomic<quint64> s_attributeGeneration{0};
} // namespace

Bit &Bit::operator=(const Bit &other)
{
    if (this == &other)
        return *this;
    m_description = other.m_description;
    m_fieldIndex = other.m_fieldIndex;
    setName(other.m_name);
    m_value = other.m_value;
    m_attributes = other.m_attributes;
    ++s_attributeGeneration;
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

quint64 Bit::nameGeneration()
{
    return s_nameGeneration.load(std::memory_order_relaxed);
}

void Bit::setAttribute(const QString &key, const QString &value)
{
    m_attributes.set(key, value);
    ++s_attributeGeneration;
}

quint64 Bit::attributeGeneration()
{
    return s_attributeGeneration.load(std::memory_order_relaxed);
}
