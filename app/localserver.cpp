#include "localserver.h"

#include "bytetext.h"
#include "pipename.h"
#include "prompt.h"
#include "requesthandler.h"
#include "typedvalue.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <sys/stat.h>

struct LocalServer::Connection {
    enum State { Reading, Queued, Done };
    QLocalSocket *socket = nullptr;
    QTimer *timer = nullptr; // child of the socket
    QByteArray input;
    State state = Reading;
};

namespace
{
const QByteArray okReply = QByteArrayLiteral("ok\n");
const QByteArray errReply = QByteArrayLiteral("err\n");
const int probeWaitMs = 1000;
const int replyWaitMs = 1000;
} // namespace

LocalServer::LocalServer(RequestHandler *handler) : m_handler(handler) {}

LocalServer::~LocalServer()
{
    // The sockets are children of the listener and go with it.
    qDeleteAll(m_connections);
}

RequestHandler *LocalServer::handler() const
{
    return m_handler ? m_handler : RequestHandler::instance();
}

const QString &LocalServer::name() const
{
    return m_name;
}

const QString &LocalServer::pipePath() const
{
    return m_pipePath;
}

void LocalServer::setLogEnabled(bool on)
{
    m_logEnabled = on;
}

bool LocalServer::logEnabled() const
{
    return m_logEnabled;
}

void LocalServer::log(const QString &text)
{
    RequestHandler *h = handler();
    if (!m_logEnabled || !h)
        return;
    QString line = text;
    line.replace(QLatin1Char('\t'), QLatin1Char(' '));
    h->addLog(110, line);
}

QVariant LocalServer::textToVariant(const QString &text)
{
    return TypedValue::decode(text);
}

QString LocalServer::variantToText(const QVariant &value)
{
    return TypedValue::encode(value);
}

// ---- start -------------------------------------------------------------------------------

// What lies at the socket path: nothing, a live server (a probe connection succeeds), a socket
// left by a crashed run, or something that is not a socket (never touched).
LocalServer::PathState LocalServer::checkSocketFile(const QString &file)
{
    struct stat info;
    if (::lstat(QFile::encodeName(file).constData(), &info) != 0)
        return PathState::Free;
    if (!S_ISSOCK(info.st_mode))
        return PathState::Occupied;
    QLocalSocket probe;
    probe.connectToServer(file);
    const bool live = probe.waitForConnected(probeWaitMs);
    probe.abort();
    return live ? PathState::InUse : PathState::Stale;
}

bool LocalServer::clearSocketFile(const QString &file)
{
    switch (checkSocketFile(file)) {
    case PathState::Free:
        return true;
    case PathState::Stale:
        return QFile::remove(file) && checkSocketFile(file) == PathState::Free;
    default:
        return false;
    }
}

bool LocalServer::askForOtherPipe(QString *pipePath)
{
    // Close is the default answer, so a prompt that answers by default ends the start
    // instead of asking forever.
    const int answer = Prompt::ask(
        Prompt::NoIcon, QString(),
        QStringLiteral("Pipe is already used by another software\nUse another pipename?(Yes)"),
        Prompt::Yes | Prompt::Close, Prompt::Close);
    if (answer != Prompt::Yes)
        return false;
    bool ok = false;
    const QString other = Prompt::text(QString(), QStringLiteral("Pipename"), QString(), &ok);
    if (ok && !other.isEmpty())
        *pipePath = PipeName::pipePath(other);
    return true;
}

bool LocalServer::start(const QString &name)
{
    if (!m_listener) {
        m_listener = new QLocalServer(this);
        connect(m_listener, &QLocalServer::newConnection, this, &LocalServer::processConnection);
    }
    m_listener->close();
    m_listener->setSocketOptions(QLocalServer::UserAccessOption);

    // listen() with access options replaces whatever is at the path, so the path is checked
    // first: only a free path (or one whose stale socket was removed) is listened on.
    QString path = PipeName::pipePath(name);
    while (!clearSocketFile(PipeName::socketFile(PipeName::localName(path)))) {
        if (!askForOtherPipe(&path))
            return false;
    }
    m_pipePath = path;
    if (!m_listener->listen(PipeName::localName(path))) {
        Prompt::ask(Prompt::Critical, QStringLiteral("Local server failed"),
                    QStringLiteral("Unable to start interprocess server: \n%1.")
                        .arg(m_listener->errorString()));
        return false;
    }
    m_listener->setMaxPendingConnections(3);
    m_name = name;
    return true;
}

// ---- connections -------------------------------------------------------------------------

void LocalServer::setHeld(bool held)
{
    m_held = held;
    if (!held) {
        QMetaObject::invokeMethod(this, &LocalServer::processConnection, Qt::QueuedConnection);
        QMetaObject::invokeMethod(this, &LocalServer::runQueue, Qt::QueuedConnection);
    }
}

bool LocalServer::isHeld() const
{
    return m_held;
}

void LocalServer::flushReplies(int ms)
{
    // A socket that finishes writing closes and drops its connection, so the sockets are
    // collected first and guarded.
    QList<QPointer<QLocalSocket>> replying;
    for (const Connection *c : std::as_const(m_connections)) {
        if (c->state == Connection::Done)
            replying.append(c->socket);
    }
    QDeadlineTimer deadline(ms);
    for (const QPointer<QLocalSocket> &socket : std::as_const(replying)) {
        while (socket && socket->state() != QLocalSocket::UnconnectedState &&
               socket->bytesToWrite() > 0 && !deadline.hasExpired()) {
            if (!socket->waitForBytesWritten(int(deadline.remainingTime())))
                break;
        }
    }
}

void LocalServer::processConnection()
{
    if (m_held || !m_listener)
        return;
    while (QLocalSocket *socket = m_listener->nextPendingConnection())
        addConnection(socket);
}

void LocalServer::addConnection(QLocalSocket *socket)
{
    auto *c = new Connection;
    c->socket = socket;
    c->timer = new QTimer(socket);
    c->timer->setSingleShot(true);
    m_connections.insert(socket, c);

    // The handlers look the connection up by its socket, so a signal that arrives after the
    // connection was dropped does nothing.
    connect(socket, &QLocalSocket::readyRead, this, [this, socket]() {
        if (Connection *c = connectionOf(socket))
            onReadyRead(c);
    });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket]() {
        if (Connection *c = connectionOf(socket))
            onDisconnected(c);
    });
    connect(c->timer, &QTimer::timeout, this, [this, socket]() {
        if (Connection *c = connectionOf(socket))
            onDeadline(c);
    });
    c->timer->start(lineWaitMs);
    if (socket->bytesAvailable() > 0)
        onReadyRead(c);
}

LocalServer::Connection *LocalServer::connectionOf(QLocalSocket *socket) const
{
    return m_connections.value(socket, nullptr);
}

void LocalServer::onReadyRead(Connection *c)
{
    const QByteArray bytes = c->socket->readAll();
    if (c->state != Connection::Reading)
        return; // one batch per connection: later bytes are dropped
    const bool first = c->input.isEmpty();
    c->input.append(bytes);
    if (c->input.size() > maxBatchBytes) {
        log(QStringLiteral("Pipe batch of more than %1 bytes refused").arg(maxBatchBytes));
        c->input.clear();
        c->state = Connection::Queued;
        reply(c, errReply);
    } else if (c->input.endsWith('\n')) {
        enqueue(c);
    } else if (first && !c->input.isEmpty()) {
        c->timer->start(lineWaitMs); // the batch gets its time from its first bytes on
    }
}

void LocalServer::onDeadline(Connection *c)
{
    switch (c->state) {
    case Connection::Reading:
        if (c->input.isEmpty())
            cutOff(c); // nothing arrived: no answer
        else
            enqueue(c); // the last line is taken without its line feed
        break;
    case Connection::Done:
        cutOff(c); // the client did not take its reply in time
        break;
    case Connection::Queued:
        break;
    }
}

void LocalServer::onDisconnected(Connection *c)
{
    if (c->state == Connection::Queued)
        return; // its batch still runs; the reply finds the connection gone
    if (c->state == Connection::Reading && !c->input.isEmpty()) {
        enqueue(c); // the client has sent all it will send
        return;
    }
    drop(c);
}

void LocalServer::cutOff(Connection *c)
{
    QLocalSocket *socket = c->socket;
    drop(c); // first, so the disconnection that abort() reports finds nothing left to do
    socket->abort();
}

void LocalServer::drop(Connection *c)
{
    m_connections.remove(c->socket);
    m_queue.removeAll(c->socket);
    c->socket->deleteLater();
    delete c;
}

// ---- batches -----------------------------------------------------------------------------

void LocalServer::enqueue(Connection *c)
{
    c->state = Connection::Queued;
    c->timer->stop();
    m_queue.append(c->socket);
    runQueue();
}

void LocalServer::runQueue()
{
    // A request may run a nested event loop (a message box, a progress window); batches that
    // complete meanwhile wait here for their turn.
    if (m_running || m_held)
        return;
    m_running = true;
    while (!m_queue.isEmpty()) {
        if (Connection *c = connectionOf(m_queue.takeFirst()))
            runBatch(c);
    }
    m_running = false;
}

void LocalServer::runBatch(Connection *c)
{
    QLocalSocket *socket = c->socket;
    const QByteArray input = c->input;
    c->input.clear();
    log(latin1UpToZero(input));
    const QByteArray output = executeBatch(input);
    log(latin1UpToZero(output));
    if (Connection *still = connectionOf(socket))
        reply(still, output);
}

QByteArray LocalServer::executeBatch(const QByteArray &input)
{
    QByteArray text = input;
    text.replace('\r', QByteArray());
    QByteArray output;
    QByteArray last;
    for (const QByteArray &line : text.split('\n')) {
        if (line == last || line.trimmed().isEmpty())
            continue;
        bool handled = false;
        output.append(execute(line, &handled));
        last = line;
    }
    return output;
}

void LocalServer::reply(Connection *c, const QByteArray &bytes)
{
    c->state = Connection::Done;
    if (c->socket->state() != QLocalSocket::ConnectedState) {
        drop(c);
        return;
    }
    if (!bytes.isEmpty())
        c->socket->write(bytes);
    // Closes once the reply is written; a client that does not read it within the wait is
    // cut off by the deadline.
    c->timer->start(replyWaitMs);
    c->socket->disconnectFromServer();
}

// ---- requests ----------------------------------------------------------------------------

QVariant LocalServer::runArguments(const QStringList &fields) const
{
    if (fields.size() == 2)
        return QVariantList();
    if (fields.size() == 3)
        return textToVariant(fields.at(2));
    QVariantList args;
    for (int i = 2; i < fields.size(); ++i)
        args.append(textToVariant(fields.at(i)));
    return args;
}

QByteArray LocalServer::execute(const QByteArray &line, bool *handled)
{
    *handled = false;
    const QStringList fields = latin1UpToZero(line).split(QLatin1Char('\t'));
    const QString &verb = fields.first();
    RequestHandler *h = handler();
    if (verb == QLatin1String("set") && fields.size() == 3) {
        *handled = true;
        QVariant value = textToVariant(fields.at(2));
        return h && h->set(fields.at(1), value) ? okReply : errReply;
    }
    if (verb == QLatin1String("run") && fields.size() >= 2) {
        *handled = true;
        QVariant args = runArguments(fields);
        QVariant result;
        if (!h || !h->run(fields.at(1), args, &result))
            return errReply;
        return variantToText(result).toLatin1();
    }
    if (verb == QLatin1String("get") && fields.size() == 2) {
        *handled = true;
        QVariant result;
        if (!h || !h->get(fields.at(1), &result))
            return errReply;
        return variantToText(result).toLatin1();
    }
    return errReply;
}
