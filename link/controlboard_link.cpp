// The link thread of ControlBoard: the loop between the buffers and the port, parking,
// keep-alive, connection, reconnection, baud switch, board reset and stream capture.
#include "controlboard.h"

#include "prompt.h"
#include "serialport.h"

#include <QFileInfo>

#include <cstdint>
#include <poll.h>
#include <unistd.h>

namespace
{
const QString MockupPort = QStringLiteral("mockup");
const QString ScriptPort = QStringLiteral("script");
constexpr int ResetCanBytes = 6;
constexpr int StreamEndNakBytes = 3;
} // namespace

// ---- Parking ----

ControlBoard::ParkGuard::ParkGuard(ControlBoard *board)
    : m_board(board), m_active(!board->onLinkThread() && !board->m_loopEnded.load())
{
    if (m_active)
        m_board->park();
}

ControlBoard::ParkGuard::~ParkGuard()
{
    if (m_active)
        m_board->unpark();
}

void ControlBoard::park()
{
    {
        QMutexLocker lock(&m_linkMutex);
        ++m_parkDepth;
        m_paused.store(true);
    }
    wake();
    // Serve hand-overs meanwhile: the link thread may be waiting for the GUI thread to show
    // a box before it reaches its park point. A link thread that waits for the GUI thread
    // keeps off the port too, and parks before it goes on (whileHandingOver).
    Prompt::waitServingHandOvers(
        [this]() { return m_parked.load() || m_handingOver.load() || m_loopEnded.load(); }, -1);
}

void ControlBoard::whileHandingOver(const std::function<void()> &fn)
{
    if (!onLinkThread()) {
        fn();
        return;
    }
    m_handingOver.store(true);
    Prompt::wakeWaiters();
    fn();
    m_handingOver.store(false);
    parkPoint();
}

void ControlBoard::unpark()
{
    {
        QMutexLocker lock(&m_linkMutex);
        if (--m_parkDepth == 0)
            m_paused.store(false);
    }
    wake();
}

void ControlBoard::parkPoint()
{
    for (;;) {
        {
            QMutexLocker lock(&m_linkMutex);
            if (!m_paused.load() || m_stop.load()) {
                m_parked.store(false);
                return;
            }
            m_parked.store(true);
        }
        Prompt::wakeWaiters();
        waitForWake(m_timing.pauseStepMs);
    }
}

void ControlBoard::sleepServingParks(int ms, const std::function<bool()> &interrupted)
{
    // A wake-up (a park request, a transaction) does not shorten the sleep.
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        parkPoint();
        if (m_stop.load() || (interrupted && interrupted()))
            return;
        const int left = ms - int(timer.elapsed());
        if (left <= 0)
            return;
        waitForWake(left);
    }
}

void ControlBoard::wake()
{
    if (m_wakeFd < 0)
        return;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof one);
}

void ControlBoard::waitForWake(int ms)
{
    pollfd p{m_wakeFd, POLLIN, 0};
    if (::poll(&p, 1, ms) > 0)
        drainWake();
}

void ControlBoard::drainWake()
{
    uint64_t value;
    [[maybe_unused]] const ssize_t n = ::read(m_wakeFd, &value, sizeof value);
}

void ControlBoard::stopThread()
{
    m_stop.store(true);
    wake();
    Prompt::waitServingHandOvers([this]() { return m_loopEnded.load(); }, -1);
    wait();
}

// ---- The loop ----

void ControlBoard::run()
{
    m_silence.start();
    while (!m_stop.load()) {
        // A port closed by a disconnection that has not yet cleared the connected flag is
        // idle too: a keep-alive there would start an automatic reconnection.
        if (m_mode.load() != SerialMode || !m_connected.load() || !m_port->isOpen()) {
            waitForWake(m_timing.idleMs);
        } else {
            if (m_streaming.load()) {
                runStream();
                continue; // its end may have taken the wake-up of a stop
            }
            // While a transaction waits for its answer, its own time-out judges the board: a
            // board busy with a long command is silent, not lost. The transaction's end wakes
            // the loop.
            const int untilPing = m_timing.silenceMs - int(m_silence.elapsed()) + 1;
            servePort(m_awaitingAnswer.load() ? m_timing.silenceMs : qMax(0, untilPing));
            if (!m_awaitingAnswer.load() && m_silence.elapsed() > m_timing.silenceMs)
                keepAlive();
        }
        parkPoint();
    }
    m_loopEnded.store(true);
    Prompt::wakeWaiters();
}

void ControlBoard::servePort(int waitMs)
{
    writeTransmitBuffer();
    const int result = m_port->waitForInput(waitMs, m_wakeFd);
    if (result & SerialPort::HungUp) {
        // The far end is gone: wait for a wake-up only, the keep-alive will notice.
        waitForWake(waitMs);
        return;
    }
    if (result & SerialPort::Woken)
        drainWake();
    writeTransmitBuffer();
    if (result & SerialPort::InputWaiting)
        readWaitingInput();
}

void ControlBoard::writeTransmitBuffer()
{
    if (m_txBuffer.isEmpty())
        return;
    m_port->write(m_txBuffer.readAll());
    emit signal_tx();
}

void ControlBoard::readWaitingInput()
{
    for (;;) {
        QByteArray bytes;
        // The port does not block: a read takes what waits, up to the scratch size.
        const int n = m_port->read(bytes, SerialPort::ScratchSize);
        if (n <= 0)
            break;
        emit signal_rx();
        m_rxBuffer.write(withoutOwedAcks(bytes));
        m_silence.restart();
        if (n < SerialPort::ScratchSize)
            break;
    }
}

bool ControlBoard::writeToPort(const QByteArray &bytes)
{
    return m_port->write(bytes) == bytes.size();
}

QByteArray ControlBoard::readFromPort(int n, int waitMs)
{
    QByteArray bytes;
    m_port->read(bytes, n, waitMs);
    return bytes;
}

void ControlBoard::discardWaitingInput()
{
    while (m_port->bytesAvailable() > 0 && !readFromPort(SerialPort::ScratchSize, 0).isEmpty()) {
    }
}

// ---- Keep-alive and reconnection ----

// The keep-alive exchange on an open port: ENQ, then reads until an ACK comes. Input already
// waiting is a sign of life: failing there would refuse a board that has just sent something,
// such as bytes left over from a reset. Whatever else arrives goes to rest; a stop flag that is
// set ends the exchange before its next write or read. Each ENQ written counts in owed until an
// ACK comes: a board that answers later than the reads wait leaves ACKs behind, which the link
// takes out of the answers (withoutOwedAcks). Every ACK a read brings answers one of ours.
bool ControlBoard::keepAliveAnswered(SerialPort &port, const LinkTiming &timing,
                                     const std::function<void(const QByteArray &)> &rest,
                                     const std::atomic<bool> *stop, std::atomic<int> *owed)
{
    if (port.bytesAvailable() > 0)
        return true;
    std::atomic<int> ownCount{0};
    std::atomic<int> &unanswered = owed ? *owed : ownCount;
    const auto stopped = [stop]() { return stop && stop->load(); };
    for (int attempt = 0; attempt < timing.pingAttempts && !stopped(); ++attempt) {
        if (port.write(QByteArray(1, ENQ)) != 1)
            continue;
        ++unanswered;
        for (int i = 0; i < timing.pingReads && !stopped(); ++i) {
            QByteArray bytes;
            port.read(bytes, SerialPort::ScratchSize, timing.pingReadMs);
            const int acks = int(bytes.count(ACK));
            if (acks > 0) {
                bytes.replace(QByteArray(1, ACK), QByteArray());
                unanswered.store(qMax(0, unanswered.load() - acks));
            }
            rest(bytes);
            if (acks > 0)
                return true;
        }
    }
    return false;
}

QByteArray ControlBoard::withoutOwedAcks(QByteArray bytes)
{
    for (qsizetype at = bytes.indexOf(ACK); at >= 0 && m_owedAcks.load() > 0;
         at = bytes.indexOf(ACK, at)) {
        bytes.remove(at, 1);
        --m_owedAcks;
    }
    return bytes;
}

bool ControlBoard::ping()
{
    if (m_mode.load() != SerialMode)
        return true;
    ParkGuard park(this);
    if (!m_port->isOpen())
        return false;
    // Whatever else came belongs to the answers.
    return keepAliveAnswered(
        *m_port, m_timing, [this](const QByteArray &bytes) { m_rxBuffer.write(bytes); }, nullptr,
        &m_owedAcks);
}

// A board that answers late (busy, or its side of the line slow to be served on a loaded
// machine) is still there: a live link asks a second round before it gives the board up, and
// an ACK in either round keeps it.
void ControlBoard::keepAlive()
{
    m_silence.restart();
    if ((ping() || ping()) && m_connected.load())
        return;
    m_silence.restart();
    reconnect();
}

void ControlBoard::reconnect()
{
    const QString port = portName();
    m_cancelReconnect.store(false);
    disconnectBoard(BeforeReconnect);
    log(LogInf, QStringLiteral("Auto reconnecting..."));
    for (int attempt = 0; attempt < m_timing.reconnectAttempts; ++attempt) {
        if (m_stop.load() || m_cancelReconnect.load())
            return;
        if (connectBoard(port))
            return;
        sleepServingParks(m_timing.reconnectPauseMs, [this]() { return m_cancelReconnect.load(); });
    }
    if (!m_connected.load() && !m_stop.load() && !m_cancelReconnect.load())
        disconnectBoard(AfterErrors);
}

// ---- Connecting ----

void ControlBoard::cancelReconnection()
{
    if (onLinkThread())
        return;
    // Set while the link thread is parked, so a reconnection starting just now cannot miss it.
    ParkGuard park(this);
    m_cancelReconnect.store(true);
}

// A connection that cannot be made leaves the one there is as it was: its port open, its mode
// and its name. A new one that is made ends the one before it, its serial port let go as a
// disconnection leaves it.
bool ControlBoard::connectBoard(const QString &port, bool)
{
    cancelReconnection(); // the user's choice ends an automatic reconnection
    bool connected = false;
    if (port == MockupPort)
        connected = connectMockup();
    else if (port == ScriptPort)
        connected = connectScript();
    else
        connected = connectSerial(port);
    if (!connected)
        return false;
    log(LogInf, QStringLiteral("Connected to ") + portName());
    emit signal_connected();
    return true;
}

bool ControlBoard::connectMockup()
{
    {
        ParkGuard park(this);
        letGoOfSerialPort();
        m_mode.store(MockupMode);
    }
    {
        std::lock_guard<std::mutex> transaction(m_transactionMutex);
        m_random = 100; // the mock-up answers repeat after each connection
    }
    setPortName(MockupPort);
    Prompt::inform(QString(),
                   QStringLiteral("Software is in Mock-up mode. \n Communication is simulated!"));
    m_connected.store(true);
    return true;
}

bool ControlBoard::connectScript()
{
    const QString file =
        Prompt::openFile(QStringLiteral("Script path"), QString(), QStringLiteral("Files (*.py)"));
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return false;
    {
        ParkGuard park(this);
        letGoOfSerialPort();
        m_mode.store(ScriptMode);
    }
    m_scriptPath = file;
    setPortName(ScriptPort);
    m_connected.store(true);
    return true;
}

// The port is opened and asked for the keep-alive on a port object of its own while the link
// goes on; only a board that answered takes the link's place. The port of the connection itself
// cannot be opened twice: it is opened anew (reopenSerial).
bool ControlBoard::connectSerial(const QString &port)
{
    if (port.isEmpty())
        return false;
    if (m_mode.load() == SerialMode && m_port->isOpen() &&
        PortProbe::deviceKey(port) == PortProbe::deviceKey(portName()))
        return reopenSerial(port);
    auto candidate = std::make_unique<SerialPort>();
    m_probe.claim(port);
    std::atomic<int> owed{0};
    const bool alive = openSerial(*candidate, port) &&
                       keepAliveAnswered(
                           *candidate, m_timing, [](const QByteArray &) {}, &m_stop, &owed);
    if (!alive) {
        candidate->close();
        if (m_mode.load() == SerialMode && m_port->isOpen())
            m_probe.claim(portName()); // the connection there is keeps its port
        else
            m_probe.release();
        return false;
    }
    {
        ParkGuard park(this);
        letGoOfSerialPort(false);
        std::swap(m_port, candidate);
        m_owedAcks.store(owed.load());
        startSerialConnection(port);
    }
    candidate.reset(); // the port object of the connection before, closed
    return identifyConnection();
}

// The connected port opened again: what was there is gone, and a port that does not open or
// a board that does not answer again leaves the link disconnected, as after errors.
bool ControlBoard::reopenSerial(const QString &port)
{
    bool alive = false;
    {
        ParkGuard park(this);
        letGoOfSerialPort(false);
        m_connected.store(false);
        alive = openSerial(*m_port, port) && ping();
        if (alive)
            startSerialConnection(port);
        else
            m_port->close();
    }
    if (!alive) {
        m_probe.release();
        log(LogRxErr,
            QStringLiteral("Disconnected: %1 did not answer when opened again").arg(port));
        emit signal_disconnected();
        return false;
    }
    return identifyConnection();
}

// With the link thread kept off the port.
void ControlBoard::startSerialConnection(const QString &port)
{
    {
        // A transaction still waiting on another thread (one begun before a reconnection)
        // reads the receive buffer: empty both only between transactions.
        std::lock_guard<std::mutex> transaction(m_transactionMutex);
        m_rxBuffer.clear();
        m_txBuffer.clear();
    }
    m_mode.store(SerialMode);
    setPortName(port);
    m_connected.store(true);
}

// Only a board that answered is asked who it is; the link thread serves the transaction.
bool ControlBoard::identifyConnection()
{
    checkIdn();
    // The user may have disconnected while the identification's box was open.
    return m_connected.load();
}

// A port probe holding the port lets go of it first (the caller claims it). A failure the user
// asked for is logged as an error with its reason; the automatic reconnection's attempts stay
// quiet.
bool ControlBoard::openSerial(SerialPort &serial, const QString &port)
{
    if (serial.open_port(port, DefaultBaudrate))
        return true;
    if (!onLinkThread())
        emit signal_log(LevelRxErr, SerialPort::failureText(port, serial.lastError()));
    return false;
}

// The serial port of the connection there is, as a disconnection leaves it: its stream stopped,
// the board told to go back to the default rate, RTS cleared, the port closed (it owes no ACK
// any more) and, when asked, the probe's claim given up. Run while the link thread is kept off
// the port.
void ControlBoard::letGoOfSerialPort(bool releaseClaim)
{
    if (m_mode.load() != SerialMode)
        return;
    if (m_streaming.load())
        stopStream();
    ++m_portGeneration;
    m_baudrate.store(DefaultBaudrate);
    if (m_connected.load() && m_port->isOpen())
        switchBaudrate(DefaultBaudrate);
    m_port->setRts(false);
    m_port->close();
    m_owedAcks.store(0);
    if (releaseClaim)
        m_probe.release();
}

void ControlBoard::disconnectBoard(int reason)
{
    cancelReconnection();
    if (m_streaming.load())
        stopStream();
    switch (reason) {
    case AfterErrors:
        log(LogRxErr, QStringLiteral("Disconnect due to errors"));
        break;
    case BeforeReconnect:
        log(LogInf, QStringLiteral("Reconnect"));
        break;
    default:
        log(LogInf, QStringLiteral("Disconnect by user"));
        break;
    }
    if (m_mode.load() == SerialMode) {
        ParkGuard park(this);
        letGoOfSerialPort();
    }
    emit signal_disconnected();
    m_connected.store(false);
}

void ControlBoard::dropConnection()
{
    if (m_streaming.load())
        stopStream();
    emit signal_disconnected();
    m_connected.store(false);
}

// ---- Baud rate, reset, NAK ----

bool ControlBoard::setBaudrate(int rate)
{
    if (!m_port)
        return false;
    m_baudrate.store(rate);
    // The pseudo-ports have no line to switch.
    if (!m_connected.load() || m_mode.load() != SerialMode)
        return true;
    if (!switchBaudrate(rate))
        dropConnection();
    return true;
}

bool ControlBoard::switchBaudrate(int rate)
{
    ParkGuard park(this);
    writeToPort(QByteArray("set baudrate=") + QByteArray::number(rate) + '\n');
    m_port->flush();
    m_port->close();
    if (m_port->open_port(portName(), rate))
        return true;
    emit signal_log(LevelRxErr,
                    QStringLiteral("Cannot reopen %1 at %2 baud").arg(portName()).arg(rate));
    return false;
}

void ControlBoard::resetBoard()
{
    log(LogInf, QStringLiteral("Board reset"));
    ParkGuard park(this);
    // Without an open port no ACK can come: there is nothing to wait for.
    if (!m_port->isOpen())
        return;
    writeToPort(QByteArray(ResetCanBytes, CAN));
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() <= m_timing.resetLimitMs) {
        writeToPort(QByteArray(1, ENQ));
        if (readFromPort(1, m_timing.pingReadMs).contains(ACK))
            break;
    }
    discardWaitingInput();
}

void ControlBoard::sendNak()
{
    if (!m_connected.load())
        return;
    ParkGuard park(this);
    writeToPort(QByteArray(1, NAK));
}

// ---- Stream capture ----

void ControlBoard::startStream(const QString &command, QObject *receiver)
{
    if (receiver)
        connect(this, SIGNAL(signal_captureData(QByteArray)), receiver,
                SLOT(slot_capturedData(QByteArray)));
    log(LogInf, QStringLiteral("Start stream"));
    log(LogInf, QStringLiteral("RTS=1"));
    log(LogInf, command);
    QMutexLocker lock(&m_linkMutex);
    // The receiver is kept under the lock: a disconnection on the link thread stops the
    // stream too.
    m_captureReceiver = receiver;
    m_streamCommand = command.contains(QLatin1Char('\n')) ? command : command + QLatin1Char('\n');
    m_streaming.store(true);
    lock.unlock();
    wake();
}

void ControlBoard::stopStream()
{
    QPointer<QObject> receiver;
    {
        QMutexLocker lock(&m_linkMutex);
        m_streaming.store(false);
        receiver.swap(m_captureReceiver);
    }
    wake();
    if (receiver)
        disconnect(this, SIGNAL(signal_captureData(QByteArray)), receiver.data(),
                   SLOT(slot_capturedData(QByteArray)));
    log(LogInf, QStringLiteral("RTS=0"));
    log(LogInf, QStringLiteral("Stop stream"));
}

void ControlBoard::runStream()
{
    QByteArray command;
    {
        QMutexLocker lock(&m_linkMutex);
        command = m_streamCommand.toLatin1();
    }
    const int generation = m_portGeneration.load();
    writeToPort(command);
    m_port->setRts(true);
    emit signal_stream(true);
    while (m_streaming.load() && !m_stop.load()) {
        QByteArray captured;
        while (m_port->bytesAvailable() > 0) {
            const QByteArray bytes = readFromPort(SerialPort::ScratchSize, 0);
            if (bytes.isEmpty())
                break;
            captured += bytes;
        }
        if (!captured.isEmpty())
            emit signal_captureData(captured);
        if (m_streaming.load())
            waitForWake(m_timing.streamPassMs);
        parkPoint();
    }
    // A port let go of meanwhile (a disconnection, another connection) took the stream's end
    // with it: nothing goes to the port of a connection made since.
    if (generation != m_portGeneration.load()) {
        emit signal_stream(false);
        return;
    }
    m_port->setRts(false);
    writeToPort(QByteArray(StreamEndNakBytes, NAK));
    m_silence.restart();
    emit signal_stream(false);
    // The board's last stream bytes arrive meanwhile and are discarded, not taken as answers.
    sleepServingParks(m_timing.streamPassMs, nullptr);
    discardWaitingInput();
}

// ---- Port lists ----

void ControlBoard::availablePorts(QStringList &out)
{
    QList<PortProbe::Skip> skipped;
    out = m_probe.list(skipped);
    out << MockupPort << ScriptPort;
}

void ControlBoard::probePorts(const QStringList &in, QStringList &out)
{
    out += probeLogged(in, {});
}

QStringList ControlBoard::findPorts()
{
    QList<PortProbe::Skip> skipped;
    QStringList ports = m_probe.list(skipped);
    ports << MockupPort << ScriptPort;
    return probeLogged(ports, skipped);
}

// Each port on a port object of its own, never the link's: the probe may run on any thread,
// also while the link connects (which claims its port from the probe).
QStringList ControlBoard::probeLogged(const QStringList &in, QList<PortProbe::Skip> skipped)
{
    QStringList out;
    if (m_connected.load())
        return out;
    const auto answered = [this](SerialPort &port, const std::atomic<bool> *letGo) {
        return keepAliveAnswered(
            port, m_timing, [](const QByteArray &) {}, letGo);
    };
    int found = 0;
    for (const QString &port : in) {
        if (m_probe.isStopped())
            return out;
        if (port == ScriptPort || port == MockupPort) {
            out.append(port);
        } else if (m_probe.answers(port, DefaultBaudrate, answered, skipped)) {
            out.append(port);
            ++found;
        }
    }
    const QString report = PortProbe::report(skipped, found);
    if (found == 0 && PortProbe::needsUser(skipped))
        emit signal_log(LevelRxErr, report);
    else if (!report.isEmpty())
        log(LogInf, report);
    return out;
}

void ControlBoard::stopProbe()
{
    m_probe.stop();
}

void ControlBoard::setPortPaths(const PortPaths &paths)
{
    m_probe.setPaths(paths);
}
