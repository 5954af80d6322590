#include "spinbox.h"

#include "scriptdrag.h"

#include <QMouseEvent>

namespace CustomControls
{

SpinBox::SpinBox(QWidget *parent) : QSpinBox(parent)
{
    setType(SpinBoxControl);
    setMouseTracking(true);
    setMaximum(65535);
}

bool SpinBox::connectChanged(const char *slot, QObject *receiver)
{
    return connectChangeSignal(this, SIGNAL(editingFinished()), slot, receiver);
}

bool SpinBox::disconnectChanged()
{
    return disconnectChangeSignal(this, SIGNAL(editingFinished()));
}

void SpinBox::mousePressEvent(QMouseEvent *event)
{
    QSpinBox::mousePressEvent(event);
    handleScriptDragPress(event, ScriptDrag::Set | ScriptDrag::Get);
}

void SpinBox::mouseMoveEvent(QMouseEvent *)
{
    update();
}

void SpinBox::paintEvent(QPaintEvent *event)
{
    QSpinBox::paintEvent(event);
    paintScriptTint(this);
}

} // namespace CustomControls
