#pragma once

#include <QApplication>

#include <memory>

// The program's application object. It tells a person's commands apart from everything else:
// the delivery of an input event (a click, a key, a shortcut, a wheel turn, a drop) and
// whatever it starts (a slot, a menu action, the boxes and progress windows it opens) is a
// person's command, until the delivery returns. What the event loop delivers on its own inside
// such a command's boxes (a timer, a socket's activity such as a script's request, a queued
// call) is not the person's; a person's input delivered inside it is a command again.
//
// A person's command that sends to the board keeps the command socket's requests waiting from
// its first frame until it ends (keepUntilCommandEnds), so no request runs inside its sequence,
// its own boxes included; a command that sends nothing (a file dialog, an information box)
// keeps nobody waiting.
//
// A person's input that comes while the program is busy within a command (HeldInput) waits
// here, before it is a command, and is delivered once the delivery that was busy has returned.
class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int &argc, char **argv);
    ~Application() override;

    bool notify(QObject *receiver, QEvent *event) override;

    // Whether a person's command runs now (on the GUI thread; false under another application
    // object, and during others' work).
    static bool personCommandRuns();
    // Keeps hold until the person's command that runs now ends; the first one kept stays, later
    // ones are dropped at once. Without a running command, hold is dropped at once.
    static void keepUntilCommandEnds(std::shared_ptr<void> hold);
    // Whether the running person's command keeps something already.
    static bool commandKeepsHold();

private:
    bool deliver(QObject *receiver, QEvent *event);
    static bool startsCommand(const QEvent *event);
    static bool comesOnItsOwn(const QEvent *event);
};
