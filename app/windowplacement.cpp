#include "windowplacement.h"

#include <algorithm>

QSize WindowPlacement::frameSize(const QRect &available, const QSize &preferred)
{
    return preferred.boundedTo(available.size());
}

QPoint WindowPlacement::frameTopLeft(const QRect &available, const QSize &frame)
{
    const int dx = std::max(0, (available.width() - frame.width()) / 2);
    const int dy = std::max(0, (available.height() - frame.height()) / 2);
    return available.topLeft() + QPoint(dx, dy);
}
