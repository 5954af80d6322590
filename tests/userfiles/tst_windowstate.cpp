// The window-state file: its exact lines, what restoring it does to the windows (a maximized
// main window un-maximized before it is sized), and numbers far beyond any screen refused line
// by line (the rectangle arithmetic would overflow on them).
#include "applet.h"
#include "recordingprompt.h"
#include "tablerows.h"
#include "testfiles.h"
#include "windowstate.h"

#include <QDataStream>
#include <QDockWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QScrollBar>
#include <QtTest>

#include <memory>

class NamedApplet : public Applet
{
public:
    explicit NamedApplet(const QString &name) { setObjectName(name); }
    QVariant run(const QString &, const QVariant &) override { return QVariant(); }
};

// A main-window geometry in the layout QWidget::saveGeometry writes, every rectangle the same.
static QByteArray geometryBlob(const QRect &rect, quint16 major = 3)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_4_0);
    stream << quint32(0x1D9D0CB) << major << quint16(0) << rect << rect << qint32(0) << quint8(0)
           << quint8(0);
    if (major > 1)
        stream << qint32(1920);
    if (major > 2)
        stream << rect;
    return bytes.toHex();
}

class TestWindowState : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        window = std::make_unique<QMainWindow>();
        window->resize(1200, 900);
        auto *area = new QMdiArea;
        window->setCentralWidget(area);
        board = new NamedApplet("Board");
        spi = new NamedApplet("SpiRaw");
        logs = new NamedApplet("Logs");
        for (NamedApplet *a : {board, spi})
            area->addSubWindow(a->createContainer(Applet::MdiContainer, nullptr));
        window->addDockWidget(Qt::RightDockWidgetArea,
                              qobject_cast<QDockWidget *>(
                                  logs->createContainer(Applet::DockContainer, window.get())));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        board->container()->setGeometry(40, 50, 320, 240);
        board->hideWindow();
    }

    void cleanup() { window.reset(); } // the containers own the applets

    void saveWritesOneLinePerAppletAndRestores()
    {
        board->container()->setGeometry(10, 20, 420, 340);
        board->showWindow();
        spi->container()->setGeometry(5, 6, 300, 200);
        spi->setObjectName("Spi%2Raw%1"); // a name is written as it stands
        logs->showWindow();
        WindowState ws = state();
        QVERIFY(ws.save());
        const QRect dock = logs->container()->geometry();
        QCOMPARE(TestFiles::read(WindowState::FileName),
                 window->saveGeometry().toHex() +
                     "\nBoard,10,20,420,340,1\nSpi%2Raw%1,5,6,300,200,0\n" +
                     QStringLiteral("Logs,%1,%2,%3,%4,1\n")
                         .arg(dock.x())
                         .arg(dock.y())
                         .arg(dock.width())
                         .arg(dock.height())
                         .toLatin1());

        const QSize mainSize = window->size();
        window->resize(700, 500);
        board->container()->setGeometry(0, 0, 200, 200);
        board->hideWindow();
        spi->showWindow();
        QVERIFY(ws.restore());
        QTRY_COMPARE_WITH_TIMEOUT(window->size(), mainSize, 30000);
        QCOMPARE(board->container()->geometry(), QRect(10, 20, 420, 340));
        QVERIFY(board->isWindowVisible());
        QCOMPARE(spi->container()->geometry(), QRect(5, 6, 300, 200));
        QVERIFY(!spi->isWindowVisible());
        QVERIFY(TestFiles::write("plain")); // a file that cannot be written is reported
        QVERIFY(!ws.save("plain/KVL52110.state"));
        QVERIFY(!ws.errorString().isEmpty());
        QVERIFY(ws.restore() && ws.errorString().isEmpty()); // a good read says no old error
        QVERIFY(!ws.restore("absent.state") && !ws.errorString().isEmpty()); // nothing to read
        QVERIFY(!ws.save("plain/KVL52110.state"));
        QVERIFY(ws.save() && ws.errorString().isEmpty()); // nor does a good write
    }

    // A floating log window goes back to its place; an empty text restores nothing. An applet
    // restored for its place only stays shown or hidden as it is.
    void floatingDock()
    {
        auto *dock = qobject_cast<QDockWidget *>(logs->container());
        dock->setFloating(true);
        dock->setGeometry(100, 120, 300, 200);
        const QByteArray saved = state().format();
        dock->setGeometry(400, 300, 250, 150);
        QCOMPARE(state().apply(saved), 3);
        QCOMPARE(dock->geometry(), QRect(100, 120, 300, 200));
        for (bool shown : {false, true}) {
            shown ? logs->showWindow() : logs->hideWindow();
            dock->setGeometry(400, 300, 250, 150);
            WindowState placeOnly = state();
            placeOnly.setPlaceOnly(logs);
            QCOMPARE(placeOnly.apply(QByteArray("\nLogs,100,120,300,200,") + (shown ? "0" : "1")),
                     1);
            QCOMPARE(dock->geometry(), QRect(100, 120, 300, 200));
            QCOMPARE(dock->isVisible(), shown);
        }
        QCOMPARE(state().apply(QByteArray()), 0);
    }

    // Saved while the area is scrolled, the windows keep their places in the area's content;
    // restoring scrolls the view back to its origin and places each window within the view:
    // a negative place (as files written while scrolled hold) or one beyond the view is moved
    // in, a window wider than the view is cut to it, so its title bar and buttons are in view.
    void scrolledArea()
    {
        auto *area = qobject_cast<QMdiArea *>(window->centralWidget());
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        board->showWindow();
        spi->showWindow();
        board->container()->setGeometry(10, 20, 300, 200);
        spi->container()->setGeometry(30, 1500, 300, 200);
        QTRY_VERIFY_WITH_TIMEOUT(area->verticalScrollBar()->maximum() >= 326, 30000);
        area->verticalScrollBar()->setValue(326);
        QCOMPARE(board->container()->pos(), QPoint(10, 20 - 326));
        const QByteArray saved = state().format();
        QVERIFY2(saved.contains("\nBoard,10,20,300,200,1\nSpiRaw,30,1500,300,200,1\n"), saved);
        board->container()->setGeometry(50, 60, 300, 200);
        QCOMPARE(state().apply(saved), 3);
        QCOMPARE(area->verticalScrollBar()->value(), 0);
        QCOMPARE(board->container()->geometry(), QRect(10, 20, 300, 200));
        const QSize view = area->viewport()->size();
        QCOMPARE(spi->container()->geometry(), QRect(30, view.height() - 200, 300, 200));
        QCOMPARE(state().apply("\nBoard,-40,-326,300,200,1\n"), 1);
        QCOMPARE(board->container()->geometry(), QRect(0, 0, 300, 200));
        QCOMPARE(state().apply("\nBoard,20,10,5000,200,1\n"), 1);
        QCOMPARE(board->container()->geometry(), QRect(0, 10, view.width(), 200));
        // Scrolled sideways, the same.
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        spi->container()->setGeometry(1500, 30, 300, 200);
        QTRY_VERIFY_WITH_TIMEOUT(area->horizontalScrollBar()->maximum() >= 100, 30000);
        area->horizontalScrollBar()->setValue(100);
        QCOMPARE(state().apply("\nBoard,10,20,300,200,1\n"), 1);
        QCOMPARE(area->horizontalScrollBar()->value(), 0);
        QCOMPARE(board->container()->geometry(), QRect(10, 20, 300, 200));
    }

    // Each applet line on its own after the geometry line; refused: the line number of a
    // warning, 0 when the line is skipped silently.
    void appletLines_data()
    {
        addRows<QByteArray, QRect, int>(
            {"line", "geometry", "refused"},
            {{"Board,10,20,800,600,1", QRect(10, 20, 800, 600), -1},
             {"Board,x,5,300,200,1", QRect(0, 5, 300, 200), -1}, // unreadable: 0
             {"Board,-100000,100000,300,200,1", {}, -1}, // the edges of the range
             {"Board,0,0,100000,100000,1", {}, -1}, {"Board,0,0,0,0,1", {}, -1},
             {"Board,10,20,800,600", {}, 0}, {"Board,10,20,800,600,0,1", {}, 0},
             {"board,10,20,800,600,1", {}, 0}, {"\x01\x02,\xff", {}, 0},
             {"Board,0,2147483647,10,10,1", {}, 2}, {"Board,0,0,10,99999999999999999999,1", {}, 2},
             {"Board,0,0,-5,10,1", {}, 2}, {"Board,100001,0,10,10,1", {}, 2},
             {"Board,0,-100001,10,10,1", {}, 2}, {"Board,0,0,100001,10,1", {}, 2}});
    }

    void appletLines()
    {
        QFETCH(QByteArray, line);
        QFETCH(QRect, geometry);
        QFETCH(int, refused);
        const QSize mainSize = window->size();
        WindowState ws = state();
        QCOMPARE(ws.apply("\n" + line + "\n"), refused < 0 ? 1 : 0);
        if (refused >= 0 || !geometry.isNull())
            QCOMPARE(board->container()->geometry(),
                     refused < 0 ? geometry : QRect(40, 50, 320, 240));
        QCOMPARE(board->isWindowVisible(), refused < 0);
        QCOMPARE(window->size(), mainSize);
        QCOMPARE(ws.warnings(), refused > 0
                                    ? QStringList{QString("KVL52110.state line %1 not restored: "
                                                          "the geometry of Board is out of range")
                                                      .arg(refused)}
                                    : QStringList());
        ws.apply("\nBoard,1,2,300,200,0\n"); // warnings are those of the last text
        QVERIFY(ws.warnings().isEmpty());
    }

    // Every version of the saved layout is read to its end and judged by its numbers.
    void mainWindowGeometry_data()
    {
        addRows<QByteArray, bool>({"blob", "sane"},
                                  {{geometryBlob(QRect(30, 40, 640, 480), 0), false},
                                   {geometryBlob(QRect(30, 40, 640, 480), 1), true},
                                   {geometryBlob(QRect(30, 40, 640, 480), 2), true},
                                   {geometryBlob(QRect(0, 2147483000, 640, 480)), false},
                                   {geometryBlob(QRect(-500000, 0, 640, 480), 2), false},
                                   {geometryBlob(QRect(30, 40, 500000, 480)), false},
                                   {geometryBlob(QRect(30, 40, 640, 500000)), false},
                                   {geometryBlob(QRect(30, 40, 640, 480), 4), false},
                                   {geometryBlob(QRect(30, 40, 640, 480)).left(60), false}});
    }

    void mainWindowGeometry()
    {
        QFETCH(QByteArray, blob);
        QFETCH(bool, sane);
        window->resize(640, 480);
        const QByteArray saved = window->saveGeometry().toHex();
        window->resize(900, 700);
        WindowState ws = state();
        QCOMPARE(ws.apply((sane ? saved : blob) + "\nBoard,1,2,300,200,1\n"), 1);
        if (sane)
            QTRY_COMPARE_WITH_TIMEOUT(window->size(), QSize(640, 480), 30000);
        QCOMPARE(window->size(), sane ? QSize(640, 480) : QSize(900, 700));
        QCOMPARE(board->container()->geometry(), QRect(1, 2, 300, 200)); // the next line applies
        QCOMPARE(ws.warnings().size(), sane ? 0 : 1);
        if (!sane)
            QVERIFY(ws.warnings().first().startsWith("KVL52110.state line 1 not restored"));
        if (sane) // the blob of every version passes the check
            QVERIFY(ws.apply(blob + "\n") == 0 && ws.warnings().isEmpty());
    }

    // A main window maximized now, restored to a layout saved un-maximized, is un-maximized
    // first and given its saved size only once the window system reports it un-maximized (a
    // Wayland compositor ends the program that sizes a window it has maximized).
    void unmaximizedLayoutOnAMaximizedWindow()
    {
        window->resize(640, 480);
        const QByteArray saved = window->saveGeometry().toHex();
        window->resize(700, 500);
        window->showMaximized();
        QTRY_VERIFY_WITH_TIMEOUT(window->size() != QSize(700, 500), 30000); // as reported
        WindowState ws = state();
        QCOMPARE(ws.apply(saved + "\nBoard,1,2,300,200,1\n"), 1);
        QVERIFY(!window->isMaximized());
        QVERIFY(window->size() != QSize(640, 480));
        QTRY_COMPARE_WITH_TIMEOUT(window->size(), QSize(640, 480), 30000);
        QCOMPARE(board->container()->geometry(), QRect(1, 2, 300, 200));
    }

private:
    WindowState state() const { return WindowState(window.get(), {board, nullptr, spi, logs}); }

    std::unique_ptr<QMainWindow> window;
    NamedApplet *board = nullptr, *spi = nullptr; // MDI applets
    NamedApplet *logs = nullptr;                  // the dock applet
};

QTEST_MAIN(TestWindowState)
#include "tst_windowstate.moc"
