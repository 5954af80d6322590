#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointer>

class QWidget;

// A person's Close of the main window as the window manager sends it (X11's WM_DELETE_WINDOW
// message), taken as soon as the program reads the window system's messages. Qt would deliver
// it as a person's input: it drops it while a modal window blocks the main window (a progress
// window, a box, the firmware window), and keeps it for later while a long command pauses (a
// pause leaves a person's input for the command's end), so that the program would refuse new
// requests only once the command is done. This filter sees the message first and reports it
// instead. On other platforms it does nothing.
class BlockedClose : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    explicit BlockedClose(QWidget *window);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    // The window's Close was asked for.
    void signal_closeAsked();

private:
    QPointer<QWidget> m_window;
    quint32 m_protocols = 0; // the atoms WM_PROTOCOLS and WM_DELETE_WINDOW; 0 off X11
    quint32 m_deleteWindow = 0;
};
