#include "bytetext.h"

#include <cstring>

QByteArray bytesUpToZero(const QByteArray &bytes)
{
    const qsizetype zero = bytes.indexOf('\0');
    return zero < 0 ? bytes : bytes.left(zero);
}

QString latin1UpToZero(const QByteArray &bytes)
{
    return QString::fromLatin1(bytesUpToZero(bytes));
}

void appendBytes(QByteArray *out, QByteArrayView bytes)
{
    const qsizetype size = out->size();
    const char *own = out->constData();
    const bool ownBytes = bytes.data() >= own && bytes.data() < own + size;
    if (bytes.isEmpty() || ownBytes || !out->isDetached()) {
        out->append(bytes);
        return;
    }
    out->resize(size + bytes.size());
    std::memcpy(out->data() + size, bytes.data(), size_t(bytes.size()));
}

bool containsIgnoringCase(QByteArrayView bytes, QByteArrayView word)
{
    if (word.isEmpty())
        return true;
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    const char first = upper(word.front());
    for (qsizetype at = 0; at + word.size() <= bytes.size(); ++at) {
        if (upper(bytes[at]) == first &&
            qstrnicmp(bytes.data() + at, word.size(), word.data(), word.size()) == 0)
            return true;
    }
    return false;
}
