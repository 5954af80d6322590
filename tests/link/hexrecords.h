#pragma once

#include <QByteArray>

// Builds Intel HEX text (records with correct checksums, upper-case digits, CR LF line ends)
// for the tests and the flash benchmark.
namespace HexRecords
{

inline QByteArray record(int type, quint16 address, const QByteArray &data)
{
    QByteArray bytes;
    bytes.append(char(data.size()));
    bytes.append(char(address >> 8));
    bytes.append(char(address & 0xFF));
    bytes.append(char(type));
    bytes.append(data);
    int sum = 0;
    for (char c : bytes)
        sum += quint8(c);
    bytes.append(char((0x100 - (sum & 0xFF)) & 0xFF));
    return ":" + bytes.toHex().toUpper() + "\r\n";
}

inline QByteArray data(quint16 address, const QByteArray &bytes)
{
    return record(0x00, address, bytes);
}

inline QByteArray extended(quint16 upper)
{
    return record(0x04, 0, QByteArray(1, char(upper >> 8)) + QByteArray(1, char(upper & 0xFF)));
}

inline QByteArray endOfFile()
{
    return record(0x01, 0, QByteArray());
}

// A whole file: bytes placed from address on, 16 per record, an extended address record at
// every 64 KiB boundary, the end-of-file record last.
inline QByteArray image(quint32 address, const QByteArray &bytes)
{
    QByteArray text;
    int upper = -1;
    for (int pos = 0; pos < bytes.size();) {
        const quint32 at = address + quint32(pos);
        if (int(at >> 16) != upper) {
            upper = int(at >> 16);
            text += extended(quint16(upper));
        }
        const int room = int(0x10000 - (at & 0xFFFF));
        const int n = qMin(qMin(16, room), int(bytes.size()) - pos);
        text += data(quint16(at & 0xFFFF), bytes.mid(pos, n));
        pos += n;
    }
    return text + endOfFile();
}

} // namespace HexRecords
