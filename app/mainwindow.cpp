#include "mainwindow.h"

#include "accessiblenames.h"
#include "applet.h"
#include "appletscroll.h"
#include "controlboard.h"
#include "errorbar.h"
#include "flowlayout.h"
#include "mainapp.h"
#include "mdiarea.h"
#include "myswitch.h"
#include "prompt.h"
#include "readingorder.h"
#include "waitcursor.h"
#include "workspace.h"
#include "wrappinglabel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QDockWidget>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace
{

const char *const BuildDateTime = __DATE__ "," __TIME__;
constexpr int LampTickMs = 100;

// A lamp reads as what it shows and its state ("Receive: active"), told anew at each change.
void nameLamp(CustomControls::MySwitch *lamp, const QString &what, const QStringList &states)
{
    const auto name = [lamp, what, states](qint32 state) {
        lamp->setAccessibleName(what + QStringLiteral(": ") + states.value(state));
    };
    name(lamp->currentState());
    QObject::connect(lamp, &CustomControls::MySwitch::signal_StateChanged, lamp, name);
}

} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(windowTitleText());
    createMenus();
    resize(PreferredSize);
    createConnectionBar();
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow()
{
    m_lampTimer.stop();
    qApp->removeEventFilter(this);
}

QString MainWindow::windowTitleText(const QString &serverName)
{
    const QString project = QString::fromLatin1(MainApp::ProjectName);
    const QString title = QStringLiteral("velmora Lumigrid << %1 >> %2")
                              .arg(project, QString::fromLatin1(BuildDateTime));
    if (serverName.isEmpty() || serverName == project)
        return title;
    return serverName + QStringLiteral(" - ") + title;
}

// ---------------------------------------------------------------- construction

void MainWindow::createMenus()
{
    m_contextMenu = new QMenu(this);
    connect(m_contextMenu->addAction(QStringLiteral("Close All")), &QAction::triggered, this,
            &MainWindow::slot_CloseAll);
    connect(m_contextMenu->addAction(QStringLiteral("Close All But Active")), &QAction::triggered,
            this, &MainWindow::slot_CloseAllButActive);

    m_mdiArea = new MdiArea(this);
    setCentralWidget(m_mdiArea);

    m_serviceMenu = menuBar()->addMenu(QStringLiteral("&Service"));
    m_appMenu = menuBar()->addMenu(QStringLiteral("&Application"));
    m_projectMenu = menuBar()->addMenu(QStringLiteral("&Project"));
    m_configMenu = menuBar()->addMenu(QStringLiteral("&Config"));

    connect(m_serviceMenu->addAction(QStringLiteral("About")), &QAction::triggered, this,
            &MainWindow::slot_AboutApp);
    m_updaterAction = m_serviceMenu->addAction(QStringLiteral("Update Software"));
    connect(m_updaterAction, &QAction::triggered, this, &MainWindow::slot_UpdateBenchSoftware);
    m_firmwareAction = m_serviceMenu->addAction(QStringLiteral("Update Firmware"));
    connect(m_firmwareAction, &QAction::triggered, this, &MainWindow::slot_UpdateFirmware);
    m_specAction = m_serviceMenu->addAction(QIcon(QStringLiteral(":/buttons/word")),
                                            QStringLiteral("Spec Open"));
    connect(m_specAction, &QAction::triggered, this, &MainWindow::slot_Spec);
    // "File" belongs to no menu: the datasheet button's drop-down offers it.
    m_fileAction = new QAction(QStringLiteral("File"), this);
    connect(m_fileAction, &QAction::triggered, this, &MainWindow::slot_Path);

    connect(m_configMenu->addAction(QIcon(QStringLiteral(":/buttons/export")),
                                    QStringLiteral("&Save config")),
            &QAction::triggered, this, &MainWindow::slot_SaveConfig);
    connect(m_configMenu->addAction(QIcon(QStringLiteral(":/buttons/import")),
                                    QStringLiteral("&Load config")),
            &QAction::triggered, this, &MainWindow::slot_LoadConfig);
    m_configMenu->addSeparator();
    slot_UpdateConfigBenchList();
}

CustomControls::MySwitch *MainWindow::createLamp(QWidget *parent, bool numbered)
{
    auto *lamp = new CustomControls::MySwitch(parent);
    lamp->addState(numbered ? QStringLiteral("1") : QString(),
                   QStringLiteral(":/leds/img_led_gray"));
    lamp->addState(numbered ? QStringLiteral("2") : QString(),
                   QStringLiteral(":/leds/img_led_green"));
    lamp->addState(numbered ? QStringLiteral("3") : QString(),
                   QStringLiteral(":/leds/img_led_red"));
    lamp->setReadOnly(true);
    lamp->setFixedSize(20, 20);
    return lamp;
}

// The bar's widgets are made in the bar in the status bar, where they stay, not moved there.
// They stand in one row where the window is wide enough and wrap onto more rows where it is
// not; a lamp stays beside its label and the rescan button beside the port list. The error bar
// stands over them, as wide as the window, while it shows an error.
void MainWindow::createConnectionBar()
{
    QStatusBar *status = statusBar();
    QWidget *foot = createFoot(status);
    auto *flow = new FlowLayout(m_bar);
    flow->setSpacing(6);
    m_pbConnect = new QPushButton(QStringLiteral("Connect"), m_bar);
    m_pbConnect->setCheckable(true);
    m_portList = new QComboBox(m_bar);
    m_portList->setFixedSize(100, 20);
    // Any device path, "COMn" or bare device name may be typed besides the listed ports.
    m_portList->setEditable(true);
    m_portList->setInsertPolicy(QComboBox::NoInsert);
    m_pbRescan = new QPushButton(m_bar);
    m_pbRescan->setIcon(QIcon(QStringLiteral(":/buttons/refresh")));
    m_pbRescan->setFixedSize(20, 20);
    m_pbRescan->setAccessibleName(QStringLiteral("Rescan ports"));
    m_speedList = new QComboBox(m_bar);
    m_speedList->setFixedSize(100, 20);
    m_speedList->addItem(QStringLiteral("Normal"), 115200);
    m_speedList->addItem(QStringLiteral("Turbo"), 2304000);
    m_statusLabel = new WrappingLabel(m_bar);
    // At least 250 wide; it grows to show the whole firmware text on one line where the bar
    // has room, and wraps it where the bar has less.
    m_statusLabel->setMinimumWidth(250);
    m_statusLabel->setTextFormat(Qt::RichText); // see setStatusText
    m_streamLabel = new QLabel(QStringLiteral("Connection"), m_bar);
    m_connectionLamp = createLamp(m_bar, true);
    m_rxLamp = createLamp(m_bar, false);
    m_txLamp = createLamp(m_bar, false);
    nameUnlabelledControls();
    m_cbLog = new QCheckBox(QStringLiteral("Log"), m_bar);
    m_specButton = new QToolButton(m_bar);
    m_specButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_specButton->setDefaultAction(m_specAction);
    m_specButton->addAction(m_fileAction);
    m_specButton->setPopupMode(QToolButton::DelayedPopup);
    m_pbRestore = new QPushButton(QStringLiteral("Restore last"), m_bar);

    flow->addWidget(m_pbConnect);
    flow->addGroup({m_portList, m_pbRescan});
    flow->addWidget(m_speedList);
    flow->addWidget(m_statusLabel);
    flow->addGroup({m_streamLabel, m_connectionLamp, new QLabel(QStringLiteral(" rx "), m_bar),
                    m_rxLamp, new QLabel(QStringLiteral(" tx "), m_bar), m_txLamp});
    for (QWidget *w : {static_cast<QWidget *>(m_cbLog), static_cast<QWidget *>(m_specButton),
                       static_cast<QWidget *>(m_pbRestore)})
        flow->addWidget(w);
    status->addWidget(foot, 1);
    // The status bar takes the height its rows need at the window's width (a fixed height
    // would be one row's).
    QSizePolicy policy = status->sizePolicy();
    policy.setVerticalPolicy(QSizePolicy::Preferred);
    status->setSizePolicy(policy);

    connect(m_pbConnect, &QPushButton::clicked, this, &MainWindow::slot_pbConnectBoard_click);
    connect(m_pbRescan, &QPushButton::clicked, this, &MainWindow::slot_Rescan);
    connect(m_speedList, &QComboBox::currentIndexChanged, this,
            &MainWindow::slot_ChangeConenctionSpeed);
    connect(m_cbLog, &QCheckBox::toggled, this, &MainWindow::slot_cbLogComm_toggled);
    connect(m_cbLog, &QCheckBox::toggled, this, &MainWindow::slot_LogOn);
    connect(m_pbRestore, &QPushButton::clicked, this, &MainWindow::slot_RestorePreviousWorkspace);
    connect(m_errorBar, &ErrorBar::signal_openLog, this, &MainWindow::showLogWindow);
    connect(&m_lampTimer, &QTimer::timeout, this, &MainWindow::slot_supress_led);
    m_lampTimer.start(LampTickMs);
    setConnectedUi(0);
}

// The foot of the window, in the status bar: the error bar (hidden until it shows an error) over
// the connection bar.
QWidget *MainWindow::createFoot(QStatusBar *status)
{
    auto *foot = new QWidget(status);
    auto *column = new QVBoxLayout(foot);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);
    m_errorBar = new ErrorBar(foot);
    m_errorBar->hide();
    column->addWidget(m_errorBar);
    m_bar = new QWidget(foot);
    column->addWidget(m_bar);
    return foot;
}

// The connection bar's controls that show no text of their own (lists, lamps) get the name a
// screen reader reads.
void MainWindow::nameUnlabelledControls()
{
    const QStringList traffic{QStringLiteral("idle"), QStringLiteral("active")};
    nameLamp(m_connectionLamp, QStringLiteral("Connection"),
             {QStringLiteral("off"), QStringLiteral("on"), QStringLiteral("streaming")});
    nameLamp(m_rxLamp, QStringLiteral("Receive"), traffic);
    nameLamp(m_txLamp, QStringLiteral("Send"), traffic);
    CustomControls::AccessibleNames::setName(m_portList, QStringLiteral("Port"));
    CustomControls::AccessibleNames::setName(m_speedList, QStringLiteral("Speed"));
}

// ---------------------------------------------------------------- operations

void MainWindow::addApplet(int menuKind, Applet *applet, bool inMdiArea, QAction *before)
{
    if (!applet)
        return;
    if (inMdiArea) {
        auto *sub =
            qobject_cast<QMdiSubWindow *>(applet->createContainer(Applet::MdiContainer, m_mdiArea));
        if (sub && sub->mdiArea() != m_mdiArea)
            m_mdiArea->addSubWindow(sub, Qt::WindowFlags());
    } else if (auto *dock = qobject_cast<QDockWidget *>(
                   applet->createContainer(Applet::DockContainer, this))) {
        addDockWidget(Qt::RightDockWidgetArea, dock);
    }
    QMenu *menus[] = {m_serviceMenu, m_appMenu, m_projectMenu};
    if (menuKind >= 0 && menuKind < 3 && applet->action())
        menus[menuKind]->insertAction(before, applet->action());
}

void MainWindow::setConnectedUi(int state)
{
    const bool connected = state == 1;
    m_pbConnect->setText(connected ? QStringLiteral("Disconnect") : QStringLiteral("Connect"));
    m_pbConnect->setChecked(connected);
    m_appMenu->setEnabled(connected);
    setLamp(m_connectionLamp, connected ? LampOn : LampOff);
    m_firmwareAction->setEnabled(connected);
    m_portList->setEnabled(state == 0);
    m_pbRescan->setEnabled(state == 0);
}

void MainWindow::setPortList(const QStringList &ports)
{
    m_portList->clear();
    m_portList->addItems(ports);
}

QString MainWindow::portName() const
{
    return m_portList->currentText().trimmed();
}

void MainWindow::setPortName(const QString &name)
{
    const int index = m_portList->findText(name, Qt::MatchExactly);
    if (index >= 0)
        m_portList->setCurrentIndex(index);
    else
        m_portList->setEditText(name);
}

unsigned int MainWindow::connectionSpeed() const
{
    return m_speedList->currentData(Qt::UserRole).toUInt();
}

bool MainWindow::isLogChecked() const
{
    return m_cbLog->isChecked();
}

void MainWindow::setStatusText(const QString &text)
{
    m_statusLabel->setText(text);
    m_statusLabel->setToolTip(text); // the whole text, also where the bar cuts the label
    CustomControls::AccessibleNames::describeByToolTip(m_statusLabel);
}

QString MainWindow::statusText() const
{
    return m_statusLabel->text();
}

void MainWindow::addStatusWidget(QWidget *widget)
{
    widget->setParent(m_bar);
    m_bar->layout()->addWidget(widget);
    widget->show();
}

QWidget *MainWindow::activeSubWindowWidget() const
{
    return AppletScroll::appletOf(m_mdiArea->activeSubWindow());
}

QSize MainWindow::sizeShowingToolWindows()
{
    if (QLayout *frame = layout())
        frame->activate();
    QRect extent(0, 0, 1, 1);
    for (const QMdiSubWindow *sub : m_mdiArea->subWindowList())
        extent |= sub->geometry();
    const QSize view(extent.right() + 1, extent.bottom() + 1);
    const QSize around = size() - m_mdiArea->maximumViewportSize();
    // The connection bar takes the rows it needs at that width.
    const int width = around.width() + view.width();
    const int bar = statusBar()->height();
    return QSize(width, around.height() - bar + statusBar()->heightForWidth(width) + view.height());
}

QMenu *MainWindow::getMenuApp()
{
    return m_appMenu;
}

// ---------------------------------------------------------------- lamps and stream

void MainWindow::setLamp(CustomControls::MySwitch *lamp, int state)
{
    if (lamp->currentState() != state)
        lamp->setCurrentState(state);
}

void MainWindow::slot_ActivityRx_LED()
{
    setLamp(m_rxLamp, LampOn);
}

void MainWindow::slot_ActivityTx_LED()
{
    setLamp(m_txLamp, LampOn);
}

void MainWindow::slot_Connection_LED(bool on)
{
    setLamp(m_connectionLamp, on ? LampOn : LampOff);
}

// Each lamp is looked at every other tick, so it goes dark at most 200 ms after activity.
void MainWindow::slot_supress_led()
{
    ++m_lampTicks;
    setLamp(m_lampTicks % 2 ? m_txLamp : m_rxLamp, LampOff);
}

void MainWindow::slot_stream(bool on)
{
    if (on) {
        m_textBeforeStream = m_streamLabel->text();
        m_lampBeforeStream = m_connectionLamp->currentState();
        m_streamLabel->setText(QStringLiteral("Stream..."));
        setLamp(m_connectionLamp, LampStream);
    } else {
        m_streamLabel->setText(m_textBeforeStream);
        setLamp(m_connectionLamp, m_lampBeforeStream);
    }
}

// ---------------------------------------------------------------- user actions

void MainWindow::slot_pbConnectBoard_click()
{
    MainApp *app = MainApp::instance();
    if (m_pbConnect->isChecked()) {
        setConnectedUi(app->connectBoard(portName()) ? 1 : 0);
    } else {
        app->disconnectBoard();
        setConnectedUi(0);
    }
}

// The list empties until the probe is done; a port typed or chosen stays.
void MainWindow::slot_Rescan()
{
    WaitCursor wait;
    const QString port = portName();
    m_portList->clear();
    m_portList->setEditText(port);
    MainApp::instance()->rescanPorts();
}

void MainWindow::slot_ChangeConenctionSpeed()
{
    if (ControlBoard *board = MainApp::instance()->controlBoard())
        board->setBaudrate(int(connectionSpeed()));
}

void MainWindow::slot_cbLogComm_toggled(bool on)
{
    MainApp::instance()->setLogComm(on);
}

void MainWindow::slot_LogOn(bool on)
{
    if (on) {
        showLogWindow();
    } else if (Applet *log = MainApp::instance()->logs()) {
        log->hideWindow();
    }
}

// As its entry in the Project menu shows it: "Log" stays as it is.
void MainWindow::showLogWindow()
{
    Applet *log = MainApp::instance()->logs();
    if (!log)
        return;
    log->showWindow();
    // As wide as it asks, but at most half the window: at half a screen the tool windows keep
    // room beside it (the log scrolls sideways).
    if (auto *dock = qobject_cast<QDockWidget *>(log->container()))
        resizeDocks({dock}, {std::min(dock->sizeHint().width(), width() / 2)}, Qt::Horizontal);
}

void MainWindow::slot_RestorePreviousWorkspace()
{
    MainApp::instance()->restoreState();
}

void MainWindow::slot_SaveConfig()
{
    MainApp::instance()->saveWorkspace();
    slot_UpdateConfigBenchList();
}

void MainWindow::slot_LoadConfig()
{
    MainApp::instance()->loadWorkspace(QString());
}

void MainWindow::slot_LoadConfigName()
{
    // The entry carries its file's real name (the text lost every ".bench" of it).
    if (auto *action = qobject_cast<QAction *>(sender()))
        MainApp::instance()->loadWorkspace(action->data().toString());
}

void MainWindow::slot_UpdateConfigBenchList()
{
    qDeleteAll(m_benchActions); // a deleted action leaves the menu
    m_benchActions.clear();
    const QList<Workspace::MenuEntry> entries = Workspace::menuEntries();
    for (const Workspace::MenuEntry &entry : entries) {
        auto *action = new QAction(entry.text, this);
        action->setData(entry.fileName);
        connect(action, &QAction::triggered, this, &MainWindow::slot_LoadConfigName);
        m_configMenu->addAction(action);
        m_benchActions.append(action);
    }
}

void MainWindow::slot_AboutApp()
{
    Prompt::Message about;
    about.title = QStringLiteral("About");
    about.text = QStringLiteral("<h2>%1</h2><p>Built with Qt %2</p><p>Build: %3</p>")
                     .arg(QString::fromLatin1(MainApp::ProjectName), QStringLiteral(QT_VERSION_STR),
                          QString::fromLatin1(BuildDateTime));
    about.richText = true; // the program's own words alone
    Prompt::show(about);
}

void MainWindow::slot_UpdateBenchSoftware()
{
    MainApp::instance()->updateSoftware();
}

void MainWindow::slot_UpdateFirmware()
{
    MainApp::instance()->updateFirmware();
}

void MainWindow::slot_CloseAll()
{
    MainApp::instance()->closeAll();
}

void MainWindow::slot_CloseAllButActive()
{
    MainApp::instance()->closeAllButActive();
}

void MainWindow::slot_Spec()
{
    MainApp::instance()->openSpec();
}

void MainWindow::slot_Path()
{
    MainApp::instance()->chooseSpec();
}

// ---------------------------------------------------------------- events

namespace
{

// Whether a key event that was just delivered to previous goes on to next as the next step of
// its way up: from a widget to its parent, or from a window to a widget inside it.
bool isPropagationStep(QObject *previous, QObject *next)
{
    auto *nextWidget = qobject_cast<QWidget *>(next);
    if (!previous || !nextWidget)
        return false;
    if (auto *widget = qobject_cast<QWidget *>(previous))
        return nextWidget == widget->parentWidget();
    if (auto *window = qobject_cast<QWindow *>(previous))
        return nextWidget->window()->windowHandle() == window;
    return false;
}

} // namespace

// A key press reaches an application event filter once for every object it passes on its way
// up; the same event object arriving at the next object up is the same press.
bool MainWindow::isNewKeyPress(QObject *receiver, const QEvent *event)
{
    const bool repeat = event == m_lastKeyEvent && isPropagationStep(m_lastKeyReceiver, receiver);
    m_lastKeyEvent = event;
    m_lastKeyReceiver = receiver;
    return !repeat;
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        if ((key->modifiers() & Qt::ControlModifier) && key->key() >= Qt::Key_0 &&
            key->key() <= Qt::Key_9 && isNewKeyPress(watched, event)) {
            ++m_shortcutPresses;
            openAppletByShortcut(key->key());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::openAppletByShortcut(int key)
{
    MainApp *app = MainApp::instance();
    if (!app->isConnected()) {
        showConnectFirstBox();
        return;
    }
    Applet *applet = app->findApplet(key, MainApp::ByShortcut);
    if (!applet)
        return;
    applet->showWindow();
    if (auto *sub = qobject_cast<QMdiSubWindow *>(applet->container()))
        m_mdiArea->setActiveSubWindow(sub);
}

// Not modal: the key press that caused it goes on, and one box at a time.
void MainWindow::showConnectFirstBox()
{
    if (m_infoBox) {
        m_infoBox->raise();
        return;
    }
    m_infoBox =
        new QMessageBox(QMessageBox::Information, QString(),
                        QStringLiteral("Connect board before window open."), QMessageBox::Ok);
    m_infoBox->setAttribute(Qt::WA_DeleteOnClose);
    m_infoBox->setModal(false);
    m_infoBox->show();
}

bool MainWindow::focusNextPrevChild(bool next)
{
    return ReadingOrder::moveFocus(this, QApplication::focusWidget(), next) ||
           QMainWindow::focusNextPrevChild(next);
}

// The program ends as a signal ends it: once the requests it took are answered and a command
// that keeps them waiting is done.
void MainWindow::closeEvent(QCloseEvent *event)
{
    MainApp *app = MainApp::instance();
    if (!app->closeNow()) {
        event->ignore();
        return;
    }
    app->disconnectBoard();
    event->accept();
    QCoreApplication::quit();
}

void MainWindow::contextMenuEvent(QContextMenuEvent *event)
{
    m_contextMenu->popup(event->globalPos());
}
