#pragma once

#include <QAbstractScrollArea>
#include <QPointer>

class Applet;
class QMdiSubWindow;

// The scroll area between a tool window's frame and its applet: the applet follows the
// window's size down to its form's smallest size and scrolls inside a window smaller than
// that, so a window cut to a small screen keeps its title bar in view and still reaches every
// widget. Nothing is measured while the window is hidden: measuring a form polishes it. The
// form's smallest size is measured once per change of the form (its layout asks to be laid out
// again, or the window is shown), not at each resize of the window.
class AppletScroll : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit AppletScroll(QWidget *parent = nullptr);

    // Takes applet into the view (a new parent, unless the applet was built in the view).
    void setApplet(Applet *applet);
    Applet *applet() const;

    // The scroll area of a tool window, or null.
    static AppletScroll *of(const QMdiSubWindow *window);
    // The applet a tool window shows, or null.
    static Applet *appletOf(const QMdiSubWindow *window);

    // The applet's size with the frame.
    QSize sizeHint() const override;

protected:
    bool viewportEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *object, QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void layOut();
    void showAppletTitle();

    QPointer<QWidget> m_applet; // a widget: its filter still sees events as it is destroyed
    QSize m_smallestHint;        // the form's smallest size as last measured
    bool m_measured = false;     // m_smallestHint holds for the form as it is
};
