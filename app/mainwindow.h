#pragma once

#include <QList>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimer>

class Applet;
class ErrorBar;
class MdiArea;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;

class QPushButton;
class QStatusBar;
class QToolButton;
namespace CustomControls
{
class MySwitch;
}

// The one top-level window: the tool-window area with its watermark, the menus, the error bar
// over the connection bar in the status bar (connect button, ports, speed, firmware status,
// activity lamps, "Log", datasheet button, "Restore last") and a right dock area for the log
// window.
// It watches every key press of the program for Ctrl+digit, which opens a tool window.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Menu kinds of addApplet.
    enum MenuKind { ServiceMenu = 0, ApplicationMenu = 1, ProjectMenu = 2 };
    // Lamp states.
    enum LampState { LampOff = 0, LampOn = 1, LampStream = 2 };

    // The window's size at start, where the screen allows.
    static constexpr QSize PreferredSize{1440, 975};

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The title; a program serving under another command-socket name than the default shows
    // that name first, so two programs side by side can be told apart.
    static QString windowTitleText(const QString &serverName = QString());

    // Gives the applet its container (an MDI sub-window, or a dock) and its menu entry, before
    // the entry before when that is given.
    void addApplet(int menuKind, Applet *applet, bool inMdiArea, QAction *before = nullptr);
    void setConnectedUi(int state);
    void setPortList(const QStringList &ports);
    // The port list's text (a listed port or a typed name), outer blanks removed.
    QString portName() const;
    // Shows the port in use: selects it in the list, or puts it in the edit field.
    void setPortName(const QString &name);
    unsigned int connectionSpeed() const;
    bool isLogChecked() const;
    // The firmware line: rich text of the program's own making (and its tool tip), so any text
    // from outside in it is escaped by the caller.
    void setStatusText(const QString &text);
    QString statusText() const;
    void addStatusWidget(QWidget *widget);
    QWidget *activeSubWindowWidget() const;
    // The window's size at which the tool-window area shows every tool window whole where it
    // opens.
    QSize sizeShowingToolWindows();

    MdiArea *mdiArea() const { return m_mdiArea; }
    QPushButton *connectButton() const { return m_pbConnect; }
    QPushButton *rescanButton() const { return m_pbRescan; }
    QComboBox *portList() const { return m_portList; }
    QComboBox *speedList() const { return m_speedList; }
    QCheckBox *logSwitch() const { return m_cbLog; }
    QToolButton *specButton() const { return m_specButton; }
    QPushButton *restoreButton() const { return m_pbRestore; }
    // The bar over the connection bar that shows the log's errors.
    ErrorBar *errorBar() const { return m_errorBar; }
    QLabel *streamLabel() const { return m_streamLabel; }
    QLabel *statusLabel() const { return m_statusLabel; }
    CustomControls::MySwitch *connectionLamp() const { return m_connectionLamp; }
    CustomControls::MySwitch *receiveLamp() const { return m_rxLamp; }
    CustomControls::MySwitch *transmitLamp() const { return m_txLamp; }
    QAction *firmwareAction() const { return m_firmwareAction; }
    QMenu *configMenu() const { return m_configMenu; }
    QMenu *projectMenu() const { return m_projectMenu; }
    QMenu *serviceMenu() const { return m_serviceMenu; }
    QMenu *contextMenu() const { return m_contextMenu; }
    // The open "Connect board before window open." box, or null.
    QMessageBox *infoBox() const { return m_infoBox; }
    // Ctrl+digit presses handled so far (each press once).
    int shortcutPresses() const { return m_shortcutPresses; }

public slots:
    void slot_ActivityRx_LED();
    void slot_ActivityTx_LED();
    void slot_Connection_LED(bool on);
    void slot_stream(bool on);
    void slot_SaveConfig();
    void slot_LoadConfig();
    void slot_LoadConfigName();
    void slot_supress_led();
    QMenu *getMenuApp();

private slots:
    void slot_RestorePreviousWorkspace();
    void slot_pbConnectBoard_click();
    void slot_Rescan();
    void slot_AboutApp();
    void slot_UpdateBenchSoftware();
    void slot_UpdateFirmware();
    void slot_CloseAll();
    void slot_CloseAllButActive();
    void slot_Spec();
    void slot_Path();
    void slot_cbLogComm_toggled(bool on);
    void slot_UpdateConfigBenchList();
    void slot_ChangeConenctionSpeed();
    void slot_LogOn(bool on);
    void showLogWindow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Tab goes through the active tool window, the docked log and the connection bar in
    // reading order (ReadingOrder).
    bool focusNextPrevChild(bool next) override;
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void createMenus();
    void createConnectionBar();
    QWidget *createFoot(QStatusBar *status);
    void nameUnlabelledControls();
    CustomControls::MySwitch *createLamp(QWidget *parent, bool numbered);
    static void setLamp(CustomControls::MySwitch *lamp, int state);
    bool isNewKeyPress(QObject *receiver, const QEvent *event);
    void openAppletByShortcut(int key);
    void showConnectFirstBox();

    QTimer m_lampTimer;
    QMenu *m_contextMenu = nullptr;
    MdiArea *m_mdiArea = nullptr;
    QMenu *m_projectMenu = nullptr;
    QMenu *m_configMenu = nullptr;
    QMenu *m_appMenu = nullptr;
    QMenu *m_serviceMenu = nullptr;
    QAction *m_firmwareAction = nullptr;
    QAction *m_updaterAction = nullptr;
    QAction *m_specAction = nullptr;
    QAction *m_fileAction = nullptr;
    QWidget *m_bar = nullptr; // the connection bar, in the status bar
    ErrorBar *m_errorBar = nullptr; // over the connection bar
    QLabel *m_streamLabel = nullptr;
    QCheckBox *m_cbLog = nullptr;
    QPushButton *m_pbConnect = nullptr;
    QPushButton *m_pbRescan = nullptr;
    QToolButton *m_specButton = nullptr;
    QPushButton *m_pbRestore = nullptr;
    QComboBox *m_portList = nullptr;
    QComboBox *m_speedList = nullptr;
    QLabel *m_statusLabel = nullptr;
    CustomControls::MySwitch *m_connectionLamp = nullptr;
    CustomControls::MySwitch *m_rxLamp = nullptr;
    CustomControls::MySwitch *m_txLamp = nullptr;
    QList<QAction *> m_benchActions;

    QString m_textBeforeStream;
    int m_lampBeforeStream = LampOff;
    int m_lampTicks = 0;

    // The Ctrl+digit press last seen and the object it was last seen at: a press reaches the
    // filter once per object it passes on its way up.
    const QEvent *m_lastKeyEvent = nullptr;
    QPointer<QObject> m_lastKeyReceiver;
    int m_shortcutPresses = 0;
    QPointer<QMessageBox> m_infoBox;
};
