// The configuration text of Applet: one line "name:value" per bound item, in binding order.
#include "applet.h"

#include "bytetext.h"
#include "register.h"
#include "variable.h"

#include <QLocale>

namespace
{

// Six decimals where they hold the value exactly enough to read it back; otherwise the
// shortest text that reads back to the same number (4.7e-09 would be 0.000000).
QByteArray variableText(double value)
{
    const QByteArray fixed = QByteArray::number(value, 'f', 6);
    if (fixed.toDouble() == value)
        return fixed;
    return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

// A register value of a configuration line: "0x" and hexadecimal digits, or decimal digits.
bool readRegisterNumber(const QByteArray &text, quint32 *out)
{
    bool ok = false;
    *out = text.startsWith("0x") ? text.mid(2).toUInt(&ok, 16) : text.toUInt(&ok, 10);
    return ok;
}

} // namespace

QByteArray Applet::saveConfig()
{
    QByteArray text;
    for (const QString &name : std::as_const(bindingOrder)) {
        text += name.toLatin1();
        text += ':';
        text += configValue(bindings.value(name));
        text += '\n';
    }
    return text;
}

QByteArray Applet::configValue(const Binding *b) const
{
    if (!b->isRegister())
        return variableText(b->variable->value());
    if (b->reg->isReadOnly())
        return QByteArray();
    return "0b" + b->reg->toBitString(true);
}

bool Applet::loadConfig(const QByteArray &text)
{
    const QList<QByteArray> lines = text.split('\n');
    for (const QByteArray &line : lines)
        loadConfigLine(line);
    slot_updateAllControls();
    return true;
}

void Applet::loadConfigLine(const QByteArray &line)
{
    const QList<QByteArray> parts = line.split(':');
    if (parts.size() != 2)
        return;
    const QByteArray name = bytesUpToZero(parts.at(0));
    const Binding *b = binding(QString::fromLatin1(name.trimmed()));
    // An empty value (what a read-only register is saved as) and unreadable numbers write
    // nothing; a value given for a read-only register is loaded like any other.
    const QByteArray value = parts.at(1).trimmed();
    if (!b || value.isEmpty())
        return;

    if (!b->isRegister()) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (ok)
            b->variable->setValue(number, Variable::InternalKey);
        return;
    }
    if (value.startsWith("0b")) {
        b->reg->setFromBitString(value.mid(2), true);
        return;
    }
    quint32 number = 0;
    if (readRegisterNumber(value, &number))
        b->reg->setValue(number, true);
}
