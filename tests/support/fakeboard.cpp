#include "fakeboard.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

int fakeBoardTerminalRate(int fd); // fakeboard_rate.cpp

namespace
{
constexpr int CanBytesForReset = 6;

// Whether a descriptor other than own (of this process) holds the device at path, in any
// process that may be looked at.
bool othersHold(const QString &path, int own)
{
    const QString ownLink = QStringLiteral("/proc/%1/fd/%2").arg(getpid()).arg(own);
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &process : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!process.front().isDigit()) // not "self", which is this process again
            continue;
        const QDir fds(proc.filePath(process + QStringLiteral("/fd")));
        for (const QString &fd : fds.entryList(QDir::System | QDir::NoDotAndDotDot)) {
            const QString link = fds.filePath(fd);
            if (link != ownLink && QFile::symLinkTarget(link) == path)
                return true;
        }
    }
    return false;
}

} // namespace

qint64 FakeBoard::nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

FakeBoard::FakeBoard()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0)
        return;
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        ::close(m_master);
        m_master = -1;
        return;
    }
    m_path = QString::fromLocal8Bit(ptsname(m_master));
    m_slave = ::open(ptsname(m_master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave >= 0) {
        struct termios tio;
        if (tcgetattr(m_slave, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(m_slave, TCSANOW, &tio);
        }
    }
    m_closeWatch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_closeWatch >= 0)
        inotify_add_watch(m_closeWatch, ptsname(m_master), IN_CLOSE);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    installBuiltins();
    m_thread = std::thread([this]() { loop(); });
}

FakeBoard::~FakeBoard()
{
    if (m_thread.joinable()) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        wake();
        m_thread.join();
    }
    for (int fd : {m_slave, m_master, m_wakeFd, m_closeWatch}) {
        if (fd >= 0)
            ::close(fd);
    }
}

// ---- Handlers ----

void FakeBoard::addHandler(const QByteArray &prefix, Handler handler)
{
    addHandler([prefix](const QByteArray &line) { return line.startsWith(prefix); },
               std::move(handler));
}

void FakeBoard::addHandler(Matcher matcher, Handler handler)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handlers.prepend(Entry{std::move(matcher), std::move(handler)});
}

void FakeBoard::installBuiltins()
{
    addHandler(QByteArrayLiteral("set "), [this](const QByteArray &l) { return answerSet(l); });
    addHandler(QByteArrayLiteral("get "), [this](const QByteArray &l) { return answerGet(l); });
    addHandler(QByteArrayLiteral("set baudrate="), [](const QByteArray &) { return QByteArray(); });
    addHandler(QByteArrayLiteral("*IDN?"), [this](const QByteArray &) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_idn;
    });
    addHandler(
        [this](const QByteArray &line) {
            std::lock_guard<std::mutex> lock(m_mutex);
            return !m_streamCommand.isEmpty() && line.startsWith(m_streamCommand);
        },
        [this](const QByteArray &) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_streaming = true;
            m_streamPos = 0;
            m_streamNext = nowMs();
            return QByteArray();
        });
}

QByteArray FakeBoard::answerSet(const QByteArray &line)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QList<QByteArray> answer;
    for (const QByteArray &item : line.mid(4).split(' ')) {
        if (item.isEmpty())
            continue;
        const qsizetype eq = item.indexOf('=');
        if (eq <= 0)
            return QByteArrayLiteral("err");
        const QByteArray name = item.left(eq);
        if (m_refused.contains(name)) {
            answer.append(name + ":err");
            continue;
        }
        m_values.insert(name, item.mid(eq + 1));
        answer.append(name + ":ok");
    }
    return answer.isEmpty() ? QByteArrayLiteral("err") : answer.join(' ');
}

QByteArray FakeBoard::answerGet(const QByteArray &line)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QList<QByteArray> answer;
    for (const QByteArray &name : line.mid(4).split(' ')) {
        if (name.isEmpty())
            continue;
        if (m_refused.contains(name) || !m_values.contains(name))
            answer.append(name + "=err");
        else
            answer.append(name + '=' + m_values.value(name));
    }
    return answer.isEmpty() ? QByteArrayLiteral("err") : answer.join(' ');
}

// ---- Knobs and records ----

void FakeBoard::setValue(const QByteArray &name, const QByteArray &value)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_values.insert(name, value);
}

QByteArray FakeBoard::value(const QByteArray &name) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_values.value(name);
}

void FakeBoard::refuse(const QByteArray &name)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_refused.insert(name);
}

bool FakeBoard::isRefused(const QByteArray &name) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_refused.contains(name);
}

void FakeBoard::setTrace(std::function<void(const QByteArray &)> trace)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_trace = std::move(trace);
}

void FakeBoard::setAnswerDelay(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answerDelayMs = ms;
}

void FakeBoard::setSilent(bool silent)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_silent = silent;
}

void FakeBoard::setReading(bool reading)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reading = reading;
    }
    wake();
}

void FakeBoard::setLineEnding(const QByteArray &ending)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lineEnding = ending;
}

void FakeBoard::setIdnReply(const QByteArray &reply)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_idn = reply;
}

void FakeBoard::setEnqReply(const QByteArray &reply)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_enqReply = reply;
}

void FakeBoard::setEnqDelay(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_enqDelayMs = ms;
}

void FakeBoard::setRebootMs(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_rebootMs = ms;
}

void FakeBoard::setStream(const QByteArray &command, const QByteArray &data, int chunkSize,
                          int intervalMs, bool repeat)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_streamCommand = command;
    m_streamData = data;
    m_streamChunk = qMax(1, chunkSize);
    m_streamIntervalMs = qMax(0, intervalMs);
    m_streamRepeat = repeat;
}

void FakeBoard::writeRaw(const QByteArray &bytes)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_out += bytes;
    }
    wake();
}

QList<QByteArray> FakeBoard::lines() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lines;
}

QList<QByteArray> FakeBoard::takeLines()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::exchange(m_lines, {});
}

QByteArray FakeBoard::controlBytes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_control;
}

int FakeBoard::controlCount(char byte) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_control.count(byte));
}

bool FakeBoard::isStreaming() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_streaming;
}

int FakeBoard::rebootCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_reboots;
}

void FakeBoard::clearRecords()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lines.clear();
    m_control.clear();
}

bool FakeBoard::waitForLines(int count, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_received.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [&]() { return m_lines.size() >= count; });
}

bool FakeBoard::waitForControl(char byte, int count, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_received.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [&]() { return m_control.count(byte) >= count; });
}

int FakeBoard::pendingForProgram() const
{
    int n = 0;
    if (m_slave < 0 || ioctl(m_slave, FIONREAD, &n) != 0)
        return 0;
    return n;
}

int FakeBoard::baudRate() const
{
    return m_slave >= 0 ? fakeBoardTerminalRate(m_slave) : -1;
}

// ---- The simulator's thread ----

bool FakeBoard::waitUntilHeard(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const quint64 asked = ++m_heardAsked;
    if (m_reading && m_slave >= 0) {
        m_marks.push_back(asked);
        lock.unlock(); // the loop must go on reading meanwhile
        const char mark = HeardMark;
        if (::write(m_slave, &mark, 1) != 1)
            return false;
        lock.lock();
    }
    wake();
    return m_received.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [this, asked]() { return m_heardDone >= asked; });
}

void FakeBoard::wake()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof one);
}

void FakeBoard::loop()
{
    for (;;) {
        qint64 now = nowMs();
        int timeout;
        bool wantWrite;
        bool wantRead;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stop)
                return;
            // A board that does not read hears nothing more; else the marks tell.
            if (m_heardDone < m_heardAsked && !m_reading) {
                m_heardDone = m_heardAsked;
                m_received.notify_all();
            }
            flushDue(now);
            streamStep(now);
            while (!m_out.isEmpty()) {
                const ssize_t n = ::write(m_master, m_out.constData(), size_t(m_out.size()));
                if (n <= 0)
                    break;
                m_out.remove(0, n);
            }
            wantWrite = !m_out.isEmpty();
            wantRead = m_reading;
            timeout = nextTimeout(now);
        }
        const short events = short((wantRead ? POLLIN : 0) | (wantWrite ? POLLOUT : 0));
        pollfd fds[3] = {{m_master, events, 0}, {m_wakeFd, POLLIN, 0}, {m_closeWatch, POLLIN, 0}};
        if (::poll(fds, 3, timeout) < 0 && errno != EINTR)
            return;
        if (fds[2].revents & POLLIN)
            endExclusiveOpenOfTheGone();
        if (fds[1].revents & POLLIN) {
            uint64_t value;
            [[maybe_unused]] const ssize_t n = ::read(m_wakeFd, &value, sizeof value);
        }
        if (fds[0].revents & POLLIN) {
            char buffer[4096];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0)
                takeInput(QByteArray(buffer, n), nowMs());
        }
    }
}

// After a close of the terminal side (a program's, also at its end when killed): an exclusive
// open that nobody holds any more ends, as at a real port's last close. The closes are not
// counted against the opens: inotify merges an event with the same one just before it.
void FakeBoard::endExclusiveOpenOfTheGone()
{
    alignas(inotify_event) char events[4096];
    while (::read(m_closeWatch, events, sizeof events) > 0) {
    }
    int exclusive = 0;
    if (ioctl(m_slave, TIOCGEXCL, &exclusive) == 0 && exclusive && !othersHold(m_path, m_slave))
        ioctl(m_slave, TIOCNXCL);
}

int FakeBoard::nextTimeout(qint64 now) const
{
    qint64 next = -1;
    auto consider = [&](qint64 at) {
        const qint64 wait = qMax<qint64>(0, at - now);
        next = next < 0 ? wait : qMin(next, wait);
    };
    if (!m_pending.empty())
        consider(m_pending.front().due);
    if (m_streaming && m_out.isEmpty())
        consider(m_streamNext);
    return int(qMin<qint64>(next, 1000));
}

void FakeBoard::takeInput(const QByteArray &bytes, qint64 now)
{
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            const QByteArray line = m_partial;
            m_partial.clear();
            if (!line.isEmpty())
                takeLine(line, now);
        } else if (c == HeardMark) {
            takeMark();
        } else if (static_cast<unsigned char>(c) < 0x20) {
            takeControl(c, now);
        } else {
            m_partial += c;
        }
    }
}

void FakeBoard::takeMark()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_marks.empty())
        return;
    m_heardDone = qMax(m_heardDone, m_marks.front());
    m_marks.pop_front();
    m_received.notify_all();
}

void FakeBoard::takeControl(char byte, qint64 now)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_control += byte;
    m_received.notify_all();
    m_canRun = (byte == CAN) ? m_canRun + 1 : 0;
    if (byte == CAN && m_canRun == CanBytesForReset) {
        m_canRun = 0;
        ++m_reboots;
        m_streaming = false;
        m_pending.clear();
        m_rebootUntil = now + m_rebootMs;
    } else if (byte == NAK) {
        m_streaming = false;
    } else if (byte == ENQ && !m_silent && now >= m_rebootUntil) {
        if (m_enqDelayMs > 0)
            queueReply(m_enqReply, now, m_enqDelayMs);
        else
            m_out += m_enqReply;
    }
}

void FakeBoard::takeLine(const QByteArray &line, qint64 now)
{
    QList<Entry> handlers;
    std::function<void(const QByteArray &)> trace;
    bool answering = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.append(line);
        m_received.notify_all();
        trace = m_trace;
        answering = !m_silent && now >= m_rebootUntil;
        handlers = m_handlers;
    }
    if (trace)
        trace("> " + line);
    if (!answering)
        return;
    // Matchers and handlers may lock the board themselves.
    Handler handler;
    for (const Entry &entry : handlers) {
        if (entry.matcher(line)) {
            handler = entry.handler;
            break;
        }
    }
    const QByteArray answer = handler ? handler(line) : QByteArrayLiteral("err");
    if (answer.isNull())
        return;
    if (trace)
        trace("< " + answer);
    std::lock_guard<std::mutex> lock(m_mutex);
    queueAnswer(answer + m_lineEnding, now);
}

// Answers leave one after another, each the answer delay after the previous one.
void FakeBoard::queueAnswer(const QByteArray &bytes, qint64 now)
{
    queueReply(bytes, now, m_answerDelayMs);
}

void FakeBoard::queueReply(const QByteArray &bytes, qint64 now, int delayMs)
{
    const qint64 due = qMax(now, m_lastDue) + delayMs;
    m_lastDue = due;
    m_pending.push_back(Pending{due, bytes});
}

void FakeBoard::flushDue(qint64 now)
{
    while (!m_pending.empty() && m_pending.front().due <= now) {
        m_out += m_pending.front().bytes;
        m_pending.pop_front();
    }
}

// Like a UART, the stream produces only while the line takes its bytes.
void FakeBoard::streamStep(qint64 now)
{
    while (m_streaming && now >= m_streamNext && m_out.isEmpty()) {
        if (m_streamPos >= m_streamData.size()) {
            if (!m_streamRepeat || m_streamData.isEmpty()) {
                m_streaming = false;
                return;
            }
            m_streamPos = 0;
        }
        const QByteArray chunk = m_streamData.mid(m_streamPos, m_streamChunk);
        m_out += chunk;
        m_streamPos += chunk.size();
        m_streamNext += m_streamIntervalMs;
        if (m_streamIntervalMs == 0)
            break;
    }
}
