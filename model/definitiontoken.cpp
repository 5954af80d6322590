#include "definitiontoken.h"

#include <QRegularExpression>
#include <QStringList>

QList<DefinitionToken> DefinitionToken::split(const QString &text)
{
    // A value may run over several lines, as the definition texts are free-form.
    static const QRegularExpression keyValue(QStringLiteral("(\\w+)=(.*)"),
                                             QRegularExpression::DotMatchesEverythingOption |
                                                 QRegularExpression::UseUnicodePropertiesOption);
    QList<DefinitionToken> tokens;
    const QStringList pieces = text.split(QLatin1Char('@'), Qt::SkipEmptyParts);
    for (const QString &piece : pieces) {
        const QRegularExpressionMatch match = keyValue.match(piece);
        if (match.hasMatch())
            tokens.append({match.captured(1).trimmed(), match.captured(2).trimmed()});
        else
            tokens.append({piece.trimmed(), QString()});
    }
    return tokens;
}
