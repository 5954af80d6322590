#pragma once

#include "appletfactory.h"
#include "applethost.h"
#include "applettable.h"
#include "linkhost.h"
#include "loghost.h"
#include "logs.h"
#include "optionstable.h"
#include "portprobe.h"
#include "programfiles.h"
#include "requesthandler.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>

class Applet;
class Bootloader;
class ControlBoard;
class DialogProgressBar;
class LocalServer;
class MainWindow;
class PortScan;
class PortWatch;
class PythonRunner;
class WarmUp;
class WindowTitles;

// The program's one application object. It starts and stops the program, owns the pipe
// server, the main window, the applets (a table in creation order, the log applet first), the
// link and the options, finds applets by name or shortcut and answers the name-based set, get
// and run requests ("Applet.ITEM"; other names are built-in items and commands).
//
// It is the pipe server's request handler, the link's host (options and the firmware-update
// window), the applets' host and the log's.
class MainApp : public QObject,
                public RequestHandler,
                public LinkHost,
                public AppletHost,
                public LogHost
{
    Q_OBJECT

public:
    // The tool applets' factories (see appletfactory.h).
    using AppletFactory = ::AppletFactory;
    template <typename T> static AppletFactory appletFactory() { return ::appletFactory<T>(); }

    // findApplet modes.
    enum FindMode {
        ByName = AppletTable::ByName,
        ByShortcut = AppletTable::ByShortcut,
        First = AppletTable::First
    };

    static const char *const ProjectName; // "KVL52110"
    static const char *const VersionText; // the text of get "version"
    static constexpr int OutsideKey = 0x6D2B0E28;
    // How often an end the system asked for looks again whether the requests and the command it
    // waits for are done.
    static constexpr int QuitRetryMs = 100;

    static MainApp *instance();
    // Applies the style sheet of the resource ":/stylesheet/stylesheet" to the application, and
    // the grey text of disabled buttons, fields and labels to its palette; a missing resource
    // leaves the default style.
    static void applyStyleSheet();

    // The tool applets, in table order; set before init(). Those of factories made whenNeeded()
    // are built when first needed (see AppletTable), or while the program waits (warmUp).
    void setAppletFactories(const QList<AppletFactory> &factories);
    // The project types, the first the default.
    static const QStringList ProjectTypes; // "TO3/TO4", "TO1/TO2"
    // Before init(): the project type to take without asking (empty: ask).
    void setProjectTypeChoice(const QString &type);
    // Before init(): the name of the command socket (ProjectName unless given). Another name
    // shows in the title of every window (WindowTitles) and keeps the options, window state and
    // day logs apart (ProgramFiles). A name a person chooses at the start, in place of one that
    // another program serves, acts the same.
    void setServerName(const QString &name);
    // Before init(): nobody can answer (a platform that cannot show a window). Every prompt of
    // the run then takes its default answer or informs without waiting (Prompt::setUnattended),
    // and each is noted on standard error as well as in the log.
    void setUnattended(bool on);
    // Whether windows shown on the running platform can be seen (not "offscreen" or "minimal").
    static bool platformShowsWindows();

    // Start-up: pipe server, main window (shown at once), applets, link. False ends the program
    // (exit code 1, with the reason on standard error).
    bool init();
    // Options, applets into the main window and its menus; the port list fills in once
    // the probe of the serial ports (started here, on a thread of its own) is done.
    void start();
    // Disconnect, save options, delete the applets and the link. Runs once; later calls do
    // nothing.
    void shutdown();
    // init, start, the event loop and shutdown: the program's entry after the application
    // object exists. Returns the exit code.
    int exec();
    // After start(): while the program waits (no request waits or runs, no command holds the
    // requests, no modal window is open), builds the tool windows not built yet and polishes
    // the hidden ones, one at a time, so that neither a connection nor a first show waits for
    // that. exec() starts it.
    void warmUp();
    // The warm-up has nothing left to do.
    bool isWarmedUp() const;

    // ---- applets ----
    // The applet found is built first where it waits to be.
    Applet *findApplet(const QVariant &key, int mode) const;
    Logs *logs() const override { return m_logs; }
    int appletCount() const override { return m_table.count(); }
    // start() is done: the applets built at the start are in the main window.
    bool isStarted() const { return m_started; }
    // Table entry i, built first where it waits to be; or null.
    Applet *applet(int index) const override { return m_table.at(index); }
    // Table entry i if it is built, otherwise null.
    Applet *builtApplet(int index) const { return m_table.built(index); }
    // The text chosen at start: "TO3/TO4" or "TO1/TO2".
    QString projectType() const override { return m_projectType; }

    // ---- owned objects ----
    ControlBoard *controlBoard() const override { return m_controlBoard; }
    LocalServer *localServer() const { return m_localServer; }
    MainWindow *mainWindow() const { return m_mainWindow; }
    // The firmware-update window, or null before the first "Update Firmware".
    Bootloader *bootloader() const { return m_bootloader; }
    // Shows a notice that nobody waits for in the main window's bar; false without the bar.
    bool showNotice(const QString &text);

    // ---- link ----
    bool isConnected() const;
    void setLogComm(bool on);
    bool isLogComm() const override;
    bool connectBoard(const QString &port);
    void disconnectBoard();
    // Sends a line as a person or script wrote it (the log window's console, "run write") and
    // tells every applet (Applet::onRawLine); false when it was not sent or not answered.
    bool sendRawLine(const QByteArray &line, QByteArray *answer) override;
    // Starts the port probe; the list fills in when it is done. One asked for while another
    // runs follows it.
    bool rescanPorts();
    // The probe behind rescanPorts, which lists the ports that a board answers on; tests
    // install a slow one. Runs on a thread of its own.
    void setPortProbe(const std::function<QStringList()> &probe);
    // Where the serial devices are listed and watched; set before init().
    void setPortPaths(const PortPaths &paths);
    void disconnectApplets();
    void closeAll();
    void closeAllButActive();
    // Opens the one firmware-update window, created on first use (also the link's offer).
    void updateFirmware() override;
    // Runs the interpreter of "python_path" on a script with one text argument; always true.
    bool runPython(const QString &script, const QByteArray &text, QByteArray *output);

    // ---- options ----
    QVariant option(const QString &key);
    void setOption(const QString &key, const QVariant &value);
    void setDefaultOptions();
    const QHash<QString, QVariant> &options() const { return m_options.values(); }

    // ---- option, workspace and state files ----
    // Where the shipped data is read and the options, window state and logs are written.
    const ProgramFiles &programFiles() const override { return m_programFiles; }
    void setProgramFiles(const ProgramFiles &files) { m_programFiles = files; }
    // True when the options were read (a missing file reads as the defaults).
    bool loadOptions();
    // The whole table, written atomically; also at the start once read and at each change
    // while the program runs (setOption), so the options on disk are the last ones whatever
    // ends the program.
    void saveOptions();
    void loadWorkspace(const QString &fileName);
    void saveWorkspace();
    void saveState();
    void restoreState();
    // A file of the program's that could not be written (why: the reason): an error in the log
    // and a line on standard error. An end while a file stays so exits with status 1.
    void fileNotWritten(const QString &path, const QString &why) override;
    // The file was written (again): a failure told before is over, and the log says so.
    void fileWritten(const QString &path) override;
    void updateSoftware();
    void openSpec();
    // "File": forgets the datasheet path and asks for another one.
    void chooseSpec();

    // ---- AppletHost ----
    QString dataPath(const QString &relative) const override;
    QString chosenPort() const override;
    std::shared_ptr<void> requestHold() override;

    // ---- LogHost: the main window's places for the log ----
    QWidget *logParent() const override;
    void addStatusWidget(QWidget *widget) override;
    ErrorBar *errorBar() const override;

    // ---- RequestHandler and LinkHost ----
    void addLog(int level, const QString &text) override;
    bool ignoreVersion() const override;
    // A person's command that sends keeps the requests waiting until it ends.
    void commandSending() override;
    // Told by the system to end (SIGTERM, SIGINT, SIGHUP), or closed by a person while a modal
    // window blocks the main window: the program takes no new request and ends as its Close
    // does once the requests accepted are answered.
    void quitAsClosed();
    // The main window's Close: true when it may close now, as the end of the program; otherwise
    // the program ends so once the requests it accepted are answered and a command that keeps
    // them waiting is done (saying so, in the log and the status bar).
    bool closeNow();
    // A session manager asks the program to save (a checkpoint, or a logout before the session
    // ends): the options and, while connected, the window state are saved at once, before the
    // display may go. The program runs on: the session's end comes as a request to quit, which
    // closes the main window, and so ends the program as its Close does.
    void commitData();

public slots:
    bool set(const QString &name, QVariant &value) override;
    bool get(const QString &name, QVariant *result) override;
    bool run(const QString &command, QVariant &args, QVariant *result) override;
    void slot_disconnected();
    void slot_connected();
    void slot_portsProbed(const QStringList &ports);
    // A serial device came or went: the list is probed again, once disconnected.
    void slot_portsChanged();

signals:
    void signal_log(int level, const QString &text);
    // The main window has been shown and painted; the applets are built after it.
    void signal_mainWindowShown();

private:
    MainApp();

    void createStartupWindow();
    void showProgress(const QString &text, int value);
    void advanceProgress(int step);
    void placeMainWindow();
    void showMainWindow();
    void askProjectType();
    void installPromptNotes();
    bool setupApplets();
    void createControlBoard();
    void holdRequests(bool hold);
    bool waitsForUser() const;
    void quitWhenAnswered();
    void closeWhenAnswered();
    bool requestsAnswered();
    void warnUnknown(const QString &request, const QString &what);
    void checkItem(Applet *applet, const QString &verb, const QStringList &parts);
    void getInternal(const QString &name, QVariant *result);
    bool runInternal(const QString &command, const QVariant &args, QVariant *result);
    bool openPort(const QVariant &args);
    Applet *appletOfName(const QString &verb, const QStringList &parts, QString *why);
    void logRefusal(const QString &request, const QString &why);
    QString firmwareStatusText() const;
    void flushReplies();
    void rescanIfWanted();
    void tellFiles();
    void tell(int level, const QString &text);
    void tellFilesNotKept();

    ControlBoard *m_controlBoard = nullptr;
    Bootloader *m_bootloader = nullptr;
    LocalServer *m_localServer = nullptr;
    OptionsTable m_options;
    ProgramFiles m_programFiles = ProgramFiles::ofThisProcess();
    MainWindow *m_mainWindow = nullptr;
    QString m_projectType;
    QString m_projectTypeChoice;
    bool m_unattended = false;
    QHash<QString, QString> m_unwritten; // each file whose last write failed, with why
    QString m_serverName = QString::fromLatin1(ProjectName);
    QString m_startFailure;   // why init() failed, one sentence
    QString m_connectionText; // the status text the last connection showed
    QString m_logoRefusal;    // why the logo file of the working directory was passed over

    QList<AppletFactory> m_factories;
    // Applets are built when first asked for, also through the const lookups.
    mutable AppletTable m_table;
    Logs *m_logs = nullptr;
    QPointer<DialogProgressBar> m_startupWindow;
    PythonRunner *m_pythonRunner = nullptr;
    PortScan *m_portScan = nullptr;
    std::function<QStringList()> m_portProbe;
    PortPaths m_portPaths;
    PortWatch *m_portWatch = nullptr;
    WindowTitles *m_windowTitles = nullptr;
    WarmUp *m_warmUp = nullptr;
    bool m_rescanWanted = false;
    bool m_started = false;
    bool m_shutDown = false;
    bool m_quitAtStart = false; // told to end before the start was done
    bool m_closeWaits = false;  // the end waits for requests or a command: a retry is due
    bool m_closeWaitSaid = false;
};
