#include "translationtable.h"

#include "variable.h"

namespace
{

const QChar TranslatedSide('K');
const QChar StoredSide('V');

} // namespace

TranslationTable::TranslationTable(const QString &text)
{
    parse(text);
}

void TranslationTable::parse(const QString &text)
{
    if (text.startsWith('=')) {
        m_expression = text.mid(1);
        return;
    }
    m_entries.clear();
    m_entryOrder.clear();
    const QStringList items = text.split(';', Qt::KeepEmptyParts);
    for (const QString &item : items) {
        const QStringList sides = item.split(QStringLiteral("::"), Qt::KeepEmptyParts);
        if (sides.size() != 2)
            continue;
        const Variable translated = Variable::fromTypedText(sides.at(0));
        const Variable stored = Variable::fromTypedText(sides.at(1));
        if (translated.isUntyped() || stored.isUntyped())
            continue;
        const QString translatedText = TranslatedSide + translated.toTypedText();
        const QString storedText = StoredSide + stored.toTypedText();
        insertEntry(translatedText, storedText);
        insertEntry(storedText, translatedText);
    }
}

void TranslationTable::insertEntry(const QString &key, const QString &value)
{
    if (!m_entries.contains(key))
        m_entryOrder.append(key);
    m_entries.insert(key, value);
}

Variable TranslationTable::lookup(int direction, const Variable &variable) const
{
    const QChar side = direction == StoredToTranslated ? StoredSide : TranslatedSide;
    const auto found = m_entries.constFind(side + variable.toTypedText());
    if (found == m_entries.constEnd())
        return Variable();
    return Variable::fromTypedText(found.value().mid(1));
}

QStringList TranslationTable::valueTexts(int direction) const
{
    const QChar side = direction == StoredToTranslated ? TranslatedSide : StoredSide;
    QStringList texts;
    for (const QString &key : m_entryOrder) {
        const QString &value = m_entries.value(key);
        if (!value.isEmpty() && value.at(0) == side)
            texts.append(value.mid(2));
    }
    return texts;
}
