#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// A simulation of the controller board's firmware on a pseudo-terminal. The program side opens
// devicePath() like a serial port; the simulator answers each command line with one line,
// answers ENQ with ACK, reboots after six CAN bytes, streams on request until NAK and records
// every line and control byte it received. It keeps its own descriptor of the terminal side
// open, so closing and reopening the port never hangs up the line; once the program's last
// descriptor is gone (closed, or the program killed), it ends an exclusive open as the kernel
// does at a real port's last close.
//
// Commands dispatch through a table: the newest handler whose matcher accepts a line answers
// it. Built in: "set " (value store), "get " (value store), "set baudrate=" (no answer),
// "*IDN?" and, when configured, the stream command.
class FakeBoard
{
public:
    // Returns the answer line without its line ending; a null QByteArray sends no answer.
    using Handler = std::function<QByteArray(const QByteArray &line)>;
    using Matcher = std::function<bool(const QByteArray &line)>;

    static constexpr char ENQ = 0x05;
    static constexpr char ACK = 0x06;
    static constexpr char NAK = 0x15;
    static constexpr char CAN = 0x18;
    static constexpr char HeardMark = 0x00; // waitUntilHeard's mark, never recorded

    FakeBoard();
    ~FakeBoard();
    FakeBoard(const FakeBoard &) = delete;
    FakeBoard &operator=(const FakeBoard &) = delete;

    bool isValid() const { return m_master >= 0; }
    QString devicePath() const { return m_path; }

    // Lines that start with prefix (or that matcher accepts) go to handler. Handlers run on
    // the simulator's thread.
    void addHandler(const QByteArray &prefix, Handler handler);
    void addHandler(Matcher matcher, Handler handler);

    // The value store of "set" and "get"; names told to refuse are answered with "err".
    void setValue(const QByteArray &name, const QByteArray &value);
    QByteArray value(const QByteArray &name) const;
    void refuse(const QByteArray &name);
    bool isRefused(const QByteArray &name) const;

    // Knobs.
    void setAnswerDelay(int ms);                  // before each answer, one after another
    void setSilent(bool silent);                  // no answers, no ACK
    void setReading(bool reading);                // false: leaves input in the terminal
    void setLineEnding(const QByteArray &ending); // of answer lines; "\n" by default
    void setIdnReply(const QByteArray &reply);    // "*IDN?" answer
    void setEnqReply(const QByteArray &reply);    // sent for each ENQ; ACK by default
    void setRebootMs(int ms);                     // silence after six CAN bytes
    // A board that handles its input in turn: each ENQ reply leaves after the answers still
    // due and ms after the one before it (0: at once, ahead of any answer, the default).
    void setEnqDelay(int ms);
    // When a line starts with command, the board sends data in chunks of chunkSize every
    // intervalMs; repeat starts over at the end. NAK stops the stream.
    void setStream(const QByteArray &command, const QByteArray &data, int chunkSize, int intervalMs,
                   bool repeat);
    void writeRaw(const QByteArray &bytes);
    // Called on the simulator's thread with "> line" for each line received and "< answer"
    // for each answer.
    void setTrace(std::function<void(const QByteArray &text)> trace);

    // What was received.
    QList<QByteArray> lines() const;
    QList<QByteArray> takeLines(); // the lines received, cleared at once (control bytes stay)
    QByteArray controlBytes() const;
    int controlCount(char byte) const;
    bool isStreaming() const;
    int rebootCount() const;
    void clearRecords();
    bool waitForLines(int count, int timeoutMs) const;
    bool waitForControl(char byte, int count, int timeoutMs) const;
    // Waits until the board has read and taken every byte written to it before the call; false
    // after timeoutMs. A mark byte (NUL, which the program never sends: its commands end at a
    // NUL) written on the terminal side queues behind those bytes: the pseudo-terminal hands
    // them on to the board's side later, so an empty input queue does not show them taken.
    bool waitUntilHeard(int timeoutMs);
    // Bytes the board wrote that wait in the terminal for the program to read them.
    int pendingForProgram() const;
    // The rate the program set on the terminal; -1 when unknown or when its input and output
    // speeds differ.
    int baudRate() const;

private:
    struct Entry {
        Matcher matcher;
        Handler handler;
    };
    struct Pending {
        qint64 due;
        QByteArray bytes;
    };

    void loop();
    void endExclusiveOpenOfTheGone();
    void takeInput(const QByteArray &bytes, qint64 now);
    void takeMark();
    void takeControl(char byte, qint64 now);
    void takeLine(const QByteArray &line, qint64 now);
    void queueAnswer(const QByteArray &bytes, qint64 now);
    void queueReply(const QByteArray &bytes, qint64 now, int delayMs);
    void flushDue(qint64 now);
    void streamStep(qint64 now);
    int nextTimeout(qint64 now) const;
    void wake();
    void installBuiltins();
    QByteArray answerSet(const QByteArray &line);
    QByteArray answerGet(const QByteArray &line);
    static qint64 nowMs();

    int m_master = -1;
    int m_slave = -1;
    int m_wakeFd = -1;
    int m_closeWatch = -1;    // inotify: every close of the terminal side
    quint64 m_heardAsked = 0; // waitUntilHeard's requests, and the last the loop answered
    quint64 m_heardDone = 0;
    std::deque<quint64> m_marks; // the requests whose mark is on its way
    QString m_path;
    std::thread m_thread;
    bool m_stop = false;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_received;
    QList<Entry> m_handlers;
    std::function<void(const QByteArray &)> m_trace;
    QHash<QByteArray, QByteArray> m_values;
    QSet<QByteArray> m_refused;
    int m_answerDelayMs = 0;
    int m_enqDelayMs = 0;
    bool m_silent = false;
    bool m_reading = true;
    QByteArray m_lineEnding = "\n";
    QByteArray m_idn = "Velmora,P110,0x0001044C,Mon Aug 26 10:00:00 2024";
    QByteArray m_enqReply = QByteArray(1, ACK);
    int m_rebootMs = 300;
    qint64 m_rebootUntil = 0;
    int m_canRun = 0;
    QByteArray m_streamCommand;
    QByteArray m_streamData;
    int m_streamChunk = 64;
    int m_streamIntervalMs = 10;
    bool m_streamRepeat = false;
    bool m_streaming = false;
    qsizetype m_streamPos = 0;
    qint64 m_streamNext = 0;
    int m_reboots = 0;

    QByteArray m_partial;
    QList<QByteArray> m_lines;
    QByteArray m_control;
    std::deque<Pending> m_pending;
    qint64 m_lastDue = 0;
    QByteArray m_out; // bytes the terminal did not take yet
};
