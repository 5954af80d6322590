#include "mdiarea.h"

#include "mainapp.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QPainter>
#include <QScreen>

MdiArea::MdiArea(QWidget *parent) : QMdiArea(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

// Two thirds of the primary screen (a third of that for each widget the area is nested in),
// grown to the size hint of each shown sub-window.
QSize MdiArea::sizeHint() const
{
    int nesting = 0;
    for (const QWidget *w = parentWidget(); w; w = w->parentWidget())
        ++nesting;
    const int scale = 3 * (nesting + 1);
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize desktop = screen ? screen->virtualSize() : QSize();
    QSize size(desktop.width() * 2 / scale, desktop.height() * 2 / scale);
    for (const QMdiSubWindow *sub : subWindowList()) {
        if (!sub->isHidden())
            size = size.expandedTo(sub->sizeHint());
    }
    return size;
}

MdiArea::Watermark MdiArea::watermarkFor(const QSize &viewport)
{
    const int w = viewport.width();
    const int h = viewport.height();
    const double size = w / 1.5 / 9.0 * 1.76;
    Watermark mark;
    mark.pixelSize = int(size);
    mark.baseline = QPoint(w / 4, int(h / 2 + size / 2));
    return mark;
}

const QColor &MdiArea::watermarkColor()
{
    static const QColor color(167, 167, 167);
    return color;
}

void MdiArea::paintEvent(QPaintEvent *event)
{
    QMdiArea::paintEvent(event);
    const Watermark mark = watermarkFor(viewport()->size());
    if (mark.pixelSize <= 0)
        return;
    QPainter painter(viewport());
    QFont font;
    font.setPixelSize(mark.pixelSize);
    painter.setFont(font);
    painter.setPen(watermarkColor());
    painter.drawText(mark.baseline, QString::fromLatin1(MainApp::ProjectName));
}
