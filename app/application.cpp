#include "application.h"

#include <QEvent>

namespace
{

// The nesting of input deliveries (a click on a box's button during a command is one more) and
// what the outermost one keeps until it returns. Touched on the GUI thread only.
int commandDepth = 0;
std::shared_ptr<void> &keptHold()
{
    static std::shared_ptr<void> hold;
    return hold;
}

} // namespace

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

Application::~Application()
{
    keptHold().reset();
}

bool Application::startsCommand(const QEvent *event)
{
    // Shortcuts arrive as events of their own after the key's override event, drops after the
    // drag's mouse events.
    return event->isInputEvent() || event->type() == QEvent::Shortcut ||
           event->type() == QEvent::Drop;
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    if (!startsCommand(event))
        return QApplication::notify(receiver, event);
    ++commandDepth;
    const bool handled = QApplication::notify(receiver, event);
    if (--commandDepth == 0)
        keptHold().reset();
    return handled;
}

bool Application::personCommandRuns()
{
    return commandDepth > 0;
}

void Application::keepUntilCommandEnds(std::shared_ptr<void> hold)
{
    if (commandDepth > 0 && !keptHold())
        keptHold() = std::move(hold);
}

bool Application::commandKeepsHold()
{
    return bool(keptHold());
}
