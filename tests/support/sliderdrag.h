#pragma once

// A user's drag of a slider or dial with the mouse: pressed on its handle, moved while held,
// let go. Each step is a real mouse event through the widget's own handlers. Header only.
#include <QAbstractSlider>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QtTest>

class SliderDrag
{
public:
    // Presses the left button on the handle of slider, which must be laid out.
    explicit SliderDrag(QAbstractSlider *slider) : m_slider(slider), m_at(handleCentre(slider))
    {
        QTest::mousePress(m_slider, Qt::LeftButton, {}, m_at);
    }
    ~SliderDrag()
    {
        if (m_slider->isSliderDown())
            release();
    }
    SliderDrag(const SliderDrag &) = delete;
    SliderDrag &operator=(const SliderDrag &) = delete;

    // Moves the held pointer by pixels along the slider towards its maximum; the handle's
    // position then.
    int move(int pixels)
    {
        const bool horizontal =
            qobject_cast<QSlider *>(m_slider) && m_slider->orientation() == Qt::Horizontal;
        m_at += horizontal ? QPoint(pixels, 0) : QPoint(0, -pixels);
        QTest::mouseMove(m_slider, m_at);
        return m_slider->sliderPosition();
    }
    void release() { QTest::mouseRelease(m_slider, Qt::LeftButton, {}, m_at); }

    // The centre of a slider's handle; a dial's centre.
    static QPoint handleCentre(QAbstractSlider *slider)
    {
        auto *plain = qobject_cast<QSlider *>(slider);
        if (!plain)
            return slider->rect().center();
        QStyleOptionSlider option;
        option.initFrom(plain);
        option.orientation = plain->orientation();
        option.minimum = plain->minimum();
        option.maximum = plain->maximum();
        option.sliderPosition = plain->sliderPosition();
        option.sliderValue = plain->value();
        option.singleStep = plain->singleStep();
        option.pageStep = plain->pageStep();
        option.tickPosition = plain->tickPosition();
        option.tickInterval = plain->tickInterval();
        option.upsideDown =
            plain->orientation() == Qt::Horizontal
                ? plain->invertedAppearance() != (option.direction == Qt::RightToLeft)
                : !plain->invertedAppearance();
        if (plain->orientation() == Qt::Horizontal)
            option.state |= QStyle::State_Horizontal;
        option.subControls = QStyle::SC_All;
        return plain->style()
            ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, plain)
            .center();
    }

private:
    QAbstractSlider *m_slider;
    QPoint m_at;
};
