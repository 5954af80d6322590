#include "tst_appletfixture.h"

#include "checkbox.h"

#include <QAction>
#include <QDockWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

// The applet's containers, menu action, visibility and online state.
class TestAppletWindow : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        applet = new TestApplet;
        applet->setWindowTitle("Test window");
    }

    void cleanup()
    {
        // A container owns its applet.
        if (QWidget *c = applet->container())
            delete c;
        else
            delete applet;
        applet = nullptr;
    }

    void subWindowSize_data()
    {
        QTest::addColumn<bool>("fixedWidth");
        QTest::addColumn<bool>("fixedHeight");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("free") << false << false << QRect(10, 20, 520, 340);
        QTest::newRow("both fixed") << true << true << QRect(10, 20, 510, 335);
    }

    void subWindowSize()
    {
        QFETCH(bool, fixedWidth);
        QFETCH(bool, fixedHeight);
        QFETCH(QRect, geometry);
        applet->fixedWidth = fixedWidth;
        applet->fixedHeight = fixedHeight;
        applet->setGeometry(10, 20, 500, 300);

        QWidget *c = applet->createContainer(Applet::MdiContainer, nullptr);
        auto *sub = qobject_cast<QMdiSubWindow *>(c);
        QVERIFY(sub);
        QCOMPARE(applet->container(), c);
        QCOMPARE(applet->containerKind(), 0);
        QCOMPARE(sub->widget(), static_cast<QWidget *>(applet));
        QCOMPARE(sub->geometry(), geometry);
        QCOMPARE(sub->minimumWidth() == sub->maximumWidth(), fixedWidth);
        QCOMPARE(sub->minimumHeight() == sub->maximumHeight(), fixedHeight);
        QVERIFY(sub->isHidden());
        applet->resize(900, 900); // made once, with the first size
        QCOMPARE(applet->createContainer(Applet::MdiContainer, nullptr), c);
        QCOMPARE(sub->geometry(), geometry);
    }

    void actionText_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("title equals name") << QString("TestApplet") << QString("TestApplet");
        QTest::newRow("title differs") << QString("SPI Raw") << QString("SPI Raw(TestApplet)");
        QTest::newRow("no title") << QString() << QString("(TestApplet)");
    }

    void actionText()
    {
        QFETCH(QString, title);
        QFETCH(QString, text);
        applet->setWindowTitle(title);
        QAction *a = applet->action();
        QVERIFY(a);
        QCOMPARE(a->text(), text);
        QVERIFY(a->isCheckable());
        QVERIFY(!a->isChecked());
        QCOMPARE(a->whatsThis(), QString("TestApplet"));
        QCOMPARE(applet->action(), a);
    }

    // An MDI sub-window without maximise button inside the area; closing it only hides it.
    void closeHidesAndTheActionShowsAgain()
    {
        auto *box = new CustomControls::CheckBox(applet);
        box->setChecked(true);
        QMdiArea area;
        auto *sub = qobject_cast<QMdiSubWindow *>(applet->createContainer(0, nullptr));
        area.addSubWindow(sub);
        area.show();
        QAction *a = applet->action();
        applet->showWindow();
        QVERIFY(!sub->isWindow());
        QVERIFY(!(sub->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(sub->windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(a->isChecked());
        QVERIFY(sub->isVisible());
        QVERIFY(applet->isWindowVisible());

        QSignalSpy hidden(applet, &Applet::signal_HideWindow);
        QVERIFY(!sub->close());
        QCOMPARE(hidden.size(), 1);
        QVERIFY(!sub->isVisible());
        QVERIFY(!a->isChecked());
        QCOMPARE(sub->widget(), static_cast<QWidget *>(applet)); // nothing was destroyed

        a->trigger(); // checks the action
        QVERIFY(a->isChecked());
        QVERIFY(sub->isVisible());
        QVERIFY(box->isChecked());
        a->trigger();
        QVERIFY(!sub->isVisible());
        applet->showWindow();
        applet->hideWindow();
        QVERIFY(!sub->isVisible());
        QVERIFY(!a->isChecked());
        QVERIFY(!applet->isWindowVisible());
        area.removeSubWindow(sub);
    }

    void dockActionFollowsTheDock()
    {
        QMainWindow window;
        auto *dock = qobject_cast<QDockWidget *>(applet->createContainer(1, &window));
        QVERIFY(dock);
        QCOMPARE(applet->containerKind(), 1);
        QCOMPARE(dock->windowTitle(), QString("Test window"));
        QCOMPARE(dock->widget(), static_cast<QWidget *>(applet));
        QCOMPARE(dock->parentWidget(), static_cast<QWidget *>(&window));
        QVERIFY(dock->isHidden());
        window.addDockWidget(Qt::RightDockWidgetArea, dock);
        window.show();

        QAction *a = applet->action();
        QCOMPARE(a, dock->toggleViewAction());
        applet->showWindow();
        QVERIFY(dock->isVisible());
        QVERIFY(a->isChecked());
        dock->close();
        QVERIFY(!dock->isVisible());
        QVERIFY(!a->isChecked());
        a->trigger();
        QVERIFY(dock->isVisible());
        QVERIFY(a->isChecked());

        // The container is the main window's: leave it there for the window to delete.
        window.removeDockWidget(dock);
        dock->setParent(nullptr);
    }

    void otherKindsHaveNoContainer()
    {
        QVERIFY(!applet->createContainer(2, nullptr));
        QCOMPARE(applet->containerKind(), 2);
        QVERIFY(!applet->container());
        QVERIFY(!applet->action());
        QVERIFY(applet->setup()); // set-up works without an action
        applet->showWindow();     // no container: the applet itself
        QVERIFY(applet->isWindowVisible());
        applet->hideWindow();
        QVERIFY(!applet->isWindowVisible());
    }

    // The connect hook runs while still offline; a disabled applet goes neither online nor
    // offline.
    void activateRunsTheHookWhileOffline()
    {
        QVERIFY(applet->setup());
        QAction *a = applet->action();
        QVERIFY(!a->isEnabled());
        applet->setEnabled(false);
        applet->activate();
        QVERIFY(!applet->isOnline());
        QVERIFY(applet->connectedWhileOnline.isEmpty());
        QVERIFY(!a->isEnabled());
        applet->setEnabled(true);
        QVERIFY(a->isEnabled());
        applet->activate();
        QCOMPARE(applet->connectedWhileOnline, QList<bool>{false});
        QVERIFY(applet->isOnline());
        QVERIFY(a->isEnabled());
        applet->setEnabled(false);
        applet->deactivate();
        QVERIFY(applet->isOnline());
        QCOMPARE(applet->disconnectCalls, 0);
        applet->setEnabled(true);
        applet->deactivate();
        QCOMPARE(applet->disconnectCalls, 1);
        QVERIFY(!applet->isOnline());
        QVERIFY(!a->isEnabled());
    }

    void releaseContainerUndoesTheConnections()
    {
        QMdiArea area;
        auto *sub = qobject_cast<QMdiSubWindow *>(applet->createContainer(0, nullptr));
        area.addSubWindow(sub);
        area.show();
        QPointer<QAction> a = applet->action();
        applet->showWindow();
        applet->releaseContainer();
        QVERIFY(a.isNull());
        // A close no longer hides the sub-window; a new action can be made.
        QVERIFY(!sub->close());
        QVERIFY(sub->isVisible());
        QAction *again = applet->action();
        QVERIFY(again);
        again->trigger();
        QVERIFY(sub->isVisible() == again->isChecked());
        area.removeSubWindow(sub);

        // A dock keeps its own toggle action.
        QMainWindow window;
        auto *dockApplet = new TestApplet;
        auto *dock = qobject_cast<QDockWidget *>(dockApplet->createContainer(1, &window));
        QAction *toggle = dockApplet->action();
        dockApplet->releaseContainer();
        QCOMPARE(dock->toggleViewAction(), toggle);
        window.addDockWidget(Qt::LeftDockWidgetArea, dock);
        window.show();
        dock->show();
        dock->close();
        QVERIFY(!toggle->isChecked());
    }

private:
    TestApplet *applet = nullptr;
};

QTEST_MAIN(TestAppletWindow)
#include "tst_appletwindow.moc"
