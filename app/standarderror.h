#pragma once

#include <QString>

// The program's own lines on standard error, each "kvl52110: TEXT": TEXT as the log shows it
// (Logs::shownText), so a folder's name, a port's or a request's text that holds a terminal's
// control characters shows them as escapes, on one line, and is never obeyed by a terminal.
class StandardError
{
public:
    static void say(const QString &text);
};
