// Fields named by expression ("SA[5]", "BANK[11:0]"): resolved once and kept until the
// register's structure or a bit's name changes, then read and written through their bits.
#include "register.h"

#include "fieldspec.h"

// Widgets and requests name the same few fields again and again: each expression is parsed
// and its bits looked up once, until the register's structure or a bit's name changes.
const Register::ResolvedField *Register::resolveField(const QString &expr) const
{
    ensureNameIndex();
    const auto cached = m_fieldCache.constFind(expr);
    if (cached != m_fieldCache.constEnd())
        return &cached.value();
    const QByteArray bytes = expr.toLatin1();
    FieldSpec spec;
    if (!spec.set(bytes.constData()))
        return nullptr;
    ResolvedField field;
    field.named = spec.isNamed();
    field.allBits = spec.allBits();
    field.low = spec.low();
    field.high = spec.high();
    if (field.named) {
        field.name = QString::fromLatin1(spec.index());
        field.bits = indicesOfText(field.name);
    }
    constexpr qsizetype CacheLimit = 1024; // requests may name fields without end
    if (m_fieldCache.size() >= CacheLimit)
        m_fieldCache.clear();
    return &m_fieldCache.insert(expr, field).value();
}

bool Register::setField(const QString &expr, quint32 value)
{
    const ResolvedField *resolved = resolveField(expr);
    if (!resolved)
        return false;
    // A copy: the write's announcement may change the register and so the cache.
    const ResolvedField field = *resolved;
    if (field.named) {
        if (!field.bits.isEmpty()) {
            writeFieldIndices(field.bits, value);
            return true;
        }
        if (Virtual *virtualField = m_virtualFields.value(field.name)) {
            virtualField->setValue(value);
            return true;
        }
        return false;
    }
    if (field.allBits)
        return setValue(0, size() - 1, value);
    return setValue(field.low, field.high, value);
}

quint32 Register::getField(const QString &expr) const
{
    const ResolvedField *field = resolveField(expr);
    if (!field)
        return 0;
    if (field->named) {
        if (!field->bits.isEmpty()) {
            quint32 result = 0;
            for (qsizetype i = 0; i < field->bits.size(); ++i) {
                if (m_bits.at(field->bits.at(i))->value())
                    result |= 1u << (i % 32);
            }
            return result;
        }
        const Virtual *virtualField = m_virtualFields.value(field->name);
        return virtualField ? virtualField->value() : 0;
    }
    if (field->allBits)
        return readRange(0, size() - 1);
    return readRange(field->low, field->high);
}

bool Register::fieldBits(const QString &expr, QList<int> *bits) const
{
    const ResolvedField *field = resolveField(expr);
    if (!field)
        return false;
    if (field->named) {
        *bits = field->bits;
        return !bits->isEmpty();
    }
    const qint64 low = field->allBits ? 0 : qMax(field->low, 0);
    const qint64 high = field->allBits ? size() - 1 : qMin(field->high, size() - 1);
    bits->clear();
    for (qint64 i = low; i <= high; ++i)
        bits->append(int(i));
    return true;
}

bool Register::fieldInfo(QString *name, QString *description, const QByteArray &expr) const
{
    FieldSpec spec;
    if (!spec.set(expr.constData()))
        return false;
    const Bit *bit = nullptr;
    QString fieldName;
    if (spec.isNamed()) {
        fieldName = QString::fromLatin1(spec.index());
        bit = bitByName(fieldName);
        if (!bit) {
            const Virtual *field = m_virtualFields.value(fieldName);
            if (field) {
                if (name)
                    *name = fieldName;
                if (description)
                    *description = field->description();
            }
            return false;
        }
    } else {
        if (spec.low() < 0 || spec.low() >= size())
            return false;
        bit = m_bits.at(spec.low());
        fieldName = bit->name();
    }
    if (name)
        *name = fieldName;
    if (description)
        *description = bit->description();
    return true;
}

void Register::setFieldsFromAttribute(const QString &key)
{
    const QStringList names = format(QStringLiteral("@purename;"), true).split(QLatin1Char(';'));
    for (const QString &name : names) {
        if (name.isEmpty())
            continue;
        const BitList bits = bitsNamed(name);
        if (bits.isEmpty())
            continue;
        bool ok = false;
        const quint32 value = bits.first()->attribute(key).trimmed().toUInt(&ok);
        writeFieldBits(bits, ok ? value : 0);
    }
    announceSet();
}

bool Register::setFromPairs(const QString &text, char itemSeparator, char valueSeparator)
{
    const QStringList pieces = text.split(QLatin1Char(itemSeparator), Qt::SkipEmptyParts);
    for (const QString &piece : pieces) {
        const QStringList pair = piece.split(QLatin1Char(valueSeparator));
        if (pair.size() != 2)
            return false;
        bool ok = false;
        const quint32 value = pair.at(1).trimmed().toUInt(&ok);
        if (!ok)
            return false;
        writeNamed(pair.at(0).trimmed(), value);
    }
    return true;
}
