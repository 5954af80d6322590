#pragma once

#include "animationimage.h"

#include <QByteArray>
#include <QString>

class CSVReader;

// The flash image of a CSV animation script: "START", the delay, the device count, the step
// count, one address byte per device, then per step and device either the device's twelve
// switch values or, when they equal those of the step before, the repeat marker 0xFF, and
// "END". Every field is one byte, so a script that does not fit is refused.
class ScriptImage
{
public:
    static constexpr int BlockSize = AnimationImage::BlockSize;
    static constexpr int MaxPaddedSize = 510 * BlockSize;
    static constexpr int SwitchesPerDevice = AnimationImage::SwitchesPerDevice;
    static constexpr int MaxSwitchValue = AnimationImage::StepScale;
    static constexpr char RepeatMarker = char(0xFF);

    // The image of script, unpadded. False, with the reason in *reason, when the script has
    // more than 255 steps, fewer addresses than devices, or an address outside 0..255. Switch
    // values are clamped to 0..200 and missing or unreadable cells read 0.
    static bool build(const CSVReader &script, QByteArray *image, QString *reason);
    // image followed by zero bytes up to the next multiple of the block size.
    static QByteArray padded(const QByteArray &image) { return AnimationImage::padded(image); }
    // value as lower-case hexadecimal, zero-padded to digits.
    static QByteArray hex(quint32 value, int digits);
    // A cell as a decimal number, blanks and line ends around it ignored; 0 when it is none.
    static int cellNumber(const QString &cell);
};
