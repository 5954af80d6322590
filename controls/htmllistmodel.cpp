#include "htmllistmodel.h"

#include <utility>

namespace CustomControls
{

HtmlListModel::HtmlListModel(int rows, QObject *parent) : QAbstractListModel(parent)
{
    for (int i = 0; i < rows; ++i)
        m_rows.push_back(ListRow::html(QString()));
}

int HtmlListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant HtmlListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return row(index.row()).toHtml();
}

bool HtmlListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::EditRole)
        return false;
    setRow(index.row(), ListRow::html(value.toString()));
    return true;
}

Qt::ItemFlags HtmlListModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void HtmlListModel::setRow(int row, ListRow content)
{
    if (row < 0 || row >= rowCount())
        return;
    m_rows[size_t(row)] = std::move(content);
    const QModelIndex changed = index(row, 0);
    emit dataChanged(changed, changed);
}

// Of rows more than the bound, the oldest are passed over.
void HtmlListModel::keepNewest(QList<ListRow> *rows)
{
    if (m_maximumRows <= 0 || rows->size() <= m_maximumRows)
        return;
    const qsizetype extra = rows->size() - m_maximumRows;
    rows->remove(0, extra);
    m_dropped += extra;
}

void HtmlListModel::appendRows(QList<ListRow> rows)
{
    keepNewest(&rows);
    if (rows.isEmpty())
        return;
    if (m_maximumRows > 0)
        dropOldest(rowCount() + int(rows.size()) - m_maximumRows);
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + int(rows.size()) - 1);
    for (ListRow &row : rows)
        m_rows.push_back(std::move(row));
    endInsertRows();
}

void HtmlListModel::dropOldest(int rows)
{
    if (rows <= 0)
        return;
    beginRemoveRows(QModelIndex(), 0, rows - 1);
    m_rows.erase(m_rows.begin(), m_rows.begin() + rows);
    endRemoveRows();
    m_dropped += rows;
}

void HtmlListModel::setRows(QList<ListRow> rows)
{
    beginResetModel();
    m_rows.clear();
    m_dropped = 0;
    keepNewest(&rows);
    for (ListRow &row : rows)
        m_rows.push_back(std::move(row));
    endResetModel();
}

void HtmlListModel::clear()
{
    beginResetModel();
    std::deque<ListRow>().swap(m_rows); // gives back the deque's blocks too
    m_dropped = 0;
    endResetModel();
}

void HtmlListModel::setMaximumRows(int rows)
{
    m_maximumRows = qMax(0, rows);
    if (m_maximumRows > 0)
        dropOldest(rowCount() - m_maximumRows);
}

} // namespace CustomControls
