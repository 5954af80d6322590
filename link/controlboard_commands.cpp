// Conveniences of ControlBoard for particular firmware commands. Each builds its command text
// and goes through send(), setValue() or getValue().

#include "controlboard.h"

#include "variable.h"

namespace
{

QByteArray latin1(const QString &text)
{
    return text.toLatin1();
}

// A value as setVariables writes it: integers in decimal, reals in the general format with 6
// significant digits, strings as their text.
QByteArray variableText(const Variable &variable)
{
    switch (variable.type()) {
    case Variable::TypeInteger:
        return QByteArray::number(qint64(variable.value()));
    case Variable::TypeString:
        return variable.text();
    default:
        return QByteArray::number(variable.value(), 'g', 6);
    }
}

// Writes a value read from the board into a variable with the internal key; false when the
// text is no number for a numeric variable (nothing is written then).
bool storeVariable(Variable *variable, const QByteArray &value)
{
    bool ok = false;
    switch (variable->type()) {
    case Variable::TypeString:
        return variable->setValue(value, Variable::InternalKey);
    case Variable::TypeInteger: {
        const int number = value.trimmed().toInt(&ok);
        return ok && variable->setValue(number, Variable::InternalKey);
    }
    default: {
        const double number = value.trimmed().toDouble(&ok);
        return ok && variable->setValue(number, Variable::InternalKey);
    }
    }
}

QByteArray withoutLineEnds(QByteArray text)
{
    text.replace('\n', QByteArray());
    text.replace('\r', QByteArray());
    return text;
}

} // namespace

bool ControlBoard::setVariables(const QList<Variable *> &variables)
{
    if (variables.isEmpty())
        return false;
    QByteArray line = "set ";
    for (const Variable *variable : variables)
        line += latin1(variable->name()) + '=' + variableText(*variable) + ' ';
    QByteArray answer;
    if (!send(line, &answer))
        return false;
    for (const Variable *variable : variables) {
        if (!answer.contains(latin1(variable->name())))
            return false;
    }
    return true;
}

bool ControlBoard::getVariables(const QList<Variable *> &variables)
{
    if (variables.isEmpty())
        return false;
    QByteArray line = "get ";
    for (const Variable *variable : variables)
        line += latin1(variable->name()) + ' ';
    QByteArray answer;
    if (!send(line, &answer))
        return false;
    answer = withoutLineEnds(answer);
    bool allFound = true;
    for (Variable *variable : variables) {
        QByteArray value;
        if (!parseAnswer(answer, variable->name(), &value) || !storeVariable(variable, value))
            allFound = false;
    }
    return allFound;
}

void ControlBoard::setPinName(const char *name)
{
    m_pinName = QString::fromLatin1(name);
}

bool ControlBoard::writePin(int value)
{
    if (!m_pinName.startsWith(QLatin1String("DIO")))
        return false;
    QByteArray answer;
    return send("set " + latin1(m_pinName) + '=' + QByteArray::number(value) + '\n', &answer);
}

void ControlBoard::writePinBytes(const QByteArray &bytes)
{
    if (!m_pinName.startsWith(QLatin1String("DIO")))
        return;
    QByteArray line = "set ";
    for (char byte : bytes)
        line += latin1(m_pinName) + '=' + byte + ' ';
    QByteArray answer;
    send(line, &answer);
}

int ControlBoard::readPin()
{
    if (m_pinName.startsWith(QLatin1String("DIO")) || m_pinName.startsWith(QLatin1String("AIN"))) {
        QByteArray answer;
        send("get " + latin1(m_pinName), &answer);
    }
    return 0;
}

double ControlBoard::readVoltage(const char *name)
{
    int raw = 0;
    getValue(name, &raw);
    return raw / 2048.0 * m_referenceVoltage;
}

bool ControlBoard::setAnalogReference(int flags)
{
    QByteArray answer;
    if (flags & 2)
        return send("set AINCONF=1\n", &answer);
    if (flags & 1) {
        const bool ok = send("set AINCONF=0\n", &answer);
        m_referenceVoltage = 1.0;
        return ok;
    }
    return false;
}

bool ControlBoard::swspiTransfer(const QString &a, const QString &b, const QString &c, int mode,
                                 int bits, int delay, const QByteArray &data)
{
    const QString text = QString::asprintf("%s,%s,%s,%1d,%04d,%04d,", qPrintable(a), qPrintable(b),
                                           qPrintable(c), mode, bits, delay);
    return setValue(QStringLiteral("swspi"), text.toLatin1() + data.toHex());
}

bool ControlBoard::readSwspi(QByteArray *data)
{
    QByteArray value;
    const bool ok = getValue(QStringLiteral("swspi"), &value);
    if (ok && data)
        *data = QByteArray::fromHex(value);
    return ok;
}

bool ControlBoard::setGenClock(const QString &pin, int frequency, int mode, int duty)
{
    const QString text =
        QString::asprintf("%s,%04d,%1d,%02d", qPrintable(pin), frequency, mode, duty);
    return setValue(QStringLiteral("genclk"), text.toLatin1());
}

bool ControlBoard::setDioSequence2(const QString &name, int count, int value, const QString &unit)
{
    QByteArray text = latin1(name);
    text += unit == QLatin1String("ms") ? ",1," : ",0,";
    const QByteArray step = QString::asprintf("%2x", unsigned(value)).toLatin1();
    for (int i = 0; i < count; ++i)
        text += step;
    return setValue(QStringLiteral("DIOSEQ2"), text);
}

bool ControlBoard::setDioSequence52(int /*channel*/, const QString &name, int first, int second,
                                    QByteArray *answer)
{
    const QString text = QString::asprintf("%s,%04d,%04d", qPrintable(name), first, second);
    if (!setValue(QStringLiteral("DIOSEQ52"), text.toLatin1()))
        return false;
    QByteArray reply;
    if (!send("get DIOSEQ52", &reply))
        return false;
    if (answer)
        *answer = reply;
    return true;
}

bool ControlBoard::dioSequence9(const QString &a, const QString &b, int first, int second,
                                int count, QList<int> *out)
{
    const QString text = QString::asprintf("%s,%s,%02d,%02d,%04d", qPrintable(a), qPrintable(b),
                                           first, second, count);
    setValue(QStringLiteral("DIOSEQ9"), text.toLatin1());
    QByteArray value;
    const bool ok = getValue(QStringLiteral("DIOSEQ9"), &value);
    const QByteArray bytes = QByteArray::fromHex(value);
    if (ok && out && bytes.size() == count && !bytes.isEmpty())
        out->append(quint8(bytes.at(0)));
    return ok;
}

bool ControlBoard::scanChain(const QString &a, const QString &b, const QString &c, char mode, int n,
                             const QByteArray &data, QByteArray *out)
{
    const bool read = mode == 'r';
    QString text =
        QString::asprintf("%s,%s,%s,%04d,", qPrintable(a), qPrintable(b), qPrintable(c), n);
    text += read ? QStringLiteral("read") : QString::fromLatin1(data.toHex());
    setValue(QStringLiteral("scanchain"), text.toLatin1());
    if (!out)
        return !read;
    QByteArray value;
    const bool ok = getValue(QStringLiteral("scanchain"), &value);
    if (ok)
        *out = QByteArray::fromHex(value);
    return ok;
}

bool ControlBoard::transferBlocks(const QString &name, const QByteArray &data, int timeoutMs,
                                  QByteArray *out1, QByteArray *out2, QByteArray *out3,
                                  QByteArray *out4, QByteArray *out5)
{
    QByteArray *outputs[] = {out1, out2, out3, out4, out5};
    QByteArray answer;
    if (!send("set " + latin1(name) + '=' + data, &answer, timeoutMs))
        return false;
    int count = 0;
    while (count < 5 && outputs[count])
        ++count;
    if (count == 0)
        return false;
    for (int i = 0; i < count; ++i) {
        if (!send("get " + latin1(name) + '=' + QByteArray::number(i + 1), &answer, timeoutMs))
            return false;
        if (!parseAnswerHex(withoutLineEnds(answer), name, outputs[i]))
            return false;
    }
    return true;
}

bool ControlBoard::flushPending(QByteArray &pending, bool flush)
{
    if (!flush)
        return flush;
    QByteArray answer;
    const bool ok = send(pending, &answer);
    pending = "set ";
    return ok;
}

bool ControlBoard::appendSet(const QString &name, int value, bool flush)
{
    m_pendingSet += latin1(name) + '=' + QByteArray::number(value) + ' ';
    return flushPending(m_pendingSet, flush);
}

bool ControlBoard::appendSetDirection(const QString &name, int value, bool flush)
{
    m_pendingSetDirection += latin1(name) + "DIR=" + QByteArray::number(value) + ' ';
    return flushPending(m_pendingSetDirection, flush);
}
