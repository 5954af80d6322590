#include "autoaddressing.h"

#include "ui_autoaddressing.h"

AutoAddressing::AutoAddressing(QWidget *parent) : Applet(parent), ui(new Ui::AutoAddressing)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Auto addressing"));
}

AutoAddressing::~AutoAddressing()
{
    delete ui;
}

QVariant AutoAddressing::run(const QString &command, const QVariant &args)
{
    Q_UNUSED(command);
    Q_UNUSED(args);
    return QVariant();
}
