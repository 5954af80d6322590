#pragma once

#include <QByteArray>
#include <QtGlobal>

// The "set flash=" block line that writes bytes into the controller's flash, and its CRC.
// A line is "set flash=", 8 hexadecimal digits of address, 8 of CRC, 8 of length, 2 per data
// byte (all lower case, most significant digit first), then CR. The board answers "flash:ok"
// or "flash:err".
class FlashBlock
{
public:
    // Flash address of image offset 0 and the size of the blocks the firmware image is cut in.
    static constexpr quint32 BaseAddress = 0x80050000u;
    static constexpr int BlockSize = 256;

    // CRC-32 of the data: polynomial 0x04C11DB7, initial value 0, no reflection, no final XOR,
    // no appended zero bits (the CRC of up to four bytes is those bytes as a big-endian number).
    static quint32 crc32(const char *data, int size);
    static quint32 crc32(const QByteArray &data) { return crc32(data.constData(), data.size()); }

    // The block line for data written at address.
    static QByteArray line(quint32 address, const QByteArray &data);
    static QByteArray line(quint32 address, const char *data, int size);

    // The line sent after the last block of a firmware image.
    static QByteArray endMarker();

    // Whether a block answer reports a written or a refused block.
    static bool answerOk(const QByteArray &answer) { return answer.contains("flash:ok"); }
    static bool answerRefused(const QByteArray &answer) { return answer.contains("flash:err"); }
};
