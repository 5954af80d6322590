#pragma once

#include <QString>

// The group that may use a serial device, and whether the user who runs the program is in it:
// only a user outside it is told to join it.
class PortGroup
{
public:
    // What a user refused access to the device at path can do: "add your user to the group
    // NAME (...), then log in again" where the device's group may read and write it and the
    // user is not in that group, else empty. A device that cannot be looked at is taken as
    // the serial ports' usual group, dialout.
    static QString joinAdvice(const QString &path);

private:
    // Whether the program runs with group among its groups.
    static bool userIsIn(unsigned int group);
};
