// A script's requests beside a person's commands, in a started shell with two tool applets:
// only a person's own frames keep the requests waiting, until the person's command ends (a
// click, "Flash"); and the end of the program, told by the system, by closing the main window (a
// person's Close during their command ends it once the command is done), by the session's end or
// by a "shutdown" request, answers every request it accepted first. The functions run in order
// on one MainApp; the last one ends it.
#include "tst_shellfixture.h"

#include "application.h"
#include "applethelper.h"
#include "bootloader.h"
#include "commandpause.h"
#include "controlboard.h"
#include "errorbar.h"
#include "fakeboard.h"
#include "fakeboard_flash.h"
#include "heldinput.h"
#include "hexrecords.h"
#include "lineedit.h"
#include "localserver.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "optionsfile.h"
#include "pythonrunner.h"
#include "readingorder.h"
#include "testfiles.h"
#include "windowstate.h"
#include "x11tools.h"

#include <QDialog>
#include <QLocalSocket>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

class TestHeldRequests : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        app = MainApp::instance();
        app->setAppletFactories({[](QWidget *parent) { return new ToolApplet("ToolA", parent); },
                                 [](QWidget *parent) { return new ToolApplet("ToolB", parent); }});
        // The probe of the serial ports ends before the first test.
        app->setPortProbe([]() { return QStringList{"mockup"}; });
        QVERIFY(app->init());
        app->start();
        QVERIFY(QTest::qWaitForWindowExposed(app->mainWindow()));
    }

    // On a desktop (X with a window manager, or Wayland natively), a script's requests fail
    // while a person types into a tool window's field: each failure shows in the main window's
    // error bar, its text and the count, no window opens, and each key, Return included, lands
    // in the field all the same. The person's own failing click shows in the bar too.
    void scriptErrorsLeaveTheKeyboard()
    {
        if (!onADesktop())
            QSKIP("the keyboard as a desktop gives it: runs as tst_heldrequests_x11 and _wayland");
        QVERIFY(app->connectBoard("mockup"));
        tool(1)->showWindow();
        CustomControls::LineEdit *field = tool(1)->leSa;
        field->setFocus(); // on Wayland the window's, whose compositor here has no keyboard
        if (onX11()) {
            X11Tools::output("xdotool", {"windowactivate", QString::number(window()->winId())});
            QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), window(), WaitMs);
            clickAsAPerson(field);
            QTRY_VERIFY_WITH_TIMEOUT(field->hasFocus(), WaitMs);
        }
        field->clear();
        ErrorBar *bar = window()->errorBar();
        bar->closeBar();
        const QList<QWindow *> windows = shownWindows();
        int errors = 0;
        for (const auto &[key, shown] : {std::pair("2", "2"), {"7", "27"}, {"Return", "27"}}) {
            QCOMPARE(PipeClient::exchange(PipeClient::programPipe(), "set\tToolB.SA\ti99\n"),
                     QByteArray("err\n"));
            ++errors;
            QTRY_VERIFY_WITH_TIMEOUT(bar->isVisible() && bar->count() == errors &&
                                         bar->text().startsWith("Error SET:ToolB.SA"),
                                     WaitMs);
            press(key);
            QTRY_COMPARE_WITH_TIMEOUT(field->text(), QString(shown), WaitMs);
        }
        QTRY_COMPARE_WITH_TIMEOUT(tool(1)->sa.value(), 27.0, WaitMs);
        QCOMPARE(shownWindows(), windows);
        QCOMPARE(window()->focusWidget(), field);
        if (onX11()) {
            QCOMPARE(QApplication::activeWindow(), window());
            QPushButton button("fails");
            connect(&button, &QPushButton::clicked, this,
                    [this]() { app->logs()->slot_addLog(-1, "The person's command failed"); });
            button.show();
            QVERIFY(QTest::qWaitForWindowExposed(&button, WaitMs));
            clickAsAPerson(&button);
            QTRY_COMPARE_WITH_TIMEOUT(bar->text(), QString("The person's command failed"), WaitMs);
            QCOMPARE(QApplication::activeWindow(), &button);
        }
        bar->closeBar();
        app->disconnectBoard();
    }

    // On a desktop, by keys alone: Ctrl+0 opens the first tool window, F1 its console with the
    // keyboard in the item box; the item's name, Tab to Get and Return show its value, Escape
    // closes it. The main window moved beside another program shows the next error in its bar,
    // whole within it; Tab reaches the bar's buttons, and Escape there closes it.
    void keyboardAloneOnADesktop()
    {
        if (!qEnvironmentVariableIsSet("KVL_TEST_X11"))
            QSKIP("the keyboard as a window manager gives it: runs as tst_heldrequests_x11");
        QVERIFY(app->connectBoard("mockup"));
        tool(1)->sa.setValue(23, Variable::InternalKey);
        X11Tools::output("xdotool", {"windowactivate", QString::number(window()->winId())});
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), window(), WaitMs);
        press("ctrl+0");
        QTRY_VERIFY_WITH_TIMEOUT(tool(1)->isWindowVisible(), WaitMs);
        press("F1");
        AppletHelper *console = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(
            (console = qobject_cast<AppletHelper *>(QApplication::activeWindow())), WaitMs);
        // The window manager gives it the keys once Qt has made it its active window.
        QTRY_COMPARE_WITH_TIMEOUT(X11Tools::output("xdotool", {"getwindowfocus"}).trimmed(),
                                  QByteArray::number(console->winId()), WaitMs);
        press("S A Tab Tab Tab");
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), console->button("Get"), WaitMs);
        press("Return");
        QTRY_COMPARE_WITH_TIMEOUT(console->valueEdit()->text(), QString("23"), WaitMs);
        press("Escape");
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), window(), WaitMs);

        window()->showNormal(); // two programs side by side, this one on the right
        window()->setGeometry(683, 30, 640, 600);
        const QByteArray failing = "set\tToolB.SA\ti99\n";
        ErrorBar *bar = window()->errorBar();
        const WId main = window()->winId();
        for (int x : {683, 0}) { // then the person takes it to the left half
            window()->move(x, 0);
            QTRY_VERIFY_WITH_TIMEOUT(qAbs(X11Tools::geometry(main).x() - x) < 10, WaitMs);
            QCOMPARE(PipeClient::exchange(PipeClient::programPipe(), failing), QByteArray("err\n"));
            QTRY_VERIFY_WITH_TIMEOUT(bar->isVisible() && !bar->isPending(), WaitMs);
        }
        QTRY_VERIFY_WITH_TIMEOUT(X11Tools::geometry(main).contains(
                                     QRect(bar->mapToGlobal(QPoint()), bar->size())),
                                 WaitMs);
        const QList<QWidget *> ring = ReadingOrder::controls(window());
        const qsizetype tabs = ring.indexOf(bar->openLogButton()) -
                               ring.indexOf(QApplication::focusWidget()) + ring.size();
        press(qPrintable(QStringList(tabs % ring.size(), "Tab").join(' ')));
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), bar->openLogButton(), WaitMs);
        press("Escape");
        QTRY_VERIFY_WITH_TIMEOUT(bar->isHidden(), WaitMs);
        window()->showMaximized();
        app->disconnectBoard();
    }

    // "Restore last" of a layout saved un-maximized, on the main window maximized (as it opens
    // on a laptop's screen): the program goes on, the main window un-maximized at its saved
    // size, the tool window at its place; on Wayland the compositor places the main window.
    void restoreLastUnmaximizesFirst()
    {
        QVERIFY(app->connectBoard("mockup"));
        const QSize maximized = window()->windowHandle()->size(), saved(700, 500);
        window()->showNormal();
        // A Wayland compositor ends a program that sizes a window it has maximized: sized once
        // it has configured it un-maximized (and so resized it).
        if (qEnvironmentVariableIsSet("KVL_TEST_WAYLAND"))
            QTRY_VERIFY_WITH_TIMEOUT(window()->windowHandle()->size() != maximized, WaitMs);
        window()->resize(saved); // within the offscreen screen's 800x600 too
        QTRY_COMPARE_WITH_TIMEOUT(window()->windowHandle()->size(), saved, WaitMs);
        tool(1)->showWindow();
        tool(1)->container()->move(40, 30);
        app->saveState();
        window()->showMaximized();
        QTRY_VERIFY_WITH_TIMEOUT(window()->windowHandle()->width() > saved.width(), WaitMs);
        tool(1)->container()->move(200, 100);
        window()->restoreButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(window()->windowHandle()->size() == saved &&
                                     tool(1)->container()->pos() == QPoint(40, 30),
                                 WaitMs);
        QVERIFY(PipeClient::exchange(PipeClient::programPipe(), "get\tversion\n").startsWith('s'));
        window()->showMaximized();
        app->disconnectBoard();
    }

    // Only a person's input makes a command (a timer's does not): a hold offered outside one is
    // dropped at once; one kept during a click (the first offered) goes when the click's
    // delivery ends.
    void personCommandsEndWithTheirInput()
    {
        bool timerRan = false, inTimer = false;
        QTimer::singleShot(0, this, [&]() {
            timerRan = true;
            inTimer = Application::personCommandRuns();
        });
        QTRY_VERIFY(timerRan);
        QVERIFY(!inTimer);
        auto outside = std::make_shared<int>(0);
        const std::weak_ptr<int> outsideWatch = outside;
        QVERIFY(!Application::personCommandRuns());
        Application::keepUntilCommandEnds(std::move(outside));
        QVERIFY(outsideWatch.expired() && !Application::commandKeepsHold());
        QPushButton button("command");
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button, WaitMs));
        std::weak_ptr<int> first, second;
        bool ran = false;
        connect(&button, &QPushButton::clicked, this, [&]() {
            ran = Application::personCommandRuns();
            auto one = std::make_shared<int>(1), two = std::make_shared<int>(2);
            first = one;
            second = two;
            Application::keepUntilCommandEnds(std::move(one));
            Application::keepUntilCommandEnds(std::move(two));
            ran = ran && Application::commandKeepsHold() && !first.expired() && second.expired();
        });
        QTest::mouseClick(&button, Qt::LeftButton);
        QVERIFY(ran);
        QVERIFY(first.expired() && !Application::commandKeepsHold());
        QVERIFY(!Application::personCommandRuns());
    }

    // A person's click that comes during their command's pause takes effect once the command has
    // ended, not within it, as a command of the person's own (which keeps the requests waiting).
    void inputHeldUntilTheCommandEnds()
    {
        QPushButton command("command"), other("other");
        command.show();
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other, WaitMs));
        bool commandDone = false, clickedWithin = true, personsOwn = false;
        connect(&other, &QPushButton::clicked, this, [&]() {
            clickedWithin = !commandDone;
            personsOwn = Application::personCommandRuns();
        });
        connect(&command, &QPushButton::clicked, this, [&]() {
            QTimer::singleShot(0, this,
                               [&]() { QTest::mouseClick(other.windowHandle(), Qt::LeftButton); });
            CommandPause::wait(100);
            commandDone = true;
        });
        QTest::mouseClick(&command, Qt::LeftButton);
        QVERIFY(!clickedWithin && personsOwn && !HeldInput::waits());
    }

    // A person's box that has sent nothing keeps nobody waiting: a script's request that sends
    // while it is open is the script's, and so is a frame a timer sends meanwhile. The person's
    // own frame starts the hold, which ends with the command.
    void onlyThePersonsFramesHold()
    {
        QVERIFY(app->connectBoard("mockup"));
        LocalServer *server = app->localServer();
        QPushButton button("box");
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button, WaitMs));
        QByteArray replies;
        bool heldByOthers = true, heldByThePerson = false;
        connect(&button, &QPushButton::clicked, this, [&]() {
            // Inside the click, as in a box's own event loop.
            replies = PipeClient::exchange(PipeClient::programPipe(), "run\twrite\tsget A\n");
            heldByOthers = server->isHeld();
            replies += '|' + PipeClient::exchange(PipeClient::programPipe(), "get\tversion\n");
            bool sent = false;
            QTimer::singleShot(0, this,
                               [&]() { sent = app->controlBoard()->send("sget T", nullptr, -1); });
            heldByOthers =
                !QTest::qWaitFor([&]() { return sent; }) || heldByOthers || server->isHeld();
            app->controlBoard()->send("sget P", nullptr, -1);
            heldByThePerson = server->isHeld();
        });
        QTest::mouseClick(&button, Qt::LeftButton);
        QVERIFY2(replies.startsWith('x') &&
                     replies.endsWith(QByteArray("|s") + MainApp::VersionText),
                 replies.constData());
        QVERIFY(!heldByOthers);
        QVERIFY(heldByThePerson);
        QVERIFY(!server->isHeld());
        app->disconnectBoard();
    }

    // A script's request sent while "Flash" writes an image's blocks waits for the last one: no
    // line of it goes out among them.
    void flashKeepsRequestsWaiting()
    {
        FakeBoard board;
        FakeBoardFlash flash(board);
        QVERIFY(app->connectBoard(board.devicePath()));
        window()->firmwareAction()->trigger();
        Bootloader *update = app->bootloader();
        const QByteArray image = HexRecords::image(0x80050000u, QByteArray(3 * 256 + 10, 'x'));
        QVERIFY(TestFiles::write("image.hex", image));
        QVERIFY(update->loadHex(QDir::current().absoluteFilePath("image.hex")));
        board.clearRecords();
        std::unique_ptr<PipeClient> script;
        bool kept = false;
        const auto afterFirstBlock = [&](int blocks) {
            if (blocks != 1 || script)
                return;
            script = std::make_unique<PipeClient>();
            script->send("run\twrite\tsget SCRIPTLINE\n");
            kept = script->keptWaitingBy(*app->localServer());
        };
        const auto watch = connect(update->findChild<QProgressBar *>(), &QProgressBar::valueChanged,
                                   this, afterFirstBlock);
        QTest::mouseClick(update->findChild<QPushButton *>("pbFlash"), Qt::LeftButton);
        disconnect(watch);
        QVERIFY(kept);
        QVERIFY(script->waitClosed());
        QList<QByteArray> lines = board.lines();
        lines.removeIf([](const QByteArray &l) { return l.startsWith("set baudrate="); });
        QCOMPARE(flash.blockCount(), 5); // three blocks, the rest, the end marker
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.last(), QByteArray("get SCRIPTLINE"));
        update->hide();
        app->disconnectBoard();
    }

    // Closing the main window disconnects (saving the window state while connected) and ends
    // the event loop, once a command that keeps requests waiting is done (on X11 also behind its
    // modal window, which Qt would leave the Close to); a "shutdown" request does too, once the
    // requests accepted are answered; the applets and the link stay for the shutdown that follows.
    void endOfTheProgram()
    {
        QFile::remove(WindowState::FileName);
        QVERIFY(app->connectBoard("mockup"));
        QApplication::setQuitOnLastWindowClosed(false); // as the program has it
        // Closed by a person while a command runs (its modal box open; on X11 through the
        // window manager, as a click on the close button), the program takes no new request,
        // says that it ends once the command is done, and closes then, the request that waited
        // for it answered.
        auto command = std::make_unique<LocalServer::Hold>(app->localServer());
        QDialog box(window());
        box.setModal(true);
        box.show();
        PipeClient waiting;
        QVERIFY(waiting.send("get\tversion\n") && waiting.keptWaitingBy(*app->localServer()));
        bool shownDuringCommand = false, refusedDuringCommand = false;
        QTimer::singleShot(0, app, [&]() {
            if (qEnvironmentVariableIsSet("KVL_TEST_X11"))
                X11Tools::closeAsAPerson(window()->winId());
            else
                window()->close();
            shownDuringCommand = QTest::qWaitFor([this]() {
                                     return window()->statusText() ==
                                            "The program ends once the running command is done";
                                 }) &&
                                 window()->isVisible();
            refusedDuringCommand = !PipeClient().connected();
            command.reset(); // the command ends with its box
            box.close();
        });
        QTimer::singleShot(20000, qApp, []() { QCoreApplication::exit(99); }); // safety net
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(shownDuringCommand && refusedDuringCommand);
        QVERIFY(!window()->isVisible()); // the close taken
        QVERIFY(waiting.waitClosed());
        QCOMPARE(waiting.received, QByteArray("s") + MainApp::VersionText);
        QVERIFY(app->localServer()->start(app->localServer()->name())); // as a new start would
        QVERIFY(!app->isConnected() && !tool(1)->isOnline());
        QVERIFY(QFile::exists(WindowState::FileName));

        // A session manager's request to save (a checkpoint, or a logout's first step) during a
        // command saves the options and the window state at once, before the display may go,
        // and the program runs on, serving. The session's end then asks it to quit, which ends
        // it as the Close does.
        window()->show();
        QVERIFY(app->connectBoard("mockup") && QFile::remove(OptionsFile::DefaultFileName) &&
                QFile::remove(WindowState::FileName));
        command = std::make_unique<LocalServer::Hold>(app->localServer());
        bool savedAtOnce = false;
        QTimer::singleShot(0, app, [&]() {
            app->commitData();
            savedAtOnce = QFile::exists(OptionsFile::DefaultFileName) &&
                          QFile::exists(WindowState::FileName) && window()->isVisible() &&
                          PipeClient().connected();
            command.reset();
            QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit));
        });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(savedAtOnce && !window()->isVisible() && !app->isConnected());
        QVERIFY(app->localServer()->start(app->localServer()->name()));

        QVERIFY(app->connectBoard("mockup"));
        PipeClient late; // connected first, asking once the shutdown is answered
        PipeClient client;
        connect(&client.socket, &QLocalSocket::readyRead, this,
                [&late]() { late.send("get\tversion\n"); });
        QVERIFY(client.send("run\tShutdown\n"));
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(app->appletCount(), 3); // nothing deleted before the loop ended
        QVERIFY(app->isStarted());
        QFile::remove(WindowState::FileName);
        app->setOption("python_path", "/opt/python3");
        QCOMPARE(app->controlBoard()->pythonRunner()->pythonPath(), QString("/opt/python3"));
        app->shutdown();
        // The connection made before the end had its request answered before it.
        QVERIFY(late.waitClosed(30000));
        QCOMPARE(late.received, QByteArray("s") + MainApp::VersionText);
        // Shut down, the program disconnected (saving the window state) and saved its options.
        QVERIFY(QFile::exists(WindowState::FileName));
        QHash<QString, QVariant> saved;
        QString error;
        QVERIFY(OptionsFile::read(OptionsFile::DefaultFileName, &saved, &error));
        QCOMPARE(saved.value("python_path"), QVariant("/opt/python3"));
        app->setOption("python_path", "/later/python3");
        app->shutdown(); // runs once: nothing saved again
        QVERIFY(OptionsFile::read(OptionsFile::DefaultFileName, &saved, &error));
        QCOMPARE(saved.value("python_path"), QVariant("/opt/python3"));
        QVERIFY(!app->isStarted());
        QCOMPARE(app->appletCount(), 0);
        QCOMPARE(app->controlBoard(), nullptr);
        QVERIFY(client.waitClosed());
        QCOMPARE(client.received, QByteArray("i1"));

        QFile styles(":/stylesheet/stylesheet"); // the program's look, as main() applies it
        QVERIFY(styles.open(QIODevice::ReadOnly));
        MainApp::applyStyleSheet();
        QCOMPARE(qApp->styleSheet(), QString::fromLatin1(styles.readAll()));
        qApp->setStyleSheet(QString());
    }

private:
    static bool onX11() { return qEnvironmentVariableIsSet("KVL_TEST_X11"); }
    static bool onADesktop() { return onX11() || qEnvironmentVariableIsSet("KVL_TEST_WAYLAND"); }

    // Keys pressed as a person presses them, in the window that has the keyboard: on X through
    // the X server; on Wayland, whose compositor here has no keyboard, as the compositor hands
    // them to the main window that kept the keyboard.
    void press(const char *keys) const
    {
        if (onX11()) {
            QCOMPARE(X11Tools::output("xdotool", QStringList("key") + QString(keys).split(' ')),
                     QByteArray());
            return;
        }
        for (const QString &key : QString(keys).split(' '))
            QTest::keyClick(window()->windowHandle(), QKeySequence(key)[0].key());
    }

    // The program's windows that are shown (menus and tool tips aside).
    static QList<QWindow *> shownWindows()
    {
        QList<QWindow *> shown = QGuiApplication::topLevelWindows();
        shown.removeIf([](const QWindow *w) {
            return !w->isVisible() || w->type() == Qt::Popup || w->type() == Qt::ToolTip;
        });
        return shown;
    }

    // A click of the left button in the middle of widget, through the window system.
    static void clickAsAPerson(const QWidget *widget)
    {
        const QPoint at = widget->mapToGlobal(widget->rect().center());
        QCOMPARE(X11Tools::output("xdotool", {"mousemove", QString::number(at.x()),
                                              QString::number(at.y()), "click", "1"}),
                 QByteArray());
    }

    static constexpr int WaitMs = 30000; // wide: a window manager on a shared machine
    ToolApplet *tool(int i) const { return static_cast<ToolApplet *>(app->applet(i)); }
    MainWindow *window() const { return app->mainWindow(); }

    MainApp *app = nullptr;
    ShellPrompt prompt;
};

int main(int argc, char *argv[])
{
    Application application(argc, argv); // the program's: it tells a person's commands apart
    TestHeldRequests test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_heldrequests.moc"
