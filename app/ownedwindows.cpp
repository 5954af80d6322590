#include "ownedwindows.h"

#include "windowplacement.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace
{

// Set on a window once it has been placed over its owner: a later show keeps the place the
// user gave it, as long as it lies within the available area.
const char *const PlacedProperty = "_kvl_placed";

} // namespace

OwnedWindows::OwnedWindows(QWidget *owner) : QObject(owner), m_owner(owner)
{
    qApp->installEventFilter(this);
}

OwnedWindows::~OwnedWindows()
{
    qApp->removeEventFilter(this);
}

// A window's show event comes before the window system is asked to show it.
bool OwnedWindows::eventFilter(QObject *object, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::Show || type == QEvent::WindowStateChange) && object->isWidgetType()) {
        auto *window = static_cast<QWidget *>(object);
        if (type == QEvent::Show && keeps(window))
            place(window);
        else if (type == QEvent::WindowStateChange && keeps(window) && window->isMinimized() &&
                 window->minimumSize() == window->maximumSize())
            QMetaObject::invokeMethod(
                this, [this, shown = QPointer<QWidget>(window)]() { bringBack(shown); },
                Qt::QueuedConnection);
    }
    return QObject::eventFilter(object, event);
}

// A window manager may minimize a window of a fixed size all the same (openbox offers the button
// on every dialog and minimizes the main window with it): both come back.
void OwnedWindows::bringBack(QWidget *window) const
{
    if (!window || !window->isMinimized() || !m_owner)
        return;
    if (m_owner->isMinimized())
        m_owner->setWindowState(m_owner->windowState() & ~Qt::WindowMinimized);
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
}

// Top-level windows and dialogs other than the owner; not menus, tool tips or sub-windows.
bool OwnedWindows::keeps(const QWidget *window) const
{
    if (!m_owner || window == m_owner || !window->isWindow())
        return false;
    const Qt::WindowType type = window->windowType();
    return type == Qt::Window || type == Qt::Dialog;
}

void OwnedWindows::place(QWidget *window) const
{
    const QWidget *over =
        window->parentWidget() ? window->parentWidget()->window() : m_owner.data();
    QWindow *handle = window->windowHandle();
    if (handle && !window->parentWidget() && m_owner->windowHandle())
        handle->setTransientParent(m_owner->windowHandle());
    const QScreen *screen = over->screen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    if (!window->property(PlacedProperty).toBool()) {
        window->setProperty(PlacedProperty, true);
        if (!window->parentWidget())
            frame.moveCenter(over->frameGeometry().center());
    }
    const QSize border = window->frameGeometry().size() - window->size();
    const QRect placed =
        WindowPlacement::within(screen->availableGeometry(), frame, window->minimumSize() + border);
    if (placed.size() != frame.size())
        window->resize(placed.size() - border);
    if (placed.topLeft() != window->frameGeometry().topLeft())
        window->move(placed.topLeft());
}
