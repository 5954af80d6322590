#pragma once

#include "universalcontrol.h"

#include <QDial>

#include <optional>

namespace CustomControls
{

// A dial bound to an integer (type code 10); its range comes from the bound variable.
class Dial : public QDial, public NoCaptionControl
{
    Q_OBJECT
public:
    explicit Dial(QWidget *parent = nullptr);

    bool isWritable() const override { return true; }
    void setWritable(bool) override {}
    // Moves the dial only when the truncated value differs from the one set last time.
    void setValue(double value) override;
    double value() override { return QDial::value(); }
    QString registerName(int part) override { return resolveBindingName(this, part); }
    bool connectChanged(const char *slot, QObject *receiver) override;
    bool disconnectChanged() override;
    void setToolTip(const QString &tip) override { QDial::setToolTip(tip); }
    QString toolTip() const override { return QDial::toolTip(); }
    // Minimum at least 0; a maximum outside 1..60000 becomes 60000.
    void setRange(double min, double max) override;

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
