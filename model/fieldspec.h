#ifndef FIELDSPEC_H
#define FIELDSPEC_H

#include <QByteArray>
#include <QtGlobal>

#include <array>

// One field expression of the form NAME[BRACKET:RANGE]=VALUE#DESCRIPTION, as in "SA[5]=0",
// "VSETPOINT[6:0]#Boost voltage", "BANK[SW1]", "[11:0]" or "SpiIn4B[]".
//
// The expression is split into five parts: 0 the name, 1 the bracket content up to ":",
// 2 the text after ":", 3 the text after "=", 4 the text after "#". Separators must appear in
// that order; an expression that breaks the order is refused with the warning
// "ERROR parsing field <expression>" through the Qt message handler.
class FieldSpec
{
public:
    // Scanning stops after this many characters.
    static constexpr int MaxScanLength = 9999;
    // Upper bound that an empty bracket ("[]") stands for.
    static constexpr int AllBitsHigh = 10000;

    FieldSpec();

    // Resets every flag and number, parses and returns the validity.
    bool set(const char *expr);
    // Parses without resetting allBits, low, high and value; false on a syntax error.
    bool parse(const char *expr);

    const char *part(int n) const;
    const char *name() const { return part(0); }
    const char *index() const { return part(1); }
    const char *description() const { return part(4); }

    bool isNamed() const { return m_isNamed; }
    bool hasRange() const { return m_hasRange; }
    bool hasBracket() const { return m_hasBracket; }
    bool hasValue() const { return m_hasValue; }
    bool allBits() const { return m_allBits; }
    bool isValid() const { return m_valid; }
    int low() const { return m_low; }
    int high() const { return m_high; }
    quint32 value() const { return m_value; }

    // Number text of a value: "0x" in front (case-sensitive) reads hexadecimal, anything else
    // decimal; surrounding blanks are allowed; unreadable text or more than 32 bits give 0.
    static quint32 readNumber(const QByteArray &text);
    // Decimal bound of a bracket: optional blanks and sign, then the leading digits (no digits
    // give 0); clamped to the int range.
    static int readBound(const QByteArray &text);

private:
    bool scan(const char *expr);
    void evaluate();

    std::array<QByteArray, 5> m_parts;
    bool m_hasRange = false;
    bool m_hasBracket = false;
    bool m_isNamed = false;
    bool m_hasValue = false;
    bool m_allBits = false;
    bool m_valid = false;
    int m_low = 0;
    int m_high = 0;
    quint32 m_value = 0;
};

#endif // FIELDSPEC_H
