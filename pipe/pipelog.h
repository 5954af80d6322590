#pragma once

// The logging category of the command socket and its client. Its debug traces stay off unless
// QT_LOGGING_RULES turns them on (e.g. "kvl.pipe.debug=true"); warnings are on.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPipe)
