#include "itemvalue.h"

#include "binding.h"
#include "register.h"
#include "universalcontrol.h"
#include "variable.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

// A whole number in the range that a 32-bit register value can come from: signed values wrap
// to their two's complement, anything wider is refused.
bool fitsRegister(double v)
{
    return std::isfinite(v) && v >= double(std::numeric_limits<qint32>::min()) &&
           v <= double(std::numeric_limits<quint32>::max());
}

QString numberText(double v)
{
    return QString::number(v, 'g', 15);
}

} // namespace

bool ItemValue::toRegisterValue(const QVariant &value, quint32 *out)
{
    bool ok = false;
    double number = 0;
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Long:
    case QMetaType::LongLong: {
        const qint64 v = value.toLongLong(&ok);
        if (!ok || !fitsRegister(double(v)))
            return false;
        *out = quint32(v);
        return true;
    }
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const quint64 v = value.toULongLong(&ok);
        if (!ok || v > std::numeric_limits<quint32>::max())
            return false;
        *out = quint32(v);
        return true;
    }
    case QMetaType::Double:
    case QMetaType::Float:
        number = value.toDouble(&ok);
        break;
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        const qint64 v = text.toLongLong(&ok);
        number = ok ? double(v) : double(text.toULongLong(&ok));
        break;
    }
    default:
        return false;
    }
    if (!ok || !fitsRegister(number))
        return false;
    *out = quint32(qint64(std::llround(number)));
    return true;
}

bool ItemValue::toVariableNumber(const QVariant &value, double *out)
{
    bool ok = false;
    switch (value.typeId()) {
    case QMetaType::QByteArray:
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash:
        return false;
    case QMetaType::QString:
        *out = value.toString().trimmed().toDouble(&ok);
        return ok;
    default:
        *out = value.toDouble(&ok);
        return ok;
    }
}

bool ItemValue::toVariableBytes(const QVariant &value, QByteArray *out)
{
    switch (value.typeId()) {
    case QMetaType::QByteArray:
        *out = value.toByteArray();
        return true;
    case QMetaType::QString:
        *out = value.toString().toLatin1();
        return true;
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
        return false;
    default: {
        QVariant copy = value;
        if (!copy.convert(QMetaType::fromType<QByteArray>()))
            return false;
        *out = copy.toByteArray();
        return true;
    }
    }
}

// The number is judged as given: a real that only rounds to a whole number (2.5, 1e-320) is
// no whole number, and neither is one outside the range, where a write would wrap or clip it.
bool ItemValue::fits(const Binding &b, const QString &name, const QVariant &value, QString *why)
{
    double min = 0, max = 0;
    bool whole = true;
    if (!numberRange(b, name, &min, &max, &whole))
        return true;
    double number = 0;
    if (toVariableNumber(value, &number) && (!whole || std::floor(number) == number) &&
        number >= min && number <= max)
        return true;
    if (why)
        *why = QStringLiteral("takes a %1 from %2 to %3")
                   .arg(whole ? QStringLiteral("whole number") : QStringLiteral("number"),
                        numberText(min), numberText(max));
    return false;
}

QString ItemValue::refusal(const Binding &b, const QString &name, const QVariant &value, int key)
{
    QString why;
    if (!fits(b, name, value, &why))
        return why;
    if (b.isRegister()) {
        quint32 number = 0;
        return toRegisterValue(value, &number) ? QStringLiteral("names no field of its register")
                                               : QStringLiteral("takes a whole number");
    }
    const Variable &variable = *b.variable;
    if (variable.isReadOnly() && key != Variable::InternalKey)
        return QStringLiteral("is read-only");
    if (variable.type() == Variable::TypeString) {
        QByteArray bytes;
        return toVariableBytes(value, &bytes) ? QString() : QStringLiteral("takes a text");
    }
    double number = 0;
    if (toVariableNumber(value, &number) && number >= variable.min() && number <= variable.max())
        return QString();
    return QStringLiteral("takes a number from %1 to %2")
        .arg(numberText(variable.min()), numberText(variable.max()));
}

// The range of an integer item: the bits a register expression selects (all 32 value bits
// when it selects more) or a variable of whole numbers. Such a variable that a real-number edit
// shows takes what a person may type there, any number in its range (*whole false).
bool ItemValue::numberRange(const Binding &b, const QString &name, double *min, double *max,
                            bool *whole)
{
    if (!b.isRegister()) {
        if (!b.variable->holdsWholeNumbers())
            return false;
        *min = b.variable->min();
        *max = b.variable->max();
        *whole = std::none_of(b.widgets.cbegin(), b.widgets.cend(), [](const auto *widget) {
            return widget->type() == CustomControls::UniversalControl::RealEditControl;
        });
        return true;
    }
    QList<int> bits;
    if (!b.reg->fieldBits(name, &bits) || bits.isEmpty())
        return false;
    *min = 0;
    *max = bits.size() >= 32 ? double(std::numeric_limits<quint32>::max())
                             : double((quint64(1) << bits.size()) - 1);
    return true;
}
