#pragma once

#include "universalcontrol.h"

#include <QRadioButton>

namespace CustomControls
{

// A radio button bound to a bit (type code 12); its writability is the checkable state.
class RadioButton : public QRadioButton, public UniversalControl
{
    Q_OBJECT
public:
    explicit RadioButton(QWidget *parent = nullptr);

    bool isWritable() const override { return isCheckable(); }
    void setWritable(bool writable) override { setCheckable(writable); }
    void setValue(double value) override { setChecked(value != 0); }
    double value() override { return isChecked() ? 1.0 : 0.0; }
    QString registerName(int part) override { return resolveBindingName(this, part); }
    bool connectChanged(const char *slot, QObject *receiver) override;
    bool disconnectChanged() override;
    void setToolTip(const QString &tip) override { QRadioButton::setToolTip(tip); }
    void setText(const QString &text) override { QRadioButton::setText(text); }
    QString text() const override { return QRadioButton::text(); }
    QString toolTip() const override { return QRadioButton::toolTip(); }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

} // namespace CustomControls
