// The register definition language: short-form and long-form items, field numbering.
#include "register.h"

#include "definitiontoken.h"
#include "fieldspec.h"
#include "modellog.h"

namespace
{

// The widest field a definition item may create; an empty bracket ("NAME[]") stands for
// 10,001 bits and is refused like anything wider.
constexpr qint64 MaxItemWidth = FieldSpec::AllBitsHigh;

// Width of a definition item's field from its bracket bounds; -1 when it is refused.
qint64 itemWidth(int low, int high, bool allBits)
{
    if (allBits)
        return -1;
    qint64 width = 1;
    if (low != high)
        width = qint64(high) - low + 1;
    else if (high > 0)
        width = high;
    return width > MaxItemWidth ? -1 : width;
}

bool isFieldKey(const QString &key)
{
    return key == QLatin1String("name") || key == QLatin1String("field") ||
           key == QLatin1String("bit");
}

} // namespace

struct Register::ItemDefinition {
    bool hasField = false;
    QString expression;
    QString name;
    QString description;
    quint32 value = 0;
    int low = 0;
    int high = 0;
    bool allBits = false;
    AttributeList attributes;

    void takeBounds(const FieldSpec &spec, const QString &expr)
    {
        hasField = true;
        expression = expr;
        name = QString::fromLatin1(spec.name());
        low = spec.low();
        high = spec.high();
        allBits = spec.allBits();
    }
};

void Register::setDefinition(const QString &text)
{
    m_definition = text;
    parse(text, -1);
}

// The fields are numbered once, after the last item: numbering after each would take a time
// that grows with the square of the register's size.
void Register::parse(const QString &text, int pos)
{
    const QStringList items = text.split(QLatin1Char(';'));
    int added = 0;
    for (const QString &item : items)
        added += addItemBits(item.trimmed(), pos);
    if (added > 0)
        indexFields();
}

int Register::parseItem(const QString &item, int pos)
{
    const int added = addItemBits(item, pos);
    if (added > 0)
        indexFields();
    return added;
}

int Register::addItemBits(const QString &item, int pos)
{
    const QString text = item.trimmed();
    if (text.isEmpty() || m_isView)
        return 0;
    ItemDefinition definition;
    if (!text.startsWith(QLatin1Char('@'))) {
        const QByteArray bytes = text.toLatin1();
        FieldSpec spec;
        if (!spec.set(bytes.constData()))
            return 0;
        definition.takeBounds(spec, text);
        definition.description = QString::fromLatin1(spec.description());
        definition.value = spec.value();
    } else if (!readLongForm(text, definition)) {
        return 0;
    }
    if (!definition.hasField)
        return 0;
    return createFieldBits(definition, pos);
}

// Reads the "@key=value" tokens of a long-form item. Keys before the first field key describe
// the register, keys after it describe the field's bits. False when a field expression fails.
bool Register::readLongForm(const QString &item, ItemDefinition &definition)
{
    const QList<DefinitionToken> tokens = DefinitionToken::split(item);
    for (const DefinitionToken &token : tokens) {
        const QString &key = token.key;
        const QString &value = token.value;
        if (key.isEmpty())
            continue; // a stray "@" carries nothing
        if (isFieldKey(key)) {
            const QByteArray bytes = value.toLatin1();
            FieldSpec spec;
            if (!spec.parse(bytes.constData()))
                return false;
            definition.takeBounds(spec, value);
        } else if (key == QLatin1String("value")) {
            definition.value = FieldSpec::readNumber(value.toLatin1());
        } else if (key == QLatin1String("descr")) {
            definition.description = value;
        } else if (key == QLatin1String("register")) {
            m_name = value;
        } else if (!definition.hasField && key == QLatin1String("readonly")) {
            m_readOnly = value.isEmpty() || value.toInt() != 0;
        } else if (!definition.hasField) {
            setAttribute(key, value);
        } else {
            definition.attributes.set(key, value);
        }
    }
    return true;
}

int Register::createFieldBits(const ItemDefinition &definition, int pos)
{
    const qint64 width = itemWidth(definition.low, definition.high, definition.allBits);
    if (width < 0) {
        qCWarning(lcModel).noquote() << "ERROR parsing field" << definition.expression;
        return 0;
    }
    for (int k = 0; k < int(width); ++k) {
        Bit *bit = new Bit;
        bit->setName(definition.name);
        bit->setDescription(definition.description);
        bit->setValue(quint8((definition.value >> (k % 32)) & 1u));
        for (const auto &attribute : definition.attributes.entries())
            bit->setAttribute(attribute.first, attribute.second);
        insertBit(bit, pos < 0 ? -1 : int(qMin<qint64>(qint64(pos) + k, size())));
    }
    return int(width);
}

void Register::indexFields()
{
    QString previous;
    int counter = -1;
    for (Bit *bit : std::as_const(m_bits)) {
        if (bit->name() != previous) {
            ++counter;
            previous = bit->name();
        }
        bit->setFieldIndex(counter);
    }
}
