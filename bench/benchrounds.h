#pragma once

// Shared pieces of the benchmarks that run the application against a FakeBoard (header only).
#include "fakeboard.h"
#include "mainapp.h"
#include "prompt.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

namespace BenchRounds
{

// Calls of step per second over one round of runMs; 0 when a call fails. The board's records
// are dropped now and then so they do not grow without end.
template <typename Step> double perSecond(FakeBoard &board, int runMs, Step step)
{
    QElapsedTimer timer;
    timer.start();
    long count = 0;
    while (timer.elapsed() < runMs) {
        if (!step())
            return 0;
        if (++count % 500 == 0)
            board.clearRecords();
    }
    return count / (timer.nsecsElapsed() / 1e9);
}

// The application with one applet, started in a temporary working directory (it writes its
// options and state files there) and connected to board; shut down when the session ends.
class Session
{
public:
    Session(FakeBoard &board, const MainApp::AppletFactory &factory)
    {
        if (!m_work.isValid() || !QDir::setCurrent(m_work.path()))
            return;
        Prompt::install(&m_prompt);
        m_app->setAppletFactories({factory});
        if (!m_app->init())
            return;
        m_app->start();
        m_ok = m_app->connectBoard(board.devicePath());
        if (!m_ok)
            QTextStream(stderr) << "cannot connect to the simulator\n";
    }
    ~Session()
    {
        m_app->shutdown();
        Prompt::install(nullptr);
        QDir::setCurrent(QDir::rootPath());
    }
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    bool isReady() const { return m_ok; }
    MainApp *app() const { return m_app; }

private:
    QTemporaryDir m_work;
    DefaultPrompt m_prompt;
    MainApp *m_app = MainApp::instance();
    bool m_ok = false;
};

} // namespace BenchRounds
