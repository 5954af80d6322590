#pragma once

// The logging category of the board page. Its debug traces stay off unless QT_LOGGING_RULES
// turns them on (e.g. "kvl.board.debug=true"); warnings are on.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcBoard)
