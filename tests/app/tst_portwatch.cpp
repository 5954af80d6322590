// The port list follows plugging: while disconnected, a serial device that comes or goes in the
// device directory brings a new probe of the ports; while connected the probe waits for the
// disconnection. A device path typed into the list stays across probes.
#include "tst_shellfixture.h"

#include "controlboard.h"
#include "devicetree.h"
#include "fakeboard.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "portwatch.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <atomic>

static const QString Typed = QStringLiteral("/dev/pts/4242");

class TestPortWatch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        app = MainApp::instance();
        app->setPortPaths(tree.paths);
        QVERIFY(app->init());
        app->start();
        QTRY_COMPARE_WITH_TIMEOUT(ports(), (QStringList{"mockup", "script"}), 30000);
    }

    void pluggedInAndOut()
    {
        const QString acm = tree.add("ttyACM0", true, board.devicePath());
        QTRY_COMPARE_WITH_TIMEOUT(ports(), (QStringList{acm, "mockup", "script"}), 20000);
        QComboBox *list = app->mainWindow()->portList();
        list->lineEdit()->clear();
        QTest::keyClicks(list->lineEdit(), Typed);
        tree.remove("ttyACM0");
        QTRY_COMPARE_WITH_TIMEOUT(ports(), (QStringList{"mockup", "script"}), 20000);
        QCOMPARE(app->mainWindow()->portName(), Typed);
    }

    // A probe by the button keeps the typed path too.
    void rescanKeepsTypedPath()
    {
        QCOMPARE(app->mainWindow()->portName(), Typed);
        app->mainWindow()->rescanButton()->click();
        QCOMPARE(ports(), QStringList());
        QCOMPARE(app->mainWindow()->portName(), Typed);
        QTRY_COMPARE_WITH_TIMEOUT(ports(), (QStringList{"mockup", "script"}), 20000);
        QCOMPARE(app->mainWindow()->portName(), Typed);
    }

    // While connected nothing is probed; the disconnection brings the probe the plugging asked
    // for, once: the next probe is the button's.
    void pluggedWhileConnected()
    {
        QVERIFY(app->connectBoard("mockup"));
        const QString usb = tree.add("ttyUSB1", true, board.devicePath());
        QTest::qWait(PortWatch::SettleMs * 4);
        QCOMPARE(ports(), (QStringList{"mockup", "script"}));
        QCOMPARE(app->mainWindow()->statusText().contains("Initializing"), false);
        std::atomic<int> probes{0};
        ControlBoard *link = app->controlBoard();
        app->setPortProbe([&probes, link]() {
            ++probes;
            return link->findPorts();
        });
        app->disconnectBoard();
        QTRY_COMPARE_WITH_TIMEOUT(ports(), (QStringList{usb, "mockup", "script"}), 20000);
        app->mainWindow()->rescanButton()->click();
        QTRY_COMPARE_WITH_TIMEOUT(ports(), (QStringList{usb, "mockup", "script"}), 20000);
        QCOMPARE(app->mainWindow()->statusText(), QString()); // and no probe follows it
        app->setPortProbe(nullptr);
        QCOMPARE(probes.load(), 2);
    }

    void cleanupTestCase() { app->shutdown(); }

private:
    QStringList ports() const
    {
        QStringList out;
        const QComboBox *list = app->mainWindow()->portList();
        for (int i = 0; i < list->count(); ++i)
            out.append(list->itemText(i));
        return out;
    }

    ShellPrompt prompt;
    FakeBoard board;
    DeviceTree tree;
    MainApp *app = nullptr;
};

QTEST_MAIN(TestPortWatch)
#include "tst_portwatch.moc"
