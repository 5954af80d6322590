#pragma once

class QObject;

// Connects each slot "on_<object name>_<signal>" of a receiver as
// QMetaObject::connectSlotsByName does: to the signal of the first object with that name among
// the receiver's descendants (depth first) and the receiver itself, the exact signature first,
// else the first declared signal that takes at least the slot's arguments. The names are looked
// up in a table made once, where Qt compares every slot with every object (slow on a form of
// thousands of widgets).
class SlotsByName
{
public:
    static void connect(QObject *receiver);
};
