// The whole start with the program's own applet table: creation order, titles, shortcut
// digits, connecting to the mock-up from the connection bar and opening tool windows with
// Ctrl+digit.
#include "board.h"
#include "localclient.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "recordingprompt.h"
#include "testfiles.h"
#include "toolapplets.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QtTest>

class TestToolApplets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(TestFiles::installShippedConfiguration());
        app = MainApp::instance();
        app->setAppletFactories(toolAppletFactories());
        QVERIFY(app->init());
        app->start();
        QVERIFY(QTest::qWaitForWindowExposed(app->mainWindow()));
    }

    // The program's applet table: names, titles, shortcut digits and menu entries in order.
    void table()
    {
        const QStringList names{"SpiRaw",           "SpiEEPROM", "AutoAddressing",
                                "AddressDiscovery", "Otp",       "Pxn",
                                "Configuration",    "Board",     "SpiRaw4B"};
        const QStringList titles{
            "SPI Raw",       "External SPI EEPROM", "Auto addressing",     "Address Discovery",
            "Otp Registers", "Pxn frame control",   "Configuration frame", "KVL52110",
            "SPI Raw 4B"};
        QCOMPARE(app->appletCount(), 10);
        QCOMPARE(app->applet(0)->name(), QString("Logs"));
        for (int entry = 1; entry < 10; ++entry) {
            Applet *applet = app->applet(entry);
            QCOMPARE(applet->name(), names[entry - 1]);
            QCOMPARE(applet->title(),
                     QString("(Ctrl+%1) %2").arg(entry - 1).arg(titles[entry - 1]));
            QCOMPARE(applet->shortcut, int(Qt::Key_0) + entry - 1);
            QCOMPARE(app->mainWindow()->getMenuApp()->actions().value(entry - 1), applet->action());
            QCOMPARE(applet->action()->text(), titles[entry - 1] + '(' + names[entry - 1] + ')');
        }
        auto *board = qobject_cast<Board *>(app->findApplet("Board", MainApp::ByName));
        QCOMPARE(board->ledDriverClient()->pipeName(), QString("\\\\.\\pipe\\LEDDriver"));
        QCOMPARE(board->ledDriverClient()->timeout(), 500);
    }

    // Connecting to the mock-up from the connection bar puts every applet online with one
    // box; Ctrl+digit then opens the tool windows.
    void connectAndOpenWindows()
    {
        MainWindow *window = app->mainWindow();
        QVERIFY(!window->getMenuApp()->isEnabled());
        window->portList()->setCurrentIndex(window->portList()->findText("mockup"));
        QTest::mouseClick(window->connectButton(), Qt::LeftButton);
        QVERIFY(app->isConnected());
        for (int i = 0; i < app->appletCount(); ++i)
            QVERIFY2(app->applet(i)->isOnline(), qPrintable(app->applet(i)->name()));
        int mockupBoxes = 0;
        for (const Prompt::Message &m : prompt.messages())
            mockupBoxes += m.text.contains("Mock-up");
        QCOMPARE(mockupBoxes, 1);
        app->findApplet("Board", MainApp::ByName)->hideWindow();
        for (int digit = 0; digit < 9; ++digit) {
            Applet *applet = app->applet(digit + 1);
            QVERIFY(!applet->container()->isVisible());
            QTest::keyClick(window->portList(), Qt::Key(Qt::Key_0 + digit), Qt::ControlModifier);
            QVERIFY(applet->container()->isVisible() && applet->action()->isChecked());
        }
        QCOMPARE(window->activeSubWindowWidget(), app->applet(9));
    }

    void cleanupTestCase()
    {
        app->shutdown();
        QCOMPARE(app->appletCount(), 0);
    }

private:
    MainApp *app = nullptr;
    RecordingPrompt prompt;
};

QTEST_MAIN(TestToolApplets)
#include "tst_toolapplets.moc"
