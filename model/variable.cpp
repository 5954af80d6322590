#include "variable.h"

#include "bytetext.h"
#include "definitiontoken.h"
#include "translationtable.h"

#include <QStringList>

#include <cmath>
#include <limits>

namespace
{

// Truncates toward zero into the signed 32-bit range: saturating, NaN gives 0.
qint32 saturatedInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(std::numeric_limits<qint32>::max()))
        return std::numeric_limits<qint32>::max();
    if (value <= double(std::numeric_limits<qint32>::min()))
        return std::numeric_limits<qint32>::min();
    return qint32(value);
}

double numberOrZero(const QString &text)
{
    bool ok = false;
    const double number = text.toDouble(&ok);
    return ok ? number : 0.0;
}

} // namespace

Variable::Variable() = default;

Variable::Variable(double value, const QString &name, const QString &description, double min,
                   double max)
    : m_description(description), m_name(name), m_value(value), m_min(min), m_max(max),
      m_type(TypeReal)
{
}

Variable::Variable(int value, const QString &name, const QString &description, double min,
                   double max)
    : m_description(description), m_name(name), m_value(value), m_min(min), m_max(max),
      m_type(TypeInteger)
{
}

Variable::Variable(const QString &definition)
{
    parse(definition);
}

Variable::Variable(const Variable &other) : QObject()
{
    *this = other;
}

Variable::~Variable() = default;

void Variable::reset()
{
    m_value = 0.0;
    m_min = -std::numeric_limits<double>::max();
    m_max = std::numeric_limits<double>::max();
    m_name.clear();
    m_type = TypeNone;
    m_declaredWhole = false;
    m_readOnly = false;
    m_translation.reset();
    m_updateMode = UpdateOnChange;
}

bool Variable::holdsWholeNumbers() const
{
    return m_type == TypeInteger || (m_type == TypeReal && m_declaredWhole);
}

void Variable::setRange(double min, double max)
{
    m_min = min;
    m_max = max;
}

void Variable::announce(bool changed)
{
    if (m_updateMode == UpdateEveryWrite || (m_updateMode == UpdateOnChange && changed))
        emit signal_updateSet(m_name);
}

bool Variable::setValue(double value, int key)
{
    if (m_type == TypeNone)
        m_type = TypeReal;
    if (m_readOnly && key != InternalKey) {
        announce(false);
        return false;
    }
    // Written as a negated "inside" test so that NaN is refused too.
    if (!(value >= m_min && value <= m_max)) {
        announce(false);
        return false;
    }
    const double old = m_value;
    m_value = value;
    announce(std::isnan(old) || old != value);
    return true;
}

bool Variable::setValue(int value, int key)
{
    if (m_type == TypeNone)
        m_type = TypeInteger;
    return setValue(double(value), key);
}

bool Variable::setValue(const QByteArray &bytes, int key)
{
    if (m_type == TypeNone)
        m_type = TypeString;
    if (m_readOnly && key != InternalKey) {
        announce(false);
        return false;
    }
    const bool changed = bytes != m_text;
    m_text = bytes;
    announce(changed);
    return true;
}

Variable &Variable::operator=(const Variable &other)
{
    m_description = other.m_description;
    m_max = other.m_max;
    m_readOnly = other.m_readOnly;
    m_min = other.m_min;
    m_type = other.m_type;
    m_declaredWhole = other.m_declaredWhole;
    m_value = other.m_value;
    m_text = other.m_text;
    emit signal_updateSet(m_name);
    return *this;
}

Variable &Variable::operator=(int value)
{
    if (m_type != TypeString)
        setValue(value, InternalKey);
    return *this;
}

Variable &Variable::operator=(double value)
{
    if (m_type != TypeString)
        setValue(value, InternalKey);
    return *this;
}

Variable &Variable::operator=(const QByteArray &bytes)
{
    if (m_type == TypeString)
        setValue(bytes, InternalKey);
    return *this;
}

Variable &Variable::applyArithmetic(double result)
{
    setValue(result, InternalKey);
    return *this;
}

Variable &Variable::operator+=(double operand)
{
    return applyArithmetic(m_value + operand);
}

Variable &Variable::operator-=(double operand)
{
    return applyArithmetic(m_value - operand);
}

Variable &Variable::operator*=(double operand)
{
    return applyArithmetic(m_value * operand);
}

Variable &Variable::operator/=(double operand)
{
    return applyArithmetic(m_value / operand);
}

Variable &Variable::operator+=(const Variable &operand)
{
    return *this += operand.m_value;
}

Variable &Variable::operator-=(const Variable &operand)
{
    return *this -= operand.m_value;
}

Variable &Variable::operator*=(const Variable &operand)
{
    return *this *= operand.m_value;
}

Variable &Variable::operator/=(const Variable &operand)
{
    return *this /= operand.m_value;
}

bool Variable::operator==(double operand) const
{
    return m_value == operand;
}

bool Variable::operator==(const Variable &operand) const
{
    return m_value == operand.m_value;
}

bool Variable::operator!=(double operand) const
{
    return !(*this == operand);
}

bool Variable::operator!=(const Variable &operand) const
{
    return !(*this == operand);
}

bool Variable::operator<(double operand) const
{
    return m_value < operand;
}

bool Variable::operator>(double operand) const
{
    return m_value > operand;
}

QString Variable::toTypedText(const Variable &variable)
{
    switch (variable.m_type) {
    case TypeInteger:
        return QStringLiteral("i%1").arg(saturatedInt32(variable.m_value));
    case TypeReal:
        return QStringLiteral("f%1").arg(QString::number(variable.m_value, 'E', 6));
    case TypeString:
        return QStringLiteral("s%1").arg(latin1UpToZero(variable.m_text));
    default:
        return QString();
    }
}

Variable Variable::fromTypedText(const QString &text)
{
    Variable result;
    if (text.size() < 2)
        return result;
    const QString valueText = text.mid(1);
    switch (text.at(0).unicode()) {
    case 'i': {
        result.m_type = TypeInteger;
        bool ok = false;
        const int number = valueText.toInt(&ok, 10);
        result.setValue(ok ? double(number) : 0.0, InternalKey);
        break;
    }
    case 'f':
        result.m_type = TypeReal;
        result.setValue(numberOrZero(valueText), InternalKey);
        break;
    case 's':
        result.m_type = TypeString;
        result.setValue(valueText.toLatin1(), InternalKey);
        break;
    default:
        break;
    }
    return result;
}

bool Variable::connectTo(QObject *receiver, const char *setSlot, const char *getSlot)
{
    connect(this, SIGNAL(signal_updateSet(QString)), receiver, setSlot);
    return bool(connect(this, SIGNAL(signal_updateGet(QString)), receiver, getSlot));
}

void Variable::parse(const QString &definition)
{
    const QList<DefinitionToken> tokens = DefinitionToken::split(definition.trimmed());
    for (const DefinitionToken &token : tokens)
        applyDefinitionItem(token.key, token.value);
}

void Variable::applyDefinitionItem(const QString &key, const QString &value)
{
    if (key == QLatin1String("variable") || key == QLatin1String("name")) {
        m_name = value;
        m_type = TypeReal;
    } else if (key == QLatin1String("value")) {
        bool isNumber = false;
        const double number = value.toDouble(&isNumber);
        if (isNumber) {
            m_value = number;
            m_type = TypeReal;
        } else {
            m_type = TypeString;
            m_text = value.toLatin1();
        }
    } else if (key == QLatin1String("type")) {
        if (value == QLatin1String("bit") || value == QLatin1String("integer"))
            m_type = TypeInteger;
        else if (value == QLatin1String("real"))
            m_type = TypeReal;
        else if (value == QLatin1String("string") || value == QLatin1String("array"))
            m_type = TypeString;
        else
            return; // an unknown word changes nothing
        m_declaredWhole = m_type == TypeInteger;
    } else if (key == QLatin1String("descr")) {
        m_description = value;
    } else if (key == QLatin1String("min")) {
        m_min = numberOrZero(value);
    } else if (key == QLatin1String("max")) {
        m_max = numberOrZero(value);
    } else if (key == QLatin1String("readonly")) {
        m_readOnly = value.isEmpty() || value.toInt(nullptr, 10) != 0;
    } else if (key == QLatin1String("tr")) {
        setTranslation(TranslationTable(value));
    } else {
        m_attributes.insert(key, value);
    }
}

void Variable::setTranslation(const TranslationTable &table)
{
    if (!m_translation)
        m_translation = std::make_unique<TranslationTable>(table);
}

Variable Variable::translated() const
{
    if (!m_translation)
        return Variable();
    return m_translation->lookup(TranslationTable::StoredToTranslated, *this);
}

QString Variable::translatedText() const
{
    return latin1UpToZero(translated().text());
}

bool Variable::setTranslatedValue(const Variable &translatedValue)
{
    if (!m_translation)
        return false;
    const Variable stored =
        m_translation->lookup(TranslationTable::TranslatedToStored, translatedValue);
    setValue(stored.value(), InternalKey);
    return true;
}

bool Variable::setTranslatedText(const QByteArray &bytes)
{
    Variable translatedValue;
    translatedValue.setValue(bytes, InternalKey);
    return setTranslatedValue(translatedValue);
}

bool Variable::setTranslatedText(const QString &text)
{
    return setTranslatedText(text.toLatin1());
}
