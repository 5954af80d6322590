#include "windowtitles.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

WindowTitles::WindowTitles(QObject *parent) : QObject(parent)
{
    qApp->installEventFilter(this);
}

WindowTitles::~WindowTitles()
{
    qApp->removeEventFilter(this);
}

void WindowTitles::setProgramName(const QString &name)
{
    m_name = name;
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        retitle(window);
}

QString WindowTitles::shownTitle(const QString &title) const
{
    const QString prefix = m_name + QStringLiteral(" - ");
    if (m_name.isEmpty() || title.startsWith(prefix))
        return title;
    return title.isEmpty() ? m_name : prefix + title;
}

// A window's show event comes before the window system shows it; a title change reaches the
// widget after its window got the new title.
bool WindowTitles::eventFilter(QObject *object, QEvent *event)
{
    if ((event->type() == QEvent::Show || event->type() == QEvent::WindowTitleChange) &&
        object->isWidgetType())
        retitle(static_cast<QWidget *>(object));
    return QObject::eventFilter(object, event);
}

// Top-level windows and dialogs only: not menus, tool tips or sub-windows.
void WindowTitles::retitle(QWidget *window) const
{
    const Qt::WindowType type = window->windowType();
    QWindow *handle = window->windowHandle();
    if (!window->isWindow() || !handle || (type != Qt::Window && type != Qt::Dialog))
        return;
    const QString shown = shownTitle(window->windowTitle());
    if (handle->title() != shown)
        handle->setTitle(shown);
}
