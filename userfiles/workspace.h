#pragma once

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>

class Applet;

// Workspace files (".bench"): the configuration text of chosen applets, one block per applet
// in table order: the applet's object name, "\n{\n", its Applet::saveConfig text and "\n}\n".
// Loading hands each block to the applet named before it.
class Workspace
{
public:
    static const char *const Extension;  // ".bench"
    static const char *const FileFilter; // "Files (*.bench)"

    // One "&Config" menu entry: the text shown and the file it loads.
    struct MenuEntry {
        QString text;     // the file name with every ".bench" removed
        QString fileName; // the file's real name
    };

    // Works on the applet table (table order; null entries are skipped).
    explicit Workspace(const QList<Applet *> &applets);

    // "&Save config": asks which applets (Prompt::choices, titled "Select windows save...") and
    // which file, then writes the file. False only when writing failed (errorString() tells
    // why); a cancelled question is no failure.
    bool save();
    // "&Load config": reads fileName, asking for a file first when it is empty. False only
    // when the file could not be read.
    bool load(const QString &fileName);

    // The file chosen or read last, and the reason of the last failure.
    QString fileName() const { return m_fileName; }
    QString errorString() const { return m_error; }

    // The blocks of the applets named in names (all when names is empty), in table order.
    QByteArray format(const QStringList &names = QStringList()) const;
    // Writes format(names) through QSaveFile.
    bool write(const QString &fileName, const QStringList &names);
    // Hands every block of a workspace text to its applet; returns the blocks loaded. Lines
    // may have any length; only the line feed that ends a line is cut.
    int apply(const QByteArray &text) const;
    // Reads a workspace file and applies it.
    bool read(const QString &fileName);

    // The object names of the table's applets that have one, in table order.
    QStringList appletNames() const;
    // The first applet with the object name, or null.
    Applet *findApplet(const QString &name) const;

    // The "&Config" entries of a directory's ".bench" files, by name with case ignored.
    static QList<MenuEntry> menuEntries(const QDir &dir = QDir::current());

private:
    QList<Applet *> m_applets;
    QString m_fileName;
    QString m_error;
};
