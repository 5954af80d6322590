#include "pxn.h"

#include "ui_pxn.h"

Pxn::Pxn(QWidget *parent) : Applet(parent), ui(new Ui::Pxn)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Pxn frame control"));
}

Pxn::~Pxn()
{
    delete ui;
}

QVariant Pxn::run(const QString &command, const QVariant &args)
{
    Q_UNUSED(command);
    Q_UNUSED(args);
    return QVariant();
}
