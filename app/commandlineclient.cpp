#include "commandlineclient.h"

#include "localclient.h"
#include "pipebatch.h"
#include "pipename.h"

#include <QIODevice>
#include <QRegularExpression>

#include <algorithm>

const char *const CommandLineClient::Usage =
    "Usage: kvl52110-cli [--name NAME] get ITEM\n"
    "       kvl52110-cli [--name NAME] set ITEM VALUE\n"
    "       kvl52110-cli [--name NAME] run COMMAND [ARG...]\n"
    "       kvl52110-cli [--name NAME] -\n"
    "Sends requests to the running kvl52110 through its socket ($TMPDIR/NAME, NAME KVL52110 by\n"
    "default). Values are typed: i42, f2.5, sText, x0aff. With \"-\", TAB-separated request\n"
    "lines are read from standard input and sent as one batch; each reply is printed on a line.\n"
    "Exit status: 0 when every request succeeded, 1 when any answered err, 2 when no program\n"
    "is listening, 64 for wrong usage.\n";

namespace
{

// A field must not break the line it travels in.
bool fitsInLine(const QString &field)
{
    static const QRegularExpression breaks(QStringLiteral("[\\t\\r\\n]"));
    return !field.contains(breaks);
}

} // namespace

int CommandLineClient::run(const QStringList &arguments, QIODevice *in, QIODevice *out,
                           QIODevice *err)
{
    if (!parse(arguments, in)) {
        err->write(Usage);
        return WrongUsage;
    }
    if (m_help) {
        out->write(Usage);
        return Succeeded;
    }
    return exchange(out, err);
}

bool CommandLineClient::parse(QStringList arguments, QIODevice *in)
{
    if (arguments.value(0) == QLatin1String("-h") || arguments.value(0) == QLatin1String("--help"))
        return m_help = true;
    if (arguments.value(0) == QLatin1String("--name") && arguments.size() >= 2) {
        m_name = arguments.at(1);
        arguments = arguments.mid(2);
    } else if (arguments.value(0).startsWith(QLatin1String("--name="))) {
        m_name = arguments.takeFirst().mid(7);
    }
    const QString verb = arguments.value(0);
    const qsizetype count = arguments.size();
    if (verb == QLatin1String("-") && count == 1) {
        m_batch = in->readAll();
        return !m_name.isEmpty();
    }
    const bool fits = std::all_of(arguments.cbegin(), arguments.cend(), fitsInLine);
    const bool shaped = (verb == QLatin1String("get") && count == 2) ||
                        (verb == QLatin1String("set") && count == 3) ||
                        (verb == QLatin1String("run") && count >= 2);
    if (!fits || !shaped || m_name.isEmpty() || arguments.at(1).isEmpty())
        return false;
    m_printAll = verb != QLatin1String("set");
    m_batch = arguments.join(QLatin1Char('\t')).toLatin1() + '\n';
    return true;
}

int CommandLineClient::exchange(QIODevice *out, QIODevice *err)
{
    const PipeBatch batch(m_batch);
    LocalClient client(PipeName::localName(m_name), LocalClient::NoTimeout);
    if (!client.ensureConnected()) {
        complain(err, QStringLiteral("no program is listening on %1")
                          .arg(PipeName::socketFile(PipeName::localName(m_name))));
        return NotListening;
    }
    QByteArray reply;
    QList<QByteArray> replies;
    if (!client.exchange(batch.bytes(), &reply) || !batch.split(reply, &replies)) {
        complain(err, QStringLiteral("the replies do not fit the requests: \"%1\"")
                          .arg(QString::fromLatin1(reply.toPercentEncoding(" \t"))));
        return Refused;
    }
    int status = Succeeded;
    for (qsizetype i = 0; i < replies.size(); ++i) {
        if (replies.at(i) == "err") {
            complain(err, QStringLiteral("refused: %1")
                              .arg(QString::fromLatin1(batch.lines().at(i)).replace('\t', ' ')));
            status = Refused;
        }
        if (m_printAll)
            out->write(replies.at(i) + '\n');
    }
    return status;
}

void CommandLineClient::complain(QIODevice *err, const QString &text) const
{
    err->write("kvl52110-cli: " + text.toLocal8Bit() + '\n');
}
