#include "configurationregisters.h"

namespace
{

// Every command starts with the same header: SA, FT 3, P1, CSID, BC, P2.
QString command(const char *name, int csid, const char *data)
{
    return QStringLiteral("@register=%1;SA[5]=0;FT[2]=3;P1=1;CSID[5]=%2;BC[2]=0;P2=1;%3")
        .arg(QLatin1String(name))
        .arg(csid)
        .arg(QLatin1String(data));
}

} // namespace

ConfigurationRegisters::ConfigurationRegisters()
    : ID_SLAVE(command("ID_SLAVE", 0,
                       "DEV_ID[8]=0;ANA_ID[8]=0;DIG_ID[8]=0;DLT_W[8]=0;DLT_X_AXIS[8]=0;"
                       "DLT_Y_AXIS[8]=0"),
               QString()),
      I2C_EEPROM_WRITE(command("I2C_EEPROM_WRITE", 1,
                               "EESA[3]=0;NA[4]=0;B=0;EEBA[8]=0;DATA3[8]=0;DATA4[8]=0;"
                               "DATA5[8]=0;DATA6[8]=0;DATA7[8]=0;DATA8[8]=0;DATA9[8]=0;"
                               "DATA10[8]=0"),
                       QString()),
      I2C_EEPROM_RQ(command("I2C_EEPROM_RQ", 2, "EESA[3]=0;NA[4]=0;B=0;EEBA[8]=0"), QString()),
      I2C_EEPROM_READ(command("I2C_EEPROM_READ", 3,
                              "EESA[3]=0;NA[2]=0;EES[2]=0;WP=0;EEBA[8]=0;DATA3[8]=0;"
                              "DATA4[8]=0;DATA5[8]=0;DATA6[8]=0;DATA7[8]=0;DATA8[8]=0;"
                              "DATA9[8]=0;DATA10[8]=0"),
                      QString()),
      AUTO_ADD(command("AUTO_ADD", 4, "AAC=0;NA[6]=0;B=0"), QString()),
      ASSIGN_ADD(command("ASSIGN_ADD", 5, "AA_ADR[5]=0;NA[2]=0;B=0;AA_THR[8]=0"), QString()),
      OP_MODE_ST(command("OP_MODE_ST", 6, "OPMODE[4]=0;FRAME_CNT[4]=0;"), QString()),
      WR_PXN_MODE_RQ(command("WR_PXN_MODE_RQ", 7, "PMC=0;NA[6]=0;B=0"), QString()),
      R_PXN_MODE_RQ(command("R_PXN_MODE_RQ", 8, "PMS=0;NA[7]=0"), QString()),
      UART(command("UART", 12, "CSPEED[2]=0;NA[5]=0;B=0"), QString()),
      CHANGE_MODE(command("CHANGE_MODE", 13, "NMD=0;NA[6]=0;B=0"), QString()),
      SW_RESET(command("SW_RESET", 14, "SWRST=0;NA[6]=0;B=0"), QString()),
      MAPENA(command("MAPENA", 15, "MAPENA=0;CNT_RST=0;WDT_SEL[2]=0;NA[3]=0;B=0"), QString()),
      SACONF(QStringLiteral("@variable=SACONF@type=integer@value=0@min=0 @max=34"))
{
}

QList<Register *> ConfigurationRegisters::commands()
{
    return {&ID_SLAVE,    &I2C_EEPROM_WRITE, &I2C_EEPROM_RQ,  &I2C_EEPROM_READ, &AUTO_ADD,
            &ASSIGN_ADD,  &OP_MODE_ST,       &WR_PXN_MODE_RQ, &R_PXN_MODE_RQ,   &UART,
            &CHANGE_MODE, &SW_RESET,         &MAPENA};
}

ConfigurationRegisters &configurationRegisters()
{
    static ConfigurationRegisters registers;
    return registers;
}
