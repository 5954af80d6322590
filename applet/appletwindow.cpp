// The window side of Applet: its container (MDI sub-window or dock), its menu action, showing,
// hiding and closing, and its online state.
#include "applet.h"

#include "applethelper.h"
#include "appletscroll.h"
#include "readingorder.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDockWidget>
#include <QKeyEvent>
#include <QList>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace
{

// A sub-window's frame around its applet's form: title bar and borders.
constexpr QSize WindowFrame(20, 40);

// The sub-window of Applet::createSubWindow whose scroll area holds applet, or null.
QMdiSubWindow *windowHolding(const Applet *applet)
{
    for (QWidget *w = applet->parentWidget(); w; w = w->parentWidget()) {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(w))
            return AppletScroll::appletOf(sub) == applet ? sub : nullptr;
    }
    return nullptr;
}

} // namespace

// A sub-window keeps the title, system menu, minimise and close buttons of a window; no
// maximise button. It is made in the area's viewport, where the area keeps its sub-windows, so
// that it is not moved there. Its widget is the scroll area its applet goes into.
QMdiSubWindow *Applet::createSubWindow(QMdiArea *area, const QSize &formSize)
{
    auto *sub = new QMdiSubWindow(area ? area->viewport() : nullptr,
                                  Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                      Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    sub->setWidget(new AppletScroll);
    if (area)
        area->addSubWindow(sub);
    if (formSize.isValid())
        sub->setGeometry(QRect(QPoint(), formSize + WindowFrame));
    sub->hide();
    return sub;
}

QWidget *Applet::createContainer(int kind, QWidget *parent)
{
    m_containerKind = kind;
    if (kind == MdiContainer) {
        if (subWindow)
            return subWindow;
        const QRect appletGeometry = geometry();
        // An applet built inside a sub-window of createSubWindow is already in its scroll
        // area. Otherwise the sub-window gets its flags and its place first: every move of a
        // built form into another parent costs about as much as building it.
        subWindow = windowHolding(this);
        if (!subWindow) {
            subWindow = createSubWindow(qobject_cast<QMdiArea *>(parent));
            AppletScroll::of(subWindow)->setApplet(this);
        }
        // The keyboard the window gets goes to the applet, and on to its controls.
        AppletScroll::of(subWindow)->setFocusProxy(this);
        // A form of absolute places has no smallest size of its own: it keeps its size.
        if (!layout())
            setMinimumSize(appletGeometry.size());
        subWindow->setGeometry(
            QRect(appletGeometry.topLeft(), appletGeometry.size() + WindowFrame));
        if (fixedWidth)
            subWindow->setFixedWidth(appletGeometry.width() + 10);
        if (fixedHeight)
            subWindow->setFixedHeight(appletGeometry.height() + 35);
        subWindow->hide();
        // Laid out when first shown: a sub-window answers a pending layout request of its own
        // or of its applet by measuring the whole form, even while hidden.
        QCoreApplication::removePostedEvents(subWindow, QEvent::LayoutRequest);
        QCoreApplication::removePostedEvents(this, QEvent::LayoutRequest);
        connect(this, &Applet::signal_HideWindow, this, &Applet::slot_SetInactiveWindow,
                Qt::UniqueConnection);
        return subWindow;
    }
    if (kind == DockContainer) {
        if (dockWidget)
            return dockWidget;
        dockWidget = new QDockWidget(windowTitle(), parent);
        dockWidget->setWidget(this);
        dockWidget->hide();
        return dockWidget;
    }
    return nullptr;
}

QWidget *Applet::container() const
{
    if (m_containerKind == MdiContainer)
        return subWindow;
    if (m_containerKind == DockContainer)
        return dockWidget;
    return nullptr;
}

int Applet::containerKind() const
{
    return m_containerKind;
}

QAction *Applet::action()
{
    if (windowAction)
        return windowAction;
    if (m_containerKind == DockContainer) {
        if (!dockWidget)
            return nullptr;
        windowAction = dockWidget->toggleViewAction();
        windowAction->setIcon(windowIcon());
        m_dockVisibility =
            connect(dockWidget, &QDockWidget::visibilityChanged, this, [this](bool visible) {
                if (!visible)
                    slot_SetInactiveWindow();
            });
    } else if (m_containerKind == MdiContainer) {
        QString text = objectName();
        if (windowTitle() != objectName())
            text = QStringLiteral("%1(%2)").arg(windowTitle(), objectName());
        windowAction = new QAction(text);
        m_ownsAction = true;
        windowAction->setCheckable(true);
        windowAction->setWhatsThis(objectName());
        windowAction->setIcon(windowIcon());
        connect(windowAction, &QAction::triggered, this, &Applet::slot_ActionTriggered);
    }
    return windowAction;
}

void Applet::showWindow()
{
    QWidget *c = container();
    if (polishWindow())
        measureForm();
    (c ? c : this)->show();
    if (windowAction)
        windowAction->setChecked(true);
}

// The frame may be polished already, before the applet came in: each widget from the frame
// down is polished in turn (a polished one is passed over), the applet with its form last.
bool Applet::polishWindow()
{
    QWidget *window = container() ? container() : this;
    if (window->isVisible() || testAttribute(Qt::WA_WState_Polished))
        return false;
    QList<QWidget *> frames;
    for (QWidget *w = this; w && w != window->parentWidget(); w = w->parentWidget())
        frames.prepend(w);
    for (QWidget *w : std::as_const(frames))
        w->ensurePolished();
    return true;
}

void Applet::measureForm() const
{
    minimumSizeHint();
}

void Applet::hideWindow()
{
    QWidget *c = container();
    (c ? c : this)->hide();
    if (windowAction)
        windowAction->setChecked(false);
}

bool Applet::isWindowVisible() const
{
    return isVisible();
}

void Applet::setTitle(const QString &text)
{
    setWindowTitle(text);
}

QString Applet::title() const
{
    return windowTitle();
}

void Applet::activate()
{
    if (!isEnabled())
        return;
    onConnected();
    if (windowAction)
        windowAction->setEnabled(true);
    online = true;
}

void Applet::deactivate()
{
    if (!isEnabled())
        return;
    if (windowAction)
        windowAction->setEnabled(false);
    onDisconnected();
    online = false;
}

bool Applet::isOnline() const
{
    return online;
}

void Applet::rename(const QString &text)
{
    setObjectName(text);
    if (windowAction)
        windowAction->setText(text);
    setWindowTitle(text);
}

void Applet::releaseContainer()
{
    disconnect(this, &Applet::signal_HideWindow, this, &Applet::slot_SetInactiveWindow);
    if (m_dockVisibility)
        disconnect(m_dockVisibility);
    // A dock's toggle action belongs to the dock; only our own action is deleted, and with it
    // its connection to slot_ActionTriggered (a dock's action never has one).
    if (m_ownsAction)
        delete windowAction;
    windowAction = nullptr;
    m_ownsAction = false;
}

void Applet::setEnabled(bool on)
{
    if (windowAction)
        windowAction->setEnabled(on);
    QWidget::setEnabled(on);
}

void Applet::slot_ActionTriggered()
{
    QWidget *c = container();
    if (c && windowAction)
        c->setVisible(windowAction->isChecked());
}

void Applet::slot_SetInactiveWindow()
{
    if (windowAction)
        windowAction->setChecked(false);
    if (m_containerKind == MdiContainer && subWindow)
        subWindow->hide();
}

void Applet::slot_adjustSize()
{
    adjustSize();
    if (QWidget *c = container())
        c->adjustSize();
}

void Applet::slot_showHelp()
{
    if (!helpWindow) {
        helpWindow = new AppletHelper(this, QStringLiteral("HELP:") + windowTitle());
        connect(helpWindow, &AppletHelper::signal_update, this, &Applet::slot_showHelp);
    }
    helpWindow->describeApplet(QStringLiteral("functions+nodes"));
    helpWindow->show();
    helpWindow->activateWindow();
    QApplication::setActiveWindow(helpWindow);
}

void Applet::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier)
        slot_showHelp();
    else
        event->ignore();
}

// The keyboard the tool window gets through its frame goes on to the form's first control, which
// shows it.
void Applet::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    ReadingOrder::moveFocus(this, this, true);
}

bool Applet::focusNextPrevChild(bool next)
{
    return ReadingOrder::moveFocus(window(), QApplication::focusWidget(), next) ||
           QWidget::focusNextPrevChild(next);
}

void Applet::closeEvent(QCloseEvent *event)
{
    event->ignore();
    emit signal_HideWindow();
}
