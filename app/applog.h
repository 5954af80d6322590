#pragma once

// The logging category of the application shell. Its debug traces stay off unless QT_LOGGING_RULES
// turns them on (e.g. "kvl.app.debug=true"); warnings are on.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcApp)
