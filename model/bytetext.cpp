#include "bytetext.h"

QByteArray bytesUpToZero(const QByteArray &bytes)
{
    const qsizetype zero = bytes.indexOf('\0');
    return zero < 0 ? bytes : bytes.left(zero);
}

QString latin1UpToZero(const QByteArray &bytes)
{
    return QString::fromLatin1(bytesUpToZero(bytes));
}
