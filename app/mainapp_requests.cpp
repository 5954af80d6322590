// MainApp's name-based set, get and run ("Applet.ITEM" and the built-in names), as the command
// socket and the scripts use them.
#include "mainapp.h"

#include "applet.h"
#include "controlboard.h"
#include "logs.h"
#include "piperequest.h"
#include "standarderror.h"
#include "variantutil.h"

#include <QTimer>

#include <algorithm>

namespace
{

constexpr int WarningLevel = 1;

// An argument of a pipe request that could not be decoded (an invalid variant, alone or in a
// list).
bool hasUndecodable(const QVariant &args)
{
    if (args.typeId() != QMetaType::QVariantList)
        return !args.isValid();
    const QVariantList list = args.toList();
    return std::any_of(list.cbegin(), list.cend(), [](const QVariant &v) { return !v.isValid(); });
}

} // namespace

// The applet named by the first of two name parts, while the board is connected; otherwise
// null, and *why says why. A first part that names no applet is a typo that the log warns
// about, connected or not.
Applet *MainApp::appletOfName(const QString &verb, const QStringList &parts, QString *why)
{
    Applet *applet = findApplet(parts.first(), ByName);
    if (!applet) {
        *why = QStringLiteral("no applet is named \"%1\"").arg(parts.first());
        warnUnknown(verb + QLatin1Char(' ') + parts.join(QLatin1Char('.')), *why);
    } else if (!isConnected()) {
        *why = QStringLiteral("no board is connected (the tool windows take requests once one is)");
    }
    return applet && isConnected() ? applet : nullptr;
}

// The error line of a refused request: the request ("Error SET:NAME") and why, each escaped
// and cut as a request's text may need.
void MainApp::logRefusal(const QString &request, const QString &why)
{
    emit signal_log(-1, PipeRequest::displayText(request) + QStringLiteral(": ") +
                            PipeRequest::displayText(why));
}

// A request that names nothing keeps its reply, but a typo in a script must not pass unseen: the
// log lists a warning naming it, whatever the "Log" switch says (a client refused points there
// for why), and so does standard error when nobody sees the log window.
void MainApp::warnUnknown(const QString &request, const QString &what)
{
    // Escaped and cut: a request may hold any bytes, and be a megabyte long.
    const QString text =
        QStringLiteral("Request \"%1\": %2")
            .arg(PipeRequest::displayText(request), PipeRequest::displayText(what));
    if (m_unattended)
        StandardError::say(text);
    const Logs::Listing listed(m_logs);
    emit signal_log(WarningLevel, text);
}

// An item of a connected applet that the applet does not have.
void MainApp::checkItem(Applet *applet, const QString &verb, const QStringList &parts)
{
    if (!applet->hasItem(parts.at(1)))
        warnUnknown(verb + QLatin1Char(' ') + parts.join(QLatin1Char('.')),
                    QStringLiteral("%1 has no item %2").arg(parts.at(0), parts.at(1)));
}

bool MainApp::set(const QString &name, QVariant &value)
{
    const QStringList parts = name.split(QLatin1Char('.'));
    if (parts.size() != 2) {
        warnUnknown(QStringLiteral("set ") + name,
                    QStringLiteral("no item of that name (items are named Applet.ITEM)"));
        return true;
    }
    QString why;
    if (Applet *applet = appletOfName(QStringLiteral("set"), parts, &why)) {
        checkItem(applet, QStringLiteral("set"), parts);
        // A value that is no typed value has been reported by the server already.
        if (isNullVariant(value) || applet->fitsItem(parts.at(1), value, &why)) {
            if (applet->set(parts.at(1), value, OutsideKey))
                return true;
            why = applet->refusal(parts.at(1), value, OutsideKey);
        } else {
            why = parts.at(1) + QLatin1Char(' ') + why;
        }
    }
    logRefusal(QStringLiteral("Error SET:") + name, why);
    return false;
}

bool MainApp::get(const QString &name, QVariant *result)
{
    const QStringList parts = name.split(QLatin1Char('.'));
    if (parts.size() != 2) {
        getInternal(name, result);
        return true;
    }
    QString why;
    if (Applet *applet = appletOfName(QStringLiteral("get"), parts, &why)) {
        checkItem(applet, QStringLiteral("get"), parts);
        const QVariant value = applet->get(parts.at(1), OutsideKey);
        if (result)
            *result = value;
        if (!isNullVariant(value))
            return true;
        // No value is no error: a script that polls such a name must not fill the error bar
        // each time. The warning names it (an item the applet lacks was named above).
        if (applet->hasItem(parts.at(1)))
            warnUnknown(QStringLiteral("get ") + name,
                        parts.at(1) + QStringLiteral(" holds no value"));
        return false;
    }
    logRefusal(QStringLiteral("Error GET ") + name, why);
    return false;
}

// A command never runs on an argument that could not be decoded (the pipe server has logged
// why): an applet's command and "write" are refused, "open" answers that it did not connect.
bool MainApp::run(const QString &command, QVariant &args, QVariant *result)
{
    const QStringList parts = command.split(QLatin1Char('.'));
    if (parts.size() != 2)
        return runInternal(command, args, result);
    if (hasUndecodable(args))
        return false;
    QString why;
    if (Applet *applet = appletOfName(QStringLiteral("run"), parts, &why)) {
        const QVariant value = applet->run(parts.at(1), args);
        if (result)
            *result = value;
        // The applet's command table is complete once a command was looked for in it.
        if (!applet->hasCommand(parts.at(1)))
            warnUnknown(QStringLiteral("run ") + command,
                        QStringLiteral("%1 has no command %2").arg(parts.at(0), parts.at(1)));
        return true;
    }
    logRefusal(QStringLiteral("Error RUN:") + command, why);
    return false;
}

// The port of "open" is a typed string; anything else connects nothing and is reported.
bool MainApp::openPort(const QVariant &args)
{
    if (args.typeId() != QMetaType::QString) {
        emit signal_log(-1, QStringLiteral("run open takes the port as a typed string, e.g. "
                                           "s/dev/ttyUSB0, smockup or sCOM3"));
        return false;
    }
    return connectBoard(args.toString());
}

void MainApp::getInternal(const QString &name, QVariant *result)
{
    if (name.toLower() != QLatin1String("version")) {
        warnUnknown(QStringLiteral("get ") + name,
                    QStringLiteral("no item of that name (items are named Applet.ITEM)"));
        return;
    }
    if (result)
        *result = QString::fromLatin1(VersionText);
}

bool MainApp::sendRawLine(const QByteArray &line, QByteArray *answer)
{
    if (!m_controlBoard)
        return false;
    const bool sent = m_controlBoard->send(line, answer, -1);
    for (Applet *applet : m_table.builtApplets())
        applet->onRawLine(line);
    return sent;
}

bool MainApp::runInternal(const QString &command, const QVariant &args, QVariant *result)
{
    const QString name = command.toLower();
    if (name == QLatin1String("shutdown")) {
        // The event loop ends once this request and those accepted before the end are
        // answered; shutdown() follows it.
        QTimer::singleShot(0, this, &MainApp::quitWhenAnswered);
        if (result)
            *result = true;
    } else if (name == QLatin1String("close")) {
        disconnectBoard();
        if (result)
            *result = true;
    } else if (name == QLatin1String("open")) {
        const bool connected = openPort(args);
        if (result)
            *result = connected;
    } else if (name == QLatin1String("write")) {
        if (hasUndecodable(args))
            return false;
        if (!isConnected()) { // nothing reaches a board: the request fails
            logRefusal(QStringLiteral("Error RUN:write"), QStringLiteral("no board is connected"));
            return false;
        }
        const QByteArray command =
            args.typeId() == QMetaType::QString ? args.toString().toLatin1() : args.toByteArray();
        QByteArray answer;
        sendRawLine(command, &answer);
        if (result)
            *result = answer;
    } else {
        warnUnknown(QStringLiteral("run ") + command,
                    QStringLiteral("no command of that name (commands are named Applet.COMMAND, "
                                   "or open, close, write, shutdown)"));
    }
    return true;
}
