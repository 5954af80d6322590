#pragma once

#include <QObject>
#include <QStringList>

class QFileSystemWatcher;
class QTimer;

// Watches the device directory for serial devices that come or go (a USB serial board plugged
// in or out) and tells once the directory has settled, when the set of them has changed.
class PortWatch : public QObject
{
    Q_OBJECT
public:
    static constexpr int SettleMs = 500; // udev finishes a new device's node meanwhile

    explicit PortWatch(QObject *parent = nullptr);
    // Starts watching dir, once (the serial devices in it now are the known ones).
    void watch(const QString &dir);
    // The serial device names seen at the last look, in name order.
    QStringList devices() const { return m_devices; }

signals:
    void signal_changed();

private:
    QStringList serialDevices() const;
    void look();

    QFileSystemWatcher *m_watcher;
    QTimer *m_settle;
    QString m_dir;
    QStringList m_devices;
};
