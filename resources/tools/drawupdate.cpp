// Draws the picture of the firmware-update window, resources/bootloader/velmcu.png: a
// controller chip on a green board with a download arrow pointing into it.
// Not part of the build: the PNG file is committed. To redraw it:
//   g++ -std=c++17 -fPIC drawupdate.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/drawupdate
//   QT_QPA_PLATFORM=offscreen /tmp/drawupdate <resources folder>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace
{

constexpr int Side = 96;
const QColor boardColour(38, 110, 62);
const QColor boardEdge(20, 62, 34);
const QColor chipColour(36, 36, 40);
const QColor pinColour(196, 196, 204);
const QColor arrowColour(250, 190, 40);
const QColor arrowEdge(150, 100, 10);

void drawBoard(QPainter &p)
{
    p.setPen(QPen(boardEdge, 2));
    p.setBrush(boardColour);
    p.drawRoundedRect(QRectF(2, 14, Side - 4, Side - 16), 8, 8);
    // Mounting holes in the corners.
    p.setPen(Qt::NoPen);
    p.setBrush(boardEdge);
    for (const QPointF &hole :
         {QPointF(9, 21), QPointF(Side - 9, 21), QPointF(9, Side - 9), QPointF(Side - 9, Side - 9)})
        p.drawEllipse(hole, 3, 3);
}

// The chip: a square package with eight pins on every side and its pin-1 mark.
void drawChip(QPainter &p)
{
    const QRectF body(26, 34, 44, 44);
    p.setPen(Qt::NoPen);
    p.setBrush(pinColour);
    for (int i = 0; i < 8; ++i) {
        const double at = body.left() + 4 + i * 5.1;
        p.drawRect(QRectF(at, body.top() - 6, 2.4, 6));
        p.drawRect(QRectF(at, body.bottom(), 2.4, 6));
        const double down = body.top() + 4 + i * 5.1;
        p.drawRect(QRectF(body.left() - 6, down, 6, 2.4));
        p.drawRect(QRectF(body.right(), down, 6, 2.4));
    }
    QLinearGradient shade(body.topLeft(), body.bottomRight());
    shade.setColorAt(0, chipColour.lighter(160));
    shade.setColorAt(1, chipColour);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(shade);
    p.drawRoundedRect(body, 3, 3);
    p.setBrush(pinColour.darker(140));
    p.setPen(Qt::NoPen);
    p.drawEllipse(body.topLeft() + QPointF(6, 6), 2.5, 2.5);
    QFont font;
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(pinColour);
    p.drawText(body, Qt::AlignCenter, QStringLiteral("MCU"));
}

// A broad arrow from the top edge down into the chip: the new firmware going in.
void drawArrow(QPainter &p)
{
    QPainterPath arrow;
    const double x = Side / 2.0;
    arrow.moveTo(x - 8, 1);
    arrow.lineTo(x + 8, 1);
    arrow.lineTo(x + 8, 22);
    arrow.lineTo(x + 17, 22);
    arrow.lineTo(x, 42);
    arrow.lineTo(x - 17, 22);
    arrow.lineTo(x - 8, 22);
    arrow.closeSubpath();
    p.setPen(QPen(arrowEdge, 1.5));
    p.setBrush(arrowColour);
    p.drawPath(arrow);
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir(root).mkpath(QStringLiteral("bootloader"));
    QImage image(Side, Side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawBoard(painter);
    drawChip(painter);
    drawArrow(painter);
    painter.end();
    const QString file = root + QStringLiteral("/bootloader/velmcu.png");
    if (!image.save(file, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    return 0;
}
