#include "workspace.h"

#include "applet.h"
#include "appletlookup.h"
#include "prompt.h"
#include "regularfile.h"
#include "wholefile.h"

#include <QBuffer>
#include <QFileInfo>

const char *const Workspace::Extension = ".bench";
const char *const Workspace::FileFilter = "Files (*.bench)";

namespace
{

// The most read from a workspace: the settings of every tool window take a few KiB.
constexpr qint64 MaxFileSize = 4 * RegularFile::MiB;

// One line of a workspace: everything up to the next line feed, which is cut; a carriage
// return stays (a file with CR LF line ends so loads no block).
QByteArray nextLine(QIODevice &device)
{
    QByteArray line = device.readLine();
    if (line.endsWith('\n'))
        line.chop(1);
    return line;
}

} // namespace

Workspace::Workspace(const QList<Applet *> &applets) : m_applets(applets) {}

bool Workspace::save()
{
    m_error.clear();
    bool accepted = false;
    const QStringList chosen =
        Prompt::choices(QStringLiteral("Select windows save..."), appletNames(), &accepted);
    if (!accepted || chosen.isEmpty())
        return true;
    QString fileName = Prompt::saveFile(QStringLiteral("Save workspace"), QString(),
                                        QString::fromLatin1(FileFilter));
    if (fileName.isEmpty())
        return true;
    // A name typed without any extension gets the workspace one, as the filter suggests.
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QLatin1String(Extension);
    return write(fileName, chosen);
}

bool Workspace::load(const QString &fileName)
{
    m_error.clear();
    QString name = fileName;
    if (name.isEmpty()) {
        name = Prompt::openFile(QStringLiteral("Load workspace"), QString(),
                                QString::fromLatin1(FileFilter));
        if (name.isEmpty())
            return true;
    }
    return read(name);
}

QByteArray Workspace::format(const QStringList &names) const
{
    QByteArray text;
    for (Applet *applet : m_applets) {
        if (!applet || applet->name().isEmpty())
            continue;
        if (!names.isEmpty() && !names.contains(applet->name()))
            continue;
        text += applet->name().toLatin1();
        text += "\n{\n";
        text += applet->saveConfig();
        text += "\n}\n";
    }
    return text;
}

bool Workspace::write(const QString &fileName, const QStringList &names)
{
    m_fileName = fileName;
    m_error.clear();
    return writeWholeFile(fileName, format(names), &m_error);
}

int Workspace::apply(const QByteArray &text) const
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    Applet *current = nullptr;
    bool inBlock = false;
    QByteArray block;
    int loaded = 0;
    while (!buffer.atEnd()) {
        const QByteArray line = nextLine(buffer);
        if (line == "{") {
            inBlock = true;
            block.clear();
        } else if (line == "}" && inBlock) {
            inBlock = false;
            if (current) {
                current->loadConfig(block);
                ++loaded;
            }
        } else if (inBlock) {
            block += line;
            block += '\n';
        } else {
            current = findApplet(QString::fromLatin1(line));
        }
    }
    return loaded;
}

bool Workspace::read(const QString &fileName)
{
    m_fileName = fileName;
    m_error.clear();
    QByteArray text;
    if (!RegularFile::read(fileName, MaxFileSize, &text, &m_error))
        return false;
    apply(text);
    return true;
}

QStringList Workspace::appletNames() const
{
    QStringList names;
    for (Applet *applet : m_applets) {
        if (applet && !applet->name().isEmpty())
            names.append(applet->name());
    }
    return names;
}

Applet *Workspace::findApplet(const QString &name) const
{
    return findAppletByName(m_applets, name);
}

QList<Workspace::MenuEntry> Workspace::menuEntries(const QDir &dir)
{
    QList<MenuEntry> entries;
    const QStringList files =
        dir.entryList({QLatin1Char('*') + QLatin1String(Extension)}, QDir::Files | QDir::Readable,
                      QDir::Name | QDir::IgnoreCase);
    for (const QString &file : files) {
        QString text = file;
        text.remove(QLatin1String(Extension));
        entries.append({text, file});
    }
    return entries;
}
