#include "pxnregisters.h"

const QString &PxnRegisters::wBankText()
{
    static const QString text = QStringLiteral(
        "@register=W_BANK;@field=SA[5] @value=0;@field=FT[2] @value=1;@field=P1    @value=1;"
        "@field=RBA[5];@field=BC[2];@field=P2    @value=1;@field=DATA1[8] @DATA_BC=0;"
        "@field=DATA2[8] @DATA_BC=0;@field=DATA3[8] @DATA_BC=0;@field=DATA4[8] @DATA_BC=1;"
        "@field=DATA5[8] @DATA_BC=1;@field=DATA6[8] @DATA_BC=1;@field=DATA7[8] @DATA_BC=2;"
        "@field=DATA8[8] @DATA_BC=2;@field=DATA9[8] @DATA_BC=2;@field=DATA10[8] @DATA_BC=3;"
        "@field=DATA11[8] @DATA_BC=3;@field=DATA12[8] @DATA_BC=3;");
    return text;
}

const QString &PxnRegisters::rBankText()
{
    static const QString text = QStringLiteral(
        "@register=R_BANK;@field=SA[5] @value=0;@field=FT[2] @value=0;@field=P1 @value=1;"
        "@field=RBA[5];@field=BC[2];@field=P2 @value=1;@field=DATA1[8] @DATA_BC=0;"
        "@field=DATA2[8] @DATA_BC=0;@field=DATA3[8] @DATA_BC=0;@field=DATA4[8];@field=DATA5[8];"
        "@field=DATA6[8];@field=DATA7[8];@field=DATA8[8];@field=DATA9[8];@field=DATA10[8];"
        "@field=DATA11[8];@field=DATA12[8];");
    return text;
}

PxnRegisters::PxnRegisters()
    : W_BANK(wBankText(), QString()), R_BANK(rBankText(), QString()),
      Bank_layout(QStringLiteral("@variable=Bank_layout @value=0 @min=0 @max=2"))
{
}

PxnRegisters &pxnRegisters()
{
    static PxnRegisters registers;
    return registers;
}
