#pragma once

#include <QByteArray>
#include <QString>

class ErrorBar;
class ProgramFiles;
class QWidget;

// What the log needs of the program it runs in: the main window's places for the log window,
// its status widgets and its error bar, the "Log" switch, where the user's files are kept, the
// tally of files not written, and the link for the console line. The program's application
// object implements it and hands itself to the log window it builds; a log window built without
// one has the empty host (no window, no link, files where this process keeps them), so the log
// can be built and tested on its own.
class LogHost
{
public:
    virtual ~LogHost() = default;

    // The main window, which the log window docks in, or null.
    virtual QWidget *logParent() const = 0;
    // Puts one of the log's widgets (the beep switch, the counters) into the main window's status
    // bar; without a main window it stays where it is.
    virtual void addStatusWidget(QWidget *widget) = 0;
    // The main window's bar that shows the errors, or null.
    virtual ErrorBar *errorBar() const = 0;
    // Whether the "Log" switch is on: every entry is listed, not only the errors.
    virtual bool isLogComm() const = 0;
    // Where the day's log files are kept.
    virtual const ProgramFiles &programFiles() const = 0;
    // A file of the program's that could not be written (why: the reason), and one written again.
    virtual void fileNotWritten(const QString &path, const QString &why) = 0;
    virtual void fileWritten(const QString &path) = 0;
    // Sends a line a person typed to the board; false when it was not sent or not answered.
    virtual bool sendRawLine(const QByteArray &line, QByteArray *answer) = 0;

    // The host of a log built outside the program.
    static LogHost *empty();
};
