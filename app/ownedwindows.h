#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>

class QWidget;

// Keeps every window the program opens over the main window it belongs to and within the
// screen's available area. It watches the whole application: a window opened without a parent
// is made transient for the main window (a window manager then keeps a dialog above it, also
// when it opens during a request while another program has the focus) and, on its first show
// and on every later show where it does not lie wholly over the main window, is centred over
// it, cut to its size where it is larger; a window with a parent is left where Qt centres it
// over that parent. Every show moves a window back within the available area, cut to it where
// it is larger. Only a window that a person's command shows takes the keyboard. A
// window of a fixed size (it asks for no minimize button) that a window manager minimizes all
// the same comes back at once, with the main window that the window manager may have minimized
// with it.
class OwnedWindows : public QObject
{
    Q_OBJECT
public:
    // Watches the application's windows for owner, whose child it becomes.
    explicit OwnedWindows(QWidget *owner);
    ~OwnedWindows() override;

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    bool keeps(const QWidget *window) const;
    // Shown without the keyboard, unless a person's command shows it.
    static void leaveKeyboard(QWidget *window);
    // Over its owner on its first show, within the available area on every show.
    void place(QWidget *window) const;
    // A minimized window of a fixed size shown again, and its owner.
    void bringBack(QWidget *window) const;

    QPointer<QWidget> m_owner;
};
