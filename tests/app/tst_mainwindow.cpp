// The main window on its own (no board, MainApp not started): watermark, menus, connection
// bar, lamps, workspace entries and the Ctrl+digit filter while disconnected.
#include "tst_shellfixture.h"

#include "mainapp.h"
#include "mainwindow.h"
#include "mdiarea.h"
#include "myswitch.h"
#include "testfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>

namespace
{

QStringList actionTexts(const QList<QAction *> &actions)
{
    QStringList texts;
    for (const QAction *a : actions)
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}

} // namespace

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
        QTest::addColumn<QSize>("viewport");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<QPoint>("baseline");
        QTest::newRow("600x400") << QSize(600, 400) << 78 << QPoint(150, 239);
        QTest::newRow("900x600") << QSize(900, 600) << 117 << QPoint(225, 358);
        QTest::newRow("odd 601x401") << QSize(601, 401) << 78 << QPoint(150, 239);
        QTest::newRow("tiny") << QSize(10, 10) << 1 << QPoint(2, 5);
        QTest::newRow("empty") << QSize(0, 0) << 0 << QPoint(0, 0);
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

    void watermarkIsPainted()
    {
        MdiArea area;
        area.resize(600, 400);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        const QImage image = area.viewport()->grab().toImage();
        const MdiArea::Watermark mark = MdiArea::watermarkFor(area.viewport()->size());
        const QRgb grey = MdiArea::watermarkColor().rgb();
        int inText = 0;
        int elsewhere = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) != grey)
                    continue;
                const bool inBand = x >= mark.baseline.x() && y <= mark.baseline.y() + 4 &&
                                    y >= mark.baseline.y() - mark.pixelSize;
                (inBand ? inText : elsewhere)++;
            }
        }
        QVERIFY2(inText > 100, qPrintable(QString::number(inText)));
        QCOMPARE(elsewhere, 0);
    }

    void titleAndMenus()
    {
        QVERIFY(window->windowTitle().startsWith("velmora Lumigrid << KVL52110 >> "));
        const QString build = window->windowTitle().section(" >> ", 1);
        QVERIFY2(build.contains(','), qPrintable(build));
        QCOMPARE(actionTexts(window->menuBar()->actions()),
                 (QStringList{"&Service", "&Application", "&Project", "&Config"}));
        QCOMPARE(actionTexts(window->serviceMenu()->actions()),
                 (QStringList{"About", "Update Software", "Update Firmware", "Spec Open"}));
        QCOMPARE(window->getMenuApp()->title(), QString("&Application"));
        QCOMPARE(actionTexts(window->contextMenu()->actions()),
                 (QStringList{"Close All", "Close All But Active"}));
        QToolButton *spec = window->specButton();
        QVERIFY(spec);
        QCOMPARE(spec->defaultAction()->text(), QString("Spec Open"));
        QCOMPARE(actionTexts(spec->actions()).last(), QString("File"));
        QCOMPARE(spec->popupMode(), QToolButton::DelayedPopup);
    }

    void aboutBox()
    {
        const int before = prompt.messages().size();
        QAction *about = window->serviceMenu()->actions().value(0);
        QVERIFY(about);
        about->trigger();
        QCOMPARE(prompt.messages().size(), before + 1);
        const Prompt::Message box = prompt.messages().last();
        QCOMPARE(box.title, QString("About"));
        QVERIFY2(box.text.contains("<h2>KVL52110</h2>"), qPrintable(box.text));
        QVERIFY2(box.text.contains(QT_VERSION_STR), qPrintable(box.text));
        QVERIFY2(box.text.contains(window->windowTitle().section(" >> ", 1)), qPrintable(box.text));
    }

    // The icons are compiled in and reach the widgets and actions that show them.
    void icons()
    {
        for (const char *name : {"horn", "log", "refresh", "word", "export", "import"}) {
            const QImage image(QStringLiteral(":/buttons/") + name);
            QVERIFY2(image.width() >= 16 && image.height() >= 16, name);
        }
        QList<QIcon> icons{window->rescanButton()->icon(), window->specButton()->icon()};
        for (QAction *action : window->configMenu()->actions().mid(0, 2))
            icons << action->icon();
        for (const QIcon &icon : icons)
            QVERIFY(!icon.pixmap(16, 16).isNull());
    }

    void connectionBar()
    {
        QList<QWidget *> order = {
            window->connectButton(),  window->portList(),    window->rescanButton(),
            window->speedList(),      window->statusLabel(), window->streamLabel(),
            window->connectionLamp(), window->receiveLamp(), window->transmitLamp(),
            window->logSwitch(),      window->specButton(),  window->restoreButton()};
        for (int i = 0; i < order.size(); ++i) {
            QCOMPARE(order.at(i)->parentWidget(), window->statusBar());
            QVERIFY2(i == 0 || order.at(i - 1)->x() < order.at(i)->x(),
                     qPrintable(QString::number(i)));
        }
        QCOMPARE(window->restoreButton()->text(), QString("Restore last"));
        QVERIFY(window->rescanButton()->text().isEmpty());
        QCOMPARE(window->streamLabel()->text(), QString("Connection"));
        QCOMPARE(window->logSwitch()->text(), QString("Log"));
        QComboBox *speed = window->speedList();
        QCOMPARE(speed->count(), 2);
        QCOMPARE(speed->itemText(0), QString("Normal"));
        QCOMPARE(speed->itemText(1), QString("Turbo"));
        QCOMPARE(window->connectionSpeed(), 115200u);
        speed->setCurrentIndex(1);
        QCOMPARE(window->connectionSpeed(), 2304000u);
        speed->setCurrentIndex(0);
        // The port list shows the first port.
        window->setPortList({"/dev/ttyUSB0", "mockup", "script"});
        QCOMPARE(window->portName(), QString("/dev/ttyUSB0"));
        window->setPortList({"mockup"});
        QCOMPARE(window->portList()->count(), 1);
        QCOMPARE(window->portName(), QString("mockup"));
    }

    void connectedUi_data()
    {
        QTest::addColumn<int>("state");
        QTest::newRow("connected") << 1;
        QTest::newRow("disconnected") << 0;
    }

    void connectedUi()
    {
        QFETCH(int, state);
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
        for (CustomControls::MySwitch *lamp :
             {window->connectionLamp(), window->receiveLamp(), window->transmitLamp()}) {
            QVERIFY(lamp->isReadOnly());
            QCOMPARE(lamp->states().at(2).picture, QString(":/leds/img_led_red"));
        }
        QCOMPARE(window->connectionLamp()->states().at(1).name, QString("2"));
        QCOMPARE(window->receiveLamp()->states().at(1).name, QString());
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

    void workspaceEntries()
    {
        QStringList texts = actionTexts(window->configMenu()->actions());
        QCOMPARE(texts, (QStringList{"&Save config", "&Load config", "-", "Alpha", "bench1"}));
        QVERIFY(TestFiles::write("c.bench"));
        QFile::remove("Alpha.bench");
        // Rebuilt after every save.
        QVERIFY(QMetaObject::invokeMethod(window, "slot_UpdateConfigBenchList"));
        texts = actionTexts(window->configMenu()->actions());
        QCOMPARE(texts, (QStringList{"&Save config", "&Load config", "-", "bench1", "c"}));
    }

    void addApplet()
    {
        // The containers own the applets once they hold them.
        auto *tool = new ToolApplet("ToolA");
        auto *dock = new ToolApplet("Docked");
        auto *none = new ToolApplet("Nowhere");
        window->addApplet(MainWindow::ApplicationMenu, tool, true);
        window->addApplet(MainWindow::ProjectMenu, dock, false);
        window->addApplet(7, none, true);
        window->addApplet(MainWindow::ApplicationMenu, nullptr, true);
        QVERIFY(window->mdiArea()->subWindowList().contains(
            qobject_cast<QMdiSubWindow *>(tool->container())));
        QVERIFY(window->getMenuApp()->actions().contains(tool->action()));
        auto *dockWidget = qobject_cast<QDockWidget *>(dock->container());
        QVERIFY(dockWidget);
        QCOMPARE(window->dockWidgetArea(dockWidget), Qt::RightDockWidgetArea);
        QVERIFY(window->projectMenu()->actions().contains(dock->action()));
        QVERIFY(!window->getMenuApp()->actions().contains(none->action()));
        QVERIFY(!window->projectMenu()->actions().contains(none->action()));
        tool->showWindow();
        window->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(tool->container()));
        QCOMPARE(window->activeSubWindowWidget(), tool);
        delete tool->container();
        delete dock->container();
        delete none->container();
        QVERIFY(window->getMenuApp()->actions().isEmpty());
    }

    void ctrlDigitWhileDisconnected()
    {
        QVERIFY(!MainApp::instance()->isConnected());
        // A widget deep inside the window: the press travels up through its parents.
        auto *outer = new QWidget;
        auto *inner = new QWidget(outer);
        auto *edit = new QLabel("x", inner);
        window->setCentralWidget(outer);
        const int before = window->shortcutPresses();
        const int messages = int(prompt.messages().size());
        QTest::keyClick(edit, Qt::Key_3, Qt::ControlModifier);
        QCOMPARE(window->shortcutPresses(), before + 1);
        QMessageBox *box = window->infoBox();
        QVERIFY(box);
        QVERIFY(box->isVisible());
        QVERIFY(!box->isModal());
        QCOMPARE(box->text(), QString("Connect board before window open."));
        QCOMPARE(box->windowTitle(), QString());
        QCOMPARE(prompt.messages().size(), messages); // no blocking prompt

        QTest::keyClick(edit, Qt::Key_5, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(window->shortcutPresses(), before + 2);
        QCOMPARE(window->infoBox(), box); // one box at a time
        box->close();
        QTRY_VERIFY(!window->infoBox());

        // From the platform: the window gets the press first and hands it to the focus widget.
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
    }

    void otherKeysAreIgnored_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("digit without Ctrl") << int(Qt::Key_3) << int(Qt::NoModifier);
        QTest::newRow("Alt digit") << int(Qt::Key_3) << int(Qt::AltModifier);
        QTest::newRow("Ctrl letter") << int(Qt::Key_A) << int(Qt::ControlModifier);
        QTest::newRow("Ctrl F1") << int(Qt::Key_F1) << int(Qt::ControlModifier);
    }

    void otherKeysAreIgnored()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        const int before = window->shortcutPresses();
        QTest::keyClick(window->portList(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(window->shortcutPresses(), before);
        QVERIFY(!window->infoBox());
    }

    void cleanupTestCase() { delete window; }

private:
    ShellPrompt prompt;
    MainWindow *window = nullptr;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
