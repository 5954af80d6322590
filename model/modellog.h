#pragma once

// The logging category of the register and variable model. Its debug traces stay off unless
// QT_LOGGING_RULES turns them on (e.g. "kvl.model.debug=true"); warnings are on.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcModel)
