#pragma once

#include <QMap>
#include <QScrollArea>
#include <QStringList>

class QGroupBox;
class QLabel;
class Register;

namespace CustomControls
{

class CheckBox;
class LineEdit;

// Shows every field of one register as a labelled row (a check box for a one-bit field, a
// number field for a wider one), gathered into coloured group boxes by the value of one bit
// attribute (the group key, "bank" by default). Each row's input widget carries the binding
// name "<REGISTER>[<FIELD>]" (AccessibleNames::bindingName), so the owning applet binds the rows
// like any other bound widget, and reads as the row's label.
class RegisterBox : public QScrollArea
{
    Q_OBJECT
public:
    // Option bits of setFlags.
    enum Flag {
        TitledGroups = 1,     // group boxes titled "<KEY> (<value>)"
        AlternateColours = 2, // grey and orange group boxes when a field has no "color"
        BitPositions = 4,     // row labels give the field's bit positions in the register
        CheckableGroups = 8   // group boxes are checkable
    };

    // One row: a label and its input widget.
    class Control : public QWidget
    {
        // No meta-object of its own: moc does not take nested classes, and it adds no
        // signals or slots.
    public:
        enum Type { CheckBoxRow = 0, NumberRow = 1 };

        // labelWidth in characters: the label is the font's point size times it wide.
        Control(QWidget *parent, int type, int labelWidth);

        void setText(const QString &text);
        // Binds the input widget by name; it reads as the row's label (set the text first).
        void setBindingName(const QString &name);
        void setValue(quint32 value);

        int type() const { return m_type; }
        QLabel *label() const { return m_label; }
        CheckBox *checkBox() const { return m_checkBox; }
        LineEdit *numberField() const { return m_numberField; }

    protected:
        void contextMenuEvent(QContextMenuEvent *event) override;

    private:
        int m_labelWidth;
        int m_type;
        CheckBox *m_checkBox = nullptr;
        QLabel *m_label = nullptr;
        LineEdit *m_numberField = nullptr;
    };

    static const QStringList &groupColours();

    explicit RegisterBox(QWidget *parent = nullptr);
    ~RegisterBox() override;

    void setFlags(int flags) { m_flags = flags; }
    int flags() const { return m_flags; }
    void setGroupKey(const QString &key) { m_groupKey = key; }
    QString groupKey() const { return m_groupKey; }
    // Rows per grid line inside a group box; at least 1.
    void setColumns(int columns) { m_columns = qMax(1, columns); }
    int columns() const { return m_columns; }

    // Clears and rebuilds the rows from the register's fields.
    void build(Register &reg);
    // Deletes every group box with its rows.
    void clearGroups();
    // Group values (sorted) whose group box is checked.
    QStringList checkedGroups() const;
    void setGroupChecked(const QString &value, bool checked);

    const QMap<QString, QGroupBox *> &groups() const { return m_groups; }
    QGroupBox *groupBox(const QString &value) const { return m_groups.value(value); }

private:
    struct GridPosition {
        int line = 0;
        int column = 0;
    };

    QWidget *contentWidget();
    QGroupBox *createGroup(const QString &value, const QString &fieldColour, const Register &reg);
    void measureGroups();
    QString rowLabel(const QString &field, int firstBit, int width) const;

    QMap<QString, QGroupBox *> m_groups;
    int m_flags = 0;
    QString m_groupKey = "bank";
    int m_columns = 1;
    int m_groupCounter = 0;
    // Each group box keeps its own grid position, so a field that returns to an earlier group
    // after another group carries on where that group stopped and never lands on a cell that a
    // row already holds.
    QMap<QString, GridPosition> m_positions;
};

} // namespace CustomControls
