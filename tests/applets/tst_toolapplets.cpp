// The whole start with the program's own applet table: creation order, titles, shortcut
// digits, connecting to the mock-up from the connection bar and opening tool windows with
// Ctrl+digit.
#include "board.h"
#include "localclient.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "mdiarea.h"
#include "prompt.h"
#include "toolapplets.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
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
    void initTestCase();
    void table_data();
    void table();
    void boardPage();
    void addressDiscoveryStretchesLastColumn();
    void connectMockupFromConnectionBar();
    void ctrlDigitOpensToolWindows_data();
    void ctrlDigitOpensToolWindows();
    void ctrlNineOpensNothing();
    void screenshot();
    void cleanupTestCase();

private:
    MainApp *app = nullptr;
    CountingPrompt prompt;
};

void TestToolApplets::initTestCase()
{
    app = MainApp::instance();
    app->setAppletFactories(toolAppletFactories());
    QVERIFY(app->init());
    app->start();
    QVERIFY(QTest::qWaitForWindowExposed(app->mainWindow()));
}

void TestToolApplets::table_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::newRow("1") << 1 << "SpiRaw"
                       << "(Ctrl+0) SPI Raw";
    QTest::newRow("2") << 2 << "SpiEEPROM"
                       << "(Ctrl+1) External SPI EEPROM";
    QTest::newRow("3") << 3 << "AutoAddressing"
                       << "(Ctrl+2) Auto addressing";
    QTest::newRow("4") << 4 << "AddressDiscovery"
                       << "(Ctrl+3) Address Discovery";
    QTest::newRow("5") << 5 << "Otp"
                       << "(Ctrl+4) Otp Registers";
    QTest::newRow("6") << 6 << "Pxn"
                       << "(Ctrl+5) Pxn frame control";
    QTest::newRow("7") << 7 << "Configuration"
                       << "(Ctrl+6) Configuration frame";
    QTest::newRow("8") << 8 << "Board"
                       << "(Ctrl+7) KVL52110";
    QTest::newRow("9") << 9 << "SpiRaw4B"
                       << "(Ctrl+8) SPI Raw 4B";
}

void TestToolApplets::table()
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

void TestToolApplets::boardPage()
{
    auto *board = qobject_cast<Board *>(app->findApplet("Board", MainApp::ByName));
    QVERIFY(board);
    QVERIFY(board->portName().isEmpty()); // the port list was still empty when it was built
    QVERIFY(board->ledDriverClient());
    QCOMPARE(board->ledDriverClient()->timeout(), 500);
    QCOMPARE(board->ledDriverClient()->pipeName(), QString("\\\\.\\pipe\\LEDDriver"));
    QCOMPARE(app->projectType(), QString("TO3/TO4"));
}

void TestToolApplets::addressDiscoveryStretchesLastColumn()
{
    Applet *applet = app->findApplet("AddressDiscovery", MainApp::ByName);
    auto *table = applet->findChild<QTableView *>();
    QVERIFY(table);
    QVERIFY(table->horizontalHeader()->stretchLastSection());
}

void TestToolApplets::connectMockupFromConnectionBar()
{
    MainWindow *window = app->mainWindow();
    QVERIFY(!window->getMenuApp()->isEnabled());
    const int mockup = window->portList()->findText("mockup");
    QVERIFY(mockup >= 0);
    window->portList()->setCurrentIndex(mockup);
    QTest::mouseClick(window->connectButton(), Qt::LeftButton);
    QVERIFY(app->isConnected());
    QCOMPARE(window->statusText(),
             QString("<span style=\"background-color:#FF0000;\">!!! SIMULATION !!!</span>"));
    QVERIFY(window->getMenuApp()->isEnabled());
    QCOMPARE(window->connectButton()->text(), QString("Disconnect"));
    for (int i = 0; i < app->appletCount(); ++i)
        QVERIFY2(app->applet(i)->isOnline(), qPrintable(app->applet(i)->name()));
    QVERIFY(prompt.texts.last().contains("Mock-up"));
}

void TestToolApplets::ctrlDigitOpensToolWindows_data()
{
    QTest::addColumn<int>("digit");
    QTest::addColumn<QString>("name");
    QTest::newRow("Ctrl+0") << 0 << "SpiRaw";
    QTest::newRow("Ctrl+3") << 3 << "AddressDiscovery";
    QTest::newRow("Ctrl+7") << 7 << "Board";
    QTest::newRow("Ctrl+8") << 8 << "SpiRaw4B";
}

void TestToolApplets::ctrlDigitOpensToolWindows()
{
    QFETCH(int, digit);
    QFETCH(QString, name);
    Applet *applet = app->findApplet(name, MainApp::ByName);
    QVERIFY(!applet->container()->isVisible());
    QTest::keyClick(app->mainWindow()->portList(), Qt::Key(Qt::Key_0 + digit), Qt::ControlModifier);
    QVERIFY(applet->container()->isVisible());
    QVERIFY(applet->action()->isChecked());
    QCOMPARE(app->mainWindow()->activeSubWindowWidget(), applet);
    QVERIFY(!app->mainWindow()->infoBox());
}

void TestToolApplets::ctrlNineOpensNothing()
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

// The main window as the user sees it after connecting and opening a few tools; written to
// the test's working directory for a look.
void TestToolApplets::screenshot()
{
    app->setLogComm(true);
    app->mainWindow()->logSwitch()->setChecked(true);
    emit app->signal_log(-1, "An error for the picture");
    emit app->signal_log(50, "A warning");
    QVERIFY(app->logs()->container()->isVisible());
    QTest::qWait(100);
    const QImage image = app->mainWindow()->grab().toImage();
    QVERIFY(!image.isNull());
    QVERIFY(image.save("mainwindow.png"));
}

void TestToolApplets::cleanupTestCase()
{
    app->shutdown();
    QCOMPARE(app->appletCount(), 0);
}

QTEST_MAIN(TestToolApplets)
#include "tst_toolapplets.moc"
