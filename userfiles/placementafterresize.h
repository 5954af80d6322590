#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class QWidget;

// Runs a placement again each time the main window's central widget changes size while a window
// manager carries out a change of the main window's geometry (on X11 a maximize is carried out
// after the request returns): until the window system reports the main window in the states
// asked for, after a resize, and a moment has passed without another; or until a while has
// passed without that. One per main window: a new one replaces the last.
// A saved geometry given to it is restored once the window system reports the main window
// neither maximized nor full screen (asked for before): a Wayland compositor ends the program
// that sizes a window while it has it maximized. Where that report never comes, it is not.
class PlacementAfterResize : public QObject
{
    Q_OBJECT
public:
    static void start(QWidget *mainWindow, Qt::WindowStates wanted, std::function<void()> place,
                      const QByteArray &geometryOnceNormal = QByteArray());

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    PlacementAfterResize(QWidget *mainWindow, Qt::WindowStates wanted, std::function<void()> place,
                         const QByteArray &geometryOnceNormal);
    bool reached() const;
    void placeLater();
    void restoreIfNormal(QObject *object, const QEvent *event);

    QPointer<QWidget> m_mainWindow;
    QPointer<QWidget> m_watched; // the widget whose resizes count
    Qt::WindowStates m_wanted;
    std::function<void()> m_place;
    QByteArray m_geometryOnceNormal; // until restored
    bool m_resized = false;
    QTimer m_quiet;  // ends it once the states are reached and the resizes stopped
    QTimer m_giveUp; // ends it when the window system never gets there
};
