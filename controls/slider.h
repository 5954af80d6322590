#pragma once

#include "universalcontrol.h"

#include <QSlider>

namespace CustomControls
{

// A slider bound to an integer (type code 11); it reports only handle drags.
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
    double value() override { return QSlider::value(); }
    QString registerName(int part) override { return resolveBindingName(this, part); }
    bool connectChanged(const char *slot, QObject *receiver) override;
    bool disconnectChanged() override;
    void setToolTip(const QString &tip) override { QSlider::setToolTip(tip); }
    QString toolTip() const override { return QSlider::toolTip(); }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int m_lastValue = 0;
};

} // namespace CustomControls
