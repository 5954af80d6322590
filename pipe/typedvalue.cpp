#include "typedvalue.h"

#include "bytetext.h"

#include <QStringList>
#include <QtMath>

#include <algorithm>
#include <cctype>
#include <charconv>

const char *const TypedValue::Forms = "i42, f2.5, sText or x0aff";

QVariant TypedValue::decode(const QString &text, bool *ok)
{
    QVariant value;
    const bool decoded = !text.isEmpty() && text.at(0).unicode() <= 255 &&
                         decodeTyped(text.at(0), QStringView(text).mid(1), &value);
    if (ok)
        *ok = decoded;
    return decoded ? value : QVariant();
}

QVariant TypedValue::decode(QByteArrayView latin1, bool *ok)
{
    const QByteArrayView digits = latin1.sliced(qMin<qsizetype>(latin1.size(), 1));
    const bool plain = latin1.startsWith('i') && !digits.isEmpty() && digits.size() <= 11 &&
                       std::all_of(digits.begin() + (digits.startsWith('-') ? 1 : 0), digits.end(),
                                   [](char c) { return c >= '0' && c <= '9'; });
    qlonglong wide = 0;
    if (plain) {
        const auto end = digits.data() + digits.size();
        const std::from_chars_result read = std::from_chars(digits.data(), end, wide);
        QVariant value;
        if (read.ptr == end && read.ec == std::errc() && storeInteger(wide, &value)) {
            if (ok)
                *ok = true;
            return value;
        }
    }
    return decode(QString::fromLatin1(latin1), ok);
}

bool TypedValue::decodeTyped(QChar type, QStringView rest, QVariant *value)
{
    if ((type == QLatin1Char('i') || type == QLatin1Char('f')) && rest.startsWith(QLatin1Char('#')))
        return decodeList(type, rest.mid(1), value);
    switch (type.unicode()) {
    case 'i':
        return decodeInteger(rest, value);
    case 'f':
        return decodeReal(rest, value);
    case 's':
        *value = rest.toString();
        return true;
    case 'x':
        return decodeBytes(rest, value);
    default:
        return false;
    }
}

bool TypedValue::decodeList(QChar type, QStringView items, QVariant *value)
{
    QVariantList list;
    for (QStringView item : items.split(QLatin1Char(';'))) {
        QVariant element;
        const bool ok =
            type == QLatin1Char('i') ? decodeInteger(item, &element) : decodeReal(item, &element);
        if (!ok)
            return false;
        list.append(element);
    }
    *value = list;
    return true;
}

// A number with bit 31 set (negative 32-bit values, and unsigned ones above 2^31-1) stays a
// 64-bit integer; any other number is a 32-bit integer. Beyond 32 bits it is refused. No digits
// at all is the shorthand for 0.
bool TypedValue::decodeInteger(QStringView digits, QVariant *value)
{
    if (digits.isEmpty()) {
        *value = 0;
        return true;
    }
    bool ok = false;
    const qlonglong wide = digits.toLongLong(&ok, 10);
    return ok && storeInteger(wide, value);
}

bool TypedValue::storeInteger(qlonglong wide, QVariant *value)
{
    if (wide < -0x80000000LL || wide > 0xFFFFFFFFLL)
        return false;
    if (wide & 0x80000000LL)
        *value = wide;
    else
        *value = int(wide);
    return true;
}

// No digits at all is the shorthand for 0.0.
bool TypedValue::decodeReal(QStringView digits, QVariant *value)
{
    if (digits.isEmpty()) {
        *value = 0.0;
        return true;
    }
    bool ok = false;
    const double real = digits.toDouble(&ok);
    if (!ok || !qIsFinite(real))
        return false;
    *value = real;
    return true;
}

bool TypedValue::decodeBytes(QStringView hex, QVariant *value)
{
    if (hex.size() % 2 != 0)
        return false;
    for (QChar c : hex) {
        if (c.unicode() > 127 || !std::isxdigit(c.unicode()))
            return false;
    }
    *value = QByteArray::fromHex(hex.toLatin1());
    return true;
}

QString TypedValue::encode(const QVariant &value, bool unsignedAsInteger)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("i1") : QStringLiteral("i0");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        return QLatin1Char('i') + value.toString();
    case QMetaType::ULongLong:
        return unsignedAsInteger ? QLatin1Char('i') + value.toString() : QString();
    case QMetaType::Double:
        return QLatin1Char('f') + QString::number(value.toDouble(), 'g', 15);
    case QMetaType::QString: {
        const QString text = value.toString();
        const qsizetype zero = text.indexOf(QChar(0));
        return QLatin1Char('s') +
               QString::fromLatin1(text.left(zero < 0 ? text.size() : zero).toLatin1());
    }
    case QMetaType::QByteArray:
        return QLatin1Char('x') + QString::fromLatin1(value.toByteArray().toHex());
    case QMetaType::QVariantList:
        return encodeList(value.toList());
    default:
        return QString();
    }
}

QByteArray TypedValue::encodeLatin1(const QVariant &value)
{
    QByteArray bytes;
    appendLatin1(value, &bytes);
    return bytes;
}

void TypedValue::appendLatin1(const QVariant &value, QByteArray *out)
{
    switch (value.typeId()) {
    case QMetaType::Int:
        return appendInteger(*static_cast<const int *>(value.constData()), out);
    case QMetaType::UInt:
        return appendInteger(*static_cast<const uint *>(value.constData()), out);
    case QMetaType::LongLong:
        return appendInteger(*static_cast<const qlonglong *>(value.constData()), out);
    case QMetaType::QString: {
        const QString text = value.toString();
        const qsizetype zero = text.indexOf(QChar(0));
        out->append('s').append(text.left(zero < 0 ? text.size() : zero).toLatin1());
        return;
    }
    case QMetaType::QByteArray:
        out->append('x').append(value.toByteArray().toHex());
        return;
    default:
        out->append(encode(value).toLatin1());
        return;
    }
}

void TypedValue::appendInteger(qlonglong number, QByteArray *out)
{
    char text[24] = {'i'};
    const std::to_chars_result end = std::to_chars(text + 1, text + sizeof text, number);
    appendBytes(out, QByteArrayView(text, end.ptr - text));
}

QString TypedValue::encodeList(const QVariantList &list)
{
    if (list.isEmpty())
        return QString();
    QString text;
    switch (list.first().typeId()) {
    case QMetaType::Int:
        text = QStringLiteral("i#");
        break;
    case QMetaType::Double:
        text = QStringLiteral("f#");
        break;
    default:
        break;
    }
    QStringList items;
    for (const QVariant &element : list)
        items.append(elementText(element));
    // The reply travels as 8-bit characters: anything beyond Latin-1 becomes "?".
    return QString::fromLatin1((text + items.join(QLatin1Char(';'))).toLatin1());
}

QString TypedValue::elementText(const QVariant &element)
{
    if (element.typeId() == QMetaType::Double)
        return QString::number(element.toDouble(), 'g', 15);
    return element.toString();
}
