// Draws the pictures of the board page in resources/board/images: the logo placeholder, the
// check mark of checked check boxes and the seven icons of the animation page.
// Not part of the build: the PNG files are committed. To redraw them:
//   g++ -std=c++17 -fPIC drawboard.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/drawboard
//   QT_QPA_PLATFORM=offscreen /tmp/drawboard <resources folder>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <functional>

namespace
{

constexpr int IconSize = 32;
const QColor inkColour(48, 48, 48);
const QColor paperColour(250, 250, 244);
const QColor playColour(32, 150, 48);
const QColor removeColour(200, 40, 40);
const QColor brandColour(218, 127, 60);
const QColor greyColour(110, 110, 110);

QString g_root;

void save(const QString &name, QSize size, const std::function<void(QPainter &)> &draw)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    const QString file = g_root + "/board/images/" + name + ".png";
    if (!image.save(file, "PNG"))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
}

void icon(const QString &name, const std::function<void(QPainter &)> &draw)
{
    save("animation/" + name, QSize(IconSize, IconSize), draw);
}

QPen ink(double width, const QColor &colour = inkColour)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A neutral placeholder mark: a lamp with rays beside three bars of rising height.
void logo(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(245, 245, 245));
    p.drawRoundedRect(QRectF(2, 2, 246, 85), 12, 12);
    p.setBrush(brandColour);
    p.drawEllipse(QPointF(46, 44), 20, 20);
    p.setPen(ink(4, brandColour));
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(46, 44);
        p.rotate(45.0 * i);
        p.drawLine(QPointF(27, 0), QPointF(36, 0));
        p.restore();
    }
    p.setPen(Qt::NoPen);
    p.setBrush(greyColour);
    for (int i = 0; i < 3; ++i) {
        const double height = 24 + 14 * i;
        p.drawRoundedRect(QRectF(100 + 44 * i, 72 - height, 30, height), 4, 4);
    }
}

// A tick drawn for a 13 x 13 indicator.
void checkMark(QPainter &p)
{
    p.setPen(ink(2.2, QColor(32, 32, 32)));
    p.drawPolyline(QPolygonF({QPointF(2.5, 6.5), QPointF(5.5, 9.5), QPointF(10.5, 3)}));
}

// A sheet of paper with a folded corner.
void sheet(QPainter &p)
{
    const QPolygonF outline(
        {QPointF(6, 3), QPointF(19, 3), QPointF(25, 9), QPointF(25, 29), QPointF(6, 29)});
    p.setPen(ink(1.5));
    p.setBrush(paperColour);
    p.drawPolygon(outline);
    p.drawPolyline(QPolygonF({QPointF(19, 3), QPointF(19, 9), QPointF(25, 9)}));
}

// A plus sign centred on (x, y).
void plus(QPainter &p, double x, double y, const QColor &colour)
{
    p.setPen(ink(3, colour));
    p.drawLine(QPointF(x - 5, y), QPointF(x + 5, y));
    p.drawLine(QPointF(x, y - 5), QPointF(x, y + 5));
}

void playTriangle(QPainter &p, double left, double width)
{
    p.setPen(ink(1.5, playColour.darker(130)));
    p.setBrush(playColour);
    p.drawPolygon(QPolygonF({QPointF(left, 6), QPointF(left + width, 16), QPointF(left, 26)}));
}

// A table of three rows.
void rows(QPainter &p)
{
    p.setPen(ink(1.5));
    p.setBrush(paperColour);
    p.drawRect(QRectF(3, 4, 20, 18));
    p.drawLine(QPointF(3, 10), QPointF(23, 10));
    p.drawLine(QPointF(3, 16), QPointF(23, 16));
}

void drawAll()
{
    save("velmora_logo", QSize(250, 89), logo);
    save("checkbox_checked", QSize(13, 13), checkMark);
    icon("add_file", [](QPainter &p) {
        sheet(p);
        plus(p, 15.5, 18, playColour);
    });
    icon("play", [](QPainter &p) { playTriangle(p, 8, 18); });
    icon("save", [](QPainter &p) {
        p.setPen(ink(1.5));
        p.setBrush(QColor(60, 90, 160));
        p.drawRoundedRect(QRectF(4, 4, 24, 24), 3, 3);
        p.setBrush(paperColour);
        p.drawRect(QRectF(9, 4, 14, 9));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(8, 18, 16, 10));
    });
    icon("delete_row", [](QPainter &p) {
        rows(p);
        p.setPen(ink(3, removeColour));
        p.drawLine(QPointF(19, 20), QPointF(29, 30));
        p.drawLine(QPointF(29, 20), QPointF(19, 30));
    });
    icon("add_row", [](QPainter &p) {
        rows(p);
        plus(p, 24, 25, playColour);
    });
    icon("pause", [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(inkColour);
        p.drawRoundedRect(QRectF(8, 6, 6, 20), 1.5, 1.5);
        p.drawRoundedRect(QRectF(18, 6, 6, 20), 1.5, 1.5);
    });
    icon("next", [](QPainter &p) {
        playTriangle(p, 6, 14);
        p.setPen(Qt::NoPen);
        p.setBrush(inkColour);
        p.drawRect(QRectF(22, 6, 4, 20));
    });
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    g_root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(g_root + "/board/images/animation");
    drawAll();
    return 0;
}
