#include "qtnoisefilter.h"

#include "logs.h"

#include <QRegularExpression>

namespace
{
QtMessageHandler previousHandler = nullptr;
bool installed = false;
} // namespace

void QtNoiseFilter::install()
{
    if (installed)
        return;
    installed = true;
    previousHandler = qInstallMessageHandler(&QtNoiseFilter::handle);
}

// The platform window's warning for an operation its plugin leaves out.
bool QtNoiseFilter::isNoise(QtMsgType type, const QString &text)
{
    static const QRegularExpression unsupported(
        QStringLiteral("^This plugin does not support \\w+\\(\\)$"));
    return type == QtWarningMsg && unsupported.match(text).hasMatch();
}

void QtNoiseFilter::handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (isNoise(type, text))
        return;
    // A port's or a file's name in a message may hold a terminal's control characters.
    if (previousHandler) // Qt's own default handler when none was installed before
        previousHandler(type, context, Logs::shownText(text));
}
