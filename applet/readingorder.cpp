#include "readingorder.h"

#include <QAbstractScrollArea>
#include <QGroupBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextEdit>
#include <QWidget>

#include <algorithm>

namespace
{

// Scrolls bar so that the span [low, high] of a view extent long comes into it.
void scrollInto(QScrollBar *bar, int low, int high, int extent)
{
    if (low < 0)
        bar->setValue(bar->value() + low);
    else if (high >= extent)
        bar->setValue(bar->value() + std::min(low, high - extent + 1));
}

} // namespace

QList<QWidget *> ReadingOrder::controls(QWidget *root)
{
    QList<QWidget *> found;
    if (root)
        collect(root, &found);
    return found;
}

bool ReadingOrder::moveFocus(QWidget *root, QWidget *from, bool forward)
{
    const QList<QWidget *> ring = controls(root);
    if (ring.isEmpty())
        return false;
    // A part of a control (a combo box's field) stands for the control.
    qsizetype at = -1;
    for (qsizetype i = 0; i < ring.size() && at < 0; ++i) {
        if (from && (ring.at(i) == from || ring.at(i)->isAncestorOf(from)))
            at = i;
    }
    qsizetype next = forward ? at + 1 : at - 1;
    if (at < 0)
        next = forward ? 0 : ring.size() - 1;
    QWidget *target = ring.at((next + ring.size()) % ring.size());
    target->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    bringIntoView(target);
    return true;
}

// A control is taken as a whole; a container (a group box, a page, a scroll area holding
// controls) is read part by part where it stands.
void ReadingOrder::collect(QWidget *container, QList<QWidget *> *out)
{
    const QList<QWidget *> inside = parts(container);
    for (QWidget *part : inside) {
        const bool stop = takesTab(part);
        if (stop)
            out->append(part);
        if (!stop || qobject_cast<QGroupBox *>(part)) // a checkable group box: then its rows
            collect(part, out);
    }
}

// The shown child widgets of container in reading order. Of a tool-window area only the
// active tool window, of any other window nothing: each is a window of its own.
QList<QWidget *> ReadingOrder::parts(QWidget *container)
{
    QList<QWidget *> shown;
    const auto *area = qobject_cast<QMdiArea *>(container->parentWidget());
    const QObjectList children = container->children();
    for (QObject *child : children) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget || widget->isHidden())
            continue;
        const bool subWindow = widget->windowType() == Qt::SubWindow;
        if ((widget->isWindow() && !subWindow) ||
            (subWindow && (!area || static_cast<QWidget *>(area->activeSubWindow()) != widget)))
            continue;
        shown.append(widget);
    }
    sortByRows(&shown);
    return shown;
}

// Tab stops at a widget that takes the keyboard from Tab, unless it only holds controls (a tool
// window, a scroll area around a form), hands the keyboard to another (a tab widget to its tab
// bar) or only shows a text that takes no keys (a tutorial's).
bool ReadingOrder::takesTab(const QWidget *widget)
{
    return (widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() && !widget->focusProxy() &&
           widget->windowType() != Qt::SubWindow && !holdsControls(widget) && !isBareText(widget);
}

bool ReadingOrder::isBareText(const QWidget *widget)
{
    Qt::TextInteractionFlags flags = Qt::TextEditorInteraction;
    if (const auto *text = qobject_cast<const QPlainTextEdit *>(widget))
        flags = text->textInteractionFlags();
    else if (const auto *rich = qobject_cast<const QTextEdit *>(widget))
        flags = rich->textInteractionFlags();
    return flags == Qt::NoTextInteraction;
}

bool ReadingOrder::holdsControls(const QWidget *widget)
{
    const auto *area = qobject_cast<const QAbstractScrollArea *>(widget);
    if (!area)
        return false;
    const QList<QWidget *> inside = area->viewport()->findChildren<QWidget *>();
    return std::any_of(inside.cbegin(), inside.cend(), [](const QWidget *w) {
        return (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy();
    });
}

// Bands from the top: a widget that starts above the lowest bottom of a band so far stands in
// that band, so a group box and what stands beside it are read together. Within a band,
// columns from the left (a widget that starts left of the middle of a column's first one stands
// in that column), each read from the top.
void ReadingOrder::sortByRows(QList<QWidget *> *widgets)
{
    std::stable_sort(widgets->begin(), widgets->end(),
                     [](const QWidget *a, const QWidget *b) { return a->y() < b->y(); });
    QList<QWidget *> sorted;
    for (qsizetype first = 0; first < widgets->size();) {
        int bottom = widgets->at(first)->geometry().bottom();
        qsizetype end = first + 1;
        for (; end < widgets->size() && widgets->at(end)->y() <= bottom; ++end)
            bottom = std::max(bottom, widgets->at(end)->geometry().bottom());
        sorted += columns(widgets->mid(first, end - first));
        first = end;
    }
    *widgets = sorted;
}

QList<QWidget *> ReadingOrder::columns(QList<QWidget *> band)
{
    std::stable_sort(band.begin(), band.end(),
                     [](const QWidget *a, const QWidget *b) { return a->x() < b->x(); });
    QList<QWidget *> sorted;
    for (qsizetype first = 0; first < band.size();) {
        const int middle = band.at(first)->geometry().center().x();
        qsizetype end = first + 1;
        while (end < band.size() && band.at(end)->x() <= middle)
            ++end;
        QList<QWidget *> column = band.mid(first, end - first);
        std::stable_sort(column.begin(), column.end(),
                         [](const QWidget *a, const QWidget *b) { return a->y() < b->y(); });
        sorted += column;
        first = end;
    }
    return sorted;
}

// Every scroll area around the control scrolls it into its view, the innermost first.
void ReadingOrder::bringIntoView(QWidget *control)
{
    for (QWidget *w = control->parentWidget(); w && !w->isWindow(); w = w->parentWidget()) {
        auto *area = qobject_cast<QAbstractScrollArea *>(w);
        if (!area || !area->viewport()->isAncestorOf(control))
            continue;
        const QRect shown(control->mapTo(area->viewport(), QPoint()), control->size());
        scrollInto(area->horizontalScrollBar(), shown.left(), shown.right(),
                   area->viewport()->width());
        scrollInto(area->verticalScrollBar(), shown.top(), shown.bottom(),
                   area->viewport()->height());
    }
}
