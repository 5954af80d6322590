#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a window goes: a top-level window on its screen, so that its title bar, menus and status
// bar lie within the screen's available area; any window within an area it must not cross (a
// tool window within the visible part of the tool-window area, a window over its owner).
class WindowPlacement
{
public:
    // The frame size to use: the preferred one, cut down to the available area where it does
    // not fit.
    static QSize frameSize(const QRect &available, const QSize &preferred);
    // The frame's top-left corner: centred in the available area, or at the area's left or top
    // edge in a direction where the frame does not fit.
    static QPoint frameTopLeft(const QRect &available, const QSize &frame);
    // A window's place within an area: cut to the area's size (no smaller than minimum) and
    // moved in from an edge it crosses; a window that fits stays where it is.
    static QRect within(const QRect &area, const QRect &window, const QSize &minimum);
};
