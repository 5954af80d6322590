#pragma once

#include "applet.h"

#include <QByteArray>
#include <QPair>

class Register;

namespace Ui
{
class Otp;
}

// OTP programming of one matrix chip: the OTP map OTP_REG, edited field by field in the
// window's register box, and the request, write and read frames RQ_OTP, W_OTP and R_OTP,
// all addressed to the chip in RQ_OTP[SA] and sent through the frame applet Pxn.
class Otp : public Applet
{
    Q_OBJECT
public:
    explicit Otp(QWidget *parent = nullptr);
    ~Otp() override;

    // "Request_OTP_PXN", "Write_OTP_PXN", "Read_OTP_PXN", "Default" and "OTP_CRC".
    QVariant run(const QString &command, const QVariant &args) override;
    // After a write of W_OTP or R_OTP: keeps its length code at 0 or 1.
    bool updateItem(int mode, const QString &name) override;
    void onDisconnected() override;
    void onConnected() override;
    bool init() override;

    // The CRC-7 (seed 0x7F, polynomial 0xB7) of the map bits marked CRC "2" (bits 0-19).
    static quint32 mapChecksum();

    // Every map bit to 0, announced; true.
    static bool resetMap();
    // The map in four bytes, map bit 0 as bit 0 of byte 0.
    static QByteArray mapBytes();
    static int mapSize();
    // Sets one map bit without a change signal (an index outside the map is ignored), then
    // refreshes the bound widgets.
    void setMapBit(int index, bool value);

private:
    bool requestOtp();
    bool writeOtp();
    bool readOtp();
    bool calculateCrc();
    static QPair<int, int> addressedIdentifiers(Register &frame);
    bool sendOtpFrame(const QPair<int, int> &pid, const QByteArray &data);
    QByteArray writeData(Register &frame);
    void storeAnswer(const QByteArray &answer);
    static void keepLengthCode(Register &frame, int &lastAccepted);

    Ui::Otp *ui;
};
