#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

class QObject;

// A call asked for many times in a burst runs once: at the next pass of the event loop when its
// last run ended at least an interval ago, else once the interval since that end has passed. What
// a burst changes each time (a list's rows, a label's counts) is so laid out and painted a few
// times a second at most, while a single change still shows at once.
class PacedCall
{
public:
    static constexpr int DefaultIntervalMs = 100;

    // The call runs in context's thread and never after context is gone.
    PacedCall(QObject *context, std::function<void()> call, int intervalMs = DefaultIntervalMs);

    void ask();
    bool isAsked() const { return m_timer.isActive() || m_askedWhileRunning; }
    // Runs it now when it was asked for and has not run since.
    void runIfAsked();
    void cancel()
    {
        m_timer.stop();
        m_askedWhileRunning = false;
    }

private:
    void run();

    std::function<void()> m_call;
    QTimer m_timer;
    QElapsedTimer m_sinceRun;
    int m_intervalMs;
    bool m_running = false;
    bool m_askedWhileRunning = false;
};
