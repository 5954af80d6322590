// Draws the button icons of resources/buttons (horn, log, refresh, word, export, import).
// Not part of the build: the PNG files are committed. To redraw them:
//   g++ -std=c++17 -fPIC drawbuttons.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/drawbuttons
//   QT_QPA_PLATFORM=offscreen /tmp/drawbuttons <resources folder>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <functional>

namespace
{

constexpr int Size = 32;
const QColor inkColour(48, 48, 48);
const QColor paperColour(250, 250, 244);
const QColor accentColour(30, 110, 200);
const QColor arrowColour(32, 150, 48);

QString g_root;

void save(const QString &name, const std::function<void(QPainter &)> &draw)
{
    QImage image(Size, Size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    const QString file = g_root + "/buttons/" + name + ".png";
    if (!image.save(file, "PNG"))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
}

QPen ink(double width, const QColor &colour = inkColour)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet of paper with a folded corner.
void sheet(QPainter &p)
{
    QPainterPath path;
    path.moveTo(7, 3);
    path.lineTo(20, 3);
    path.lineTo(26, 9);
    path.lineTo(26, 29);
    path.lineTo(7, 29);
    path.closeSubpath();
    p.setPen(ink(1.5));
    p.setBrush(paperColour);
    p.drawPath(path);
    p.drawPolyline(QPolygonF({QPointF(20, 3), QPointF(20, 9), QPointF(26, 9)}));
}

// A filled arrow from a to b (vertical).
void verticalArrow(QPainter &p, double x, double from, double to)
{
    const double dir = to > from ? 1.0 : -1.0;
    p.setPen(ink(3.0, arrowColour));
    p.drawLine(QPointF(x, from), QPointF(x, to - dir * 5));
    p.setPen(Qt::NoPen);
    p.setBrush(arrowColour);
    p.drawPolygon(
        QPolygonF({QPointF(x - 6, to - dir * 7), QPointF(x + 6, to - dir * 7), QPointF(x, to)}));
}

// An open tray that things go into or come out of.
void tray(QPainter &p)
{
    p.setPen(ink(2.5));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(4, 19), QPointF(4, 28), QPointF(28, 28), QPointF(28, 19)}));
}

void drawHorn(QPainter &p)
{
    // Speaker: a small box and its cone, then two sound waves.
    p.setPen(ink(1.5));
    p.setBrush(inkColour);
    p.drawRect(QRectF(4, 12, 6, 8));
    p.drawPolygon(QPolygonF({QPointF(10, 12), QPointF(17, 5), QPointF(17, 27), QPointF(10, 20)}));
    p.setBrush(Qt::NoBrush);
    p.setPen(ink(2.0, accentColour));
    p.drawArc(QRectF(13, 10, 10, 12), -50 * 16, 100 * 16);
    p.drawArc(QRectF(12, 5, 17, 22), -50 * 16, 100 * 16);
}

void drawLog(QPainter &p)
{
    sheet(p);
    p.setPen(ink(1.5, accentColour));
    for (int y = 12; y <= 25; y += 4)
        p.drawLine(QPointF(10, y), QPointF(23, y));
}

void drawRefresh(QPainter &p)
{
    // Most of a circle, with an arrow head at its open end.
    p.setPen(ink(3.0, arrowColour));
    p.setBrush(Qt::NoBrush);
    const QRectF circle(6, 6, 20, 20);
    p.drawArc(circle, 60 * 16, 280 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(arrowColour);
    p.drawPolygon(QPolygonF({QPointF(16, 1), QPointF(24, 7), QPointF(15, 12)}));
}

void drawWord(QPainter &p)
{
    sheet(p);
    // A large "W" on the sheet: the datasheet document.
    p.setPen(ink(2.2, accentColour));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(9.5, 12), QPointF(12.5, 25), QPointF(16.5, 15),
                              QPointF(20.5, 25), QPointF(23.5, 12)}));
}

void drawExport(QPainter &p)
{
    tray(p);
    verticalArrow(p, 16, 24, 3);
}

void drawImport(QPainter &p)
{
    tray(p);
    verticalArrow(p, 16, 3, 24);
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    g_root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir(g_root).mkpath(QStringLiteral("buttons"));
    save(QStringLiteral("horn"), drawHorn);
    save(QStringLiteral("log"), drawLog);
    save(QStringLiteral("refresh"), drawRefresh);
    save(QStringLiteral("word"), drawWord);
    save(QStringLiteral("export"), drawExport);
    save(QStringLiteral("import"), drawImport);
    return 0;
}
