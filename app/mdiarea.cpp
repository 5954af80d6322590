#include "mdiarea.h"

#include "mainapp.h"
#include "windowplacement.h"

#include <QColor>
#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>

#include <algorithm>

namespace
{

// What the area keeps with each window: its own size, and the size the area gave it last.
const char *const OwnSizeProperty = "_kvl_ownSize";
const char *const PlacedSizeProperty = "_kvl_placedSize";

} // namespace

MdiArea::MdiArea(QWidget *parent) : QMdiArea(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Ctrl+F4 closes the active tool window, also where the platform's close key is another
    // (Ctrl+W, which the window's own menu serves).
    const QKeySequence closeKey(Qt::CTRL | Qt::Key_F4);
    if (!QKeySequence::keyBindings(QKeySequence::Close).contains(closeKey))
        new QShortcut(closeKey, this, this, &QMdiArea::closeActiveSubWindow,
                      Qt::WidgetWithChildrenShortcut);
}

// Two thirds of the primary screen (a third of that for each widget the area is nested in),
// grown to the size hint of each shown sub-window.
QSize MdiArea::sizeHint() const
{
    int nesting = 0;
    for (const QWidget *w = parentWidget(); w; w = w->parentWidget())
        ++nesting;
    const int scale = 3 * (nesting + 1);
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize desktop = screen ? screen->virtualSize() : QSize();
    QSize size(desktop.width() * 2 / scale, desktop.height() * 2 / scale);
    for (const QMdiSubWindow *sub : subWindowList()) {
        if (!sub->isHidden())
            size = size.expandedTo(sub->sizeHint());
    }
    return size;
}

MdiArea::Watermark MdiArea::watermarkFor(const QSize &viewport)
{
    const int w = viewport.width();
    const int h = viewport.height();
    const double size = w / 1.5 / 9.0 * 1.76;
    Watermark mark;
    mark.pixelSize = int(size);
    mark.baseline = QPoint(w / 4, int(h / 2 + size / 2));
    return mark;
}

const QColor &MdiArea::watermarkColor()
{
    static const QColor color(167, 167, 167);
    return color;
}

// The area's own resize (the main window resized, the log docked or taken away), not its view's,
// which scroll bars showing or hiding change too: a window moved partly out of the view by a
// person stays there until then. Twice: scroll bars that a window still out of the view gave
// the area are gone once every window is within it.
bool MdiArea::event(QEvent *event)
{
    const bool handled = QMdiArea::event(event);
    if (event->type() == QEvent::Resize) {
        for (int round = 0; round < 2; ++round)
            for (QMdiSubWindow *window : subWindowList())
                if (window->isVisible())
                    keepInView(window);
    }
    return handled;
}

// QMdiArea looks after its sub-windows through this filter.
bool MdiArea::eventFilter(QObject *object, QEvent *event)
{
    const bool handled = QMdiArea::eventFilter(object, event);
    auto *window = qobject_cast<QMdiSubWindow *>(object);
    if (window && window->mdiArea() == this) {
        if (event->type() == QEvent::Show)
            keepInView(window);
        else if (event->type() == QEvent::Hide)
            updateScrollRange();
    }
    return handled;
}

// Only while the area is on screen: a hidden one has no size to go by.
void MdiArea::keepInView(QMdiSubWindow *window)
{
    if (!isVisible() || window->isMaximized() || window->isMinimized())
        return;
    placeInView(window, QRect(window->pos(), ownSize(window)));
}

QSize MdiArea::ownSize(const QMdiSubWindow *window)
{
    const QSize own = window->property(OwnSizeProperty).toSize();
    const bool cutByUs = window->size() == window->property(PlacedSizeProperty).toSize();
    return own.isValid() && cutByUs ? own : window->size();
}

// Twice: the scroll bars that the other windows need in a smaller view (the main window just
// made narrower) show once this one is within it, and make the view smaller still.
void MdiArea::placeInView(QMdiSubWindow *window, const QRect &place)
{
    window->setProperty(OwnSizeProperty, place.size());
    QRect placed = place;
    for (int pass = 0; pass < 2; ++pass) {
        const QRect view = viewport()->rect();
        fitFixedSize(window, view.size());
        placed = WindowPlacement::within(view, placed, window->minimumSize());
        if (placed != window->geometry())
            window->setGeometry(placed);
        if (pass == 0)
            showScrollBarsNeeded();
    }
    window->setProperty(PlacedSizeProperty, window->size());
}

// The fixed size a window had when first placed is kept with it: the size it is fixed at here
// may be cut to a smaller view.
void MdiArea::fitFixedSize(QMdiSubWindow *window, const QSize &view)
{
    static const char *const FixedSizeProperty = "_kvl_fixedSize";
    if (!window->property(FixedSizeProperty).isValid()) {
        const QSize low = window->minimumSize();
        const QSize high = window->maximumSize();
        window->setProperty(FixedSizeProperty,
                            QSize(low.width() == high.width() ? low.width() : -1,
                                  low.height() == high.height() ? low.height() : -1));
    }
    const QSize fixed = window->property(FixedSizeProperty).toSize();
    if (fixed.width() >= 0)
        window->setFixedWidth(std::min(fixed.width(), view.width()));
    if (fixed.height() >= 0)
        window->setFixedHeight(std::min(fixed.height(), view.height()));
}

// QMdiArea sets its scroll range when a sub-window moves or resizes, not when one is hidden:
// it does so on a resize of its view, which is passed to it unchanged.
void MdiArea::updateScrollRange()
{
    QResizeEvent same(viewport()->size(), viewport()->size());
    QMdiArea::resizeEvent(&same);
}

// The scroll bars show or hide in a call queued when their range changes.
void MdiArea::showScrollBarsNeeded()
{
    updateScrollRange();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void MdiArea::paintEvent(QPaintEvent *event)
{
    QMdiArea::paintEvent(event);
    const Watermark mark = watermarkFor(viewport()->size());
    if (mark.pixelSize <= 0)
        return;
    QPainter painter(viewport());
    QFont font;
    font.setPixelSize(mark.pixelSize);
    painter.setFont(font);
    painter.setPen(watermarkColor());
    painter.drawText(mark.baseline, QString::fromLatin1(MainApp::ProjectName));
}
