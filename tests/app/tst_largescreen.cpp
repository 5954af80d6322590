// The program, with two tool windows, on a screen that holds the main window's whole preferred
// frame (2560 x 1440): the window opens at its preferred size, centred, not maximized; the
// start-up window over it and its last state. The start is given its project type, as by
// --project, and finds an options file.
#include "tst_shellfixture.h"

#include "dialogprogressbar.h"
#include "logrecorder.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "optionsfile.h"
#include "recordingprompt.h"
#include "screenconfig.h"
#include "testfiles.h"
#include "windowplacement.h"

#include <QLabel>
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

// The start-up window's texts and progress when it goes.
class StartupWindowEnd : public QObject
{
public:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Hide) {
            const auto *window = static_cast<DialogProgressBar *>(object);
            value = window->value();
            texts.clear();
            for (const QLabel *label : window->findChildren<QLabel *>())
                if (!label->text().isEmpty())
                    texts << label->text();
        }
        return false;
    }
    QStringList texts;
    int value = -1;
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
        QVERIFY(TestFiles::write(OptionsFile::DefaultFileName, "[General]\ncomm_timeout=77\n"));
        app->setAppletFactories({[](QWidget *parent) { return new ToolApplet("ToolA", parent); },
                                 [](QWidget *parent) { return new ToolApplet("ToolB", parent); }});
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<DialogProgressBar *>(w))
                w->installEventFilter(&startupEnd);
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

    // The start-up window goes once the probe of the ports has begun, its bar advanced past 90
    // while the windows were placed.
    void startupWindowAtItsEnd()
    {
        QCOMPARE(startupEnd.texts, QStringList{"Initializing channel connection..."});
        QVERIFY2(startupEnd.value > 90, qPrintable(QString::number(startupEnd.value)));
    }

    // The options file found at the start replaces the defaults.
    void optionsFileRead() { QCOMPARE(app->option("comm_timeout").toInt(), 77); }

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
    StartupWindowEnd startupEnd;
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
