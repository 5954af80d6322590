#pragma once

#include "appletfactory.h"

#include <QList>
#include <QString>
#include <QVariant>

class Applet;
class MainWindow;
class QMdiSubWindow;

// The program's applets in table order, the log applet first. Each tool applet is built inside
// the MDI sub-window it lives in, set up, given its Ctrl+digit (its place among the tool
// applets) and, once the program has started, put into the main window and its Application
// menu at its place in the table.
//
// The applets of factories made whenNeeded() are built when first asked for: by index, by
// shortcut, by a name that no applet built so far has (then all of them, their names being
// known only once built), all at once (a connection puts every applet online), or one at a
// time by buildNext while the program waits. Each has its (empty, hidden) window from the start,
// in table order, as the area's windows are ordered when all are built at the start (which
// window takes the keyboard as others come and go follows that order); one whose form size its
// factory knows has that window at its size already: the main window opens large enough for it.
class AppletTable
{
public:
    // Lookup modes of find, as MainApp::FindMode.
    enum FindMode { ByName = 0, ByShortcut = 1, First = 2 };

    // The log applet as entry 0 and nothing else.
    void reset(Applet *logs);
    void setMainWindow(MainWindow *window) { m_mainWindow = window; }

    int count() const { return int(m_entries.size()); }
    // Entry index: built when needed; null for an index out of range or a factory that made no
    // applet.
    Applet *at(int index);
    // Entry index if it is built, otherwise null.
    Applet *built(int index) const;
    QList<Applet *> builtApplets() const;
    // Every applet, each built first where needed.
    QList<Applet *> all();
    Applet *find(const QVariant &key, int mode);
    // Whether an applet waits to be built.
    bool hasPending() const;
    // Builds the first applet that waits; false when none does.
    bool buildNext();

    // The start: an entry per factory, in order; builds the applets of the factories not made
    // whenNeeded(), and makes the windows of the others.
    void buildAtStart(const QList<AppletFactory> &factories);
    // Sets up entry index and numbers it; false when its set-up failed.
    bool setUp(int index);
    // Puts the applets built so far into the main window, and each one built from now on as
    // soon as it is built.
    void placeAll();
    // Empties the table; the applets built go to the caller.
    QList<Applet *> takeAll();

    // The Ctrl+digit key of entry index, a tool applet.
    static int shortcutKey(int index);

private:
    struct Entry {
        AppletFactory factory;
        Applet *applet = nullptr;
        QMdiSubWindow *window = nullptr; // made at the start for an applet built when needed
        bool pending = false;            // waits to be built
        bool placed = false;             // in the main window
    };

    void construct(int index);
    void build(int index);
    void place(int index);
    int indexOfName(const QString &name) const;

    QList<Entry> m_entries;
    MainWindow *m_mainWindow = nullptr;
    bool m_placing = false;
};
