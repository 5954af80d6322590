#include "spiraw.h"

#include "ui_spiraw.h"

SpiRaw::SpiRaw(QWidget *parent) : Applet(parent), ui(new Ui::SpiRaw)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("SPI Raw"));
}

SpiRaw::~SpiRaw()
{
    delete ui;
}

QVariant SpiRaw::run(const QString &command, const QVariant &args)
{
    Q_UNUSED(command);
    Q_UNUSED(args);
    return QVariant();
}
