#pragma once

#include "universalcontrol.h"

#include <QProgressBar>

namespace CustomControls
{

// A read-only bar showing an integer (type code 3); it has no change signal.
class ProgressBar : public QProgressBar, public NoCaptionControl
{
    Q_OBJECT
public:
    explicit ProgressBar(QWidget *parent = nullptr);

    using QProgressBar::text;

    bool isWritable() const override { return false; }
    void setWritable(bool) override {}
    void setValue(double value) override { QProgressBar::setValue(truncateToInt(value)); }
    double value() override { return QProgressBar::value(); }
    QString registerName(int part) override { return resolveBindingName(this, part); }
    // Marks the bar bound; connects nothing and returns false.
    bool connectChanged(const char *slot, QObject *receiver) override;
    bool disconnectChanged() override { return false; }
    void setToolTip(const QString &tip) override { QProgressBar::setToolTip(tip); }
    QString toolTip() const override { return QProgressBar::toolTip(); }
    // Minimum at least 0; a maximum outside 1..60000 becomes 60000.
    void setRange(double min, double max) override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

} // namespace CustomControls
