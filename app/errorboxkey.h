#pragma once

#include <QKeySequence>
#include <QObject>

#include <functional>

class QWidget;

// A key of the main window that brings the log window's open error box forward with the
// keyboard: a box that the start, a script's request or the link raised opened without it, and
// would otherwise be reached only through the window manager.
class ErrorBoxKey : public QObject
{
    Q_OBJECT
public:
    static const QKeySequence Key; // Ctrl+Shift+E

    // The key works in window and its tool windows; box gives the error box, or null.
    ErrorBoxKey(QWidget *window, std::function<QWidget *()> box);

private:
    void bringForward() const;

    std::function<QWidget *()> m_box;
};
