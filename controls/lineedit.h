#pragma once

#include "universalcontrol.h"

#include <QLineEdit>

class QAction;
class QActionGroup;
class QMenu;

namespace CustomControls
{

// A text field showing a number in base 2, 10 or 16 (or raw array text) (type code 4).
// Typed prefixes "0x", "0b", "0d" switch the base, "#" switches to array mode; the context
// menu offers HEX, BIN, DEC and ARRAY. Edited text is blue until committed with Return or by
// leaving the field; text that does not parse is red and is not committed. Up/Down and the
// mouse wheel (on a clicked field) step the value.
class LineEdit : public QLineEdit, public NoCaptionControl
{
    Q_OBJECT
public:
    explicit LineEdit(QWidget *parent = nullptr);

    using QLineEdit::setText;
    using QLineEdit::text;

    int base() const { return m_base; }
    // Stores the base (2, 10 or 16; any other is ignored), then shows the current text read
    // in it again in it.
    void setBase(int base);
    bool isArrayMode() const { return m_arrayMode; }
    bool isEdited() const { return m_edited; }
    QMenu *modeMenu(); // the context menu of the number modes

    bool isWritable() const override { return !isReadOnly(); }
    void setWritable(bool writable) override { setReadOnly(!writable); }
    void setValue(double value) override;
    double value() override;
    // A range below 0 makes the field signed: its 32 bits are two's complement, shown with a
    // sign in decimal.
    void setRange(double min, double max) override;
    QString registerName(int part) override { return resolveBindingName(this, part); }
    bool connectChanged(const char *slot, QObject *receiver) override;
    bool disconnectChanged() override;
    void setToolTip(const QString &tip) override { QLineEdit::setToolTip(tip); }
    QString toolTip() const override { return QLineEdit::toolTip(); }
    QByteArray byteArrayValue() override { return QLineEdit::text().toLatin1(); }
    void setByteArrayValue(const QByteArray &bytes) override;
    void applyDescription() override;

signals:
    void signal_activated();

public slots:
    void slot_TextChanged();
    void slot_ActionMode(bool checked);
    void slot_triggered();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // Reads the text (taking a typed prefix into account); false when it does not parse, in
    // which case the text is marked red and number is 0.
    bool parseText(double *number);
    bool readNumber(const QString &text, double *number) const;
    // Steps the shown number by delta; false (nothing changed) when the text does not parse.
    bool stepValue(int delta);
    // Shows text as the field's value: no edit mark comes and goes on the way (each mark
    // restyles the field).
    void showText(const QString &text);
    void markEdited();
    void clearEdited();
    void syncModeMenu();

    // How the field got the focus it holds, or held when its window was left.
    enum class Focus { None, Clicked, ByKeys };

    int m_base = 10;
    bool m_arrayMode = false;
    bool m_signed = false;
    bool m_edited = false;
    bool m_showingText = false; // showText is under way
    bool m_wheelEnabled = false;
    Focus m_focus = Focus::None;
    bool m_syncingMenu = false;
    QMenu *m_menu = nullptr;
    QActionGroup *m_modeGroup = nullptr;
    QAction *m_hexAction = nullptr;
    QAction *m_binAction = nullptr;
    QAction *m_decAction = nullptr;
    QAction *m_arrayAction = nullptr;
};

} // namespace CustomControls
