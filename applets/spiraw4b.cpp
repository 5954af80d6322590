#include "spiraw4b.h"

#include "ui_spiraw4b.h"

SpiRaw4B::SpiRaw4B(QWidget *parent) : Applet(parent), ui(new Ui::SpiRaw4B)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("SPI Raw 4B"));
}

SpiRaw4B::~SpiRaw4B()
{
    delete ui;
}

QVariant SpiRaw4B::run(const QString &command, const QVariant &args)
{
    Q_UNUSED(command);
    Q_UNUSED(args);
    return QVariant();
}
