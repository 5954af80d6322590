#pragma once

#include "applet.h"

namespace Ui
{
class AddressDiscovery;
}

// Lists the matrix chips that answer on the bus addresses 0 to 31 with their PXN mode, or says
// that none answered. Every frame goes through the configuration applet by name.
class AddressDiscovery : public Applet
{
    Q_OBJECT
public:
    explicit AddressDiscovery(QWidget *parent = nullptr);
    ~AddressDiscovery() override;

    // No named commands: false for every command.
    QVariant run(const QString &command, const QVariant &args) override;
    bool init() override;
    // A list found on another connection tells nothing of this one.
    void onConnected() override;
    void onDisconnected() override;

private slots:
    void on_pbDiscover_clicked();

private:
    // "Slave" or "Repeater-Slave" for a KVL52110 answering at address, else empty.
    static QString slaveMode(int address);
    void appendRow(int address, const QString &mode);
    void clearList();

    Ui::AddressDiscovery *ui;
};
