// Draws the switch and lamp pictures of resources/switches and resources/leds.
// Not part of the build: the PNG files are committed. To redraw them:
//   g++ -std=c++17 -fPIC drawpictures.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/drawpictures
//   QT_QPA_PLATFORM=offscreen /tmp/drawpictures <resources folder>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>
#include <functional>

namespace
{

const QColor wireColour(64, 64, 64);
const QColor leverColour(32, 150, 48);
const QColor openLeverColour(110, 110, 110);

QString g_root;

void save(const QString &path, int width, int height, const std::function<void(QPainter &)> &draw)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    const QString file = g_root + "/" + path + ".png";
    if (!image.save(file, "PNG"))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
}

void wire(QPainter &p, QPointF a, QPointF b)
{
    p.setPen(QPen(wireColour, 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(a, b);
}

void contact(QPainter &p, QPointF c)
{
    p.setPen(QPen(wireColour, 1.5));
    p.setBrush(Qt::white);
    p.drawEllipse(c, 2.5, 2.5);
}

void lever(QPainter &p, QPointF pivot, QPointF tip, const QColor &colour = leverColour)
{
    p.setPen(QPen(colour, 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(pivot, tip);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(pivot, 3.0, 3.0);
}

// On/off switch, 32x24: closed lever for "on", raised lever for "off".
void drawOnOff()
{
    const QPointF left(7, 16), right(25, 16);
    auto frame = [&](QPainter &p) {
        wire(p, QPointF(0, 16), left);
        wire(p, right, QPointF(32, 16));
        contact(p, right);
    };
    save("switches/img_sw_on", 32, 24, [&](QPainter &p) {
        frame(p);
        lever(p, left, QPointF(25, 14.5));
    });
    save("switches/img_sw_off", 32, 24, [&](QPainter &p) {
        frame(p);
        lever(p, left, QPointF(22, 4), openLeverColour);
    });
}

// Selector with the common pole on the left and throws on the right, one picture per throw.
void drawSelector(const QString &name, const QList<double> &throwRows)
{
    const QPointF pivot(6, 16);
    for (int state = 0; state < throwRows.size(); ++state) {
        const QString path = QString("switches/%1_on%2").arg(name).arg(state + 1);
        save(path, 32, 32, [&](QPainter &p) {
            wire(p, QPointF(0, 16), pivot);
            for (double row : throwRows) {
                wire(p, QPointF(26, row), QPointF(32, row));
                contact(p, QPointF(26, row));
            }
            lever(p, pivot, QPointF(24, throwRows.at(state)));
        });
    }
}

// Rotary selector, 50x50: common pole in the centre, lead-out to the right, four throws.
void drawRotary()
{
    const QPointF pivot(27, 25);
    const QList<QPointF> throws = {QPointF(26, 42), QPointF(9, 35), QPointF(9, 15), QPointF(26, 8)};
    const QList<QPointF> leads = {QPointF(26, 50), QPointF(0, 35), QPointF(0, 15), QPointF(26, 0)};
    for (int state = 0; state < throws.size(); ++state) {
        save(QString("switches/img_sw1_4_on%1").arg(state + 1), 50, 50, [&](QPainter &p) {
            p.setPen(QPen(QColor(190, 190, 190), 1.0, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(pivot, 13.0, 13.0);
            wire(p, pivot, QPointF(50, 25));
            for (int i = 0; i < throws.size(); ++i) {
                wire(p, throws.at(i), leads.at(i));
                contact(p, throws.at(i));
            }
            const QPointF target = throws.at(state);
            const QPointF tip = pivot + (target - pivot) * 0.82;
            lever(p, pivot, tip);
        });
    }
}

// Logic level indicator, 20x20: a high trace on green for 1, a low trace on grey for 0.
void drawSignals()
{
    auto level = [](QPainter &p, bool high) {
        p.setPen(QPen(QColor(60, 60, 60), 1.0));
        p.setBrush(high ? QColor(150, 225, 150) : QColor(205, 205, 205));
        p.drawRoundedRect(QRectF(0.5, 0.5, 19, 19), 3, 3);
        p.setPen(QPen(high ? QColor(0, 110, 0) : QColor(80, 80, 80), 2.0, Qt::SolidLine,
                      Qt::FlatCap, Qt::MiterJoin));
        QPainterPath trace;
        if (high) {
            trace.moveTo(3, 15);
            trace.lineTo(7, 15);
            trace.lineTo(7, 5);
            trace.lineTo(17, 5);
        } else {
            trace.moveTo(3, 5);
            trace.lineTo(7, 5);
            trace.lineTo(7, 15);
            trace.lineTo(17, 15);
        }
        p.setBrush(Qt::NoBrush);
        p.drawPath(trace);
    };
    save("switches/img_signal_1", 20, 20, [&](QPainter &p) { level(p, true); });
    save("switches/img_signal_0", 20, 20, [&](QPainter &p) { level(p, false); });
}

// Buffer (driver) symbol, 32x32, pointing right or left.
void drawBuffers()
{
    auto buffer = [](QPainter &p, bool right) {
        QPolygonF triangle;
        if (right)
            triangle << QPointF(8, 6) << QPointF(8, 26) << QPointF(25, 16);
        else
            triangle << QPointF(24, 6) << QPointF(24, 26) << QPointF(7, 16);
        wire(p, QPointF(0, 16), QPointF(8, 16));
        wire(p, QPointF(24, 16), QPointF(32, 16));
        p.setPen(QPen(wireColour, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(255, 236, 160));
        p.drawPolygon(triangle);
    };
    save("switches/img_buffer_right", 32, 32, [&](QPainter &p) { buffer(p, true); });
    save("switches/img_buffer_left", 32, 32, [&](QPainter &p) { buffer(p, false); });
}

// A round lamp of 20x20 with a glossy highlight; dark lamps have a flat look.
void lamp(QPainter &p, const QColor &colour, bool lit)
{
    const QPointF centre(10, 10);
    QRadialGradient body(QPointF(8, 7), 10);
    body.setColorAt(0.0, lit ? colour.lighter(170) : colour.lighter(115));
    body.setColorAt(0.6, colour);
    body.setColorAt(1.0, colour.darker(lit ? 160 : 130));
    p.setPen(QPen(QColor(70, 70, 70), 1.2));
    p.setBrush(body);
    p.drawEllipse(centre, 8.6, 8.6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, lit ? 170 : 110));
    p.drawEllipse(QPointF(7.5, 6.5), 2.8, 2.0);
}

void drawButtonsAndLeds()
{
    save("switches/img_btn_on", 20, 20, [](QPainter &p) { lamp(p, QColor(40, 200, 60), true); });
    save("switches/img_btn_on_red", 20, 20,
         [](QPainter &p) { lamp(p, QColor(225, 30, 30), true); });
    save("switches/img_btn_off", 20, 20,
         [](QPainter &p) { lamp(p, QColor(150, 150, 150), false); });
    save("leds/img_led_red", 20, 20, [](QPainter &p) { lamp(p, QColor(235, 20, 20), true); });
    save("leds/img_led_green", 20, 20, [](QPainter &p) { lamp(p, QColor(20, 200, 40), true); });
    save("leds/img_led_gray", 20, 20, [](QPainter &p) { lamp(p, QColor(140, 140, 140), false); });
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    g_root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir(g_root).mkpath("switches");
    QDir(g_root).mkpath("leds");
    drawOnOff();
    drawSelector("img_sw1_2", {26, 6});
    drawSelector("img_sw1_3", {27, 16, 5});
    drawRotary();
    drawSignals();
    drawBuffers();
    drawButtonsAndLeds();
    return 0;
}
