#include "pxnframe.h"

#include "register.h"

#include <QRegularExpression>

#include <cctype>

int oddParity7(const Register &view)
{
    int ones = 0;
    for (int i = 0; i < 7; ++i)
        ones += view.bitValue(i);
    return (ones % 2 == 0) ? 1 : 0;
}

int oddParity7(unsigned value)
{
    int ones = 0;
    for (int i = 0; i < 7; ++i)
        ones += int((value >> i) & 1u);
    return (ones % 2 == 0) ? 1 : 0;
}

quint8 PxnFrame::crc8(int pid1, int pid2, const QByteArray &data)
{
    QByteArray bytes;
    bytes.append(char(pid1)).append(char(pid2)).append(data);
    // Loaded so that the register's highest bit is bit 0 of the first byte: the division
    // then runs through the bytes in order, each from bit 0 up.
    Register message;
    message.setFromByteArray(bytes, -1, 0, false);
    return quint8(message.crc(8, 0xFF, 0x107));
}

QByteArray PxnFrame::build(int pid1, int pid2, const QByteArray &data, bool withCrc)
{
    QByteArray frame;
    frame.append(char(Sync)).append(char(pid1)).append(char(pid2)).append(data);
    if (withCrc)
        frame.append(char(crc8(pid1, pid2, data)));
    return frame;
}

QByteArray PxnFrame::command(int leadByte, const QByteArray &frame)
{
    QByteArray head;
    head.append(char(leadByte)).append(char(frame.size()));
    return "set SER2PXNDATA=" + head.toHex() + frame.toHex();
}

namespace
{

bool isHex(QByteArrayView digits)
{
    for (char c : digits)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

} // namespace

bool PxnFrame::parseAnswer(const QByteArray &line, int answerBytes, QByteArray *data, quint8 *crc)
{
    static const QRegularExpression pattern(QStringLiteral("SER2DATA=(\\w+)"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(line));
    if (!match.hasMatch())
        return false;
    const QByteArray text = match.captured(1).toLatin1();
    const qsizetype tail = 2 * qsizetype(answerBytes) + 2;
    if (answerBytes < 0 || text.size() < 2 + tail)
        return false;
    const QByteArrayView count(text.constData(), 2);
    const QByteArrayView body(text.constData() + text.size() - tail, tail);
    if (!isHex(count) || !isHex(body) || count.toByteArray().toInt(nullptr, 16) <= 4)
        return false;
    const QByteArray bytes = QByteArray::fromHex(body.toByteArray());
    *data = bytes.left(answerBytes);
    *crc = quint8(bytes.back());
    return true;
}
