// The main window on its own (no board, MainApp not started): watermark, menus, connection
// bar, lamps, workspace entries and the Ctrl+digit filter while disconnected.
#include "tst_shellfixture.h"

#include "mainapp.h"
#include "mainwindow.h"
#include "mdiarea.h"
#include "myswitch.h"
#include "tablerows.h"
#include "testfiles.h"

#include <QComboBox>
#include <QDockWidget>
#include <QImage>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

static QString actionTexts(const QList<QAction *> &actions)
{
    QStringList texts;
    for (const QAction *a : actions)
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts.join("|");
}

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const char *name : {"bench1.bench", "Alpha.bench", "notes.txt"})
            QVERIFY(TestFiles::write(name));
        window = new MainWindow;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }

    void watermarkGeometry_data()
    {
        addRows<QSize, int, QPoint>({"viewport", "pixelSize", "baseline"},
                                    {{QSize(600, 400), 78, QPoint(150, 239)},
                                     {QSize(900, 600), 117, QPoint(225, 358)},
                                     {QSize(601, 401), 78, QPoint(150, 239)},
                                     {QSize(10, 10), 1, QPoint(2, 5)}, {QSize(0, 0), 0, QPoint()}});
    }

    void watermarkGeometry()
    {
        QFETCH(QSize, viewport);
        QFETCH(int, pixelSize);
        QFETCH(QPoint, baseline);
        const MdiArea::Watermark mark = MdiArea::watermarkFor(viewport);
        QCOMPARE(mark.pixelSize, pixelSize);
        QCOMPARE(mark.baseline, baseline);
    }

    void menusAndAbout()
    {
        QVERIFY(window->windowTitle().startsWith("velmora Lumigrid << KVL52110 >> "));
        QCOMPARE(actionTexts(window->menuBar()->actions()), QString("&Service|&Application|&Project|&Config"));
        QCOMPARE(actionTexts(window->serviceMenu()->actions()), QString("About|Update Software|Update Firmware|Spec Open"));
        QCOMPARE(actionTexts(window->contextMenu()->actions()), QString("Close All|Close All But Active"));
        QCOMPARE(actionTexts(window->specButton()->actions()).section('|', -1), QString("File"));
        QCOMPARE(actionTexts(window->configMenu()->actions()), QString("&Save config|&Load config|-|Alpha|bench1"));
        QVERIFY(TestFiles::write("c.bench"));
        QFile::remove("Alpha.bench");
        QVERIFY(QMetaObject::invokeMethod(window, "slot_UpdateConfigBenchList"));
        QCOMPARE(actionTexts(window->configMenu()->actions()), QString("&Save config|&Load config|-|bench1|c"));

        window->serviceMenu()->actions().value(0)->trigger();
        QCOMPARE(prompt.messages().size(), 1);
        const Prompt::Message box = prompt.messages().last();
        QCOMPARE(box.title, QString("About"));
        QVERIFY(box.text.contains("<h2>KVL52110</h2>") && box.text.contains(QT_VERSION_STR));
        QVERIFY(box.text.contains(window->windowTitle().section(" >> ", 1)));
    }

    void connectionBar_data()
    {
        addRows<int>({"state"}, {{1}, {0}});
    }

    void connectionBar()
    {
        QFETCH(int, state);
        QComboBox *speed = window->speedList();
        QCOMPARE(speed->itemText(1), QString("Turbo"));
        speed->setCurrentIndex(1 - state);
        QCOMPARE(window->connectionSpeed(), state ? 115200u : 2304000u);
        window->setPortList({state ? "/dev/ttyUSB0" : "mockup", "mockup", "script"});
        QCOMPARE(window->portName(), QString(state ? "/dev/ttyUSB0" : "mockup"));

        window->setConnectedUi(state);
        const bool on = state == 1;
        QCOMPARE(window->connectButton()->text(), QString(on ? "Disconnect" : "Connect"));
        QCOMPARE(window->connectButton()->isChecked(), on);
        QCOMPARE(window->getMenuApp()->isEnabled(), on);
        QCOMPARE(window->firmwareAction()->isEnabled(), on);
        QCOMPARE(window->connectionLamp()->currentState(), on ? 1 : 0);
        QCOMPARE(window->portList()->isEnabled(), !on);
    }

    // Activity lamps light and go out by themselves; the connection lamp shows the stream.
    void lamps()
    {
        for (auto *lamp : {window->connectionLamp(), window->receiveLamp(), window->transmitLamp()})
            QVERIFY(lamp->isReadOnly());
        window->slot_ActivityTx_LED();
        window->slot_ActivityRx_LED();
        QCOMPARE(window->transmitLamp()->currentState(), 1);
        QCOMPARE(window->receiveLamp()->currentState(), 1);
        QTRY_COMPARE(window->transmitLamp()->currentState(), 0);
        QTRY_COMPARE(window->receiveLamp()->currentState(), 0);
        window->slot_Connection_LED(true);
        window->slot_stream(true);
        QCOMPARE(window->streamLabel()->text(), QString("Stream..."));
        QCOMPARE(window->connectionLamp()->currentState(), 2);
        window->slot_stream(false);
        QCOMPARE(window->streamLabel()->text(), QString("Connection"));
        QCOMPARE(window->connectionLamp()->currentState(), 1);
        window->slot_Connection_LED(false);
        QCOMPARE(window->connectionLamp()->currentState(), 0);
    }

    // The containers own the applets once they hold them.
    void addApplet()
    {
        auto *tool = new ToolApplet("ToolA"), *dock = new ToolApplet("Docked");
        auto *none = new ToolApplet("Nowhere");
        window->addApplet(MainWindow::ApplicationMenu, tool, true);
        window->addApplet(MainWindow::ProjectMenu, dock, false);
        window->addApplet(7, none, true);
        window->addApplet(MainWindow::ApplicationMenu, nullptr, true);
        QVERIFY(window->mdiArea()->subWindowList().contains(
            qobject_cast<QMdiSubWindow *>(tool->container())));
        QCOMPARE(window->getMenuApp()->actions(), QList<QAction *>{tool->action()});
        auto *dockWidget = qobject_cast<QDockWidget *>(dock->container());
        QCOMPARE(window->dockWidgetArea(dockWidget), Qt::RightDockWidgetArea);
        QVERIFY(window->projectMenu()->actions().contains(dock->action()));
        QVERIFY(!window->projectMenu()->actions().contains(none->action()));
        delete tool->container();
        delete dock->container();
        delete none->container();
    }

    // Ctrl+digit while disconnected shows one non-modal notice; the press is counted once on
    // its way up, also when the platform hands it to the window first.
    void ctrlDigitWhileDisconnected()
    {
        auto *outer = new QWidget;
        auto *edit = new QLabel("x", new QWidget(outer));
        window->setCentralWidget(outer);
        const int before = window->shortcutPresses();
        const int messages = int(prompt.messages().size());
        QTest::keyClick(edit, Qt::Key_3, Qt::ControlModifier);
        QCOMPARE(window->shortcutPresses(), before + 1);
        QMessageBox *box = window->infoBox();
        QVERIFY(box && box->isVisible() && !box->isModal());
        QCOMPARE(box->text(), QString("Connect board before window open."));
        QCOMPARE(prompt.messages().size(), messages); // no blocking prompt
        QTest::keyClick(edit, Qt::Key_5, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(window->shortcutPresses(), before + 2);
        QCOMPARE(window->infoBox(), box); // one box at a time
        box->close();
        QTRY_VERIFY(!window->infoBox());

        window->activateWindow();
        edit->setFocusPolicy(Qt::StrongFocus);
        edit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        QTest::keyClick(window->windowHandle(), Qt::Key_4, Qt::ControlModifier);
        QTRY_COMPARE(window->shortcutPresses(), before + 3);
        QTest::qWait(50);
        QCOMPARE(window->shortcutPresses(), before + 3);
        QTRY_VERIFY(window->infoBox());
        window->infoBox()->close();

        // Other keys are ignored.
        const QList<QPair<int, Qt::KeyboardModifiers>> others = {{Qt::Key_3, Qt::NoModifier},
                                                                 {Qt::Key_3, Qt::AltModifier},
                                                                 {Qt::Key_A, Qt::ControlModifier},
                                                                 {Qt::Key_F1, Qt::ControlModifier}};
        for (const auto &key : others)
            QTest::keyClick(window->portList(), Qt::Key(key.first), key.second);
        QCOMPARE(window->shortcutPresses(), before + 3);
    }

    void cleanupTestCase() { delete window; }

private:
    ShellPrompt prompt;
    MainWindow *window = nullptr;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
