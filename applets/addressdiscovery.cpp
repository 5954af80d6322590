#include "addressdiscovery.h"

#include "configurationcalls.h"
#include "ui_addressdiscovery.h"

namespace
{

constexpr int LastAddress = 31;
// The identification of a KVL52110 slave.
constexpr int DeviceId = 1;
constexpr int AnalogueId = 35;
constexpr int DigitalId = 1;

} // namespace

AddressDiscovery::AddressDiscovery(QWidget *parent) : Applet(parent), ui(new Ui::AddressDiscovery)
{
    ui->setupUi(this);
    ui->tableWidget->setAccessibleName(QStringLiteral("Devices found"));
    setWindowTitle(QStringLiteral("Address Discovery"));
}

AddressDiscovery::~AddressDiscovery()
{
    delete ui;
}

QVariant AddressDiscovery::run(const QString & /*command*/, const QVariant & /*args*/)
{
    return QVariant(false);
}

bool AddressDiscovery::init()
{
    return true;
}

void AddressDiscovery::onConnected()
{
    clearList();
}

void AddressDiscovery::onDisconnected()
{
    clearList();
}

void AddressDiscovery::clearList()
{
    ui->tableWidget->setRowCount(0);
    ui->lbResult->clear();
}

void AddressDiscovery::on_pbDiscover_clicked()
{
    clearList();
    for (int address = 0; address <= LastAddress; ++address) {
        const QString mode = slaveMode(address);
        if (!mode.isEmpty())
            appendRow(address, mode);
    }
    if (ui->tableWidget->rowCount() == 0)
        ui->lbResult->setText(QStringLiteral("No device answered"));
}

QString AddressDiscovery::slaveMode(int address)
{
    ConfigurationCalls::set(QStringLiteral("SACONF"), address);
    ConfigurationCalls::run(QStringLiteral("Read_slave_ident"));
    if (ConfigurationCalls::get(QStringLiteral("ID_SLAVE[DEV_ID]")) != DeviceId)
        return QString();
    const int analogueId = ConfigurationCalls::get(QStringLiteral("ID_SLAVE[ANA_ID]"));
    const int digitalId = ConfigurationCalls::get(QStringLiteral("ID_SLAVE[DIG_ID]"));
    if (analogueId != AnalogueId || digitalId != DigitalId)
        return QString();
    ConfigurationCalls::run(QStringLiteral("Read_PXN_Mode_Rq"));
    return ConfigurationCalls::get(QStringLiteral("R_PXN_MODE_RQ[PMS]")) != 0
               ? QStringLiteral("Repeater-Slave")
               : QStringLiteral("Slave");
}

void AddressDiscovery::appendRow(int address, const QString &mode)
{
    QTableWidget *table = ui->tableWidget;
    const int row = table->rowCount();
    table->insertRow(row);
    table->setItem(row, 0, new QTableWidgetItem(QString::number(address)));
    table->setItem(row, 1, new QTableWidgetItem(mode));
}
