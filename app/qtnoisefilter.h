#pragma once

#include <QString>
#include <QtGlobal>

// Keeps Qt's platform noise out of standard error: a platform without a window system (the
// offscreen platform of a headless run) warns "This plugin does not support raise()" (and
// "propagateSizeHints()", ...) each time a window is raised or sized, which would bury the
// program's own lines in an unattended bench's log. Every other message passes on to the
// handler installed before, shown as the log shows it (control characters as escapes).
class QtNoiseFilter
{
public:
    // Installs the filter in front of the current message handler (once).
    static void install();
    // Whether a message is such noise.
    static bool isNoise(QtMsgType type, const QString &text);

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text);
};
