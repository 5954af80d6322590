#include "localclient.h"

#include "pipelog.h"
#include "pipename.h"
#include "requesthandler.h"
#include "socketdir.h"
#include "typedvalue.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTime>

#include <sys/socket.h>

namespace
{
const int attemptsPerRequest = 1;
const int defaultTimeoutMs = 500;
// The log's trace levels of a request (blue) and its reply (dark green); the log takes plain
// text, its colour comes from the level.
const int RequestTraceLevel = 109;
const int ReplyTraceLevel = 114;
} // namespace

LocalClient::LocalClient(const QString &serverName, int timeout)
    : m_timeout(timeout == -1 ? defaultTimeoutMs : timeout), m_serverName(serverName)
{
    connect(this, &LocalClient::signal_log, this, [](int level, const QString &text) {
        if (RequestHandler *h = RequestHandler::instance())
            h->addLog(level, text);
    });
}

LocalClient::~LocalClient()
{
    if (state() == QLocalSocket::ConnectedState) {
        disconnectFromServer();
        if (state() != QLocalSocket::UnconnectedState)
            waitForDisconnected(m_timeout == NoTimeout ? -1 : m_timeout);
    }
}

int LocalClient::timeout() const
{
    return m_timeout;
}

const QString &LocalClient::pipeName() const
{
    return m_serverName;
}

const QString &LocalClient::lastError() const
{
    return m_lastError;
}

int LocalClient::status() const
{
    return m_status;
}

bool LocalClient::isUnconnected() const
{
    return state() == QLocalSocket::UnconnectedState;
}

QVariant LocalClient::decodeValue(const QString &text)
{
    return TypedValue::decode(text);
}

QString LocalClient::encodeValue(const QVariant &value)
{
    return TypedValue::encode(value, true);
}

bool LocalClient::ensureConnected()
{
    if (state() == QLocalSocket::ConnectedState)
        return true;
    // The directory stays open until the connection is made or given up: its address goes
    // through it.
    const SocketDir dir;
    return ensureConnected(dir);
}

// A name that is no file name leads nowhere.
bool LocalClient::ensureConnected(const SocketDir &dir)
{
    if (state() == QLocalSocket::ConnectedState)
        return true;
    abort();
    const QString name = PipeName::localName(m_serverName);
    QString why;
    if (dir.isOpen() && SocketDir::checkName(name, &why)) {
        connectToServer(dir.address(name), QIODevice::ReadWrite);
        waitForConnected(m_timeout == NoTimeout ? -1 : m_timeout);
    }
    if (state() == QLocalSocket::ConnectedState && isReadable())
        return true;
    abort();
    emit signal_log(0, QStringLiteral("%1 : Can't connect").arg(m_serverName));
    m_lastError = QStringLiteral("Can't connect ") + m_serverName;
    return false;
}

bool LocalClient::get(const QString &item, QVariant *value)
{
    return transact(Request::Get, item, QStringLiteral("get\t%1\n").arg(item), value);
}

bool LocalClient::set(const QString &item, const QVariant &value)
{
    const QString line = QStringLiteral("set\t%1\t%2\n\n").arg(item, encodeValue(value));
    return transact(Request::Set, item, line, nullptr);
}

bool LocalClient::run(const QString &command, const QList<QVariant> &args, QVariant *result)
{
    QString line = QStringLiteral("run\t") + command;
    for (const QVariant &arg : args)
        line += QLatin1Char('\t') + encodeValue(arg);
    line += QLatin1Char('\n');
    return transact(Request::Run, command, line, result);
}

bool LocalClient::transact(Request request, const QString &name, const QString &line,
                           QVariant *value)
{
    const bool isSet = request == Request::Set;
    m_status = StatusNoReply;
    m_lastError =
        request == Request::Run ? QString() : QStringLiteral("Can't connect ") + m_serverName;
    for (int attempt = 0; attempt < attemptsPerRequest; ++attempt) {
        if (!ensureConnected()) {
            m_lastError = QStringLiteral("Can't connect");
            return false;
        }
        readAll(); // bytes left over from an earlier reply belong to no request
        const QString txFormat = isSet ? QStringLiteral("Pipe(%4) TX:[%1 to=%2] %3")
                                       : QStringLiteral("Pipe(%4) :[%1 to=%2] %3");
        const bool written = writeRequest(line.toLatin1());
        emit signal_log(RequestTraceLevel,
                        txFormat.arg(QTime::currentTime().toString(QStringLiteral("h:m:s:zzz")),
                                     QString::number(m_timeout), line, m_serverName));
        if (!written) {
            qCDebug(lcPipe) << "NamedPipe:tx:fail";
            abort();
            continue;
        }
        QElapsedTimer stopwatch;
        stopwatch.start();
        QByteArray reply;
        if (!readReply(&reply)) {
            m_lastError =
                QStringLiteral("No response from pipe %1 command %2\n Try to set higher timeout!\n")
                    .arg(m_serverName, name);
            qCDebug(lcPipe) << "NamedPipe:rx:fail";
            abort();
            continue;
        }
        const QString rxFormat = isSet ? QStringLiteral("Pipe(%3) RX:[+%1ms] %2")
                                       : QStringLiteral("Pipe(%3) :[+%1ms] %2");
        emit signal_log(ReplyTraceLevel, rxFormat.arg(QString::number(stopwatch.elapsed()),
                                                      QString::fromLatin1(reply), m_serverName));
        abort(); // a half-closed connection carries no further request
        return parseReply(reply, value);
    }
    return false;
}

QDeadlineTimer LocalClient::timeLimit() const
{
    return m_timeout == NoTimeout ? QDeadlineTimer(QDeadlineTimer::Forever)
                                  : QDeadlineTimer(m_timeout);
}

bool LocalClient::exchange(const QByteArray &batch, QByteArray *reply)
{
    readAll(); // bytes left over from an earlier reply belong to no request
    const bool ok = writeRequest(batch) && readReply(reply);
    abort(); // a half-closed connection carries no further request
    return ok;
}

// Writes the request, then shuts down the writing side: the server knows that the batch is
// complete and answers and closes without waiting for more.
bool LocalClient::writeRequest(const QByteArray &bytes)
{
    if (write(bytes) != bytes.size())
        return false;
    const QDeadlineTimer deadline = timeLimit();
    while (bytesToWrite() > 0) {
        if (!waitForBytesWritten(int(deadline.remainingTime())))
            return false;
    }
    ::shutdown(int(socketDescriptor()), SHUT_WR);
    return true;
}

// Reads until the server closes the connection; when the time-out passes first, what has
// arrived is the reply. False only when nothing arrived and the server did not close.
bool LocalClient::readReply(QByteArray *reply)
{
    const QDeadlineTimer deadline = timeLimit();
    bool closed = false;
    m_timedOut = false;
    for (;;) {
        reply->append(readAll());
        if (state() != QLocalSocket::ConnectedState) {
            closed = true;
            break;
        }
        if (deadline.hasExpired()) {
            m_timedOut = true;
            break;
        }
        waitForReadyRead(int(deadline.remainingTime()));
    }
    reply->append(readAll());
    return closed || !reply->isEmpty();
}

bool LocalClient::timedOut() const
{
    return m_timedOut;
}

qint64 LocalClient::peerUid() const
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (state() != QLocalSocket::ConnectedState ||
        ::getsockopt(int(socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return -1;
    return credentials.uid;
}

bool LocalClient::parseReply(const QByteArray &reply, QVariant *value)
{
    QByteArray text = reply;
    text.replace('\r', QByteArray()).replace('\n', QByteArray());
    const QStringList fields = QString::fromLatin1(text).split(QLatin1Char('\t'));
    const QString first = fields.first().trimmed();
    if (first == QLatin1String("err")) {
        m_status = StatusError;
        m_lastError = QStringLiteral("Item is wrong\n");
        if (fields.size() > 1)
            m_lastError += fields.at(1);
        return false;
    }
    m_status = StatusOk;
    m_lastError.clear();
    if (first == QLatin1String("ok"))
        return true;
    if (value)
        *value = decodeValue(fields.first());
    return true;
}
