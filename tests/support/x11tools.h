#pragma once

// The X server's own view of windows, read with the tools of x11-utils (xprop, xwininfo), for
// tests on an X server with a window manager: Qt reports a state or size it asked the window
// manager for before the window manager has carried it out (header only).

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace X11Tools
{

// A tool's standard output, or "<tool failed>".
inline QByteArray output(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(tool), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return "<" + tool.toLatin1() + " failed>";
    return process.readAllStandardOutput();
}

// A property of the window with the X id, as xprop prints it ("NAME(TYPE) = ...").
inline QByteArray property(quintptr window, const char *name)
{
    return output(QStringLiteral("xprop"),
                  {QStringLiteral("-id"), QString::number(window), QString::fromLatin1(name)});
}

} // namespace X11Tools
