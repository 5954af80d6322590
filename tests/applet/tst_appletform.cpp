// Binding a form: its buttons (commands of the applet's own buttons only), widgets found down to
// the search depth and bound anew after the form changed, a name-based write whose item is
// written through another one, and the applet's dock and action across a change of container.
#include "applet.h"
#include "appletscroll.h"
#include "countingedit.h"
#include "lineedit.h"
#include "paintcounter.h"
#include "pushbutton.h"
#include "recordingprompt.h"
#include "register.h"
#include "variable.h"

#include <QAction>
#include <QDockWidget>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPoint>
#include <QPushButton>
#include <QPointer>
#include <QScrollBar>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QtTest>

#include <functional>
#include <limits>
#include <memory>

using CustomControls::LineEdit;
using CustomControls::PushButton;

// Records its commands as "command|args".
class WriteApplet : public Applet
{
public:
    explicit WriteApplet(QWidget *parent = nullptr)
        : Applet(parent), bank("SW1#Switch one;LEVEL[3]#Level", "BANK"),
          sa("@variable=SA@value=1@min=0@max=31@descr=Start address"),
          text("@variable=TEXT@value=abc")
    {
        setObjectName("WriteApplet");
    }
    bool init() override { return addRegister(&bank, 4) && addVariable(&sa) && addVariable(&text); }
    QVariant run(const QString &command, const QVariant &args) override
    {
        commands.append(command + "|" + args.toString());
        return true;
    }
    bool updateItem(int mode, const QString &name) override
    {
        return hook ? hook(mode, name) : true;
    }

    Register bank;
    using Applet::fixedHeight;
    using Applet::runAsEdit;
    using Applet::runAsRefresh;
    Variable sa, text;
    QStringList commands;
    std::function<bool(int, const QString &)> hook;
};

// A virtual field that stands for another item: what is written to it goes there.
class ForwardingField : public Register::Virtual
{
public:
    explicit ForwardingField(std::function<void(quint32)> write) : m_write(std::move(write)) {}
    void setValue(quint32 value) override { m_write(value); }

private:
    std::function<void(quint32)> m_write;
};

// A form button handled by a slot connected by name, counting its clicks.
class SlotApplet : public Applet
{
    Q_OBJECT
public:
    SlotApplet()
    {
        go = new QPushButton(this);
        go->setObjectName("pbGo");
    }
    QVariant run(const QString &, const QVariant &) override { return QVariant(); }
    QPushButton *go;
    int clicks = 0;
public slots:
    void on_pbGo_clicked() { ++clicks; }
};

class TestAppletForm : public QObject
{
    Q_OBJECT

private slots:
    // A button placed right on the form runs its command; once it has left the applet's
    // windows it runs nothing, even though it was bound.
    void onlyTheAppletsOwnButtonsRunCommands()
    {
        WriteApplet applet;
        auto *direct = new PushButton(&applet);
        direct->setAccessibleName("Read(1)");
        auto *moved = new PushButton(&applet);
        moved->setAccessibleName("Erase(2)");
        QVERIFY(applet.setup());
        direct->click();
        QWidget elsewhere;
        moved->setParent(&elsewhere);
        moved->click();
        QCOMPARE(applet.commands, QStringList{"Read|1"});
        QVERIFY(direct->toolTip().contains("Read (1)"));
    }

    // Widgets are found down to the eleventh level under the applet, not deeper; a bound widget
    // deleted leaves the applet; binding anew binds what was added and nothing twice.
    void formWidgetsAreBoundAnew()
    {
        WriteApplet applet;
        QWidget *parent = &applet;
        QList<LineEdit *> edits;
        for (int level = 1; level <= 12; ++level) {
            edits.append(new LineEdit(parent));
            edits.last()->setAccessibleName("SA");
            parent = new QWidget(parent);
        }
        QVERIFY(applet.setup());
        QVERIFY(edits.at(10)->isConnected() && !edits.at(11)->isConnected());
        delete edits.takeFirst();
        QCOMPARE(applet.controlNames().count("SA"), 10); // gone from the form's controls at once
        auto *added = new LineEdit(&applet);
        added->setAccessibleName("BANK[LEVEL]");
        applet.bindControls();
        QVERIFY(added->isConnected());
        QCOMPARE(applet.controlNames().count("SA"), 10);
        // The deleted widget has left the item: a change shows in the others, and the item
        // goes without touching it.
        applet.activate();
        QVERIFY(applet.sa.setValue(9.0, Variable::InternalKey));
        QCOMPARE(edits.at(0)->value(), 9.0);
        applet.removeItem("SA");
        QVERIFY(!applet.binding("SA"));
    }

    // A name-based write of a field that stands for another item shows the written item
    // although that other item's change notice came first and the field's own never does.
    void writeThroughAnotherItemShowsItsOwnItem()
    {
        WriteApplet applet;
        auto *bankEdit = new CountingEdit(&applet);
        bankEdit->setAccessibleName("BANK[]");
        auto *saEdit = new CountingEdit(&applet);
        saEdit->setAccessibleName("SA");
        QVERIFY(applet.bank.addVirtual("ALIAS", "the start address",
                                       new ForwardingField([&](quint32 v) {
                                           applet.sa.setValue(double(v), Variable::InternalKey);
                                       })));
        QVERIFY(applet.setup());
        applet.activate();
        bankEdit->sets = saEdit->sets = 0;
        QVERIFY(applet.set("BANK[ALIAS]", 7, Variable::OutsideKey));
        QCOMPARE(applet.sa.value(), 7.0);
        QCOMPARE(saEdit->sets, 1);
        QCOMPARE(bankEdit->sets, 1);
        // An unsigned value is taken up to the top of 32 bits (the register keeps its width).
        QVERIFY(applet.set("BANK[]", std::numeric_limits<quint32>::max(), Variable::OutsideKey));
        QCOMPARE(applet.bank.value(true), 0xFu);
        QVERIFY(!applet.set("BANK[]", quint64(1) << 32, Variable::OutsideKey));
        // A signed value is taken down to the bottom of 32 bits, as its two's complement.
        QVERIFY(applet.set("BANK[]", std::numeric_limits<qint32>::min(), Variable::OutsideKey));
        QCOMPARE(applet.bank.value(true), 0u);
        QVERIFY(
            !applet.set("BANK[]", std::numeric_limits<qint32>::min() - 1LL, Variable::OutsideKey));
    }

    // A dock stays hidden until shown; its toggle action belongs to it, so releasing the
    // container deletes only an action of the applet's own, also after a change of container.
    void dockAndActionAcrossContainers()
    {
        QMainWindow window;
        auto *applet = new WriteApplet;
        std::unique_ptr<QWidget> sub(applet->createContainer(Applet::MdiContainer, nullptr));
        QPointer<QAction> own = applet->action();
        QVERIFY(own);
        applet->releaseContainer();
        QVERIFY(!own);
        auto *dock =
            qobject_cast<QDockWidget *>(applet->createContainer(Applet::DockContainer, &window));
        window.addDockWidget(Qt::LeftDockWidgetArea, dock);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!dock->isVisible());
        QCOMPARE(dock->widget(), applet);
        QCOMPARE(applet->container(), dock);
        QPointer<QAction> toggle = applet->action();
        applet->showWindow();
        QVERIFY(dock->isVisible() && applet->isWindowVisible());
        QVERIFY(!applet->close()); // the released sub-window's hiding is gone with it
        QVERIFY(toggle->isChecked() && dock->isVisible());
        applet->hideWindow();
        QVERIFY(!dock->isVisible());
        QCOMPARE(toggle.data(), dock->toggleViewAction());
        applet->releaseContainer();
        QVERIFY(toggle);
        delete applet->container();
    }
    // An applet built inside an empty sub-window keeps it as its container; the window fits
    // the applet again when the applet asks for it.
    void appletBuiltInItsSubWindow()
    {
        QMdiArea area;
        QMdiSubWindow *sub = Applet::createSubWindow(&area);
        area.show(); // the empty window waits for its applet
        QVERIFY(!sub->isVisible());
        auto *applet = new WriteApplet(sub);
        auto *content = new QWidget;
        content->setMinimumSize(400, 300);
        (new QVBoxLayout(applet))->addWidget(content);
        QCOMPARE(applet->createContainer(Applet::MdiContainer, &area), sub);
        QCOMPARE(area.subWindowList().size(), 1);
        sub->resize(150, 100);
        applet->slot_adjustSize();
        QVERIFY2(sub->width() > 400 && sub->height() > 300,
                 qPrintable(QString("%1x%2").arg(sub->width()).arg(sub->height())));
    }

    // The text a form gives a value field sets how it shows its item ("0x": hexadecimal); only
    // bound items are the applet's items; a register of another size than its applet expects
    // is bound all the same, with a notice.
    void formTextAndRegisterSize()
    {
        WriteApplet applet;
        auto *hex = new LineEdit(&applet);
        hex->setAccessibleName("BANK[]");
        hex->setText("0x0");
        applet.bank.setValue(0xAu, true);
        QVERIFY(applet.setup());
        QCOMPARE(hex->text(), QString("A"));
        QVERIFY(applet.hasItem("BANK[LEVEL]") && applet.hasItem("SA"));
        QVERIFY(!applet.hasItem("NOPE[X]") && !applet.hasItem("NOPE") && !applet.hasItem(""));
        Register odd(4, "ODD");
        QLoggingCategory::setFilterRules(QStringLiteral("kvl.applet.debug=true"));
        QTest::ignoreMessage(QtDebugMsg, "Register size control fail : ODD .size 4 != 1");
        QVERIFY(applet.addRegister(&odd, 1));
        // Of the expected size, or with no size expected, a register is bound without a notice.
        static QStringList notices;
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &text) { notices << text; });
        Register fits(1, "FITS"), any(4, "ANY");
        const bool bound = applet.addRegister(&fits, 1) && applet.addRegister(&any, 0);
        qInstallMessageHandler(previous);
        QVERIFY(bound);
        QCOMPARE(notices, QStringList());
        QLoggingCategory::setFilterRules(QString());
        QVERIFY(applet.binding("ODD"));
    }

    // A string variable takes bytes, texts and numbers by name as its text; its widget shows it.
    void stringVariableByName()
    {
        WriteApplet applet;
        auto *edit = new LineEdit(&applet);
        edit->setAccessibleName("TEXT");
        QVERIFY(applet.setup());
        QVERIFY(applet.set("TEXT", QByteArray("raw"), Variable::OutsideKey));
        QCOMPARE(applet.text.text(), QByteArray("raw"));
        QCOMPARE(edit->text(), QString("raw"));
        QVERIFY(applet.set("TEXT", QString("typed"), Variable::OutsideKey));
        QCOMPARE(edit->text(), QString("typed"));
        QVERIFY(applet.set("TEXT", 42, Variable::OutsideKey));
        QCOMPARE(applet.get("TEXT", Variable::OutsideKey).toString(), QString("42"));
        QVERIFY(!applet.set("TEXT", QPoint(1, 2), Variable::OutsideKey)); // no text of its own
        QCOMPARE(applet.text.text(), QByteArray("42"));
    }

    // A dock's action carries the applet's icon and is unchecked while the dock is out of
    // sight (behind another's tab); released, the dock no longer hides the applet's new sub-window.
    void dockActionAndRelease()
    {
        QMainWindow window;
        auto *applet = new WriteApplet;
        QPixmap mark(16, 16);
        mark.fill(Qt::red);
        applet->setWindowIcon(QIcon(mark));
        auto *dock =
            qobject_cast<QDockWidget *>(applet->createContainer(Applet::DockContainer, &window));
        window.addDockWidget(Qt::LeftDockWidgetArea, dock);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QAction *toggle = applet->action();
        QCOMPARE(toggle->icon().pixmap(16, 16).toImage().pixel(8, 8), QColor(Qt::red).rgb());
        applet->showWindow();
        QVERIFY(toggle->isChecked());
        emit dock->visibilityChanged(false); // as when its tab goes behind another one's
        QVERIFY(!toggle->isChecked());

        applet->releaseContainer();
        QMdiArea area;
        area.show();
        QWidget *sub = applet->createContainer(Applet::MdiContainer, &area);
        applet->showWindow();
        QVERIFY(sub->isVisible());
        dock->hide();
        QVERIFY(sub->isVisible());
    }

    // A read of a bound register that announces itself pulls the register from the board
    // first; its widgets show what came.
    void announcedReadPullsAndShows()
    {
        WriteApplet applet;
        auto *edit = new LineEdit(&applet);
        edit->setAccessibleName("BANK[]");
        QVERIFY(applet.setup());
        applet.activate();
        QStringList pulls;
        applet.hook = [&](int mode, const QString &name) {
            pulls << QString("%1:%2").arg(mode).arg(name);
            applet.bank.setBit(1, 1); // silently, as a board's answer is taken
            applet.bank.setBit(2, 1);
            return true;
        };
        QCOMPARE(applet.bank.value(), 6u);
        QCOMPARE(pulls, QStringList{"1:BANK"});
        QCOMPARE(edit->text(), QString("6"));
        applet.hook = [&](int, const QString &) { // so does a read by name
            applet.bank.setBit(0, 1);
            return true;
        };
        QCOMPARE(applet.get("BANK[]", Variable::OutsideKey), QVariant(7u));
        QCOMPARE(edit->text(), QString("7"));
    }

    // The applet's own model writes: run as a refresh, the widgets only show them; run as an
    // edit, they go to the board as well.
    void ownWritesAsRefreshOrEdit()
    {
        WriteApplet applet;
        auto *edit = new LineEdit(&applet);
        edit->setAccessibleName("BANK[]");
        QVERIFY(applet.setup());
        applet.activate();
        QStringList pushes;
        applet.hook = [&](int mode, const QString &name) {
            pushes << QString("%1:%2").arg(mode).arg(name);
            return true;
        };
        applet.runAsRefresh([&]() { applet.bank.setValue(3u); });
        QCOMPARE(edit->text(), QString("3"));
        QVERIFY(pushes.isEmpty());
        applet.runAsEdit([&]() { applet.bank.setValue(5u); });
        QCOMPARE(edit->text(), QString("5"));
        QCOMPARE(pushes, QStringList{"0:BANK"});
    }

    // An item's transfer asked for again while its own is under way succeeds at once.
    void nestedTransferOfTheSameItem()
    {
        RecordingPrompt prompt;
        WriteApplet applet;
        QVERIFY(applet.setup());
        QStringList nested;
        applet.hook = [&](int mode, const QString &name) {
            const bool ok = mode ? applet.readParameters(name) : applet.writeParameters(name);
            nested << QString("%1:%2 %3").arg(mode).arg(name).arg(ok);
            return true;
        };
        QVERIFY(applet.writeParameters("BANK") && applet.readParameters("SA"));
        QCOMPARE(nested, (QStringList{"0:BANK 1", "1:SA 1"}));
        QVERIFY(prompt.messages().isEmpty());
    }

    // A scroll area of its own shows its applet's title and lays it out; a renamed applet is
    // named, listed and titled anew; shown, its action is checked.
    void titleAndCheckedAction()
    {
        QPixmap mark(16, 16);
        mark.fill(Qt::red);
        AppletScroll scroll;
        auto *applet = new WriteApplet(scroll.viewport()); // already in place
        applet->setWindowTitle("Tool");
        applet->setWindowIcon(QIcon(mark)); // no sub-window to take it
        scroll.show();
        scroll.setApplet(applet);
        QCOMPARE(scroll.windowTitle(), QString("Tool"));
        QCOMPARE(applet->size(), scroll.viewport()->size()); // shown: laid out at once
        QMdiArea area;
        auto *second = new WriteApplet;
        second->setWindowTitle("Second");
        second->setWindowIcon(QIcon(mark));
        QWidget *sub = second->createContainer(Applet::MdiContainer, &area);
        QCOMPARE(sub->windowTitle(), QString("Second"));
        QCOMPARE(sub->windowIcon().pixmap(16, 16).toImage().pixel(8, 8), QColor(Qt::red).rgb());
        QAction *action = second->action();
        QCOMPARE(action->icon().pixmap(16, 16).toImage().pixel(8, 8), QColor(Qt::red).rgb());
        second->rename("Renamed"); // by this name it is addressed from now on
        QCOMPARE(QStringList({second->name(), action->text(), sub->windowTitle()}),
                 QStringList({"Renamed", "Renamed", "Renamed"}));
        area.show();
        second->showWindow();
        QVERIFY(action->isChecked() && sub->isVisible());
        second->hideWindow();
        QVERIFY(!action->isChecked() && !sub->isVisible());
    }

    // A form of absolute places keeps its size in a smaller window: it scrolls.
    void absoluteFormKeepsItsSize()
    {
        QMdiArea area;
        area.resize(800, 600);
        area.show();
        auto *applet = new WriteApplet;
        applet->setGeometry(0, 0, 500, 300);
        QWidget *sub = applet->createContainer(Applet::MdiContainer, &area);
        sub->show();
        sub->resize(200, 150);
        QCOMPARE(applet->size(), QSize(500, 300));
    }

    // A window of fixed height holds the form and the title bar; its width follows the area.
    void fixedHeightWindow()
    {
        auto *applet = new WriteApplet;
        applet->fixedHeight = true;
        applet->setGeometry(0, 0, 200, 300);
        std::unique_ptr<QWidget> sub(applet->createContainer(Applet::MdiContainer, nullptr));
        QVERIFY(sub->minimumHeight() == sub->maximumHeight() &&
                sub->minimumWidth() != sub->maximumWidth());
        QCOMPARE(sub->height(), 335);
    }

    // A disabled applet is disabled with its action and does not go online; its action without
    // a window to show does nothing.
    void disabledAppletStaysOffline()
    {
        auto *applet = new WriteApplet;
        applet->action()->trigger();
        QVERIFY(!applet->isVisible());
        std::unique_ptr<QWidget> sub(applet->createContainer(Applet::MdiContainer, nullptr));
        QAction *action = applet->action();
        applet->setEnabled(false);
        QVERIFY(!applet->isEnabled() && !action->isEnabled());
        applet->activate();
        QVERIFY(!applet->isOnline());
        applet->setEnabled(true);
        applet->activate();
        QVERIFY(applet->isEnabled() && applet->isOnline() && action->isEnabled());
    }

    // A hidden sub-window measures nothing of its form (measuring polishes every widget of a
    // form); shown, the form is laid out, and it follows each resize of the window at once. The
    // form's smallest size is measured once per change of the form: the window's resizes take
    // the size measured before; a form grown since is measured again.
    void hiddenWindowMeasuresNothingAndShownLaysOut()
    {
        struct Measured : QWidget {
            QSize sizeHint() const override
            {
                ++measures;
                return QSize(300, 200);
            }
            mutable int measures = 0;
        };
        using Counted = MeasureCounter<WriteApplet>;
        QMdiArea area;
        area.resize(800, 600);
        area.show();
        auto *applet = new Counted(Applet::createSubWindow(&area));
        auto *content = new Measured;
        (new QVBoxLayout(applet))->addWidget(content);
        auto *sub =
            qobject_cast<QMdiSubWindow *>(applet->createContainer(Applet::MdiContainer, &area));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(content->measures, 0);
        sub->show();
        QVERIFY(content->measures > 0);
        QCoreApplication::sendPostedEvents();
        const int measured = applet->measures;
        AppletScroll *scroll = AppletScroll::of(sub);
        for (const QSize &size : {QSize(500, 400), QSize(600, 450), QSize(700, 520)}) {
            sub->resize(size);
            QCoreApplication::sendPostedEvents();
            QCOMPARE(applet->size(), scroll->viewport()->size());
        }
        QCOMPARE(applet->measures, measured);
        content->setMinimumSize(700, 500);
        QTRY_VERIFY(applet->width() >= 700 && applet->height() >= 500);
        QVERIFY2(applet->measures > measured && applet->measures <= measured + 2,
                 qPrintable(QString::number(applet->measures - measured)));
        content->setMinimumSize(0, 0);
        // Grown while hidden, the form has its new smallest size as soon as it is shown.
        sub->hide();
        content->setMinimumSize(900, 800);
        QCoreApplication::sendPostedEvents();
        sub->show();
        QVERIFY(applet->width() >= 900 && applet->height() >= 800);
        QCOMPARE(scroll->verticalScrollBar()->maximum(),
                 applet->height() - scroll->viewport()->height());
    }

    // An applet set up again (its form rebuilt) still runs each by-name slot once per signal.
    void setupAgainConnectsSlotsOnce()
    {
        SlotApplet applet;
        QVERIFY(applet.setup() && applet.setup());
        applet.go->click();
        QCOMPARE(applet.clicks, 1);
    }

    // Tab goes through the active tool window's form in reading order, whatever order the
    // form made its controls in (a group box read whole, a hidden or disabled control or a text
    // that takes no keys passed over), scrolling each into view, then on to the rest of the
    // main window; another tool window's controls are not in the way.
    void tabFollowsTheReadingOrder()
    {
        QMainWindow window;
        auto *area = new QMdiArea;
        window.setCentralWidget(area);
        auto *bar = new QPushButton;
        bar->setObjectName(QStringLiteral("bar"));
        window.statusBar()->addWidget(bar); // under the area
        auto *other = new WriteApplet;
        auto *applet = new WriteApplet;
        applet->setGeometry(0, 0, 320, 200);
        const auto make = [applet](auto *w, const char *name, QRect place, QWidget *in = nullptr) {
            w->setParent(in ? in : applet);
            w->setObjectName(QLatin1String(name));
            w->setGeometry(place);
            return w;
        };
        make(new QPushButton, "lower", {10, 170, 80, 20});
        auto *group = make(new QGroupBox, "group", {10, 50, 300, 100});
        make(new QPushButton, "inner2", {150, 30, 80, 20}, group);
        make(new QPushButton, "inner1", {10, 30, 80, 20}, group);
        make(new QPushButton, "right", {200, 10, 80, 20});
        make(new LineEdit, "left", {10, 12, 80, 20});
        make(new QPushButton, "hidden", {100, 10, 20, 20})->hide();
        make(new QPushButton, "off", {120, 10, 20, 20})->setEnabled(false);
        make(new QPlainTextEdit, "tutorial", {10, 150, 50, 15})
            ->setTextInteractionFlags(Qt::NoTextInteraction);
        for (WriteApplet *a : {other, applet}) {
            area->addSubWindow(a->createContainer(Applet::MdiContainer, area));
            a->showWindow();
        }
        new QPushButton(other);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        area->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(applet->container()));
        applet->container()->resize(200, 120); // the form scrolls inside
        applet->findChild<QWidget *>("left")->setFocus(Qt::TabFocusReason);
        const auto stop = []() {
            QWidget *focus = QApplication::focusWidget();
            return focus->objectName() + (focus->visibleRegion().isEmpty() ? "(unseen)" : "");
        };
        QStringList stops;
        for (int i = 0; i < 6; ++i) {
            stops << stop();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(stops.join(' '), QString("left right inner1 inner2 lower bar"));
        // Back up from the foot of the scrolled form, each control comes into view again.
        applet->findChild<QWidget *>("lower")->setFocus(Qt::TabFocusReason);
        stops.clear();
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
            stops << stop();
        }
        QCOMPARE(stops.join(' '), QString("inner2 inner1 right left"));
        // The keyboard the tool window's frame gets goes to the form's first control.
        AppletScroll::of(qobject_cast<QMdiSubWindow *>(applet->container()))->setFocus();
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("left"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), bar);
    }

    // Keys the applet does not use go on to the widget it sits in.
    void unusedKeysReachTheParent()
    {
        struct KeyRecorder : QWidget {
            void keyPressEvent(QKeyEvent *event) override { keys.append(event->key()); }
            QList<int> keys;
        } parent;
        auto *applet = new WriteApplet(&parent);
        QTest::keyClick(applet, Qt::Key_F2);
        QTest::keyClick(applet, Qt::Key_Escape);
        QCOMPARE(parent.keys, (QList<int>{Qt::Key_F2, Qt::Key_Escape}));
    }
};

QTEST_MAIN(TestAppletForm)
#include "tst_appletform.moc"
