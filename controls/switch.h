#pragma once

#include "myswitch.h"
#include "universalcontrol.h"

namespace CustomControls
{

// The bindable picture switch (type code 8). Its picture model, angle and mirroring come from
// the label text that the form gives it, read by applyDescription:
//   "[/-3],90"               model word, angle, left-right mirror flag (comma-separated);
//   "type=[RED],mirrorX=1"   option string with the keys type, angle, mirrorX, mirrorY.
class Switch : public MySwitch, public NoCaptionControl
{
    Q_OBJECT
    Q_PROPERTY(Model model READ pictureModel WRITE setPictureModel)
    Q_PROPERTY(int currentState READ currentState WRITE setCurrentState)
    Q_PROPERTY(double angle READ angle WRITE setAngle)
    Q_PROPERTY(bool mirroredX READ mirroredX WRITE setMirroredX)
    Q_PROPERTY(bool mirroredY READ mirroredY WRITE setMirroredY)
public:
    explicit Switch(QWidget *parent = nullptr);

    // The form's label text reaches the label; the binding caption is ignored.
    using QLabel::setText;
    using QLabel::text;

    bool isWritable() const override;
    void setWritable(bool writable) override;
    void setValue(double value) override;
    double value() override;
    QString registerName(int part) override;
    bool connectChanged(const char *slot, QObject *receiver) override;
    bool disconnectChanged() override;
    void setToolTip(const QString &tip) override;
    QString toolTip() const override;
    void applyDescription() override;

    Model pictureModel() const
    {
        return model() >= OnOff && model() <= NoModel ? Model(model()) : NoModel;
    }
    void setPictureModel(Model model) { setModel(model); }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

} // namespace CustomControls
