#include "errorboxkey.h"

#include <QShortcut>
#include <QWidget>

const QKeySequence ErrorBoxKey::Key(Qt::CTRL | Qt::SHIFT | Qt::Key_E);

ErrorBoxKey::ErrorBoxKey(QWidget *window, std::function<QWidget *()> box)
    : QObject(window), m_box(std::move(box))
{
    auto *shortcut = new QShortcut(Key, window);
    connect(shortcut, &QShortcut::activated, this, &ErrorBoxKey::bringForward);
}

// An error box that is closed stays closed: the key shows no old error again.
void ErrorBoxKey::bringForward() const
{
    QWidget *box = m_box();
    if (!box || !box->isVisible())
        return;
    box->raise();
    box->activateWindow();
}
