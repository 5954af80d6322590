#pragma once

#include "applet.h"

class Register;

namespace Ui
{
class Configuration;
}

// Configuration command frames of the matrix chips: fills the command registers' headers and
// hands writes and reads to the frame layer (Pxn). The target chip is the variable SACONF.
// Commands by name (run): "Read_slave_ident", "OP_MODE_STATUS_READ",
// "Write_I2CEEPROM_Request", "Write_I2CEEPROM", "Read_I2CEEPROM", "AUTO_ADD_Write",
// "Assign_adr_Write", "UART_Speed_Write", "Change_Mode_Write", "SW_Reset_Write",
// "MAPENA_Write", "Write_PXN_Mode_Rq", "Read_PXN_Mode_Rq", "Read_all_conf"; each returns a
// bool QVariant. The registers are configurationRegisters(), shared with the board page and the
// addressing tools.
class Configuration : public Applet
{
    Q_OBJECT
public:
    explicit Configuration(QWidget *parent = nullptr);
    ~Configuration() override;

    // The one configuration applet; null before it is made and after it is gone.
    static Configuration *instance();
    // Writes SACONF with the internal force key; false (SACONF unchanged) outside 0..34.
    static bool setSaconf(int address);

    QVariant run(const QString &command, const QVariant &args) override;
    bool init() override;

private:
    struct Command;
    static const QList<Command> &commands();

    bool perform(const Command &command);
    int targetAddress();
    bool writeFrame(Register &reg, const Command &command, int address);
    bool readFrame(Register &reg, int answerBytes, bool refresh);
    bool writeUartSpeed(const Command &command, int address);
    bool writeMapena(const Command &command);
    bool readAll();

    Ui::Configuration *ui;
};
