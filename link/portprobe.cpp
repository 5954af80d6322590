#include "portprobe.h"

#include "serialport.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>

namespace
{

constexpr int ListedInFull = 4; // a longer group of ports shows its first and last only

bool isUartName(const QString &name)
{
    return name.startsWith(QLatin1String("ttyS"));
}

QString portGroup(const QStringList &ports)
{
    if (ports.size() <= ListedInFull)
        return ports.join(QStringLiteral(", "));
    return QStringLiteral("%1, %2 ... %3 (%4 ports)")
        .arg(ports.at(0), ports.at(1), ports.last())
        .arg(ports.size());
}

} // namespace

void PortProbe::setPaths(const PortPaths &paths)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_paths = paths;
}

PortPaths PortProbe::paths() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_paths;
}

bool PortProbe::isSerialName(const QString &name)
{
    static const QRegularExpression serialName(QStringLiteral("^tty(USB|ACM|S)\\d+$"));
    return serialName.match(name).hasMatch();
}

QStringList PortProbe::list(QList<Skip> &skipped) const
{
    const PortPaths where = paths();
    const QDir sys(where.sysRoot);
    const QDir dev(where.devDir);
    QStringList names = sys.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    QStringList out;
    for (const QString &name : std::as_const(names)) {
        if (!isSerialName(name) ||
            !QFileInfo::exists(sys.filePath(name + QStringLiteral("/device"))))
            continue;
        const QString path = dev.filePath(name);
        bool uart = false;
        const int error = SerialPort::tryDevice(path, &uart);
        // A ttyS device without a UART fails to open (EIO) or opens without one.
        const bool noUart = isUartName(name) && (error == EIO || error == ENXIO ||
                                                 error == ENODEV || (error == 0 && !uart));
        if (noUart)
            skipped.append({path, NoUart});
        else if (error != 0)
            skipped.append({path, error});
        else
            out.append(path);
    }
    return out;
}

bool PortProbe::answers(const QString &port, int baud, const Answered &answered,
                        QList<Skip> &skipped)
{
    if (!hold(deviceKey(port)))
        return true;
    int reason = 0;
    {
        SerialPort serial;
        serial.setQuiet(true);
        if (!serial.open_port(port, baud))
            reason = serial.lastError();
        else if (!answered(serial, &m_letGo))
            reason = NoAnswer;
    }
    if (giveBack())
        return true;
    if (reason != 0)
        skipped.append({port, reason});
    return reason == 0;
}

// Marks key as held unless the link claims it.
bool PortProbe::hold(const QString &key)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (key == m_claimed)
        return false;
    m_held = key;
    m_askedToLetGo = false;
    m_letGo.store(m_stopped);
    return true;
}

// The port is closed: a claim waiting for it goes on. True when the link claimed it.
bool PortProbe::giveBack()
{
    bool asked;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_held.clear();
        asked = m_askedToLetGo;
        m_askedToLetGo = false;
    }
    m_released.notify_all();
    return asked;
}

void PortProbe::claim(const QString &port)
{
    const QString key = deviceKey(port);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_claimed = key;
    if (m_held != key)
        return;
    m_askedToLetGo = true;
    m_letGo.store(true);
    m_released.wait(lock, [this, &key]() { return m_held != key; });
}

void PortProbe::release()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_claimed.clear();
}

void PortProbe::stop()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopped = true;
    m_letGo.store(true);
}

bool PortProbe::isStopped() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stopped;
}

// The same device whatever name leads to it (a bare name, "COMn", a link).
QString PortProbe::deviceKey(const QString &port)
{
    const QString path = SerialPort::devicePath(port);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

QString PortProbe::reasonText(int reason, const QString &port)
{
    switch (reason) {
    case NoAnswer:
        return QStringLiteral("no board answered");
    case NoUart:
        return QStringLiteral("no UART");
    default:
        return SerialPort::reasonText(reason, port);
    }
}

QString PortProbe::report(const QList<Skip> &skipped, int found)
{
    QStringList order; // reasons in the order first met
    QMap<QString, QStringList> groups;
    for (const Skip &skip : skipped) {
        const QString reason = reasonText(skip.reason, skip.port);
        if (!groups.contains(reason))
            order.append(reason);
        groups[reason].append(skip.port);
    }
    QStringList parts;
    for (const QString &reason : std::as_const(order))
        parts.append(QStringLiteral("%1: %2").arg(portGroup(groups.value(reason)), reason));
    const QString head =
        found > 0 ? QStringLiteral("Ports skipped") : QStringLiteral("No serial port found");
    if (parts.isEmpty())
        return found > 0 ? QString() : head + QStringLiteral(": no serial device present");
    return QStringLiteral("%1: %2").arg(head, parts.join(QStringLiteral("; ")));
}

bool PortProbe::needsUser(const QList<Skip> &skipped)
{
    return std::any_of(skipped.begin(), skipped.end(), [](const Skip &skip) {
        return skip.reason == EACCES || skip.reason == EPERM;
    });
}
