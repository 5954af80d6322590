#pragma once

#include "universalcontrol.h"

#include <QPushButton>

namespace CustomControls
{

// A push button bound to a command (type code 2): its click makes the applet run the command
// registerName(1) with the argument registerName(0). The caption of the form stays: the
// binding's setText is ignored. Writability is the checkable state.
class PushButton : public QPushButton, public NoCaptionControl
{
    Q_OBJECT
public:
    explicit PushButton(QWidget *parent = nullptr);

    using QPushButton::setText;
    using QPushButton::text;

    bool isWritable() const override { return isCheckable(); }
    void setWritable(bool writable) override { setCheckable(writable); }
    void setValue(double) override {}
    double value() override { return 0.0; }
    QString registerName(int part) override { return resolveCommandName(this, part); }
    bool connectChanged(const char *slot, QObject *receiver) override;
    bool disconnectChanged() override;
    void setToolTip(const QString &tip) override { QPushButton::setToolTip(tip); }
    QString toolTip() const override { return QPushButton::toolTip(); }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

} // namespace CustomControls
