// Register text templates and the CRC by polynomial long division.
#include "register.h"

#include "modellog.h"

#include <vector>

namespace
{

// Each expanded entry travels as 8-bit Latin-1 text: characters beyond Latin-1 become "?".
QString asLatin1(const QString &text)
{
    return QString::fromLatin1(text.toLatin1());
}

void replaceAttributes(QString &text, const AttributeList &attributes)
{
    for (const auto &attribute : attributes.entries())
        text.replace(QLatin1Char('@') + attribute.first, attribute.second);
}

} // namespace

// The text "@name" gives in grouped form: the name with its width for a field of several bits.
static QString groupedName(const QList<Bit *> &field)
{
    const QString name = field.first()->name();
    if (field.size() > 1)
        return name + QLatin1Char('[') + QString::number(field.size()) + QLatin1Char(']');
    return name;
}

QString Register::expandEntry(const QString &templ, const QList<Bit *> &field, bool grouped,
                              int firstIndex) const
{
    const Bit *first = field.first();
    const quint32 value = packBits(field);
    QString text = templ;
    if (grouped) {
        text.replace(QLatin1String("@name"), groupedName(field));
        text.replace(QLatin1String("@purename"), first->name());
        text.replace(QLatin1String("@value_hex"), QString::number(value, 16));
        text.replace(QLatin1String("@value"), QString::number(value));
    } else {
        text.replace(QLatin1String("@name"), first->name());
        text.replace(QLatin1String("@value_hex"), QString::number(first->value()));
        text.replace(QLatin1String("@value"), QString::number(first->value()));
    }
    text.replace(QLatin1String("@group"), QString::number(first->fieldIndex()));
    QString bitNumber = QString::number(firstIndex);
    if (grouped) {
        if (field.size() > 1)
            bitNumber += QLatin1Char(':') + QString::number(firstIndex + field.size() - 1);
        bitNumber += QLatin1Char(' ');
    }
    text.replace(QLatin1String("@bitn"), bitNumber);
    text.replace(QLatin1String("@descr"), first->description());
    replaceAttributes(text, first->attributes());
    replaceAttributes(text, m_attributes);
    return text;
}

QString Register::expandVirtual(const QString &templ, const QString &name,
                                const Virtual *field) const
{
    QString text = templ;
    text.replace(QLatin1String("@name"), name + QLatin1String("[]"));
    text.replace(QLatin1String("@purename"), name);
    text.replace(QLatin1String("@value_hex"), QString::number(field->value(), 16));
    text.replace(QLatin1String("@value"), QString::number(field->value()));
    text.replace(QLatin1String("@group"), QString());
    text.replace(QLatin1String("@bitn"), QLatin1String("virtual"));
    text.replace(QLatin1String("@descr"), field->description());
    return text;
}

QString Register::format(const QString &templ, bool grouped, bool withVirtual) const
{
    QString out;
    if (!grouped) {
        for (int i = 0; i < size(); ++i)
            out += asLatin1(expandEntry(templ, BitList{m_bits.at(i)}, false, i));
    } else {
        // A field is a maximal run of consecutive bits with one name.
        int start = 0;
        while (start < size()) {
            int end = start + 1;
            while (end < size() && m_bits.at(end)->name() == m_bits.at(start)->name())
                ++end;
            const BitList field = m_bits.mid(start, end - start);
            if (!groupedName(field).isEmpty())
                out += asLatin1(expandEntry(templ, field, true, start));
            start = end;
        }
        if (withVirtual) {
            for (auto it = m_virtualFields.constBegin(); it != m_virtualFields.constEnd(); ++it)
                out += asLatin1(expandVirtual(templ, it.key(), it.value()));
        }
    }
    const qsizetype nul = out.indexOf(QChar(0));
    if (nul >= 0)
        out.truncate(nul);
    return out;
}

// Remainder of the register's bits (bit size - 1 the highest power) with the seed placed above
// them and width zero bits below, divided by the polynomial (top bit, bit width, included).
quint32 Register::crc(int width, quint32 seed, quint32 poly) const
{
    if (width < 1 || width > 31) {
        qCWarning(lcModel, "Register %s: CRC width %d outside 1..31", qPrintable(m_name), width);
        return 0;
    }
    Register dividend(*this);
    dividend.parseItem(QStringLiteral("seed[%1]=%2").arg(width).arg(seed), -1);
    dividend.parseItem(QStringLiteral("padding[%1]=0").arg(width), 0);
    qCDebug(lcModel) << dividend.toBitString(false) << dividend.toBitString(true);

    const int total = dividend.size();
    const int divisorSize = width + 1;
    std::vector<quint8> bits(size_t(total), 0);
    for (int i = 0; i < total; ++i)
        bits[size_t(i)] = dividend.m_bits.at(i)->value();

    quint32 remainder = 0;
    for (int i = 0; divisorSize + i <= total; ++i) {
        const int bottom = total - divisorSize - i;
        if (bits[size_t(total - 1 - i)]) {
            for (int j = 0; j < divisorSize; ++j)
                bits[size_t(bottom + j)] ^= quint8((poly >> j) & 1u);
        }
        remainder = 0;
        for (int j = 0; j < divisorSize; ++j)
            remainder |= quint32(bits[size_t(bottom + j)]) << j;
    }
    return remainder;
}
