#pragma once

#include <QByteArray>
#include <QList>
#include <QVector>

// The animation image that the controller plays from its flash: "START", the pause between
// steps in milliseconds, the device count N, the step count, N address bytes, the step data and
// "END". It is written in whole 256-byte blocks, the tail padded with zeros.
class AnimationImage
{
public:
    static constexpr int BlockSize = 256;
    static constexpr quint8 LiveDelayMs = 50;
    static constexpr int MaxDuty = 1023;
    static constexpr int StepScale = 200;
    // Duty entries that belong to one device row.
    static constexpr int SwitchesPerDevice = 12;

    // The framed image; each address goes in as its low 8 bits.
    static QByteArray frame(quint8 delayMs, const QList<int> &addresses, quint8 steps,
                            const QByteArray &body);
    // image padded with 0x00 to the next multiple of BlockSize (none when it already is one).
    static QByteArray padded(QByteArray image);
    // A duty of 0..1023 as a step value of 0..200, truncated (values outside count as the
    // nearest end).
    static quint8 stepValue(int duty);

    // The one-step image of the current duties. rowAddresses holds the device rows' addresses
    // (-1: no device); grid row r goes with device row r. Rows whose device is -1 emit nothing
    // and skip the twelve duties of that device; grid rows without a device row emit nothing.
    // Each pixel (a non-zero map cell, in column order) emits the next duty; duties past the
    // end of the vector read 0.
    static QByteArray live(const QList<int> &rowAddresses, int rows, int cols,
                           const QVector<QVector<quint8>> &pixelMap, const QVector<int> &duties);
};
