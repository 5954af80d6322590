#pragma once

#include "inviewplacement.h"

#include <QMdiArea>
#include <QPoint>
#include <QSize>

// The tool-window area: a QMdiArea that paints the project name as a grey watermark behind
// the tool windows. A tool window opens within the visible part of the area (cut to it where
// it is larger, also one of a fixed size: its applet scrolls inside), and stays within it when
// the area is made smaller; a window cut so grows back to its own size where the view has room
// again (the area made larger, the window shown again). The scroll bars follow the shown
// windows only.
// Ctrl+F4 closes the active window.
class MdiArea : public QMdiArea, public InViewPlacement
{
    Q_OBJECT
public:
    // Where the watermark goes in a viewport of a given size.
    struct Watermark {
        int pixelSize = 0; // font pixel size
        QPoint baseline;   // start of the text's base line
    };
    static Watermark watermarkFor(const QSize &viewport);
    static const QColor &watermarkColor();

    explicit MdiArea(QWidget *parent = nullptr);

    // QMdiArea's size hint from the shown tool windows only: measuring a hidden one measures
    // its whole form.
    QSize sizeHint() const override;

    // Puts a window of this area at place, within the view: cut to the view's size where it is
    // larger (a window of a fixed width or height too, whose fixed size comes back where the
    // view has room for it) and moved in from an edge it crosses. The place's size is the
    // window's own from then on.
    void placeInView(QMdiSubWindow *window, const QRect &place) override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    void keepInView(QMdiSubWindow *window);
    // The size window had before the area cut it, unless something else resized it since.
    static QSize ownSize(const QMdiSubWindow *window);
    // A fixed width or height of window, no larger than the view.
    static void fitFixedSize(QMdiSubWindow *window, const QSize &view);
    void updateScrollRange();
    // The scroll bars the shown windows need, shown now, not at the next event loop.
    void showScrollBarsNeeded();
};
