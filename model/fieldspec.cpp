#include "fieldspec.h"

#include "modellog.h"

#include <limits>

namespace
{

enum Part { NamePart = 0, BracketPart = 1, RangePart = 2, ValuePart = 3, DescriptionPart = 4 };
constexpr int PartCount = 5;

bool isAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

FieldSpec::FieldSpec() = default;

bool FieldSpec::set(const char *expr)
{
    m_allBits = false;
    m_low = 0;
    m_high = 0;
    m_value = 0;
    m_valid = parse(expr);
    return m_valid;
}

bool FieldSpec::parse(const char *expr)
{
    m_hasRange = false;
    m_hasBracket = false;
    m_isNamed = false;
    m_hasValue = false;
    if (!scan(expr ? expr : ""))
        return false;
    evaluate();
    return true;
}

const char *FieldSpec::part(int n) const
{
    if (n < 0 || n >= PartCount)
        return "";
    return m_parts[size_t(n)].constData();
}

// Splits the expression into its five parts. Separators may only move forward through the
// parts; a repeated separator of the current part is dropped, "]" is ignored everywhere.
bool FieldSpec::scan(const char *expr)
{
    for (QByteArray &p : m_parts)
        p.clear();
    int current = NamePart;
    for (int i = 0; i < MaxScanLength && expr[i] != '\0'; ++i) {
        const char c = expr[i];
        int target = -1;
        switch (c) {
        case ':':
            target = RangePart;
            m_hasRange = true;
            break;
        case '[':
            target = BracketPart;
            m_hasBracket = true;
            break;
        case '=':
            target = ValuePart;
            m_hasValue = true;
            break;
        case '#':
            target = DescriptionPart;
            break;
        case ']':
            continue;
        default:
            m_parts[size_t(current)].append(c);
            continue;
        }
        if (target < current) {
            qCWarning(lcModel).noquote() << "ERROR parsing field" << expr;
            return false;
        }
        current = target; // parts skipped on the way stay empty
    }
    return true;
}

void FieldSpec::evaluate()
{
    const QByteArray &bracket = m_parts[BracketPart];
    m_isNamed = !bracket.isEmpty() && isAsciiLetter(bracket.at(0));
    if (m_hasBracket && !m_isNamed) {
        if (bracket.isEmpty()) {
            m_low = 0;
            m_high = AllBitsHigh;
            m_allBits = true;
        } else if (m_hasRange) {
            m_low = readBound(bracket);
            m_high = readBound(m_parts[RangePart]);
            if (m_high < m_low)
                qSwap(m_low, m_high);
        } else {
            m_low = m_high = readBound(bracket);
        }
    }
    if (m_hasValue)
        m_value = readNumber(m_parts[ValuePart]);
}

quint32 FieldSpec::readNumber(const QByteArray &text)
{
    const QByteArray t = text.trimmed();
    bool ok = false;
    quint32 v = 0;
    if (t.startsWith("0x"))
        v = t.mid(2).toUInt(&ok, 16);
    else
        v = t.toUInt(&ok, 10);
    return ok ? v : 0;
}

int FieldSpec::readBound(const QByteArray &text)
{
    int i = 0;
    const int n = int(text.size());
    while (i < n && (text.at(i) == ' ' || text.at(i) == '\t'))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == '+' || text.at(i) == '-')) {
        negative = text.at(i) == '-';
        ++i;
    }
    qint64 v = 0;
    for (; i < n && text.at(i) >= '0' && text.at(i) <= '9'; ++i) {
        v = v * 10 + (text.at(i) - '0');
        if (v > std::numeric_limits<int>::max())
            v = qint64(std::numeric_limits<int>::max()) + 1; // keep it bounded
    }
    if (negative)
        v = -v;
    return int(qBound(qint64(std::numeric_limits<int>::min()), v,
                      qint64(std::numeric_limits<int>::max())));
}
