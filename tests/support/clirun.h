#pragma once

// Runs the command-line client kvl52110-cli to its end, for tests that drive the program as a
// separate process (header only).

#include <QByteArray>
#include <QProcess>
#include <QStringList>

namespace CliRun
{

// The client's standard output, or "<status N>" when it failed (N its exit status) or did not
// end within waitMs.
inline QByteArray
output(const QString &client, const QStringList &arguments, int waitMs,
       const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(client, arguments);
    if (!process.waitForFinished(waitMs) || process.exitCode() != 0)
        return "<status " + QByteArray::number(process.exitCode()) + ">";
    return process.readAllStandardOutput();
}

} // namespace CliRun
