#pragma once

// Input as a person makes it, through QTest's mouse and key events: clicks on buttons and tabs,
// slider and dial drags (press on the handle, moves, release), choices from a combo box's
// list, typing into fields. A modal dialog opened by an action is closed by a watchdog, as a
// person would press Escape, and its title is noted. Header only.
#include "sliderdrag.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDial>
#include <QDialog>
#include <QLineEdit>
#include <QListView>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QtMath>
#include <QtTest>

namespace UserDriver
{

// Closes each modal dialog that comes up while it lives, noting its title.
class ModalWatchdog
{
public:
    ModalWatchdog()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this]() {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            m_closed << modal->windowTitle();
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            else
                modal->close();
        });
        m_timer.start(20);
    }
    // The titles of the dialogs closed since the last call.
    QStringList take() { return std::exchange(m_closed, {}); }

private:
    QTimer m_timer;
    QStringList m_closed;
};

inline void click(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
}

// The tab at index of tabs, clicked on its tab.
inline void switchTab(QTabWidget *tabs, int index)
{
    auto *bar = tabs->findChild<QTabBar *>(QString(), Qt::FindDirectChildrenOnly);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
}

// Shows the tab pages holding w, outermost first, by clicking their tabs.
inline void revealTabs(QWidget *w)
{
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
            QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, item.center());
            return !view->isVisible();
        },
        10000);
}

// Presses slider's handle, moves the mouse along the groove a few pixels at a time until the
// handle shows value (or stops moving), and releases it there.
inline void drag(QSlider *slider, int value)
{
    SliderDrag held(slider);
    const int step = value > slider->sliderPosition() ? 3 : -3;
    // At an end of the groove the handle stops: some forty moves without a change end the drag.
    for (int moves = 0, still = 0; moves < 400 && still < 40 && slider->sliderPosition() != value;
         ++moves) {
        const int before = slider->sliderPosition();
        const int at = held.move(step);
        if ((step > 0) != (at < value)) // went past it: a pixel back at a time
            for (int back = 0; back < 3 && slider->sliderPosition() != value; ++back)
                held.move(step > 0 ? -1 : 1);
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

// Presses dial's ring at its value, turns it in steps of a tenth of its range to value and
// releases it there.
inline void drag(QDial *dial, int value)
{
    int at = dial->value();
    QTest::mousePress(dial, Qt::LeftButton, Qt::NoModifier, dialPoint(dial, at));
    const int step = qMax(1, (dial->maximum() - dial->minimum()) / 10);
    while (at != value) {
        at = value > at ? qMin(value, at + step) : qMax(value, at - step);
        QTest::mouseMove(dial, dialPoint(dial, at));
    }
    QTest::mouseRelease(dial, Qt::LeftButton, Qt::NoModifier, dialPoint(dial, value));
}

} // namespace UserDriver
