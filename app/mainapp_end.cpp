// MainApp's end: the program's entry and its Close, the end a signal, a "shutdown" request or
// the session's end asks for, a session manager's save, and the shutdown after the event loop.
#include "mainapp.h"

#include "applet.h"
#include "beeper.h"
#include "bootloader.h"
#include "controlboard.h"
#include "forcedexit.h"
#include "localserver.h"
#include "mainwindow.h"
#include "portscan.h"
#include "quitsignals.h"
#include "standarderror.h"
#include "warmup.h"

#include <QApplication>
#include <QTimer>

namespace
{

// How long replies written just before the event loop ended may take to leave.
constexpr int ReplyFlushMs = 1000;

} // namespace

int MainApp::exec()
{
    // Told by the system to end, the program ends as its Close does.
    QuitSignals quitSignals;
    connect(&quitSignals, &QuitSignals::signal_quit, this, &MainApp::quitAsClosed);
    if (!init()) {
        ForcedExit::release();
        // A start that does not serve says why, where a script's log sees it.
        StandardError::say(QStringLiteral("not started: %1.").arg(m_startFailure));
        return 1;
    }
    start();
    warmUp();
    // Told to end during the start: the requests that waited for it are answered first.
    if (m_quitAtStart)
        QMetaObject::invokeMethod(this, &MainApp::quitAsClosed, Qt::QueuedConnection);
    const int code = QApplication::exec();
    shutdown();
    quitSignals.endDone();
    // The pipe server serves until the very end. Unlike a named pipe, a local socket file
    // outlives its process, so the server is closed last, which removes the file.
    QuitSignals::refuseConnectionsOf(nullptr);
    ForcedExit::release();
    delete m_localServer;
    m_localServer = nullptr;
    // An end that could not save its files says so in its status (standard error said which).
    return code == 0 && !m_unwritten.isEmpty() ? 1 : code;
}

// Running, the program takes no new request, and the main window is closed once every request
// accepted has been answered and a command that keeps the requests waiting (a person's, a
// connection's set-up) has ended, as a person's Close waits for it too: an image half flashed
// or a board half addressed would stay so. During the start (a question may be open) the start
// is cut short: whatever waits returns its default, and the program ends the same way once the
// start is done.
void MainApp::quitAsClosed()
{
    if (!m_started || !m_mainWindow) {
        m_quitAtStart = true;
        QCoreApplication::exit(0);
        return;
    }
    if (!m_closeWaits)
        closeWhenAnswered();
}

bool MainApp::closeNow()
{
    if (m_started && requestsAnswered())
        return true;
    quitAsClosed();
    return false;
}

void MainApp::commitData()
{
    if (!m_started)
        return;
    if (isConnected())
        saveState();
    saveOptions();
}

// Looks again every QuitRetryMs; says once why the end waits while a command keeps it waiting.
void MainApp::closeWhenAnswered()
{
    m_closeWaits = true; // a Close meanwhile starts no second round
    if (requestsAnswered() && m_mainWindow->close()) {
        m_closeWaits = m_closeWaitSaid = false;
        return;
    }
    if (!m_closeWaitSaid && m_localServer->isHeld()) {
        m_closeWaitSaid = true;
        const QString text = QStringLiteral("The program ends once the running command is done");
        emit signal_log(0, text);
        m_mainWindow->setStatusText(text);
    }
    QTimer::singleShot(QuitRetryMs, this, &MainApp::closeWhenAnswered);
}

// A "shutdown" request ends the event loop once it and every other request accepted are
// answered.
void MainApp::quitWhenAnswered()
{
    if (requestsAnswered())
        QCoreApplication::quit();
    else
        QTimer::singleShot(QuitRetryMs, this, &MainApp::quitWhenAnswered);
}

// For the end: the server takes no new request; true once no command keeps the requests
// waiting and every request accepted has been answered.
bool MainApp::requestsAnswered()
{
    if (!m_localServer)
        return true;
    m_localServer->stopListening();
    return !m_localServer->isHeld() && m_localServer->isIdle();
}

void MainApp::shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    if (m_warmUp)
        m_warmUp->stop();
    flushReplies();
    disconnectBoard();
    saveOptions();
    tellFilesNotKept();
    m_started = false;
    Beeper::stopAll(); // the log window would wait for an error beep to end
    const QList<Applet *> applets = m_table.takeAll();
    m_logs = nullptr;
    qDeleteAll(applets);
    // The update window works on the link, so it goes first.
    delete m_bootloader;
    m_bootloader = nullptr;
    if (m_controlBoard)
        m_controlBoard->stopProbe();
    if (m_portScan)
        m_portScan->wait(); // the probe works on the link object
    delete m_controlBoard;
    m_controlBoard = nullptr;
}

// Replies written just before the event loop ended (a "shutdown" request) still reach their
// clients.
void MainApp::flushReplies()
{
    if (m_localServer)
        m_localServer->flushReplies(ReplyFlushMs);
}
