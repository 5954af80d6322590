#pragma once

#include "applet.h"

namespace Ui
{
class Pxn;
}

// Raw register-bank frames of the matrix chips.
class Pxn : public Applet
{
    Q_OBJECT
public:
    explicit Pxn(QWidget *parent = nullptr);
    ~Pxn() override;

    QVariant run(const QString &command, const QVariant &args) override;

private:
    Ui::Pxn *ui;
};
