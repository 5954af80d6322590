#pragma once

#include <QByteArray>

class Register;

// Parity bit of a matrix-chip identifier byte: 1 when bits 0-6 hold an even number of ones,
// so that the whole byte holds an odd number. The register form reads bits 0-6 of a view
// without any signal.
int oddParity7(const Register &view);
int oddParity7(unsigned value);

// The byte-level pieces of the matrix chips' bus frames and of the controller's answer text.
class PxnFrame
{
public:
    static constexpr quint8 Sync = 0x55;
    static constexpr int MaxDataBytes = 251; // the count byte holds 4 + data bytes

    // CRC-8 (width 8, seed 0xFF, polynomial 0x107) over PID1, PID2 and the data, each byte
    // from bit 0 up, as the chips compute it.
    static quint8 crc8(int pid1, int pid2, const QByteArray &data);
    // SYNC, PID1, PID2, the data and, when withCrc, the CRC.
    static QByteArray build(int pid1, int pid2, const QByteArray &data, bool withCrc);
    // "set SER2PXNDATA=" with the lead byte, the byte count and the frame, lower-case hex.
    static QByteArray command(int leadByte, const QByteArray &frame);

    // Cuts the answer line of "get SER2DATA" into answerBytes data bytes and the CRC byte.
    // False (nothing written) when the line holds no "SER2DATA=" text, its count is 4 or less,
    // it is too short for count, data and CRC, or those digits are not hexadecimal.
    static bool parseAnswer(const QByteArray &line, int answerBytes, QByteArray *data, quint8 *crc);
};
