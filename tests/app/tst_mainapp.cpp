// The whole shell with two tool applets on a laptop-sized screen: the start, the main window
// and its connection bar, name dispatch disconnected, "Restore last", the "Log" switch and the
// workspace menu. The functions run in order on one MainApp. (Connected: tst_shellconnection. A script's requests beside a person's
// commands, and the end of the program: tst_heldrequests.)
#include "tst_toolshellfixture.h"

#include "application.h"
#include "appletscroll.h"
#include "controlboard.h"
#include "dialogprogressbar.h"
#include "htmllistbox.h"
#include "localserver.h"
#include "logs.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "mdiarea.h"
#include "myswitch.h"
#include "optionsfile.h"
#include "screenconfig.h"
#include "tablerows.h"
#include "testfiles.h"
#include "windowplacement.h"
#include "windowstate.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>

#include <QSemaphore>

static const QString NotConnected =
    QStringLiteral("no board is connected (the tool windows take requests once one is)");

static QString actionTexts(const QWidget *owner)
{
    QStringList texts;
    for (const QAction *a : owner->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts.join("|");
}

static QImage image(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

// Counts the window-state changes of the widgets it filters.
class StateChangeCounter : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        changes += event->type() == QEvent::WindowStateChange;
        return false;
    }
    int changes = 0;
};

class TestMainApp : public ToolShellTest
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), SmallScreen);
        QVERIFY(TestFiles::write("bench1.bench", "ToolB\n{\nSA:7\n}\n"));
        app = MainApp::instance();
        // Each tool notes what the start-up window shows while it is set up.
        const auto tool = [this](const QString &name, QWidget *parent) -> Applet * {
            auto *applet = new ToolApplet(name, parent);
            applet->whileInit = [this]() {
                startupAtInit << startupTexts();
                startupProgress << startupValue();
            };
            return applet;
        };
        app->setAppletFactories({[tool](QWidget *parent) { return tool("ToolA", parent); },
                                 [tool](QWidget *parent) { return tool("ToolB", parent); }});
        prompt.itemAnswer = 1;       // "TO1/TO2"
        prompt.itemAccepted = false; // the answer does not matter, the choice does
        // A client asks while the program is still starting: its request waits for start().
        prompt.onItem = [this]() {
            earlyClient = std::make_unique<PipeClient>();
            QVERIFY(earlyClient->send("get\tversion\n"));
            earlyClient->waitClosed(500);
            replyDuringInit = earlyClient->received;
            // The start-up window shows its text and the program's own picture (no logo file
            // here).
            // The main window is shown and painted before the applets are built, under the
            // start-up window.
            const QWidget *main = app->mainWindow();
            windowAtQuestion = {main && main->isVisible() && main->windowHandle()->isExposed(),
                                app->appletCount(), windowShownSignals};
            startupWindow = startupTexts();
        };
        // The port probe waits until portListAfterTheProbe lets it go.
        app->setPortProbe([this]() {
            probeMayEnd.acquire(); // a gate: once open, it stays so
            probeMayEnd.release();
            return QStringList{"/dev/ttyFAKE0", "mockup", "script"};
        });
        connect(app, &MainApp::signal_mainWindowShown, this, [this]() { ++windowShownSignals; });
        QVERIFY(app->init());
        window()->installEventFilter(&stateChanges);
        app->start();
        window()->removeEventFilter(&stateChanges);
        QVERIFY(QTest::qWaitForWindowExposed(app->mainWindow()));
    }

    // The first probe of the ports holds until portListAfterTheProbe lets it go; run without
    // that function, it goes at once.
    void init()
    {
        if (QTest::currentTestFunction() != QLatin1String("portListAfterTheProbe"))
            letProbeEnd();
    }

    // The window is shown while the probe of the serial ports still runs; the port list fills
    // in when it is done.
    void portListAfterTheProbe()
    {
        QVERIFY(window()->isVisible());
        QVERIFY(!window()->getMenuApp()->isEnabled() && !window()->firmwareAction()->isEnabled());
        QCOMPARE(window()->portList()->count(), 0);
        QCOMPARE(window()->statusText(), QString("Initializing channel connection..."));
        letProbeEnd();
        QTRY_COMPARE_WITH_TIMEOUT(window()->portList()->count(), 3, 30000);
        QCOMPARE(window()->portList()->itemText(0), QString("/dev/ttyFAKE0"));
        QCOMPARE(window()->statusText(), QString());
    }

    void startBuildsTheTable()
    {
        QCOMPARE(prompt.itemQuestions, QStringList{"Project type|TO3/TO4,TO1/TO2|0"});
        QCOMPARE(app->projectType(), QString("TO1/TO2"));
        QVERIFY(startupWindow.contains("logo") && startupWindow.contains("Initializing ..."));
        QCOMPARE(startupAtInit, (QStringList{"ToolA", "logo", "ToolB", "logo"}));
        QVERIFY2(startupProgress.size() == 2 && 20 <= startupProgress.first() &&
                     startupProgress.first() < startupProgress.last(),
                 qPrintable(QString::number(startupProgress.last()))); // its bar advances
        // Shown once, before the question; only the log applet was built by then.
        QCOMPARE(windowAtQuestion, (WindowAtQuestion{true, 1, 1}));
        QCOMPARE(windowShownSignals, 1);
        QCOMPARE(app->appletCount(), 3);
        QCOMPARE(app->applet(0), static_cast<Applet *>(app->logs()));
        QCOMPARE(app->logs()->containerKind(), int(Applet::DockContainer));
        auto *dock = qobject_cast<QDockWidget *>(app->logs()->container()); // at the right
        QVERIFY(dock && window()->dockWidgetArea(dock) == Qt::RightDockWidgetArea);
        QVERIFY(window()->projectMenu()->actions().contains(app->logs()->action()));
        QVERIFY(window()->getMenuApp()->actions().contains(tool(2)->action()));
        QCOMPARE(tool(1)->initCalls, 1);
        QCOMPARE(RequestHandler::instance(), static_cast<RequestHandler *>(app));
        QVERIFY(app->isStarted());
        QCOMPARE(image(QApplication::windowIcon().pixmap(32)),
                 image(QIcon(":/icon/program").pixmap(32))); // the program's own
        QCOMPARE(QApplication::font().family(), QString("MS Shell Dlg 2"));
        // Without an options file, the defaults, on disk from the start.
        QCOMPARE(app->option("comm_timeout").toString() + app->option("python_path").toString(),
                 QString("50python3"));
        QVERIFY(TestFiles::read(OptionsFile::DefaultFileName).contains("comm_timeout=50\n"));
        QCOMPARE(replyDuringInit, QByteArray()); // nothing answered while starting
        QVERIFY(earlyClient->waitClosed());
        QVERIFY(earlyClient->received.contains(MainApp::VersionText));
        const int errors = app->logs()->errors(); // errors of the program and its applets
        emit app->signal_log(-1, "one error");
        emit tool(1)->signal_log(-1, "applet error");
        QCOMPARE(app->logs()->errors(), errors + 2);
    }

    // Each tool applet is built inside the sub-window it lives in, which the start places in
    // the tool-window area as it is; a hidden tool window is polished when first shown. The
    // area's size hint looks at its shown sub-windows only.
    void toolWindowsStayWhereBuilt()
    {
        for (int i : {1, 2}) {
            auto *sub = qobject_cast<QMdiSubWindow *>(tool(i)->container());
            QVERIFY(sub && tool(i)->builtIn == sub && AppletScroll::appletOf(sub) == tool(i));
            QVERIFY(window()->mdiArea()->subWindowList().contains(sub));
            QVERIFY(!tool(i)->testAttribute(Qt::WA_WState_Polished));
        }
        MdiArea area;
        QMdiSubWindow *big = area.addSubWindow(new QWidget);
        big->widget()->setMinimumSize(4000, 3000);
        big->hide();
        const QSize hint = area.sizeHint();
        QVERIFY(hint.width() < 4000);
        big->show();
        QVERIFY(area.sizeHint().width() >= 4000 && area.sizeHint().height() >= 3000);
        big->hide();
        QCOMPARE(area.sizeHint(), hint);
    }

    // A tool window's place within the visible area: one that fits stays; one beyond an edge
    // moves in; one larger than the area is cut to it, no smaller than its minimum.
    void windowWithinArea()
    {
        const QRect area(0, 0, 1000, 700);
        const QList<std::tuple<QRect, QSize, QRect>> cases = {
            {QRect(10, 20, 300, 200), QSize(), QRect(10, 20, 300, 200)},
            {QRect(0, 0, 1000, 700), QSize(), QRect(0, 0, 1000, 700)},
            {QRect(900, 650, 300, 200), QSize(), QRect(700, 500, 300, 200)},
            {QRect(-50, -5, 300, 200), QSize(), QRect(0, 0, 300, 200)},
            {QRect(100, 100, 1415, 1008), QSize(), QRect(0, 0, 1000, 700)},
            {QRect(100, 100, 601, 785), QSize(601, 0), QRect(100, 0, 601, 700)},
            {QRect(500, 100, 1200, 300), QSize(1200, 300), QRect(0, 100, 1200, 300)}};
        for (const auto &[window, minimum, placed] : cases)
            QCOMPARE(WindowPlacement::within(area, window, minimum), placed);
    }

    // The placement helpers (the frame cut to the area, then placed centred or at the edge
    // where it is cut); the main window maximized on a screen smaller than its frame, with its
    // menus and its lamps (activity lamps go out by themselves; the connection lamp shows the
    // stream).
    void mainWindow()
    {
        const QList<QPair<QRect, QRect>> placements = {
            // available, placed for 1445 x 1000
            {QRect(0, 0, 1920, 1080), QRect(237, 40, 1445, 1000)},
            {QRect(1920, 30, 2560, 1410), QRect(2477, 235, 1445, 1000)},
            {QRect(0, 24, 1600, 900), QRect(77, 24, 1445, 900)},
            {QRect(10, 0, 1280, 1200), QRect(10, 100, 1280, 1000)}};
        for (const auto &[available, placed] : placements) {
            const QSize size = WindowPlacement::frameSize(available, QSize(1445, 1000));
            QCOMPARE(QRect(WindowPlacement::frameTopLeft(available, size), size), placed);
        }
        // The preferred frame does not fit this screen: the window is maximized.
        QVERIFY(window()->isMaximized());
        QCOMPARE(window()->frameGeometry(), SmallScreen);
        QVERIFY(SmallScreen.contains(window()->normalGeometry())); // for un-maximizing
        QCOMPARE(stateChanges.changes, 0); // maximized by init(), it stays so through start()
        // The connection bar's widgets stand side by side in the status bar.
        QVERIFY(window()->connectButton()->geometry().right() <
                window()->portList()->geometry().left());
        // Its small controls share the lamps' height; the rescan button is square.
        const int height = window()->connectionLamp()->height();
        for (QWidget *w : {static_cast<QWidget *>(window()->portList()),
                           static_cast<QWidget *>(window()->rescanButton()),
                           static_cast<QWidget *>(window()->speedList())})
            QCOMPARE(w->height(), height);
        QCOMPARE(window()->rescanButton()->width(), height);
        QVERIFY(window()->statusLabel()->width() >= 250); // room for a firmware text
        for (QWidget *w : {static_cast<QWidget *>(window()->connectButton()),
                           static_cast<QWidget *>(window()->restoreButton())})
            QCOMPARE(w->width(), w->sizeHint().width()); // the bar's free room stays at its end
        // The rescan and horn buttons show their pictures.
        for (const auto &[button, picture] :
             {std::pair<QPushButton *, QString>{window()->rescanButton(), ":/buttons/refresh"},
              {app->logs()->hornButton(), ":/buttons/horn"}})
            QCOMPARE(image(button->icon().pixmap(16)), image(QIcon(picture).pixmap(16)));
        // The log's horn and its last message stand in the status bar.
        for (QWidget *w : {static_cast<QWidget *>(app->logs()->hornButton()),
                           static_cast<QWidget *>(app->logs()->statusLabel())})
            QVERIFY(window()->statusBar()->isAncestorOf(w) && w->isVisible());

        QVERIFY(window()->windowTitle().startsWith("velmora Lumigrid << KVL52110 >> "));
        QCOMPARE(actionTexts(window()->menuBar()),
                 QString("&Service|&Application|&Project|&Config"));
        QCOMPARE(actionTexts(window()->serviceMenu()),
                 QString("About|Update Software|Update Firmware|Spec Open"));
        QCOMPARE(actionTexts(window()->configMenu()),
                 QString("&Save config|&Load config|-|bench1"));
        const int shown = int(prompt.messages().size());
        window()->serviceMenu()->actions().value(0)->trigger();
        QCOMPARE(prompt.messages().value(shown).title, QString("About"));
        QVERIFY(prompt.messages().value(shown).text.contains("<h2>KVL52110</h2>"));
        // Update Software looks for the updater, which is not here: a warning says so.
        QVERIFY(!QFile::exists(app->option("updater_path").toString()));
        window()->serviceMenu()->actions().value(1)->trigger();
        QCOMPARE(prompt.messages().size(), shown + 2);
        QCOMPARE(prompt.messages().last().title, QString("KVL52110"));

        MainWindow *w = window();
        QCOMPARE(w->specButton()->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
        QCOMPARE(actionTexts(w->specButton()), QString("Spec Open|File"));
        // The button opens the datasheet, asking for one while none is kept; its menu chooses
        // one.
        const qsizetype dialogs = prompt.fileDialogs().size();
        w->specButton()->click();
        w->specButton()->actions().last()->trigger();
        QCOMPARE(prompt.fileDialogs().size(), dialogs + 2);
        for (auto *lamp : {w->connectionLamp(), w->receiveLamp(), w->transmitLamp()})
            QVERIFY(lamp->isReadOnly());
        // Only the connection lamp is numbered.
        QCOMPARE(w->connectionLamp()->states().value(1).name +
                     w->receiveLamp()->states().value(1).name +
                     w->transmitLamp()->states().value(1).name,
                 QString("2"));
        // A lamp reads as what it shows and its state.
        const auto lampsRead = [w]() {
            QStringList names;
            for (auto *lamp : {w->connectionLamp(), w->receiveLamp(), w->transmitLamp()})
                names << QAccessible::queryAccessibleInterface(lamp)->text(QAccessible::Name);
            return names.join('|');
        };
        w->slot_ActivityTx_LED();
        w->slot_ActivityRx_LED();
        QCOMPARE(w->transmitLamp()->currentState() + w->receiveLamp()->currentState(), 2);
        QCOMPARE(lampsRead().section('|', 1), QString("Receive: active|Send: active"));
        QTRY_COMPARE_WITH_TIMEOUT(
            w->transmitLamp()->currentState() + w->receiveLamp()->currentState(), 0, 30000);
        QCOMPARE(lampsRead().section('|', 1), QString("Receive: idle|Send: idle"));
        w->slot_Connection_LED(true);
        emit app->controlBoard()->signal_stream(true); // the link's stream shows in the bar
        QCOMPARE(w->streamLabel()->text(), QString("Stream..."));
        QCOMPARE(w->connectionLamp()->currentState(), 2);
        QVERIFY(lampsRead().startsWith("Connection: streaming|"));
        emit app->controlBoard()->signal_stream(false);
        QCOMPARE(w->streamLabel()->text(), QString("Connection"));
        QCOMPARE(w->connectionLamp()->currentState(), 1);
        QVERIFY(lampsRead().startsWith("Connection: on|"));
        w->slot_Connection_LED(false);
        QCOMPARE(w->connectionLamp()->currentState(), 0);
        QVERIFY(lampsRead().startsWith("Connection: off|"));
    }

    // Ctrl+digit while disconnected shows one non-modal notice; the press is counted once on
    // its way up through the widgets.
    void ctrlDigitWhileDisconnected()
    {
        activate(1);
        QWidget *edit = tool(1)->leSa;
        const int before = window()->shortcutPresses();
        QTest::keyClick(edit, Qt::Key_3, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_5, Qt::ControlModifier | Qt::ShiftModifier);
        for (Qt::KeyboardModifier other : {Qt::NoModifier, Qt::AltModifier})
            QTest::keyClick(edit, Qt::Key_3, other);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_9, Qt::ControlModifier);
        QCOMPARE(window()->shortcutPresses(), before + 3);
        edit->setFocus(); // a press the window system gives the window goes on to the focus
        QTest::keyClick(window()->windowHandle(), Qt::Key_3, Qt::ControlModifier);
        QCOMPARE(window()->shortcutPresses(), before + 4);
        QMessageBox *box = window()->infoBox();
        QVERIFY(box && box->isVisible() && !box->isModal());
        QCOMPARE(box->text(), QString("Connect board before window open."));
        box->close();
        QTRY_VERIFY_WITH_TIMEOUT(!window()->infoBox(), 30000);
    }

    // Requests by name while disconnected: items of applets fail with a red log line, the
    // program's own names answer without one. logged: empty when it succeeds.
    void dispatchWhileDisconnected_data()
    {
        const QVariant untouched("untouched"), version(MainApp::VersionText);
        addRows<QString, QString, QVariant, QString>(
            {"verb", "name", "expected", "logged"},
            {{"set", "ToolA.SA", untouched, "Error SET:ToolA.SA: " + NotConnected},
             {"set", "Nope.SA", untouched, "Error SET:Nope.SA: no applet is named \"Nope\""},
             {"get", "ToolA.SA", untouched, "Error GET ToolA.SA: " + NotConnected},
             {"get", ".SA", untouched, "Error GET .SA: no applet is named \"\""},
             {"run", "ToolB.Cmd", untouched, "Error RUN:ToolB.Cmd: " + NotConnected},
             {"get", "VERSION", version, ""},
             {"run", "write", untouched, "Error RUN:write: no board is connected"},
             {"get", "ToolA.SA.x", untouched, ""}});
    }

    void dispatchWhileDisconnected()
    {
        QFETCH(QString, verb);
        QFETCH(QString, name);
        QFETCH(QVariant, expected);
        QFETCH(QString, logged);
        const int errors = app->logs()->errors();
        QVariant result("untouched"), args = logged.isEmpty() ? QVariant("get X") : QVariant(7);
        const bool ok = verb == "set"   ? app->set(name, args)
                        : verb == "get" ? app->get(name, &result)
                                        : app->run(name, args, &result);
        QCOMPARE(ok, logged.isEmpty());
        QCOMPARE(result, expected);
        QCOMPARE(app->logs()->errors(), errors + (logged.isEmpty() ? 0 : 1));
        const QString line = lastLogLine();
        if (!logged.isEmpty())
            QVERIFY2(line.startsWith("C(-1) [") &&
                         line.contains(QString("<font color=\"red\"> %1</font>").arg(logged)),
                     qPrintable(line));
        QCOMPARE(tool(1)->sa.value(), 1.0);
        QVERIFY(tool(2)->commands.isEmpty());
    }

    // "Restore last" only warns while disconnected and refuses the damaged state file found
    // in use with one warning; "Log" switches communication logging in the link and the pipe
    // server and shows the log window.
    void restoreLastAndLogSwitch()
    {
        const int shown = int(prompt.messages().size());
        window()->restoreButton()->click();
        QCOMPARE(prompt.messages().value(shown).text, QString("Board is not connected"));
        QVERIFY(app->connectBoard("mockup"));
        tool(1)->container()->setGeometry(40, 50, 320, 240);
        QVERIFY(TestFiles::write(WindowState::FileName, "\nToolA,0,2147483647,10,10,1\n"));
        const int warnings = app->logs()->warnings();
        window()->restoreButton()->click();
        QCOMPARE(app->logs()->warnings(), warnings + 1);
        QCOMPARE(tool(1)->container()->geometry(), QRect(40, 50, 320, 240));
        app->disconnectBoard();

        QCheckBox *log = window()->logSwitch();
        log->setChecked(true);
        QVERIFY(app->isLogComm() && app->localServer()->logEnabled());
        QVERIFY(app->logs()->container()->isVisible());
        log->setChecked(false);
        QVERIFY(!app->isLogComm() && !app->localServer()->logEnabled());
        QVERIFY(!app->logs()->container()->isVisible());
    }

    // "&Save config" writes the chosen applets' blocks and lists the new file in "&Config";
    // its entry loads it back.
    void workspaceMenu()
    {
        configEntry("bench1")->trigger();
        QCOMPARE(tool(2)->sa.value(), 7.0);
        tool(1)->sa = 5; // as a request set it before
        prompt.queueChoices({"ToolA"});
        prompt.queueFile("bench2.bench");
        configEntry("&Save config")->trigger();
        QCOMPARE(prompt.choiceDialogs().last(), QString("Select windows save...|Logs,ToolA,ToolB"));
        QCOMPARE(TestFiles::read("bench2.bench"),
                 QByteArray("ToolA\n{\nBANK:0b00\nSA:5.000000\nLOCK:2.000000\n\n}\n"));
        QCOMPARE(actionTexts(window()->configMenu()), // each file listed once
                 QString("&Save config|&Load config|-|bench1|bench2"));
        prompt.queueChoices({"ToolB"});
        prompt.queueFile("bench2.bench"); // saved over: the list stays
        configEntry("&Save config")->trigger();
        QCOMPARE(actionTexts(window()->configMenu()),
                 QString("&Save config|&Load config|-|bench1|bench2"));
        QVERIFY(TestFiles::read("bench2.bench").startsWith("ToolB\n{\n"));
    }

    void cleanupTestCase()
    {
        letProbeEnd();
        app->shutdown();
    }

private:
    QAction *configEntry(const QString &text) const
    {
        for (QAction *action : window()->configMenu()->actions())
            if (action->text() == text)
                return action;
        return nullptr;
    }

    // The texts of the start-up window's labels, "logo" for the picture.
    static int startupValue()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *window = qobject_cast<DialogProgressBar *>(w); window && w->isVisible())
                return window->value();
        return -1;
    }
    static QStringList startupTexts()
    {
        const QImage logo = image(QPixmap(":/icon/logo"));
        QStringList texts;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            for (QLabel *label : w->findChildren<QLabel *>()) {
                if (qobject_cast<DialogProgressBar *>(w) && w->isVisible())
                    texts << (image(label->pixmap()) == logo ? "logo" : label->text());
            }
        }
        return texts;
    }

    void letProbeEnd() { probeMayEnd.release(); }

    QByteArray replyDuringInit = "unset";
    std::unique_ptr<PipeClient> earlyClient;
    QSemaphore probeMayEnd;
    QStringList startupWindow; // the texts of its labels, "logo" for the picture
    QStringList startupAtInit; // the same, as each tool was set up
    QList<int> startupProgress; // its bar, as each tool was set up
    struct WindowAtQuestion {
        bool shown = false;
        int applets = -1;
        int shownSignals = -1;
        bool operator==(const WindowAtQuestion &o) const
        {
            return shown == o.shown && applets == o.applets && shownSignals == o.shownSignals;
        }
    } windowAtQuestion;
    int windowShownSignals = 0;
    StateChangeCounter stateChanges; // the main window's, during start()
};

int main(int argc, char *argv[])
{
    return runToolShellTest<TestMainApp>(argc, argv);
}

#include "tst_mainapp.moc"
