#pragma once

#include "applet.h"

namespace Ui
{
class SpiRaw4B;
}

// The 32-bit raw SPI transfer tool.
class SpiRaw4B : public Applet
{
    Q_OBJECT
public:
    explicit SpiRaw4B(QWidget *parent = nullptr);
    ~SpiRaw4B() override;

    QVariant run(const QString &command, const QVariant &args) override;

private:
    Ui::SpiRaw4B *ui;
};
