#include "commandpause.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QThread>
#include <QTimer>

namespace
{

// Drops a person's input, as a modal window drops the input to the windows it blocks. Qt's own
// exclusion of input (QEventLoop::ExcludeUserInputEvents) would keep a Close of the main window
// from the window manager back too, which Qt's X11 platform counts as input.
class InputDropped : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::Drop:
            return true;
        default:
            return event->isInputEvent();
        }
    }
};

} // namespace

void CommandPause::wait(unsigned ms)
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || QThread::currentThread() != application->thread()) {
        QThread::msleep(ms);
        return;
    }
    InputDropped dropped;
    application->installEventFilter(&dropped); // removed with it
    // The timer wakes the wait for events once the pause is over.
    const QDeadlineTimer deadline(qint64(ms), Qt::PreciseTimer);
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    for (qint64 left = deadline.remainingTime(); left > 0; left = deadline.remainingTime()) {
        wake.start(int(left));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}
