#pragma once

#include <QString>
#include <QVariant>

// What the pipe server and the pipe client need of the program: the name-based set, get and
// run (names of the form applet, dot, item; other names are built-in items and commands) and a
// log sink for their communication log lines. MainApp implements it and registers itself with
// setInstance(); tests install a fake.
class RequestHandler
{
public:
    virtual ~RequestHandler() = default;

    // Writes value to the named item; false when refused.
    virtual bool set(const QString &name, QVariant &value) = 0;
    // Reads the named item into *result; false when it has no value or the name is refused.
    virtual bool get(const QString &name, QVariant *result) = 0;
    // Runs the named command with args; its result goes to *result; false when refused. An
    // argument of a pipe request that could not be decoded arrives as an invalid variant (in
    // place of the value, or of the list element).
    virtual bool run(const QString &command, QVariant &args, QVariant *result) = 0;
    // One log entry (level as in the log window: <0 error, 0 information, 1-100 warning,
    // >100 trace).
    virtual void addLog(int level, const QString &text) = 0;

    // The program-wide handler used by a LocalServer built without one and by every
    // LocalClient; null until something registers. Ownership stays with the caller.
    static RequestHandler *instance();
    static void setInstance(RequestHandler *handler);
};
