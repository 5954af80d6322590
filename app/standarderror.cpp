#include "standarderror.h"

#include "logs.h"

#include <cstdio>

void StandardError::say(const QString &text)
{
    std::fprintf(stderr, "kvl52110: %s\n", Logs::shownText(text).toLocal8Bit().constData());
}
