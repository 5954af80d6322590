#include "combobox.h"

#include "bytetext.h"
#include "engineeringformat.h"
#include "scriptdrag.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace CustomControls
{

ComboBox::ComboBox(QWidget *parent) : QComboBox(parent)
{
    setType(ComboBoxControl);
    setMouseTracking(true);
    connect(this, &QComboBox::editTextChanged, this, &ComboBox::slot_TextChanged);
    connect(this, QOverload<int>::of(&QComboBox::activated), this, &ComboBox::slot_activated);
}

void ComboBox::setItems(const QString &list)
{
    clear();
    int untyped = 0;
    const QStringList parts = list.split(QChar(';'), Qt::KeepEmptyParts);
    for (const QString &part : parts) {
        const QStringList pieces = part.split(QStringLiteral("::"), Qt::KeepEmptyParts);
        if (pieces.size() != 2) {
            addItem(part, untyped++);
            continue;
        }
        const QString &text = pieces.at(0);
        const QChar typeLetter = pieces.at(1).isEmpty() ? QChar() : pieces.at(1).at(0);
        const QString data = pieces.at(1).mid(1);
        if (typeLetter == QChar('i'))
            addItem(text, data.toInt());
        else if (typeLetter == QChar('s'))
            addItem(text, data);
        else if (typeLetter == QChar('f'))
            addItem(text, data.toDouble());
        else
            addItem(text);
    }
    m_typedItems = true;
}

QString ComboBox::prefixFormat(double v, int *index)
{
    const int entry = EngineeringFormat::prefixIndexOfValue(v);
    if (index)
        *index = entry;
    return QString::number(v / EngineeringFormat::factor(entry), 'g', 6) +
           EngineeringFormat::letter(entry);
}

double ComboBox::prefixParse(const QString &text, int *index, bool *ok)
{
    const int entry = EngineeringFormat::prefixIndexOfText(text);
    if (index)
        *index = entry;
    QString number = text;
    number.remove(EngineeringFormat::letter(entry));
    bool parsed = false;
    const double value = number.toDouble(&parsed);
    if (ok)
        *ok = parsed;
    return parsed ? value * EngineeringFormat::factor(entry) : 0.0;
}

bool ComboBox::setCurrentByText(const QString &text)
{
    const int index = findText(text);
    if (index >= 0)
        setCurrentIndex(index);
    return index >= 0;
}

bool ComboBox::setCurrentByData(const QVariant &data)
{
    for (int i = 0; i < count(); ++i) {
        if (itemData(i) == data) {
            setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

int ComboBox::findNumber(double number) const
{
    for (int i = 0; i < count(); ++i) {
        const QVariant data = itemData(i);
        if (data.isValid() && data.toDouble() == number)
            return i;
    }
    return -1;
}

bool ComboBox::setCurrentByNumber(double number)
{
    const int index = findNumber(number);
    if (index >= 0)
        setCurrentIndex(index);
    return index >= 0;
}

void ComboBox::setValue(double value)
{
    if (!m_typedItems) {
        setCurrentIndex(truncateToInt(value));
        clearEdited();
        return;
    }
    const int index = findNumber(value);
    if (index >= 0)
        setCurrentIndex(index);
    if (index < 0 || isEditable()) {
        setEditText(m_prefixMode ? prefixFormat(value, &m_prefixIndex)
                                 : QString::number(value, 'g', 6));
    }
    clearEdited();
}

double ComboBox::editTextNumber(bool *ok)
{
    if (m_prefixMode)
        return prefixParse(currentText(), &m_prefixIndex, ok);
    const double number = currentText().toDouble(ok);
    return *ok ? number : 0.0;
}

double ComboBox::value()
{
    double result = 0;
    if (!m_typedItems) {
        result = currentIndex();
    } else if (const int index = findText(currentText()); index >= 0) {
        result = itemData(index).toDouble();
    } else if (isEditable()) {
        bool ok = false;
        result = editTextNumber(&ok);
    } else {
        result = currentData().toDouble();
    }
    clearEdited();
    return result;
}

bool ComboBox::editTextRejected()
{
    if (!m_typedItems || !isEditable() || findText(currentText()) >= 0)
        return false;
    bool ok = false;
    editTextNumber(&ok);
    if (!ok)
        setStyleSheet(QStringLiteral("color:red"));
    return !ok;
}

void ComboBox::setByteArrayValue(const QByteArray &bytes)
{
    setEditText(latin1UpToZero(bytes));
}

bool ComboBox::connectChanged(const char *slot, QObject *receiver)
{
    return connectChangeSignal(this, SIGNAL(signal_activated()), slot, receiver);
}

bool ComboBox::disconnectChanged()
{
    return disconnectChangeSignal(this, SIGNAL(signal_activated()));
}

void ComboBox::clearEdited()
{
    if (!m_edited)
        return;
    setStyleSheet(QString());
    m_edited = false;
}

void ComboBox::slot_activated()
{
    if (editTextRejected())
        return;
    emit signal_activated();
}

void ComboBox::slot_TextChanged()
{
    m_edited = true;
    setStyleSheet(QStringLiteral("color:blue;"));
}

void ComboBox::mousePressEvent(QMouseEvent *event)
{
    if (m_readOnly)
        return;
    QComboBox::mousePressEvent(event);
    if (isConnected())
        handleScriptDragPress(event, ScriptDrag::Set | ScriptDrag::Get);
}

void ComboBox::keyPressEvent(QKeyEvent *event)
{
    if (m_readOnly) {
        event->ignore(); // the user may not change the selection
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        slot_activated();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void ComboBox::wheelEvent(QWheelEvent *event)
{
    if (m_readOnly) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

void ComboBox::mouseMoveEvent(QMouseEvent *)
{
    update();
}

void ComboBox::leaveEvent(QEvent *)
{
    update();
}

void ComboBox::paintEvent(QPaintEvent *event)
{
    QComboBox::paintEvent(event);
    paintScriptTint(this);
}

} // namespace CustomControls
