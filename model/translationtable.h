#ifndef TRANSLATIONTABLE_H
#define TRANSLATIONTABLE_H

#include <QHash>
#include <QString>
#include <QStringList>

class Variable;

// Maps the stored values of a variable to a translated form and back, pair by pair, as in
// "sON::i1;sOFF::i0" (translated side first, stored side second; both are typed texts).
// Each pair gives two entries: "K"+translated -> "V"+stored and "V"+stored -> "K"+translated.
class TranslationTable
{
public:
    enum Direction { StoredToTranslated = 0, TranslatedToStored = 1 };

    TranslationTable() = default;
    explicit TranslationTable(const QString &text);

    // Fills the table from a text; a text beginning with "=" only stores the expression.
    void parse(const QString &text);

    // The partner of a variable's value (direction 0: stored -> translated, 1: back);
    // an untyped variable with value 0 when no pair holds it.
    Variable lookup(int direction, const Variable &variable) const;

    // Bare value texts of the translated (0) or stored (1) sides, in the order of the pairs.
    QStringList valueTexts(int direction) const;

    QString expression() const { return m_expression; }
    int entryCount() const { return m_entries.size(); }

private:
    void insertEntry(const QString &key, const QString &value);

    QHash<QString, QString> m_entries;
    QStringList m_entryOrder; // keys in first-insertion order, so listings stay stable
    QString m_expression;
};

#endif // TRANSLATIONTABLE_H
