#include "commandpause.h"

#include "heldinput.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>

void CommandPause::wait(unsigned ms)
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || QThread::currentThread() != application->thread()) {
        QThread::msleep(ms);
        return;
    }
    // The command goes on after the pause: a person's input waits for its end.
    const HeldInput::Busy busy;
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
