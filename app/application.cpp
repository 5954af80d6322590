#include "application.h"

#include "heldinput.h"

#include <QEvent>

namespace
{

// The nesting of input deliveries (a click on a box's button during a command is one more),
// the depth at or below which they are not the running command's (others' work runs inside
// them), and what the command keeps until its delivery returns to keptBase. Touched on the GUI
// thread only.
int commandDepth = 0;
int commandBase = 0;
int keptBase = 0;
std::shared_ptr<void> &keptHold()
{
    static std::shared_ptr<void> hold;
    return hold;
}

// Marks what runs for its lifetime as not a person's, even inside a person's box; a person's
// input delivered inside it is a command again.
class OthersWork
{
public:
    OthersWork() : m_savedBase(commandBase) { commandBase = commandDepth; }
    ~OthersWork() { commandBase = m_savedBase; }
    OthersWork(const OthersWork &) = delete;
    OthersWork &operator=(const OthersWork &) = delete;

private:
    int m_savedBase;
};

} // namespace

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

Application::~Application()
{
    keptHold().reset();
    HeldInput::clear();
}

bool Application::startsCommand(const QEvent *event)
{
    // Shortcuts arrive as events of their own after the key's override event, drops after the
    // drag's mouse events.
    return event->isInputEvent() || event->type() == QEvent::Shortcut ||
           event->type() == QEvent::Drop;
}

// What the event loop hands out by itself, not sent by whatever a person's input started.
bool Application::comesOnItsOwn(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::Timer:
    case QEvent::SockAct:
    case QEvent::SockClose:
    case QEvent::MetaCall:
        return true;
    default:
        return false;
    }
}

// A person's input that waits is no command yet; what waited for the end of a command (a
// person's, a request's, a timer's work) takes effect as soon as its delivery has returned.
bool Application::notify(QObject *receiver, QEvent *event)
{
    if (HeldInput::take(receiver, event))
        return true;
    const HeldInput::Delivery delivery;
    return deliver(receiver, event);
}

bool Application::deliver(QObject *receiver, QEvent *event)
{
    if (comesOnItsOwn(event)) {
        const OthersWork others;
        return QApplication::notify(receiver, event);
    }
    if (!startsCommand(event))
        return QApplication::notify(receiver, event);
    ++commandDepth;
    const bool handled = QApplication::notify(receiver, event);
    if (--commandDepth == keptBase)
        keptHold().reset();
    return handled;
}

bool Application::personCommandRuns()
{
    return commandDepth > commandBase;
}

void Application::keepUntilCommandEnds(std::shared_ptr<void> hold)
{
    if (personCommandRuns() && !keptHold()) {
        keptHold() = std::move(hold);
        keptBase = commandBase;
    }
}

bool Application::commandKeepsHold()
{
    return bool(keptHold());
}
