#pragma once

// What the tool benchmarks share: the application, started headless in a temporary working
// directory and connected to a simulated board, and the rounds that count successful steps.
#include "benchenv.h"
#include "fakeboard.h"
#include "mainapp.h"
#include "programfiles.h"
#include "prompt.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTextStream>

class SimulatedApp
{
public:
    // One measuring round, and the rounds per side, interleaved; the best of each counts.
    static int runMs() { return BenchEnvironment::pick(700, 100); }
    static int rounds() { return BenchEnvironment::pick(4, 1); }

    // Call with the QApplication running; debug output is off for the whole run. When the
    // application cannot start, says why on the standard error.
    SimulatedApp(FakeBoard &board, const QList<MainApp::AppletFactory> &factories)
        : SimulatedApp(board.devicePath(), factories)
    {
    }

    // Connects to the board simulated on devicePath (the simulator tool in a child process).
    SimulatedApp(const QString &devicePath, const QList<MainApp::AppletFactory> &factories)
    {
        Prompt::install(&m_prompt);
        // The application writes its options and state files to the working directory.
        if (!m_work.isValid() || !QDir::setCurrent(m_work.path())) {
            cannotStart(QStringLiteral("no working directory: ") + m_work.errorString());
            return;
        }
        // Its files are those of the new working directory, not of the one it was run from.
        m_app->setProgramFiles(ProgramFiles::ofThisProcess());
        if (devicePath.isEmpty()) {
            cannotStart(QStringLiteral("the simulator has no pseudo-terminal"));
            return;
        }
        m_app->setAppletFactories(factories);
        if (!m_app->init()) {
            cannotStart(QStringLiteral("the program did not start (its pipe could not be "
                                       "served, or an applet's set-up failed)"));
            return;
        }
        m_app->start();
        m_started = m_app->connectBoard(devicePath);
        if (!m_started)
            cannotStart(QStringLiteral("cannot connect to the simulator at ") + devicePath);
    }

    ~SimulatedApp()
    {
        m_app->shutdown();
        Prompt::install(nullptr);
        QDir::setCurrent(QDir::rootPath());
    }

    bool started() const { return m_started; }

    // Writes a matrix configuration file: two devices of 12 switches in two rows of 12.
    static bool writeMatrix24(const QString &fileName)
    {
        QFile file(fileName);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
            return false;
        QTextStream out(&file);
        out << "NumberOfDevices 2\nPixelsPerDevice 12\nNumberOfRows 2\nNumberOfCols 12\n";
        for (int row = 0; row < 2; ++row) {
            for (int col = 1; col <= 12; ++col)
                out << row * 12 + col << (col < 12 ? " " : "\n");
        }
        return true;
    }
    ControlBoard *link() const { return m_app->controlBoard(); }

    // Steps that succeed per second within one round; 0 when one fails. The board's records
    // are cleared every clearEvery steps.
    template <typename Step> static double perSecond(FakeBoard &board, int clearEvery, Step step)
    {
        QElapsedTimer timer;
        timer.start();
        long count = 0;
        while (timer.elapsed() < runMs()) {
            if (!step())
                return 0;
            if (++count % clearEvery == 0)
                board.clearRecords();
        }
        return count / (timer.nsecsElapsed() / 1e9);
    }

    // Prints both rates and their ratio; the exit code: 0 when both sides ran.
    static int report(const QString &bareLabel, double bare, const QString &toolLabel, double tool,
                      const QString &ratioLabel)
    {
        QTextStream out(stdout);
        const int width = 32;
        out << (bareLabel + ':').leftJustified(width) << qRound(bare) << "\n";
        out << (toolLabel + ':').leftJustified(width) << qRound(tool) << "\n";
        out << (ratioLabel + ':').leftJustified(width)
            << (bare > 0 ? QString::number(tool / bare, 'f', 2) : QStringLiteral("n/a")) << "\n";
        return tool > 0 && bare > 0 ? 0 : 1;
    }

private:
    static void cannotStart(const QString &why)
    {
        QTextStream(stderr) << QCoreApplication::applicationName() << ": cannot start: " << why
                            << "\n";
    }

    QTemporaryDir m_work;
    DefaultPrompt m_prompt;
    MainApp *m_app = MainApp::instance();
    bool m_started = false;
};
