// Firmware identification of ControlBoard: "*IDN?", the reply forms and the compatibility rule.
#include "controlboard.h"

#include "bytetext.h"
#include "linkhost.h"
#include "linklog.h"
#include "prompt.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>

namespace
{

const QString RequiredType = QStringLiteral("P110");
constexpr uint LastIncompatibleVersion = 0x1044B;
constexpr uint RequiredVersion = 0x1044C;
const QDate RequiredDate(2024, 8, 26);
const QString ProjectName = QStringLiteral("KVL52110");

QDateTime readBuildDate(const QString &text)
{
    return QLocale(QLocale::English)
        .toDateTime(text.trimmed(), QStringLiteral("ddd MMM d hh:mm:ss yyyy"));
}

// Hexadecimal with an optional "0x" prefix; 0 when it is not a number.
uint readHex(const QString &text)
{
    bool ok = false;
    const uint value = text.trimmed().toUInt(&ok, 16);
    return ok ? value : 0;
}

QString hex8(uint value)
{
    return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0'));
}

LinkHost &defaultHost()
{
    static LinkHost host;
    return host;
}

} // namespace

QDateTime ControlBoard::initialFirmwareDate()
{
    return readBuildDate(QStringLiteral("Mon Jan 1 01:01:01 1900"));
}

bool ControlBoard::checkFirmwareCompatible(const QString &type, const QString &version,
                                           const QString &date)
{
    const QDateTime dateTime = readBuildDate(date);
    const QDate buildDate = dateTime.date();
    const uint build = readHex(version.mid(2));
    qCDebug(lcLink) << "date" << buildDate << "datestr" << date << "dateTime" << dateTime << "build"
                    << version << "build_number" << build << "CheckProjectCompatible"
                    << RequiredType << "project" << type << "d(to string)" << buildDate.toString();
    return type == RequiredType && build > LastIncompatibleVersion && buildDate.isValid() &&
           buildDate >= RequiredDate;
}

bool ControlBoard::checkIdn()
{
    // The first answer is discarded; only the second one is read, so a failed second
    // transaction leaves nothing to parse.
    QByteArray discarded;
    send(QByteArrayLiteral("*IDN?"), &discarded);
    QByteArray answer;
    const bool ok = send(QByteArrayLiteral("*IDN?"), &answer);
    const QString text = latin1UpToZero(answer);
    qCDebug(lcLink) << "IDN (Version check)" << (ok ? "true" : "false") << "idn" << text;

    static const QRegularExpression v2(
        QStringLiteral("Velmora,(\\w+),(\\w+),([\\d\\.]+)\\s*(\\[V2\\])*"));
    static const QRegularExpression v1(QStringLiteral("Velmora,(\\w+),(\\w+),(.*)"),
                                       QRegularExpression::DotMatchesEverythingOption);
    QRegularExpressionMatch match = v2.match(text);
    if (match.hasMatch()) {
        qCDebug(lcLink) << "IDN format v2";
    } else {
        match = v1.match(text);
        if (match.hasMatch())
            qCDebug(lcLink) << "IDN format v1";
    }
    if (match.hasMatch()) {
        const bool compatible =
            checkFirmwareCompatible(match.captured(1), match.captured(2), match.captured(3));
        qCDebug(lcLink) << (compatible ? "Compatible" : "Not compatible");
        storeIdentification(match.captured(1), int(readHex(match.captured(2))),
                            readBuildDate(match.captured(3)), compatible);
    } else {
        qCDebug(lcLink) << "error reading IDN";
        storeIdentification(QStringLiteral("UNKNOWN"), 0, initialFirmwareDate(), false);
    }
    if (!isCompatible())
        warnIncompatible();
    return ok;
}

void ControlBoard::storeIdentification(const QString &type, int version, const QDateTime &date,
                                       bool compatible)
{
    QMutexLocker lock(&m_stateMutex);
    m_firmwareType = type;
    m_firmwareVersion = version;
    m_firmwareDate = date;
    m_compatible = compatible;
}

void ControlBoard::warnIncompatible()
{
    LinkHost *installed = m_host.load();
    LinkHost *host = installed ? installed : &defaultHost();
    int button = Prompt::No;
    whileHandingOver([&]() {
        bool ignore = false;
        Prompt::runOnGuiThread([&]() { ignore = host->ignoreVersion(); });
        if (ignore)
            return;
        const QString info =
            QStringLiteral("Current version of Firmware might not be compatible with this "
                           "Control Software.\n\t\tRequired \t\tCurrent\n\tType:\t%1\t\t\t%2\n"
                           "\tVer.:\t0x%3\t\t0x%4\n\tBuild:\t%5\t\t%6\n\nYou may continue to use "
                           "this SW or perform update.\nDo you want to update VELMCU Firmware "
                           "now?")
                .arg(RequiredType, firmwareType(), hex8(RequiredVersion),
                     hex8(uint(firmwareVersion())), RequiredDate.toString(Qt::TextDate),
                     firmwareDateTime().date().toString(Qt::TextDate));
        button = showIncompatibleFirmware(QStringLiteral("VELMCU FW version not compatible!"), info,
                                          Prompt::Yes | Prompt::No);
    });
    if (button == Prompt::Yes)
        openUpdateWindow(host);
    emit signal_log(1000, QStringLiteral("Incompatible version of VELMCU FW detected"));
}

// The update window opens on the GUI thread; the link thread does not wait for it, so the
// window may use the link at once.
void ControlBoard::openUpdateWindow(LinkHost *host)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        host->updateFirmware();
        return;
    }
    QMetaObject::invokeMethod(
        app, [host]() { host->updateFirmware(); }, Qt::QueuedConnection);
}

int ControlBoard::showIncompatibleFirmware(const QString &text, const QString &informativeText,
                                           int buttons)
{
    Prompt::Message msg;
    msg.icon = Prompt::Warning;
    msg.title = ProjectName;
    msg.text = text;
    msg.informativeText = informativeText;
    msg.buttons = buttons;
    // Unanswered, the question opens nothing: a script or an empty bench keeps the firmware.
    if (buttons & Prompt::No)
        msg.defaultButton = Prompt::No;
    const int button = Prompt::show(msg);
    emit signal_log(1000, text);
    return button;
}

QString ControlBoard::firmwareType() const
{
    QMutexLocker lock(&m_stateMutex);
    return m_firmwareType;
}

int ControlBoard::firmwareVersion() const
{
    QMutexLocker lock(&m_stateMutex);
    return m_firmwareVersion;
}

QDateTime ControlBoard::firmwareDateTime() const
{
    QMutexLocker lock(&m_stateMutex);
    return m_firmwareDate;
}

QString ControlBoard::firmwareDate(const QString &format) const
{
    return firmwareDateTime().toString(format);
}

bool ControlBoard::isCompatible() const
{
    QMutexLocker lock(&m_stateMutex);
    return m_compatible;
}

QString ControlBoard::queryIdn()
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        clearBuffers();
        QByteArray answer;
        if (send(QByteArrayLiteral("\n*IDN?\n"), &answer, 100))
            return QString::fromLatin1(answer);
        qCDebug(lcLink) << "**************************MISS" << answer;
    }
    return QString();
}
