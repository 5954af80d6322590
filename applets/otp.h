#pragma once

#include "applet.h"

namespace Ui
{
class Otp;
}

// OTP programming of the matrix chips.
class Otp : public Applet
{
    Q_OBJECT
public:
    explicit Otp(QWidget *parent = nullptr);
    ~Otp() override;

    QVariant run(const QString &command, const QVariant &args) override;
    bool init() override;

private:
    Ui::Otp *ui;
    QString m_projectType; // read at init: "TO3/TO4" or "TO1/TO2"
};
