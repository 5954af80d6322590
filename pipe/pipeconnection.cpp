#include "pipeconnection.h"

#include "peerreadwatch.h"

#include <QDeadlineTimer>
#include <QSocketNotifier>

#include <cerrno>
#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
const qsizetype readChunk = 64 * 1024;
// A client writing without pause cannot keep one read pass going for ever.
const qsizetype readPassLimit = 2 * 1024 * 1024;
// What one receive gave besides bytes.
const ssize_t inputEnd = 0;
const ssize_t nothingWaiting = -1;
const ssize_t receiveFailed = -2;
} // namespace

PipeConnection::PipeConnection(int descriptor, QObject *parent, PeerReadWatch *watch)
    : QObject(parent), m_fd(descriptor)
{
    int nonBlocking = 1;
    ::ioctl(m_fd, FIONBIO, &nonBlocking); // one call, where reading the flags first takes two
    if (watch && watch->add(m_fd, this)) {
        m_readWatch = watch;
        return;
    }
    m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PipeConnection::onReadable);
}

PipeConnection::~PipeConnection()
{
    if (m_readWatch && m_fd >= 0)
        m_readWatch->remove(m_fd);
    // The notifiers go before the descriptor they watch.
    delete m_readNotifier;
    delete m_writeNotifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

QByteArray PipeConnection::readAll()
{
    QByteArray bytes;
    bytes.swap(m_input);
    return bytes;
}

// Appends one receive to the input: the number of bytes, or inputEnd, nothingWaiting or
// receiveFailed.
ssize_t PipeConnection::receiveChunk()
{
    for (;;) {
        const qsizetype old = m_input.size();
        m_input.resize(old + readChunk);
        const ssize_t n = ::recv(m_fd, m_input.data() + old, size_t(readChunk), 0);
        m_input.resize(old + qMax<ssize_t>(n, 0));
        if (n >= 0)
            return n;
        if (errno != EINTR)
            return errno == EAGAIN || errno == EWOULDBLOCK ? nothingWaiting : receiveFailed;
    }
}

void PipeConnection::inputMayHaveArrived()
{
    if (!m_readNotifier && m_reading)
        onReadable();
}

void PipeConnection::onReadable()
{
    bool more = false;
    ssize_t n = 0;
    while ((n = receiveChunk()) > 0) {
        more = true;
        if (m_input.size() >= readPassLimit)
            break;
    }
    if (n > 0 || n == nothingWaiting) {
        if (n > 0 && m_readWatch)
            m_readWatch->reportAgain(m_fd); // it reports arrivals, not what is left
        if (more)
            emit signal_readyRead();
        return;
    }
    // The end of the client's input, or an error: nothing more to read either way. The owner
    // learns of the end along with the last bytes.
    stopReading();
    m_inputEnded = n == inputEnd;
    if (more)
        emit signal_readyRead();
    if (n == receiveFailed)
        closeNow();
    else
        emit signal_inputEnded();
}

QByteArray PipeConnection::endInput()
{
    if (m_fd >= 0 && !m_inputEnded) {
        stopReading();
        m_inputEnded = true;
        // Once shut, the socket takes no more bytes from the client and hands over what had
        // arrived, then its end.
        ::shutdown(m_fd, SHUT_RD);
        while (receiveChunk() > 0) {
        }
    }
    return readAll();
}

void PipeConnection::outputMayBeRead()
{
    if (m_fd >= 0 && m_output.isEmpty() && unreadBytes() == 0)
        emit signal_outputRead();
}

qint64 PipeConnection::unreadBytes() const
{
    int n = 0;
    if (m_fd < 0)
        return 0;
    if (::ioctl(m_fd, SIOCOUTQ, &n) != 0)
        return -1;
    // While the kernel reports the client's read of the last buffer, it still counts one unit
    // of that buffer; a buffer that waits to be read always counts far more.
    return n <= 1 ? 0 : n;
}

void PipeConnection::write(const QByteArray &bytes)
{
    if (m_fd < 0 || bytes.isEmpty())
        return;
    m_output.append(bytes);
    if (sendQueued())
        watchWritable(!m_output.isEmpty());
}

qint64 PipeConnection::bytesToWrite() const
{
    return m_output.size();
}

// Sends as much as the socket takes; false when the connection failed and was closed.
bool PipeConnection::sendQueued()
{
    qsizetype sent = 0;
    while (sent < m_output.size()) {
        const ssize_t n = ::send(m_fd, m_output.constData() + sent, size_t(m_output.size() - sent),
                                 MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        closeNow(); // the client went away: what it did not take is lost to it anyway
        return false;
    }
    m_output.remove(0, sent);
    return true;
}

void PipeConnection::onWritable()
{
    const qsizetype before = m_output.size();
    if (!sendQueued())
        return;
    watchWritable(!m_output.isEmpty());
    if (m_output.size() < before)
        emit signal_bytesWritten();
    if (m_closing && m_output.isEmpty())
        closeNow();
}

// Most replies go out at once: the socket is watched for room only while some wait, and the
// watch is made when first needed (each watch made costs the event loop a round).
void PipeConnection::watchWritable(bool on)
{
    if (on && !m_writeNotifier) {
        m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
        connect(m_writeNotifier, &QSocketNotifier::activated, this, &PipeConnection::onWritable);
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(on);
}

void PipeConnection::stopReading()
{
    m_reading = false;
    if (m_readNotifier)
        m_readNotifier->setEnabled(false);
}

void PipeConnection::closeWhenWritten()
{
    m_closing = true;
    if (m_output.isEmpty())
        closeNow();
}

void PipeConnection::abort()
{
    m_output.clear();
    closeNow();
}

bool PipeConnection::waitForBytesWritten(int ms)
{
    QDeadlineTimer deadline(ms);
    while (m_fd >= 0 && !m_output.isEmpty()) {
        pollfd ready{m_fd, POLLOUT, 0};
        const int polled = ::poll(&ready, 1, int(deadline.remainingTime()));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0 || !sendQueued())
            break;
    }
    return m_output.isEmpty();
}

bool PipeConnection::clientGone() const
{
    if (m_fd < 0)
        return true;
    pollfd state{m_fd, 0, 0};
    return ::poll(&state, 1, 0) > 0 && (state.revents & (POLLHUP | POLLERR)) != 0;
}

void PipeConnection::closeNow()
{
    if (m_fd < 0)
        return;
    if (m_readWatch)
        m_readWatch->remove(m_fd);
    stopReading();
    watchWritable(false);
    ::close(m_fd);
    m_fd = -1;
    // Reported from the event loop, never from inside a call of the owner, so the owner may
    // drop the connection in its handler; a deleted connection reports nothing.
    QMetaObject::invokeMethod(
        this, [this]() { emit signal_closed(); }, Qt::QueuedConnection);
}
