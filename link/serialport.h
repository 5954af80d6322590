#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A thin layer over a POSIX serial device (termios): raw 8N1 without flow control, opened
// exclusively. Not a QObject; used by one thread at a time.
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
    // already open.
    bool open_port(const QString &name, int baud);
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
    // Lists the serial devices that exist and open; returns how many.
    static int availablePorts(QStringList &out);

private:
    bool configure(int baud);

    int m_fd = -1;
    bool m_open = false;
    QString m_name;
    char m_scratch[ScratchSize];
};
