#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

namespace CustomControls
{

class MySwitch;

// Groups switches: in exclusive mode (1) a click on one switch resets the others to state 0,
// in follow mode (2) the others take the clicked switch's state. Other modes do nothing.
// The set does not own its switches.
class MySwitchSet : public QObject
{
    Q_OBJECT
public:
    enum Mode { Exclusive = 1, Follow = 2 };

    explicit MySwitchSet(int mode, QObject *parent = nullptr);

    int mode() const { return m_mode; }
    // A null switch is ignored.
    void addSwitch(MySwitch *sw);
    // The i-th switch; null when out of range.
    MySwitch *switchAt(int index) const;
    int count() const { return int(m_switches.size()); }

    // Sets the state of one switch and applies the group rule with that switch as the origin.
    // An index or a name that no switch has does nothing.
    void setSwitchState(int index, int value);
    void setSwitchStateByName(const QString &name, int value);

public slots:
    void slot_SwitchClick();

private:
    void applyGroupRule(const MySwitch *origin);

    int m_mode;
    QList<QPointer<MySwitch>> m_switches;
};

} // namespace CustomControls
