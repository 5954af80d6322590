#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

// The command-line client kvl52110-cli: one request from its arguments, or request lines from
// standard input, sent as one batch on one connection to the program's pipe (half-closed after
// writing); prints the replies.
//
//   [--name NAME] get ITEM              prints the value's typed text and a line feed
//   [--name NAME] set ITEM VALUE        prints nothing on success
//   [--name NAME] run COMMAND [ARG...]  prints the result and a line feed
//   [--name NAME] -                     TAB-separated request lines from in; one reply a line
class CommandLineClient
{
public:
    enum ExitStatus { Succeeded = 0, Refused = 1, NotListening = 2, WrongUsage = 64 };

    // arguments: without the program's own name. Returns the exit status.
    int run(const QStringList &arguments, QIODevice *in, QIODevice *out, QIODevice *err);

    static const char *const Usage;

private:
    bool parse(QStringList arguments, QIODevice *in);
    int exchange(QIODevice *out, QIODevice *err);
    void complain(QIODevice *err, const QString &text) const;

    QString m_name = QStringLiteral("KVL52110");
    QByteArray m_batch;
    bool m_printAll = true; // a "set" alone prints nothing
    bool m_help = false;
};
