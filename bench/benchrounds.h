#pragma once

// Counting rounds for benchmarks against a FakeBoard (header only).
#include "fakeboard.h"

#include <QElapsedTimer>

namespace BenchRounds
{

// Calls of step per second over one round of runMs; 0 when a call fails. The board's records
// are dropped now and then so they do not grow without end.
template <typename Step> double perSecond(FakeBoard &board, int runMs, Step step)
{
    QElapsedTimer timer;
    timer.start();
    long count = 0;
    while (timer.elapsed() < runMs) {
        if (!step())
            return 0;
        if (++count % 500 == 0)
            board.clearRecords();
    }
    return count / (timer.nsecsElapsed() / 1e9);
}

} // namespace BenchRounds
