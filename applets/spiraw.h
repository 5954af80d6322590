#pragma once

#include "applet.h"

namespace Ui
{
class SpiRaw;
}

// The 16-bit raw SPI transfer tool.
class SpiRaw : public Applet
{
    Q_OBJECT
public:
    explicit SpiRaw(QWidget *parent = nullptr);
    ~SpiRaw() override;

    QVariant run(const QString &command, const QVariant &args) override;

private:
    Ui::SpiRaw *ui;
};
