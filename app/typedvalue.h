#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

// Typed value text of the pipe protocol: a one-letter type prefix and the value.
//   "i42" integer, "f2.5" real (15 significant digits), "sHello" string, "x0aff" bytes,
//   "i#1;2;3" / "f#1.5;2" lists; any other text stands for no value.
class TypedValue
{
public:
    // Text to value; an empty text, an unknown prefix or a first character beyond Latin-1
    // give an invalid variant.
    static QVariant decode(const QString &text);
    // Value to text; a type without a text form gives the empty text. With
    // unsignedAsInteger an unsigned 64-bit integer is written as "i" and its number (the
    // client's form); otherwise it has no text (the server's form).
    static QString encode(const QVariant &value, bool unsignedAsInteger = false);

private:
    static QVariant decodeInteger(const QString &digits);
    static QString encodeList(const QVariantList &list);
    static QString elementText(const QVariant &element);
};
