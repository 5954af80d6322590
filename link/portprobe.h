#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

class SerialPort;

// Where the serial devices are listed and where their device files live; tests point both at
// trees of their own.
struct PortPaths {
    QString sysRoot = QStringLiteral("/sys/class/tty");
    QString devDir = QStringLiteral("/dev");
};

// Lists the serial devices and probes them one at a time, each on a port object of its own, on
// any thread. What it leaves out is noted with the reason. A connection of the link claims its
// port: the probe lets go of that port at once and, while the claim holds, lists it without
// opening it, so that a connection never meets the probe on its port.
class PortProbe
{
public:
    // Why a port was left out: the errno of its open, or one of these.
    enum Reason { NoAnswer = -1, NoUart = -2 };
    struct Skip {
        QString port;
        int reason;
    };
    // Whether a board answers on the open port; stops early once letGo is set.
    using Answered = std::function<bool(SerialPort &port, const std::atomic<bool> *letGo)>;

    void setPaths(const PortPaths &paths);
    PortPaths paths() const;
    // ttyUSB*, ttyACM* and ttyS*: the names of the serial devices listed.
    static bool isSerialName(const QString &name);

    // The devices under the sys root with a device behind them (ttyUSB*, ttyACM*, and ttyS*
    // where a UART answers) that open, as paths in the device directory; shortest name first.
    QStringList list(QList<Skip> &skipped) const;
    // Opens port, asks answered and closes it again; false (with the reason in skipped) when it
    // did not open or no board answered. True at once for the port the link has claimed.
    bool answers(const QString &port, int baud, const Answered &answered, QList<Skip> &skipped);

    // Called by the link before it opens port: a probe holding it lets go (this waits for
    // that), and leaves it to the link until release().
    void claim(const QString &port);
    void release();
    // Ends the probing for good: a port held is let go, no other is opened.
    void stop();
    bool isStopped() const;

    // One line: the ports skipped, grouped by reason (the same text), and "No serial port found"
    // first when none was found.
    static QString report(const QList<Skip> &skipped, int found);
    // Whether a skip is one only the user can mend: a port refused for want of permission. (A
    // port held by another program is reported too, but that one is let go in time, and a
    // connection to it says so itself.)
    static bool needsUser(const QList<Skip> &skipped);

    // The device a port name stands for, as one text for any of its names (links resolved).
    static QString deviceKey(const QString &port);

private:
    static QString reasonText(int reason, const QString &port);
    bool hold(const QString &key);
    bool giveBack();

    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    PortPaths m_paths;
    QString m_held;    // the device the probe has open
    QString m_claimed; // the device the link uses
    bool m_stopped = false;
    bool m_askedToLetGo = false;
    std::atomic<bool> m_letGo{false};
};
