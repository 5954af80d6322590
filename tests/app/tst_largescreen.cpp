// The program on a screen that holds the main window's whole preferred frame (2560 x 1440): the
// window opens at its preferred size, centred, not maximized.
#include "mainapp.h"
#include "mainwindow.h"
#include "recordingprompt.h"
#include "screenconfig.h"
#include "windowplacement.h"

#include <QScreen>
#include <QtTest>

static const QRect LargeScreen(0, 0, 2560, 1440);

class TestLargeScreen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), LargeScreen);
        app = MainApp::instance();
        app->setPortProbe([]() { return QStringList{"mockup"}; });
        QVERIFY(app->init());
        app->start();
        QVERIFY(QTest::qWaitForWindowExposed(app->mainWindow()));
    }

    void mainWindowAtItsPreferredSize()
    {
        const MainWindow *window = app->mainWindow();
        QVERIFY(!window->isMaximized());
        QCOMPARE(window->size(), MainWindow::PreferredSize);
        // The frame the program plans for is centred on the screen.
        const QSize frame(1445, 1000);
        QCOMPARE(window->frameGeometry().topLeft(),
                 WindowPlacement::frameTopLeft(LargeScreen, frame));
        QVERIFY(LargeScreen.contains(window->frameGeometry()));
    }

    void cleanupTestCase() { app->shutdown(); }

private:
    RecordingPrompt prompt;
    MainApp *app = nullptr;
};

int main(int argc, char *argv[])
{
    if (!ScreenConfig::use(LargeScreen))
        return 2;
    QApplication application(argc, argv);
    TestLargeScreen test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_largescreen.moc"
