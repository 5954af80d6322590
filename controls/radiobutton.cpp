#include "radiobutton.h"

#include "scriptdrag.h"

#include <QMouseEvent>

namespace CustomControls
{

RadioButton::RadioButton(QWidget *parent) : QRadioButton(parent)
{
    setType(RadioButtonControl);
}

bool RadioButton::connectChanged(const char *slot, QObject *receiver)
{
    return connectChangeSignal(this, SIGNAL(clicked()), slot, receiver);
}

bool RadioButton::disconnectChanged()
{
    return disconnectChangeSignal(this, SIGNAL(clicked()));
}

void RadioButton::mousePressEvent(QMouseEvent *event)
{
    QRadioButton::mousePressEvent(event);
    handleScriptDragPress(event, ScriptDrag::Set | ScriptDrag::Get);
}

void RadioButton::mouseMoveEvent(QMouseEvent *)
{
    update();
}

void RadioButton::leaveEvent(QEvent *)
{
    update();
}

void RadioButton::paintEvent(QPaintEvent *event)
{
    QRadioButton::paintEvent(event);
    paintScriptTint(this);
}

} // namespace CustomControls
