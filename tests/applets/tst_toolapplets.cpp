// The program's own applet table: each applet built when first needed or while the program
// waits, order, titles, shortcut digits, menu entries, fixed window sizes, the frame window's
// data edits before a connection, every applet online after connecting to the mock-up from the
// connection bar, and the discovery list's full-width last column.
#include "mainapp.h"
#include "mainwindow.h"
#include "mdiarea.h"
#include "recordingprompt.h"
#include "testfiles.h"
#include "toolapplets.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTableWidget>
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

    // The start builds no tool applet: each has its window's place, in table order, the board
    // page's at the size of the built page's window. An applet is built when first asked for: by its shortcut
    // or its index alone; a name not known yet builds the rest. Their menu entries keep the
    // table's order, whatever the order they were built in. While the program waits, each
    // hidden tool window is polished, and none is shown.
    void builtWhenNeeded()
    {
        for (int i = 1; i < app->appletCount(); ++i)
            QVERIFY2(!app->builtApplet(i), qPrintable(QString::number(i)));
        const QList<QMdiSubWindow *> places = app->mainWindow()->mdiArea()->subWindowList();
        QCOMPARE(places.size(), 9);
        const QRect place = places.at(7)->geometry();
        Applet *board = app->findApplet(int(Qt::Key_0) + 7, MainApp::ByShortcut);
        QVERIFY(board && board->name() == "Board" && board->container() == places.at(7));
        QCOMPARE(board->container()->geometry(), place);
        QCOMPARE(app->applet(9)->name(), QString("SpiRaw4B"));
        for (int i = 1; i < 8; ++i)
            QVERIFY(!app->builtApplet(i));
        QCOMPARE(app->mainWindow()->getMenuApp()->actions(),
                 (QList<QAction *>{board->action(), app->applet(9)->action()}));
        Applet *otp = app->findApplet("Otp", MainApp::ByName);
        QCOMPARE(otp, app->builtApplet(5));
        QList<QAction *> entries;
        for (int i = 1; i < app->appletCount(); ++i)
            entries.append(app->builtApplet(i)->action());
        QCOMPARE(app->mainWindow()->getMenuApp()->actions(), entries);
        app->warmUp();
        QTRY_VERIFY_WITH_TIMEOUT(app->isWarmedUp(), 60000);
        for (int i = 1; i < app->appletCount(); ++i) {
            QVERIFY(app->builtApplet(i)->testAttribute(Qt::WA_WState_Polished));
            QVERIFY(!app->builtApplet(i)->container()->isVisible());
        }
    }

    // The program's applet table: names, titles, shortcut digits and menu entries in order.
    void table()
    {
        const QStringList entries{"SpiRaw:SPI Raw",
                                  "SpiEEPROM:External SPI EEPROM",
                                  "AutoAddressing:Auto addressing",
                                  "AddressDiscovery:Address Discovery",
                                  "Otp:Otp Registers",
                                  "Pxn:Pxn frame control",
                                  "Configuration:Configuration frame",
                                  "Board:KVL52110",
                                  "SpiRaw4B:SPI Raw 4B"};
        QCOMPARE(app->appletCount(), 10);
        QCOMPARE(app->applet(0)->name(), QString("Logs"));
        for (int k = 0; k < 9; ++k) {
            const QString name = entries[k].section(':', 0, 0), title = entries[k].section(':', 1);
            Applet *applet = app->applet(k + 1);
            QCOMPARE(applet->name() + ' ' + applet->title(),
                     QString("%1 (Ctrl+%2) %3").arg(name).arg(k).arg(title));
            QCOMPARE(applet->shortcut, int(Qt::Key_0) + k);
            QCOMPARE(app->mainWindow()->getMenuApp()->actions().value(k), applet->action());
            QCOMPARE(applet->action()->text(), title + '(' + name + ')');
        }
        // The SPI tools' windows keep their size, the OTP window its width.
        for (int k = 1; k <= 9; ++k) {
            const QString name = app->applet(k)->name().section(' ', 0, 0);
            const QWidget *window = app->applet(k)->container();
            QCOMPARE(window->minimumWidth() == window->maximumWidth(),
                     QString("SpiRaw SpiEEPROM Otp SpiRaw4B").split(' ').contains(name));
            QCOMPARE(window->minimumHeight() == window->maximumHeight(),
                     QString("SpiRaw SpiEEPROM SpiRaw4B").split(' ').contains(name));
        }
        // Before any connection the frame window enables the data edits of one-word frames.
        const Applet *pxn = app->findApplet("Pxn", MainApp::ByName);
        for (const char *group : {"W", "R"})
            for (const int k : {3, 4})
                QCOMPARE(pxn->findChild<QLineEdit *>(QString("le%1_BANK_D%2").arg(group).arg(k))
                             ->isEnabled(),
                         k == 3);
        // Connecting to the mock-up from the connection bar (listed once the port probe is
        // done) puts every applet online.
        MainWindow *window = app->mainWindow();
        QTRY_VERIFY_WITH_TIMEOUT(window->portList()->findText("mockup") >= 0, 30000);
        window->portList()->setCurrentIndex(window->portList()->findText("mockup"));
        QTest::mouseClick(window->connectButton(), Qt::LeftButton);
        for (int i = 0; i < app->appletCount(); ++i)
            QVERIFY2(app->applet(i)->isOnline(), qPrintable(app->applet(i)->name()));
        // The discovery list's mode column reaches the list's right edge.
        Applet *discovery = app->findApplet("AddressDiscovery", MainApp::ByName);
        discovery->action()->trigger();
        const auto *list = discovery->findChild<QTableWidget *>("tableWidget");
        QTRY_VERIFY(list->isVisible());
        const QHeaderView *header = list->horizontalHeader();
        QTRY_COMPARE(header->sectionPosition(1) + header->sectionSize(1),
                     list->viewport()->width());
        discovery->container()->close();
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
