#pragma once

// Contrast of rendered text against what lies behind it, as the WCAG defines it: the ratio
// (L1 + 0.05) / (L2 + 0.05) of the lighter colour's relative luminance to the darker's, 1 for
// equal colours, 21 for black on white (header only).
#include <QColor>
#include <QImage>
#include <QRect>

#include <cmath>

namespace Contrast
{

inline double luminance(const QColor &color)
{
    const auto channel = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}

inline double ratio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast of a text drawn in `text` against `blank`, the same picture without the text:
// the text's colour is that of its pixel that stands out most from the blank picture (the core
// of a stroke; edges are blended), its background the blank picture's mean over the text's
// bounding box. 0 when the pictures do not differ.
inline double ofText(const QImage &text, const QImage &blank)
{
    const QImage a = text.convertToFormat(QImage::Format_RGB32);
    const QImage b = blank.convertToFormat(QImage::Format_RGB32);
    if (a.size() != b.size())
        return 0;
    QRect box;
    QColor core;
    double coreDistance = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (p == q)
                continue;
            box |= QRect(x, y, 1, 1);
            const double distance = std::abs(luminance(QColor(p)) - luminance(QColor(q)));
            if (distance > coreDistance) {
                coreDistance = distance;
                core = QColor(p);
            }
        }
    }
    if (box.isEmpty())
        return 0;
    double r = 0, g = 0, bl = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const QRgb q = b.pixel(x, y);
            r += qRed(q);
            g += qGreen(q);
            bl += qBlue(q);
        }
    }
    const double n = double(box.width()) * box.height();
    return ratio(core, QColor(int(r / n), int(g / n), int(bl / n)));
}

} // namespace Contrast
