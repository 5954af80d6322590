#pragma once

// What the start-up and quit benchmarks share: this benchmark's executable run again as a child
// process in a mode of its own, headless, with prompts answered by default and in fresh working,
// temporary and session directories; each line it prints is timed from its start. The bare window
// is one such mode of both.
#include "benchenv.h"

#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QList>
#include <QMainWindow>
#include <QPair>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>

// In a child: one line for the parent, sent at once.
inline void reportLine(const char *line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

// In a child: closes window from the event loop after ms, as a click on its close button does,
// and reports "closing".
inline void closeAfter(QWidget *window, int ms)
{
    QTimer::singleShot(ms, window, [window]() {
        reportLine("closing");
        window->close();
    });
}

// In a child: a bare Qt widgets program that shows a main window of the program's size and
// reports "shown" once it is exposed; with close, it then closes the window and ends.
inline int runBareWindow(int argc, char **argv, bool close)
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.resize(1440, 975);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    reportLine("shown");
    if (!close)
        return 0;
    closeAfter(&window, 0);
    return QApplication::exec();
}

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
        // Its own session directory and state home: its command socket is its own.
        for (const char *name : BenchEnvironment::OwnFolderVariables)
            env.insert(QLatin1String(name), work.path());
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
