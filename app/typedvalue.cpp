#include "typedvalue.h"

#include <QStringList>

QVariant TypedValue::decode(const QString &text)
{
    if (text.isEmpty() || text.at(0).unicode() > 255)
        return QVariant();
    const QChar type = text.at(0);
    const bool isList = text.size() >= 2 && text.at(1) == QLatin1Char('#');
    if (type == QLatin1Char('i') && isList) {
        QVariantList list;
        for (const QString &item : text.mid(2).split(QLatin1Char(';')))
            list.append(item.toInt(nullptr, 10));
        return list;
    }
    if (type == QLatin1Char('f') && isList) {
        QVariantList list;
        for (const QString &item : text.mid(2).split(QLatin1Char(';')))
            list.append(item.toDouble());
        return list;
    }
    const QString rest = text.mid(1);
    switch (type.unicode()) {
    case 'i':
        return decodeInteger(rest);
    case 'f':
        return rest.toDouble();
    case 's':
        return rest;
    case 'x':
        return QByteArray::fromHex(rest.toLatin1());
    default:
        return QVariant();
    }
}

// A number with bit 31 set (negative 32-bit values, and unsigned ones above 2^31-1) stays a
// 64-bit integer; any other number is read as a 32-bit integer (0 when it does not fit).
QVariant TypedValue::decodeInteger(const QString &digits)
{
    const qlonglong wide = digits.toLongLong(nullptr, 10);
    if (wide & 0x80000000LL)
        return wide;
    return digits.toInt(nullptr, 10);
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
