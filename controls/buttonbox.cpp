#include "buttonbox.h"

#include "optionstring.h"
#include "scriptdrag.h"

#include <QBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>

namespace CustomControls
{

ButtonBox::ButtonBox(QWidget *parent) : QGroupBox(parent)
{
    setType(ButtonBoxControl);
    setMouseTracking(true);
}

void ButtonBox::createButtons(int orientation, int kind, const QStringList &texts)
{
    if (texts.isEmpty() || m_buttonsCreated)
        return;
    m_buttonsCreated = true;
    m_layout = new QBoxLayout(orientation == 1 ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
    for (const QString &text : texts) {
        QAbstractButton *button = nullptr;
        if (kind == PushButtons)
            button = new QPushButton(text, this);
        else if (kind == RadioButtons)
            button = new QRadioButton(text, this);
        if (!button)
            continue;
        button->setAutoExclusive(true);
        button->setCheckable(true);
        button->setEnabled(m_writable);
        m_buttons.append(button);
        m_layout->addWidget(button);
        connect(button, &QAbstractButton::clicked, this, &ButtonBox::slot_on_click);
    }
    setLayout(m_layout);
}

void ButtonBox::setWritable(bool writable)
{
    m_writable = writable;
    for (QAbstractButton *button : std::as_const(m_buttons))
        button->setEnabled(writable);
}

void ButtonBox::setValue(double value)
{
    if (m_buttons.isEmpty())
        return;
    const double truncated = std::trunc(value);
    if (!(truncated >= 0 && truncated < m_buttons.size())) {
        // Out of range: nothing stays checked (exclusive buttons need the exclusivity lifted).
        for (QAbstractButton *button : std::as_const(m_buttons)) {
            button->setAutoExclusive(false);
            button->setChecked(false);
            button->setAutoExclusive(true);
        }
        return;
    }
    m_buttons.at(int(truncated))->setChecked(true);
}

double ButtonBox::value()
{
    for (int i = m_buttons.size() - 1; i >= 0; --i) {
        if (m_buttons.at(i)->isChecked())
            return i;
    }
    return 0.0;
}

bool ButtonBox::connectChanged(const char *slot, QObject *receiver)
{
    connectChangeSignal(this, SIGNAL(signal_clicked()), slot, receiver);
    return true;
}

bool ButtonBox::disconnectChanged()
{
    if (!isConnected())
        return false;
    return disconnectChangeSignal(this, SIGNAL(signal_clicked()));
}

void ButtonBox::setOptions(const QString &options)
{
    OptionString parsed(options.trimmed(), QStringLiteral("@"), QStringLiteral("="));
    bool readOnly = false;
    if (parsed.getBool(QStringLiteral("readonly"), &readOnly))
        setWritable(!readOnly);
}

void ButtonBox::slot_on_click()
{
    emit signal_clicked();
}

void ButtonBox::mousePressEvent(QMouseEvent *event)
{
    if (m_writable)
        QGroupBox::mousePressEvent(event);
    handleScriptDragPress(event, ScriptDrag::Set | ScriptDrag::Get);
}

void ButtonBox::mouseMoveEvent(QMouseEvent *)
{
    update();
}

void ButtonBox::leaveEvent(QEvent *)
{
    update();
}

void ButtonBox::paintEvent(QPaintEvent *event)
{
    QGroupBox::paintEvent(event);
    paintScriptTint(this);
}

} // namespace CustomControls
