#include "myswitchset.h"

#include "myswitch.h"

namespace CustomControls
{

MySwitchSet::MySwitchSet(int mode, QObject *parent) : QObject(parent), m_mode(mode) {}

void MySwitchSet::addSwitch(MySwitch *sw)
{
    if (!sw)
        return;
    m_switches.append(sw);
    connect(sw, &MySwitch::signal_clicked, this, &MySwitchSet::slot_SwitchClick);
}

MySwitch *MySwitchSet::switchAt(int index) const
{
    return index >= 0 && index < m_switches.size() ? m_switches.at(index).data() : nullptr;
}

void MySwitchSet::setSwitchState(int index, int value)
{
    MySwitch *sw = switchAt(index);
    if (!sw)
        return;
    sw->setCurrentState(value);
    applyGroupRule(sw);
}

void MySwitchSet::setSwitchStateByName(const QString &name, int value)
{
    for (const QPointer<MySwitch> &sw : m_switches) {
        if (sw && sw->name() == name) {
            sw->setCurrentState(value);
            applyGroupRule(sw);
            return;
        }
    }
}

void MySwitchSet::slot_SwitchClick()
{
    applyGroupRule(qobject_cast<MySwitch *>(sender()));
}

void MySwitchSet::applyGroupRule(const MySwitch *origin)
{
    if (!origin || (m_mode != Exclusive && m_mode != Follow))
        return;
    const int originState = origin->currentState();
    for (const QPointer<MySwitch> &sw : m_switches) {
        if (!sw || sw == origin)
            continue;
        sw->setCurrentState(m_mode == Exclusive ? 0 : originState);
    }
}

} // namespace CustomControls
