#ifndef OPTIONSTRING_H
#define OPTIONSTRING_H

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// A short option text of key/value items ("type=3,angle=90") read into a map. Works like a
// cursor: selecting a key makes its value the current text, which the conversions then read.
class OptionString
{
public:
    explicit OptionString(const QString &text = QString(), const QString &itemSeparator = ",",
                          const QString &keyValueSeparator = "=");

    // Rebuilds the options from the text; returns the number of items read as options.
    int parse(const QString &text);

    // Selects a key: when present, its value becomes the current text.
    OptionString &value(const QString &key);
    bool contains(const QString &key) const { return m_options.contains(key); }
    QStringList keys() const { return m_options.keys(); }
    QString text() const { return m_text; }

    // Conversions of the current text.
    int toInt(int base = 10) const;
    bool toBool() const;
    double toDouble() const;
    QByteArray toBytes(); // removes the blanks from the current text

    // Typed getters: false and nothing changed for an absent key; otherwise the value becomes
    // the current text, the output (when given) is filled and the result is true.
    bool getBool(const QString &key, bool *out = nullptr);
    bool getInt(const QString &key, int *out = nullptr);
    bool getInt(const QString &key, quint32 *out);
    bool getDouble(const QString &key, double *out = nullptr);
    bool getString(const QString &key, QString *out = nullptr);
    bool getBytes(const QString &key, QByteArray *out = nullptr);

private:
    bool select(const QString &key);
    template <typename T, typename Convert> bool fetch(const QString &key, T *out, Convert convert);

    QString m_text;
    QMap<QString, QString> m_options;
    QString m_itemSeparator;
    QString m_keyValueSeparator;
};

#endif // OPTIONSTRING_H
