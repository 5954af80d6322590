#include "checkbox.h"

#include "scriptdrag.h"

#include <QMouseEvent>

namespace CustomControls
{

CheckBox::CheckBox(QWidget *parent) : QCheckBox(parent)
{
    setType(CheckBoxControl);
}

bool CheckBox::connectChanged(const char *slot, QObject *receiver)
{
    return connectChangeSignal(this, SIGNAL(clicked()), slot, receiver);
}

bool CheckBox::disconnectChanged()
{
    return disconnectChangeSignal(this, SIGNAL(clicked()));
}

void CheckBox::mousePressEvent(QMouseEvent *event)
{
    if (m_writable)
        QCheckBox::mousePressEvent(event);
    handleScriptDragPress(event, ScriptDrag::Set | ScriptDrag::Get);
}

void CheckBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    emit doubleClick();
    QWidget::mouseDoubleClickEvent(event);
}

void CheckBox::mouseMoveEvent(QMouseEvent *)
{
    update();
}

void CheckBox::leaveEvent(QEvent *)
{
    update();
}

void CheckBox::paintEvent(QPaintEvent *event)
{
    QCheckBox::paintEvent(event);
    paintScriptTint(this);
}

} // namespace CustomControls
