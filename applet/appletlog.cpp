#include "appletlog.h"

Q_LOGGING_CATEGORY(lcApplet, "kvl.applet", QtInfoMsg)
