#include "warmup.h"

#include "applet.h"
#include "applettable.h"

WarmUp::WarmUp(AppletTable *table, std::function<bool()> idle, QObject *parent)
    : QObject(parent), m_table(table), m_idle(std::move(idle))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &WarmUp::step);
}

void WarmUp::start()
{
    m_done = false;
    m_nextPolish = 1;
    m_timer.start(FirstStepMs);
}

void WarmUp::stop()
{
    m_timer.stop();
}

void WarmUp::step()
{
    if (!m_idle()) {
        m_timer.start(BusyRetryMs);
        return;
    }
    if (m_table->buildNext() || measurePolished() || polishNext()) {
        m_timer.start(StepGapMs);
        return;
    }
    m_done = true;
    emit signal_done();
}

// A hidden tool window is polished in one step and its form measured in the next.
bool WarmUp::polishNext()
{
    for (; m_nextPolish < m_table->count(); ++m_nextPolish) {
        Applet *applet = m_table->built(m_nextPolish);
        if (applet && applet->polishWindow()) {
            m_polished = applet;
            ++m_nextPolish;
            return true;
        }
    }
    return false;
}

bool WarmUp::measurePolished()
{
    Applet *applet = m_polished;
    m_polished = nullptr;
    if (!applet || applet->isVisible())
        return false;
    applet->measureForm();
    return true;
}
