#include "scriptimage.h"

#include "csvreader.h"

namespace
{

constexpr int MaxByteField = 255;

// The twelve switch values of one device in one step row.
QByteArray deviceValues(const QStringList &row, int device)
{
    QByteArray values(ScriptImage::SwitchesPerDevice, '\0');
    const int first = 1 + device * ScriptImage::SwitchesPerDevice;
    for (int k = 0; k < ScriptImage::SwitchesPerDevice; ++k) {
        const int value = ScriptImage::cellNumber(row.value(first + k));
        values[k] = char(qBound(0, value, ScriptImage::MaxSwitchValue));
    }
    return values;
}

QString refusal(const CSVReader &script, QList<int> *addresses)
{
    if (script.steps.size() > MaxByteField)
        return QStringLiteral("more than 255 steps");
    if (script.addresses.size() < script.deviceCount)
        return QStringLiteral("fewer addresses than devices");
    for (int d = 0; d < script.deviceCount; ++d) {
        const int address = ScriptImage::cellNumber(script.addresses.at(d));
        if (address < 0 || address > MaxByteField)
            return QStringLiteral("address outside 0..255");
        addresses->append(address);
    }
    return QString();
}

} // namespace

bool ScriptImage::build(const CSVReader &script, QByteArray *image, QString *reason)
{
    QList<int> addresses;
    *reason = refusal(script, &addresses);
    if (!reason->isEmpty())
        return false;
    QByteArray body;
    QList<QByteArray> previous;
    for (const QStringList &row : script.steps) {
        QList<QByteArray> current;
        for (int d = 0; d < script.deviceCount; ++d) {
            current.append(deviceValues(row, d));
            const bool repeats = !previous.isEmpty() && previous.at(d) == current.at(d);
            body.append(repeats ? QByteArray(1, RepeatMarker) : current.at(d));
        }
        previous = current;
    }
    *image = AnimationImage::frame(script.delay, addresses, quint8(script.steps.size()), body);
    return true;
}

QByteArray ScriptImage::hex(quint32 value, int digits)
{
    return QByteArray::number(value, 16).rightJustified(digits, '0');
}

int ScriptImage::cellNumber(const QString &cell)
{
    return cell.trimmed().toInt();
}
