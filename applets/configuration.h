#pragma once

#include "applet.h"

namespace Ui
{
class Configuration;
}

// Configuration command frames of the matrix chips.
class Configuration : public Applet
{
    Q_OBJECT
public:
    explicit Configuration(QWidget *parent = nullptr);
    ~Configuration() override;

    QVariant run(const QString &command, const QVariant &args) override;
    bool init() override;

private:
    Ui::Configuration *ui;
    bool m_to1 = false; // the project type is a TO1/TO2 one
};
