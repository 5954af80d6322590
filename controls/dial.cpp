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

// A press turns the dial to the pressed point. QDial counts the dial as held only after that
// turn; holding it first makes the turn part of the drag that the release ends, so whoever
// acts on the release alone sees the whole drag once, however late it handles the turn.
void Dial::mousePressEvent(QMouseEvent *event)
{
    const bool turns = event->button() == Qt::LeftButton && event->buttons() == Qt::LeftButton &&
                       minimum() != maximum();
    if (turns)
        setSliderDown(true);
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
