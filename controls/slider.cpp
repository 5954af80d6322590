#include "slider.h"

#include "scriptdrag.h"

#include <QMouseEvent>

namespace CustomControls
{

Slider::Slider(QWidget *parent) : Slider(Qt::Vertical, parent) {}

Slider::Slider(Qt::Orientation orientation, QWidget *parent) : QSlider(orientation, parent)
{
    setType(SliderControl);
    setMouseTracking(true);
    // Without tracking a drag changes nothing until the handle is let go: the applet hears of
    // it then, and value() gives the handle's released position.
    connect(this, &QAbstractSlider::sliderMoved, this, [this]() {
        if (hasTracking())
            emit signal_dragged();
    });
    connect(this, &QAbstractSlider::sliderReleased, this, [this]() {
        if (!hasTracking())
            emit signal_dragged();
    });
}

void Slider::setValue(double value)
{
    const int n = truncateToInt(value);
    if (m_lastValue != n)
        QSlider::setValue(n);
    m_lastValue = n;
}

bool Slider::connectChanged(const char *slot, QObject *receiver)
{
    return connectChangeSignal(this, SIGNAL(signal_dragged()), slot, receiver);
}

bool Slider::disconnectChanged()
{
    return disconnectChangeSignal(this, SIGNAL(signal_dragged()));
}

void Slider::mousePressEvent(QMouseEvent *event)
{
    QSlider::mousePressEvent(event);
    handleScriptDragPress(event, ScriptDrag::Set | ScriptDrag::Get);
}

void Slider::mouseMoveEvent(QMouseEvent *event)
{
    QSlider::mouseMoveEvent(event);
    update();
}

void Slider::leaveEvent(QEvent *event)
{
    QSlider::leaveEvent(event);
    update();
}

void Slider::paintEvent(QPaintEvent *event)
{
    QSlider::paintEvent(event);
    paintScriptTint(this);
}

} // namespace CustomControls
