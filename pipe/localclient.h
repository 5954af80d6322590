#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QLocalSocket>
#include <QString>
#include <QVariant>

class SocketDir;

// Client side of the pipe protocol, for talking to another program's pipe server: one request
// line per call ("get", "set", "run" with TAB-separated fields and typed value text) on a
// connection of its own, half-closed after the request, the reply read until the server closes
// the connection (or the time-out passes), both reported through
// signal_log, and the reply parsed ("ok", "err" with an optional reason, or a typed value).
class LocalClient : public QLocalSocket
{
    Q_OBJECT
public:
    enum Status { StatusOk = 0, StatusError = 1, StatusNoReply = 3 };

    // A time-out that never passes: the client waits for the server's close.
    static constexpr int NoTimeout = -2;

    // serverName is a pipe path ("\\.\pipe\NAME") or a local server name; a time-out of -1
    // means 500 ms. The log lines go to the program's log (RequestHandler::addLog).
    LocalClient(const QString &serverName, int timeout);
    ~LocalClient() override;

    bool ensureConnected();
    // The same through a socket directory the caller keeps open: a client that connects many
    // times checks the way to it once.
    bool ensureConnected(const SocketDir &dir);
    bool isUnconnected() const;

    bool get(const QString &item, QVariant *value);
    bool set(const QString &item, const QVariant &value);
    bool run(const QString &command, const QList<QVariant> &args, QVariant *result);

    // One batch on a connection of its own: writes the request lines, half-closes and reads the
    // replies until the server closes (or the time-out passes). False when nothing could be
    // written or nothing came back; the connection is closed afterwards.
    bool exchange(const QByteArray &batch, QByteArray *reply);

    // The last reply's read ended at the time-out, before the server closed.
    bool timedOut() const;
    // The user id the server at the other end of the connection runs as; -1 when unknown.
    qint64 peerUid() const;

    // Parses a reply; a value reply goes to *value when value is not null.
    bool parseReply(const QByteArray &reply, QVariant *value);

    static QVariant decodeValue(const QString &text);
    static QString encodeValue(const QVariant &value);

    int timeout() const;
    const QString &pipeName() const;
    // The text of the last failure; empty after an "ok" or value reply.
    const QString &lastError() const;
    // Status of the last request (Status values).
    int status() const;

signals:
    void signal_log(int level, QString text);

private:
    enum class Request { Get, Set, Run };

    bool transact(Request request, const QString &name, const QString &line, QVariant *value);
    QDeadlineTimer timeLimit() const;
    bool writeRequest(const QByteArray &bytes);
    bool readReply(QByteArray *reply);

    int m_timeout;
    QString m_serverName;
    QString m_lastError;
    int m_status = StatusNoReply;
    bool m_timedOut = false;
};
