// The page's one-time set-up: project-dependent widgets, the board's global registers and
// variables, and the KVL52404 frame registers.
#include "board.h"

#include "applethost.h"
#include "boardglobals.h"
#include "ui_board.h"

namespace
{

constexpr int BankBits = 456;
constexpr int FrameBits = 32;

const char *const InFrameDefinition =
    "@register=SPI_IN_WR_TP404;@field=CRC[3:0] @value=0;@field=WRITE_DATA[20:0] @value=0;"
    "@field=WRITE_ADDR[5:0] @value=0;@field=CMD @value=0;";
const char *const WriteAnswerDefinition =
    "@register=SPI_OUT_WR_TP404;@field=ECRC[3:0] @value=0;@field=LAST_DATA[20:0] @value=0;"
    "@field=LAST_ADDR[5:0] @value=0;@field=SPIERR @value=0;";
const char *const CrcBlockDefinition =
    "@register=SPI_CRC_EXT_TP404;@field=WRITE_DATA[6:0] @value=0;@field=CMD_0 @value=0;"
    "@field=READ_DATA[27:0] @value=0;";
const char *const ReadAnswerDefinition =
    "@register=SPI_OUT_RD_TP404;@field=ECRC[3:0] @value=0;@field=READ_DATA[20:0] @value=0 "
    "@readonly;@field=BSTERR @value=0 @readonly;@field=BCK2ERR @value=0 @readonly;"
    "@field=BCK1ERR @value=0 @readonly;@field=FSO @value=0 @readonly;@field=TW @value=0 "
    "@readonly;@field=HWR @value=0 @readonly;@field=SPIERR @value=0 @readonly;";

} // namespace

bool Board::init()
{
    // TO1 chips have neither the mode selection nor broadcast writes.
    if (AppletHost::instance()->projectType().contains(QLatin1String("TO1"))) {
        ui->comboBox->setEnabled(false);
        ui->cbBroadcast->setEnabled(false);
    }
    bindGlobals();
    defineP404Registers();
    addRegister(&SPI_OUT_WR_TP404, FrameBits);
    addRegister(&SPI_OUT_RD_TP404, FrameBits);
    addRegister(&SPI_MAPP404);
    // Every write of these announces itself, so their widgets follow each frame exchange.
    for (Register *reg : {&SPI_OUT_WR_TP404, &SPI_OUT_RD_TP404, &SPI_MAPP404})
        reg->setUpdateMode(0);
    p404SpiChannel = 0;
    p404DataName = "SPILEDCS" + QByteArray::number(p404SpiChannel) + "DATA";
    return true;
}

void Board::bindGlobals()
{
    BoardGlobals &g = boardGlobals();
    addRegister(&g.BANK, BankBits);
    addRegister(&g.BANKX, BankBits);
    addRegister(&g.DCREG);
    for (Variable *var : {&g.DCALL, &g.SA, &g.BROADCAST})
        addVariable(var);
    addRegister(&g.BOOSTP205);
    addRegister(&g.P205STATUS);
    for (Variable *var :
         {&g.BoostVoltage, &g.BoostVoltageMeas, &g.BOOSTFREQ, &g.BOOSTPWM, &g.BatteryVoltage})
        addVariable(var);
    addRegister(&g.BUCK1);
    addRegister(&g.BUCK2);
    for (Variable *var : {&g.IPEAK1, &g.IPEAK2, &g.IAVERAGE1, &g.IAVERAGE2, &g.IRIPPLE1,
                          &g.IRIPPLE2, &g.LEDCTRL1, &g.LEDCTRL2, &g.PWM1, &g.PWM2, &g.FREQ1,
                          &g.FREQ2, &g.DUTY1, &g.DUTY2, &g.VLED1, &g.VLED2})
        addVariable(var);
}

void Board::defineP404Registers()
{
    SPI_IN_WR_TP404.setDefinition(QLatin1String(InFrameDefinition));
    SPI_OUT_WR_TP404.setDefinition(QLatin1String(WriteAnswerDefinition));
    SPI_CRC_EXT_TP404.setDefinition(QLatin1String(CrcBlockDefinition));
    SPI_OUT_RD_TP404.setDefinition(QLatin1String(ReadAnswerDefinition));
    SPI_MAPP404.setDefinition(p404MapDefinition());
}
