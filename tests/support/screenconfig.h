#pragma once

// The offscreen platform's screen for tests that depend on its size (header only): call
// before the application object exists.
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QRect>
#include <QRegularExpression>

namespace ScreenConfig
{

// Writes the platform's configuration of one screen of geometry into the working directory
// and selects it. A run on an X server (KVL_TEST_X11) keeps the server's screen, which its
// wrapper made of the size KVL_TEST_SCREEN names.
inline bool use(const QRect &geometry)
{
    if (qEnvironmentVariableIsSet("KVL_TEST_X11"))
        return true;
    const QString config = QDir::current().absoluteFilePath(QStringLiteral("screen.json"));
    const QByteArray screens =
        QStringLiteral("{\"screens\":[{\"name\":\"test\",\"x\":%1,\"y\":%2,\"width\":%3,"
                       "\"height\":%4,\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}")
            .arg(geometry.x())
            .arg(geometry.y())
            .arg(geometry.width())
            .arg(geometry.height())
            .toUtf8();
    if (!TestFiles::write(config, screens))
        return false;
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    return true;
}

// The screen size that the environment variable KVL_TEST_SCREEN names ("1366x768"), else
// fallback.
inline QRect named(const QRect &fallback)
{
    static const QRegularExpression size(QStringLiteral("^(\\d+)x(\\d+)$"));
    const auto match = size.match(qEnvironmentVariable("KVL_TEST_SCREEN"));
    return match.hasMatch() ? QRect(0, 0, match.captured(1).toInt(), match.captured(2).toInt())
                            : fallback;
}

} // namespace ScreenConfig
