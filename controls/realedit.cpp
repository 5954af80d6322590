#include "realedit.h"

#include "engineeringformat.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QWheelEvent>

#include <limits>

namespace CustomControls
{

namespace
{
constexpr int WheelNotch = 120;
const char BlueStyle[] = "color:blue;";
const char RedStyle[] = "color:red;";

// The digits-letter-digits form ("4k7", "4M7", "2k"), searched anywhere in the text.
const QRegularExpression &compactForm()
{
    static const QRegularExpression expression("([0-9]*\\.)?([0-9]+)?[GMkmunp]{1}([0-9]+)?");
    return expression;
}

// The whole text in the digits-letter-digits form with an optional sign and at least one
// digit: what counts as a number in that form. Further prefix letters after it only choose
// the factor ("1k5m" reads 0.0015).
bool isWholeCompactForm(const QString &text)
{
    static const QRegularExpression whole(
        "^\\s*[+-]?([0-9]*\\.)?([0-9]+)?[GMkmunp]([0-9]+)?[GMkmunp]*\\s*$");
    return whole.match(text).hasMatch() && text.contains(QRegularExpression("[0-9]"));
}
} // namespace

int RealEdit::s_wheelAccumulator = 0;

RealEdit::RealEdit(QWidget *parent) : QLineEdit(parent)
{
    setFocusPolicy(Qt::WheelFocus);
    m_hasFocus = false;
    connect(this, SIGNAL(textChanged(QString)), this, SLOT(slot_TextChanged()));
    connect(this, SIGNAL(returnPressed()), this, SLOT(slot_triggered()));
    connect(this, SIGNAL(editingFinished()), this, SLOT(slot_triggered()));
    setPrecision(2);
    setType(RealEditControl);
    m_engineering = true;
}

bool RealEdit::isWritable() const
{
    return !isReadOnly();
}

void RealEdit::setWritable(bool writable)
{
    setReadOnly(!writable);
}

// No edit mark comes and goes while the value is shown (each mark restyles the field).
void RealEdit::setValue(double value)
{
    {
        const QScopedValueRollback<bool> showing(m_showingValue, true);
        setText(formatForDisplay(value));
    }
    clearEdited();
    m_savedValue = value;
}

double RealEdit::value()
{
    return parseValue(QLineEdit::text());
}

QString RealEdit::registerName(int part)
{
    return resolveBindingName(this, part);
}

bool RealEdit::connectChanged(const char *slot, QObject *receiver)
{
    return connectChangeSignal(this, SIGNAL(signal_activated()), slot, receiver);
}

bool RealEdit::disconnectChanged()
{
    return disconnectChangeSignal(this, SIGNAL(signal_activated()));
}

void RealEdit::setToolTip(const QString &tip)
{
    QLineEdit::setToolTip(tip);
}

QString RealEdit::toolTip() const
{
    return QLineEdit::toolTip();
}

void RealEdit::applyDescription()
{
    static const QRegularExpression prefixLetters("[GMkmunp]");
    const QString description = QLineEdit::text();
    if (description.contains(prefixLetters)) {
        m_engineering = true;
        return;
    }
    if (!m_engineering)
        setPrecisionFromText(description);
}

void RealEdit::setPrecision(int precision)
{
    m_precision = qBound(0, precision, MaxPrecision);
    m_step = 1.0;
    for (int i = 0; i < m_precision; ++i)
        m_step /= 10;
    setValue(value());
}

int RealEdit::prefixIndex(const QString &text)
{
    return EngineeringFormat::prefixIndexOfText(text);
}

double RealEdit::parseValue(const QString &text, bool *ok)
{
    bool valid = false;
    double result = 0.0;
    m_prefixIndex = prefixIndex(text);
    const QChar letter = EngineeringFormat::letter(m_prefixIndex);
    const double factor = EngineeringFormat::factor(m_prefixIndex);

    if (!text.contains(letter)) {
        result = text.toDouble(&valid);
        if (!valid)
            result = 0.0;
    } else if (text.contains('.') && text.endsWith(letter)) {
        QString number = text;
        number.remove(letter);
        result = number.toDouble(&valid) * factor;
        if (!valid)
            result = 0.0;
    } else {
        const QRegularExpressionMatch match = compactForm().match(text);
        if (match.hasMatch()) {
            const double leading = match.captured(2).toDouble();
            QString trailing = match.captured(3);
            while (trailing.size() < 3)
                trailing.append('0');
            result = (leading + trailing.toDouble() / 1000.0) * factor;
            // A sign before the digits belongs to the number: "-4k7" is -4700.
            if (match.capturedStart() > 0 && text.at(match.capturedStart() - 1) == '-')
                result = -result;
            valid = isWholeCompactForm(text);
        }
    }
    if (ok)
        *ok = valid;
    return result;
}

QString RealEdit::formatValue(double value, int precision)
{
    m_prefixIndex = EngineeringFormat::prefixIndexOfValue(value);
    QString text =
        QString::number(value / EngineeringFormat::factor(m_prefixIndex), 'f', precision);
    if (m_prefixIndex != EngineeringFormat::NoPrefix)
        text.append(EngineeringFormat::letter(m_prefixIndex));
    return text;
}

QString RealEdit::formatForDisplay(double value)
{
    return m_engineering ? formatValue(value, m_precision)
                         : QString::number(value, 'f', m_precision);
}

void RealEdit::setEdited()
{
    m_edited = true;
    setStyleSheet(BlueStyle);
}

void RealEdit::clearEdited()
{
    if (!m_edited)
        return;
    setStyleSheet(QString());
    m_edited = false;
}

void RealEdit::markInvalid()
{
    setStyleSheet(RedStyle);
}

void RealEdit::setPrecisionFromText(const QString &text)
{
    const int point = int(text.indexOf('.'));
    setPrecision(int(text.size()) - point - 1);
}

void RealEdit::slot_TextChanged()
{
    // The saved value is the value shown when the widget was last unmarked (setValue or a
    // commit), so Escape returns to the value before the edit began. A read-only field
    // cannot be edited: a text its page gives it is no edit.
    if (!m_showingValue && !isReadOnly())
        setEdited();
}

void RealEdit::slot_triggered()
{
    if (!m_edited)
        return;
    bool ok = false;
    const double parsed = parseValue(QLineEdit::text(), &ok);
    if (!ok) {
        markInvalid();
        return;
    }
    emit signal_activated();
    if (!m_engineering)
        setPrecisionFromText(QLineEdit::text());
    clearEdited();
    m_savedValue = parsed;
}

void RealEdit::slot_CustomPrecision()
{
    bool accepted = false;
    const int answer = QInputDialog::getInt(this, QString(), "Precision", m_precision,
                                            std::numeric_limits<int>::min(),
                                            std::numeric_limits<int>::max(), 1, &accepted);
    setPrecision(accepted ? answer : m_precision);
}

void RealEdit::keyPressEvent(QKeyEvent *event)
{
    QLineEdit::keyPressEvent(event);
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down: {
        bool ok = false;
        const double current = parseValue(QLineEdit::text(), &ok);
        if (ok)
            setValue(current + (event->key() == Qt::Key_Up ? m_step : -m_step));
        break;
    }
    case Qt::Key_Escape:
        if (m_edited)
            setValue(m_savedValue);
        break;
    default:
        break;
    }
}

void RealEdit::wheelEvent(QWheelEvent *event)
{
    if (isReadOnly() || !m_hasFocus) {
        event->ignore(); // the parent may scroll instead
        return;
    }
    const QPoint angle = event->angleDelta();
    s_wheelAccumulator += angle.y() != 0 ? angle.y() : angle.x();
    event->accept();
    if (s_wheelAccumulator > -WheelNotch && s_wheelAccumulator < WheelNotch)
        return;
    const int notches = s_wheelAccumulator / WheelNotch;
    s_wheelAccumulator %= WheelNotch;

    bool ok = false;
    const double current = parseValue(QLineEdit::text(), &ok);
    if (!ok)
        return;
    double unit = EngineeringFormat::factor(m_prefixIndex);
    double change = 0.0;
    if (event->modifiers() == Qt::ShiftModifier) {
        change = notches * unit;
    } else {
        // 1.00k steps down to 999.99, not 990: below the prefix's own unit take the next
        // smaller prefix (there is none below the last entry).
        if (current == unit && notches < 0 && m_prefixIndex + 1 < EngineeringFormat::PrefixCount)
            unit = EngineeringFormat::factor(m_prefixIndex + 1);
        change = notches * m_step * unit;
    }
    const double saved = m_edited ? m_savedValue : current;
    setValue(current + change);
    m_savedValue = saved;
    setEdited();
}

void RealEdit::focusInEvent(QFocusEvent *event)
{
    m_hasFocus = true;
    QLineEdit::focusInEvent(event);
}

void RealEdit::focusOutEvent(QFocusEvent *event)
{
    m_hasFocus = false;
    QLineEdit::focusOutEvent(event);
}

// The menu is made on first use: a form has many fields, few of which ever show it.
void RealEdit::contextMenuEvent(QContextMenuEvent *event)
{
    if (!m_menu) {
        m_menu = new QMenu(this);
        m_actionGroup = new QActionGroup(this);
    }
    m_menu->exec(event->globalPos());
}

void RealEdit::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    if (isConnected())
        handleScriptDragPress(event, ScriptSet | ScriptGet);
}

void RealEdit::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    if (isConnected())
        paintScriptTint(this);
}

} // namespace CustomControls
