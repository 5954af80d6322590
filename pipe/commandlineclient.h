#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class PeerProcess;
class QIODevice;
class SocketDir;

// The command-line client kvl52110-cli: one request from its arguments, or request lines from
// standard input, each sent on a connection of its own to the program's pipe (half-closed after
// writing), to a program of the same user (or root) only; prints the replies. Each reply is
// waited for at most the time-out (--timeout S, 10 s by default).
//
//   [OPTIONS] get ITEM              prints the value's typed text and a line feed
//   [OPTIONS] set ITEM VALUE        prints nothing on success
//   [OPTIONS] run COMMAND [ARG...]  prints the result and a line feed
//   [OPTIONS] -                     TAB-separated request lines from in; one reply a line, an
//                                   empty one for a request that got none
//   OPTIONS: --name NAME (one file name, see SocketDir), --timeout S
class CommandLineClient
{
public:
    enum ExitStatus {
        Succeeded = 0,
        Refused = 1,
        NotListening = 2,
        TimedOut = 3,
        NoReply = 4, // the connection closed without a reply: the program ended before answering
        WrongUsage = 64
    };
    static constexpr int DefaultTimeoutMs = 10000;

    // arguments: without the program's own name. Returns the exit status.
    int run(const QStringList &arguments, QIODevice *in, QIODevice *out, QIODevice *err);

    static const char *const Usage;

private:
    bool parse(QStringList arguments, QIODevice *in);
    bool parseOptions(QStringList *arguments);
    bool wrongUsage(const QString &why);
    int exchange(QIODevice *out, QIODevice *err);
    int request(const SocketDir &dir, const QByteArray &line, QByteArray *reply,
                QIODevice *err) const;
    bool replyMissing(const SocketDir &dir, const QByteArray &line, const QByteArray &reply,
                      const PeerProcess &program, QString *state) const;
    static QString requestText(const QByteArray &line);
    void complain(QIODevice *err, const QString &text) const;

    QString m_name = QStringLiteral("KVL52110");
    QString m_usageError; // what was wrong with the arguments
    int m_timeoutMs = DefaultTimeoutMs;
    QByteArray m_batch;
    bool m_printAll = true; // a "set" alone prints nothing
    bool m_help = false;
};
