#pragma once

#include "universalcontrol.h"

#include <QSpinBox>

namespace CustomControls
{

// A spin box bound to an integer (type code 3), 0 to 65535 unless changed; it reports a
// change when editing finishes (Return or leaving the field).
class SpinBox : public QSpinBox, public NoCaptionControl
{
    Q_OBJECT
public:
    explicit SpinBox(QWidget *parent = nullptr);

    using QSpinBox::setRange; // the binding's setRange does nothing

    bool isWritable() const override { return !isReadOnly(); }
    void setWritable(bool writable) override { setReadOnly(!writable); }
    void setValue(double value) override { QSpinBox::setValue(truncateToInt(value)); }
    double value() override { return QSpinBox::value(); }
    QString registerName(int part) override { return resolveBindingName(this, part); }
    bool connectChanged(const char *slot, QObject *receiver) override;
    bool disconnectChanged() override;
    void setToolTip(const QString &tip) override { QSpinBox::setToolTip(tip); }
    QString toolTip() const override { return QSpinBox::toolTip(); }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

} // namespace CustomControls
