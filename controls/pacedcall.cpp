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

void PacedCall::run()
{
    m_timer.stop();
    m_sinceRun.start();
    m_call();
}
