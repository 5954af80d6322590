#include "dial.h"

#include "scriptdrag.h"

#include <QMouseEvent>

namespace CustomControls
{

Dial::Dial(QWidget *parent) : QDial(parent)
{
    setType(DialControl);
    setMouseTracking(true);
    setNotchesVisible(true);
}

void Dial::setValue(double value)
{
    const int n = truncateToInt(value);
    if (m_lastValue != n)
        QDial::setValue(n);
    m_lastValue = n;
}

void Dial::setRange(double min, double max)
{
    int low = 0;
    int high = 0;
    boundedRange(min, max, &low, &high);
    QDial::setRange(low, high);
}

bool Dial::connectChanged(const char *slot, QObject *receiver)
{
    return connectChangeSignal(this, SIGNAL(valueChanged(int)), slot, receiver);
}

bool Dial::disconnectChanged()
{
    return disconnectChangeSignal(this, SIGNAL(valueChanged(int)));
}

void Dial::mousePressEvent(QMouseEvent *event)
{
    QDial::mousePressEvent(event);
    handleScriptDragPress(event, ScriptDrag::Set | ScriptDrag::Get);
}

void Dial::mouseMoveEvent(QMouseEvent *event)
{
    QDial::mouseMoveEvent(event);
    update();
}

void Dial::leaveEvent(QEvent *event)
{
    QDial::leaveEvent(event);
    update();
}

void Dial::paintEvent(QPaintEvent *event)
{
    QDial::paintEvent(event);
    paintScriptTint(this);
}

} // namespace CustomControls
