#pragma once

#include <QAccessibleInterface>
#include <QPointer>

namespace CustomControls
{

class HtmlListBox;

// One row of an HtmlListBox as a screen reader reads it: a list item named by the row's text as
// drawn (lead and text, plain), and a cell of the list's one-column table.
class HtmlListRowAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    HtmlListRowAccessible(HtmlListBox *list, int row);

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    bool isSelected() const override;
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

    // Its row moved (rows above it left or came).
    void setRow(int row) { m_row = row; }

private:
    QPointer<HtmlListBox> m_list;
    int m_row;
};

} // namespace CustomControls
