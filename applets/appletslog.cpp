#include "appletslog.h"

Q_LOGGING_CATEGORY(lcApplets, "kvl.applets", QtInfoMsg)
