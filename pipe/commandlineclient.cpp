#include "commandlineclient.h"

#include "localclient.h"
#include "peerprocess.h"
#include "pipebatch.h"
#include "pipename.h"
#include "piperequest.h"
#include "socketdir.h"

#include <QIODevice>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

#include <unistd.h>

const char *const CommandLineClient::Usage =
    "Usage: kvl52110-cli [--name NAME] [--timeout S] get ITEM\n"
    "       kvl52110-cli [--name NAME] [--timeout S] set ITEM VALUE\n"
    "       kvl52110-cli [--name NAME] [--timeout S] run COMMAND [ARG...]\n"
    "       kvl52110-cli [--name NAME] [--timeout S] -\n"
    "Sends requests to the running kvl52110 through its socket NAME (KVL52110 by default, one\n"
    "file name; \\\\.\\pipe\\NAME names it too) in $XDG_RUNTIME_DIR when that is a directory of\n"
    "yours that no other user can write, otherwise in $XDG_STATE_HOME/kvl52110/sockets/HOST\n"
    "(unless another user can change XDG_STATE_HOME; by default in\n"
    "~/.local/state/kvl52110/sockets/HOST, HOST being this machine's host name).\n"
    "Values are typed: i42, f2.5, sText, x0aff. With \"-\", TAB-separated request lines are\n"
    "read from standard input, each sent on a connection of its own, and each reply is printed\n"
    "on a line of its own (an empty line for a request that got none); blank and repeated lines\n"
    "are skipped. Each reply is waited for at most S seconds (default 10).\n"
    "Exit status: 0 when every request succeeded, 1 when any answered err, 2 when no program\n"
    "of this user is listening, 3 when a reply did not come in time, 4 when the program closed\n"
    "the connection without a reply (it ended before answering), 64 for wrong usage.\n";

namespace
{

// A field must not break the line it travels in.
bool fitsInLine(const QString &field)
{
    static const QRegularExpression breaks(QStringLiteral("[\\t\\r\\n]"));
    return !field.contains(breaks);
}

// Seconds as milliseconds: a positive number up to about three weeks; 0 when it is none.
int timeoutMs(const QString &seconds)
{
    bool ok = false;
    const double value = seconds.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value <= 0 || value > 2000000)
        return 0;
    return qMax(1, int(std::lround(value * 1000)));
}

// The reply of one request: "ok" and "err" without their line feed, a value as it came.
QByteArray replyText(const QByteArray &reply)
{
    if (reply == "ok\n" || reply == "err\n")
        return reply.chopped(1);
    return reply;
}

} // namespace

int CommandLineClient::run(const QStringList &arguments, QIODevice *in, QIODevice *out,
                           QIODevice *err)
{
    if (!parse(arguments, in)) {
        complain(err, m_usageError);
        err->write("Try 'kvl52110-cli --help' for the usage.\n");
        return WrongUsage;
    }
    if (m_help) {
        out->write(Usage);
        out->write(QStringLiteral("Here the socket directory is %1.\n")
                       .arg(SocketDir::directory())
                       .toLocal8Bit());
        return Succeeded;
    }
    return exchange(out, err);
}

bool CommandLineClient::wrongUsage(const QString &why)
{
    m_usageError = why;
    return false;
}

// Takes the options in front of the request: --name NAME and --timeout S, each also as
// --option=VALUE. False when one is wrong.
bool CommandLineClient::parseOptions(QStringList *arguments)
{
    while (arguments->value(0).startsWith(QLatin1String("--"))) {
        const QString option = arguments->takeFirst();
        const qsizetype equals = option.indexOf(QLatin1Char('='));
        const QString key = option.left(equals);
        QString value;
        if (equals >= 0)
            value = option.mid(equals + 1);
        else if (!arguments->isEmpty())
            value = arguments->takeFirst();
        if (key == QLatin1String("--name")) {
            QString why;
            m_name = PipeName::socketName(value, &why);
            if (m_name.isEmpty())
                return wrongUsage(QStringLiteral("--name: %1").arg(why));
        } else if (key == QLatin1String("--timeout")) {
            m_timeoutMs = timeoutMs(value);
            if (m_timeoutMs == 0)
                return wrongUsage(QStringLiteral("--timeout takes seconds, a number above 0 up "
                                                 "to 2000000, not \"%1\"")
                                      .arg(value));
        } else {
            return wrongUsage(QStringLiteral("\"%1\" is no option: the options are --name NAME "
                                             "and --timeout S")
                                  .arg(key));
        }
    }
    return true;
}

// The request of the arguments after the options; false with m_usageError set when they make
// none.
bool CommandLineClient::parse(QStringList arguments, QIODevice *in)
{
    if (arguments.value(0) == QLatin1String("-h") || arguments.value(0) == QLatin1String("--help"))
        return m_help = true;
    if (!parseOptions(&arguments))
        return false;
    const QString verb = arguments.value(0);
    const qsizetype count = arguments.size();
    if (verb == QLatin1String("-")) {
        if (count > 1)
            return wrongUsage(QStringLiteral("\"-\" reads the requests from standard input "
                                             "and takes no arguments"));
        m_batch = in->readAll();
        return true;
    }
    QString shape;
    if (verb == QLatin1String("get") && count != 2)
        shape = QStringLiteral("get takes one item: get ITEM");
    else if (verb == QLatin1String("set") && count != 3)
        shape = QStringLiteral("set takes an item and a value: set ITEM VALUE");
    else if (verb == QLatin1String("run") && count < 2)
        shape = QStringLiteral("run takes a command and its arguments: run COMMAND [ARG...]");
    else if (count == 0)
        shape = QStringLiteral("no request: give get ITEM, set ITEM VALUE, run COMMAND [ARG...] "
                               "or -");
    else if (verb != QLatin1String("get") && verb != QLatin1String("set") &&
             verb != QLatin1String("run"))
        shape =
            QStringLiteral("\"%1\" is no request: the requests are get, set, run and -").arg(verb);
    else if (!std::all_of(arguments.cbegin(), arguments.cend(), fitsInLine))
        shape = QStringLiteral("an argument holds a tab or a line break, which would break the "
                               "request line");
    else if (arguments.at(1).isEmpty())
        shape = QStringLiteral("%1 takes a name that is not empty").arg(verb);
    if (!shape.isEmpty())
        return wrongUsage(shape);
    m_printAll = verb != QLatin1String("set");
    m_batch = arguments.join(QLatin1Char('\t')).toLatin1() + '\n';
    return true;
}

// Each request line on a connection of its own: its reply is all that connection carries, so
// no reply can be taken for another's, whatever the values hold. The socket directory is
// looked up and checked once, for all of them.
int CommandLineClient::exchange(QIODevice *out, QIODevice *err)
{
    const PipeBatch batch(m_batch);
    const SocketDir dir;
    if (!dir.failure().isEmpty() && !batch.lines().isEmpty()) {
        complain(err, QStringLiteral("no socket directory to look in: %1").arg(dir.failure()));
        return NotListening;
    }
    int status = Succeeded;
    for (const QByteArray &line : batch.lines()) {
        QByteArray reply;
        const int result = request(dir, line, &reply, err);
        if (result != Succeeded)
            return result;
        if (reply == "err") {
            complain(
                err,
                QStringLiteral("refused: %1 (the program's log says why)").arg(requestText(line)));
            status = Refused;
        }
        if (m_printAll)
            out->write(reply + '\n');
    }
    return status;
}

int CommandLineClient::request(const SocketDir &dir, const QByteArray &line, QByteArray *reply,
                               QIODevice *err) const
{
    const QString file = dir.file(m_name);
    LocalClient client(m_name, m_timeoutMs);
    if (!client.ensureConnected(dir)) {
        complain(err, QStringLiteral("no program is listening on %1").arg(file));
        return NotListening;
    }
    // Only the user's own program (or root's) may answer in its place.
    const qint64 uid = client.peerUid();
    if (uid != qint64(::getuid()) && uid != 0) {
        complain(err, QStringLiteral("refused to talk to %1: the program there runs as another "
                                     "user (uid %2), not as you")
                          .arg(file)
                          .arg(uid));
        return NotListening;
    }
    const PeerProcess program(int(client.socketDescriptor()));
    QByteArray bytes;
    const bool answered = client.exchange(line + '\n', &bytes);
    if (client.timedOut() || !answered) {
        complain(err, QStringLiteral("no reply within %1 s to \"%2\" from %3: the program may be "
                                     "busy or waiting for a person to answer a question on its "
                                     "screen; --timeout S waits longer")
                          .arg(m_timeoutMs / 1000.0)
                          .arg(requestText(line), file));
        return TimedOut;
    }
    QString state;
    if (replyMissing(dir, line, bytes, program, &state)) {
        complain(err, QStringLiteral("no reply to \"%1\" from %2: the program closed the "
                                     "connection without answering; %3")
                          .arg(requestText(line), file, state));
        return NoReply;
    }
    *reply = replyText(bytes);
    return Succeeded;
}

// A "set" always answers "ok" or "err"; a "get" or "run" answers nothing when there is no value,
// which only a program that ran on after the close can have said: one that ends before
// answering is on its way out when the system closes its connection. Where the system does not
// tell that, a program that still listens is taken to have answered. *state says which.
bool CommandLineClient::replyMissing(const SocketDir &dir, const QByteArray &line,
                                     const QByteArray &reply, const PeerProcess &program,
                                     QString *state) const
{
    if (!reply.isEmpty())
        return false;
    PeerProcess::State ran = program.state();
    if (ran == PeerProcess::Unknown) {
        LocalClient probe(m_name, m_timeoutMs);
        ran = probe.ensureConnected(dir) ? PeerProcess::Runs : PeerProcess::Ended;
    }
    *state = ran == PeerProcess::Runs ? QStringLiteral("it still runs (its log may say why)")
                                      : QStringLiteral("it has ended");
    return ran == PeerProcess::Ended ||
           PipeRequest::kind(PipeRequest::fields(line)) == PipeRequest::Set;
}

// A request line (Latin-1, as it travels) as one line of a message.
QString CommandLineClient::requestText(const QByteArray &line)
{
    return PipeRequest::displayText(QString::fromLatin1(line));
}

void CommandLineClient::complain(QIODevice *err, const QString &text) const
{
    err->write("kvl52110-cli: " + text.toLocal8Bit() + '\n');
}
