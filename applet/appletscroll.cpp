#include "appletscroll.h"

#include "applet.h"

#include <QCloseEvent>
#include <QEvent>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QShowEvent>

AppletScroll::AppletScroll(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    viewport()->setBackgroundRole(QPalette::Window);
}

void AppletScroll::setApplet(Applet *applet)
{
    m_applet = applet;
    m_measured = false;
    if (applet->parentWidget() != viewport())
        applet->setParent(viewport());
    applet->installEventFilter(this);
    showAppletTitle();
    layOut();
}

Applet *AppletScroll::applet() const
{
    return qobject_cast<Applet *>(m_applet.data());
}

AppletScroll *AppletScroll::of(const QMdiSubWindow *window)
{
    return window ? qobject_cast<AppletScroll *>(window->widget()) : nullptr;
}

Applet *AppletScroll::appletOf(const QMdiSubWindow *window)
{
    const AppletScroll *scroll = of(window);
    return scroll ? scroll->applet() : nullptr;
}

QSize AppletScroll::sizeHint() const
{
    const int frame = 2 * frameWidth();
    return m_applet ? m_applet->size() + QSize(frame, frame) : QAbstractScrollArea::sizeHint();
}

// The applet's layout asks its parent, the view, to lay it out again when the form's smallest
// size changes (a page shown, widgets shown or hidden, texts set); a resize of the view keeps
// the form's smallest size.
bool AppletScroll::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::LayoutRequest)
        m_measured = false;
    if (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest)
        layOut();
    return QAbstractScrollArea::viewportEvent(event);
}

// A form polished while hidden (a picture of the main window polishes every widget in it) may
// have a new smallest size by the time it is shown, in a view of the same size.
void AppletScroll::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    m_measured = false;
    layOut();
}

// The applet's own resizes change the scroll range (its layout resizes it to a new smallest
// size); a layout request of its own tells of a change of the form; its title and icon go to
// the window's title bar.
bool AppletScroll::eventFilter(QObject *object, QEvent *event)
{
    if (object == m_applet.data()) {
        if (event->type() == QEvent::LayoutRequest)
            m_measured = false;
        else if (event->type() == QEvent::Resize)
            layOut();
        else if (event->type() == QEvent::WindowTitleChange ||
                 event->type() == QEvent::WindowIconChange)
            showAppletTitle();
    }
    return QAbstractScrollArea::eventFilter(object, event);
}

// The sub-window shows the title of the widget it holds, this area's, which repeats the
// applet's; an icon of the applet's own is handed to the sub-window itself (without one, it
// shows the program's).
void AppletScroll::showAppletTitle()
{
    setWindowTitle(m_applet->windowTitle());
    setAccessibleName(m_applet->windowTitle()); // it takes the keyboard for its applet
    auto *window = qobject_cast<QMdiSubWindow *>(parentWidget());
    if (window && m_applet->testAttribute(Qt::WA_SetWindowIcon))
        window->setWindowIcon(m_applet->windowIcon());
}

void AppletScroll::scrollContentsBy(int, int)
{
    if (m_applet)
        m_applet->move(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
}

// The window closes as its applet decides (a tool applet only hides its window); a close event
// comes accepted.
void AppletScroll::closeEvent(QCloseEvent *event)
{
    if (m_applet && !m_applet->close())
        event->ignore();
}

// The applet takes the view's size, no smaller than its form allows; the scroll bars cover
// the rest (a scroll bar whose range cuts its value moves the applet).
void AppletScroll::layOut()
{
    if (!m_applet || !isVisible())
        return;
    if (!m_measured) {
        m_smallestHint = m_applet->minimumSizeHint();
        m_measured = true;
    }
    const QSize view = viewport()->size();
    const QSize smallest = m_smallestHint.expandedTo(m_applet->minimumSize());
    const QSize size = view.expandedTo(smallest).boundedTo(m_applet->maximumSize());
    m_applet->resize(size);
    horizontalScrollBar()->setRange(0, size.width() - view.width());
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setRange(0, size.height() - view.height());
    verticalScrollBar()->setPageStep(view.height());
}
