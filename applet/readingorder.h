#pragma once

#include <QList>

class QWidget;

// The order in which Tab goes through a window's controls: the order a person reads them in,
// from the top down and from left to right, a group box or page read whole where it stands (and
// with what stands beside it), whatever order the form made them in. In a main window of tool
// windows only the active tool window counts, before what lies beside and below it (the docked
// log, the connection bar), so Tab goes on from the tool window to the bar and back.
class ReadingOrder
{
public:
    // The controls in root that Tab can reach now (shown, enabled, taking focus by Tab).
    static QList<QWidget *> controls(QWidget *root);
    // Gives the keyboard to the control after from (before it, going back) in root's reading
    // order, wrapping at the ends, and scrolls it into view; false when root has none.
    static bool moveFocus(QWidget *root, QWidget *from, bool forward);

private:
    static void collect(QWidget *container, QList<QWidget *> *out);
    static QList<QWidget *> parts(QWidget *container);
    static bool takesTab(const QWidget *widget);
    static bool holdsControls(const QWidget *widget);
    static bool isBareText(const QWidget *widget);
    static void sortByRows(QList<QWidget *> *widgets);
    static QList<QWidget *> columns(QList<QWidget *> band);
    static void bringIntoView(QWidget *control);
};
