#include "applettable.h"

#include "applet.h"
#include "appletscroll.h"
#include "mainwindow.h"
#include "mdiarea.h"

#include <QAction>
#include <QCoreApplication>
#include <QMdiSubWindow>

#include <algorithm>

void AppletTable::reset(Applet *logs)
{
    m_entries.clear();
    m_placing = false;
    Entry first;
    first.applet = logs;
    m_entries.append(first);
}

Applet *AppletTable::at(int index)
{
    if (index < 0 || index >= count())
        return nullptr;
    if (m_entries.at(index).pending)
        build(index);
    return m_entries.at(index).applet;
}

Applet *AppletTable::built(int index) const
{
    return index >= 0 && index < count() ? m_entries.at(index).applet : nullptr;
}

QList<Applet *> AppletTable::builtApplets() const
{
    QList<Applet *> applets;
    for (const Entry &entry : m_entries) {
        if (entry.applet)
            applets.append(entry.applet);
    }
    return applets;
}

QList<Applet *> AppletTable::all()
{
    while (buildNext()) {
    }
    return builtApplets();
}

int AppletTable::indexOfName(const QString &name) const
{
    for (int i = 0; i < count(); ++i) {
        if (m_entries.at(i).applet && m_entries.at(i).applet->name() == name)
            return i;
    }
    return -1;
}

// A name is known once its applet is built: a name that none built so far has builds the rest.
// A shortcut is known before: entry i is built for its own key only.
Applet *AppletTable::find(const QVariant &key, int mode)
{
    switch (mode) {
    case ByName: {
        int index = indexOfName(key.toString());
        if (index < 0 && hasPending()) {
            all();
            index = indexOfName(key.toString());
        }
        return built(index);
    }
    case ByShortcut:
        for (int i = 0; i < count(); ++i) {
            const Entry &entry = m_entries.at(i);
            const int shortcut = entry.pending  ? shortcutKey(i)
                                 : entry.applet ? entry.applet->shortcut
                                                : -1;
            if (uint(shortcut) == key.toUInt() && at(i))
                return built(i);
        }
        return nullptr;
    case First:
        for (int i = 0; i < count(); ++i) {
            if (Applet *applet = at(i))
                return applet;
        }
        return nullptr;
    default:
        return nullptr;
    }
}

bool AppletTable::hasPending() const
{
    return std::any_of(m_entries.cbegin(), m_entries.cend(),
                       [](const Entry &entry) { return entry.pending; });
}

bool AppletTable::buildNext()
{
    for (int i = 0; i < count(); ++i) {
        if (m_entries.at(i).pending) {
            build(i);
            return true;
        }
    }
    return false;
}

// A factory that made no applet at the start leaves no entry, so the digits stay in a row.
void AppletTable::buildAtStart(const QList<AppletFactory> &factories)
{
    for (const AppletFactory &factory : factories) {
        Entry entry;
        entry.factory = factory;
        entry.pending = factory.isWhenNeeded();
        m_entries.append(entry);
    }
    for (int i = 1; i < count(); ++i) {
        Entry &entry = m_entries[i];
        if (!entry.pending)
            construct(i);
        else if (m_mainWindow)
            entry.window =
                Applet::createSubWindow(m_mainWindow->mdiArea(), entry.factory.formSize());
    }
    m_entries.erase(
        std::remove_if(m_entries.begin() + 1, m_entries.end(),
                       [](const Entry &entry) { return !entry.pending && !entry.applet; }),
        m_entries.end());
}

// Built inside its own sub-window, the form is never moved (a move re-polishes every widget of
// the form under the application's style sheet). A sub-window that its factory's applet did
// not take is removed.
void AppletTable::construct(int index)
{
    Entry &entry = m_entries[index];
    entry.pending = false;
    QMdiSubWindow *place =
        entry.window ? entry.window
                     : Applet::createSubWindow(m_mainWindow ? m_mainWindow->mdiArea() : nullptr);
    entry.window = nullptr;
    Applet *applet = entry.factory(place);
    if (!applet || AppletScroll::appletOf(place) != applet)
        delete place;
    m_entries[index].applet = applet;
}

bool AppletTable::setUp(int index)
{
    Applet *applet = built(index);
    if (!applet)
        return true;
    const bool ok = applet->setup();
    if (index > 0 && applet->containerKind() == Applet::MdiContainer) {
        applet->shortcut = shortcutKey(index);
        applet->setTitle(QStringLiteral("(Ctrl+%1) ").arg(index - 1) + applet->title());
    }
    return ok;
}

// An applet built after the start is set up and placed at once; a failed set-up is the
// applet's own error in the log (the program has started: it goes on without that window).
// Its widgets are polished when first shown, as those built at the start.
void AppletTable::build(int index)
{
    construct(index);
    Applet *applet = built(index);
    if (!applet)
        return;
    if (!setUp(index))
        emit applet->signal_log(
            -1, QStringLiteral("The tool window %1 could not be set up").arg(applet->name()));
    QCoreApplication::removePostedEvents(nullptr, QEvent::PolishRequest);
    if (m_placing)
        place(index);
}

void AppletTable::placeAll()
{
    m_placing = true;
    for (int i = 0; i < count(); ++i) {
        if (m_entries.at(i).applet)
            place(i);
    }
}

// The log applet docks beside the area and is listed in the Project menu; a tool applet gets
// its sub-window and its entry in the Application menu, before the entries of the tool
// applets that follow it in the table.
void AppletTable::place(int index)
{
    Entry &entry = m_entries[index];
    if (entry.placed || !entry.applet || !m_mainWindow)
        return;
    entry.placed = true;
    if (index == 0) {
        m_mainWindow->addApplet(MainWindow::ProjectMenu, entry.applet, false);
        return;
    }
    QAction *before = nullptr;
    for (int i = index + 1; i < count() && !before; ++i) {
        if (m_entries.at(i).placed)
            before = m_entries.at(i).applet->action();
    }
    m_mainWindow->addApplet(MainWindow::ApplicationMenu, entry.applet, true, before);
}

QList<Applet *> AppletTable::takeAll()
{
    const QList<Applet *> applets = builtApplets();
    m_entries.clear();
    m_placing = false;
    return applets;
}

int AppletTable::shortcutKey(int index)
{
    return Qt::Key_0 + index - 1;
}
