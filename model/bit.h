#ifndef BIT_H
#define BIT_H

#include "attributelist.h"

#include <QString>
#include <QStringList>

// One bit of a register: its value (0 or 1), the name and description of the field it belongs
// to, the field's number and the field's free attributes from the definition text.
// Attributes keep the order in which they were first set.
class Bit
{
public:
    Bit() = default;
    Bit(const Bit &other) = default;
    Bit &operator=(const Bit &other);
    Bit &operator=(bool value);

    QString name() const { return m_name; }
    void setName(const QString &name);

    quint8 value() const { return m_value; }
    void setValue(quint8 value) { m_value = value; }
    void toggle() { m_value = quint8(1 - m_value); }

    QString description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }

    int fieldIndex() const { return m_fieldIndex; }
    void setFieldIndex(int index) { m_fieldIndex = index; }

    // The attribute text, or an empty text for a key that is not present (nothing is added).
    QString attribute(const QString &key) const { return m_attributes.value(key); }
    bool hasAttribute(const QString &key) const { return m_attributes.contains(key); }
    void setAttribute(const QString &key, const QString &value);
    QStringList attributeKeys() const { return m_attributes.keys(); }
    const AttributeList &attributes() const { return m_attributes; }

    // Changes whenever any bit anywhere is renamed; registers use it to keep their name index.
    static quint64 nameGeneration();
    // Changes whenever any bit anywhere has an attribute set; registers use it to keep their
    // attribute index.
    static quint64 attributeGeneration();

private:
    quint8 m_value = 0;
    int m_fieldIndex = 1;
    AttributeList m_attributes;
    QString m_name;
    QString m_description;
};

#endif // BIT_H
