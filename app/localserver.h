#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

class QLocalServer;
class QLocalSocket;
class RequestHandler;

// The command server: other programs connect to the pipe "\\.\pipe\NAME" (a local socket),
// write one batch of TAB-separated request lines ("set", "get", "run") and read the replies
// ("ok\n", "err\n" or a typed value text), after which the server closes the connection.
//
// Connections are served asynchronously on the GUI thread: a batch runs as soon as what has
// arrived ends with a line feed, or 1000 ms after its first bytes when it ends inside a line.
// Batches run one at a time, in the order they became complete.
class LocalServer : public QObject
{
    Q_OBJECT
public:
    // Requests go to handler, or to RequestHandler::instance() when it is null.
    explicit LocalServer(RequestHandler *handler = nullptr);
    ~LocalServer() override;

    // Listens on "\\.\pipe\" + name. While that pipe is served by another program, asks
    // whether to use another pipe name; false when the user declines or listening fails.
    bool start(const QString &name);

    // One request line to its reply bytes; *handled tells whether it was a well-formed
    // "set", "get" or "run" request.
    QByteArray execute(const QByteArray &line, bool *handled);

    static QVariant textToVariant(const QString &text);
    static QString variantToText(const QVariant &value);

    // One communication log line (level 110), only while logging is on.
    void log(const QString &text);
    void setLogEnabled(bool on);
    bool logEnabled() const;

    // While held, new connections wait in the listener's queue (it keeps up to 3) and
    // complete batches wait for their turn; releasing takes them up in order.
    void setHeld(bool held);
    bool isHeld() const;
    // Waits up to ms for replies still being written (for the end of the program, when the
    // event loop no longer runs).
    void flushReplies(int ms);

    // The name given to start(), once listening succeeded.
    const QString &name() const;
    // The pipe path listened on ("\\.\pipe\" and the pipe name actually used).
    const QString &pipePath() const;

    // A batch larger than this gets "err\n" and its connection is closed.
    static constexpr qsizetype maxBatchBytes = 1024 * 1024;
    // How long a batch that ends inside a line may take to complete.
    static constexpr int lineWaitMs = 1000;

private slots:
    void processConnection();

private:
    struct Connection;
    enum class PathState { Free, InUse, Stale, Occupied };

    static PathState checkSocketFile(const QString &file);
    bool clearSocketFile(const QString &file);
    bool askForOtherPipe(QString *pipePath);
    RequestHandler *handler() const;

    void addConnection(QLocalSocket *socket);
    Connection *connectionOf(QLocalSocket *socket) const;
    void onReadyRead(Connection *c);
    void onDeadline(Connection *c);
    void onDisconnected(Connection *c);
    void enqueue(Connection *c);
    void runQueue();
    void runBatch(Connection *c);
    QByteArray executeBatch(const QByteArray &input);
    void reply(Connection *c, const QByteArray &bytes);
    void cutOff(Connection *c);
    void drop(Connection *c);
    QVariant runArguments(const QStringList &fields) const;

    RequestHandler *m_handler = nullptr;
    bool m_logEnabled = false;
    QLocalServer *m_listener = nullptr;
    QString m_pipePath;
    QString m_name;
    QHash<QLocalSocket *, Connection *> m_connections;
    QList<QLocalSocket *> m_queue;
    bool m_running = false;
    bool m_held = false;
};
