#pragma once

class QMdiSubWindow;
class QRect;

// What a tool-window area that places its windows itself gives the window state, which restores
// a window through it (the shell's area keeps the size it cut a window from). A window of any
// other area is cut to its view and moved in from an edge it crosses (WindowPlacement::within).
class InViewPlacement
{
public:
    virtual ~InViewPlacement() = default;

    // Puts window, one of this area's, at place, within the area's view.
    virtual void placeInView(QMdiSubWindow *window, const QRect &place) = 0;
};
