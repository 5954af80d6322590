#include "linklog.h"

Q_LOGGING_CATEGORY(lcLink, "kvl.link", QtInfoMsg)
