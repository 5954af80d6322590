#include "placementafterresize.h"

#include <QEvent>
#include <QMainWindow>
#include <QWindow>

namespace
{

constexpr int QuietMs = 500;
constexpr int GiveUpMs = 10000;
constexpr Qt::WindowStates Filling = Qt::WindowMaximized | Qt::WindowFullScreen;

} // namespace

void PlacementAfterResize::start(QWidget *mainWindow, Qt::WindowStates wanted,
                                 std::function<void()> place)
{
    if (!mainWindow)
        return;
    qDeleteAll(mainWindow->findChildren<PlacementAfterResize *>(Qt::FindDirectChildrenOnly));
    new PlacementAfterResize(mainWindow, wanted, std::move(place));
}

PlacementAfterResize::PlacementAfterResize(QWidget *mainWindow, Qt::WindowStates wanted,
                                           std::function<void()> place)
    : QObject(mainWindow), m_mainWindow(mainWindow), m_wanted(wanted & Filling),
      m_place(std::move(place))
{
    const auto *frame = qobject_cast<QMainWindow *>(mainWindow);
    m_watched = frame && frame->centralWidget() ? frame->centralWidget() : mainWindow;
    m_watched->installEventFilter(this);
    mainWindow->installEventFilter(this);
    m_quiet.setSingleShot(true);
    m_giveUp.setSingleShot(true);
    connect(&m_quiet, &QTimer::timeout, this, &QObject::deleteLater);
    connect(&m_giveUp, &QTimer::timeout, this, &QObject::deleteLater);
    m_giveUp.start(GiveUpMs);
}

// The states as the window system has them, not as the widget asked for them.
bool PlacementAfterResize::reached() const
{
    const QWindow *handle = m_mainWindow ? m_mainWindow->windowHandle() : nullptr;
    return m_resized && handle && (handle->windowStates() & Filling) == m_wanted;
}

// After the widget's own handling of the event: its layout gives the children their sizes.
void PlacementAfterResize::placeLater()
{
    QMetaObject::invokeMethod(
        this, [this]() { m_place(); }, Qt::QueuedConnection);
}

bool PlacementAfterResize::eventFilter(QObject *object, QEvent *event)
{
    if (object == m_watched && event->type() == QEvent::Resize) {
        m_resized = true;
        placeLater();
    }
    if ((event->type() == QEvent::Resize || event->type() == QEvent::WindowStateChange) &&
        reached())
        m_quiet.start(QuietMs);
    return QObject::eventFilter(object, event);
}
