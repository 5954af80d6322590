#pragma once

#include <QtGlobal>

// The records decoded from the LED-driver board's SPI EEPROM. Each starts zeroed and not valid,
// so a caller that copies one before any read sees defined values.

// The device configuration block: which LED-driver chip the board carries and where its
// parameter block lies. Multi-byte numbers are little-endian in the EEPROM.
struct DeviceConfig {
    qint32 byte0 = 0;
    qint32 bytes1to3 = 0; // 24 bits, byte 1 least significant
    qint32 bytes4to6 = 0; // 24 bits, byte 4 least significant
    qint32 byte7 = 0;
    qint32 byte8 = 0;
    qint32 chipCode = 0; // 5: KVL52205, 12: KVL52404, 16: KVL52404BUCK
    qint32 byte10 = 0;
    quint8 byte11 = 0;
    quint8 byte12 = 0;
    quint8 byte13 = 0;
    quint8 paramsAddress = 0; // EEPROM address of the driver parameter block
    bool valid = false;       // the whole block was read and matched its check copy
};

// The driver parameter block of a KVL52205 or KVL52404 board. The board page takes the ripple
// scale values from w0 and w1 and the peak scale values from w4 and w5.
struct DriverParams {
    quint16 w0 = 0;
    quint16 w1 = 0;
    quint8 b0 = 0;
    quint8 b1 = 0;
    quint16 w2 = 0;
    quint16 w3 = 0;
    quint16 w4 = 0;
    quint16 w5 = 0;
    quint8 b2 = 0;
    quint16 w6 = 0;
    quint16 w7 = 0;
    quint16 w8 = 0;
    quint16 w9 = 0;
    quint8 b3 = 0;
    quint8 b4 = 0;
    quint16 w10 = 0;
    quint16 w11 = 0;
    quint8 b5 = 0;
    quint8 b6 = 0;
    quint16 w12 = 0;
    quint16 w13 = 0;
    quint8 b7 = 0;
    quint8 b8 = 0;
    bool valid = false;
};

// The parameter block of a buck driver board.
struct BuckParams {
    quint16 w0 = 0;
    quint16 w1 = 0;
    quint16 w2 = 0;
    quint8 b0 = 0;
    quint8 b1 = 0;
    quint8 b2 = 0;
    quint16 w3 = 0;
    quint16 w4 = 0;
    quint16 w5 = 0;
    quint8 b3 = 0;
    quint8 b4 = 0;
    quint8 b5 = 0;
    quint16 w6 = 0;
    quint16 w7 = 0;
    quint16 w8 = 0;
    quint16 w9 = 0;
    quint16 w10 = 0;
    quint16 w11 = 0;
    bool valid = false;
};

// The parameter block of a boost driver board.
struct BoostParams {
    quint16 w0 = 0;
    quint16 w1 = 0;
    quint16 w2 = 0;
    quint8 b0 = 0;
    quint8 b1 = 0;
    quint8 b2 = 0;
    quint16 w3 = 0;
    quint16 w4 = 0;
    quint16 w5 = 0;
    quint8 b3 = 0;
    quint8 b4 = 0;
    quint8 b5 = 0;
    quint8 b6 = 0;
    bool valid = false;
};
