#pragma once

#include "listenedname.h"
#include "piperequest.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <atomic>
#include <memory>

class PeerReadWatch;
class PipeConnection;
class PipeListener;
class QTimer;
class RequestHandler;
class SocketDir;

// The command server: other programs connect to the pipe "\\.\pipe\NAME" (a local socket),
// write TAB-separated request lines ("set", "get", "run") and read the replies ("ok\n", "err\n"
// or a typed value text) until the server closes the connection.
//
// Connections are served asynchronously on the GUI thread. What has arrived runs as a batch as
// soon as it ends with a line feed (a large batch once the client pauses, so that one big write
// is taken whole), 1000 ms after the client's last bytes when it ends inside a line, or at once
// when the client shuts down its writing side. After a batch's replies are sent, anything more
// the client writes runs as the next batch, so every complete line a client writes gets exactly
// one reply, in order. The connection ends as soon as the client has read every reply (it reads,
// so it has written its batch), while replies are unread after a short quiet gap, and at once
// after the client's half-close. The end shuts the client's input first: a line the client
// writes from then on fails to send instead of being lost, and what arrived before still runs.
// Batches of all connections run one at a time, in the order they became complete. While a batch
// runs, its prompts do not wait for a person (Prompt::Unattended); a value that does not decode
// is logged as an error, and a "set" with one is refused.
class LocalServer : public QObject
{
    Q_OBJECT
public:
    // Requests go to handler, or to RequestHandler::instance() when it is null.
    explicit LocalServer(RequestHandler *handler = nullptr);
    ~LocalServer() override;

    // Listens on "\\.\pipe\" + name, the socket name in the user's socket directory (made
    // and checked first, see SocketDir); the name is one file name (SocketDir::checkName). While
    // that pipe is served by another program, asks a person whether to use another pipe name
    // (nobody is asked while prompts cannot wait, Prompt::isUnattended); false when the user
    // declines or the socket cannot be served, with failure() saying why.
    bool start(const QString &name);
    // Why the last start failed: one sentence naming the socket and what to do.
    const QString &failure() const;
    // What the last start passed over on its way to the socket's directory (SocketDir), each
    // one sentence.
    QStringList passedOver() const;

    // Runs one request line and appends its reply bytes to *output.
    void execute(QByteArrayView line, QByteArray *output);

    static QVariant textToVariant(const QString &text);
    static QString variantToText(const QVariant &value);

    // One communication log line (level 110), only while logging is on.
    void log(const QString &text);
    void setLogEnabled(bool on);
    bool logEnabled() const;

    // While held, new connections and complete batches wait for their turn; the last release
    // takes them up in order (after the current event). Holds count: each hold() is ended by
    // one release().
    void hold();
    void release();
    bool isHeld() const;
    // Connections not taken up yet and complete batches not run yet (while held, or while
    // another batch runs).
    int waitingRequests() const;
    // For the end of the program: refuses new connections at once (refuseNewConnections), takes
    // up those clients made before and listens no more, removing the socket file it listened
    // on, so that every request accepted can be answered before the end and no new one comes in.
    // No connection is left queued between the two, to be reset when the listener closes.
    void stopListening();
    // Refuses every new connection from now on, at once (a client's connect fails as where
    // nobody listens), while the connections made before are still taken up; the server does
    // not listen again until the next start. Safe in a signal handler: a program told to end
    // takes no new request even while a command keeps it from its event loop.
    void refuseNewConnections();
    // For an exit that leaves no event loop to answer what was accepted (the window system's
    // connection lost): refuses new connections and removes the socket file listened on; every
    // connection, those not taken up yet too, ends without a reply as the process exits, which
    // kvl52110-cli reports as an ended program. System calls only.
    void abandonAtExit();
    // No connection is open or waits to be taken up, and no batch runs.
    bool isIdle() const;
    // Holds the server (when not null) for its lifetime: a command of the program's own that
    // runs an event loop (a progress window, a question) lets no request in half-way.
    class Hold
    {
    public:
        explicit Hold(LocalServer *server);
        ~Hold();
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        QPointer<LocalServer> m_server;
    };
    // Waits up to ms for replies still being written, then closes every connection (for the
    // end of the program, when the event loop no longer runs).
    void flushReplies(int ms);

    // The name served once listening succeeded: the one given to start(), or the one a person
    // chose instead.
    const QString &name() const;
    // The pipe path listened on ("\\.\pipe\" and the pipe name actually used).
    const QString &pipePath() const;
    // The socket file listened on, as a person finds it.
    const QString &socketFile() const { return m_socketFile; }

    // A connection that carries more bytes than this gets "err\n" and is closed; nothing of
    // the batch that went over runs.
    static constexpr qsizetype maxBatchBytes = 1024 * 1024;
    // How long a batch that ends inside a line waits for more bytes, and how long a new
    // connection waits for its first ones.
    static constexpr int lineWaitMs = 1000;
    // How long a connection stays open for more requests after its replies were sent, while
    // the client has not read them (or they were empty); tests lengthen it.
    static constexpr int quietGapMs = 50;
    void setQuietGapMs(int ms);
    // A complete batch up to this size runs at once; a larger one runs once the client has
    // paused for largeBatchPauseMs, so that one big write is taken (or refused) whole.
    static constexpr qsizetype promptBatchBytes = 64 * 1024;
    static constexpr int largeBatchPauseMs = 250;
    // How long a connection may make no progress (the client neither reads nor writes) while
    // replies wait for it, before it is cut off.
    static constexpr int replyWaitMs = 1000;
    // How often the server checks that it still listens (Qt's listener closes itself when
    // taking a connection fails, e.g. while the program is out of descriptors).
    static constexpr int listenCheckMs = 1000;

private slots:
    void processConnection();

private:
    struct Connection;
    static QString wrappablePath(const QString &path);
    bool askForOtherPipe(const QString &why, QString *pipePath);
    bool fail(const QString &why, bool tell);
    void checkListening();
    void keepListeningCopy(bool listening);
    void note(int level, const QString &text) const;
    RequestHandler *handler() const;

    void accept(int descriptor);
    void addConnection(int descriptor);
    Connection *connectionOf(PipeConnection *pipe) const;
    void onReadyRead(Connection *c);
    void onDeadline(Connection *c);
    void onBytesWritten(Connection *c);
    void onOutputRead(Connection *c);
    void onClosed(Connection *c);
    bool addInput(Connection *c, const QByteArray &bytes);
    void takeInput(Connection *c);
    void endQuietly(Connection *c);
    void refuse(Connection *c);
    void finish(Connection *c, const QByteArray &bytes);
    void closeWhenSent(Connection *c);
    void drop(Connection *c);
    void enqueue(Connection *c);
    void runQueue();
    void runBatch(Connection *c);
    QByteArray executeBatch(const QByteArray &input, QByteArray *last);
    void replied(Connection *c, const QByteArray &bytes);
    QVariant decodeField(const PipeRequest::FieldViews &fields, int index) const;
    QVariant runArguments(const PipeRequest::FieldViews &fields) const;
    QString nameText(QByteArrayView name);

    RequestHandler *m_handler = nullptr;
    bool m_logEnabled = false;
    PipeListener *m_listener = nullptr;
    QTimer *m_listenCheck = nullptr;
    bool m_listenLost = false; // the listener closed itself and is not listening again yet
    // A copy of the descriptor listened on (-1: none), ours until the listener is replaced or
    // closed, so refuseNewConnections never shuts a number the listener has let go.
    std::atomic<int> m_listeningCopy{-1};
    std::atomic<bool> m_refusing{false};
    static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
                  "used in a signal handler");
    PeerReadWatch *m_readWatch = nullptr;
    std::unique_ptr<SocketDir> m_dir; // open while the server listens in it
    QString m_socketFile;             // the socket file listened on, as a person finds it
    QString m_address;                // the same through the directory's descriptor
    ListenedName m_listened;          // the file listened on, and the address Qt removes it by
    QString m_pipePath;
    QString m_name;
    QString m_failure;
    QList<int> m_accepted; // connections not taken up yet (while held)
    QHash<PipeConnection *, Connection *> m_connections;
    QList<PipeConnection *> m_queue;
    bool m_running = false;
    int m_holds = 0;
    int m_quietGapMs = quietGapMs;
    struct {
        char bytes[64];
        qsizetype size = -1;
        QString text;
    } m_lastName; // the name of the request run last, as bytes and as text
};
