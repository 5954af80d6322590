#include "commandpause.h"

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
    // The timer wakes the wait for events once the pause is over.
    const QDeadlineTimer deadline(qint64(ms), Qt::PreciseTimer);
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    for (qint64 left = deadline.remainingTime(); left > 0; left = deadline.remainingTime()) {
        wake.start(int(left));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
    }
}
