#include "portwatch.h"

#include "portprobe.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QTimer>

PortWatch::PortWatch(QObject *parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(SettleMs);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_settle,
            qOverload<>(&QTimer::start));
    connect(m_settle, &QTimer::timeout, this, &PortWatch::look);
}

void PortWatch::watch(const QString &dir)
{
    m_dir = dir;
    m_watcher->addPath(dir);
    m_devices = serialDevices();
}

QStringList PortWatch::serialDevices() const
{
    QStringList names =
        QDir(m_dir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const QString &name) { return !PortProbe::isSerialName(name); }),
                names.end());
    return names;
}

void PortWatch::look()
{
    const QStringList now = serialDevices();
    if (now == m_devices)
        return;
    m_devices = now;
    emit signal_changed();
}
