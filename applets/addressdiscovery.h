#pragma once

#include "applet.h"

namespace Ui
{
class AddressDiscovery;
}

// Address discovery of the matrix chips on their serial bus.
class AddressDiscovery : public Applet
{
    Q_OBJECT
public:
    explicit AddressDiscovery(QWidget *parent = nullptr);
    ~AddressDiscovery() override;

    QVariant run(const QString &command, const QVariant &args) override;

private:
    Ui::AddressDiscovery *ui;
};
