#pragma once

#include "universalcontrol.h"

#include <QSlider>

#include <optional>

namespace CustomControls
{

// A slider bound to an integer (type code 11); it reports only handle drags: each move of the
// handle, or, without tracking, the handle's release, when the value is taken.
class Slider : public QSlider, public NoCaptionControl
{
    Q_OBJECT
public:
    explicit Slider(QWidget *parent = nullptr);
    explicit Slider(Qt::Orientation orientation, QWidget *parent = nullptr);

    using QSlider::setRange; // the binding's setRange does nothing

    bool isWritable() const override { return true; }
    void setWritable(bool) override {}
    // Moves the slider only when the truncated value differs from the one set last time.
    void setValue(double value) override;
    // The handle's position: without tracking, a drag reports it before the value follows.
    double value() override { return QSlider::sliderPosition(); }
    QString registerName(int part) override { return resolveBindingName(this, part); }
    bool connectChanged(const char *slot, QObject *receiver) override;
    bool disconnectChanged() override;
    void setToolTip(const QString &tip) override { QSlider::setToolTip(tip); }
    QString toolTip() const override { return QSlider::toolTip(); }

signals:
    // The user's drag: the handle moved (with tracking) or let go (without).
    void signal_dragged();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // The value last set through setValue; none before the first, which always moves the
    // widget to the model's value, whatever the form started it at.
    std::optional<int> m_lastValue;
};

} // namespace CustomControls
