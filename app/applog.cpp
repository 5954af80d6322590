#include "applog.h"

Q_LOGGING_CATEGORY(lcApp, "kvl.app", QtInfoMsg)
