// The whole start with the program's own applet table: creation order, titles, shortcut
// digits, connecting to the mock-up from the connection bar and opening tool windows with
// Ctrl+digit.
#include "board.h"
#include "localclient.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "mdiarea.h"
#include "prompt.h"
#include "testfiles.h"
#include "toolapplets.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

namespace
{

// Answers every prompt with its default and counts the messages.
class CountingPrompt : public DefaultPrompt
{
public:
    CountingPrompt() { Prompt::install(this); }
    ~CountingPrompt() override { Prompt::install(nullptr); }
    int message(const Message &msg) override
    {
        texts.append(msg.text);
        return DefaultPrompt::message(msg);
    }
    QStringList texts;
};

} // namespace

class TestToolApplets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The matrix configuration each connection loads, where the program finds it.
        QVERIFY(QDir().mkpath("configuration"));
        QVERIFY(TestFiles::write("configuration/Configuration12.txt",
                                 "NumberOfDevices 1\nPixelsPerDevice 12\nNumberOfRows 1\n"
                                 "NumberOfCols 12\n1 2 3 4 5 6 7 8 9 10 11 12\n"));
        app = MainApp::instance();
        app->setAppletFactories(toolAppletFactories());
        QVERIFY(app->init());
        app->start();
        QVERIFY(QTest::qWaitForWindowExposed(app->mainWindow()));
    }

    void table_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("1") << 1 << QString("SpiRaw") << QString("(Ctrl+0) SPI Raw");
        QTest::newRow("2") << 2 << QString("SpiEEPROM") << QString("(Ctrl+1) External SPI EEPROM");
        QTest::newRow("3") << 3 << QString("AutoAddressing") << QString("(Ctrl+2) Auto addressing");
        QTest::newRow("4") << 4 << QString("AddressDiscovery")
                           << QString("(Ctrl+3) Address Discovery");
        QTest::newRow("5") << 5 << QString("Otp") << QString("(Ctrl+4) Otp Registers");
        QTest::newRow("6") << 6 << QString("Pxn") << QString("(Ctrl+5) Pxn frame control");
        QTest::newRow("7") << 7 << QString("Configuration")
                           << QString("(Ctrl+6) Configuration frame");
        QTest::newRow("8") << 8 << QString("Board") << QString("(Ctrl+7) KVL52110");
        QTest::newRow("9") << 9 << QString("SpiRaw4B") << QString("(Ctrl+8) SPI Raw 4B");
    }

    void table()
    {
        QFETCH(int, entry);
        QFETCH(QString, name);
        QFETCH(QString, title);
        QCOMPARE(app->appletCount(), 10);
        QCOMPARE(app->applet(0)->name(), QString("Logs"));
        Applet *applet = app->applet(entry);
        QCOMPARE(applet->name(), name);
        QCOMPARE(applet->title(), title);
        QCOMPARE(applet->shortcut, int(Qt::Key_0) + entry - 1);
        QCOMPARE(app->findApplet(name, MainApp::ByName), applet);
        QCOMPARE(app->mainWindow()->getMenuApp()->actions().value(entry - 1), applet->action());
        const QString plainTitle = title.section(") ", 1);
        QCOMPARE(applet->action()->text(), QString("%1(%2)").arg(plainTitle, name));
    }

    void boardPage()
    {
        auto *board = qobject_cast<Board *>(app->findApplet("Board", MainApp::ByName));
        QVERIFY(board);
        QVERIFY(board->portName().isEmpty()); // the port list was still empty when it was built
        QVERIFY(board->ledDriverClient());
        QCOMPARE(board->ledDriverClient()->timeout(), 500);
        QCOMPARE(board->ledDriverClient()->pipeName(), QString("\\\\.\\pipe\\LEDDriver"));
        QCOMPARE(app->projectType(), QString("TO3/TO4"));
    }

    void addressDiscoveryStretchesLastColumn()
    {
        Applet *applet = app->findApplet("AddressDiscovery", MainApp::ByName);
        auto *table = applet->findChild<QTableWidget *>(QStringLiteral("tableWidget"));
        QVERIFY(table);
        QVERIFY(table->horizontalHeader()->stretchLastSection());
    }

    void connectMockupFromConnectionBar()
    {
        MainWindow *window = app->mainWindow();
        QVERIFY(!window->getMenuApp()->isEnabled());
        const int mockup = window->portList()->findText("mockup");
        QVERIFY(mockup >= 0);
        window->portList()->setCurrentIndex(mockup);
        QTest::mouseClick(window->connectButton(), Qt::LeftButton);
        QVERIFY(app->isConnected()); // the connected bar itself is checked in tst_mainapp
        for (int i = 0; i < app->appletCount(); ++i)
            QVERIFY2(app->applet(i)->isOnline(), qPrintable(app->applet(i)->name()));
        QVERIFY(prompt.texts.last().contains("Mock-up"));
        // The board page's set-up ends with its window shown; hidden again for the shortcuts.
        Applet *board = app->findApplet("Board", MainApp::ByName);
        QVERIFY(board->container()->isVisible());
        QVERIFY(board->action()->isChecked());
        board->hideWindow();
    }

    void ctrlDigitOpensToolWindows_data()
    {
        QTest::addColumn<int>("digit");
        QTest::addColumn<QString>("name");
        QTest::newRow("Ctrl+0") << 0 << QString("SpiRaw");
        QTest::newRow("Ctrl+3") << 3 << QString("AddressDiscovery");
        QTest::newRow("Ctrl+7") << 7 << QString("Board");
        QTest::newRow("Ctrl+8") << 8 << QString("SpiRaw4B");
    }

    void ctrlDigitOpensToolWindows()
    {
        QFETCH(int, digit);
        QFETCH(QString, name);
        Applet *applet = app->findApplet(name, MainApp::ByName);
        QVERIFY(!applet->container()->isVisible());
        QTest::keyClick(app->mainWindow()->portList(), Qt::Key(Qt::Key_0 + digit),
                        Qt::ControlModifier);
        QVERIFY(applet->container()->isVisible());
        QVERIFY(applet->action()->isChecked());
        QCOMPARE(app->mainWindow()->activeSubWindowWidget(), applet);
        QVERIFY(!app->mainWindow()->infoBox());
    }

    void ctrlNineOpensNothing()
    {
        int visible = 0;
        for (int i = 1; i < app->appletCount(); ++i)
            visible += app->applet(i)->container()->isVisible() ? 1 : 0;
        QTest::keyClick(app->mainWindow()->portList(), Qt::Key_9, Qt::ControlModifier);
        int after = 0;
        for (int i = 1; i < app->appletCount(); ++i)
            after += app->applet(i)->container()->isVisible() ? 1 : 0;
        QCOMPARE(after, visible);
    }

    void cleanupTestCase()
    {
        app->shutdown();
        QCOMPARE(app->appletCount(), 0);
    }

private:
    MainApp *app = nullptr;
    CountingPrompt prompt;
};

QTEST_MAIN(TestToolApplets)
#include "tst_toolapplets.moc"
