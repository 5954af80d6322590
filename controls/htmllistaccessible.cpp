#include "htmllistaccessible.h"

#include "htmllistbox.h"
#include "htmllistmodel.h"
#include "htmllistrowaccessible.h"

#include <QItemSelectionModel>

#include <algorithm>

namespace CustomControls
{

HtmlListAccessible::HtmlListAccessible(HtmlListBox *list)
    : QAccessibleWidget(list, QAccessible::List)
{
}

HtmlListAccessible::~HtmlListAccessible()
{
    deleteRows();
}

QAccessibleInterface *HtmlListAccessible::create(const QString &, QObject *object)
{
    auto *list = qobject_cast<HtmlListBox *>(object);
    return list ? new HtmlListAccessible(list) : nullptr;
}

HtmlListBox *HtmlListAccessible::list() const
{
    return static_cast<HtmlListBox *>(widget());
}

void *HtmlListAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

// ---------------------------------------------------------------- rows

int HtmlListAccessible::childCount() const
{
    return rowCount();
}

int HtmlListAccessible::rowCount() const
{
    return list()->itemModel()->rowCount();
}

QAccessibleInterface *HtmlListAccessible::child(int index) const
{
    if (index < 0 || index >= rowCount())
        return nullptr;
    if (const QAccessible::Id id = m_rows.value(index))
        return QAccessible::accessibleInterface(id);
    auto *row = new HtmlListRowAccessible(list(), index);
    m_rows.insert(index, QAccessible::registerAccessibleInterface(row));
    return row;
}

QAccessibleInterface *HtmlListAccessible::cellAt(int row, int column) const
{
    return column == 0 ? child(row) : nullptr;
}

int HtmlListAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const auto *row = dynamic_cast<const HtmlListRowAccessible *>(child);
    return row && row->isValid() && row->table() == this ? row->rowIndex() : -1;
}

QAccessibleInterface *HtmlListAccessible::childAt(int x, int y) const
{
    const QPoint point = list()->viewport()->mapFromGlobal(QPoint(x, y));
    if (!list()->viewport()->rect().contains(point))
        return nullptr;
    const QModelIndex index = list()->indexAt(point);
    return index.isValid() ? child(index.row()) : nullptr;
}

QAccessibleInterface *HtmlListAccessible::focusChild() const
{
    return list()->hasFocus() ? child(list()->currentRow()) : nullptr;
}

// ---------------------------------------------------------------- selection

int HtmlListAccessible::selectedCellCount() const
{
    return selectedRowCount();
}

QList<QAccessibleInterface *> HtmlListAccessible::selectedCells() const
{
    QList<QAccessibleInterface *> cells;
    for (int row : selectedRows())
        cells.append(child(row));
    return cells;
}

int HtmlListAccessible::selectedRowCount() const
{
    return int(list()->selectionModel()->selectedRows().size());
}

QList<int> HtmlListAccessible::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : list()->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool HtmlListAccessible::isRowSelected(int row) const
{
    return list()->selectionModel()->isRowSelected(row, QModelIndex());
}

// ---------------------------------------------------------------- changes

// A row's text is read when asked for, and rows come only at the end (the model appends them):
// only rows that leave, or all going, move the items.
void HtmlListAccessible::modelChange(QAccessibleTableModelChangeEvent *event)
{
    if (event->modelChangeType() == QAccessibleTableModelChangeEvent::ModelReset)
        deleteRows();
    else if (event->modelChangeType() == QAccessibleTableModelChangeEvent::RowsRemoved)
        moveRows(event->firstRow(), event->firstRow() - event->lastRow() - 1);
}

// The items of rows from on move up by -by rows; those that it would move above from are of
// rows that left, and go.
void HtmlListAccessible::moveRows(int from, int by)
{
    if (m_rows.isEmpty())
        return;
    QHash<int, QAccessible::Id> moved;
    moved.reserve(m_rows.size());
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it) {
        const int row = it.key();
        if (row < from) {
            moved.insert(row, it.value());
        } else if (row + by < from) {
            QAccessible::deleteAccessibleInterface(it.value());
        } else {
            if (QAccessibleInterface *item = QAccessible::accessibleInterface(it.value()))
                static_cast<HtmlListRowAccessible *>(item)->setRow(row + by);
            moved.insert(row + by, it.value());
        }
    }
    m_rows.swap(moved);
}

void HtmlListAccessible::deleteRows()
{
    for (const QAccessible::Id id : std::as_const(m_rows))
        QAccessible::deleteAccessibleInterface(id);
    m_rows.clear();
}

} // namespace CustomControls
