#ifndef ATTRIBUTELIST_H
#define ATTRIBUTELIST_H

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Text keys to text values that keep the order in which each key was first set, so that
// listings and template expansion come out the same on every run.
class AttributeList
{
public:
    using Entry = QPair<QString, QString>;

    // The value of a key, or an empty text when the key is missing (nothing is added).
    QString value(const QString &key) const;
    bool contains(const QString &key) const;
    // Sets a key; an existing key keeps its place and takes the new value.
    void set(const QString &key, const QString &value);
    QStringList keys() const;
    const QList<Entry> &entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty(); }

private:
    const Entry *find(const QString &key) const;

    QList<Entry> m_entries;
};

#endif // ATTRIBUTELIST_H
