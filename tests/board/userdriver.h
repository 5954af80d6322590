#pragma once

// Input as a person makes it, through QTest's mouse and key events: clicks on buttons and tabs,
// slider and dial drags (press on the handle, moves, release), choices from a combo box's
// list, typing into fields. The mouse acts on a point of the window, where a person aims, so
// it reaches what lies there, as the window system delivers it. A modal dialog opened by an
// action is closed by a watchdog, as a person would press Escape, and its title is noted,
// unless the script answers it. Header only.
#include "sliderdrag.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDial>
#include <QDialog>
#include <QHash>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSet>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QtMath>
#include <QtTest>

#include <functional>

namespace UserDriver
{

// Closes each modal dialog that comes up while it lives, noting its title, unless the script
// answers it or works in it itself.
class ModalWatchdog
{
public:
    ModalWatchdog()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this]() { closeModal(); });
        m_timer.start(20);
    }
    // The titles of the dialogs closed since the last call.
    QStringList take() { return std::exchange(m_closed, {}); }
    // The next dialog titled title is given to act instead of being closed.
    void answerNext(const QString &title, std::function<void(QWidget *)> act)
    {
        m_answers.insert(title, std::move(act));
    }
    // Windows titled title are the script's to work in and to close.
    void leaveOpen(const QString &title) { m_leftOpen.insert(title); }

private:
    void closeModal()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || m_leftOpen.contains(modal->windowTitle()))
            return;
        if (const auto act = m_answers.take(modal->windowTitle())) {
            act(modal);
            return;
        }
        m_closed << modal->windowTitle();
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    }

    QTimer m_timer;
    QStringList m_closed;
    QHash<QString, std::function<void(QWidget *)>> m_answers;
    QSet<QString> m_leftOpen;
};

// Where a person aims to click w: the middle of a check box's or radio button's hit area (its
// indicator and text; the rest of a wide box takes no click), else the middle of w.
inline QPoint aimPoint(QWidget *w)
{
    QStyle::SubElement area = QStyle::SE_CheckBoxClickRect;
    if (qobject_cast<QRadioButton *>(w))
        area = QStyle::SE_RadioButtonClickRect;
    else if (!qobject_cast<QCheckBox *>(w))
        return w->rect().center();
    auto *button = static_cast<QAbstractButton *>(w);
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    return w->style()->subElementRect(area, &option, w).center();
}

// The mouse of a person: each press, move and release at a point of w's window, so it reaches
// whatever lies there (the widget on top, an open popup) as the window system delivers it, and
// the program takes up its events after each, as one that keeps up with the hand does.
class Pointer
{
public:
    explicit Pointer(QWidget *w) : m_top(w->window()), m_at(w->mapTo(m_top, aimPoint(w))) {}
    Pointer(QWidget *w, QPoint local) : m_top(w->window()), m_at(w->mapTo(m_top, local)) {}

    // The widget under the pointer.
    QWidget *under() const { return m_top->childAt(m_at); }
    void press() { QTest::mousePress(m_top->windowHandle(), Qt::LeftButton, {}, m_at); }
    void moveTo(QWidget *w, QPoint local)
    {
        m_at = w->mapTo(m_top, local);
        QTest::mouseMove(m_top->windowHandle(), m_at);
    }
    void release() { QTest::mouseRelease(m_top->windowHandle(), Qt::LeftButton, {}, m_at); }
    void click()
    {
        press();
        release();
    }

private:
    QWidget *m_top;
    QPoint m_at;
};

inline void click(QWidget *w)
{
    Pointer(w).click();
}

// Scrolls each scroll area that holds w (a tool window's frame, the window area) until as
// much of w's part (in w's coordinates) as fits lies in its view, as a person scrolls to a
// control before using it.
inline void scrollIntoView(QWidget *w, const QRect &part)
{
    for (QWidget *p = w->parentWidget(); p; p = p->parentWidget()) {
        auto *area = qobject_cast<QAbstractScrollArea *>(p);
        if (!area || !area->viewport()->isAncestorOf(w))
            continue;
        QWidget *view = area->viewport();
        const QRect at = part.translated(w->mapTo(view, QPoint(0, 0)));
        const auto scroll = [](QScrollBar *bar, int low, int high, int extent) {
            if (high > extent)
                bar->setValue(bar->value() + qMin(high - extent, low));
            else if (low < 0)
                bar->setValue(bar->value() + low);
        };
        scroll(area->horizontalScrollBar(), at.left(), at.right() + 1, view->width());
        scroll(area->verticalScrollBar(), at.top(), at.bottom() + 1, view->height());
    }
}

// The tab at index of tabs, clicked on its tab.
inline void switchTab(QTabWidget *tabs, int index)
{
    auto *bar = tabs->findChild<QTabBar *>(QString(), Qt::FindDirectChildrenOnly);
    const QRect tab = bar->tabRect(index);
    scrollIntoView(bar, tab);
    Pointer(bar, tab.center()).click();
}

// Brings w into view: raises its tool window above the others (as a person does through the
// window's title or the Window menu), shows the tab pages holding it, outermost first, by
// clicking their tabs, then scrolls to it.
inline void reveal(QWidget *w)
{
    for (QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (auto *sub = qobject_cast<QMdiSubWindow *>(p))
            if (sub->mdiArea() && sub->mdiArea()->activeSubWindow() != sub)
                sub->mdiArea()->setActiveSubWindow(sub);
    // A page's parent is the tab widget's stack, so the tab widget is two levels up.
    QList<QPair<QTabWidget *, int>> path;
    for (QWidget *child = w; child; child = child->parentWidget())
        if (QWidget *stack = child->parentWidget())
            if (auto *tabs = qobject_cast<QTabWidget *>(stack->parentWidget()))
                if (tabs->indexOf(child) >= 0)
                    path.prepend({tabs, tabs->indexOf(child)});
    for (const auto &[tabs, index] : path)
        if (tabs->currentIndex() != index)
            switchTab(tabs, index);
    scrollIntoView(w, w->rect());
}

// Replaces the text of a line edit or spin box by typing text, then presses Return.
inline void type(QWidget *edit, const QString &text)
{
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

// The item of combo a person picks when asked for item index: that one, or the next when it is
// the one already shown (choosing what is shown changes nothing).
inline int differentItem(const QComboBox *combo, int index)
{
    return index == combo->currentIndex() && combo->count() > 1 ? (index + 1) % combo->count()
                                                                : index;
}

// Opens the combo box's list with a click and clicks its item index; false when the list did
// not come up or did not take the click.
inline bool choose(QComboBox *combo, int index)
{
    click(combo);
    QAbstractItemView *view = combo->view();
    if (!QTest::qWaitFor([view]() { return view->isVisible(); }, 5000))
        return false;
    const QRect item = view->visualRect(view->model()->index(index, combo->modelColumn()));
    // The list ignores a release that comes too soon after it opened: click until it takes one.
    return QTest::qWaitFor(
        [view, item]() {
            Pointer(view->viewport(), item.center()).click();
            return !view->isVisible();
        },
        10000);
}

// Presses slider's handle, moves the mouse along the groove a few pixels at a time until the
// handle shows value (or stops moving), and releases it there.
inline void drag(QSlider *slider, int value)
{
    QPoint at = SliderDrag::handleCentre(slider);
    Pointer held(slider, at);
    held.press();
    const bool horizontal = slider->orientation() == Qt::Horizontal;
    const auto move = [&](int pixels) {
        at += horizontal ? QPoint(pixels, 0) : QPoint(0, -pixels);
        held.moveTo(slider, at);
        return slider->sliderPosition();
    };
    const int step = value > slider->sliderPosition() ? 3 : -3;
    // At an end of the groove the handle stops: some forty moves without a change end the drag.
    for (int moves = 0, still = 0; moves < 400 && still < 40 && slider->sliderPosition() != value;
         ++moves) {
        const int before = slider->sliderPosition();
        if ((step > 0) != (move(step) < value)) // went past it: a pixel back at a time
            for (int back = 0; back < 3 && slider->sliderPosition() != value; ++back)
                move(step > 0 ? -1 : 1);
        still = slider->sliderPosition() == before ? still + 1 : 0;
    }
    held.release();
}

// The point of dial's ring that stands for value; for an end of the range a little beyond it,
// so that the pixel's rounding cannot miss the end.
inline QPoint dialPoint(const QDial *dial, int value)
{
    const double range = qMax(1, dial->maximum() - dial->minimum());
    double angle = M_PI * 4 / 3 - (value - dial->minimum()) * (M_PI * 10 / 6) / range;
    if (value <= dial->minimum())
        angle += 0.1;
    else if (value >= dial->maximum())
        angle -= 0.1;
    const double radius = qMin(dial->width(), dial->height()) / 3.0;
    return QPoint(qRound(dial->width() / 2.0 + radius * qCos(angle)),
                  qRound(dial->height() / 2.0 - radius * qSin(angle)));
}

// Presses dial's ring half a step from its mark towards value (a person's grab is never on the
// mark, and the press turns the dial there), turns it in steps of a tenth of its range to
// value and releases it there.
inline void drag(QDial *dial, int value)
{
    const int step = qMax(1, (dial->maximum() - dial->minimum()) / 10);
    const auto towards = [value](int from, int by) {
        return value > from ? qMin(value, from + by) : qMax(value, from - by);
    };
    int at = towards(dial->value(), step / 2);
    Pointer held(dial, dialPoint(dial, at));
    held.press();
    while (at != value) {
        at = towards(at, step);
        held.moveTo(dial, dialPoint(dial, at));
    }
    held.release();
}

// Pops up menu over window and clicks its entry; false when the menu did not come up.
inline bool chooseFromMenu(QWidget *window, QMenu *menu, QAction *entry)
{
    menu->popup(window->mapToGlobal(QPoint(10, 10)));
    if (!QTest::qWaitForWindowExposed(menu))
        return false;
    Pointer(menu, menu->actionGeometry(entry).center()).click();
    return true;
}

// In a dialog listing check boxes, ticks the one whose text is item (scrolling the list to it)
// and presses OK.
inline void tickAndAccept(QWidget *dialog, const QString &item)
{
    auto *list = dialog->findChild<QListWidget *>();
    for (int row = 0; list && row < list->count(); ++row) {
        auto *box = qobject_cast<QAbstractButton *>(list->itemWidget(list->item(row)));
        if (!box || box->text() != item)
            continue;
        list->scrollToItem(list->item(row));
        click(box);
    }
    for (auto *ok : dialog->findChildren<QPushButton *>())
        if (ok->text() == QLatin1String("OK"))
            click(ok);
}

// Brings w into view; false when a person cannot see it even so (a page closed to this board's
// driver, a group the page hides), so it takes no input.
inline bool inReach(QWidget *w)
{
    reveal(w);
    return w->isVisible();
}

// Clicks w where a person would, once it is in view. Notes a click that lands on something else,
// and an enabled control that a person cannot see (a disabled one takes no click).
inline QString clickAsPerson(QWidget *w)
{
    if (!inReach(w))
        return w->isEnabled() ? QStringLiteral("not shown") : QString();
    const QWidget *under = Pointer(w).under();
    const bool reaches = under && (under == w || w->isAncestorOf(under));
    click(w);
    return reaches ? QString()
                   : QStringLiteral("lands on %1")
                         .arg(under ? under->objectName() : QStringLiteral("nothing"));
}

} // namespace UserDriver
