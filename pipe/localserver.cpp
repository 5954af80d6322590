#include "localserver.h"

#include "bytetext.h"
#include "peerreadwatch.h"
#include "pipeconnection.h"
#include "pipelistener.h"
#include "pipename.h"
#include "piperequest.h"
#include "prompt.h"
#include "requesthandler.h"
#include "socketdir.h"
#include "socketplace.h"
#include "typedvalue.h"

#include <QDeadlineTimer>
#include <QTextBoundaryFinder>
#include <QTimer>

#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

struct LocalServer::Connection {
    enum State { Reading, Queued, Closing };
    PipeConnection *pipe = nullptr;
    QTimer *timer = nullptr; // child of the pipe
    QByteArray input;        // arrived, not run yet
    QByteArray batch;        // waiting for its turn
    QByteArray lastLine;     // the last line run on this connection
    qint64 received = 0;     // every byte the connection carried
    qsizetype lastReply = 0; // bytes of the last batch's replies
    bool served = false;     // a batch was answered
    bool refused = false;    // over the size limit
    bool cutOff = false;     // the server ended the input
    State state = Reading;
};

namespace
{
const QByteArray okReply = QByteArrayLiteral("ok\n");
const QByteArray errReply = QByteArrayLiteral("err\n");
} // namespace

LocalServer::LocalServer(RequestHandler *handler) : m_handler(handler) {}

LocalServer::~LocalServer()
{
    // The listener removes its socket file through the directory's descriptor, before that goes.
    if (m_listener)
        m_listener->close();
    m_listened.removeTurnedAway();
    keepListeningCopy(false);
    // The connections are our children and go with us.
    qDeleteAll(m_connections);
    for (int descriptor : std::as_const(m_accepted))
        ::close(descriptor);
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

// A path as a box shows it: where its line is full, it may break after a "/" and nowhere else.
QString LocalServer::wrappablePath(const QString &path)
{
    const QChar noBreak(0x2060);  // word joiner
    const QChar mayBreak(0x200B); // zero-width space
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, path);
    QString shown;
    for (qsizetype i = 0; i < path.size(); ++i) {
        breaks.setPosition(i);
        if (i > 0 && path.at(i - 1) != QLatin1Char('/') && breaks.isAtBoundary())
            shown += noBreak;
        shown += path.at(i);
        if (path.at(i) == QLatin1Char('/'))
            shown += mayBreak;
    }
    return shown;
}

// Asks a person for another pipe name, showing why the name cannot be served; false when they
// decline. A name that is no file name is refused with a word, and the question comes again.
bool LocalServer::askForOtherPipe(const QString &why, QString *pipePath)
{
    // Close is the default answer, so a prompt that answers by default ends the start
    // instead of asking forever. Below the question, the reason says which socket is taken and
    // what else a person can do.
    Prompt::Message question;
    question.icon = Prompt::NoIcon;
    question.text =
        QStringLiteral("Pipe is already used by another software\nUse another pipename?(Yes)");
    QString reason = why.left(1).toUpper() + why.mid(1) + QLatin1Char('.');
    // The option, a "path" without a "/", breaks nowhere (not after its dashes).
    const QString option = QStringLiteral("--name");
    question.informativeText = reason.replace(m_socketFile, wrappablePath(m_socketFile))
                                   .replace(option, wrappablePath(option));
    question.buttons = Prompt::Yes | Prompt::Close;
    question.defaultButton = Prompt::Close;
    const int answer = Prompt::show(question);
    if (answer != Prompt::Yes)
        return false;
    bool ok = false;
    const QString other = Prompt::text(QString(), QStringLiteral("Pipename"), QString(), &ok);
    QString refused;
    if (!ok || other.isEmpty())
        return true;
    const QString name = PipeName::socketName(other, &refused);
    if (!name.isEmpty())
        *pipePath = PipeName::pipePath(name);
    else
        Prompt::ask(Prompt::Warning, QStringLiteral("Pipename"), refused + QLatin1Char('.'));
    return true;
}

// A start that does not serve says why; a person is shown it too.
bool LocalServer::fail(const QString &why, bool tell)
{
    m_failure = why;
    if (tell && !Prompt::isUnattended())
        Prompt::ask(Prompt::Critical, QStringLiteral("Local server failed"),
                    QStringLiteral("Unable to start interprocess server: \n%1.").arg(why));
    return false;
}

bool LocalServer::start(const QString &name)
{
    if (!m_listener) {
        m_listener = new PipeListener(this);
        connect(m_listener, &PipeListener::signal_accepted, this, &LocalServer::accept);
        m_readWatch = new PeerReadWatch(this);
        m_listenCheck = new QTimer(this);
        connect(m_listenCheck, &QTimer::timeout, this, &LocalServer::checkListening);
    }
    m_listenCheck->stop();
    m_listenLost = false;
    m_listener->close();
    m_listened.removeTurnedAway();
    keepListeningCopy(false);
    m_refusing.store(false);
    m_listener->setSocketOptions(QLocalServer::UserAccessOption);
    m_failure.clear();

    QString why;
    const QString local = PipeName::socketName(name, &why);
    if (local.isEmpty())
        return fail(why, true);
    m_dir = std::make_unique<SocketDir>(SocketDir::Use::Make);
    if (!m_dir->isOpen())
        return fail(m_dir->failure(), true);
    // listen() with access options replaces whatever is at the path, so the path is checked
    // first: only a free path (or one whose stale socket was removed) is listened on. While it
    // is served by another program, a person may choose another name; nobody is asked when
    // nobody can answer.
    QString path = PipeName::pipePath(local);
    for (;;) {
        const QString served = PipeName::localName(path);
        m_socketFile = m_dir->file(served);
        m_address = m_dir->address(served);
        why = SocketPlace::occupant(m_address, m_socketFile);
        if (why.isEmpty())
            break;
        if (Prompt::isUnattended() || !askForOtherPipe(why, &path))
            return fail(why, false);
    }
    m_pipePath = path;
    m_address = m_listened.address(*m_dir, PipeName::localName(path));
    if (!m_listener->listen(m_address))
        return fail(QStringLiteral("the command socket %1 cannot be served (%2): start with "
                                   "--name OTHER")
                        .arg(m_socketFile, m_listener->errorString()),
                    true);
    m_name = PipeName::localName(path); // the name a person chose instead, if they did
    m_listened.listened();
    keepListeningCopy(true);
    m_listenCheck->start(listenCheckMs);
    return true;
}

// Qt's listener closes itself and removes its socket file when taking a connection fails (the
// program out of descriptors, say): no client could connect again. The server listens on the
// same file again as soon as it can, unless another program serves it meanwhile.
void LocalServer::checkListening()
{
    if (m_listener->isListening())
        return;
    keepListeningCopy(false);
    if (m_refusing.load()) { // refused: the listener took up the last connections and closed
        m_listened.removeTurnedAway();
        m_listenCheck->stop();
        return;
    }
    if (!m_listenLost) {
        m_listenLost = true;
        note(1, QStringLiteral("Pipe server stopped listening on %1 (%2): listening again")
                    .arg(m_socketFile, m_listener->errorString()));
    }
    const QString why = SocketPlace::occupant(m_address, m_socketFile);
    if (!why.isEmpty()) {
        m_listenCheck->stop();
        note(-1, QStringLiteral("Pipe server cannot listen again: %1").arg(why));
        return;
    }
    if (!m_listener->listen(m_address))
        return; // tried again at the next check
    m_listened.listened();
    keepListeningCopy(true);
    m_listenLost = false;
    note(0, QStringLiteral("Pipe server listens on %1 again").arg(m_socketFile));
}

// A log entry whether or not the communication is logged.
void LocalServer::note(int level, const QString &text) const
{
    if (RequestHandler *h = handler())
        h->addLog(level, text);
}

const QString &LocalServer::failure() const
{
    return m_failure;
}

QStringList LocalServer::passedOver() const
{
    return m_dir ? m_dir->passedOver() : QStringList();
}

// ---- connections -------------------------------------------------------------------------

void LocalServer::hold()
{
    ++m_holds;
}

void LocalServer::release()
{
    if (m_holds == 0 || --m_holds > 0)
        return;
    QMetaObject::invokeMethod(this, &LocalServer::processConnection, Qt::QueuedConnection);
    QMetaObject::invokeMethod(this, &LocalServer::runQueue, Qt::QueuedConnection);
}

LocalServer::Hold::Hold(LocalServer *server) : m_server(server)
{
    if (m_server)
        m_server->hold();
}

LocalServer::Hold::~Hold()
{
    if (m_server)
        m_server->release();
}

void LocalServer::setQuietGapMs(int ms)
{
    m_quietGapMs = ms;
}

bool LocalServer::isHeld() const
{
    return m_holds > 0;
}

int LocalServer::waitingRequests() const
{
    return int(m_accepted.size() + m_queue.size());
}

void LocalServer::stopListening()
{
    if (!m_listener)
        return;
    m_listenCheck->stop();
    refuseNewConnections();
    if (m_listener->isListening())
        m_listener->takeWaiting();
    m_listener->close();
    m_listened.removeTurnedAway();
    keepListeningCopy(false);
}

// Runs in a signal handler too: atomics, shutdown() and dup2() only. A listening socket shut for
// reading refuses connections and still hands over those it queued; Qt's listener then finds
// nothing more to take and closes itself, and is not listened anew. A refused socket looks stale
// to a program started meanwhile, which may serve the name anew: the file goes only while it is
// still this server's (ListenedName).
void LocalServer::refuseNewConnections()
{
    m_refusing.store(true);
    const int listening = m_listeningCopy.load();
    if (listening < 0)
        return;
    ::shutdown(listening, SHUT_RD);
    m_listened.turnAway(listening);
}

// The connections, those still queued too, are left to the exit: closed by the system as the
// process ends, they show their clients a program that ended before answering. A close before
// the exit would look like an empty answer of a program that runs on.
void LocalServer::abandonAtExit()
{
    refuseNewConnections();
    m_listened.removeTurnedAway();
}

void LocalServer::keepListeningCopy(bool listening)
{
    const int copy = listening && m_listener && m_listener->isListening()
                         ? ::fcntl(int(m_listener->socketDescriptor()), F_DUPFD_CLOEXEC, 0)
                         : -1;
    const int previous = m_listeningCopy.exchange(copy);
    if (previous >= 0)
        ::close(previous);
}

bool LocalServer::isIdle() const
{
    return m_accepted.isEmpty() && m_connections.isEmpty() && !m_running;
}

void LocalServer::flushReplies(int ms)
{
    QDeadlineTimer deadline(ms);
    for (Connection *c : std::as_const(m_connections)) {
        c->pipe->waitForBytesWritten(int(qMax<qint64>(0, deadline.remainingTime())));
        c->pipe->abort();
    }
}

void LocalServer::accept(int descriptor)
{
    m_accepted.append(descriptor);
    processConnection();
}

void LocalServer::processConnection()
{
    while (m_holds == 0 && !m_accepted.isEmpty())
        addConnection(m_accepted.takeFirst());
}

void LocalServer::addConnection(int descriptor)
{
    auto *c = new Connection;
    // Watched from the start, every read of the client's is reported (none was made before).
    c->pipe = new PipeConnection(descriptor, this, m_readWatch);
    c->timer = new QTimer(c->pipe);
    c->timer->setSingleShot(true);
    m_connections.insert(c->pipe, c);

    // The handlers look the connection up by its pipe, so a signal that arrives after the
    // connection was dropped does nothing.
    PipeConnection *pipe = c->pipe;
    const auto on = [this, pipe](void (LocalServer::*handle)(Connection *)) {
        return [this, pipe, handle]() {
            if (Connection *c = connectionOf(pipe))
                (this->*handle)(c);
        };
    };
    connect(pipe, &PipeConnection::signal_readyRead, this, on(&LocalServer::onReadyRead));
    connect(pipe, &PipeConnection::signal_inputEnded, this, on(&LocalServer::takeInput));
    connect(pipe, &PipeConnection::signal_bytesWritten, this, on(&LocalServer::onBytesWritten));
    connect(pipe, &PipeConnection::signal_outputRead, this, on(&LocalServer::onOutputRead));
    connect(pipe, &PipeConnection::signal_closed, this, on(&LocalServer::onClosed));
    connect(c->timer, &QTimer::timeout, this, on(&LocalServer::onDeadline));
    c->timer->start(lineWaitMs);
}

LocalServer::Connection *LocalServer::connectionOf(PipeConnection *pipe) const
{
    return m_connections.value(pipe, nullptr);
}

void LocalServer::onReadyRead(Connection *c)
{
    const QByteArray bytes = c->pipe->readAll();
    if (c->state == Connection::Closing)
        return; // refused or closing: nothing more runs
    if (addInput(c, bytes) && c->state == Connection::Reading)
        takeInput(c);
}

// Keeps bytes that arrived; false when they take the connection over the limit (refused).
bool LocalServer::addInput(Connection *c, const QByteArray &bytes)
{
    c->received += bytes.size();
    if (c->received > maxBatchBytes) {
        refuse(c);
        return false;
    }
    c->input.append(bytes);
    return true;
}

// Decides what the bytes that have arrived (and are not run yet) wait for.
void LocalServer::takeInput(Connection *c)
{
    if (c->state != Connection::Reading)
        return; // a queued batch takes up the rest when it is answered
    const bool ended = c->pipe->inputEnded();
    if (c->input.isEmpty()) {
        if (ended) {
            finish(c, QByteArray());
        } else if (c->pipe->bytesToWrite() > 0) {
            c->timer->start(replyWaitMs); // the client is to read its replies
        } else {
            // The timer ends the connection when the client goes quiet; replies end it once
            // the client has read them.
            c->timer->start(c->served ? m_quietGapMs : lineWaitMs);
        }
    } else if (ended || (c->input.endsWith('\n') && c->input.size() <= promptBatchBytes)) {
        enqueue(c);
    } else {
        c->timer->start(c->input.endsWith('\n') ? largeBatchPauseMs : lineWaitMs);
    }
}

// The client has read every byte sent: once the last batch had replies, a client that reads
// them has written its batch.
void LocalServer::onOutputRead(Connection *c)
{
    if (c->state == Connection::Reading && c->input.isEmpty() && c->served && c->lastReply > 0)
        endQuietly(c);
}

// Nothing more is expected. The client's input is ended first, so that a line it writes from
// now on fails to send instead of being lost in the close; what arrived before runs as the last
// batch.
void LocalServer::endQuietly(Connection *c)
{
    c->timer->stop();
    const QByteArray late = c->pipe->endInput();
    if (late.isEmpty()) {
        closeWhenSent(c);
        return;
    }
    c->cutOff = true;
    if (addInput(c, late))
        takeInput(c);
}

void LocalServer::onDeadline(Connection *c)
{
    switch (c->state) {
    case Connection::Reading:
        if (!c->input.isEmpty())
            enqueue(c); // a pause ends the batch; a last line is taken without its line feed
        else if (c->pipe->bytesToWrite() > 0)
            c->pipe->abort(); // the client stopped taking its replies
        else
            endQuietly(c); // quiet: the connection is done
        break;
    case Connection::Closing:
        c->pipe->abort(); // the client stopped taking its replies
        break;
    case Connection::Queued:
        break;
    }
}

// The client reads: the wait for it starts anew.
void LocalServer::onBytesWritten(Connection *c)
{
    if (c->state == Connection::Closing)
        c->timer->start(replyWaitMs);
    else if (c->state == Connection::Reading && c->input.isEmpty())
        takeInput(c);
}

void LocalServer::onClosed(Connection *c)
{
    if (c->state != Connection::Queued)
        drop(c); // a queued batch is dropped, unrun, when its turn comes
}

// Over the size limit: what has not run is dropped, the client gets "err\n" (after the replies
// of a batch already queued) and the connection is closed. The log says why, whether or not it
// logs the communication (an error): the client points there.
void LocalServer::refuse(Connection *c)
{
    note(-1, QStringLiteral("Pipe batch of more than %1 bytes refused").arg(maxBatchBytes));
    c->input.clear();
    c->refused = true;
    if (c->state != Connection::Queued)
        finish(c, errReply);
}

void LocalServer::finish(Connection *c, const QByteArray &bytes)
{
    c->pipe->write(bytes);
    c->timer->start(replyWaitMs);
    closeWhenSent(c);
}

// Closes once the replies are sent; a connection closed at once goes at once, without waiting
// for the pipe's report of its close.
void LocalServer::closeWhenSent(Connection *c)
{
    c->state = Connection::Closing;
    c->pipe->closeWhenWritten();
    if (!c->pipe->isOpen())
        drop(c);
}

void LocalServer::drop(Connection *c)
{
    m_connections.remove(c->pipe);
    m_queue.removeAll(c->pipe);
    c->pipe->abort();
    c->pipe->deleteLater();
    delete c;
}

// ---- batches -----------------------------------------------------------------------------

void LocalServer::enqueue(Connection *c)
{
    c->state = Connection::Queued;
    c->timer->stop();
    c->batch = c->input;
    c->input.clear();
    m_queue.append(c->pipe);
    runQueue();
}

void LocalServer::runQueue()
{
    // A request may run a nested event loop (a message box, a progress window); batches that
    // complete meanwhile wait here for their turn.
    if (m_running || m_holds > 0)
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
    // A client that gave up while its batch waited (its time-out passed during a person's
    // command, say) would never learn that it ran: it does not run.
    if (c->pipe->clientGone()) {
        note(1, QStringLiteral("Pipe batch not run: its client closed the connection while it "
                               "waited for its turn"));
        drop(c);
        return;
    }
    PipeConnection *pipe = c->pipe;
    const QByteArray input = c->batch;
    QByteArray last = c->lastLine;
    c->batch.clear();
    if (m_logEnabled) // the texts are not made for nothing
        log(PipeRequest::traceText(latin1UpToZero(input)));
    // A last line that the server's end of the input cut off may be incomplete: it does not run.
    const qsizetype whole = c->cutOff ? input.lastIndexOf('\n') + 1 : input.size();
    QByteArray output;
    {
        // The client waits for its replies: no prompt of its requests waits for a person.
        Prompt::Unattended unattended;
        output = executeBatch(input.left(whole), &last);
    }
    if (!input.mid(whole).trimmed().isEmpty())
        output += errReply;
    if (m_logEnabled)
        log(PipeRequest::traceText(latin1UpToZero(output)));
    if (Connection *still = connectionOf(pipe)) {
        still->lastLine = last;
        replied(still, output);
    }
}

// Runs the lines of a batch; last is the last line run on the connection, so a repeated line
// is skipped whether or not the client's writes split the two.
QByteArray LocalServer::executeBatch(const QByteArray &input, QByteArray *last)
{
    QByteArray output;
    output.reserve(input.size()); // replies are mostly shorter than their requests
    PipeRequest::forEachLineToRun(input, last,
                                  [this, &output](QByteArrayView line) { execute(line, &output); });
    return output;
}

void LocalServer::replied(Connection *c, const QByteArray &bytes)
{
    c->served = true;
    c->lastReply = bytes.size();
    if (!c->pipe->isOpen()) {
        drop(c);
        return;
    }
    if (c->refused) {
        finish(c, bytes + errReply);
        return;
    }
    c->pipe->write(bytes);
    c->state = Connection::Reading;
    takeInput(c); // what arrived meanwhile is the next batch
}

// ---- requests ----------------------------------------------------------------------------

// A field that is no typed value is reported in the log (an error, so it is seen whether or
// not the communication is logged).
QVariant LocalServer::decodeField(const PipeRequest::FieldViews &fields, int index) const
{
    bool decoded = false;
    QVariant value = TypedValue::decode(fields.at(index), &decoded);
    if (!decoded) {
        const QString text = QString::fromLatin1(fields.at(index));
        QStringList texts;
        for (QByteArrayView field : fields)
            texts.append(QString::fromLatin1(field));
        if (RequestHandler *h = handler())
            h->addLog(-1,
                      QStringLiteral("Pipe request \"%1\": \"%2\" is no typed value; write "
                                     "%3 (an integer fits 32 bits)")
                          .arg(PipeRequest::displayText(texts.join(QLatin1Char(' '))),
                               PipeRequest::displayText(text), QLatin1String(TypedValue::Forms)));
    }
    return value;
}

// The arguments of a run; one that cannot be decoded is passed on as an invalid variant.
QVariant LocalServer::runArguments(const PipeRequest::FieldViews &fields) const
{
    if (fields.size() == 2)
        return QVariantList();
    if (fields.size() == 3)
        return decodeField(fields, 2);
    QVariantList args;
    for (int i = 2; i < fields.size(); ++i)
        args.append(decodeField(fields, i));
    return args;
}

// Batches often name one item line after line: a name's text is made once while its lines
// follow each other.
QString LocalServer::nameText(QByteArrayView name)
{
    if (name.size() > qsizetype(sizeof m_lastName.bytes)) // long names are not kept
        return QString::fromLatin1(name);
    if (name.size() != m_lastName.size ||
        std::memcmp(name.data(), m_lastName.bytes, size_t(name.size())) != 0) {
        std::memcpy(m_lastName.bytes, name.data(), size_t(name.size()));
        m_lastName.size = name.size();
        m_lastName.text = QString::fromLatin1(name);
    }
    return m_lastName.text;
}

// The line is taken as bytes: only the name and the values become texts.
void LocalServer::execute(QByteArrayView line, QByteArray *output)
{
    const PipeRequest::FieldViews fields = PipeRequest::fieldViews(line);
    RequestHandler *h = handler();
    QVariant result;
    switch (PipeRequest::kind(fields)) {
    case PipeRequest::Set: {
        // A value that cannot be decoded is refused: nothing is written.
        QVariant value = decodeField(fields, 2);
        const bool done = value.isValid() && h && h->set(nameText(fields.at(1)), value);
        appendBytes(output, done ? okReply : errReply);
        return;
    }
    case PipeRequest::Run: {
        QVariant args = runArguments(fields);
        if (!h || !h->run(nameText(fields.at(1)), args, &result))
            break;
        TypedValue::appendLatin1(result, output);
        return;
    }
    case PipeRequest::Get:
        if (!h || !h->get(nameText(fields.at(1)), &result))
            break;
        TypedValue::appendLatin1(result, output);
        return;
    case PipeRequest::Malformed:
        note(-1, QStringLiteral("Pipe request \"%1\" refused: a request is \"set NAME VALUE\", "
                                "\"get NAME\" or \"run COMMAND [ARGUMENTS]\", its fields apart "
                                "by tabs")
                     .arg(PipeRequest::displayText(QString::fromLatin1(line))));
        break;
    }
    appendBytes(output, errReply);
}
