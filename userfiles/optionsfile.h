#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

// The program options file "options.ini": INI text as QSettings writes it, one key=value line
// per option in the general section. A line is a section header when its text, without outer
// white space and byte-order marks, starts with "["; reading and saving share this rule, so
// the options are read from and written to the general section only. Values keep every
// character, a leading U+FEFF included.
//
// Saving changes only the values of the options' own lines: every other line of an existing
// file (other keys, other sections, comments, lines that do not parse) keeps its place and
// text, and keys new to the file are added to the general section in a stable order. The file
// is replaced through QSaveFile, so a failed write leaves the old file whole. The file is the
// user's alone (mode 0600), and one that another user can change is neither read nor written
// (PrivateFile).
class OptionsFile
{
public:
    static const char *const DefaultFileName; // "options.ini"

    // The program's option keys in the order of their defaults; written in this order when
    // they are new to the file, other new keys follow sorted by name.
    static QStringList knownKeys();

    // Reads the general section of the file at path into values (key to value; values are
    // texts, "@Invalid()" a null value). A missing file leaves values empty and is no error;
    // a file that exists but cannot be read gives false and the reason in *error.
    static bool read(const QString &path, QHash<QString, QVariant> *values, QString *error);

    // For every key of options that the file holds, replaces the value by the file's one;
    // other keys of the file are not taken. Same result and errors as read().
    static bool load(const QString &path, QHash<QString, QVariant> *options, QString *error);

    // Writes every option into the file (see above). False with the reason in *error when the
    // old file cannot be read or the new one cannot be written.
    static bool save(const QString &path, const QHash<QString, QVariant> &options, QString *error);

    // The text of one value as it stands after "=", and back.
    static QString encodeValue(const QVariant &value);
    static QVariant decodeValue(const QString &text);

    // The keys of options in writing order: knownKeys() first, then the others by name.
    static QStringList orderedKeys(const QHash<QString, QVariant> &options);
};
