#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>

#include <sys/types.h>

class PeerReadWatch;
class QSocketNotifier;

// One accepted connection of the command server, on its socket descriptor. Unlike a
// QLocalSocket it tells the end of the client's input (the client shut down its writing side)
// apart from the end of the connection, so replies can still be written after the client has
// said that it sends no more. Writes never block: what the socket does not take now is kept
// and sent as the client reads. It also tells when the client has read every byte sent, and
// can end the client's input itself without losing a byte that already arrived.
class PipeConnection : public QObject
{
    Q_OBJECT
public:
    // Takes over the descriptor of a connected stream socket. With a watch, the watch reports
    // both the client's input and its reads (signal_outputRead from the start), and the
    // connection needs no notifier of its own.
    PipeConnection(int descriptor, QObject *parent = nullptr, PeerReadWatch *watch = nullptr);
    ~PipeConnection() override;

    // The bytes received since the last call.
    QByteArray readAll();
    // Queues bytes for the client and sends what the socket takes now.
    void write(const QByteArray &bytes);
    qint64 bytesToWrite() const;
    // Bytes handed to the socket that the client has not read yet (0 once it has read them
    // all; -1 when the socket does not tell).
    qint64 unreadBytes() const;
    // Ends the client's input from this side: from now on the client's writes fail (EPIPE)
    // instead of being lost in a closing connection. Returns the bytes that arrived before.
    // Replies can still be written.
    QByteArray endInput();
    // Called by the watch when the client read: emits signal_outputRead once all is read.
    void outputMayBeRead();
    // Called by the watch when input or its end may have arrived.
    void inputMayHaveArrived();
    // Closes once every queued byte is sent (at once when none is left).
    void closeWhenWritten();
    // Closes now; queued bytes are lost.
    void abort();
    // Sends queued bytes, blocking up to ms; true when none is left (for the end of the
    // program, when the event loop no longer runs).
    bool waitForBytesWritten(int ms);

    bool isOpen() const { return m_fd >= 0; }
    // The client has closed its end (or shut down both sides): no reply can reach it any more.
    // A client that only shut down its writing side is still there.
    bool clientGone() const;
    // The client has shut down its writing side (or closed): no more bytes will come.
    bool inputEnded() const { return m_inputEnded; }

signals:
    void signal_readyRead();
    void signal_inputEnded();
    // Queued bytes were sent (the client is reading).
    void signal_bytesWritten();
    // The client has read every byte sent so far.
    void signal_outputRead();
    // The connection is closed: by us, or by an error such as the client going away.
    void signal_closed();

private:
    void onReadable();
    void onWritable();
    bool sendQueued();
    void watchWritable(bool on);
    void stopReading();
    ssize_t receiveChunk();
    void closeNow();

    int m_fd = -1;
    QSocketNotifier *m_readNotifier = nullptr;  // without a watch that reports the input
    QSocketNotifier *m_writeNotifier = nullptr; // made when a reply first has to wait
    QPointer<PeerReadWatch> m_readWatch;
    QByteArray m_input;
    QByteArray m_output;
    bool m_reading = true;
    bool m_inputEnded = false;
    bool m_closing = false;
};
