#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointer>

class QWidget;

// A person's Close of a window while a modal window blocks it (the main window's close button
// while a box or the firmware window is open). Qt drops that request, so nothing would happen;
// on X11 it comes as the window manager's WM_DELETE_WINDOW message, which this filter sees
// first and reports instead. On other platforms it does nothing. (A long command's pauses and
// progress window block no window: a Close then reaches the main window on every platform.)
class BlockedClose : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    explicit BlockedClose(QWidget *window);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    // The window's Close was asked for while a modal window was open.
    void signal_closeAsked();

private:
    QPointer<QWidget> m_window;
    quint32 m_protocols = 0; // the atoms WM_PROTOCOLS and WM_DELETE_WINDOW; 0 off X11
    quint32 m_deleteWindow = 0;
};
