#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

struct Binding;

// The values a name-based write gives a bound item: the number or bytes a value stands for,
// and whether a value fits an integer item.
class ItemValue
{
public:
    // The number a register write takes: numbers and number texts convert (a signed value wraps
    // to its two's complement, a real is rounded); texts that are no number, byte arrays, lists
    // and numbers beyond 32 bits do not.
    static bool toRegisterValue(const QVariant &value, quint32 *out);
    // The number a numeric variable takes: numbers, booleans and number texts.
    static bool toVariableNumber(const QVariant &value, double *out);
    // The bytes a string variable takes: bytes, texts and numbers as text.
    static bool toVariableBytes(const QVariant &value, QByteArray *out);

    // Whether value fits the item of b that name ("ITEM" or "ITEM[FIELD]") names. An integer
    // item (the bits of a register, a variable of whole numbers) takes only a whole number
    // within its range, but for a variable shown in a real-number edit, which takes any number
    // within its range, as a person may type there; otherwise *why says what it takes ("takes a
    // whole number from 0 to 3"). Other items, and names that select no bits, fit: the write
    // itself judges them.
    static bool fits(const Binding &b, const QString &name, const QVariant &value, QString *why);

    // Why a write of value by name with the access key was refused: "is read-only", what the
    // item takes, a name that selects no field; empty when the value and the item allow it.
    static QString refusal(const Binding &b, const QString &name, const QVariant &value, int key);

private:
    static bool numberRange(const Binding &b, const QString &name, double *min, double *max,
                            bool *whole);
};
