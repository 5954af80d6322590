#include "optionstring.h"

#include <QStringList>

OptionString::OptionString(const QString &text, const QString &itemSeparator,
                           const QString &keyValueSeparator)
    : m_itemSeparator(itemSeparator), m_keyValueSeparator(keyValueSeparator)
{
    parse(text);
}

int OptionString::parse(const QString &text)
{
    m_options.clear();
    m_text = text;
    int count = 0;
    const QStringList items = text.split(m_itemSeparator, Qt::KeepEmptyParts, Qt::CaseSensitive);
    for (const QString &item : items) {
        const QStringList parts =
            item.trimmed().split(m_keyValueSeparator, Qt::KeepEmptyParts, Qt::CaseSensitive);
        if (parts.size() != 2)
            continue;
        m_options.insert(parts.at(0).trimmed(), parts.at(1).trimmed());
        ++count;
    }
    return count;
}

bool OptionString::select(const QString &key)
{
    const auto found = m_options.constFind(key);
    if (found == m_options.constEnd())
        return false;
    m_text = found.value();
    return true;
}

OptionString &OptionString::value(const QString &key)
{
    select(key);
    return *this;
}

int OptionString::toInt(int base) const
{
    if (m_text.isEmpty())
        return 0;
    bool ok = false;
    int number = 0;
    if (m_text.startsWith(QLatin1String("0x")))
        number = m_text.mid(2).toInt(&ok, 16);
    else if (m_text.startsWith(QLatin1String("0b")))
        number = m_text.mid(2).toInt(&ok, 2);
    else
        number = m_text.toInt(&ok, base);
    return ok ? number : 0;
}

bool OptionString::toBool() const
{
    if (m_text.isEmpty())
        return false;
    if (m_text.at(0).isDigit())
        return m_text.toInt(nullptr, 10) != 0;
    return m_text.toUpper() == QLatin1String("TRUE");
}

double OptionString::toDouble() const
{
    bool ok = false;
    const double number = m_text.toDouble(&ok);
    return ok ? number : 0.0;
}

QByteArray OptionString::toBytes()
{
    QString compact;
    compact.reserve(m_text.size());
    for (const QChar c : qAsConst(m_text)) {
        if (!c.isSpace())
            compact.append(c);
    }
    m_text = compact;
    return QByteArray::fromHex(m_text.toLatin1());
}

// Selects the key and hands the converted current text to out (when given).
template <typename T, typename Convert>
bool OptionString::fetch(const QString &key, T *out, Convert convert)
{
    if (!select(key))
        return false;
    const T converted = convert();
    if (out)
        *out = converted;
    return true;
}

bool OptionString::getBool(const QString &key, bool *out)
{
    return fetch(key, out, [this] { return toBool(); });
}

bool OptionString::getInt(const QString &key, int *out)
{
    return fetch(key, out, [this] { return toInt(10); });
}

bool OptionString::getInt(const QString &key, quint32 *out)
{
    return fetch(key, out, [this] { return quint32(toInt(10)); });
}

bool OptionString::getDouble(const QString &key, double *out)
{
    return fetch(key, out, [this] { return toDouble(); });
}

bool OptionString::getString(const QString &key, QString *out)
{
    return fetch(key, out, [this] { return m_text; });
}

bool OptionString::getBytes(const QString &key, QByteArray *out)
{
    return fetch(key, out, [this] { return toBytes(); });
}
