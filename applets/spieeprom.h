#pragma once

#include "applet.h"

namespace Ui
{
class SpiEEPROM;
}

// The external SPI EEPROM tool.
class SpiEEPROM : public Applet
{
    Q_OBJECT
public:
    explicit SpiEEPROM(QWidget *parent = nullptr);
    ~SpiEEPROM() override;

    QVariant run(const QString &command, const QVariant &args) override;

private:
    Ui::SpiEEPROM *ui;
};
