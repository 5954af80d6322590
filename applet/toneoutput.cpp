#include "toneoutput.h"

#include <QApplication>
#include <QAtomicPointer>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

namespace
{
QAtomicPointer<ToneOutput> installedOutput;
QMutex toneMutex;
QWaitCondition toneEnded;

SystemBeepOutput &systemBeep()
{
    static SystemBeepOutput output;
    return output;
}
} // namespace

ToneOutput *ToneOutput::instance()
{
    ToneOutput *output = installedOutput.loadAcquire();
    return output ? output : &systemBeep();
}

void ToneOutput::install(ToneOutput *output)
{
    installedOutput.storeRelease(output);
}

void SystemBeepOutput::play(int, int durationMs)
{
    // The platform beep has no frequency; it belongs to the GUI thread and needs a GUI.
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        QMetaObject::invokeMethod(
            app, []() { QApplication::beep(); }, Qt::QueuedConnection);
    const QDeadlineTimer deadline(qMax(0, durationMs));
    QMutexLocker lock(&toneMutex);
    while (!QThread::currentThread()->isInterruptionRequested() &&
           toneEnded.wait(&toneMutex, deadline)) {
    }
}

void SystemBeepOutput::endInterruptedTones()
{
    QMutexLocker lock(&toneMutex);
    toneEnded.wakeAll();
}
