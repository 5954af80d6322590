#include "lineedit.h"

#include "bytetext.h"
#include "scriptdrag.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScopedValueRollback>
#include <QWheelEvent>

#include <cstdlib>

namespace CustomControls
{

namespace
{
const char *const EditedStyle = "color:blue;";
const char *const InvalidStyle = "color:red";
const int WheelNotch = 120;

// Wheel deltas below one notch are collected across all line edits.
int wheelAccumulator = 0;

struct Prefix {
    const char *text;
    int base;
};
const Prefix basePrefixes[] = {{"0x", 16}, {"0b", 2}, {"0d", 10}};
} // namespace

LineEdit::LineEdit(QWidget *parent) : QLineEdit(parent)
{
    setType(LineEditControl);
    setFocusPolicy(Qt::WheelFocus);

    connect(this, &QLineEdit::textChanged, this, &LineEdit::slot_TextChanged);
    connect(this, &QLineEdit::returnPressed, this, &LineEdit::slot_triggered);
    connect(this, &QLineEdit::editingFinished, this, &LineEdit::slot_triggered);
}

// Made on first use: a form has a great many line edits, few of which ever show their menu.
QMenu *LineEdit::modeMenu()
{
    if (m_menu)
        return m_menu;
    m_menu = new QMenu(this);
    m_modeGroup = new QActionGroup(this);
    m_modeGroup->setExclusive(true);
    auto addMode = [this](const QString &name) {
        QAction *action = m_menu->addAction(name);
        action->setCheckable(true);
        m_modeGroup->addAction(action);
        return action;
    };
    m_hexAction = addMode(QStringLiteral("HEX"));
    m_binAction = addMode(QStringLiteral("BIN"));
    m_decAction = addMode(QStringLiteral("DEC"));
    m_arrayAction = addMode(QStringLiteral("ARRAY"));
    m_decAction->setChecked(true);
    for (QAction *action : m_modeGroup->actions())
        connect(action, &QAction::toggled, this, &LineEdit::slot_ActionMode);
    return m_menu;
}

void LineEdit::setBase(int base)
{
    // Only the three bases of the mode menu; any other would break number formatting.
    if (base != 2 && base != 10 && base != 16)
        return;
    m_base = base;
    setValue(value());
}

// A field that shows the text already keeps it as it is: setting a text lays it out anew, and
// refreshes show the same values again and again.
void LineEdit::setValue(double value)
{
    if (!m_arrayMode) {
        const quint32 bits = truncateToUInt32(value);
        const QString text = m_signed && m_base == 10 ? QString::number(qint32(bits))
                                                      : QString::number(bits, m_base).toUpper();
        if (text != QLineEdit::text())
            showText(text);
    }
    clearEdited();
}

void LineEdit::setRange(double min, double)
{
    m_signed = min < 0;
}

double LineEdit::value()
{
    double number = 0;
    parseText(&number);
    return number;
}

// The whole unsigned 32-bit range parses ("80000000" in hex is 2^31), so every text the
// field shows commits as that value; only text that is no number fails. A signed field reads
// the 32 bits as two's complement and takes a negative decimal with its sign.
bool LineEdit::readNumber(const QString &text, double *number) const
{
    bool ok = false;
    const quint32 n = text.toUInt(&ok, m_base);
    if (ok) {
        *number = m_signed ? double(qint32(n)) : double(n);
        return true;
    }
    if (!m_signed || m_base != 10)
        return false;
    const int negative = text.toInt(&ok, 10);
    if (ok)
        *number = negative;
    return ok;
}

bool LineEdit::parseText(double *number)
{
    *number = 0;
    QString text = QLineEdit::text();
    bool prefixed = false;
    for (const Prefix &prefix : basePrefixes) {
        if (text.startsWith(QLatin1String(prefix.text))) {
            m_base = prefix.base;
            text = text.mid(2);
            QLineEdit::setText(text);
            prefixed = true;
            break;
        }
    }
    if (!prefixed && text.startsWith(QChar('#'))) {
        m_arrayMode = true;
        text = text.mid(1);
        QLineEdit::setText(text);
    }

    const bool ok = readNumber(text, number);
    // Array text is raw text: it has no number to fail on.
    if (m_arrayMode)
        return true;
    if (!ok)
        setStyleSheet(QLatin1String(InvalidStyle));
    return ok;
}

void LineEdit::setByteArrayValue(const QByteArray &bytes)
{
    showText(latin1UpToZero(bytes));
    clearEdited();
}

void LineEdit::applyDescription()
{
    double ignored = 0;
    parseText(&ignored);
}

bool LineEdit::connectChanged(const char *slot, QObject *receiver)
{
    return connectChangeSignal(this, SIGNAL(signal_activated()), slot, receiver);
}

bool LineEdit::disconnectChanged()
{
    return disconnectChangeSignal(this, SIGNAL(signal_activated()));
}

void LineEdit::showText(const QString &text)
{
    const QScopedValueRollback<bool> showing(m_showingText, true);
    QLineEdit::setText(text);
}

void LineEdit::markEdited()
{
    m_edited = true;
    // Setting a style sheet polishes the field anew, even when it is the same sheet.
    if (styleSheet() != QLatin1String(EditedStyle))
        setStyleSheet(QLatin1String(EditedStyle));
}

void LineEdit::clearEdited()
{
    // A shown value also ends a red marking left without an edit (applyDescription).
    if (!m_edited && styleSheet().isEmpty())
        return;
    setStyleSheet(QString());
    m_edited = false;
}

// A read-only field (a readout) cannot be edited: the texts the page's code gives it are no
// edit to mark or to commit when the field is left.
void LineEdit::slot_TextChanged()
{
    if (!m_showingText && !isReadOnly())
        markEdited();
}

void LineEdit::slot_ActionMode(bool)
{
    if (m_syncingMenu)
        return;
    double n = 0;
    if (!readNumber(QLineEdit::text(), &n))
        n = 0;
    if (m_binAction->isChecked())
        m_base = 2;
    else if (m_decAction->isChecked())
        m_base = 10;
    else if (m_hexAction->isChecked())
        m_base = 16;
    else if (m_arrayAction->isChecked())
        m_arrayMode = true;
    setValue(n);
}

void LineEdit::slot_triggered()
{
    if (!m_edited)
        return;
    double number = 0;
    if (!parseText(&number))
        return; // stays red; a text that is no number is never committed
    emit signal_activated();
}

void LineEdit::syncModeMenu()
{
    QAction *current = m_decAction;
    if (m_arrayMode)
        current = m_arrayAction;
    else if (m_base == 2)
        current = m_binAction;
    else if (m_base == 16)
        current = m_hexAction;
    // Showing the state is no mode change: keep slot_ActionMode out of it.
    m_syncingMenu = true;
    current->setChecked(true);
    m_syncingMenu = false;
}

void LineEdit::contextMenuEvent(QContextMenuEvent *event)
{
    modeMenu();
    syncModeMenu();
    m_menu->exec(event->globalPos());
}

bool LineEdit::stepValue(int delta)
{
    double number = 0;
    if (!parseText(&number))
        return false;
    setValue(number + delta);
    return true;
}

void LineEdit::keyPressEvent(QKeyEvent *event)
{
    QLineEdit::keyPressEvent(event);
    if (event->key() != Qt::Key_Up && event->key() != Qt::Key_Down)
        return;
    event->accept();
    if (isReadOnly())
        return;
    stepValue(event->key() == Qt::Key_Up ? 1 : -1);
}

void LineEdit::wheelEvent(QWheelEvent *event)
{
    if (isReadOnly() || !m_wheelEnabled) {
        event->ignore();
        return;
    }
    event->accept();
    wheelAccumulator += event->angleDelta().y();
    if (std::abs(wheelAccumulator) < WheelNotch)
        return;
    const int steps = wheelAccumulator / WheelNotch;
    wheelAccumulator %= WheelNotch;
    if (stepValue(steps))
        markEdited(); // committed on Return or on leaving the field
}

// The field keeps the focus when it was clicked with the left button or reached by the
// keyboard (Tab, Shift+Tab, a shortcut), and when its window or a menu gives back the focus it
// held; focus given otherwise (a window's first focus, the program's own call) goes at once. The
// wheel steps only a clicked field.
void LineEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    const Qt::FocusReason reason = event->reason();
    const bool givenBack = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
    if (QGuiApplication::mouseButtons() & Qt::LeftButton)
        m_focus = Focus::Clicked;
    else if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
             reason == Qt::ShortcutFocusReason)
        m_focus = Focus::ByKeys;
    else if (!givenBack)
        m_focus = Focus::None;
    m_wheelEnabled = m_focus == Focus::Clicked;
    if (m_focus == Focus::None)
        clearFocus();
}

void LineEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    m_wheelEnabled = false;
    // Another window or a menu takes the focus for a while; elsewhere the field has given it up.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        m_focus = Focus::None;
}

void LineEdit::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    handleScriptDragPress(event, ScriptDrag::Set | ScriptDrag::Get);
}

void LineEdit::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    paintScriptTint(this);
}

} // namespace CustomControls
