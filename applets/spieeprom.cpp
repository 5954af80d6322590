#include "spieeprom.h"

#include "ui_spieeprom.h"

SpiEEPROM::SpiEEPROM(QWidget *parent) : Applet(parent), ui(new Ui::SpiEEPROM)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("External SPI EEPROM"));
}

SpiEEPROM::~SpiEEPROM()
{
    delete ui;
}

QVariant SpiEEPROM::run(const QString &command, const QVariant &args)
{
    Q_UNUSED(command);
    Q_UNUSED(args);
    return QVariant();
}
