#include "pushbutton.h"

#include "scriptdrag.h"

#include <QMouseEvent>

namespace CustomControls
{

PushButton::PushButton(QWidget *parent) : QPushButton(parent)
{
    setType(PushButtonControl);
    setMouseTracking(true);
}

bool PushButton::connectChanged(const char *slot, QObject *receiver)
{
    return connectChangeSignal(this, SIGNAL(clicked()), slot, receiver);
}

bool PushButton::disconnectChanged()
{
    return disconnectChangeSignal(this, SIGNAL(clicked()));
}

void PushButton::mousePressEvent(QMouseEvent *event)
{
    QPushButton::mousePressEvent(event);
    handleScriptDragPress(event, ScriptDrag::Run);
}

void PushButton::mouseMoveEvent(QMouseEvent *)
{
    update();
}

void PushButton::leaveEvent(QEvent *)
{
    update();
}

void PushButton::paintEvent(QPaintEvent *event)
{
    QPushButton::paintEvent(event);
    paintScriptTint(this);
}

} // namespace CustomControls
