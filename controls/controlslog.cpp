#include "controlslog.h"

Q_LOGGING_CATEGORY(lcControls, "kvl.controls", QtInfoMsg)
