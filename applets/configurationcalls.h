#pragma once

#include <QString>

// How the addressing applets drive the one configuration applet: every write, read and command
// goes to it by name with the internal key, and a command gets an empty text as its argument.
// While no configuration applet exists, writes and commands do nothing and reads give 0.
class ConfigurationCalls
{
public:
    static void set(const QString &name, int value);
    static int get(const QString &name);
    static void run(const QString &command);
};
