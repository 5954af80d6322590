#pragma once

#include "register.h"
#include "variable.h"

// The configuration command registers of the matrix chips (CSIDs 0-8 and 12-15) and the
// target address SACONF: one set for the whole program, built on first use in this order and
// destroyed at exit in reverse order.
struct ConfigurationRegisters {
    ConfigurationRegisters();

    Register ID_SLAVE;
    Register I2C_EEPROM_WRITE;
    Register I2C_EEPROM_RQ;
    Register I2C_EEPROM_READ;
    Register AUTO_ADD;
    Register ASSIGN_ADD;
    Register OP_MODE_ST;
    Register WR_PXN_MODE_RQ;
    Register R_PXN_MODE_RQ;
    Register UART;
    Register CHANGE_MODE;
    Register SW_RESET;
    Register MAPENA;
    Variable SACONF;

    // The thirteen registers in the order above.
    QList<Register *> commands();
};

ConfigurationRegisters &configurationRegisters();
