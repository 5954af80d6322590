#pragma once

// What the log benchmarks share: waiting for the log window's paced work.
#include "logs.h"

#include <QCoreApplication>
#include <QTest>

// Runs the event loop until the log has shown what was logged (its paced shows of the list, the
// counts and the error bar have run), and painted it.
inline void waitForLogShows(Logs *logs)
{
    for (int i = 0; i < 10000 && logs->showsPending(); ++i)
        QTest::qWait(5);
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}
