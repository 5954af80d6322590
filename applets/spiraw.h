#pragma once

#include "applet.h"

namespace Ui
{
class SpiRaw;
}

// The 16-bit raw SPI transfer tool: sends the word of SpiIn on chip select 0 of the
// controller's SPI0 port and keeps the word clocked back in SpiOut. The board page's KVL52205
// register access goes through transfer().
class SpiRaw : public Applet
{
    Q_OBJECT
public:
    explicit SpiRaw(QWidget *parent = nullptr);
    ~SpiRaw() override;

    QVariant run(const QString &command, const QVariant &args) override;
    bool updateItem(int mode, const QString &name) override;
    void onDisconnected() override;
    void onConnected() override;
    bool init() override;

    // One exchange of SpiIn, high byte first; SpiOut holds the answer when it returns true.
    // A failure is logged at level -1 and leaves SpiOut unchanged.
    bool transfer();

private:
    void setSpeed(const QString &command);

    Ui::SpiRaw *ui;
};

// The one SpiRaw, set by its constructor and cleared by its destructor.
extern SpiRaw *spiRaw;
