#include "applet.h"
#include "mainapp.h"
#include "recordingprompt.h"
#include "testfiles.h"
#include "windowstate.h"

#include <QDockWidget>
#include <QFile>
#include <QMainWindow>
#include <QMdiArea>
#include <QtTest>

#include <memory>

namespace
{

class NamedApplet : public Applet
{
public:
    explicit NamedApplet(const QString &name) { setObjectName(name); }
    QVariant run(const QString &, const QVariant &) override { return QVariant(); }
};

} // namespace

// The window-state file: its exact lines, and what restoring it does to the windows.
class TestWindowState : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        window = std::make_unique<QMainWindow>();
        window->resize(1200, 900);
        area = new QMdiArea;
        window->setCentralWidget(area);
        board = new NamedApplet("Board");
        spi = new NamedApplet("SpiRaw");
        logs = new NamedApplet("Logs");
        for (NamedApplet *a : {board, spi}) {
            a->resize(400, 300);
            area->addSubWindow(a->createContainer(Applet::MdiContainer, nullptr));
        }
        auto *dock =
            qobject_cast<QDockWidget *>(logs->createContainer(Applet::DockContainer, window.get()));
        QVERIFY(dock);
        window->addDockWidget(Qt::RightDockWidgetArea, dock);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanup()
    {
        window.reset(); // the containers own the applets
        board = spi = logs = nullptr;
    }

    void saveWritesGeometryAndOneLinePerAppletAndRestores()
    {
        board->container()->setGeometry(10, 20, 420, 340);
        board->showWindow();
        spi->container()->setGeometry(5, 6, 300, 200);
        spi->hideWindow();
        spi->setObjectName("Spi%2Raw%1"); // a name is written as it stands
        logs->showWindow();
        WindowState ws = state();
        QVERIFY(ws.save());
        const QRect dock = logs->container()->geometry();
        const QByteArray expected = window->saveGeometry().toHex() + "\n" +
                                    "Board,10,20,420,340,1\n" + "Spi%2Raw%1,5,6,300,200,0\n" +
                                    QStringLiteral("Logs,%1,%2,%3,%4,1\n")
                                        .arg(dock.x())
                                        .arg(dock.y())
                                        .arg(dock.width())
                                        .arg(dock.height())
                                        .toLatin1();
        QCOMPARE(TestFiles::read(WindowState::FileName), expected);

        // Restoring the saved file brings back sizes, places and visibility.
        const QSize mainSize = window->size();
        window->resize(700, 500);
        board->container()->setGeometry(0, 0, 200, 200);
        board->hideWindow();
        spi->container()->setGeometry(1, 1, 250, 250);
        spi->showWindow();
        QVERIFY(ws.restore());
        QTRY_COMPARE(window->size(), mainSize);
        QCOMPARE(board->container()->geometry(), QRect(10, 20, 420, 340));
        QVERIFY(board->isWindowVisible());
        QCOMPARE(spi->container()->geometry(), QRect(5, 6, 300, 200));
        QVERIFY(!spi->isWindowVisible());
    }

    void restoreMovesResizesAndHides()
    {
        board->showWindow();
        QCOMPARE(state().apply("\nBoard,10,20,800,600,0\nSpiRaw,x,30,500,400,1\n"), 2);
        QCOMPARE(board->container()->geometry(), QRect(10, 20, 800, 600));
        QVERIFY(!board->isWindowVisible());
        // An unreadable number counts as 0.
        QCOMPARE(spi->container()->geometry(), QRect(0, 30, 500, 400));
        QVERIFY(spi->isWindowVisible());
    }

    void malformedLinesAreSkipped_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("restored");

        QTest::newRow("five fields") << QByteArray("\nBoard,10,20,800,600\n") << 0;
        QTest::newRow("seven fields") << QByteArray("\nBoard,10,20,800,600,0,1\n") << 0;
        QTest::newRow("unknown applet") << QByteArray("\nNobody,10,20,800,600,0\n") << 0;
        QTest::newRow("names compare exactly") << QByteArray("\nboard,10,20,800,600,0\n") << 0;
        QTest::newRow("geometry only") << QByteArray("00ff00") << 0;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("garbage") << QByteArray("\x01\x02,\xff\n,,,,,\n\0\0", 14) << 0;
        QTest::newRow("good line among bad ones")
            << QByteArray("zz\n,,\nBoard,1,2,300,200,1\nBoard,1\n") << 1;
    }

    void malformedLinesAreSkipped()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, restored);
        spi->container()->setGeometry(40, 50, 320, 240);
        const QSize mainSize = window->size();
        QCOMPARE(state().apply(text), restored);
        QCOMPARE(spi->container()->geometry(), QRect(40, 50, 320, 240));
        if (restored == 0)
            QCOMPARE(window->size(), mainSize);
    }

    // A missing file changes nothing; a file that cannot be written is reported.
    void fileFailures()
    {
        QFile::remove(WindowState::FileName);
        board->container()->setGeometry(15, 25, 450, 350);
        WindowState ws = state();
        QVERIFY(!ws.restore());
        QCOMPARE(board->container()->geometry(), QRect(15, 25, 450, 350));
        QVERIFY(TestFiles::write("plain"));
        QVERIFY(!ws.save("plain/KVL52110.state"));
        QVERIFY(!ws.errorString().isEmpty());
    }

    void restoreWhileDisconnectedOnlyWarns()
    {
        QVERIFY(TestFiles::write(WindowState::FileName, "\nBoard,1,2,300,200,0\n"));
        board->container()->setGeometry(15, 25, 450, 350);
        RecordingPrompt prompt;
        MainApp::instance()->restoreState(); // no board is connected
        QCOMPARE(prompt.messages().size(), 1);
        QCOMPARE(prompt.messages().first().title, QStringLiteral("Warning"));
        QCOMPARE(prompt.messages().first().text, QStringLiteral("Board is not connected"));
        QCOMPARE(board->container()->geometry(), QRect(15, 25, 450, 350));
    }

private:
    QList<Applet *> table() const { return {board, nullptr, spi, logs}; }
    WindowState state() const { return WindowState(window.get(), table()); }

    std::unique_ptr<QMainWindow> window;
    QMdiArea *area = nullptr;
    NamedApplet *board = nullptr; // MDI applets
    NamedApplet *spi = nullptr;
    NamedApplet *logs = nullptr; // the dock applet
};

QTEST_MAIN(TestWindowState)
#include "tst_windowstate.moc"
