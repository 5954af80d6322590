#ifndef BYTETEXT_H
#define BYTETEXT_H

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Byte buffers from the board, files and requests are C strings at heart: their text ends at
// the first zero byte.

// The bytes before the first zero byte (all of them when there is none).
QByteArray bytesUpToZero(const QByteArray &bytes);
// The same bytes read as Latin-1 text.
QString latin1UpToZero(const QByteArray &bytes);
// Whether bytes hold word, ASCII letters in either case; no copy of bytes is made.
bool containsIgnoringCase(QByteArrayView bytes, QByteArrayView word);
// Appends bytes to out as QByteArray::append does, at a fraction of its cost for a few bytes at
// a time (a buffer reserved for many short pieces, such as a batch's replies).
void appendBytes(QByteArray *out, QByteArrayView bytes);

#endif // BYTETEXT_H
