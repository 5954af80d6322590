#include "controlboard.h"

#include "bytetext.h"
#include "linkhost.h"
#include "pythonrunner.h"
#include "serialport.h"

#include <QCoreApplication>
#include <QThread>
#include <QTime>

#include <sys/eventfd.h>
#include <unistd.h>

namespace
{

// A command's or an answer's line ends, as the console writes them (the log takes plain text).
QString logText(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\n'), QStringLiteral("<cr> "));
    return out;
}

QByteArray withoutLineEnds(QByteArray text)
{
    text.replace('\n', QByteArray());
    text.replace('\r', QByteArray());
    return text;
}

} // namespace

ControlBoard::ControlBoard(QObject *parent) : ControlBoard(LinkTiming(), parent) {}

ControlBoard::ControlBoard(const LinkTiming &timing, QObject *parent)
    : QThread(parent), m_timing(timing), m_firmwareType(QStringLiteral("UNKNOWN")),
      m_port(new SerialPort), m_ownRunner(new PythonRunner), m_runner(m_ownRunner)
{
    m_firmwareDate = initialFirmwareDate();
    m_wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    connect(m_ownRunner, &PythonRunner::signal_log, this, &ControlBoard::signal_log);
    m_rxBuffer.clear();
    m_txBuffer.clear();
    start(QThread::HighPriority);
}

ControlBoard::~ControlBoard()
{
    stopThread();
    m_port->close();
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
    delete m_ownRunner;
}

bool ControlBoard::onLinkThread() const
{
    return QThread::currentThread() == this;
}

QString ControlBoard::portName() const
{
    QMutexLocker lock(&m_stateMutex);
    return m_portName;
}

void ControlBoard::setPortName(const QString &name)
{
    QMutexLocker lock(&m_stateMutex);
    m_portName = name;
}

void ControlBoard::setPythonRunner(PythonRunner *runner)
{
    m_runner.store(runner ? runner : m_ownRunner);
}

PythonRunner *ControlBoard::pythonRunner() const
{
    return m_runner.load();
}

void ControlBoard::setHost(LinkHost *host)
{
    m_host.store(host);
}

// The host learns of each command sent from the GUI thread (a person's command that sends then
// keeps requests waiting until it ends).
void ControlBoard::announceSending()
{
    const QCoreApplication *application = QCoreApplication::instance();
    LinkHost *host = m_host.load();
    if (host && application && QThread::currentThread() == application->thread())
        host->commandSending();
}

void ControlBoard::clearBuffers()
{
    // The transmit buffer is emptied from its reader's side, so the link thread must keep off
    // it meanwhile.
    ParkGuard park(this);
    m_rxBuffer.clear();
    m_txBuffer.clear();
}

// ---- The transaction ----

bool ControlBoard::send(const QByteArray &commands, QByteArray *answer, int timeoutMs)
{
    if (!m_connected.load() || m_streaming.load())
        return false;
    announceSending();
    std::lock_guard<std::mutex> transaction(m_transactionMutex);
    const QByteArray text = bytesUpToZero(commands);
    log(LogTx, QString::fromLatin1(text));

    switch (m_mode.load()) {
    case ScriptMode: {
        // The script gets the text without its LFs (a CR stays); its output comes back
        // without CR and LF.
        QByteArray out;
        m_runner.load()->run(m_scriptPath, QByteArray(text).replace('\n', QByteArray()), &out);
        return finishLocalAnswer(out, answer);
    }
    case MockupMode:
        return finishLocalAnswer(mockupAnswer(text), answer);
    default:
        return sendSerial(text, answer, timeoutMs);
    }
}

bool ControlBoard::finishLocalAnswer(const QByteArray &out, QByteArray *answer)
{
    log(LogRx, QString::fromLatin1(out));
    if (answer)
        *answer = out;
    return true;
}

bool ControlBoard::sendSerial(const QByteArray &text, QByteArray *answer, int timeoutMs)
{
    m_rxBuffer.clear();
    if (text.isEmpty()) {
        logFailure(QByteArray());
        return false;
    }
    QByteArray out = text;
    int expected = int(text.count('\n'));
    if (!text.endsWith('\n')) {
        out.append('\n');
        ++expected;
    }
    const int limit = timeoutMs < 0 ? m_timeoutMs.load() : timeoutMs;
    // A command text goes to the transmit buffer whole or not at all.
    if (!waitForTransmitRoom(int(out.size()), limit)) {
        logFailure(QByteArray());
        return false;
    }
    // Set before the command can reach the port, so no keep-alive starts behind it.
    m_awaitingAnswer.store(timeoutMs != 0);
    m_txBuffer.write(out);
    wake();
    if (timeoutMs == 0) {
        if (answer)
            answer->clear();
        return true;
    }

    QElapsedTimer gap;
    gap.start();
    int good = 0;
    int received = 0;
    QByteArray last;
    while (received < expected) {
        // A line that is already buffered is taken even when the time is up.
        bool found = false;
        const QByteArray line = m_rxBuffer.readLine(&found);
        if (!found) {
            const int left = limit - int(gap.elapsed());
            if (left <= 0)
                break;
            waitForAnswerBytes(left);
            continue;
        }
        gap.restart();
        log(LogRx, QString::fromLatin1(line));
        if (!line.contains("err"))
            ++good;
        ++received;
        last = line;
    }
    m_awaitingAnswer.store(false);
    wake();
    if (good == expected) {
        if (answer)
            *answer = last;
        return true;
    }
    logFailure(last);
    return false;
}

bool ControlBoard::waitForTransmitRoom(int bytes, int timeoutMs)
{
    if (bytes > m_txBuffer.capacity())
        return false;
    if (!onLinkThread())
        return m_txBuffer.waitForRoom(bytes, timeoutMs);
    // On the link thread nobody else empties the transmit buffer.
    writeTransmitBuffer();
    return m_txBuffer.freeSpace() >= bytes;
}

void ControlBoard::waitForAnswerBytes(int timeoutMs)
{
    if (onLinkThread()) {
        // A transaction made on the link thread serves the port itself while it waits.
        servePort(timeoutMs);
        return;
    }
    // Waits for a whole line, not for more bytes than are buffered now: a line that came after
    // the caller looked would not wake that wait.
    m_rxBuffer.waitForLine(timeoutMs);
}

void ControlBoard::logFailure(const QByteArray &lastLine)
{
    log(LogRxErr, QString::fromLatin1(lastLine));
}

// ---- Conveniences and answer parsing ----

bool ControlBoard::setValue(const QString &name, const QByteArray &value)
{
    const QString line =
        QStringLiteral("set %1=%2\n").arg(name, latin1UpToZero(value));
    return send(line.toLatin1(), nullptr);
}

bool ControlBoard::setValue(const QString &name, int value)
{
    return setValue(name, QByteArray::number(value));
}

bool ControlBoard::getValue(const QString &name, QByteArray *value)
{
    QByteArray answer;
    if (!send(QStringLiteral("get %1").arg(name).toLatin1(), &answer))
        return false;
    QByteArray found;
    if (!parseAnswer(withoutLineEnds(answer), name, &found))
        return false;
    if (!found.isEmpty() && value)
        *value = found;
    return true;
}

bool ControlBoard::getValue(const QString &name, int *value)
{
    QByteArray answer;
    if (!send(QStringLiteral("get %1").arg(name).toLatin1(), &answer))
        return false;
    QByteArray found;
    if (!parseAnswer(answer.trimmed(), name, &found))
        return false;
    found = found.trimmed();
    if (!found.isEmpty() && value) {
        bool ok = false;
        const int number = found.toInt(&ok, 10);
        *value = ok ? number : 0;
    }
    return true;
}

bool ControlBoard::getValue(const char *name, int *value)
{
    return getValue(QString::fromLatin1(name), value);
}

int ControlBoard::splitAnswer(const QByteArray &answer, QList<QByteArray> &tokens)
{
    tokens.clear();
    for (const QByteArray &token : answer.split(' ')) {
        if (!token.isEmpty())
            tokens.append(token);
    }
    return int(tokens.size());
}

bool ControlBoard::parseAnswer(const QByteArray &answer, const QString &name, QByteArray *value)
{
    if (!value || answer.isEmpty())
        return false;
    QList<QByteArray> tokens;
    splitAnswer(answer, tokens);
    for (const QByteArray &token : tokens) {
        const qsizetype eq = token.indexOf('=');
        if (eq < 0 || QString::fromLatin1(token.left(eq)) != name)
            continue;
        const qsizetype next = token.indexOf('=', eq + 1);
        *value = token.mid(eq + 1, next < 0 ? -1 : next - eq - 1);
        return true;
    }
    return false;
}

bool ControlBoard::parseAnswerHex(const QByteArray &answer, const QString &name, QByteArray *bytes)
{
    QByteArray text;
    if (!bytes || !parseAnswer(answer, name, &text))
        return false;
    text = text.trimmed();
    if (text.size() % 2 != 0)
        return false;
    for (const char c : text) {
        if (!isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    *bytes = QByteArray::fromHex(text);
    return true;
}

// ---- Pseudo-ports ----

int ControlBoard::nextRandom()
{
    m_random = m_random * 214013u + 2531011u;
    return int((m_random >> 16) & 0x7FFF);
}

QByteArray ControlBoard::mockupAnswer(const QByteArray &commands)
{
    QString text = QString::fromLatin1(commands);
    QString out;
    if (text.contains(QLatin1String("set"))) {
        text.remove(QStringLiteral("set ")).remove(QLatin1Char('\n'));
        for (const QString &item : text.trimmed().split(QLatin1Char(' ')))
            out += item.section(QLatin1Char('='), 0, 0) + QStringLiteral(":ok ");
        return out.toLatin1();
    }
    text.remove(QStringLiteral("get ")).remove(QLatin1Char('\n'));
    for (const QString &item : text.trimmed().split(QLatin1Char(' '))) {
        int n = nextRandom();
        if (item.contains(QLatin1String("DIO")))
            n = 0;
        else if (item.contains(QLatin1String("AIN")))
            n %= 1023;
        out += QLatin1Char(' ') + item + QLatin1Char('=') + QString::number(n);
    }
    return out.trimmed().toLatin1();
}

// ---- Log lines ----

void ControlBoard::log(int kind, const QString &text)
{
    if (!m_logEnabled.load())
        return;
    int level = LevelInf;
    QString line;
    {
        QMutexLocker lock(&m_logMutex);
        if (!m_logReference.isValid())
            m_logReference.start();
        const qint64 since = m_logReference.elapsed();
        const QString now = QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz"));
        const QString delta = since > 1000 ? QStringLiteral("%1s").arg(since / 1000)
                                           : QStringLiteral("%1ms").arg(since);
        switch (kind) {
        case LogTx:
            level = LevelTx;
            line = QStringLiteral("TX(%1):%2").arg(now, logText(text));
            break;
        case LogRx:
            level = LevelRx;
            line = QStringLiteral("RX(+%1):%2").arg(delta, logText(text));
            break;
        case LogRxErr:
            level = LevelRxErr;
            line = QStringLiteral("RX_ERR(+%1):%2").arg(delta, text);
            break;
        default:
            line = QStringLiteral("INF(%1):%2").arg(now, text);
            break;
        }
        m_logReference.restart();
    }
    emit signal_log(level, line);
}
