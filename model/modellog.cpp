#include "modellog.h"

Q_LOGGING_CATEGORY(lcModel, "kvl.model", QtInfoMsg)
