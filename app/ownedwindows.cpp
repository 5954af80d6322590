#include "ownedwindows.h"

#include "application.h"
#include "windowplacement.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace
{

// Set on a window once it has been placed over its owner: a later show keeps the place the
// user gave it, as long as it lies over the owner and within the available area.
const char *const PlacedProperty = "_kvl_placed";
// The window's property that Qt's X11 platform reads at each show: shown without it, the
// window manager gives the window the keyboard.
const char *const WithoutActivatingProperty = "_q_showWithoutActivating";

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
        if (type == QEvent::Show && keeps(window)) {
            leaveKeyboard(window);
            place(window);
        } else if (type == QEvent::WindowStateChange && keeps(window) && window->isMinimized() &&
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

// Only a person's own command gives the window it shows the keyboard. A window that a request,
// a timer or the link shows comes up raised but leaves the keyboard where the person types; a
// modal one takes it all the same, since it blocks every other window.
void OwnedWindows::leaveKeyboard(QWidget *window)
{
    const bool leave = !Application::personCommandRuns() && !window->isModal();
    window->setAttribute(Qt::WA_ShowWithoutActivating, leave);
    if (QWindow *handle = window->windowHandle())
        handle->setProperty(WithoutActivatingProperty, leave);
}

void OwnedWindows::place(QWidget *window) const
{
    const bool ownerless = !window->parentWidget();
    const QWidget *over = ownerless ? m_owner.data() : window->parentWidget()->window();
    QWindow *handle = window->windowHandle();
    if (handle && ownerless && m_owner->windowHandle())
        handle->setTransientParent(m_owner->windowHandle());
    const QScreen *screen = over->screen();
    if (!screen)
        return;
    // A window that the window manager has not framed yet is taken to get a frame like its
    // owner's.
    QSize border = window->frameGeometry().size() - window->size();
    if (border.isNull())
        border = over->frameGeometry().size() - over->size();
    QRect frame(window->frameGeometry().topLeft(), window->size() + border);
    const QSize minimum = window->minimumSize() + border;
    const bool first = !window->property(PlacedProperty).toBool();
    window->setProperty(PlacedProperty, true);
    if (ownerless) {
        // Not wholly over the owner (where it was shown before, the owner has moved since): cut
        // to the owner's size and centred over it.
        const QRect owner = over->frameGeometry();
        const QRect fitted = WindowPlacement::within(owner, frame, minimum);
        if (first || fitted != frame) {
            frame.setSize(fitted.size());
            frame.moveCenter(owner.center());
        }
    }
    const QRect placed = WindowPlacement::within(screen->availableGeometry(), frame, minimum);
    if (placed.size() != window->size() + border)
        window->resize(placed.size() - border);
    if (placed.topLeft() != window->frameGeometry().topLeft())
        window->move(placed.topLeft());
}
