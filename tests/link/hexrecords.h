#pragma once

#include <QByteArray>

// Builds Intel HEX text (records with correct checksums, upper-case digits, CR LF line ends)
// for the tests and the flash benchmark.
namespace HexRecords
{

inline QByteArray record(int type, quint16 address, const QByteArray &data)
{
    QByteArray bytes = QByteArray(1, char(data.size())) + char(address >> 8) +
                       char(address & 0xFF) + char(type) + data;
    int sum = 0;
    for (char c : bytes)
        sum += quint8(c);
    return ":" + (bytes + char(-sum)).toHex().toUpper() + "\r\n";
}

inline QByteArray data(quint16 address, const QByteArray &bytes) { return record(0, address, bytes); }

inline QByteArray extended(quint16 upper)
{
    return record(4, 0, QByteArray(1, char(upper >> 8)) + char(upper & 0xFF));
}

inline QByteArray endOfFile() { return record(1, 0, QByteArray()); }

// A whole file: bytes placed from address on, 16 per record, an extended address record at
// every 64 KiB boundary, the end-of-file record last.
inline QByteArray image(quint32 address, const QByteArray &bytes)
{
    QByteArray text;
    int upper = -1;
    for (int pos = 0; pos < bytes.size();) {
        const quint32 at = address + quint32(pos);
        if (int(at >> 16) != upper)
            text += extended(quint16(upper = int(at >> 16)));
        const int n = qMin(qMin(16, int(0x10000 - (at & 0xFFFF))), int(bytes.size()) - pos);
        text += data(quint16(at & 0xFFFF), bytes.mid(pos, n));
        pos += n;
    }
    return text + endOfFile();
}

} // namespace HexRecords
