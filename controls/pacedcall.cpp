#include "pacedcall.h"

#include <QObject>

#include <utility>

PacedCall::PacedCall(QObject *context, std::function<void()> call, int intervalMs)
    : m_call(std::move(call)), m_intervalMs(intervalMs)
{
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, context, [this]() { run(); });
}

void PacedCall::ask()
{
    if (m_running) {
        m_askedWhileRunning = true; // the interval counts from the end of the run under way
        return;
    }
    if (m_timer.isActive())
        return;
    const qint64 wait = m_sinceRun.isValid() ? m_intervalMs - m_sinceRun.elapsed() : 0;
    m_timer.start(int(qBound(qint64(0), wait, qint64(m_intervalMs))));
}

void PacedCall::runIfAsked()
{
    if (m_timer.isActive())
        run();
}

// The interval counts from the end of a run: however long a run takes, the event loop gets the
// interval to itself before the next.
void PacedCall::run()
{
    m_timer.stop();
    m_running = true;
    m_call();
    m_running = false;
    m_sinceRun.start();
    if (std::exchange(m_askedWhileRunning, false))
        ask();
}
