#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

class ProgramFiles;

// The program's options while it runs, key to value, and their file: "options.ini" (OptionsFile)
// in the options' folder that ProgramFiles gives. Where that folder cannot be kept (another user
// can change it), the file is neither read nor written.
class OptionsTable
{
public:
    // What a read or a write of the file did.
    enum Outcome { Done, NotKept, Failed };

    // The value of key; a key asked for is kept (null), so that the file lists it too.
    QVariant value(const QString &key);
    // Sets key; true when it is new or its value changed.
    bool set(const QString &key, const QVariant &value);
    const QHash<QString, QVariant> &values() const { return m_values; }

    // The options with the file's values of their keys in place of their own (a missing file
    // changes none); the reason in *error when it fails.
    Outcome read(const ProgramFiles &files, QHash<QString, QVariant> *values, QString *error) const;
    // Writes every option into the file; the reason in *error when it fails.
    Outcome write(const ProgramFiles &files, QString *error) const;

private:
    QHash<QString, QVariant> m_values;
};
