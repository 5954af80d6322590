#pragma once

#include <QString>

#include <memory>

class Applet;
class ControlBoard;
class QObject;

// What an applet needs of the program it runs in: the link, the log, the other applets, the
// shipped data, the main window's chosen port and the hold of the command socket. The program's
// application object implements it and registers itself with setInstance(). Until something
// registers, instance() is a host with none of these (no link, no log, no applets), so a single
// applet can be built and tested on its own.
class AppletHost
{
public:
    virtual ~AppletHost() = default;

    // The link to the controller board, or null.
    virtual ControlBoard *controlBoard() const = 0;
    // The log applet, whose slot_addLog(int, QString) takes the applets' log lines, or null.
    virtual QObject *logs() const = 0;
    // The applets in table order.
    virtual int appletCount() const = 0;
    virtual Applet *applet(int index) const = 0;
    // The project type chosen at start ("TO3/TO4" or "TO1/TO2"), or empty.
    virtual QString projectType() const = 0;
    // The path of a file or folder of the program's shipped data.
    virtual QString dataPath(const QString &relative) const = 0;
    // The serial port chosen in the main window, or empty.
    virtual QString chosenPort() const = 0;
    // Holds the command socket's requests until the returned object is destroyed: a person's
    // command that runs an event loop (a progress window, a question) lets no request in
    // half-way. Holds count.
    virtual std::shared_ptr<void> requestHold() = 0;

    // The registered host, or the empty one. Never null.
    static AppletHost *instance();
    // Ownership stays with the caller; null restores the empty host.
    static void setInstance(AppletHost *host);
};
