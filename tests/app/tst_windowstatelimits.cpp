// Window-state numbers far beyond any screen: refused line by line with a warning, never handed
// to the widgets (the rectangle arithmetic would overflow on them).
#include "applet.h"
#include "testfiles.h"
#include "windowstate.h"

#include <QDataStream>
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

// A main-window geometry in the layout QWidget::saveGeometry writes, every rectangle the given
// one.
QByteArray geometryBlob(const QRect &rect, quint16 major = 3)
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
    return bytes;
}

} // namespace

class TestWindowStateLimits : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        window = std::make_unique<QMainWindow>();
        window->resize(900, 700);
        auto *area = new QMdiArea;
        window->setCentralWidget(area);
        board = new NamedApplet("Board");
        area->addSubWindow(board->createContainer(Applet::MdiContainer, nullptr));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        board->container()->setGeometry(40, 50, 320, 240);
        board->hideWindow();
    }

    void cleanup() { window.reset(); }

    void appletLines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("accepted");

        // Found in use: y at the largest int.
        QTest::newRow("y at the int limit") << QByteArray("Board,0,2147483647,10,10,1") << false;
        QTest::newRow("x at the negative int limit")
            << QByteArray("Board,-2147483648,0,10,10,1") << false;
        QTest::newRow("width at the int limit") << QByteArray("Board,0,0,2147483647,10,1") << false;
        QTest::newRow("height beyond 64 bits")
            << QByteArray("Board,0,0,10,99999999999999999999,1") << false;
        QTest::newRow("negative width") << QByteArray("Board,0,0,-5,10,1") << false;
        QTest::newRow("negative height") << QByteArray("Board,0,0,10,-1,1") << false;
        QTest::newRow("x just beyond the range") << QByteArray("Board,100001,0,10,10,1") << false;
        QTest::newRow("y just below the range") << QByteArray("Board,0,-100001,10,10,1") << false;
        QTest::newRow("width just beyond the range")
            << QByteArray("Board,0,0,100001,10,1") << false;
        QTest::newRow("edges of the range") << QByteArray("Board,-100000,100000,300,200,1") << true;
        QTest::newRow("largest size") << QByteArray("Board,0,0,100000,100000,1") << true;
        QTest::newRow("zero size") << QByteArray("Board,0,0,0,0,1") << true;
        QTest::newRow("unreadable number counts as 0") << QByteArray("Board,x,5,300,200,1") << true;
    }

    void appletLines()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, accepted);
        WindowState state(window.get(), {board});
        QCOMPARE(state.apply("\n" + line + "\n"), accepted ? 1 : 0);
        QCOMPARE(board->isWindowVisible(), accepted);
        if (accepted) {
            QVERIFY(state.warnings().isEmpty());
            return;
        }
        QCOMPARE(board->container()->geometry(), QRect(40, 50, 320, 240));
        QCOMPARE(state.warnings(),
                 QStringList{"KVL52110.state line 2 not restored: the geometry of Board is out "
                             "of range"});
    }

    // Each line is judged on its own: good lines around a refused one still apply.
    void refusedLineAmongGoodOnes()
    {
        WindowState state(window.get(), {board});
        QCOMPARE(state.apply("\nBoard,1,2,300,200,0\nBoard,0,2147483647,10,10,1\n"
                             "Board,-2147483648,0,1,1,1\nBoard,7,8,310,210,1\n"),
                 2);
        QCOMPARE(board->container()->geometry(), QRect(7, 8, 310, 210));
        QVERIFY(board->isWindowVisible());
        QCOMPARE(state.warnings().size(), 2);
        QVERIFY(state.warnings().at(0).contains("line 3 "));
        QVERIFY(state.warnings().at(1).contains("line 4 "));
    }

    void saneMainWindowGeometryIsRestored()
    {
        window->resize(640, 480);
        const QByteArray saved = window->saveGeometry().toHex();
        window->resize(900, 700);
        WindowState state(window.get(), {board});
        state.apply(saved + "\n");
        QVERIFY(state.warnings().isEmpty());
        QTRY_COMPARE(window->size(), QSize(640, 480));
    }

    // Every version of the saved layout is read to its end and judged by its numbers.
    void saneGeometryOfEveryVersion_data()
    {
        QTest::addColumn<quint16>("major");
        QTest::newRow("version 1") << quint16(1);
        QTest::newRow("version 2") << quint16(2);
        QTest::newRow("version 3") << quint16(3);
    }

    void saneGeometryOfEveryVersion()
    {
        QFETCH(quint16, major);
        WindowState state(window.get(), {board});
        state.apply(geometryBlob(QRect(30, 40, 640, 480), major).toHex() + "\n");
        QVERIFY(state.warnings().isEmpty());
    }

    void badMainWindowGeometry_data()
    {
        QTest::addColumn<QByteArray>("blob");

        QTest::newRow("frame at the int limit") << geometryBlob(QRect(0, 2147483000, 640, 480));
        QTest::newRow("frame far left") << geometryBlob(QRect(-500000, 0, 640, 480));
        QTest::newRow("frame far left, version 2") << geometryBlob(QRect(-500000, 0, 640, 480), 2);
        QTest::newRow("unknown version") << geometryBlob(QRect(30, 40, 640, 480), 4);
        QTest::newRow("cut short") << geometryBlob(QRect(30, 40, 640, 480)).left(30);
        QTest::newRow("not a geometry") << QByteArray("\x00\xff\x00", 3);
    }

    void badMainWindowGeometry()
    {
        QFETCH(QByteArray, blob);
        const QSize before = window->size();
        WindowState state(window.get(), {board});
        state.apply(blob.toHex() + "\nBoard,1,2,300,200,1\n");
        QCOMPARE(window->size(), before);
        QCOMPARE(state.warnings().size(), 1);
        QVERIFY(state.warnings().first().startsWith("KVL52110.state line 1 not restored"));
        QCOMPARE(board->container()->geometry(), QRect(1, 2, 300, 200)); // the next line applies
    }

    // The file found in use, through restore(): refused, nothing moved.
    void reproducerFile()
    {
        QVERIFY(TestFiles::write(WindowState::FileName, "\nBoard,0,2147483647,10,10,1\n"));
        WindowState state(window.get(), {board});
        QVERIFY(state.restore());
        QCOMPARE(state.warnings().size(), 1);
        QCOMPARE(board->container()->geometry(), QRect(40, 50, 320, 240));
        QVERIFY(!board->isWindowVisible());
    }

private:
    std::unique_ptr<QMainWindow> window;
    NamedApplet *board = nullptr;
};

QTEST_MAIN(TestWindowStateLimits)
#include "tst_windowstatelimits.moc"
