#include "serialport.h"

#include "linklog.h"
#include "portgroup.h"
#include "serialport_baud.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace
{

constexpr int WriteLimitMs = 2000; // longest a write waits for the device to take its bytes

int openDevice(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// A ttyS device is listed only when a UART stands behind it.
bool uartAnswers(int fd)
{
    struct serial_struct info {
    };
    if (ioctl(fd, TIOCGSERIAL, &info) != 0)
        return false;
    return info.type != PORT_UNKNOWN;
}

} // namespace

SerialPort::SerialPort(const QString &name) : m_name(name) {}

SerialPort::~SerialPort()
{
    close();
}

QString SerialPort::devicePath(const QString &name)
{
    static const QRegularExpression com(QStringLiteral("^COM(\\d+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(name);
    if (m.hasMatch()) {
        const int n = m.captured(1).toInt();
        if (n >= 1)
            return QStringLiteral("/dev/ttyS%1").arg(n - 1);
    }
    if (!name.contains(QLatin1Char('/')))
        return QStringLiteral("/dev/") + name;
    return name;
}

bool SerialPort::open_port(const QString &name, int baud)
{
    if (!name.isEmpty())
        m_name = name;
    if (m_open)
        return true;
    if (m_name.isEmpty())
        return false;
    const QString path = devicePath(m_name);
    m_fd = openDevice(path);
    if (m_fd < 0)
        return fail(path, errno);
    // The lock comes before any setting: a port that another program holds keeps its own.
    if (flock(m_fd, LOCK_EX | LOCK_NB) != 0)
        return fail(path, errno == EWOULDBLOCK ? EBUSY : errno);
    if (!configure(baud))
        return fail(path, errno ? errno : EINVAL);
    ioctl(m_fd, TIOCEXCL);
    m_open = true;
    m_error = 0;
    return true;
}

bool SerialPort::fail(const QString &path, int error)
{
    m_error = error;
    if (!m_quiet)
        qCWarning(lcLink).noquote() << QStringLiteral("open_port: Unable to open %1: %2")
                                           .arg(path, QString::fromLocal8Bit(strerror(error)));
    if (m_fd >= 0)
        ::close(m_fd); // also drops the lock
    m_fd = -1;
    return false;
}

bool SerialPort::configure(int baud)
{
    struct termios tio;
    if (tcgetattr(m_fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_cflag &= ~(PARENB | CSTOPB | CSIZE | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(m_fd, TCSANOW, &tio) != 0)
        return false;
    // Every rate through termios2, which sets the input and the output speed together: the
    // classic calls leave a separate input rate set by an earlier open in place.
    return SerialBaud::setRate(m_fd, baud);
}

bool SerialPort::close()
{
    if (m_fd < 0) {
        m_open = false;
        return false;
    }
    // Clear the exclusive flag first, so a reopen by a user without root works.
    ioctl(m_fd, TIOCNXCL);
    const bool ok = ::close(m_fd) == 0;
    m_fd = -1;
    m_open = false;
    return ok;
}

void SerialPort::setPortName(const QString &name)
{
    if (!m_open)
        m_name = name;
}

int SerialPort::write(const QByteArray &data)
{
    if (!m_open)
        return 0;
    qsizetype done = 0;
    QElapsedTimer timer;
    timer.start();
    while (done < data.size()) {
        const ssize_t n = ::write(m_fd, data.constData() + done, size_t(data.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
        const int left = WriteLimitMs - int(timer.elapsed());
        if (left <= 0)
            break;
        pollfd p{m_fd, POLLOUT, 0};
        if (::poll(&p, 1, left) < 0 && errno != EINTR)
            break;
    }
    return int(done);
}

int SerialPort::read(QByteArray &out, int n, int waitMs)
{
    out.clear();
    if (!m_open)
        return -1;
    n = qBound(0, n, ScratchSize);
    if (n == 0)
        return 0;
    if (waitMs > 0 && !(waitForInput(waitMs) & InputWaiting))
        return 0;
    ssize_t got;
    do {
        got = ::read(m_fd, m_scratch, size_t(n));
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        return (errno == EAGAIN) ? 0 : -1;
    out = QByteArray(m_scratch, qsizetype(got));
    return int(got);
}

int SerialPort::readAll(QByteArray &out)
{
    return read(out, bytesAvailable());
}

int SerialPort::bytesAvailable() const
{
    int n = 0;
    if (m_fd < 0 || ioctl(m_fd, FIONREAD, &n) != 0)
        return 0;
    return n;
}

bool SerialPort::setRts(bool on)
{
    if (m_fd < 0)
        return false;
    int bits = TIOCM_RTS;
    if (ioctl(m_fd, on ? TIOCMBIC : TIOCMBIS, &bits) == 0)
        return true;
    // A pseudo-terminal has no modem lines.
    return errno == ENOTTY || errno == EINVAL;
}

bool SerialPort::flush()
{
    return m_fd >= 0 && tcdrain(m_fd) == 0;
}

int SerialPort::waitForInput(int timeoutMs, int wakeFd) const
{
    pollfd fds[2];
    int count = 0;
    if (m_fd >= 0)
        fds[count++] = pollfd{m_fd, POLLIN, 0};
    const int wakeAt = count;
    if (wakeFd >= 0)
        fds[count++] = pollfd{wakeFd, POLLIN, 0};
    if (count == 0)
        return TimedOut;
    int r;
    do {
        r = ::poll(fds, nfds_t(count), timeoutMs);
    } while (r < 0 && errno == EINTR);
    if (r <= 0)
        return TimedOut;
    int result = TimedOut;
    if (m_fd >= 0) {
        if (fds[0].revents & POLLIN)
            result |= InputWaiting;
        else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))
            result |= HungUp;
    }
    if (wakeFd >= 0 && (fds[wakeAt].revents & POLLIN))
        result |= Woken;
    return result;
}

int SerialPort::tryDevice(const QString &path, bool *uart)
{
    const int fd = openDevice(path);
    if (fd < 0)
        return errno;
    if (uart)
        *uart = uartAnswers(fd);
    ::close(fd);
    return 0;
}

QString SerialPort::failureText(const QString &name, int error)
{
    const QString path = devicePath(name);
    return QStringLiteral("Cannot open %1: %2").arg(path, reasonText(error, path));
}

QString SerialPort::reasonText(int error, const QString &path)
{
    const QString reason = QString::fromLocal8Bit(strerror(error));
    QString advice;
    switch (error) {
    case EACCES:
    case EPERM:
        advice = PortGroup::joinAdvice(path);
        break;
    case EBUSY:
        advice = QStringLiteral("in use by another program");
        break;
    case ENOTTY:
    case EINVAL:
        advice = QStringLiteral("not a serial device");
        break;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        advice = QStringLiteral("no such device");
        break;
    default:
        break;
    }
    if (advice.isEmpty() || advice.compare(reason, Qt::CaseInsensitive) == 0)
        return reason;
    return QStringLiteral("%1 (%2)").arg(reason, advice);
}
