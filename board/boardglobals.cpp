#include "boardglobals.h"

namespace
{

// A field one bit wide; the definition gives no width for it.
constexpr int FlagWidth = 1;

struct BankField {
    QString name;
    int word;
    int width;
};

// Fields of words 13, 14 and 16 to 18 of the bank, from bit 0 of each word upward; an entry
// without a width is a one-bit flag.
struct FixedField {
    const char *name;
    int word;
    int width = FlagWidth;
};
const FixedField ControlFields[] = {
    {"MAPENA", 13},     {"CRC_CLR", 13}, {"ADC_SEL", 13, 2},  {"NA1", 13, 4},
    {"TW_CODE", 13, 8}, {"NA2", 13, 8},  {"CONF_SEL", 14, 3}, {"DIMFREQ", 14, 5},
    {"NA3", 14, 4},     {"T1_CONF", 14}, {"NA4", 14, 11},
};
// Word 16 starts with the status flags.
constexpr int FlagWord = 16;
// clang-format off
const char *const StatusFlags[] = {
    "TW", "TSD", "GSWERR", "DIMWARN",
    "DIMERR", "SYNC_FAIL", "HWR", "CAP_UV",
    "OTP_ZAP_UV", "VBB_LOW", "GND_LOSS", "PWM_CNT_OVF",
    "MAPENA_ST", "PXN_GLOBAL_COMM_ERR", "PXN_LOCAL_COMM_ERR", "PXN_FRAME_ERR",
    "PXN_SYNC_ERR", "TIMEOUT", "OTP_CRC_FAIL_BANK2", "OTP_CRC_FAIL_BANK0",
};
// clang-format on
const FixedField ResultFields[] = {
    {"PXN_CRC_ERR_CNT", FlagWord, 4},
    {"TEMP_RES", 17, 8},
    {"VDD_RES", 17, 8},
    {"ADCX_RES", 17, 8},
    {"VBB_RES", 18, 8},
    {"VLED_RES", 18, 8},
    {"TSD_CODE", 18, 8},
};

constexpr int SwitchCount = 12;

void appendFixed(QList<BankField> &fields, const FixedField *first, const FixedField *last)
{
    for (const FixedField *field = first; field != last; ++field)
        fields.append({QString::fromLatin1(field->name), field->word, field->width});
}

// The bank's fields in ascending bit order.
QList<BankField> bankFields()
{
    QList<BankField> fields;
    for (int n = 1; n <= SwitchCount; ++n)
        fields.append({QStringLiteral("SW%1").arg(n), 0, FlagWidth});
    fields.append({QStringLiteral("NA0"), 0, 10});
    fields.append({QStringLiteral("SERVICE"), 0, 2});
    for (int n = 1; n <= SwitchCount; ++n) {
        fields.append({QStringLiteral("TR%1").arg(n), n, 4});
        fields.append({QStringLiteral("OFF%1").arg(n), n, 10});
        fields.append({QStringLiteral("ON%1").arg(n), n, 10});
    }
    appendFixed(fields, std::begin(ControlFields), std::end(ControlFields));
    for (int n = 1; n <= SwitchCount; ++n)
        fields.append({QStringLiteral("SW%1_ST").arg(n), 15, 2});
    for (const char *flag : StatusFlags)
        fields.append({QString::fromLatin1(flag), FlagWord, FlagWidth});
    appendFixed(fields, std::begin(ResultFields), std::end(ResultFields));
    return fields;
}

const QString BoostText = QStringLiteral("VSETPOINT[6:0]#Boost voltage;EN#Boost enable;"
                                         "SRC#Boost CLK source;");
const QString BuckText =
    QStringLiteral("VTHR[7:0]#Buck regulator comparator threshold voltage setting;"
                   "TOFF_SET[3:0]#Tunes the Toff x VLED value;EN#Buck enable;");
const QString StatusText = QStringLiteral(
    "VLED1ON[7:0]#;VLED2ON[7:0]#;VLED1[7:0]#;VLED2[7:0]#;VTEMP[7:0]#;VBAT[7:0]#;VBOOST[7:0]#;"
    "BUCK1_TON_DUR[7:0]#;BUCK2_TON_DUR[7:0]#;OPENLED1#;SHORTLED1#;OCLED1#;BUCKACTIVE1#;"
    "LED1VAL#;OPENLED2#;SHORTLED2#;OCLED2#;BUCKACTIVE2#;LED2VAL#;TW#;SPIERR#;BOOST_STATUS#;"
    "TSD#;BOOST_OV#;");

} // namespace

QString BoardGlobals::bankDefinition(const QString &name)
{
    QStringList items{QStringLiteral("@register=") + name};
    const QList<BankField> fields = bankFields();
    for (const BankField &field : fields) {
        const QString width =
            field.width == FlagWidth ? QString() : QStringLiteral("[%1]").arg(field.width);
        items.append(QStringLiteral("@field=%1%2 @REG=%3").arg(field.name, width).arg(field.word));
    }
    return items.join(QLatin1Char(';'));
}

QString BoardGlobals::dutyDefinition()
{
    QString text = QStringLiteral("@register=DCREG;");
    for (int n = 0; n < 36; ++n)
        text += QStringLiteral("@field=SW%1[10] @REG=%1 @value=0;").arg(n);
    return text;
}

BoardGlobals::BoardGlobals()
    : BANK(bankDefinition(QStringLiteral("BANK")), QString()),
      BANKX(bankDefinition(QStringLiteral("BANKX")), QString()), DCREG(dutyDefinition(), QString()),
      SA(QStringLiteral("@variable=SA@type=integer@value=1@min=-1 @max=31")),
      DCALL(QStringLiteral("@variable=DCALL@type=integer@value=0@min=0 @max=1023")),
      BROADCAST(QStringLiteral("@variable=BROADCAST@type=integer@value=0@min=0 @max=1")),
      BOOSTP205(BoostText, QStringLiteral("BOOSTP205")), BUCK1(BuckText, QStringLiteral("BUCK1")),
      BUCK2(BuckText, QStringLiteral("BUCK2")),
      P205STATUS(StatusText, QStringLiteral("P205STATUS")),
      IPEAK1(QStringLiteral("@variable=IPEAK1@type=real@value=207@min=0@max=3800")),
      IPEAK2(QStringLiteral("@variable=IPEAK2@type=real@value=207@min=0@max=3800")),
      IRIPPLE1(QStringLiteral("@variable=IRIPPLE1@type=real@value=212@min=0@max=4200")),
      IRIPPLE2(QStringLiteral("@variable=IRIPPLE2@type=real@value=212@min=0@max=4200")),
      IAVERAGE1(QStringLiteral("@variable=IAVERAGE1@type=real@value=101@min=-3000@max=3800")),
      IAVERAGE2(QStringLiteral("@variable=IAVERAGE2@type=real@value=101@min=-3000@max=3800")),
      LEDCTRL1(QStringLiteral("@variable=LEDCTRL1@type=integer@value=0@min=0@max=1")),
      LEDCTRL2(QStringLiteral("@variable=LEDCTRL2@type=integer@value=0@min=0@max=1")),
      PWM1(QStringLiteral("@variable=PWM1@type=integer@value=0@min=0@max=1")),
      PWM2(QStringLiteral("@variable=PWM2@type=integer@value=0@min=0@max=1")),
      FREQ1(QStringLiteral("@variable=FREQ1@type=integer@value=1000@min=1@max=100000")),
      FREQ2(QStringLiteral("@variable=FREQ2@type=integer@value=1000@min=1@max=100000")),
      DUTY1(QStringLiteral("@variable=DUTY1@type=integer@value=50@min=0@max=100")),
      DUTY2(QStringLiteral("@variable=DUTY2@type=integer@value=50@min=0@max=100")),
      VLED1(QStringLiteral("@variable=VLED1@type=real@value=0@min=0@max=70")),
      VLED2(QStringLiteral("@variable=VLED2@type=real@value=0@min=0@max=70")),
      BOOSTPWM(QStringLiteral("@variable=BOOSTPWM@type=integer@value=1@min=0@max=1")),
      BOOSTFREQ(QStringLiteral("@variable=BOOSTFREQ@type=integer@value=300@min=1@max=1000")),
      BoostVoltage(QStringLiteral("@variable=BoostVoltage@type=real@value=50.1@min=0@max=75")),
      BoostVoltageMeas(
          QStringLiteral("@variable=BoostVoltageMeas@type=real@value=50.14@min=0@max=75")),
      BatteryVoltage(QStringLiteral("@variable=BatteryVoltage@type=real@value=11.78@min=0@max=75")),
      buckFrequencyTable{180,  188,  196,  205,  214,  223,  233,  244,  254,  265,  277,
                         289,  302,  316,  331,  345,  360,  376,  392,  410,  429,  447,
                         466,  487,  508,  530,  555,  578,  604,  632,  662,  691,  719,
                         753,  784,  821,  857,  893,  932,  975,  1016, 1061, 1110, 1157,
                         1208, 1263, 1324, 1381, 1438, 1506, 1567, 1641, 1714, 1786, 1864,
                         1949, 2032, 2122, 2220, 2313, 2415, 2526, 2648},
      boostSourceFrequencyTable{125.0f,   140.35f,  160.0f,   175.82f,  200.0f,  222.22f,  250.0f,
                                275.86f,  301.89f,  333.33f,  380.95f,  444.44f, 500.0f,   551.72f,
                                592.59f,  666.67f,  727.27f,  800.0f,   888.89f, 1000.0f,  1066.67f,
                                1142.86f, 1230.77f, 1333.33f, 1454.55f, 1600.0f, 1777.78f, 2000.0f,
                                2285.71f, 2666.67f, 3200.0f,  4000.0f},
      boostSoftStartTable{12, 20, 28, 36, 44, 52, 60},
      iripStatusTexts{QStringLiteral("Disabled"), QStringLiteral("IRIP failure"),
                      QStringLiteral("IRIP is at target"), QStringLiteral("IRIP is settling")},
      boostClockSourceTexts{QStringLiteral("Off"), QStringLiteral("Internal"),
                            QStringLiteral("External"), QStringLiteral("Auto")}
{
}

BoardGlobals &boardGlobals()
{
    static BoardGlobals globals;
    return globals;
}

void initBoardGlobals()
{
    boardGlobals();
}
