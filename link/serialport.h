#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A thin layer over a POSIX serial device (termios): raw 8N1 without flow control, opened
// exclusively: TIOCEXCL keeps other users out, and an advisory lock (flock) keeps out root and
// every program that locks the same way. Not a QObject; used by one thread at a time.
class SerialPort
{
public:
    static constexpr int ScratchSize = 4096; // largest single read

    // Bits returned by waitForInput.
    enum WaitResult { TimedOut = 0, InputWaiting = 1, Woken = 2, HungUp = 4 };

    SerialPort() = default;
    explicit SerialPort(const QString &name);
    ~SerialPort();
    SerialPort(const SerialPort &) = delete;
    SerialPort &operator=(const SerialPort &) = delete;

    // Opens and configures the port; a given name replaces the stored one. True at once when
    // already open. A failure warns with the device and the reason, kept in lastError().
    bool open_port(const QString &name, int baud);
    // The errno of the last failed open (EBUSY for a port locked by another program), 0 after
    // a successful one.
    int lastError() const { return m_error; }
    // No warning for a failed open (the port probe reports its own).
    void setQuiet(bool quiet) { m_quiet = quiet; }
    bool close();
    bool isOpen() const { return m_open; }
    QString portName() const { return m_name; }
    void setPortName(const QString &name);

    // Writes the whole array; the bytes written, 0 on failure.
    int write(const QByteArray &data);
    // One read of up to n bytes (at most ScratchSize), waiting up to waitMs for the first
    // byte; the count (0 when nothing came), -1 on failure with out empty.
    int read(QByteArray &out, int n, int waitMs = 0);
    int readAll(QByteArray &out);
    int bytesAvailable() const;
    // true clears RTS, false sets it. A device without modem lines (a pseudo-terminal)
    // reports success.
    bool setRts(bool on);
    bool flush();

    // Blocks until input waits on the port, wakeFd becomes readable or timeoutMs passes
    // (negative: no limit); an OR of WaitResult bits.
    int waitForInput(int timeoutMs, int wakeFd = -1) const;
    int handle() const { return m_fd; }

    // The device path for a port name: "COMn" becomes /dev/ttyS(n-1), a bare device name
    // gets /dev/ in front, a path stays as it is.
    static QString devicePath(const QString &name);
    // Opens the device at path for a moment: 0 when it opens, else the errno. With uart given,
    // it tells whether a UART stands behind the device.
    static int tryDevice(const QString &path, bool *uart = nullptr);
    // "Cannot open PATH: reason (what to do)" for a failed open of the port name.
    static QString failureText(const QString &name, int error);
    // The system's reason for error, followed by what the user can do about it, if anything;
    // path names the device where the advice depends on it (its group).
    static QString reasonText(int error, const QString &path = QString());

private:
    bool configure(int baud);
    bool fail(const QString &path, int error);

    int m_fd = -1;
    bool m_open = false;
    int m_error = 0;
    bool m_quiet = false;
    QString m_name;
    char m_scratch[ScratchSize];
};
