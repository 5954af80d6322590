#pragma once

#include "register.h"

// The OTP map of a matrix chip and the three OTP command frames (CSIDs 10, 9, 11): one set for
// the whole program, built on first use (OTP_REG from the TO3/TO4 text, RQ_OTP, W_OTP, R_OTP)
// and destroyed at exit in reverse order.
struct OtpRegisters {
    OtpRegisters();

    Register OTP_REG;
    Register RQ_OTP;
    Register W_OTP;
    Register R_OTP;

    // The definition texts of the map: for TO3/TO4 projects and for TO1/TO2 ones.
    static const QString &mapText();
    static const QString &mapTextTo1();
    static const QString &requestText();
    static const QString &writeText();
    static const QString &readText();
};

OtpRegisters &otpRegisters();
