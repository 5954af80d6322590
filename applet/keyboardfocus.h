#pragma once

#include <QObject>

class QWidget;

// What the keyboard meets across the program's windows: a text field that gets the keyboard
// back with its window (after Alt+Tab to another program and back) keeps its text but drops the
// selection that Tab gave it, so the next key typed does not replace the whole text; Tab leaves
// a table (the arrow keys go through its cells) as it leaves any other control; and the control
// that has the keyboard shows it, also before the keyboard has been used.
class KeyboardFocus : public QObject
{
    Q_OBJECT
public:
    // Watches every window of the application from now on (once, however often called).
    static void install();

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    explicit KeyboardFocus(QObject *parent);
    static void focusGiven(QWidget *widget, Qt::FocusReason reason);
};
