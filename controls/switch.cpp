#include "switch.h"

#include "optionstring.h"

#include <QMouseEvent>

namespace CustomControls
{

Switch::Switch(QWidget *parent) : MySwitch(parent)
{
    setType(SwitchControl);
    setMouseTracking(true);
}

bool Switch::isWritable() const
{
    return !isReadOnly();
}

void Switch::setWritable(bool writable)
{
    setReadOnly(!writable);
}

void Switch::setValue(double value)
{
    setCurrentState(truncateToInt(value));
}

double Switch::value()
{
    return currentState();
}

QString Switch::registerName(int part)
{
    return resolveBindingName(this, part);
}

bool Switch::connectChanged(const char *slot, QObject *receiver)
{
    return connectChangeSignal(this, SIGNAL(signal_clicked()), slot, receiver);
}

bool Switch::disconnectChanged()
{
    return disconnectChangeSignal(this, SIGNAL(signal_clicked()));
}

void Switch::setToolTip(const QString &tip)
{
    QLabel::setToolTip(tip);
}

QString Switch::toolTip() const
{
    return QLabel::toolTip();
}

void Switch::applyDescription()
{
    const QString description = QLabel::text();
    if (description.isEmpty())
        return;

    QString word;
    double newAngle = 0.0;
    bool newMirroredX = false;
    bool newMirroredY = mirroredY();
    if (description.startsWith('[')) {
        const QStringList fields = description.split(',');
        word = fields.at(0).trimmed();
        if (fields.size() > 1)
            newAngle = fields.at(1).trimmed().toDouble();
        if (fields.size() > 2)
            newMirroredX = fields.at(2).trimmed().toInt() != 0;
    } else {
        OptionString options(description, ",", "=");
        options.getString("type", &word);
        options.getDouble("angle", &newAngle);
        options.getBool("mirrorX", &newMirroredX);
        newMirroredY = false;
        options.getBool("mirrorY", &newMirroredY);
    }

    const int model = modelForWord(word);
    if (model >= 0)
        setModel(model);
    setAngle(newAngle);
    setMirroredX(newMirroredX);
    setMirroredY(newMirroredY);
    update();
}

void Switch::mousePressEvent(QMouseEvent *event)
{
    MySwitch::mousePressEvent(event);
    handleScriptDragPress(event, ScriptSet | ScriptGet);
}

void Switch::mouseMoveEvent(QMouseEvent *event)
{
    MySwitch::mouseMoveEvent(event);
    update();
}

void Switch::leaveEvent(QEvent *event)
{
    MySwitch::leaveEvent(event);
    update();
}

void Switch::paintEvent(QPaintEvent *event)
{
    MySwitch::paintEvent(event);
    paintScriptTint(this);
}

} // namespace CustomControls
