#pragma once

#include "universalcontrol.h"

#include <QCheckBox>

namespace CustomControls
{

// A check box bound to a bit or a one-bit field (type code 1). A click on a box that is not
// writable does not toggle it; the Ctrl+drag still starts.
class CheckBox : public QCheckBox, public UniversalControl
{
    Q_OBJECT
public:
    explicit CheckBox(QWidget *parent = nullptr);

    bool isWritable() const override { return m_writable; }
    void setWritable(bool writable) override { m_writable = writable; }
    void setValue(double value) override { setChecked(value != 0); }
    double value() override { return isChecked() ? 1.0 : 0.0; }
    QString registerName(int part) override { return resolveBindingName(this, part); }
    bool connectChanged(const char *slot, QObject *receiver) override;
    bool disconnectChanged() override;
    void setToolTip(const QString &tip) override { QCheckBox::setToolTip(tip); }
    void setText(const QString &text) override { QCheckBox::setText(text); }
    QString text() const override { return QCheckBox::text(); }
    QString toolTip() const override { return QCheckBox::toolTip(); }

signals:
    void doubleClick();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_writable = true;
};

} // namespace CustomControls
