// The tool-window area on its own: the grey watermark it paints behind the windows, and the
// size it asks for.
#include "mdiarea.h"

#include <QMdiSubWindow>
#include <QScreen>
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
        QCOMPARE(greyPixels(area, QRect(QPoint(), viewport)), greyPixels(area, band));

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
