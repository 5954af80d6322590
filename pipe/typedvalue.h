#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <QVariant>

// Typed value text of the pipe protocol: a one-letter type prefix and the value.
//   "i42" integer, "f2.5" real (15 significant digits), "sHello" string, "x0aff" bytes,
//   "i#1;2;3" / "f#1.5;2" lists; any other text stands for no value.
class TypedValue
{
public:
    // Text to value. A text that is no typed value gives an invalid variant and *ok false: an
    // empty text, an unknown prefix, a number that does not parse, an integer outside 32 bits
    // (-2147483648 to 4294967295), a real that is not finite, bytes that are not pairs of
    // hexadecimal digits, a list with such an element. A number without digits is 0 of its
    // type: "i" is 0, "f" is 0.0, "i#" a list of one 0, "i#1;;2" the list 1, 0, 2.
    static QVariant decode(const QString &text, bool *ok = nullptr);
    // The same for Latin-1 bytes; a plain integer ("i42", "i-7") is read without a text.
    static QVariant decode(QByteArrayView latin1, bool *ok = nullptr);
    // Value to text; a type without a text form gives the empty text. With
    // unsignedAsInteger an unsigned 64-bit integer is written as "i" and its number (the
    // client's form); otherwise it has no text (the server's form).
    static QString encode(const QVariant &value, bool unsignedAsInteger = false);
    // The server's form of encode as the Latin-1 bytes that go out; the common types are
    // written straight to bytes.
    static QByteArray encodeLatin1(const QVariant &value);
    // The same, appended to *out.
    static void appendLatin1(const QVariant &value, QByteArray *out);
    // How a value is written, for the messages that refuse one.
    static const char *const Forms; // "i42, f2.5, sText or x0aff"

private:
    static bool decodeTyped(QChar type, QStringView rest, QVariant *value);
    static bool decodeList(QChar type, QStringView items, QVariant *value);
    static bool decodeInteger(QStringView digits, QVariant *value);
    static bool storeInteger(qlonglong wide, QVariant *value);
    static void appendInteger(qlonglong number, QByteArray *out);
    static bool decodeReal(QStringView digits, QVariant *value);
    static bool decodeBytes(QStringView hex, QVariant *value);
    static QString encodeList(const QVariantList &list);
    static QString elementText(const QVariant &element);
};
