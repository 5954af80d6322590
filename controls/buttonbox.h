#pragma once

#include "universalcontrol.h"

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QAbstractButton;
class QBoxLayout;

namespace CustomControls
{

// A group box with a row or column of exclusive buttons whose value is the index of the
// checked button (type code 7). The caption is the group box title.
class ButtonBox : public QGroupBox, public UniversalControl
{
    Q_OBJECT
public:
    enum Kind { PushButtons = 0, RadioButtons = 1 };

    explicit ButtonBox(QWidget *parent = nullptr);

    // Builds the buttons once: orientation 1 vertical, otherwise horizontal; kind 0 push
    // buttons, 1 radio buttons. An empty list builds nothing.
    void createButtons(int orientation, int kind, const QStringList &texts);
    QList<QAbstractButton *> buttons() const { return m_buttons; }

    bool isWritable() const override { return m_writable; }
    void setWritable(bool writable) override;
    void setValue(double value) override;
    double value() override;
    QString registerName(int part) override { return resolveBindingName(this, part); }
    bool connectChanged(const char *slot, QObject *receiver) override;
    bool disconnectChanged() override;
    void setToolTip(const QString &tip) override { QGroupBox::setToolTip(tip); }
    void setText(const QString &text) override { setTitle(text); }
    QString text() const override { return title(); }
    QString toolTip() const override { return QGroupBox::toolTip(); }
    // Items "key=value" separated by "@"; "readonly" (TRUE or a non-zero number) makes the
    // box read-only.
    void setOptions(const QString &options) override;

signals:
    void signal_clicked();

public slots:
    void slot_on_click();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_writable = true;
    bool m_buttonsCreated = false;
    QList<QAbstractButton *> m_buttons;
    QBoxLayout *m_layout = nullptr;
};

} // namespace CustomControls
