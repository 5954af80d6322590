#pragma once

// The logging category of the applet framework. Its debug traces stay off unless
// QT_LOGGING_RULES turns them on (e.g. "kvl.applet.debug=true"); warnings are on.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcApplet)
