#include "otpregisters.h"

#include <QStringList>

namespace
{

// One long-form item: the field expression padded to a fixed column, its value, attributes.
QString item(const char *field, int value, const char *attributes = "")
{
    return QStringLiteral("@field=%1 @value=%2%3;")
        .arg(QLatin1String(field), -18)
        .arg(value)
        .arg(QLatin1String(attributes));
}

QString mapItems(const QStringList &configuration)
{
    QString text = QStringLiteral("@register=OTP_REG;");
    for (const QString &field : configuration)
        text += item(field.toLatin1().constData(), 0, " @BANK=2 @CRC=2");
    return text + item("CRC1[6:0]", 0, " @BANK=2 @CRC=5");
}

QString header(const char *name, int csid)
{
    return QStringLiteral("@register=%1;").arg(QLatin1String(name)) + item("SA[4:0]", 0) +
           item("FT[1:0]", 3) + item("P1", 1) + item("CSID[4:0]", csid) + item("BC[1:0]", 0) +
           item("P2", 1);
}

QString bytes(const char *attributes)
{
    QString text;
    for (const char *field : {"BYTE0[7:0]", "BYTE1[7:0]", "BYTE2[7:0]", "BYTE3[7:0]", "BYTE4[7:0]"})
        text += item(field, 0, attributes);
    return text;
}

QString requestFields()
{
    return item("OTPBS[1:0]", 2) + item("NA[4:0]", 0) + item("B", 0);
}

// Bits 0-15 are the same in both maps; bits 16-19 differ by project type.
QStringList mapFields(const QStringList &upperFields)
{
    return QStringList{"OTP_lock_bit",
                       "OTP_node_adrlckbit",
                       "OTP_node_adr[4:0]",
                       "Fail_safe_st_lck_bit",
                       "Fail_safe_st_LED[3:0]",
                       "PXN_lock_bit",
                       "Mode",
                       "Communi_speed[1:0]"} +
           upperFields;
}

} // namespace

const QString &OtpRegisters::mapText()
{
    static const QString text =
        mapItems(mapFields({"Global_bit_err_det_DIS", "LVDS_OFF", "UART_OFF", "EEPROM_lock_bit"}));
    return text;
}

const QString &OtpRegisters::mapTextTo1()
{
    static const QString text =
        mapItems(mapFields({"Global_bit_err_det_EN", "LVDS_OFF", "EEPROM_lock_bit", "DUMMY"}));
    return text;
}

const QString &OtpRegisters::requestText()
{
    static const QString text = header("RQ_OTP", 10) + requestFields();
    return text;
}

const QString &OtpRegisters::writeText()
{
    static const QString text = header("W_OTP", 9) + requestFields() + bytes(" @DATA=1");
    return text;
}

const QString &OtpRegisters::readText()
{
    static const QString text = header("R_OTP", 11) + item("OTPBS[2:0]", 2, " @DATA2=0") +
                                item("NA[1:0]", 0, " @DATA2=0") +
                                item("OTPS[1:0]", 0, " @DATA2=0") + item("LOCKB", 0, " @DATA2=0") +
                                bytes(" @DATA=1 @DATA2=0");
    return text;
}

OtpRegisters::OtpRegisters()
    : OTP_REG(mapText(), QString()), RQ_OTP(requestText(), QString()),
      W_OTP(writeText(), QString()), R_OTP(readText(), QString())
{
}

OtpRegisters &otpRegisters()
{
    static OtpRegisters registers;
    return registers;
}
