#include "heldinput.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QScopedValueRollback>
#include <QWheelEvent>
#include <QWindow>

#include <climits>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace
{

using EventMaker = std::function<std::unique_ptr<QEvent>()>;

struct Held {
    QPointer<QObject> receiver;
    QPointer<QWindow> under; // for a key: the window its own is transient for, its last resort
    QEvent::Type type;
    EventMaker make; // the event as it came
};

struct BusyScope {
    QPointer<QWindow> box; // the modal window open as it began
    int depth;             // the delivery it runs in
};

// The GUI thread's state: what waits; the busy scopes; the depth of deliveries, and the one
// below which what waits is delivered (that of the outermost delivery that was busy when input
// was held); whether held input is being delivered, and the event delivered now.
std::deque<Held> &queue()
{
    static std::deque<Held> held;
    return held;
}
std::vector<BusyScope> &busyScopes()
{
    static std::vector<BusyScope> scopes;
    return scopes;
}
int depth = 0;
int deliverBelow = INT_MAX;
bool delivering = false;
const QEvent *replayed = nullptr;

bool isKey(QEvent::Type type)
{
    return type == QEvent::KeyPress || type == QEvent::KeyRelease;
}

// A mouse or wheel event shares its point with the device's, which the next event changes: it is
// kept by its values and made anew. Other events are copied whole.
EventMaker makerOf(const QEvent *event)
{
    if (event->type() == QEvent::Wheel) {
        const auto *wheel = static_cast<const QWheelEvent *>(event);
        return [at = wheel->position(), global = wheel->globalPosition(),
                pixels = wheel->pixelDelta(), angle = wheel->angleDelta(),
                buttons = wheel->buttons(), modifiers = wheel->modifiers(), phase = wheel->phase(),
                inverted = wheel->inverted(), device = wheel->pointingDevice(),
                time = wheel->timestamp()]() {
            auto made =
                std::make_unique<QWheelEvent>(at, global, pixels, angle, buttons, modifiers, phase,
                                              inverted, Qt::MouseEventNotSynthesized, device);
            made->setTimestamp(time);
            return std::unique_ptr<QEvent>(std::move(made));
        };
    }
    if (const auto *mouse = dynamic_cast<const QMouseEvent *>(event)) {
        return [type = mouse->type(), at = mouse->position(), scene = mouse->scenePosition(),
                global = mouse->globalPosition(), button = mouse->button(),
                buttons = mouse->buttons(), modifiers = mouse->modifiers(),
                device = mouse->pointingDevice(), time = mouse->timestamp()]() {
            auto made = std::make_unique<QMouseEvent>(type, at, scene, global, button, buttons,
                                                      modifiers, device);
            made->setTimestamp(time);
            return std::unique_ptr<QEvent>(std::move(made));
        };
    }
    return [copy = std::shared_ptr<QEvent>(event->clone())]() {
        return std::unique_ptr<QEvent>(copy->clone());
    };
}

// What a person does to a window as the window system delivers it, and a shortcut's activation
// (sent to its action or shortcut object).
bool isPersonsInput(const QObject *receiver, const QEvent *event)
{
    if (event->type() == QEvent::Shortcut)
        return true;
    if (!receiver->isWindowType() || !event->spontaneous())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

bool isDrop(const QObject *receiver, const QEvent *event)
{
    const QEvent::Type type = event->type();
    return receiver->isWindowType() &&
           (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop);
}

// Busy, unless a box opened since the innermost busy scope began: that box waits for the
// person.
bool busyHolds()
{
    if (busyScopes().empty())
        return false;
    const QWindow *box = QGuiApplication::modalWindow();
    return !box || box == busyScopes().back().box;
}

// Where held input goes now: its window, if still shown; a key typed into a window that has
// gone goes where the keyboard is, else to the window the gone one stood over. Null when it has
// nowhere to go (its window or action has gone).
QObject *target(const Held &held)
{
    QObject *receiver = held.receiver;
    const auto *window = qobject_cast<QWindow *>(receiver);
    if (held.type == QEvent::Shortcut || (window && window->isVisible()))
        return receiver;
    if (!isKey(held.type))
        return nullptr;
    QWindow *focus = QGuiApplication::focusWindow();
    if (focus && focus->isVisible())
        return focus;
    return held.under && held.under->isVisible() ? held.under.data() : nullptr;
}

// Whether a box blocks the target (a shortcut waits for any box, as its window does).
bool blocked(QObject *target)
{
    const QWindow *box = QGuiApplication::modalWindow();
    if (!target || !box)
        return false;
    const auto *window = qobject_cast<QWindow *>(target);
    if (!window)
        return true;
    if (window == box || box->isAncestorOf(window))
        return false;
    return box->modality() == Qt::ApplicationModal || window->isAncestorOf(box);
}

void hold(QObject *receiver, QEvent *event)
{
    QWindow *under = qobject_cast<QWindow *>(receiver);
    while (under && under->transientParent())
        under = under->transientParent();
    queue().push_back({receiver, under, event->type(), makerOf(event)});
    if (!busyScopes().empty())
        deliverBelow = qMin(deliverBelow, busyScopes().front().depth);
    event->accept();
}

// Delivers what waits, in order, once the delivery that was busy has returned (outside every
// delivery: once back in an event loop); stops at input for a window that a box blocks.
void deliver()
{
    if (delivering || queue().empty() || !busyScopes().empty() || depth >= qMax(deliverBelow, 1))
        return;
    const QScopedValueRollback<bool> deliveringNow(delivering, true);
    while (!queue().empty()) {
        QObject *to = target(queue().front());
        if (blocked(to))
            return;
        const std::unique_ptr<QEvent> event = queue().front().make();
        queue().pop_front();
        if (!to)
            continue;
        const QScopedValueRollback<const QEvent *> marked(replayed, event.get());
        QCoreApplication::sendEvent(to, event.get());
    }
    deliverBelow = INT_MAX;
}

} // namespace

HeldInput::Busy::Busy()
{
    busyScopes().push_back({qGuiApp ? QGuiApplication::modalWindow() : nullptr, depth});
}

HeldInput::Busy::~Busy()
{
    busyScopes().pop_back();
}

HeldInput::Delivery::Delivery()
{
    ++depth;
}

HeldInput::Delivery::~Delivery()
{
    --depth;
    deliver();
}

bool HeldInput::take(QObject *receiver, QEvent *event)
{
    if (event == replayed)
        return false;
    if (isDrop(receiver, event) && busyHolds()) {
        event->ignore();
        return true;
    }
    if (!isPersonsInput(receiver, event))
        return false;
    if (busyHolds()) {
        hold(receiver, event);
        return true;
    }
    // Behind what waits, unless that waits for a box, which takes this meanwhile.
    if (queue().empty() || blocked(target(queue().front())))
        return false;
    hold(receiver, event);
    deliver();
    return true;
}

bool HeldInput::waits()
{
    return !queue().empty();
}

bool HeldInput::isBusy()
{
    return !busyScopes().empty();
}

void HeldInput::clear()
{
    queue().clear();
}
