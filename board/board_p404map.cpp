// The KVL52404 register map as a register definition: 64 addresses of 21 bits.
#include "board.h"

#include <QVector>

namespace
{

constexpr int Addresses = 64;

// Fields from bit 0 upward, per address; fillers start with "NA". An address left out is one
// filler "NA<address>[20:0]". In the buck blocks "#" stands for the channel (1 or 2) and
// "$" for the address.
struct AddressFields {
    int address;
    const char *fields;
};

const char *const BuckControl[4] = {
    "BUCK#_IAVG[7:0] BUCK#_IRNG[1:0] BUCK#_TOFF[6:0] BUCK#_ZCD_DIS BUCK#_DCM_CORR[2:0]",
    "BUCK#_FREQ[5:0] BUCK#_FREQ_ABOVE BUCK#_FREQ_FAST_RCVR BUCK#_FREQ_RSP[1:0] "
    "BUCK#_FREQ_RATE[1:0] BUCK#_FREQ_PAUSE BUCK#_IREG_PAUSE VLED#_RNG BUCK#_SHORTLED_MASK[1:0] "
    "BUCK#_RCVR[1:0] BUCK#_TSD_RCVR NA$",
    "LEDCTRL#_MD[1:0] BUCK#_DIM_DUTY[7:0] BUCK#_DIM_FADEIN[2:0] BUCK#_DIM_FADEOUT[2:0] "
    "BUCK#_DIM_SHIFT NA$[3:0]",
    "BUCK#_SHORTLED_FMASK BUCK#_OPENLED_FMASK BUCK#_REGFAIL_FMASK NA$[17:0]"};

const char *const BuckStatus[7] = {
    "BUCK#_RUNNING BUCK#_REGSTATUS[1:0] BUCK#_DIM_FADE LEDCTRL#_MON[1:0] BUCK#_ZCDMODE "
    "BUCK#_MIN_TON BUCK#_OVLD BUCK#_SHORTLED BUCK#_OPENLED BUCK#_CBT_UV BUCK#_CBT_OV BUCK#_TSD "
    "BUCK#_CBT_UVS NA$[5:0]",
    "BUCK#_IRIP[8:0] BUCK#_IRIP_UPD BUCK#_TOFF_MON[6:0] BUCK#_TOFF_UPD NA$[2:0]",
    "VLED#[8:0] NA$1 VIN#[8:0] NA$2[1:0]",
    "VLED#OFF[8:0] NA$1 VLED#ON[8:0] NA$2[1:0]",
    "BUCK#_TON_DUR[9:0] BUCK#_TOFF_DUR[9:0] BUCK#_T_UPD",
    "BUCK#_ICOIL[7:0] BUCK#_ICOIL_UPD NA$[11:0]",
    "BUCK#_IRIP_DAC[8:0] NA$1 BUCK#_IAVG_DAC[8:0] NA$2[1:0]"};

const AddressFields OtherFields[] = {
    {0, "NOP[20:0]"},
    {13, "BUCK1_EN BUCK2_EN NA131 BUCK_DIM_FREQ[1:0] NA132[15:0]"},
    {14, "BST1_VLIM_THR[7:0] BST1_COMP_DIV[2:0] BST1_SLP_CTRL[2:0] NA14[6:0]"},
    {15, "BST2_VLIM_THR[7:0] BST2_COMP_DIV[2:0] BST2_SLP_CTRL[2:0] NA15[6:0]"},
    {17, "BST_SRC[1:0] BST_SRC_INV BST_SRC_DIV BST_SRC_FREQ[4:0] BST_MIN_TOFF[2:0] "
         "BST_MIN_TON[1:0] BST_OTA_GAIN[1:0] VDRV_UV_THR[2:0] VDRV_UV_RCVR BST_ILIM_FMASK"},
    {18, "BST1_EN BST2_EN NA187 BST_VSETPOINT[6:0] BST_OV_SD[2:0] BST_OV_REACT[1:0] "
         "BST_SOFTSTART[2:0] BST_SOFTSTART_UV BST_SKCL_THR[1:0]"},
    {26, "THERMAL_WARNING_THR[8:0] OSC_CAL[4:0] NA26[6:0]"},
    {27, "EEPROM_DATA_WRITE[19:0] NA27"},
    {28, "EEPROM_CTRL[3:0] EEPROM_ADDRESS[4:0] NA28[11:0]"},
    {29, "SWRESET FSO_ENTER FSO_EXIT FSO_WDG_ENA[1:0] FSO_WDG_CFG[1:0] BUCK1_FAIL_OUT "
         "BUCK2_FAIL_OUT BST_FAIL_OUT NA29[10:0]"},
    {31, "BUCK1_BD_DIS BUCK2_BD_DIS NA31[18:0]"},
    {32, "HWR FSO TW TSD FRAME_CNT[3:0] CMD_REJECT SPIERR EEPROMERR TRIMERR NA32[8:0]"},
    {54, "BST1_RUNNING BST1_REGSTATUS[1:0] BST2_RUNNING BST2_REGSTATUS[1:0] NA603 NA604 NA605 "
         "VDRV_UV BST_OSCFAIL BST_FBFAIL BST_SYNCFAIL BST_OV BST_SKCL NA54[5:0]"},
    {55, "VBST[8:0] NA55[11:0]"},
    {59, "VINT[8:0] NA591 VCC[8:0] NA592[1:0]"},
    {60, "VTEMP[8:0] NA601 VDRV[8:0] NA602[1:0]"},
    {61, "CSB_DUR[19:0] NA61"},
    {62, "EEPROM_DATA_READ[19:0] NA62"},
    {63, "REVID[12:0] EEPROM_BUSY EEPROM_READFAIL EEPROM_WRITEFAIL EEPROM_LOCK_CUST NA63[3:0]"},
};

QString channelFields(const char *templ, int channel, int address)
{
    QString text = QLatin1String(templ);
    text.replace(QLatin1Char('#'), QString::number(channel));
    text.replace(QLatin1Char('$'), QString::number(address));
    return text;
}

// The field list of every address, "NA<address>[20:0]" where nothing else is given.
QVector<QString> fieldsByAddress()
{
    QVector<QString> fields(Addresses);
    for (int a = 0; a < Addresses; ++a)
        fields[a] = QStringLiteral("NA%1[20:0]").arg(a);
    for (int i = 0; i < 4; ++i) {
        fields[1 + i] = channelFields(BuckControl[i], 1, 1 + i);
        fields[5 + i] = channelFields(BuckControl[i], 2, 5 + i);
    }
    for (int i = 0; i < 7; ++i) {
        fields[33 + i] = channelFields(BuckStatus[i], 1, 33 + i);
        fields[40 + i] = channelFields(BuckStatus[i], 2, 40 + i);
    }
    for (const AddressFields &entry : OtherFields)
        fields[entry.address] = QLatin1String(entry.fields);
    return fields;
}

// Power-up value of a field: the boost voltage limits start at 50, everything else at 0.
int initialValue(const QString &field)
{
    return field.startsWith(QLatin1String("BST1_VLIM_THR")) ||
                   field.startsWith(QLatin1String("BST2_VLIM_THR"))
               ? 50
               : 0;
}

} // namespace

QString Board::p404MapDefinition()
{
    QString text = QStringLiteral("@register=SPI_MAPP404;");
    const QVector<QString> fields = fieldsByAddress();
    for (int a = 0; a < Addresses; ++a) {
        for (const QString &field : fields.at(a).split(QLatin1Char(' '))) {
            const bool filler = field.startsWith(QLatin1String("NA"));
            text += QStringLiteral("@field=%1 @value=%2 @ADD=%3 @DATA=%4;")
                        .arg(field)
                        .arg(initialValue(field))
                        .arg(a)
                        .arg(filler ? 0 : 1);
        }
    }
    return text;
}
