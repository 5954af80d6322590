#pragma once

#include "universalcontrol.h"

#include <QLineEdit>

class QActionGroup;
class QMenu;

namespace CustomControls
{

// A text field for real numbers in engineering notation with a unit-prefix letter ("4.70k",
// "330.00m", "4k7") or, in plain mode, fixed-point text. Value widget of type code 5; the
// change signal is signal_activated(), emitted when an edit is committed with Return or by
// leaving the field. Edited text is blue until committed; text that does not parse turns red
// and is not committed.
class RealEdit : public QLineEdit, public NoCaptionControl
{
    Q_OBJECT
public:
    explicit RealEdit(QWidget *parent = nullptr);

    // The form's own text calls reach the line edit; the binding caption is ignored.
    using QLineEdit::setText;
    using QLineEdit::text;

    bool isWritable() const override;
    void setWritable(bool writable) override;
    void setValue(double value) override;
    double value() override;
    QString registerName(int part) override;
    bool connectChanged(const char *slot, QObject *receiver) override;
    bool disconnectChanged() override;
    void setToolTip(const QString &tip) override;
    QString toolTip() const override;
    void applyDescription() override;

    // Number of decimals written, clamped to 0..15; re-displays the current value.
    void setPrecision(int precision);
    int precision() const { return m_precision; }
    double step() const { return m_step; }
    bool isEdited() const { return m_edited; }
    bool isEngineering() const { return m_engineering; }
    void setEngineering(bool engineering) { m_engineering = engineering; }
    int currentPrefixIndex() const { return m_prefixIndex; }

    // The prefix-table entry that applies to a text (see EngineeringFormat).
    static int prefixIndex(const QString &text);
    // Reads a text; stores the prefix index used. ok (when given) tells whether the text is a
    // number; a text that is no number reads 0.
    double parseValue(const QString &text, bool *ok = nullptr);
    // Writes a value with its prefix letter and precision decimals; stores the prefix index.
    QString formatValue(double value, int precision);

    void setEdited();
    void clearEdited();

    static constexpr int MaxPrecision = 15;

signals:
    void signal_activated();

public slots:
    void slot_CustomPrecision();
    void slot_TextChanged();
    void slot_triggered();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QString formatForDisplay(double value);
    void setPrecisionFromText(const QString &text);
    void markInvalid();

    int m_prefixIndex = 3;
    int m_precision = 2;
    double m_step = 0.01;
    bool m_edited = false;
    bool m_showingValue = false; // setValue is under way: the new text is no edit
    double m_savedValue = 0.0;
    bool m_engineering = true;
    bool m_hasFocus = false;
    QActionGroup *m_actionGroup = nullptr;
    QMenu *m_menu = nullptr;

    // Wheel deltas of every real-number edit, summed until they make a whole notch.
    static int s_wheelAccumulator;
};

} // namespace CustomControls
