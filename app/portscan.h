#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QThread;

// Lists and probes the serial ports on a thread of its own, so that a port whose board stays
// silent never blocks the window; the ports found come back on the owner's thread.
class PortScan : public QObject
{
    Q_OBJECT
public:
    using Probe = std::function<QStringList()>;

    explicit PortScan(QObject *parent = nullptr);
    ~PortScan() override;

    // Runs probe unless a scan is under way; false when one is.
    bool start(const Probe &probe);
    bool isRunning() const { return m_thread != nullptr; }
    // Waits for a scan under way to end; its ports are still reported.
    void wait();

signals:
    void signal_done(const QStringList &ports);

private:
    QThread *m_thread = nullptr;
};
