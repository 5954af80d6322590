#pragma once

#include <QByteArray>
#include <QString>

class ControlBoard;

// One SPI transfer through a chip-select data variable of the controller board: the bytes go
// out with "set NAME=<data text>", the bytes clocked in during that transfer come back with
// "get NAME". A data text is two hexadecimal digits counting the bytes, then two per byte, the
// first byte on the wire first.
class SpiExchange
{
public:
    // Whether every character of text is a hexadecimal digit of either case (true when empty).
    static bool isHexText(const QByteArray &text);

    // The data text of bytes, in lower-case digits ("02abcd").
    static QByteArray dataText(const QByteArray &bytes);

    // The word of an answer value: the two count digits are skipped, the rest must be one to
    // bits/4 hexadecimal digits of either case. False for anything else (empty, not
    // hexadecimal, wider than the word), *word untouched.
    static bool wordOfAnswer(const QByteArray &value, int bits, quint32 *word);

    // Sets variable to text, then gets it back and reads the answer as a word of bits. False
    // when either transaction fails or the answer is no such word; *word is only written on
    // success.
    static bool transfer(ControlBoard *link, const QString &variable, const QByteArray &text,
                         int bits, quint32 *word);

    // The speed command of a chip select, "set <chipSelect>SPEED=<Hz>", with the clock given in
    // kHz and rounded to the nearest hertz.
    static QByteArray speedCommand(const QString &chipSelect, double kHz);
};
