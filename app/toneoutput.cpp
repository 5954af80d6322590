#include "toneoutput.h"

#include <QApplication>
#include <QAtomicPointer>
#include <QGuiApplication>
#include <QThread>

namespace
{
QAtomicPointer<ToneOutput> installedOutput;

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
    if (durationMs > 0)
        QThread::msleep(ulong(durationMs));
}
