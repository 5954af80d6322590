#pragma once

// What the start-up and quit benchmarks share: this benchmark's executable run again as a child
// process in a mode of its own, headless, with prompts answered by default and in fresh working
// and temporary directories; each line it prints is timed from its start.
#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>

struct TimedChild {
    QList<QPair<QByteArray, double>> lines; // each line printed, with its milliseconds
    QByteArray errors;                      // the standard error
    double endedMs = -1;
    bool ok = false; // ended by itself with exit code 0

    // Milliseconds to the first line that is text; -1 when none came.
    double at(const QByteArray &text) const
    {
        for (const auto &[line, ms] : lines)
            if (line == text)
                return ms;
        return -1;
    }
    // The first line that starts with prefix, without the prefix.
    QByteArray after(const QByteArray &prefix) const
    {
        for (const auto &line : lines)
            if (line.first.startsWith(prefix))
                return line.first.mid(prefix.size());
        return QByteArray();
    }

    static TimedChild run(const QStringList &arguments, int limitMs = 60000)
    {
        TimedChild result;
        QTemporaryDir work;
        if (!work.isValid())
            return result;
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("KVL_PROMPT_DEFAULTS"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("*.debug=false"));
        env.insert(QStringLiteral("TMPDIR"), work.path());
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(work.path());
        QElapsedTimer timer;
        timer.start();
        child.start(QCoreApplication::applicationFilePath(), arguments);
        while (child.state() != QProcess::NotRunning) {
            child.waitForReadyRead(100);
            while (child.canReadLine())
                result.lines.append({child.readLine().trimmed(), timer.nsecsElapsed() / 1e6});
            result.errors += child.readAllStandardError();
            if (timer.elapsed() > limitMs)
                child.kill();
        }
        result.endedMs = timer.nsecsElapsed() / 1e6;
        while (child.canReadLine())
            result.lines.append({child.readLine().trimmed(), result.endedMs});
        result.errors += child.readAllStandardError();
        result.ok = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
        return result;
    }
};

inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(values.size() / 2);
}
