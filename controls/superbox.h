#pragma once

#include "checkbox.h"

#include <QList>
#include <QScrollArea>

class QLabel;
class Register;

namespace CustomControls
{

// A scrolling panel of labelled bit cells, one per register bit, with three views:
//   0 brief: columns of BriefRows cells, sized from the project settings file;
//   1 list:  one column of all cells;
//   2 grid:  rows of ten cells with a row label giving the cell numbers.
// Each cell is a label "<group>.<index>" and a check box named by its bit, bound to
// "<REGISTER>[<bit>]" (AccessibleNames::bindingName), coloured from the bit's attribute "color".
// Cells can be highlighted (search results, right click).
//
// Settings file: "KVL52110.ini" in the working directory (INI), keys
// "CONTROLS/SuperBox/BriefRows" (40), "CONTROLS/SuperBox/LabelWidth" (50) and
// "CONTROLS/SuperBox/BriefCheckBoxWidth" (120); written with these defaults when missing.
// A value that is missing or not a number counts as its default, as do BriefRows below 1,
// negative widths and values above 10000.
class SuperBox : public QScrollArea
{
    Q_OBJECT
public:
    // One bit cell's check box.
    class CheckBoxForSuperBox : public CheckBox
    {
        // No meta-object of its own: moc does not take nested classes, and it adds no
        // signals or slots.
    public:
        explicit CheckBoxForSuperBox(QWidget *parent = nullptr);

        // Stores the colour and applies "background-color :<colour>;".
        void setColor(const QString &colour);
        QString color() const { return m_colour; }
        // true: the highlight style; false: the cell's colour style again.
        void setHighlighted(bool highlighted);
        bool isHighlighted() const { return m_highlighted; }

    protected:
        void mousePressEvent(QMouseEvent *event) override;
        void contextMenuEvent(QContextMenuEvent *event) override;

    private:
        void applyColourStyle();

        QString m_colour;
        bool m_highlighted = false;
    };

    enum View { Brief = 0, List = 1, Grid = 2 };

    static constexpr char SettingsFile[] = "KVL52110.ini";
    static constexpr char BriefRowsKey[] = "CONTROLS/SuperBox/BriefRows";
    static constexpr char LabelWidthKey[] = "CONTROLS/SuperBox/LabelWidth";
    static constexpr char BriefCheckBoxWidthKey[] = "CONTROLS/SuperBox/BriefCheckBoxWidth";
    static constexpr int DefaultBriefRows = 40;
    static constexpr int DefaultLabelWidth = 50;
    static constexpr int DefaultBriefCheckBoxWidth = 120;
    static constexpr int RowHeight = 18;

    explicit SuperBox(QWidget *parent = nullptr);
    ~SuperBox() override;

    // Reads the settings (writing the defaults when the file is missing) and sets the sizes
    // of view 0, 1 or 2; another view number changes nothing.
    void loadSettings(int view);
    // Sizes for the stored view and current cell count, then places every cell.
    void layout();

    void addCell(int group, const QString &bindingName, const QString &text, const QString &colour,
                 const QString &toolTip);
    // One cell per bit, bit 0 first, then layout().
    void loadRegister(const QString &name, const Register &reg);
    void loadRegister(const Register &reg);

    int count() const { return int(m_cells.size()); }
    CheckBoxForSuperBox *checkBox(int index) const;
    QLabel *cellLabel(int index) const;
    const QList<QLabel *> &rowLabels() const { return m_rowLabels; }

    // Mode 0: cells whose box text contains text; mode 1: cells whose binding name equals
    // text. Matching cells are highlighted; the others keep their state.
    void highlight(int mode, const QString &text);
    void clearHighlights();

    // Deletes every cell and row label.
    void removeAll();

    QWidget *content() const { return m_content; }
    int view() const { return m_view; }
    int columns() const { return m_columns; }
    int rows() const { return m_rows; }
    int labelWidth() const { return m_labelWidth; }
    int boxWidth() const { return m_boxWidth; }

private:
    struct Cell {
        QLabel *label = nullptr;
        CheckBoxForSuperBox *box = nullptr;
    };

    static void writeDefaultSettings(const QString &path);
    void deleteRowLabels();
    void placeCell(const Cell &cell, int x, int y);
    void layoutGrid();
    void layoutColumns();
    int cellPitch() const { return m_boxWidth + m_labelWidth + 8; }

    QWidget *m_content = nullptr;
    int m_view = Brief;
    int m_columns = 1;
    int m_rows = 0;
    int m_labelWidth = DefaultLabelWidth;
    int m_boxWidth = DefaultBriefCheckBoxWidth;
    QList<QLabel *> m_rowLabels;
    QList<Cell> m_cells;
};

} // namespace CustomControls
