#include "portscan.h"

#include <QThread>

PortScan::PortScan(QObject *parent) : QObject(parent) {}

PortScan::~PortScan()
{
    wait();
}

bool PortScan::start(const Probe &probe)
{
    if (m_thread)
        return false;
    m_thread = QThread::create([this, probe]() {
        const QStringList ports = probe();
        QMetaObject::invokeMethod(
            this,
            [this, ports]() {
                wait();
                emit signal_done(ports);
            },
            Qt::QueuedConnection);
    });
    m_thread->start();
    return true;
}

void PortScan::wait()
{
    if (!m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}
