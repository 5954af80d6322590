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
    void init();
    void cleanup();

    void subWindowSize_data();
    void subWindowSize();
    void subWindowHasNoMaximiseButtonAndStaysInTheArea();
    void containerIsMadeOnce();
    void actionText_data();
    void actionText();
    void setupCreatesTheActionBeforeTheShortcutPrefix();
    void closeHidesAndTheActionShowsAgain();
    void showAndHideWindow();
    void dockActionFollowsTheDock();
    void otherKindsHaveNoContainer();
    void dockActionWithoutDockIsNull();
    void activateRunsTheHookWhileOffline();
    void disabledAppletStaysOffline();
    void renameChangesNameActionAndTitle();
    void releaseContainerUndoesTheConnections();
    void keyPresses();

private:
    TestApplet *applet = nullptr;
    QMdiSubWindow *ownedSubWindow = nullptr;
};

void TestAppletWindow::init()
{
    applet = new TestApplet;
    applet->setWindowTitle("Test window");
    ownedSubWindow = nullptr;
}

void TestAppletWindow::cleanup()
{
    // A container owns its applet.
    if (QWidget *c = applet->container())
        delete c;
    else
        delete applet;
    applet = nullptr;
}

void TestAppletWindow::subWindowSize_data()
{
    QTest::addColumn<bool>("fixedWidth");
    QTest::addColumn<bool>("fixedHeight");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("free") << false << false << QRect(10, 20, 520, 340);
    QTest::newRow("fixed width") << true << false << QRect(10, 20, 510, 340);
    QTest::newRow("fixed height") << false << true << QRect(10, 20, 520, 335);
    QTest::newRow("both fixed") << true << true << QRect(10, 20, 510, 335);
}

void TestAppletWindow::subWindowSize()
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
}

void TestAppletWindow::subWindowHasNoMaximiseButtonAndStaysInTheArea()
{
    QMdiArea area;
    area.resize(800, 600);
    auto *sub = qobject_cast<QMdiSubWindow *>(applet->createContainer(0, nullptr));
    QVERIFY(!(sub->windowFlags() & Qt::WindowMaximizeButtonHint));
    area.addSubWindow(sub);
    area.show();
    applet->showWindow();
    QVERIFY(!sub->isWindow());
    QVERIFY(sub->isVisible());
    QVERIFY(!(sub->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(sub->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(applet->isWindowVisible());
    area.removeSubWindow(sub);
}

void TestAppletWindow::containerIsMadeOnce()
{
    QWidget *first = applet->createContainer(0, nullptr);
    applet->resize(900, 900);
    QCOMPARE(applet->createContainer(0, nullptr), first);
    QVERIFY(first->width() < 900);
}

void TestAppletWindow::actionText_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("title equals name") << "TestApplet"
                                       << "TestApplet";
    QTest::newRow("title differs") << "SPI Raw"
                                   << "SPI Raw(TestApplet)";
    QTest::newRow("no title") << ""
                              << "(TestApplet)";
}

void TestAppletWindow::actionText()
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

void TestAppletWindow::setupCreatesTheActionBeforeTheShortcutPrefix()
{
    applet->setWindowTitle("SPI Raw");
    QVERIFY(applet->setup());
    applet->setTitle("(Ctrl+0) SPI Raw");
    QCOMPARE(applet->title(), QString("(Ctrl+0) SPI Raw"));
    QCOMPARE(applet->action()->text(), QString("SPI Raw(TestApplet)"));
    QVERIFY(!applet->action()->isEnabled());
}

void TestAppletWindow::closeHidesAndTheActionShowsAgain()
{
    auto *box = new CustomControls::CheckBox(applet);
    box->setChecked(true);
    QMdiArea area;
    auto *sub = qobject_cast<QMdiSubWindow *>(applet->createContainer(0, nullptr));
    area.addSubWindow(sub);
    area.show();
    QAction *a = applet->action();
    applet->showWindow();
    QVERIFY(a->isChecked());
    QVERIFY(sub->isVisible());

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
    area.removeSubWindow(sub);
}

void TestAppletWindow::showAndHideWindow()
{
    QWidget *c = applet->createContainer(0, nullptr);
    QAction *a = applet->action();
    applet->showWindow();
    QVERIFY(c->isVisible());
    QVERIFY(a->isChecked());
    QVERIFY(applet->isWindowVisible());
    applet->hideWindow();
    QVERIFY(!c->isVisible());
    QVERIFY(!a->isChecked());
    QVERIFY(!applet->isWindowVisible());
}

void TestAppletWindow::dockActionFollowsTheDock()
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

void TestAppletWindow::otherKindsHaveNoContainer()
{
    QVERIFY(!applet->createContainer(2, nullptr));
    QCOMPARE(applet->containerKind(), 2);
    QVERIFY(!applet->container());
    QVERIFY(!applet->action());
    applet->showWindow(); // no container: the applet itself
    QVERIFY(applet->isWindowVisible());
    applet->hideWindow();
    QVERIFY(!applet->isWindowVisible());
}

void TestAppletWindow::dockActionWithoutDockIsNull()
{
    QMainWindow window;
    QVERIFY(applet->createContainer(1, &window));
    auto *other = new TestApplet;
    // A dock applet whose dock was never made: no action, and set-up still works.
    other->createContainer(5, nullptr);
    QVERIFY(!other->action());
    QVERIFY(other->setup());
    delete other;
    window.removeDockWidget(qobject_cast<QDockWidget *>(applet->container()));
    applet->container()->setParent(nullptr);
}

void TestAppletWindow::activateRunsTheHookWhileOffline()
{
    QVERIFY(applet->setup());
    QAction *a = applet->action();
    QVERIFY(!a->isEnabled());
    applet->activate();
    QCOMPARE(applet->connectedWhileOnline, QList<bool>{false});
    QVERIFY(applet->isOnline());
    QVERIFY(a->isEnabled());
    applet->deactivate();
    QCOMPARE(applet->disconnectCalls, 1);
    QVERIFY(!applet->isOnline());
    QVERIFY(!a->isEnabled());
}

void TestAppletWindow::disabledAppletStaysOffline()
{
    QVERIFY(applet->setup());
    applet->setEnabled(false);
    QVERIFY(!applet->isEnabled());
    applet->activate();
    QVERIFY(!applet->isOnline());
    QVERIFY(applet->connectedWhileOnline.isEmpty());
    QVERIFY(!applet->action()->isEnabled());

    applet->setEnabled(true);
    QVERIFY(applet->action()->isEnabled());
    applet->activate();
    QVERIFY(applet->isOnline());
    applet->setEnabled(false);
    applet->deactivate(); // disabled: stays as it was
    QVERIFY(applet->isOnline());
    QCOMPARE(applet->disconnectCalls, 0);
}

void TestAppletWindow::renameChangesNameActionAndTitle()
{
    applet->rename("Other");
    QCOMPARE(applet->name(), QString("Other"));
    QCOMPARE(applet->title(), QString("Other"));
    QAction *a = applet->action();
    QCOMPARE(a->text(), QString("Other"));
    applet->rename("Third");
    QCOMPARE(a->text(), QString("Third"));
    QCOMPARE(applet->objectName(), QString("Third"));
    QCOMPARE(applet->widget(), static_cast<QWidget *>(applet));
}

void TestAppletWindow::releaseContainerUndoesTheConnections()
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

void TestAppletWindow::keyPresses()
{
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(applet, &f1);
    QVERIFY(f1.isAccepted());
    QKeyEvent shiftF1(QEvent::KeyPress, Qt::Key_F1, Qt::ShiftModifier);
    QCoreApplication::sendEvent(applet, &shiftF1);
    QVERIFY(!shiftF1.isAccepted());
    QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    QCoreApplication::sendEvent(applet, &other);
    QVERIFY(!other.isAccepted());
}

QTEST_MAIN(TestAppletWindow)
#include "tst_appletwindow.moc"
