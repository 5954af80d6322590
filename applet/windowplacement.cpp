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

QRect WindowPlacement::within(const QRect &area, const QRect &window, const QSize &minimum)
{
    const QSize size = window.size().boundedTo(area.size()).expandedTo(minimum);
    const int x = std::max(area.left(), std::min(window.x(), area.right() + 1 - size.width()));
    const int y = std::max(area.top(), std::min(window.y(), area.bottom() + 1 - size.height()));
    return QRect(QPoint(x, y), size);
}
