// The tool-window area on its own: the grey watermark it paints behind the windows, the size
// it asks for, and its windows kept in view when shown, also those of a fixed size.
#include "mdiarea.h"

#include <QMdiSubWindow>
#include <QScreen>
#include <QScrollBar>
#include <QtTest>

class TestMdiArea : public QObject
{
    Q_OBJECT

private slots:
    // The project name is painted in the watermark's grey around the mark's baseline; a
    // sub-window covers it where it lies.
    void watermarkPainted()
    {
        MdiArea area;
        area.resize(600, 400);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        const QSize viewport = area.viewport()->size();
        const MdiArea::Watermark mark = MdiArea::watermarkFor(viewport);
        QVERIFY(mark.pixelSize > 0);
        const QRect band(0, mark.baseline.y() - mark.pixelSize, viewport.width(),
                         mark.pixelSize * 4 / 3); // from the cap height to below the baseline
        QVERIFY(greyPixels(area, band) > 50);
        // Around it, the area's own background.
        QCOMPARE(area.viewport()->grab(QRect(0, 0, 1, 1)).toImage().pixel(0, 0),
                 area.background().color().rgb());
        QCOMPARE(greyPixels(area, QRect(QPoint(), viewport)), greyPixels(area, band));
        // The name stands about the middle of the view's height.
        const int half = viewport.height() / 2;
        QVERIFY(greyPixels(area, QRect(0, half - mark.pixelSize / 2, viewport.width(),
                                       mark.pixelSize)) > greyPixels(area, band) * 3 / 4);

        auto *cover = area.addSubWindow(new QWidget);
        cover->setGeometry(QRect(QPoint(), viewport));
        cover->show();
        QTRY_COMPARE_WITH_TIMEOUT(greyPixels(area, band), 0, 30000);
    }

    // At the top level it asks for two thirds of the screen.
    void sizeHintAtTopLevel()
    {
        const QSize screen = QGuiApplication::primaryScreen()->virtualSize();
        MdiArea top;
        QCOMPARE(top.sizeHint(), QSize(screen.width() * 2 / 3, screen.height() * 2 / 3));
    }

    // A window shown is brought into the view; one moved partly out of it later stays there,
    // the area scrolling to it, until it is hidden.
    void windowsShownInView()
    {
        MdiArea area;
        area.resize(400, 300);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        auto *sub = area.addSubWindow(new QWidget);
        sub->setGeometry(350, 250, 200, 150);
        sub->show();
        const QRect view = area.viewport()->rect();
        QCOMPARE(sub->geometry(), QRect(view.right() + 1 - 200, view.bottom() + 1 - 150, 200, 150));
        sub->move(300, 200);
        QCoreApplication::processEvents();
        QCOMPARE(sub->pos(), QPoint(300, 200));
        QVERIFY(area.horizontalScrollBar()->isVisible() && area.verticalScrollBar()->isVisible());
        QVERIFY(area.horizontalScrollBar()->maximum() > 0 &&
                area.verticalScrollBar()->maximum() > 0);
        sub->hide();
        QCOMPARE(area.horizontalScrollBar()->maximum() + area.verticalScrollBar()->maximum(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!area.horizontalScrollBar()->isVisible() &&
                                     !area.verticalScrollBar()->isVisible(),
                                 30000);
    }

    // A window of a fixed size larger than the view opens cut to the view, title bar and buttons
    // in it; shown again where the view has room, it has its fixed size back.
    void fixedWindowCutToView()
    {
        MdiArea area;
        area.resize(400, 300);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        auto *sub = area.addSubWindow(new QWidget);
        sub->setFixedSize(600, 200);
        sub->move(50, 20);
        sub->show();
        QCOMPARE(sub->geometry(), QRect(0, 20, area.viewport()->width(), 200));
        QCOMPARE(sub->maximumWidth(), sub->width()); // still not to be resized
        sub->hide();
        area.resize(800, 300);
        QTRY_VERIFY(area.viewport()->width() >= 650);
        sub->show();
        QCOMPARE(sub->geometry(), QRect(0, 20, 600, 200));
    }

    // The area made narrower keeps a window shown in it within the view, cut and moved in;
    // made wider again, it gives the window its own size back, and a size a person gave the
    // window in between becomes its own.
    void windowsFollowTheArea()
    {
        MdiArea area;
        area.resize(800, 400);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        auto *sub = area.addSubWindow(new QWidget);
        sub->setGeometry(300, 50, 450, 300);
        sub->show();
        const auto inView = [&area, sub]() {
            return area.viewport()->rect().contains(sub->geometry()) &&
                   sub->width() == area.viewport()->width();
        };
        for (const QSize own : {QSize(450, 300), QSize(250, 200)}) {
            area.resize(350, 400);
            QTRY_VERIFY(area.width() == 350 && inView());
            if (own.width() < 450) // a person's size, then the area as wide as before
                sub->resize(own);
            area.resize(800, 400);
            QTRY_VERIFY(area.width() == 800 && sub->size() == own);
            QVERIFY(area.viewport()->rect().contains(sub->geometry()));
        }
    }

private:
    static int greyPixels(MdiArea &area, const QRect &rect)
    {
        const QImage image = area.viewport()->grab(rect).toImage();
        int grey = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                grey += QColor(image.pixel(x, y)) == MdiArea::watermarkColor();
        return grey;
    }
};

QTEST_MAIN(TestMdiArea)
#include "tst_mdiarea.moc"
