#include "pipelog.h"

Q_LOGGING_CATEGORY(lcPipe, "kvl.pipe", QtInfoMsg)
