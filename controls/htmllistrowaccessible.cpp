#include "htmllistrowaccessible.h"

#include "htmllistbox.h"
#include "htmllistmodel.h"

#include <QItemSelectionModel>
#include <QWindow>

namespace CustomControls
{

HtmlListRowAccessible::HtmlListRowAccessible(HtmlListBox *list, int row) : m_list(list), m_row(row)
{
}

bool HtmlListRowAccessible::isValid() const
{
    return m_list && m_row >= 0 && m_row < m_list->itemModel()->rowCount();
}

QWindow *HtmlListRowAccessible::window() const
{
    return m_list ? m_list->window()->windowHandle() : nullptr;
}

QAccessibleInterface *HtmlListRowAccessible::parent() const
{
    return m_list ? QAccessible::queryAccessibleInterface(m_list.data()) : nullptr;
}

QString HtmlListRowAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name || !isValid())
        return QString();
    return m_list->itemModel()->row(m_row).shownText();
}

// In screen coordinates; a row out of view lies outside the list.
QRect HtmlListRowAccessible::rect() const
{
    if (!isValid())
        return QRect();
    const QRect shown = m_list->visualRect(m_list->itemModel()->index(m_row, 0));
    return QRect(m_list->viewport()->mapToGlobal(shown.topLeft()), shown.size());
}

QAccessible::State HtmlListRowAccessible::state() const
{
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    const QModelIndex index = m_list->itemModel()->index(m_row, 0);
    state.selectable = true;
    state.focusable = true;
    state.selected = m_list->selectionModel()->isSelected(index);
    state.focused = m_list->hasFocus() && m_list->currentIndex() == index;
    state.offscreen = !m_list->viewport()->rect().intersects(m_list->visualRect(index));
    return state;
}

void *HtmlListRowAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface *>(this);
    return nullptr;
}

bool HtmlListRowAccessible::isSelected() const
{
    return isValid() && m_list->selectionModel()->isSelected(m_list->itemModel()->index(m_row, 0));
}

} // namespace CustomControls
