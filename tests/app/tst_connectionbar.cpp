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

    void placement_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("frame"); // the frame the window needs
        QTest::addColumn<QRect>("placed");

        const QSize preferred(1445, 1000);
        QTest::newRow("fits: centred at the preferred size")
            << QRect(0, 0, 1920, 1080) << preferred << QRect(237, 40, 1445, 1000);
        QTest::newRow("fits exactly")
            << QRect(0, 0, 1445, 1000) << preferred << QRect(0, 0, 1445, 1000);
        QTest::newRow("second screen with a panel above")
            << QRect(1920, 30, 2560, 1410) << preferred << QRect(2477, 235, 1445, 1000);
        QTest::newRow("too small both ways")
            << QRect(0, 0, 1366, 768) << preferred << QRect(0, 0, 1366, 768);
        QTest::newRow("too low only")
            << QRect(0, 24, 1600, 900) << preferred << QRect(77, 24, 1445, 900);
        QTest::newRow("too narrow only")
            << QRect(10, 0, 1280, 1200) << preferred << QRect(10, 100, 1280, 1000);
    }

    // The frame size cut to the area, then placed: centred, or at the edge where it is cut.
    void placement()
    {
        QFETCH(QRect, available);
        QFETCH(QSize, frame);
        QFETCH(QRect, placed);
        const QSize size = WindowPlacement::frameSize(available, frame);
        QCOMPARE(QRect(WindowPlacement::frameTopLeft(available, size), size), placed);
        // A window that cannot shrink to the area starts at its top-left corner.
        QCOMPARE(WindowPlacement::frameTopLeft(available, available.size() + QSize(50, 80)),
                 available.topLeft());
    }

    void mainWindowLiesWithinTheScreen()
    {
        MainWindow *window = app->mainWindow();
        QVERIFY2(SmallScreen.contains(window->frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(window->frameGeometry().x())
                                .arg(window->frameGeometry().y())
                                .arg(window->frameGeometry().width())
                                .arg(window->frameGeometry().height())));
        QVERIFY(window->statusBar()->isVisible());
        // As large as the screen allows, less the frame the preferred size assumes.
        QCOMPARE(window->size(), QSize(1361, 743));
    }

    void programIconOnEveryWindow()
    {
        const QIcon icon(QStringLiteral(":/icon/program"));
        QVERIFY(!icon.isNull());
        QVERIFY(sameImage(app->mainWindow()->windowIcon(), icon));
        auto *sub = qobject_cast<QMdiSubWindow *>(tool()->container());
        QVERIFY(sub);
        QVERIFY(sameImage(sub->windowIcon(), icon));
    }

    // A pseudo-terminal typed into the port list connects like a listed port.
    void typedPseudoTerminalConnects()
    {
        FakeBoard board;
        QVERIFY(board.isValid());
        MainWindow *window = app->mainWindow();
        QComboBox *ports = window->portList();
        QVERIFY(ports->isEditable());
        const int listed = ports->count();
        ports->lineEdit()->clear();
        QTest::keyClicks(ports->lineEdit(), QStringLiteral(" ") + board.devicePath() + " ");
        QTest::keyClick(ports->lineEdit(), Qt::Key_Return);
        QCOMPARE(ports->count(), listed); // a typed name does not join the list
        window->connectButton()->click();
        QVERIFY(app->isConnected());
        QCOMPARE(app->controlBoard()->portName(), board.devicePath());
        QCOMPARE(window->connectButton()->text(), QStringLiteral("Disconnect"));
        QVERIFY(tool()->isOnline());

        // The firmware text is shown whole, and is the label's tool tip too.
        const QString text = QStringLiteral("FW P110: v     1044c from 26.08.2024 10:00");
        QCOMPARE(window->statusText(), text);
        QCOMPARE(window->statusLabel()->toolTip(), text);
        QTRY_VERIFY(window->statusLabel()->width() >=
                    window->statusLabel()->fontMetrics().horizontalAdvance(text));

        window->connectButton()->click();
        QVERIFY(!app->isConnected());
        QCOMPARE(window->portName(), board.devicePath()); // still there for the next connection
    }

    // A connection opened by a request shows its port in the bar.
    void requestOpenShowsThePort()
    {
        FakeBoard board;
        MainWindow *window = app->mainWindow();
        window->setPortName(QStringLiteral("mockup"));
        const QByteArray open = "run\topen\ts" + board.devicePath().toUtf8() + "\n";
        QCOMPARE(PipeClient::exchange(PipeClient::programPipe(), open), QByteArray("i1"));
        QVERIFY(app->isConnected());
        QCOMPARE(window->portName(), board.devicePath());
        QVERIFY(window->statusText().startsWith(QStringLiteral("FW P110")));
        // A listed port is selected in the list.
        app->disconnectBoard();
        const int script = window->portList()->findText(QStringLiteral("script"));
        QVERIFY(script >= 0);
        window->portList()->setCurrentIndex(script);
        QCOMPARE(PipeClient::exchange(PipeClient::programPipe(), "run\topen\tsmockup\n"),
                 QByteArray("i1"));
        QCOMPARE(window->portList()->currentText(), QStringLiteral("mockup"));
        QCOMPARE(window->portList()->currentIndex(), window->portList()->findText("mockup"));
        app->disconnectBoard();
    }

    void simulationMarkClearedOnDisconnect()
    {
        MainWindow *window = app->mainWindow();
        window->setPortName(QStringLiteral("mockup"));
        window->connectButton()->click();
        QVERIFY(app->isConnected());
        QCOMPARE(window->statusText(), SimulationMark);
        window->connectButton()->click();
        QVERIFY(!app->isConnected());
        QCOMPARE(window->statusText(), QString());
        // Also when the disconnection comes through a request.
        QVERIFY(app->connectBoard(QStringLiteral("mockup")));
        QCOMPARE(window->statusText(), SimulationMark);
        QCOMPARE(PipeClient::exchange(PipeClient::programPipe(), "run\tclose\n"), QByteArray("i1"));
        QCOMPARE(window->statusText(), QString());
        QCOMPARE(window->connectButton()->text(), QStringLiteral("Connect"));
    }

    // The damaged state file found in use: refused with one warning, the board page unmoved.
    void restoreLastRefusesDamagedState()
    {
        QVERIFY(app->connectBoard(QStringLiteral("mockup")));
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
        AppletHelper console(tool(), QStringLiteral("HELP: Board"));
        console.show();
        QVERIFY(QTest::qWaitForWindowExposed(&console));
        auto *value = console.findChild<CustomControls::LineEdit *>(QStringLiteral("leValue"));
        QVERIFY(value);
        const QMargins margins = value->textMargins() + value->contentsMargins();
        QVERIFY2(value->width() - margins.left() - margins.right() >=
                     value->fontMetrics().horizontalAdvance(QStringLiteral("0xFFFFFFFF")),
                 qPrintable(QString::number(value->width())));
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
