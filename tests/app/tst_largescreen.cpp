// The program on a screen that holds the main window's whole preferred frame (2560 x 1440): the
// window opens at its preferred size, centred, not maximized. The start is given its project
// type, as by --project.
#include "logrecorder.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "recordingprompt.h"
#include "screenconfig.h"
#include "windowplacement.h"

#include <QScreen>
#include <QtTest>

static const QRect LargeScreen(0, 0, 2560, 1440);

// The class names of the windows painted, in order.
class WindowPaints : public QObject
{
public:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && object->isWidgetType() &&
            static_cast<QWidget *>(object)->isWindow())
            windows << object->metaObject()->className();
        return false;
    }
    QStringList windows;
};

class TestLargeScreen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), LargeScreen);
        app = MainApp::instance();
        app->setPortProbe([]() { return QStringList{"mockup"}; });
        app->setProjectTypeChoice("TO1/TO2");
        qApp->installEventFilter(&paints);
        connect(app, &MainApp::signal_mainWindowShown, this, [this]() {
            paintedWhenShown = paints.windows;
            qApp->removeEventFilter(&paints);
        });
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

    // The start-up window stays drawn over the main window: once both are shown, no paint of
    // the main window follows the start-up window's.
    void startupWindowPaintedOverTheMainWindow()
    {
        QVERIFY2(!paintedWhenShown.endsWith("MainWindow"), qPrintable(paintedWhenShown.join(",")));
    }

    // A project type given at the start is taken without asking, and the log says so.
    void projectTypeGiven()
    {
        QCOMPARE(app->projectType(), QString("TO1/TO2"));
        QVERIFY(log.entries().contains({0, "Project type TO1/TO2, given by --project"}));
    }

    void cleanupTestCase() { app->shutdown(); }

private:
    RecordingPrompt prompt;
    MainApp *app = nullptr;
    LogRecorder log{MainApp::instance()};
    WindowPaints paints;
    QStringList paintedWhenShown;
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
