#pragma once

#include "applet.h"

namespace Ui
{
class AutoAddressing;
}

// Automatic addressing of the matrix chips on their serial bus.
class AutoAddressing : public Applet
{
    Q_OBJECT
public:
    explicit AutoAddressing(QWidget *parent = nullptr);
    ~AutoAddressing() override;

    QVariant run(const QString &command, const QVariant &args) override;

private:
    Ui::AutoAddressing *ui;
};
