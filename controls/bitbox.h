#pragma once

#include <QFrame>
#include <QList>

class QGridLayout;
class Register;

namespace CustomControls
{

class CheckBox;

// A frame with one check box per register bit. The boxes are named "cb<REGISTER>_<bit>", so
// they bind to "<REGISTER>[<bit>]" by the object-name rule.
//
// Layout modes (n boxes after adding one, i = n - 1):
//   0 one row (row 0, column n), 1 one column (row n, column 0),
//   3 eight per row (i / 8, i % 8), 4 sixteen per row (i / 16, i % 16),
//   any other: every box in cell (0, 0).
class BitBox : public QFrame
{
    Q_OBJECT
public:
    enum LayoutMode { Row = 0, Column = 1, Rows8 = 3, Rows16 = 4 };

    explicit BitBox(QWidget *parent = nullptr);

    // Stores the mode and installs a new grid; the boxes are placed again by the new mode.
    void setLayoutMode(int mode);
    int layoutMode() const { return m_mode; }
    QGridLayout *grid() const { return m_grid; }

    // Removes and deletes every box.
    void clear();
    CheckBox *addBit(const QString &objectName);
    // One box per bit, from the top bit down to bit 0.
    void setRegister(const Register &reg);
    // One box per bit of a field expression such as "REG[7:0]", from the larger bound down
    // to the smaller; an invalid expression, an empty bracket ("REG[]") and bit numbers
    // outside 0..9999 add nothing.
    void setRegister(const QString &fieldExpression);

    const QList<CheckBox *> &boxes() const { return m_boxes; }
    int count() const { return int(m_boxes.size()); }

    // Grid cell of the box at position index (0-based) under the current mode.
    QPoint cellOf(int index) const;

private:
    void installGrid();
    void place(CheckBox *box, int index);
    // Boxes "cb<name>_<bit>" for bit = top down to bottom.
    void addBits(const QString &name, int top, int bottom);

    QGridLayout *m_grid = nullptr;
    QList<CheckBox *> m_boxes;
    int m_mode = Row;
};

} // namespace CustomControls
