#include "progressbar.h"

#include "scriptdrag.h"

#include <QMouseEvent>

namespace CustomControls
{

ProgressBar::ProgressBar(QWidget *parent) : QProgressBar(parent)
{
    setType(ProgressBarControl);
    setMouseTracking(true);
}

bool ProgressBar::connectChanged(const char *, QObject *)
{
    markConnected();
    return false;
}

void ProgressBar::setRange(double min, double max)
{
    int low = 0;
    int high = 0;
    boundedRange(min, max, &low, &high);
    QProgressBar::setRange(low, high);
}

void ProgressBar::mousePressEvent(QMouseEvent *event)
{
    QProgressBar::mousePressEvent(event);
    handleScriptDragPress(event, ScriptDrag::Get);
}

void ProgressBar::mouseMoveEvent(QMouseEvent *)
{
    update();
}

void ProgressBar::paintEvent(QPaintEvent *event)
{
    QProgressBar::paintEvent(event);
    paintScriptTint(this);
}

} // namespace CustomControls
