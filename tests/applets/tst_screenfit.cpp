// The program on a full-HD screen (1920 x 1080) and on a laptop's (1366 x 768, the second run:
// KVL_TEST_SCREEN names the size), connected to the whole simulated board: the main window
// opens large enough for the board page where the screen allows, else maximized, its normal
// size within the screen either way; every tool window opens from the Application menu and by
// its Ctrl+digit with its title whole in its title bar, within the visible area, and scrolls
// inside where it is larger, also in a main window half the laptop's screen wide; the console
// and the firmware update window open over the main window, transient for it, within the
// screen, and the error of a request shows whole in the main window's bar; the empty area has
// no scroll bars; "Restore last" keeps
// the layout whole, also from an un-maximized main window; the log opens wide enough for a
// command line and scrolls sideways; minimizing the firmware window hides nothing. With
// KVL_FORM_SHOTS naming a folder, the full-HD run writes small pictures of the board page with
// an error in the error bar (board-page.png) and the log (log.png) there.
#include "appletscroll.h"
#include "bootloader.h"
#include "errorbar.h"
#include "htmllistbox.h"
#include "logs.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "mdiarea.h"
#include "pipeclient.h"
#include "recordingprompt.h"
#include "screenconfig.h"
#include "simulatedboard.h"
#include "spiappfixture.h"
#include "testfiles.h"
#include "toolapplets.h"
#include "wholetextlabel.h"
#include "windowstate.h"
#include "x11tools.h"

#include <QCheckBox>
#include <QDir>
#include <QDockWidget>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyleOptionTitleBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QWindow>
#include <QtTest>

namespace
{

const QRect FullHd(0, 0, 1920, 1080);

// Where widget lies on the screen.
QRect onScreen(const QWidget *widget)
{
    return QRect(widget->mapToGlobal(QPoint()), widget->size());
}

bool hasScrollBars(const QAbstractScrollArea *area)
{
    return area->horizontalScrollBar()->isVisible() || area->verticalScrollBar()->isVisible();
}

// The title as the sub-window's title bar draws it, whole: the style elides a title wider than
// its label's room, less the margin it keeps.
bool titleShownWhole(const QMdiSubWindow *sub)
{
    QStyleOptionTitleBar option;
    option.initFrom(sub);
    option.text = sub->windowTitle();
    option.titleBarFlags = sub->windowFlags();
    option.titleBarState = sub->windowState();
    option.subControls = QStyle::SC_All;
    option.rect = QRect(0, 0, sub->width(),
                        sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, sub));
    const QRect label =
        sub->style()->subControlRect(QStyle::CC_TitleBar, &option, QStyle::SC_TitleBarLabel, sub);
    const QFontMetrics metrics(QApplication::font("QMdiSubWindowTitleBar"));
    return metrics.elidedText(option.text, Qt::ElideRight, label.width() - 14) == option.text;
}

} // namespace

class TestScreenFit : public QObject
{
    Q_OBJECT

    SilentTones tones;
    RecordingPrompt prompt;
    SimulatedBoard sim;
    MainApp *app = MainApp::instance();
    QSize pageWindowSize; // the board page's window as built, before it is first shown

    MainWindow *window() const { return app->mainWindow(); }
    MdiArea *area() const { return window()->mdiArea(); }
    Applet *page() const { return app->findApplet(QStringLiteral("Board"), MainApp::ByName); }
    static bool fullHd() { return QGuiApplication::primaryScreen()->geometry() == FullHd; }

    // Within the screen's available area and the main window's frame, transient for it.
    bool isOverTheMainWindow(const QWidget *shown) const
    {
        const QRect available = window()->screen()->availableGeometry();
        return available.contains(shown->frameGeometry()) &&
               window()->frameGeometry().contains(shown->frameGeometry()) &&
               shown->windowHandle()->transientParent() == window()->windowHandle();
    }

    // The main window's frame as the window system has it: the widget keeps the margins of the
    // frame it saw first after a move or resize, which may be from before the window manager
    // changed the frame.
    QRect frame() const { return window()->windowHandle()->frameGeometry(); }

    // The error bar shown within the main window, as wide as its status bar and its text whole.
    bool errorBarWhole() const
    {
        const ErrorBar *bar = window()->errorBar();
        const auto *text = bar->findChild<WholeTextLabel *>();
        return bar->isVisible() && !bar->isPending() && !bar->text().isEmpty() &&
               window()->rect().contains(QRect(bar->mapTo(window(), QPoint()), bar->size())) &&
               bar->width() >= window()->width() - 40 && // the status bar's size grip beside
               text->height() >= text->heightForWidth(text->width());
    }

    // The visible part of the tool-window area, on the screen.
    QRect visibleArea() const { return onScreen(area()->viewport()); }

    // Whether the main window is maximized or not, as the window system has it, with the place,
    // size and frame that Qt reports: Qt reports a state or size it asked an X server's window
    // manager for at once, and learns where the window manager put the window and its frame only
    // later, in more than one step.
    bool shownAs(bool maximized) const
    {
        if (window()->isMaximized() != maximized)
            return false;
        if (!qEnvironmentVariableIsSet("KVL_TEST_X11"))
            return true;
        const WId id = window()->winId();
        const QRect placed = X11Tools::geometry(id);
        return X11Tools::property(id, "_NET_WM_STATE").contains("_NET_WM_STATE_MAXIMIZED_HORZ") ==
                   maximized &&
               placed == window()->geometry() &&
               placed.marginsAdded(X11Tools::frameExtents(id)) == frame();
    }

    // The main window as Qt and as the X server have it, for a failure's message.
    QByteArray describeMainWindow() const
    {
        if (!qEnvironmentVariableIsSet("KVL_TEST_X11"))
            return QByteArray();
        const WId id = window()->winId();
        QString text;
        QDebug(&text) << "Qt:" << window()->windowState() << window()->geometry() << frame()
                      << "X:" << X11Tools::geometry(id) << X11Tools::frameExtents(id)
                      << X11Tools::property(id, "_NET_WM_STATE").trimmed();
        return text.toUtf8();
    }

    // Whether the main window, un-maximized, has its frame at size once the window manager has
    // settled; where it settled at another size, the size is asked for again (the window manager
    // may carry out a request made during a change of its own before that change).
    bool framedAt(const QSize &size) const
    {
        if (!shownAs(false))
            return false;
        const QSize framed = frame().size();
        if (framed != size)
            window()->resize(size - (framed - window()->size()));
        return framed == size;
    }

    // The main window un-maximized, its frame at size, once the window manager has done so.
    void unmaximize(const QSize &size) const
    {
        window()->showNormal();
        QTRY_VERIFY2(shownAs(false), describeMainWindow());
        QTRY_VERIFY2(framedAt(size), describeMainWindow());
    }

    // The main window maximized again, once the window manager has done so.
    void maximize() const
    {
        window()->showMaximized();
        QTRY_VERIFY2(frame() == window()->screen()->availableGeometry() && shownAs(true),
                     describeMainWindow());
    }

    // The main window back at the frame and state that a check found it in.
    void putBack(const QRect &framed, bool maximized) const
    {
        unmaximize(framed.size());
        window()->move(framed.topLeft());
        if (maximized)
            maximize();
    }

    // A picture of the top of widget, height pixels of it (all of it: 0), width pixels wide,
    // taken in every run (taking it polishes every widget, also in hidden windows) and written
    // where KVL_FORM_SHOTS says.
    static void shoot(QWidget *widget, const QString &name, int width, int height = 0)
    {
        const QRect top(0, 0, widget->width(), height > 0 ? height : widget->height());
        const QImage shot =
            widget->grab(top).toImage().scaledToWidth(width, Qt::SmoothTransformation);
        const QString folder = qEnvironmentVariable("KVL_FORM_SHOTS");
        if (folder.isEmpty() || !fullHd())
            return;
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(shot.save(QDir(folder).filePath(name + QStringLiteral(".png"))));
    }

    // The main window's picture, with the error of a script's refused request in its bar.
    void shootWithAnError() const
    {
        QCOMPARE(PipeClient::exchange(PipeClient::programPipe(), "set\tBoard.SA\tnumber\n"),
                 QByteArray("err\n"));
        QTRY_VERIFY(errorBarWhole());
        shoot(window(), QStringLiteral("board-page"), 720);
        window()->errorBar()->closeBar();
    }

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->geometry(), ScreenConfig::named(FullHd));
        // The run on an X server is on one, with a window manager's frames.
        if (qEnvironmentVariableIsSet("KVL_TEST_X11"))
            QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY(TestFiles::installShippedConfiguration());
        MainApp::applyStyleSheet();
        app->setAppletFactories(toolAppletFactories());
        QVERIFY(app->init());
        app->start();
        QVERIFY(QTest::qWaitForWindowExposed(window()));
        QVERIFY(!page()->isWindowVisible());
        pageWindowSize = page()->container()->size();
        QVERIFY(app->connectBoard(sim.board.devicePath()));
        QTRY_VERIFY_WITH_TIMEOUT(page()->isWindowVisible(), 30000);
    }

    // On the full-HD screen the window shows the whole board page at the size it was built
    // for, "Load custom" and "BUCK2 EN" included, without scrolling; on the laptop's it is
    // maximized and the page lies within the visible area, title bar and buttons included. Its
    // normal size fits the screen too, for a window manager that does not maximize it.
    void boardPageFits()
    {
        const QRect available = window()->screen()->availableGeometry();
        QVERIFY(available.contains(frame()));
        QVERIFY(available.contains(window()->normalGeometry()));
        auto *sub = qobject_cast<QMdiSubWindow *>(page()->container());
        QVERIFY(visibleArea().contains(onScreen(sub)));
        QCOMPARE(window()->isMaximized(), !fullHd());
        if (!fullHd()) {
            shootWithAnError();
            return;
        }
        QCOMPARE(sub->size(), pageWindowSize);
        page()->findChild<QTabWidget *>(QStringLiteral("tabWidget"))->setCurrentIndex(0);
        QApplication::processEvents();
        QVERIFY(!hasScrollBars(area()) && !hasScrollBars(AppletScroll::of(sub)));
        QWidget *loadCustom = nullptr;
        for (QPushButton *button : page()->findChildren<QPushButton *>())
            if (button->text() == QLatin1String("Load custom") && button->isVisible())
                loadCustom = button;
        QWidget *buck2 = nullptr;
        for (QCheckBox *box : page()->findChildren<QCheckBox *>())
            if (box->text() == QLatin1String("BUCK2 EN") && box->isVisible())
                buck2 = box;
        QVERIFY(loadCustom && buck2);
        QVERIFY(visibleArea().contains(onScreen(loadCustom)));
        QVERIFY(visibleArea().contains(onScreen(buck2)));
        shootWithAnError();
    }

    // Each tool window opens within the visible area, even from a place beyond it, also in a
    // main window half the laptop's screen wide (un-maximized); a form larger than its window
    // keeps its smallest size and scrolls to its far corner.
    void toolWindowsOpenInView_data()
    {
        QTest::addColumn<int>("mainWidth");
        QTest::newRow("as it opens") << 0;
        QTest::newRow("half the laptop's screen") << 683;
    }
    void toolWindowsOpenInView()
    {
        QFETCH(int, mainWidth);
        if (mainWidth > 0)
            unmaximize(QSize(mainWidth, 700));
        for (int i = 1; i < app->appletCount(); ++i) {
            Applet *applet = app->applet(i);
            auto *sub = qobject_cast<QMdiSubWindow *>(applet->container());
            applet->hideWindow();
            sub->move(area()->viewport()->width() - 40, 200);
            applet->showWindow();
            QApplication::processEvents();
            const QString name = applet->objectName();
            QVERIFY2(visibleArea().contains(onScreen(sub)), qPrintable(name));
            AppletScroll *scroll = AppletScroll::of(sub);
            QVERIFY2(applet->width() >= applet->minimumSizeHint().width() &&
                         applet->height() >= applet->minimumSizeHint().height(),
                     qPrintable(name));
            scroll->horizontalScrollBar()->setValue(scroll->horizontalScrollBar()->maximum());
            scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
            const QPoint corner = applet->mapTo(scroll->viewport(), applet->rect().bottomRight());
            QVERIFY2(scroll->viewport()->rect().contains(corner), qPrintable(name));
            scroll->horizontalScrollBar()->setValue(0);
            scroll->verticalScrollBar()->setValue(0);
            applet->hideWindow();
        }
        page()->showWindow();
        if (mainWidth > 0)
            maximize();
    }

    // Half the laptop's screen: a tool window open while the main window is made narrower stays
    // within the view. "Log" ticked before the board page opens gives the log at most half the
    // window, and the page opens within the view beside it; once the log goes, the page takes
    // the whole view, also when closed and opened again by its Ctrl+digit.
    void halfScreenKeepsWindowsInView()
    {
        auto *sub = qobject_cast<QMdiSubWindow *>(page()->container());
        QWidget *log = app->logs()->container();
        QWidget *tool =
            app->findApplet(QStringLiteral("AutoAddressing"), MainApp::ByName)->container();
        const QRect framed = frame();
        const bool maximized = window()->isMaximized();
        unmaximize(QSize(1200, 700));
        tool->show();
        tool->move(area()->viewport()->width() - tool->width(), 0);
        unmaximize(QSize(683, 700));
        QTRY_VERIFY(visibleArea().contains(onScreen(tool)));
        tool->hide();
        page()->hideWindow();
        window()->logSwitch()->setChecked(true);
        QTRY_VERIFY(log->isVisible() && log->width() <= window()->width() / 2);
        page()->showWindow();
        QVERIFY(visibleArea().contains(onScreen(sub)));
        const auto wholeView = [this, sub]() {
            return sub->isVisible() && sub->width() == area()->viewport()->width() &&
                   visibleArea().contains(onScreen(sub));
        };
        window()->logSwitch()->setChecked(false);
        QTRY_VERIFY(wholeView());
        page()->hideWindow();
        QTest::keyClick(window(), Qt::Key(page()->shortcut), Qt::ControlModifier);
        QTRY_VERIFY(wholeView());
        putBack(framed, maximized);
    }

    // What a person sees first of each tool window, opened from the Application menu and by its
    // Ctrl+digit: "(Ctrl+N) Title" whole in its title bar, the window within the visible area;
    // Ctrl+F4 closes it again. No two tool windows share a title.
    void toolWindowsShowTheirTitles()
    {
        const QList<QAction *> menu = window()->getMenuApp()->actions();
        QStringList titles;
        window()->activateWindow(); // the keys go to the window a person works in
        QTRY_COMPARE(QApplication::activeWindow(), window());
        for (int i = 1; i < app->appletCount(); ++i) {
            Applet *applet = app->applet(i);
            auto *sub = qobject_cast<QMdiSubWindow *>(applet->container());
            if (!sub)
                continue;
            const int digit = applet->shortcut - Qt::Key_0;
            const QString name = applet->objectName();
            QVERIFY2(menu.contains(applet->action()), qPrintable(name));
            for (bool byKey : {false, true}) {
                applet->hideWindow();
                if (byKey)
                    QTest::keyClick(window(), Qt::Key(Qt::Key_0 + digit), Qt::ControlModifier);
                else
                    applet->action()->trigger();
                QTRY_VERIFY2(sub->isVisible(), qPrintable(name));
                QApplication::processEvents();
                const QString title = sub->windowTitle();
                const QString shown = QStringLiteral("%1: \"%2\"").arg(name, title);
                QVERIFY2(title.startsWith(QStringLiteral("(Ctrl+%1) ").arg(digit)) &&
                             title.size() > 9 && title == applet->title(),
                         qPrintable(shown));
                QVERIFY2(titleShownWhole(sub), qPrintable(shown));
                QVERIFY2(visibleArea().contains(onScreen(sub)), qPrintable(shown));
            }
            titles << sub->windowTitle();
            // Ctrl+F4 closes the window opened last, which is the active one.
            QTest::keyClick(window(), Qt::Key_F4, Qt::ControlModifier);
            QTRY_VERIFY2(!sub->isVisible() && !applet->action()->isChecked(), qPrintable(name));
        }
        QVERIFY(titles.size() >= 8);
        QCOMPARE(QSet<QString>(titles.begin(), titles.end()).size(), titles.size());
        page()->showWindow();
    }

    // The windows a person opens beside the main window (a tool window's console, the
    // firmware update window) lie within the screen's available area, over the main window and
    // transient for it, so that a window manager keeps them above it; the error a failing
    // request raises opens no window: it shows in the main window's bar, whole. A console moved
    // off the screen comes back when shown again; one moved elsewhere over the main window stays
    // there. Shown again over a main window half the laptop's screen wide on the screen's right
    // half, as beside another program, each lies over that, and the bar shows the error whole at
    // that width.
    void windowsOpenOverTheMainWindow()
    {
        QVERIFY(app->logs()->messageBoxBox()->isChecked());
        QTest::keyClick(page(), Qt::Key_F1);
        app->updateFirmware();
        QCOMPARE(PipeClient::exchange(PipeClient::programPipe(), "set\tBoard.SA\tnumber\n"),
                 QByteArray("err\n"));
        QTRY_VERIFY(errorBarWhole());
        QVERIFY(app->bootloader()->isVisible());
        QWidget *console = nullptr;
        QStringList misplaced;
        for (QWidget *shown : QApplication::topLevelWidgets()) {
            if (!shown->isVisible() || shown == window() || shown->windowType() == Qt::Popup)
                continue;
            if (shown->windowTitle().startsWith(QLatin1String("HELP:")))
                console = shown;
            if (!isOverTheMainWindow(shown))
                misplaced << shown->windowTitle();
        }
        QVERIFY(console);
        QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced.join(QStringLiteral(", "))));
        const QRect available = window()->screen()->availableGeometry();
        console->hide();
        console->move(available.bottomRight() - QPoint(50, 50));
        QTest::keyClick(page(), Qt::Key_F1);
        QTRY_VERIFY(console->isVisible());
        QVERIFY(isOverTheMainWindow(console));
        // A place over the main window that the user gave it stays.
        console->hide();
        const QPoint place = window()->frameGeometry().topLeft() + QPoint(10, 10);
        console->move(place);
        QTest::keyClick(page(), Qt::Key_F1);
        QTRY_VERIFY(console->isVisible());
        QCOMPARE(console->frameGeometry().topLeft(), place);
        const QList<QWidget *> shown = {console, app->bootloader()};
        for (QWidget *other : shown)
            other->close();
        window()->errorBar()->closeBar();
        const QRect frame = window()->frameGeometry();
        const bool maximized = window()->isMaximized();
        unmaximize(QSize(683, 700));
        window()->move(available.right() - 682, available.top());
        QTRY_VERIFY(window()->frameGeometry().left() == available.right() - 682 && shownAs(false));
        QTest::keyClick(page(), Qt::Key_F1);
        app->updateFirmware();
        PipeClient::exchange(PipeClient::programPipe(), "set\tBoard.SA\tnumber\n");
        for (QWidget *other : shown)
            QTRY_VERIFY2(other->isVisible() && isOverTheMainWindow(other),
                         qPrintable(other->windowTitle()));
        QTRY_VERIFY(errorBarWhole());
        for (QWidget *other : shown)
            other->close();
        window()->errorBar()->closeBar();
        putBack(frame, maximized);
    }

    // A window moved partly out of the view gives the area scroll bars; once every window is
    // closed, the empty area has none.
    void emptyAreaHasNoScrollBars()
    {
        Applet *tool = app->findApplet(QStringLiteral("AutoAddressing"), MainApp::ByName);
        tool->showWindow();
        tool->container()->move(area()->viewport()->width() - 50,
                                area()->viewport()->height() - 50);
        QTRY_VERIFY_WITH_TIMEOUT(hasScrollBars(area()), 30000);
        app->closeAll();
        QTRY_VERIFY_WITH_TIMEOUT(!hasScrollBars(area()), 30000);
        page()->showWindow();
    }

    // "Restore last" of the board page as it opens, as wide as the area, from a file that also
    // has the log window shown at a place of its own: with "Log" off and on, the board window
    // comes back within the visible area, title bar and buttons included; the log window keeps
    // following "Log", docked where it was; the main window (maximized on the laptop's screen)
    // keeps its size and the connection bar stays whole at its bottom, also once "Log" has been
    // ticked off again.
    void restoreLastKeepsTheLayout()
    {
        auto *sub = qobject_cast<QMdiSubWindow *>(page()->container());
        QWidget *log = app->logs()->container();
        page()->showWindow();
        sub->setGeometry(QRect(QPoint(), area()->viewport()->size()));
        app->saveState();
        QByteArray state = TestFiles::read(QString::fromLatin1(WindowState::FileName));
        const qsizetype logLine = state.indexOf("\nLogs,");
        QVERIFY(logLine > 0);
        state.replace(logLine, state.indexOf("\n", logLine + 1) - logLine, "\nLogs,5,6,70,80,1");
        QVERIFY(TestFiles::write(QString::fromLatin1(WindowState::FileName), state));
        const QSize size = window()->size();
        const auto barWhole = [this, size]() {
            const QWidget *bar = window()->statusBar();
            return window()->size() == size && window()->windowHandle()->size() == size &&
                   bar->isVisible() && bar->geometry().bottom() == size.height() - 1;
        };
        QVERIFY(barWhole());
        for (bool logOn : {false, true}) {
            window()->logSwitch()->setChecked(logOn);
            QTRY_COMPARE(log->isVisible(), logOn);
            QApplication::processEvents();
            const QRect docked = log->geometry();
            window()->restoreButton()->click();
            QApplication::processEvents();
            QTRY_VERIFY(barWhole());
            QCOMPARE(window()->logSwitch()->isChecked(), logOn);
            QCOMPARE(log->isVisible(), logOn);
            QCOMPARE(log->geometry(), docked);
            QVERIFY(visibleArea().contains(onScreen(sub)));
        }
        window()->logSwitch()->setChecked(false);
        QTRY_VERIFY(!log->isVisible());
        QTRY_VERIFY(barWhole());
    }

    // Ticking "Log" opens the log at a width that shows command lines, their answers and the
    // pipe's trace whole; a longer line scrolls sideways.
    void logShowsCommandLines()
    {
        Logs *logs = app->logs();
        QVERIFY(!logs->isVisible());
        QVERIFY(QMetaObject::invokeMethod(logs, "slot_pbClear_clicked"));
        window()->logSwitch()->setChecked(true);
        QTRY_VERIFY_WITH_TIMEOUT(logs->isVisible(), 30000);
        QVERIFY(onScreen(window()).contains(onScreen(logs->container())));
        CustomControls::HtmlListBox *list = logs->list();
        const auto listed = [list](const char *text) {
            for (int row = 0; row < list->count(); ++row)
                if (list->itemText(row).contains(QLatin1String(text)))
                    return true;
            return false;
        };
        // Each answer is listed before the next command goes (the error's line comes last).
        for (const auto &[command, answer] :
             {std::pair("set SPILEDCS0DATA=046e000009", "SPILEDCS0DATA:ok"),
              std::pair("get SPILEDCS0DATA", "SPILEDCS0DATA=0400"),
              std::pair("set SER2PXNDATA=0e0355071055", "RX_ERR")}) {
            logs->consoleLine()->setText(QLatin1String(command));
            QTest::keyClick(logs->consoleLine(), Qt::Key_Return);
            QTRY_VERIFY2_WITH_TIMEOUT(listed(answer), answer, 30000);
        }
        QCOMPARE(PipeClient::exchange(PipeClient::programPipe(), "get\tBoard.SA\n"),
                 QByteArray("f1"));
        QTRY_VERIFY_WITH_TIMEOUT(listed(" f1<"), 30000);
        for (int row = 0; row < list->count(); ++row) {
            QTextDocument line;
            line.setDefaultFont(list->font());
            line.setHtml(list->itemText(row));
            QVERIFY2(line.size().width() <= list->viewport()->width(),
                     qPrintable(line.toPlainText()));
        }
        QTRY_COMPARE_WITH_TIMEOUT(list->horizontalScrollBar()->maximum(), 0, 30000);
        shoot(logs->container(), QStringLiteral("log"), logs->container()->width(), 230);
        logs->slot_addLog(0, QStringLiteral("x").repeated(200));
        QTRY_VERIFY_WITH_TIMEOUT(list->horizontalScrollBar()->maximum() > 0, 30000);
        window()->logSwitch()->setChecked(false);
    }

    // "Restore last" in a main window un-maximized to half the laptop's screen: the main
    // window comes back as saved (maximized on the laptop's screen), then each tool window gets
    // its place in the area it has then, once the window manager has resized it.
    void restoreLastAfterUnmaximizing()
    {
        const QRect framed = frame();
        const bool maximized = window()->isMaximized();
        const QList<std::pair<QString, QPoint>> places = {{"SpiRaw", QPoint(700, 60)},
                                                          {"AddressDiscovery", QPoint(900, 300)}};
        QList<QWidget *> tools;
        for (const auto &[name, place] : places) {
            Applet *tool = app->findApplet(name, MainApp::ByName);
            tool->showWindow();
            tool->container()->move(place);
            tools << tool->container();
        }
        app->saveState();
        unmaximize(QSize(683, 700));
        window()->restoreButton()->click();
        QTRY_VERIFY2(frame() == framed && shownAs(maximized), describeMainWindow());
        for (qsizetype i = 0; i < places.size(); ++i)
            QTRY_COMPARE(tools.at(i)->pos(), places.at(i).second);
    }

    // The firmware window, of a fixed size, asks for no minimize or maximize button. Minimized
    // all the same, as a window manager's button does, it comes back at once, and so does the
    // main window, which a window manager may minimize with it (openbox does).
    void fixedWindowKeepsTheProgramShown()
    {
        if (!qEnvironmentVariableIsSet("KVL_TEST_X11"))
            QSKIP("only a window manager minimizes a window of its own accord");
        app->updateFirmware();
        Bootloader *firmware = app->bootloader();
        QVERIFY(QTest::qWaitForWindowExposed(firmware));
        QCOMPARE(firmware->minimumSize(), firmware->maximumSize());
        QVERIFY(!(firmware->windowFlags() &
                  (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QSignalSpy mainStates(window()->windowHandle(), &QWindow::windowStateChanged);
        // The request the window manager's button makes, sent by another client, so that the
        // program learns of it from the window manager only (its own request would bring the
        // window back before the window manager minimized anything); sent again until the window
        // manager carries it out, which it may not do for a window it has just set up.
        const auto minimized = [&mainStates, firmware]() {
            if (std::any_of(mainStates.begin(), mainStates.end(), [](const auto &args) {
                    return args.at(0).template value<Qt::WindowState>() == Qt::WindowMinimized;
                }))
                return true;
            X11Tools::output(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"),
                                                         QString::number(firmware->winId())});
            return false;
        };
        QTRY_VERIFY(minimized());
        const auto shown = [](const QWidget *w) {
            return w->isVisible() && !w->isMinimized() &&
                   X11Tools::property(w->winId(), "WM_STATE").contains("Normal");
        };
        QTRY_VERIFY(shown(firmware) && shown(window()));
        firmware->close();
    }

    void cleanupTestCase() { app->shutdown(); }
};

int main(int argc, char *argv[])
{
    if (!ScreenConfig::use(ScreenConfig::named(FullHd)))
        return 2;
    QApplication application(argc, argv);
    TestScreenFit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screenfit.moc"
