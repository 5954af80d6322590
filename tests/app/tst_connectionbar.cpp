// The shell on a laptop-sized screen: the main window within the screen, the connection bar
// taking a typed port and showing the port a request opened, the status text shown whole and
// the simulation mark gone after disconnecting, the program's own icon and start-up picture,
// "Restore last" refusing a damaged window state. The functions run in order on one MainApp.
#include "tst_shellfixture.h"

#include "applethelper.h"
#include "controlboard.h"
#include "dialogprogressbar.h"
#include "fakeboard.h"
#include "lineedit.h"
#include "logs.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "tablerows.h"
#include "testfiles.h"
#include "windowplacement.h"
#include "windowstate.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QtTest>

namespace
{

// The screen of this test: 1366 x 768, its area starting away from the origin.
const QRect SmallScreen(100, 50, 1366, 768);
const QString SimulationMark =
    QStringLiteral("<span style=\"background-color:#FF0000;\">!!! SIMULATION !!!</span>");

constexpr QImage::Format ArgbFormat = QImage::Format_ARGB32;

bool sameImage(const QIcon &a, const QIcon &b)
{
    return !a.isNull() && a.pixmap(32, 32).toImage().convertToFormat(ArgbFormat) ==
                              b.pixmap(32, 32).toImage().convertToFormat(ArgbFormat);
}

} // namespace

class TestConnectionBar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), SmallScreen);
        app = MainApp::instance();
        app->setAppletFactories({[]() -> Applet * { return new ToolApplet("Board"); }});
        QVERIFY(startupPictureIsOurs());
        QVERIFY(app->init());
        app->start();
        QVERIFY(QTest::qWaitForWindowExposed(app->mainWindow()));
    }

    // The frame size cut to the area, then placed: centred, or at the edge where it is cut.
    void placement_data()
    {
        addRows<QRect, QRect>({"available", "placed"}, // for the preferred frame 1445 x 1000
                              {{QRect(0, 0, 1920, 1080), QRect(237, 40, 1445, 1000)},
                               {QRect(0, 0, 1445, 1000), QRect(0, 0, 1445, 1000)},
                               {QRect(1920, 30, 2560, 1410), QRect(2477, 235, 1445, 1000)},
                               {QRect(0, 0, 1366, 768), QRect(0, 0, 1366, 768)},
                               {QRect(0, 24, 1600, 900), QRect(77, 24, 1445, 900)},
                               {QRect(10, 0, 1280, 1200), QRect(10, 100, 1280, 1000)}});
    }

    void placement()
    {
        QFETCH(QRect, available);
        QFETCH(QRect, placed);
        const QSize size = WindowPlacement::frameSize(available, QSize(1445, 1000));
        QCOMPARE(QRect(WindowPlacement::frameTopLeft(available, size), size), placed);
        // A window that cannot shrink to the area starts at its top-left corner.
        QCOMPARE(WindowPlacement::frameTopLeft(available, available.size() + QSize(50, 80)),
                 available.topLeft());
    }

    // As large as the screen allows, less the frame the preferred size assumes, with the
    // program's own icon.
    void mainWindowLiesWithinTheScreen()
    {
        MainWindow *window = app->mainWindow();
        QVERIFY(SmallScreen.contains(window->frameGeometry()));
        QCOMPARE(window->size(), QSize(1361, 743));
        const QIcon icon(QStringLiteral(":/icon/program"));
        QVERIFY(sameImage(window->windowIcon(), icon));
        QVERIFY(sameImage(qobject_cast<QMdiSubWindow *>(tool()->container())->windowIcon(), icon));
    }

    // A pseudo-terminal typed into the port list connects like a listed port; the firmware
    // text is shown whole, and is the label's tool tip too.
    void typedPseudoTerminalConnects()
    {
        FakeBoard board;
        MainWindow *window = app->mainWindow();
        QComboBox *ports = window->portList();
        const int listed = ports->count();
        ports->lineEdit()->clear();
        QTest::keyClicks(ports->lineEdit(), " " + board.devicePath() + " ");
        QTest::keyClick(ports->lineEdit(), Qt::Key_Return);
        QCOMPARE(ports->count(), listed); // a typed name does not join the list
        window->connectButton()->click();
        QCOMPARE(app->controlBoard()->portName(), board.devicePath());
        QVERIFY(app->isConnected() && tool()->isOnline());
        const QString text = QStringLiteral("FW P110: v     1044c from 26.08.2024 10:00");
        QCOMPARE(window->statusText(), text);
        QCOMPARE(window->statusLabel()->toolTip(), text);
        QTRY_VERIFY(window->statusLabel()->width() >=
                    window->statusLabel()->fontMetrics().horizontalAdvance(text));
        window->connectButton()->click();
        QVERIFY(!app->isConnected());
        QCOMPARE(window->portName(), board.devicePath()); // still there for the next connection
    }

    // A connection opened by a request shows its port in the bar (a listed one selected);
    // the simulation mark goes with the disconnection, by the button or by a request.
    void requestOpenShowsThePort()
    {
        FakeBoard board;
        MainWindow *window = app->mainWindow();
        const QString pipe = PipeClient::programPipe();
        window->setPortName("mockup");
        QCOMPARE(PipeClient::exchange(pipe, "run\topen\ts" + board.devicePath().toUtf8() + "\n"),
                 QByteArray("i1"));
        QCOMPARE(window->portName(), board.devicePath());
        app->disconnectBoard();
        window->portList()->setCurrentIndex(window->portList()->findText("script"));
        QCOMPARE(PipeClient::exchange(pipe, "run\topen\tsmockup\n"), QByteArray("i1"));
        QCOMPARE(window->portList()->currentIndex(), window->portList()->findText("mockup"));
        QCOMPARE(window->statusText(), SimulationMark);
        window->connectButton()->click();
        QCOMPARE(window->statusText(), QString());
        QVERIFY(app->connectBoard("mockup"));
        QCOMPARE(PipeClient::exchange(pipe, "run\tclose\n"), QByteArray("i1"));
        QCOMPARE(window->statusText(), QString());
        QCOMPARE(window->connectButton()->text(), QStringLiteral("Connect"));
    }

    // The damaged state file found in use: refused with one warning, the board page unmoved.
    void restoreLastRefusesDamagedState()
    {
        QVERIFY(app->connectBoard("mockup"));
        tool()->container()->setGeometry(40, 50, 320, 240);
        QVERIFY(TestFiles::write(WindowState::FileName, "\nBoard,0,2147483647,10,10,1\n"));
        const int warnings = app->logs()->warnings();
        app->mainWindow()->restoreButton()->click();
        QCOMPARE(app->logs()->warnings(), warnings + 1);
        QCOMPARE(tool()->container()->geometry(), QRect(40, 50, 320, 240));
        app->disconnectBoard();
    }

    // The console's value field shows a 32-bit value in hexadecimal whole.
    void consoleValueFieldIsUsable()
    {
        AppletHelper console(tool(), "HELP: Board");
        console.show();
        QVERIFY(QTest::qWaitForWindowExposed(&console));
        QLineEdit *value = console.valueEdit();
        const QMargins margins = value->textMargins() + value->contentsMargins();
        QVERIFY(value->width() - margins.left() - margins.right() >=
                value->fontMetrics().horizontalAdvance("0xFFFFFFFF"));
    }

    void cleanupTestCase() { app->shutdown(); }

private:
    ToolApplet *tool() const { return static_cast<ToolApplet *>(app->applet(1)); }

    // The start-up window, built before init(), shows the program's own picture when the
    // working directory holds no logo file.
    static bool startupPictureIsOurs()
    {
        const QImage logo =
            QPixmap(QStringLiteral(":/icon/logo")).toImage().convertToFormat(ArgbFormat);
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (!qobject_cast<DialogProgressBar *>(w))
                continue;
            for (QLabel *label : w->findChildren<QLabel *>()) {
                if (label->pixmap().toImage().convertToFormat(ArgbFormat) == logo)
                    return !logo.isNull();
            }
        }
        return false;
    }

    MainApp *app = nullptr;
    ShellPrompt prompt;
};

int main(int argc, char *argv[])
{
    const QString config = QDir::current().absoluteFilePath(QStringLiteral("small-screen.json"));
    const QByteArray screens =
        QStringLiteral("{\"screens\":[{\"name\":\"small\",\"x\":%1,\"y\":%2,\"width\":%3,"
                       "\"height\":%4,\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}")
            .arg(SmallScreen.x())
            .arg(SmallScreen.y())
            .arg(SmallScreen.width())
            .arg(SmallScreen.height())
            .toUtf8();
    if (!TestFiles::write(config, screens))
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    QApplication application(argc, argv);
    TestConnectionBar test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_connectionbar.moc"
