#include "placementafterresize.h"

#include <QEvent>
#include <QMainWindow>
#include <QWindow>

#include <utility>

namespace
{

constexpr int QuietMs = 500;
constexpr int GiveUpMs = 10000;
constexpr Qt::WindowStates Filling = Qt::WindowMaximized | Qt::WindowFullScreen;

} // namespace

void PlacementAfterResize::start(QWidget *mainWindow, Qt::WindowStates wanted,
                                 std::function<void()> place, const QByteArray &geometryOnceNormal)
{
    if (!mainWindow)
        return;
    qDeleteAll(mainWindow->findChildren<PlacementAfterResize *>(Qt::FindDirectChildrenOnly));
    new PlacementAfterResize(mainWindow, wanted, std::move(place), geometryOnceNormal);
}

PlacementAfterResize::PlacementAfterResize(QWidget *mainWindow, Qt::WindowStates wanted,
                                           std::function<void()> place,
                                           const QByteArray &geometryOnceNormal)
    : QObject(mainWindow), m_mainWindow(mainWindow), m_wanted(wanted & Filling),
      m_place(std::move(place)), m_geometryOnceNormal(geometryOnceNormal)
{
    const auto *frame = qobject_cast<QMainWindow *>(mainWindow);
    m_watched = frame && frame->centralWidget() ? frame->centralWidget() : mainWindow;
    m_watched->installEventFilter(this);
    mainWindow->installEventFilter(this);
    // The window system's reports of the window's states reach its window, not the widget.
    if (QWindow *handle = mainWindow->windowHandle())
        handle->installEventFilter(this);
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
    return m_resized && m_geometryOnceNormal.isEmpty() && handle &&
           (handle->windowStates() & Filling) == m_wanted;
}

// Only a report of the window system counts (it comes as a spontaneous event): the window's
// states change at once when the program asks for them.
void PlacementAfterResize::restoreIfNormal(QObject *object, const QEvent *event)
{
    if (m_geometryOnceNormal.isEmpty() || event->type() != QEvent::WindowStateChange ||
        !event->spontaneous() || !m_mainWindow || object != m_mainWindow->windowHandle() ||
        (m_mainWindow->windowHandle()->windowStates() & Filling))
        return;
    m_mainWindow->restoreGeometry(std::exchange(m_geometryOnceNormal, QByteArray()));
}

// After the widget's own handling of the event: its layout gives the children their sizes.
void PlacementAfterResize::placeLater()
{
    QMetaObject::invokeMethod(
        this, [this]() { m_place(); }, Qt::QueuedConnection);
}

bool PlacementAfterResize::eventFilter(QObject *object, QEvent *event)
{
    restoreIfNormal(object, event);
    if (object == m_watched && event->type() == QEvent::Resize) {
        m_resized = true;
        placeLater();
    }
    if ((event->type() == QEvent::Resize || event->type() == QEvent::WindowStateChange) &&
        reached())
        m_quiet.start(QuietMs);
    return QObject::eventFilter(object, event);
}
