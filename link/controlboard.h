#pragma once

#include "portprobe.h"
#include "ringbuffer.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QMutex>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

class LinkHost;
class PythonRunner;
class SerialPort;
class Variable;

// Intervals of the link protocol. The defaults are the protocol's values; tests shorten them.
struct LinkTiming {
    int silenceMs = 2000;        // keep-alive after this much silence on the line
    int pingAttempts = 3;        // ENQ writes per keep-alive
    int pingReads = 10;          // reads per ENQ
    int pingReadMs = 10;         // wait per read
    int reconnectAttempts = 10;  // automatic reconnection attempts
    int reconnectPauseMs = 1000; // pause after a failed attempt
    int idleMs = 500;            // loop pass while not connected
    int pauseStepMs = 100;       // parked loop step
    int resetLimitMs = 9999;     // board reset: longest wait for the ACK
    int streamPassMs = 100;      // stream capture pass
};

// The one link object to the controller board. Its thread owns the serial port: it moves the
// transmit buffer to the port and the port to the receive buffer, keeps the line alive with
// ENQ/ACK, reconnects by itself and runs stream captures. `send` is the command transaction
// every other part of the program uses; it runs in the caller's thread.
class ControlBoard : public QThread
{
    Q_OBJECT
public:
    enum Mode { SerialMode = 0, ScriptMode = 1, MockupMode = 2 };
    enum DisconnectReason { ByUser = 0, AfterErrors = 1, BeforeReconnect = 2 };
    enum LogKind { LogRx = 0, LogTx = 1, LogInf = 2, LogRxErr = 3 };
    enum LogLevel { LevelInf = 104, LevelTx = 109, LevelRx = 114, LevelRxErr = -1000 };

    static constexpr int BufferSize = 5000;
    static constexpr int DefaultBaudrate = 115200;
    static constexpr int DefaultTimeoutMs = 1000;
    static constexpr char ENQ = 0x05;
    static constexpr char ACK = 0x06;
    static constexpr char NAK = 0x15;
    static constexpr char CAN = 0x18;

    explicit ControlBoard(QObject *parent = nullptr);
    explicit ControlBoard(const LinkTiming &timing, QObject *parent = nullptr);
    ~ControlBoard() override;

    // ---- Command channel ----
    // Sends the command lines and waits for one answer line per command line; true when all
    // came and none carried "err". timeoutMs: -1 the answer time-out, 0 send without waiting.
    bool send(const QByteArray &commands, QByteArray *answer, int timeoutMs = -1);
    bool setValue(const QString &name, const QByteArray &value);
    bool setValue(const QString &name, int value);
    bool getValue(const QString &name, QByteArray *value);
    bool getValue(const QString &name, int *value);
    bool getValue(const char *name, int *value);
    static int splitAnswer(const QByteArray &answer, QList<QByteArray> &tokens);
    static bool parseAnswer(const QByteArray &answer, const QString &name, QByteArray *value);
    static bool parseAnswerHex(const QByteArray &answer, const QString &name, QByteArray *bytes);

    void setTimeout(const int &ms) { m_timeoutMs = ms; }
    int timeout() const { return m_timeoutMs; }
    bool isConnected() const { return m_connected.load(); }
    void setLogEnabled(bool on) { m_logEnabled = on; }
    bool isLogEnabled() const { return m_logEnabled.load(); }
    void clearBuffers();
    // One link log line (kind: LogKind), emitted through signal_log while logging is on.
    void log(int kind, const QString &text);

    int mode() const { return m_mode.load(); }
    QString portName() const;
    QString scriptPath() const { return m_scriptPath; }
    bool isStreaming() const { return m_streaming.load(); }

    // The "script" port's runner; the link owns a default one until the program installs its
    // own (ownership stays with the caller).
    void setPythonRunner(PythonRunner *runner);
    PythonRunner *pythonRunner() const;
    // The program's services (options, update window); null restores the defaults.
    void setHost(LinkHost *host);

    // ---- Link thread ----
    bool connectBoard(const QString &port, bool unused = true);
    void disconnectBoard(int reason);
    bool setBaudrate(int rate);
    int baudrate() const { return m_baudrate.load(); }
    bool ping();
    void resetBoard();
    void sendNak();
    void startStream(const QString &command, QObject *receiver);
    void stopStream();
    // The serial devices that open, then "mockup" and "script".
    void availablePorts(QStringList &out);
    // Keeps the ports of in whose board answers the keep-alive; safe on any thread. Logs once
    // what it skipped and why (as an error when no serial port was found and one was refused
    // for want of permission). Nothing while connected.
    void probePorts(const QStringList &in, QStringList &out);
    // availablePorts and probePorts in one, with one log line for both.
    QStringList findPorts();
    // A probe under way stops within one read of its keep-alive (for the end of the program).
    void stopProbe();
    // Where availablePorts looks for serial devices.
    void setPortPaths(const PortPaths &paths);
    PortPaths portPaths() const { return m_probe.paths(); }

    // ---- Firmware identification ----
    bool checkIdn();
    static bool checkFirmwareCompatible(const QString &type, const QString &version,
                                        const QString &date);
    int showIncompatibleFirmware(const QString &text, const QString &informativeText, int buttons);
    QString firmwareType() const;
    int firmwareVersion() const;
    QString firmwareDate() const { return firmwareDate(QStringLiteral("dd.MM.yyyy hh:mm")); }
    QString firmwareDate(const QString &format) const;
    QDateTime firmwareDateTime() const;
    bool isCompatible() const;
    QString queryIdn();

    // ===== Firmware-command conveniences (link/controlboard_commands.cpp) =====
    // Command helpers (controlboard_commands.cpp): build particular firmware command lines
    // and send them through send(); no part of the program calls them.
    bool setVariables(const QList<Variable *> &variables);
    bool getVariables(const QList<Variable *> &variables);
    void setPinName(const char *name);
    QString pinName() const { return m_pinName; }
    bool writePin(int value);
    void writePinBytes(const QByteArray &bytes);
    int readPin();
    double readVoltage(const char *name);
    bool setAnalogReference(int flags);
    double referenceVoltage() const { return m_referenceVoltage; }
    bool swspiTransfer(const QString &a, const QString &b, const QString &c, int mode, int bits,
                       int delay, const QByteArray &data);
    bool readSwspi(QByteArray *data);
    bool setGenClock(const QString &pin, int frequency, int mode, int duty);
    bool setDioSequence2(const QString &name, int count, int value, const QString &unit);
    bool setDioSequence52(int channel, const QString &name, int first, int second,
                          QByteArray *answer);
    bool dioSequence9(const QString &a, const QString &b, int first, int second, int count,
                      QList<int> *out);
    bool scanChain(const QString &a, const QString &b, const QString &c, char mode, int n,
                   const QByteArray &data, QByteArray *out);
    bool transferBlocks(const QString &name, const QByteArray &data, int timeoutMs,
                        QByteArray *out1 = nullptr, QByteArray *out2 = nullptr,
                        QByteArray *out3 = nullptr, QByteArray *out4 = nullptr,
                        QByteArray *out5 = nullptr);
    bool appendSet(const QString &name, int value, bool flush);
    bool appendSetDirection(const QString &name, int value, bool flush);

private:
    bool flushPending(QByteArray &pending, bool flush);

    QString m_pinName;
    double m_referenceVoltage = double(3.3f);
    QByteArray m_pendingSet = QByteArrayLiteral("set ");
    QByteArray m_pendingSetDirection = QByteArrayLiteral("set ");

public:
    // ===== end of firmware-command conveniences =====

signals:
    void signal_log(int level, const QString &text);
    void signal_tx();
    void signal_rx();
    void signal_stream(bool on);
    void signal_disconnected();
    void signal_connected();
    void signal_captureData(const QByteArray &data);

protected:
    void run() override;

private:
    // Keeps the link thread parked, off the port and the buffers' reader sides, for its
    // lifetime; does nothing on the link thread itself or once the thread has ended.
    class ParkGuard
    {
    public:
        explicit ParkGuard(ControlBoard *board);
        ~ParkGuard();
        ParkGuard(const ParkGuard &) = delete;
        ParkGuard &operator=(const ParkGuard &) = delete;

    private:
        ControlBoard *m_board;
        bool m_active;
    };
    void park();
    void unpark();

    static QDateTime initialFirmwareDate();
    static bool keepAliveAnswered(SerialPort &port, const LinkTiming &timing,
                                  const std::function<void(const QByteArray &)> &rest,
                                  const std::atomic<bool> *stop = nullptr,
                                  std::atomic<int> *owed = nullptr);
    QByteArray withoutOwedAcks(QByteArray bytes);
    bool onLinkThread() const;
    void setPortName(const QString &name);
    void stopThread();
    bool sendSerial(const QByteArray &text, QByteArray *answer, int timeoutMs);
    void announceSending();
    bool finishLocalAnswer(const QByteArray &out, QByteArray *answer);
    bool waitForTransmitRoom(int bytes, int timeoutMs);
    void waitForAnswerBytes(int timeoutMs);
    QByteArray mockupAnswer(const QByteArray &commands);
    int nextRandom();
    void logFailure(const QByteArray &lastLine);
    // One pass of moving bytes between the buffers and the port; waits up to waitMs for
    // input or a wake-up.
    void servePort(int waitMs);
    void writeTransmitBuffer();
    void readWaitingInput();
    void waitForWake(int ms);
    // Sleeps ms on the link thread, parking whenever asked; ends early only when the thread
    // is to stop or interrupted (may be null) returns true.
    void sleepServingParks(int ms, const std::function<bool()> &interrupted);
    void drainWake();
    void wake();
    void parkPoint();
    bool connectMockup();
    bool connectScript();
    bool connectSerial(const QString &port);
    bool reopenSerial(const QString &port);
    bool openSerial(SerialPort &serial, const QString &port);
    void startSerialConnection(const QString &port);
    bool identifyConnection();
    void letGoOfSerialPort(bool releaseClaim = true);
    QStringList probeLogged(const QStringList &in, QList<PortProbe::Skip> skipped);
    void keepAlive();
    void reconnect();
    void dropConnection();
    void cancelReconnection();
    bool switchBaudrate(int rate);
    void discardWaitingInput();
    void runStream();
    bool writeToPort(const QByteArray &bytes);
    QByteArray readFromPort(int n, int waitMs);
    void storeIdentification(const QString &type, int version, const QDateTime &date,
                             bool compatible);
    void warnIncompatible();
    void openUpdateWindow(LinkHost *host);
    // Runs fn, which hands something to the GUI thread; on the link thread the wait counts as
    // parked, and the thread parks afterwards when asked to.
    void whileHandingOver(const std::function<void()> &fn);

    const LinkTiming m_timing;
    RingBuffer m_rxBuffer{BufferSize};
    RingBuffer m_txBuffer{BufferSize};
    QMutex m_linkMutex;            // writes of the paused and streaming flags, stream state
    std::mutex m_transactionMutex; // one transaction at a time
    mutable QMutex m_stateMutex;   // port name, identification
    QMutex m_logMutex;             // the log's time reference
    QElapsedTimer m_logReference;

    std::atomic<bool> m_streaming{false};
    QString m_streamCommand;
    QPointer<QObject> m_captureReceiver;
    int m_firmwareVersion = 0;
    QDateTime m_firmwareDate;
    bool m_compatible = false;
    QString m_firmwareType;
    std::atomic<bool> m_logEnabled{false};
    std::atomic<int> m_timeoutMs{DefaultTimeoutMs};
    QString m_scriptPath;
    QString m_portName;
    std::atomic<int> m_baudrate{DefaultBaudrate};
    std::atomic<int> m_mode{SerialMode};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_parked{false};
    std::atomic<bool> m_handingOver{false};
    std::atomic<bool> m_cancelReconnect{false};
    std::atomic<bool> m_loopEnded{false};
    std::atomic<bool> m_awaitingAnswer{false}; // a transaction waits for its answer lines
    std::atomic<int> m_owedAcks{0};            // keep-alive ENQs written whose ACK has not come yet
    std::atomic<int> m_portGeneration{0};      // counts the ports let go of
    int m_parkDepth = 0; // nesting of parks by other threads (under m_linkMutex)
    std::unique_ptr<SerialPort> m_port;
    PortProbe m_probe;
    int m_wakeFd = -1;
    QElapsedTimer m_silence;
    quint32 m_random = 100;

    PythonRunner *m_ownRunner;
    std::atomic<PythonRunner *> m_runner;
    std::atomic<LinkHost *> m_host{nullptr};
};
