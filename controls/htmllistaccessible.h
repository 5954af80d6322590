#pragma once

#include <QAccessibleWidget>
#include <QHash>

namespace CustomControls
{

class HtmlListBox;

// What a screen reader reads of an HtmlListBox: a list whose items are its rows shown, each read
// as the text drawn (plain text, never markup). It is a table of one column too, so a reader asks
// for the rows it reads rather than keeping them all (the list may hold tens of thousands): a row
// is made when first asked for and kept, under its row number, until it leaves the list. The list
// tells it of rows that leave through table-model events.
class HtmlListAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit HtmlListAccessible(HtmlListBox *list);
    ~HtmlListAccessible() override;

    // The factory that QAccessible::installFactory takes: this interface for an HtmlListBox.
    static QAccessibleInterface *create(const QString &className, QObject *object);

    void *interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    // The current row, while the list has the keyboard.
    QAccessibleInterface *focusChild() const override;

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int) const override { return QString(); }
    QString rowDescription(int) const override { return QString(); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    int columnCount() const override { return 1; }
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    // The selection is the person's: a screen reader reads it, and the keys change it.
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

private:
    HtmlListBox *list() const;
    void moveRows(int from, int by);
    void deleteRows();

    mutable QHash<int, QAccessible::Id> m_rows; // the row items made, by row number
};

} // namespace CustomControls
