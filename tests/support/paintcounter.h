#pragma once

#include <QEvent>
#include <QObject>
#include <QSize>

// Counts the paint events, and the layout requests, of the widgets it is installed on as an
// event filter.
struct PaintCounter : QObject {
    int paints = 0;
    int layouts = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        else if (event->type() == QEvent::LayoutRequest)
            ++layouts;
        return false;
    }
};

// A widget of class Base that counts how often its minimum size is measured.
template <class Base>
struct MeasureCounter : Base {
    using Base::Base;
    QSize minimumSizeHint() const override
    {
        ++measures;
        return Base::minimumSizeHint();
    }
    mutable int measures = 0;
};
