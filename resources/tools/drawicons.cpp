// Draws the program icon and the start-up picture of resources/icon: a small board carrying a
// grid of LEDs, some lit; the picture adds the project name below it. The icon is also drawn at
// 256 x 256 for the desktop's icon theme (installed, not compiled in).
// Not part of the build: the PNG files are committed. To redraw them:
//   g++ -std=c++17 -fPIC drawicons.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/drawicons
//   QT_QPA_PLATFORM=offscreen /tmp/drawicons <resources folder>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRadialGradient>
#include <cstdio>
#include <functional>

namespace
{

const QColor boardColour(28, 52, 82);
const QColor boardEdge(14, 28, 46);
const QColor darkLed(70, 84, 100);
const QColor nameColour(40, 40, 40);
// Lit LEDs by grid position (row-major); zero marks a dark one.
const QRgb litPattern[16] = {0xffd040, 0, 0x40e070, 0, 0, 0xff6050, 0, 0x50a0ff,
                             0x40e070, 0, 0xffd040, 0, 0, 0x50a0ff, 0, 0xff6050};

QString g_root;

void save(const QString &name, int width, int height, const std::function<void(QPainter &)> &draw)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    draw(painter);
    painter.end();
    const QString file = g_root + "/icon/" + name + ".png";
    if (!image.save(file, "PNG"))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
}

void led(QPainter &p, QPointF centre, double radius, QRgb lit)
{
    if (lit) {
        QRadialGradient glow(centre, radius * 1.8);
        glow.setColorAt(0.0, QColor::fromRgb(lit));
        glow.setColorAt(1.0, QColor(0, 0, 0, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(centre, radius * 1.8, radius * 1.8);
    }
    QRadialGradient body(centre - QPointF(radius / 3, radius / 3), radius * 1.2);
    body.setColorAt(0.0, lit ? QColor(Qt::white) : darkLed.lighter(150));
    body.setColorAt(1.0, lit ? QColor::fromRgb(lit) : darkLed);
    p.setPen(QPen(boardEdge, radius / 5));
    p.setBrush(body);
    p.drawEllipse(centre, radius, radius);
}

// The board with a 4 x 4 LED grid filling the square at (x, y) with the given side.
void board(QPainter &p, double x, double y, double side)
{
    const double corner = side / 8;
    p.setPen(QPen(boardEdge, side / 32));
    p.setBrush(boardColour);
    p.drawRoundedRect(QRectF(x, y, side, side).adjusted(1, 1, -1, -1), corner, corner);
    const double pitch = side / 4.4;
    const double first = x + (side - 3 * pitch) / 2;
    const double top = y + (side - 3 * pitch) / 2;
    for (int i = 0; i < 16; ++i)
        led(p, QPointF(first + (i % 4) * pitch, top + (i / 4) * pitch), pitch * 0.3, litPattern[i]);
}

void drawProgramIcon(QPainter &p)
{
    board(p, 0, 0, 64);
}

void drawLargeIcon(QPainter &p)
{
    board(p, 0, 0, 256);
}

void drawLogo(QPainter &p)
{
    board(p, 30, 8, 140);
    QFont font;
    font.setPixelSize(30);
    font.setBold(true);
    p.setFont(font);
    p.setPen(nameColour);
    p.drawText(QRectF(0, 152, 200, 44), Qt::AlignCenter, QStringLiteral("KVL52110"));
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    g_root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir(g_root).mkpath(QStringLiteral("icon"));
    save(QStringLiteral("program"), 64, 64, drawProgramIcon);
    save(QStringLiteral("program-256"), 256, 256, drawLargeIcon);
    save(QStringLiteral("logo"), 200, 200, drawLogo);
    return 0;
}
