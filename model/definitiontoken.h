#ifndef DEFINITIONTOKEN_H
#define DEFINITIONTOKEN_H

#include <QList>
#include <QString>

// One "@key=value" token of a long-form definition text, as registers and variables write
// them: "@register=SPI_MAPP404", "@field=NOP[20:0] @value=0 @ADD=0", "@variable=SA@min=-1".
struct DefinitionToken {
    QString key;
    QString value;

    // Splits a text at every "@" (empty pieces dropped). A piece is read as the first match of
    // "(\w+)=(.*)" anywhere in it; a piece without "=" after a word is a key with an empty
    // value (a bare "@readonly"). Key and value are trimmed.
    static QList<DefinitionToken> split(const QString &text);
};

#endif // DEFINITIONTOKEN_H
