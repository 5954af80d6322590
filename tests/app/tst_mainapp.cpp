// The whole shell with two tool applets on a laptop-sized screen: the start, the main window
// and its connection bar, name dispatch connected and not, the mock-up and a simulated board
// over a pseudo-terminal, the Ctrl+drag script and the workspace menu. The functions run in
// order on one MainApp. (A script's requests beside a person's commands, and the end of the
// program: tst_heldrequests.)
#include "tst_shellfixture.h"

#include "activeappletprovider.h"
#include "application.h"
#include "appletscroll.h"
#include "bootloader.h"
#include "controlboard.h"
#include "dialogprogressbar.h"
#include "errorbar.h"
#include "fakeboard.h"
#include "htmllistbox.h"
#include "localserver.h"
#include "logrecorder.h"
#include "logs.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "mdiarea.h"
#include "myswitch.h"
#include "optionsfile.h"
#include "screenconfig.h"
#include "scriptdragprovider.h"
#include "serialport.h"
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
#include <thread>

using CustomControls::ScriptDragProvider;

// The screen of this test: 1366 x 768, its area starting away from the origin.
static const QRect SmallScreen(100, 50, 1366, 768);
static const QString NotConnected =
    QStringLiteral("no board is connected (the tool windows take requests once one is)");
static const QString SimulationMark =
    QStringLiteral("<span style=\"background-color:#FF0000;\">!!! SIMULATION !!!</span>");

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

class TestMainApp : public QObject
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

    void dispatchWhileConnected()
    {
        const int informs = int(prompt.messages().size());
        QVariant port("mockup"), result;
        QVERIFY(app->run("OPEN", port, &result));
        QCOMPARE(result, QVariant(true));
        QCOMPARE(prompt.messages().size(), informs + 1); // the mock-up notice
        QCOMPARE(window()->statusText(), SimulationMark);
        QCOMPARE(window()->connectButton()->text(), QString("Disconnect"));
        QVERIFY(window()->getMenuApp()->isEnabled() && !window()->portList()->isEnabled());
        QVERIFY(!window()->rescanButton()->isEnabled());
        QCOMPARE(window()->connectionLamp()->currentState(), 1);
        QVERIFY(tool(1)->isOnline() && tool(2)->isOnline());
        QCOMPARE(tool(1)->connects, 1);
        QVERIFY(window()->firmwareAction()->isEnabled());

        QVariant five(5), two(2), text("nine"), args(QVariantList{1, "x"});
        QVERIFY(app->set("ToolA.SA", five));
        // Refused, each error naming why: read-only against outside requests, not a number, no
        // such field, no such item.
        QVERIFY(!app->set("ToolA.LOCK", two));
        QVERIFY(lastLogLine().contains("Error SET:ToolA.LOCK: LOCK is read-only<"));
        QVERIFY(!app->set("ToolA.SA", text));
        QVERIFY(lastLogLine().contains("Error SET:ToolA.SA: SA takes a number from 0 to 31<"));
        QVERIFY(!app->set("ToolA.BANK[SW9]", two));
        QVERIFY(lastLogLine().contains(
            "Error SET:ToolA.BANK[SW9]: BANK[SW9] names no field of its register<"));
        // A get of no value is refused, but it is no error: no red line, no count, no bar; the
        // warning that says why is listed, "Log" ticked or not.
        const int errors = app->logs()->errors();
        ErrorBar *bar = app->logs()->errorBar();
        bar->closeBar();
        QVERIFY(!app->get("ToolA.NOPE", &result));
        QVERIFY(lastLogLine().endsWith(
            "<font color=\"magenta\"> Request \"get ToolA.NOPE\": ToolA has no item NOPE</font>"));
        QCOMPARE(app->logs()->errors(), errors);
        QVERIFY(bar->isHidden());
        QCOMPARE(tool(1)->sa.value() + tool(1)->lock.value(), 7.0);
        QVERIFY(app->get("ToolA.SA", &result) && result.toDouble() == 5.0);
        QVERIFY(app->run("ToolB.Blink", args, &result));
        QCOMPARE(result, QVariant("done:Blink"));
        QCOMPARE(tool(2)->arguments, QVariantList{args});
    }

    // While connected, a name the applet does not have is still passed on, but the log warns
    // about it so a script's typo does not pass unseen.
    void unknownNamesWarnedWhileConnected()
    {
        QVERIFY(connected());
        const bool logComm = app->isLogComm();
        app->setLogComm(true); // warnings are listed while logging is on
        CustomControls::HtmlListBox *list = app->logs()->list();
        const int first = list->count();
        const int warnings = app->logs()->warnings(), errors = app->logs()->errors();
        QVariant one(1), result;
        app->set("ToolA.NOPE", one);
        app->get("ToolA.NOPE", &result);
        app->run("ToolB.NOPE", one, &result);
        QVERIFY(app->get("ToolA.SA", &result)); // a known item adds no warning
        QVariant text("logged");
        QVERIFY(app->run("Logs.log", text, &result)); // nor a known command
        QStringList warned;
        for (int row = first; row < list->count(); ++row) {
            const QString line = list->itemText(row);
            if (line.contains("Request \""))
                warned << line.section("Request ", 1).section("</font>", 0, 0);
        }
        app->setLogComm(logComm);
        QCOMPARE(warned, (QStringList{"\"set ToolA.NOPE\": ToolA has no item NOPE",
                                      "\"get ToolA.NOPE\": ToolA has no item NOPE",
                                      "\"run ToolB.NOPE\": ToolB has no command NOPE"}));
        QCOMPARE(app->logs()->warnings(), warnings + 3); // counted as warnings
        QCOMPARE(app->logs()->errors(), errors + 1);     // the set refused; the get no error
    }

    // While connected, Ctrl+digit opens and activates the tool window of that number, the
    // first one being Ctrl+0.
    void ctrlDigitOpensToolWhileConnected()
    {
        QVERIFY(connected());
        for (int i : {1, 2}) {
            tool(i)->hideWindow();
            QTest::keyClick(window()->windowHandle(), Qt::Key(Qt::Key_0 + i - 1),
                            Qt::ControlModifier);
            QVERIFY(tool(i)->container()->isVisible());
            QCOMPARE(window()->activeSubWindowWidget(), static_cast<QWidget *>(tool(i)));
        }
    }

    // The script-drag provider installed at start names the applet of the active tool window,
    // the one "Close All But Active" keeps.
    void activeToolWindow()
    {
        ScriptDragProvider *provider = ScriptDragProvider::provider();
        QVERIFY(dynamic_cast<ActiveAppletProvider *>(provider));
        activate(2);
        activate(1);
        QCOMPARE(provider->activeAppletName(), QString("ToolA"));
        QCOMPARE(provider->activeAppletWidget(), static_cast<QWidget *>(tool(1)));
        QAction *keepActive = window()->contextMenu()->actions().value(1);
        QCOMPARE(keepActive->text(), QString("Close All But Active"));
        keepActive->trigger();
        QVERIFY(tool(1)->container()->isVisible() && !tool(2)->container()->isVisible());
        window()->mdiArea()->setActiveSubWindow(nullptr);
        QCOMPARE(provider->activeAppletName(), QString());
    }

    // A user's disconnection hides the tool windows; the link dropping the line from its own
    // thread keeps them.
    void disconnections()
    {
        QVERIFY(connected());
        tool(1)->showWindow();
        app->logs()->showWindow();
        QVariant none, result;
        QVERIFY(app->run("close", none, &result));
        QVERIFY(!app->isConnected() && !tool(1)->isOnline());
        QVERIFY(!tool(1)->container()->isVisible() && !tool(1)->action()->isChecked());
        QVERIFY(app->logs()->container()->isVisible());
        QCOMPARE(window()->statusText(), QString());
        QCOMPARE(window()->connectButton()->text(), QString("Connect"));
        QVERIFY(!window()->getMenuApp()->isEnabled() && window()->portList()->isEnabled());
        QVERIFY(!window()->firmwareAction()->isEnabled() && window()->rescanButton()->isEnabled());
        QCOMPARE(window()->connectionLamp()->currentState(), 0);

        QVERIFY(app->connectBoard("mockup"));
        tool(2)->showWindow();
        ControlBoard *board = app->controlBoard();
        std::thread([board]() { board->disconnectBoard(ControlBoard::AfterErrors); }).join();
        QVERIFY(!app->isConnected());
        QTRY_VERIFY_WITH_TIMEOUT(!window()->connectButton()->isChecked(), 30000);
        QVERIFY(tool(2)->isOnline() && tool(2)->container()->isVisible());
        QAction *closeAll = window()->contextMenu()->actions().value(0);
        QCOMPARE(closeAll->text(), QString("Close All"));
        closeAll->trigger();
        QVERIFY(!tool(2)->container()->isVisible());
    }

    // A pseudo-terminal typed into the port list connects like a listed port and stays for the
    // next connection; the firmware text is shown whole, and is the label's tool tip too, while
    // connected.
    void typedPort()
    {
        FakeBoard board;
        QComboBox *ports = window()->portList();
        const int listed = ports->count();
        ports->lineEdit()->clear();
        QTest::keyClicks(ports->lineEdit(), " " + board.devicePath() + " ");
        QTest::keyClick(ports->lineEdit(), Qt::Key_Return);
        window()->connectButton()->click();
        QCOMPARE(ports->count(), listed); // a typed name does not join the list
        QCOMPARE(app->controlBoard()->portName(), board.devicePath());
        const QString text = QStringLiteral("FW P110: v     1044c from 26.08.2024 10:00");
        QCOMPARE(window()->statusText(), text);
        QCOMPARE(window()->statusLabel()->toolTip(), text);
        board.setValue("A", "6");
        board.setAnswerDelay(50); // "write" waits for the answer
        QVariant answer, command("get A");
        QVERIFY(app->run("write", command, &answer));
        QCOMPARE(answer.toByteArray(), QByteArray("A=6\n"));
        board.setAnswerDelay(0);
        board.takeLines();
        QVariant latin1(QString("get \u00e9"));
        QVERIFY(app->run("write", latin1, &answer));
        QCOMPARE(board.lines().value(0), QByteArray("get \xe9")); // text goes out as Latin-1
        window()->connectButton()->click();
        QVERIFY(!app->isConnected());
        QCOMPARE(window()->portName(), board.devicePath());
        QCOMPARE(window()->statusText(), QString()); // the line goes with its board

        // A port that does not open leaves the bar disconnected.
        ports->lineEdit()->clear();
        QTest::keyClicks(ports->lineEdit(), "/dev/no-such-port");
        window()->connectButton()->click();
        QVERIFY(!app->isConnected());
        QVERIFY(!window()->connectButton()->isChecked() && ports->isEnabled());
        QCOMPARE(window()->connectButton()->text(), QString("Connect"));

        // A listed port opened by a request is selected in the bar.
        const QString pipe = PipeClient::programPipe();
        QCOMPARE(PipeClient::exchange(pipe, "run\topen\tsmockup\n"), QByteArray("i1"));
        QCOMPARE(ports->currentIndex(), ports->findText("mockup"));
        QCOMPARE(PipeClient::exchange(pipe, "run\tclose\n"), QByteArray("i1"));
    }

    // An "open" that fails while connected (no such port, a port in use, no board answering)
    // leaves the connection as it was, bar and link. The connected port opened again without
    // its board answering ends the connection visibly; "write" then fails. Another board that
    // answers takes over, and the first one's port is let go.
    void failedOpenKeepsTheConnection()
    {
        const QString pipe = PipeClient::programPipe();
        const auto open = [&pipe](const QString &port) {
            return PipeClient::exchange(pipe, "run\topen\ts" + port.toUtf8() + "\n");
        };
        const auto connectedTo = [this](const QString &port) {
            return app->isConnected() && app->controlBoard()->portName() == port &&
                   window()->portName() == port && window()->connectButton()->isChecked() &&
                   window()->connectionLamp()->currentState() != 0 &&
                   window()->statusText().startsWith("FW P110");
        };
        FakeBoard board, busy, silent;
        board.setValue("A", "6");
        silent.setSilent(true);
        SerialPort holder;
        QVERIFY(holder.open_port(busy.devicePath(), ControlBoard::DefaultBaudrate));
        QCOMPARE(open(board.devicePath()), QByteArray("i1"));
        for (const QString &port :
             {QString("/dev/no-such-port"), busy.devicePath(), silent.devicePath()}) {
            QCOMPARE(open(port), QByteArray("i0"));
            QVERIFY2(connectedTo(board.devicePath()), qPrintable(port));
            QCOMPARE(PipeClient::exchange(pipe, "run\twrite\tsget A\n"),
                     "x" + QByteArray("A=6\n").toHex());
        }

        board.setSilent(true);
        QCOMPARE(open(board.devicePath()), QByteArray("i0"));
        QVERIFY(!app->isConnected());
        QVERIFY(!window()->connectButton()->isChecked() && window()->statusText().isEmpty());
        QCOMPARE(window()->connectionLamp()->currentState(), 0);
        QCOMPARE(PipeClient::exchange(pipe, "run\twrite\tsget A\n"), QByteArray("err\n"));

        board.setSilent(false);
        QCOMPARE(open(board.devicePath()), QByteArray("i1"));
        FakeBoard next;
        QCOMPARE(open(next.devicePath()), QByteArray("i1"));
        QVERIFY(connectedTo(next.devicePath()));
        SerialPort first; // the first board's port is free again
        QVERIFY(first.open_port(board.devicePath(), ControlBoard::DefaultBaudrate));
        first.close();
        QCOMPARE(PipeClient::exchange(pipe, "run\tclose\n"), QByteArray("i1"));
    }

    // "open" takes only a typed string: text that is no typed value, a number, no value or two
    // values connect nothing, answer 0 and log how to write the port. No other command runs on
    // an argument that does not decode.
    void openTakesTypedString()
    {
        const QString pipe = PipeClient::programPipe();
        LogRecorder log(app);
        for (const QByteArray batch : {"run\topen\t/dev/pts/5\n", "run\topen\ti5\n", "run\tOPEN\n",
                                       "run\topen\tsmockup\tsx\n"}) {
            log.clear();
            QCOMPARE(PipeClient::exchange(pipe, batch), QByteArray("i0"));
            QVERIFY(!app->isConnected());
            const auto said = log.starting("run open takes the port as a typed string, e.g. "
                                           "s/dev/ttyUSB0");
            QVERIFY2(said.size() == 1 && said.first().first < 0, batch.constData()); // an error
        }
        QCOMPARE(PipeClient::exchange(pipe, "run\topen\tsmockup\n"), QByteArray("i1"));
        const qsizetype commands = tool(2)->commands.size();
        log.clear();
        QCOMPARE(PipeClient::exchange(pipe, "run\tToolB.Blink\tiabc\nrun\twrite\tx0g\n"
                                            "run\tToolB.Blink\ti1\tf1.5x\nrun\tToolB.Blink\ti1\n"),
                 QByteArray("err\nerr\nerr\nsdone:Blink"));
        QCOMPARE(tool(2)->commands.size(), commands + 1);
        QCOMPARE(log.starting("Pipe request \"run ").size(), 3);
        QVERIFY(app->isConnected());
        app->disconnectBoard();
    }

    // "Update Firmware" opens the update window with the stored "ignore_version" ticked and
    // stores the user's change of it; asked again, it brings the open window to the front.
    void firmwareWindow()
    {
        QVERIFY(app->connectBoard("mockup"));
        app->setOption("ignore_version", true);
        QVERIFY(TestFiles::read(OptionsFile::DefaultFileName).contains("ignore_version=true"));
        window()->firmwareAction()->trigger();
        Bootloader *update = app->bootloader();
        QVERIFY(update && update->isVisible() && update->ignoreVersion());
        update->findChild<QCheckBox *>("cbVersionIgnore")->click();
        QVERIFY(!app->ignoreVersion());
        // On disk as changed, whatever ends the program later.
        QVERIFY(TestFiles::read(OptionsFile::DefaultFileName).contains("ignore_version=false"));
        window()->activateWindow();
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), window(), 30000);
        window()->firmwareAction()->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), static_cast<QWidget *>(update),
                                  30000);
        update->hide();
        app->disconnectBoard();
    }

    // The speed list sets the link's rate; an older firmware's status line is red and the
    // update window opens when accepted (not offered with "ignore_version"). The link's side
    // of both: tests/link.
    void speedAndOlderFirmware()
    {
        window()->speedList()->setCurrentIndex(1);
        QCOMPARE(app->controlBoard()->baudrate(), 2304000);
        window()->speedList()->setCurrentIndex(0);
        QCOMPARE(app->controlBoard()->baudrate(), 115200);
        FakeBoard board;
        board.setIdnReply("Velmora,P110,0x0001044B,Mon Aug 26 10:00:00 2024");
        app->setOption("ignore_version", false);
        prompt.queueButton(Prompt::Yes); // update now
        QVERIFY(app->connectBoard(board.devicePath()));
        QCOMPARE(window()->statusText(),
                 QString("<span style=\"background-color:#FF0000;\">"
                         "FW P110: v     1044b from 26.08.2024 10:00</span>"));
        QVERIFY(app->bootloader() && app->bootloader()->isVisible());
        app->disconnectBoard();
        app->setOption("ignore_version", true);
        const int messages = int(prompt.messages().size());
        QVERIFY(app->connectBoard(board.devicePath()));
        QCOMPARE(prompt.messages().size(), messages);
        app->disconnectBoard();
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
    ToolApplet *tool(int i) const { return static_cast<ToolApplet *>(app->applet(i)); }
    QString lastLogLine() const
    {
        return app->logs()->list()->itemText(app->logs()->list()->count() - 1);
    }
    MainWindow *window() const { return app->mainWindow(); }

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

    // Connected, to the mock-up where an earlier function did not connect (run alone).
    bool connected() { return app->isConnected() || app->connectBoard("mockup"); }

    void activate(int i)
    {
        tool(i)->showWindow();
        window()->mdiArea()->setActiveSubWindow(
            qobject_cast<QMdiSubWindow *>(tool(i)->container()));
        QCOMPARE(window()->activeSubWindowWidget(), static_cast<QWidget *>(tool(i)));
    }

    MainApp *app = nullptr;
    ShellPrompt prompt;
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
    if (!ScreenConfig::use(SmallScreen))
        return 2;
    Application application(argc, argv); // the program's: it tells a person's commands apart
    TestMainApp test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainapp.moc"
