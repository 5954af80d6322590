#pragma once

#include "universalcontrol.h"

#include <QComboBox>
#include <QVariant>

namespace CustomControls
{

// A choice bound to a number (type code 6). Without typed items the value is the index of
// the selected item; with a typed item list (setItems) values map to item data and an
// editable box shows free numbers with a unit-prefix letter ("4.7k").
class ComboBox : public QComboBox, public NoCaptionControl
{
    Q_OBJECT
public:
    explicit ComboBox(QWidget *parent = nullptr);

    // "text::i5;text::sName;text::f1.5;plain" - items "text::" plus a type letter (i integer,
    // s string, f real) and value carry that data; other items get their running number.
    void setItems(const QString &list);
    bool prefixMode() const { return m_prefixMode; }
    void setPrefixMode(bool on) { m_prefixMode = on; }
    bool hasTypedItems() const { return m_typedItems; }
    bool isEdited() const { return m_edited; }
    int prefixIndex() const { return m_prefixIndex; }

    // v in engineering notation with six significant digits and a prefix letter of
    // "GMk munp": 4700 -> "4.7k", 1 -> "1 ", -1.5e6 -> "-1.5M"; index gets the entry used.
    static QString prefixFormat(double v, int *index = nullptr);
    // The text with its prefix letter removed, read as a number and scaled: "4.7k" -> 4700;
    // ok whether the number part parsed (0 when it did not); index gets the entry used.
    static double prefixParse(const QString &text, int *index = nullptr, bool *ok = nullptr);

    // Select the first item matching by text, by data, or by data read as a number; false
    // (selection unchanged) when none matches.
    bool setCurrentByText(const QString &text);
    bool setCurrentByData(const QVariant &data);
    bool setCurrentByNumber(double number);

    bool isWritable() const override { return !m_readOnly; }
    void setWritable(bool writable) override { m_readOnly = !writable; }
    void setValue(double value) override;
    double value() override;
    QString registerName(int part) override { return resolveBindingName(this, part); }
    bool connectChanged(const char *slot, QObject *receiver) override;
    bool disconnectChanged() override;
    void setToolTip(const QString &tip) override { QComboBox::setToolTip(tip); }
    QString toolTip() const override { return QComboBox::toolTip(); }
    QByteArray byteArrayValue() override { return currentText().toLatin1(); }
    void setByteArrayValue(const QByteArray &bytes) override;

signals:
    void signal_activated();

public slots:
    void slot_activated();
    void slot_TextChanged();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int findNumber(double number) const;
    // The free text of an editable typed box read as a number; ok false when it is no number.
    double editTextNumber(bool *ok);
    // A free text that is no number: marked red and not committed.
    bool editTextRejected();
    void clearEdited();

    int m_prefixIndex = 3;
    bool m_prefixMode = true;
    bool m_readOnly = false;
    bool m_typedItems = false;
    bool m_edited = false;
};

} // namespace CustomControls
