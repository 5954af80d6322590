#include "addressdiscovery.h"

#include "ui_addressdiscovery.h"

#include <QHeaderView>

AddressDiscovery::AddressDiscovery(QWidget *parent) : Applet(parent), ui(new Ui::AddressDiscovery)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Address Discovery"));
    ui->tableView->horizontalHeader()->setStretchLastSection(true);
}

AddressDiscovery::~AddressDiscovery()
{
    delete ui;
}

QVariant AddressDiscovery::run(const QString &command, const QVariant &args)
{
    Q_UNUSED(command);
    Q_UNUSED(args);
    return QVariant();
}
