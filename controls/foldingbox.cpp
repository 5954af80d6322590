#include "foldingbox.h"

#include <QApplication>
#include <QCursor>
#include <QInputDialog>
#include <QMouseEvent>
#include <QPainter>

namespace CustomControls
{

FoldingBox::FoldingBox(QWidget *parent) : QGroupBox(parent)
{
    setMouseTracking(true);
}

void FoldingBox::setFolded(bool unfolded)
{
    if (!isCheckable())
        return;
    if (m_unfoldedHeight < 0)
        m_unfoldedHeight = height();
    setChecked(unfolded);
    setFixedHeight(unfolded ? m_unfoldedHeight : foldedHeight());
    emit signal_resized();
}

void FoldingBox::mousePressEvent(QMouseEvent *event)
{
    QGroupBox::mousePressEvent(event);
    if (m_dragEnabled && event->button() == Qt::LeftButton &&
        event->modifiers() == Qt::ControlModifier)
        emit signal_dragdrop();
}

void FoldingBox::mouseReleaseEvent(QMouseEvent *event)
{
    QGroupBox::mouseReleaseEvent(event);
    setFolded(isChecked());
}

void FoldingBox::mouseDoubleClickEvent(QMouseEvent *)
{
    bool accepted = false;
    const QString text =
        QInputDialog::getText(nullptr, QString(), QString(), QLineEdit::Normal, title(), &accepted);
    if (accepted)
        setTitle(text);
}

void FoldingBox::mouseMoveEvent(QMouseEvent *)
{
    update();
}

void FoldingBox::paintEvent(QPaintEvent *event)
{
    QGroupBox::paintEvent(event);
    if (!m_dragEnabled || QApplication::keyboardModifiers() != Qt::ControlModifier)
        return;
    if (!rect().contains(mapFromGlobal(QCursor::pos())))
        return;
    QPainter painter(this);
    painter.fillRect(rect(), QColor(255, 170, 0, 100));
}

} // namespace CustomControls
