#pragma once

// What every benchmark sets up before its application object: Qt runs headless unless a
// platform was chosen, and the benchmark gets a temporary directory of its own as TMPDIR and as
// its session directory and state home (XDG_RUNTIME_DIR and XDG_STATE_HOME, where the program
// puts its command socket), so the program it starts serves a socket of its own: it runs beside
// the user's program, another benchmark or itself.
// A benchmark that cannot start says why and exits non-zero. The argument "--short" selects the
// short mode: every measurement is brief (a few seconds for the whole benchmark), so that a test
// run sees the benchmark work from start to end; its figures then mean little.
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

class BenchEnvironment
{
public:
    // Takes "--short" out of the arguments (so a count that follows is argv[1] again).
    BenchEnvironment(int &argc, char **argv)
        : m_name(QFileInfo(QFile::decodeName(argv[0])).fileName())
    {
        for (int i = 1; i < argc; ++i) {
            if (qstrcmp(argv[i], "--short") != 0)
                continue;
            shortMode() = true;
            std::copy(argv + i + 1, argv + argc + 1, argv + i); // argv[argc] is null
            --argc;
            break;
        }
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (m_tmp.isValid()) {
            const QByteArray path = QFile::encodeName(m_tmp.path());
            for (const char *name : OwnFolderVariables)
                qputenv(name, path);
        }
    }

    // The folders a benchmark, and a program it starts, keep to themselves: temporary files,
    // the session directory and the state home (where the command socket goes).
    static constexpr const char *OwnFolderVariables[] = {"TMPDIR", "XDG_RUNTIME_DIR",
                                                         "XDG_STATE_HOME"};

    static bool isShort() { return shortMode(); }
    // normal, or brief in the short mode.
    template <typename T> static T pick(T normal, T brief) { return isShort() ? brief : normal; }
    // How often a benchmark runs each side: the count its first argument gives, otherwise normal
    // (once in the short mode).
    static int runs(int argc, char **argv, int normal)
    {
        return argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : pick(normal, 1);
    }

    bool isValid() const { return m_tmp.isValid(); }
    QString tempPath() const { return m_tmp.path(); }

    // Prints "<benchmark>: cannot start: <why>" and gives the exit code for it.
    int cannotStart(const QString &why) const
    {
        std::fprintf(stderr, "%s: cannot start: %s\n", qPrintable(m_name), qPrintable(why));
        return 1;
    }
    // Prints "<benchmark>: failed: <why>" and gives the exit code for it.
    int failed(const QString &why) const
    {
        std::fprintf(stderr, "%s: failed: %s\n", qPrintable(m_name), qPrintable(why));
        return 1;
    }
    // Starts the fakeboard tool at path in tool; the device path it serves, or an empty text
    // after saying why it did not start.
    QString startSimulator(QProcess &tool, const QString &path) const
    {
        tool.start(path, QStringList());
        if (tool.waitForReadyRead(10000))
            return QString::fromLocal8Bit(tool.readLine().trimmed());
        cannotStart(QStringLiteral("the fakeboard tool did not start: ") + tool.errorString());
        return QString();
    }
    // The usual first check of main().
    int checkStart() const
    {
        return isValid()
                   ? 0
                   : cannotStart(QStringLiteral("no temporary directory: ") + m_tmp.errorString());
    }

private:
    static bool &shortMode()
    {
        static bool on = false;
        return on;
    }

    QString m_name;
    QTemporaryDir m_tmp;
};
