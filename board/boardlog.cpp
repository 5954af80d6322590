#include "boardlog.h"

Q_LOGGING_CATEGORY(lcBoard, "kvl.board", QtInfoMsg)
