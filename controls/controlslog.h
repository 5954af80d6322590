#pragma once

// The logging category of the bound widgets. Its debug traces stay off unless QT_LOGGING_RULES
// turns them on (e.g. "kvl.controls.debug=true"); warnings are on.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcControls)
