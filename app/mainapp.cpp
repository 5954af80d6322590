#include "mainapp.h"

#include "activeappletprovider.h"
#include "applet.h"
#include "application.h"
#include "applog.h"
#include "blockedclose.h"
#include "bootloader.h"
#include "bytetext.h"
#include "checkedprogram.h"
#include "controlboard.h"
#include "dialogprogressbar.h"
#include "errorbar.h"
#include "forcedexit.h"
#include "formfont.h"
#include "keyboardfocus.h"
#include "localserver.h"
#include "mainwindow.h"
#include "mdiarea.h"
#include "ownedwindows.h"
#include "portscan.h"
#include "portwatch.h"
#include "prompt.h"
#include "pythonrunner.h"
#include "quitsignals.h"
#include "regularfile.h"
#include "standarderror.h"
#include "variantutil.h"
#include "waitcursor.h"
#include "warmup.h"
#include "windowplacement.h"
#include "windowtitles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <algorithm>

const char *const MainApp::ProjectName = "KVL52110";
const char *const MainApp::VersionText = "Wed Jan 08 12:43:22 2019";

namespace
{

const QString LogsName = QStringLiteral("Logs");
const QString RedSpan = QStringLiteral("<span style=\"background-color:#FF0000;\">%1</span>");
const QString SimulationMark = RedSpan.arg(QStringLiteral("!!! SIMULATION !!!"));
// The longest wait for the window system to show the main window before the build goes on.
constexpr qint64 ExposeWaitMs = 300;

bool isExposed(const QWidget *window)
{
    return window->windowHandle() && window->windowHandle()->isExposed();
}

const QString ProbingText = QStringLiteral("Initializing channel connection...");
// The main window's frame at its preferred size, title bar and borders included.
constexpr QSize MainWindowFrame(1445, 1000);
// Disabled texts stay readable (a contrast of 3:1 at least) and greyer than enabled ones.
struct DisabledText {
    const char *className;
    QRgb colour;
};
constexpr DisabledText DisabledTexts[] = {
    {"QPushButton", 0x4d4d4d},  {"QLineEdit", 0x6d6d6d}, {"QComboBox", 0x6d6d6d},
    {"QAbstractSpinBox", 0x6d6d6d}, {"QLabel", 0x6d6d6d},
};

// Disabled widgets take their text colour from the palette, not from a style sheet rule: a rule
// for the disabled state hands the base style a new palette at every paint, and the style keeps
// one cached picture for each palette it meets, so every repaint of a disabled widget kept one
// more picture for good.
void colourDisabledTexts()
{
    for (const DisabledText &text : DisabledTexts) {
        QPalette palette = QApplication::palette(text.className);
        for (QPalette::ColorRole role :
             {QPalette::ButtonText, QPalette::WindowText, QPalette::Text})
            palette.setColor(QPalette::Disabled, role, QColor(text.colour));
        QApplication::setPalette(palette, text.className);
    }
}

// A logo picture in the working directory, shown in the start-up window in place of the
// program's own; read as every file is (RegularFile), up to a large photograph.
const QString LogoFile = QStringLiteral("Velmora_Logo.png");
constexpr qint64 MaxLogoSize = 16 * RegularFile::MiB;

// The logo file's picture; null without one, or where what is at its name is not read (the
// reason in *refusal) or is no picture.
QPixmap benchLogo(QString *refusal)
{
    QPixmap logo;
    QByteArray bytes;
    const QFileInfo file(LogoFile);
    if (!file.exists() && !file.isSymLink())
        return logo;
    if (!RegularFile::read(file.absoluteFilePath(), MaxLogoSize, &bytes, refusal))
        return logo;
    if (!logo.loadFromData(bytes))
        *refusal =
            QStringLiteral("%1 is no picture the program can show").arg(file.absoluteFilePath());
    return logo;
}

} // namespace

const QStringList MainApp::ProjectTypes = {QStringLiteral("TO3/TO4"), QStringLiteral("TO1/TO2")};

MainApp *MainApp::instance()
{
    static MainApp *app = new MainApp;
    return app;
}

void MainApp::applyStyleSheet()
{
    QFile file(QStringLiteral(":/stylesheet/stylesheet"));
    if (!file.open(QIODevice::ReadOnly))
        return;
    qApp->setStyleSheet(latin1UpToZero(file.readAll()));
    colourDisabledTexts();
}

MainApp::MainApp()
{
    AppletHost::setInstance(this);
    createStartupWindow();
}

QString MainApp::dataPath(const QString &relative) const
{
    return m_programFiles.dataPath(relative);
}

QString MainApp::chosenPort() const
{
    return m_mainWindow ? m_mainWindow->portName() : QString();
}

QWidget *MainApp::logParent() const
{
    return m_mainWindow;
}

void MainApp::addStatusWidget(QWidget *widget)
{
    if (m_mainWindow)
        m_mainWindow->addStatusWidget(widget);
}

ErrorBar *MainApp::errorBar() const
{
    return m_mainWindow ? m_mainWindow->errorBar() : nullptr;
}

std::shared_ptr<void> MainApp::requestHold()
{
    return std::make_shared<LocalServer::Hold>(m_localServer);
}

void MainApp::setAppletFactories(const QList<AppletFactory> &factories)
{
    m_factories = factories;
}

// ---------------------------------------------------------------- start-up window

// The forms' font comes first, so the start-up window and every form are built with it.
void MainApp::createStartupWindow()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    FormFont::install();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon/program")));
    // A logo file in the working directory is shown; without one, the program's own picture.
    QPixmap logo = benchLogo(&m_logoRefusal);
    if (logo.isNull())
        logo.load(QStringLiteral(":/icon/logo"));
    m_startupWindow = new DialogProgressBar(nullptr, logo);
    // Until the start is done the other windows take no input; as a modal window it takes the
    // keyboard (one that refused it would leave the window manager no window to give it to).
    m_startupWindow->setModal(true);
    m_startupWindow->setWindowFlag(Qt::WindowDoesNotAcceptFocus, false);
    // The start-up window only shows progress: the applets built meanwhile are polished and
    // laid out once, by the main window's show, after their set-up.
    m_startupWindow->setPaintOnly(true);
}

void MainApp::showProgress(const QString &text, int value)
{
    if (!m_startupWindow)
        return;
    if (!text.isNull())
        m_startupWindow->setText(text);
    if (value >= 0)
        m_startupWindow->setProgress(value, 100);
}

void MainApp::advanceProgress(int step)
{
    if (m_startupWindow)
        m_startupWindow->setProgress(m_startupWindow->value() + step, 100);
}

// ---------------------------------------------------------------- init, start, shutdown

void MainApp::setProjectTypeChoice(const QString &type)
{
    m_projectTypeChoice = type;
}

void MainApp::setServerName(const QString &name)
{
    m_serverName = name;
    const QString programName = name == QLatin1String(ProjectName) ? QString() : name;
    m_programFiles.setProgramName(programName);
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        if (!m_windowTitles)
            m_windowTitles = new WindowTitles(this);
        m_windowTitles->setProgramName(programName);
    }
}

void MainApp::setUnattended(bool on)
{
    m_unattended = on;
}

bool MainApp::platformShowsWindows()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

// What a prompt did without a person goes to the log and to standard error: on a run that
// nobody can answer nobody sees the log window, and during a request the script's operator
// learns there what was answered for them.
void MainApp::installPromptNotes()
{
    Prompt::setUnattended(m_unattended);
    Prompt::setNoteSink([this](int level, const QString &text) {
        StandardError::say(text);
        emit signal_log(level, text);
    });
}

bool MainApp::init()
{
    RequestHandler::setInstance(this);
    installPromptNotes();
    m_localServer = new LocalServer(this);
    if (!m_localServer->start(m_serverName)) {
        m_startFailure = m_localServer->failure();
        return false;
    }
    // A name a person chose instead of a name in use acts as one given with --name.
    setServerName(m_localServer->name());
    QuitSignals::refuseConnectionsOf(m_localServer); // from the first signal to end on
    ForcedExit::guard(m_localServer);                // an exit the display's loss forces
    CheckedProgram::removeStaleFolders();            // left in TMPDIR by runs that were killed
    // A session manager's request to save (a checkpoint, or a logout's first step) saves; the
    // session's end then asks the program to quit, which ends it as its Close does.
    if (qGuiApp) {
        connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &MainApp::commitData);
        connect(qGuiApp, &QGuiApplication::saveStateRequest, this, &MainApp::commitData);
    }
    // Requests wait until start(): until then there is no link to serve them.
    holdRequests(true);

    m_mainWindow = new MainWindow;
    m_mainWindow->setWindowTitle(MainWindow::windowTitleText(m_serverName));
    new OwnedWindows(m_mainWindow);
    KeyboardFocus::install();
    connect(new BlockedClose(m_mainWindow), &BlockedClose::signal_closeAsked, this,
            &MainApp::quitAsClosed, Qt::QueuedConnection);
    ActiveAppletProvider::install();
    placeMainWindow();
    showMainWindow();
    showProgress(QString(), 0);
    showProgress(QStringLiteral("Initializing ..."), 10);

    m_logs = new Logs(this);
    m_table.reset(m_logs);
    m_table.setMainWindow(m_mainWindow);
    askProjectType();
    m_table.buildAtStart(m_factories);

    m_logs->setup();
    showProgress(QString(), 20);
    const bool ok = setupApplets();
    connect(this, &MainApp::signal_log, m_logs, &Logs::slot_addLog);
    if (!m_projectTypeChoice.isEmpty() || m_unattended)
        emit signal_log(0, QStringLiteral("Project type %1, %2")
                               .arg(m_projectType, m_projectTypeChoice.isEmpty()
                                                       ? QStringLiteral("the default")
                                                       : QStringLiteral("given by --project")));
    createControlBoard();
    if (!ok) // the program ends: the window shown for the start goes
        m_mainWindow->hide();
    return ok;
}

// The main window is shown and painted before the applets are built, with the start-up window
// on top of it (shown after it, modal) showing their progress. Each window is painted as soon
// as the window system shows it: the build that follows keeps the event loop from painting it.
void MainApp::showMainWindow()
{
    m_mainWindow->show();
    if (m_startupWindow)
        m_startupWindow->show();
    QElapsedTimer waited;
    waited.start();
    while (!isExposed(m_mainWindow) && waited.elapsed() < ExposeWaitMs) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
    m_mainWindow->repaint();
    if (m_startupWindow)
        m_startupWindow->repaint();
    emit signal_mainWindowShown();
}

// Centred at its preferred size, grown to show every tool window whole where it opens, when
// that fits the screen's available area; maximized on a smaller screen. The normal geometry
// fits the available area either way (without a window manager, or once un-maximized, the
// window stays within the screen): it is set while the window is not maximized, since
// maximizing keeps the geometry it had as the normal one.
void MainApp::placeMainWindow()
{
    QScreen *screen = m_mainWindow->screen();
    const QSize frameExtra = MainWindowFrame - MainWindow::PreferredSize;
    const QSize size = m_mainWindow->sizeShowingToolWindows().expandedTo(MainWindow::PreferredSize);
    const QSize frame = size + frameExtra;
    const QRect available = screen ? screen->availableGeometry() : QRect(QPoint(), frame);
    const QSize fitted = WindowPlacement::frameSize(available, frame);
    if (fitted != frame && m_mainWindow->isMaximized() &&
        available.contains(m_mainWindow->normalGeometry()))
        return; // maximized already, with a normal geometry that fits
    m_mainWindow->setWindowState(m_mainWindow->windowState() & ~Qt::WindowMaximized);
    m_mainWindow->resize(fitted - frameExtra);
    m_mainWindow->move(WindowPlacement::frameTopLeft(available, fitted));
    if (fitted != frame)
        m_mainWindow->setWindowState(m_mainWindow->windowState() | Qt::WindowMaximized);
}

// The answer (OK or Cancel) does not matter: the checked item is the project type. One given
// at the start is taken without asking.
void MainApp::askProjectType()
{
    if (ProjectTypes.contains(m_projectTypeChoice)) {
        m_projectType = m_projectTypeChoice;
        return;
    }
    const QString chosen =
        Prompt::item(QStringLiteral("Project type"), QString(), ProjectTypes, 0, nullptr);
    m_projectType = ProjectTypes.contains(chosen) ? chosen : ProjectTypes.first();
}

// Sets up every tool applet built at the start (the log applet is already set up) and numbers
// the MDI applets' shortcuts. Stops at the first applet whose init fails.
bool MainApp::setupApplets()
{
    for (int i = 1; i < m_table.count(); ++i) {
        Applet *applet = m_table.built(i);
        if (!applet)
            continue; // built when first needed
        showProgress(applet->objectName(), -1);
        if (!m_table.setUp(i)) {
            m_startFailure =
                QStringLiteral("the tool window %1 could not be set up").arg(applet->objectName());
            return false;
        }
        advanceProgress(i);
    }
    return true;
}

void MainApp::createControlBoard()
{
    m_controlBoard = new ControlBoard;
    m_pythonRunner = new PythonRunner(this);
    m_pythonRunner->setPythonPath(m_options.values().value(QStringLiteral("python_path")).toString());
    m_controlBoard->setPythonRunner(m_pythonRunner);
    m_controlBoard->setHost(this);
    connect(m_pythonRunner, &PythonRunner::signal_log, m_logs, &Logs::slot_addLog);
    connect(m_controlBoard, &ControlBoard::signal_log, m_logs, &Logs::slot_addLog);
    connect(m_controlBoard, &ControlBoard::signal_tx, m_mainWindow,
            &MainWindow::slot_ActivityTx_LED);
    connect(m_controlBoard, &ControlBoard::signal_rx, m_mainWindow,
            &MainWindow::slot_ActivityRx_LED);
    connect(m_controlBoard, &ControlBoard::signal_stream, m_mainWindow, &MainWindow::slot_stream);
    connect(m_controlBoard, &ControlBoard::signal_disconnected, this, &MainApp::slot_disconnected);
    connect(m_controlBoard, &ControlBoard::signal_connected, this, &MainApp::slot_connected);
    m_portScan = new PortScan(this);
    connect(m_portScan, &PortScan::signal_done, this, &MainApp::slot_portsProbed);
    m_controlBoard->setPortPaths(m_portPaths);
    m_portWatch = new PortWatch(this);
    m_portWatch->watch(m_portPaths.devDir);
    connect(m_portWatch, &PortWatch::signal_changed, this, &MainApp::slot_portsChanged);
}

void MainApp::start()
{
    setDefaultOptions();
    if (loadOptions())
        saveOptions(); // on disk as they are from now on, the defaults new to the file too
    tellFiles();
    showProgress(QStringLiteral("Starting mainwindow"), 90);
    for (int i = 0; i < int(m_table.builtApplets().size()); ++i)
        advanceProgress(i);
    m_table.placeAll();
    // Now that the tool windows' sizes are known (the board page's, the largest, is known
    // before the page is built).
    placeMainWindow();
    showProgress(ProbingText, -1);
    rescanPorts();
    if (m_startupWindow) {
        m_startupWindow->hide();
        delete m_startupWindow;
    }
    // Widgets are polished when first shown or measured: the polish requests left by
    // everything built so far would polish every hidden tool window at the next event loop.
    QCoreApplication::removePostedEvents(nullptr, QEvent::PolishRequest);
    m_mainWindow->show();
    // The keyboard goes back to the main window from the start's windows (the start-up window,
    // the project's question), whichever had it last: on X11 a window manager that gives it to
    // no window when the one that had it goes would leave the program's keys dead.
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        m_mainWindow->activateWindow();
    m_started = true;
    holdRequests(false);
}

void MainApp::warmUp()
{
    if (!m_warmUp)
        m_warmUp = new WarmUp(
            &m_table, [this]() { return waitsForUser(); }, this);
    m_warmUp->start();
}

bool MainApp::isWarmedUp() const
{
    return m_warmUp && m_warmUp->isDone();
}

// Nobody waits for the program: no request waits or runs, no command holds the requests, no
// modal window is open.
bool MainApp::waitsForUser() const
{
    return m_started && m_localServer && m_localServer->isIdle() && !m_localServer->isHeld() &&
           !QApplication::activeModalWidget();
}

// While requests are held, new connections and complete batches wait; on release the waiting
// ones are taken up in order.
void MainApp::holdRequests(bool hold)
{
    if (!m_localServer)
        return;
    if (hold)
        m_localServer->hold();
    else
        m_localServer->release();
}

// ---------------------------------------------------------------- applets

Applet *MainApp::findApplet(const QVariant &key, int mode) const
{
    return m_table.find(key, mode);
}

void MainApp::disconnectApplets()
{
    if (!isConnected())
        return;
    for (Applet *applet : m_table.builtApplets()) {
        if (applet->name() != LogsName && applet->isOnline()) {
            applet->deactivate();
            applet->hideWindow();
        }
    }
}

void MainApp::closeAll()
{
    for (Applet *applet : m_table.builtApplets())
        applet->hideWindow();
}

void MainApp::closeAllButActive()
{
    QWidget *active = m_mainWindow ? m_mainWindow->activeSubWindowWidget() : nullptr;
    for (Applet *applet : m_table.builtApplets()) {
        if (applet != active)
            applet->hideWindow();
    }
}

// ---------------------------------------------------------------- link

bool MainApp::showNotice(const QString &text)
{
    ErrorBar *bar = errorBar();
    if (!bar)
        return false;
    bar->addNotice(text);
    return true;
}

bool MainApp::isConnected() const
{
    return m_controlBoard && m_controlBoard->isConnected();
}

void MainApp::setLogComm(bool on)
{
    if (m_controlBoard)
        m_controlBoard->setLogEnabled(on);
    if (m_localServer)
        m_localServer->setLogEnabled(on);
}

bool MainApp::isLogComm() const
{
    return m_controlBoard && m_controlBoard->isLogEnabled();
}

bool MainApp::connectBoard(const QString &port)
{
    if (!m_controlBoard)
        return false;
    WaitCursor wait;
    // A connection that could not be made left the one there is as it was, its rate too.
    const bool ok = m_controlBoard->connectBoard(port, true);
    if (ok && m_mainWindow)
        m_controlBoard->setBaudrate(int(m_mainWindow->connectionSpeed()));
    return ok;
}

void MainApp::disconnectBoard()
{
    if (!m_controlBoard)
        return;
    WaitCursor wait;
    if (isConnected())
        saveState();
    disconnectApplets();
    m_controlBoard->disconnectBoard(ControlBoard::ByUser);
}

bool MainApp::rescanPorts()
{
    if (!m_controlBoard || m_shutDown)
        return true;
    std::function<QStringList()> probe = m_portProbe;
    if (!probe) {
        probe = [board = m_controlBoard]() { return board->findPorts(); };
    }
    if (!m_portScan->start(probe))
        m_rescanWanted = true;
    else if (m_mainWindow)
        m_mainWindow->setStatusText(ProbingText);
    return true;
}

void MainApp::setPortProbe(const std::function<QStringList()> &probe)
{
    m_portProbe = probe;
}

void MainApp::setPortPaths(const PortPaths &paths)
{
    m_portPaths = paths;
}

void MainApp::slot_portsChanged()
{
    if (isConnected())
        m_rescanWanted = true;
    else
        rescanPorts();
}

// A probe asked for meanwhile runs now, unless connected (then at the disconnection).
void MainApp::rescanIfWanted()
{
    if (!m_rescanWanted || isConnected())
        return;
    m_rescanWanted = false;
    rescanPorts();
}

void MainApp::slot_portsProbed(const QStringList &ports)
{
    if (!m_mainWindow)
        return;
    // A port typed or opened meanwhile stays the current one.
    const QString current = m_mainWindow->portName();
    m_mainWindow->setPortList(ports);
    if (!current.isEmpty())
        m_mainWindow->setPortName(current);
    if (m_mainWindow->statusText() == ProbingText)
        m_mainWindow->setStatusText(QString());
    rescanIfWanted();
}

QString MainApp::firmwareStatusText() const
{
    // The status line is rich text: the type comes from the board's answer.
    const QString text = QStringLiteral("FW %1: v%2 from %3")
                             .arg(m_controlBoard->firmwareType().toHtmlEscaped(),
                                  QStringLiteral("%1").arg(m_controlBoard->firmwareVersion(), 10,
                                                           16, QLatin1Char(' ')),
                                  m_controlBoard->firmwareDate());
    return m_controlBoard->isCompatible() ? text : RedSpan.arg(text);
}

void MainApp::slot_connected()
{
    if (!m_controlBoard || !m_mainWindow)
        return;
    // The link's own mode tells the simulation, whichever port the list shows.
    if (m_controlBoard->mode() == ControlBoard::MockupMode) {
        m_connectionText = SimulationMark;
    } else {
        m_connectionText = firmwareStatusText();
        qCDebug(lcApp).noquote() << (m_controlBoard->isCompatible()
                                         ? QStringLiteral("version text - compatible")
                                         : QStringLiteral("version text - incompatible"));
    }
    m_mainWindow->setStatusText(m_connectionText);
    m_mainWindow->setPortName(m_controlBoard->portName()); // also when opened by a request
    m_mainWindow->setConnectedUi(1);
    // The set-up of a connection is one command, whoever connected (a person, a request, the
    // link's automatic reconnection): no request runs inside it, its boxes included. Every
    // applet goes online: those not built yet are built first, in table order.
    const LocalServer::Hold setUp(m_localServer);
    for (Applet *applet : m_table.all())
        applet->activate();
}

void MainApp::slot_disconnected()
{
    disconnectApplets();
    // The link counts as connected until its signal has been handled.
    QMetaObject::invokeMethod(this, &MainApp::rescanIfWanted, Qt::QueuedConnection);
    if (!m_mainWindow)
        return;
    // The simulation mark and the firmware line hold only while their connection lasts.
    if (m_mainWindow->statusText() == m_connectionText)
        m_mainWindow->setStatusText(QString());
    m_mainWindow->setConnectedUi(0);
}

void MainApp::updateFirmware()
{
    if (!m_controlBoard)
        return;
    if (!m_bootloader) {
        m_bootloader = new Bootloader(m_controlBoard);
        m_bootloader->setIgnoreVersion(ignoreVersion());
        connect(m_bootloader, &Bootloader::signal_ignoreVersionChanged, this,
                [this](bool ignore) { setOption(QStringLiteral("ignore_version"), ignore); });
    }
    m_bootloader->show();
    m_bootloader->raise();
    m_bootloader->activateWindow();
}

bool MainApp::runPython(const QString &script, const QByteArray &text, QByteArray *output)
{
    if (!m_pythonRunner) {
        m_pythonRunner = new PythonRunner(this);
        connect(m_pythonRunner, &PythonRunner::signal_log, this, &MainApp::signal_log);
    }
    m_pythonRunner->setPythonPath(option(QStringLiteral("python_path")).toString());
    return m_pythonRunner->run(script, text, output);
}

// ---------------------------------------------------------------- name dispatch

void MainApp::addLog(int level, const QString &text)
{
    emit signal_log(level, text);
}

void MainApp::commandSending()
{
    if (Application::personCommandRuns() && !Application::commandKeepsHold())
        Application::keepUntilCommandEnds(requestHold());
}

bool MainApp::ignoreVersion() const
{
    return m_options.values().value(QStringLiteral("ignore_version")).toBool();
}
