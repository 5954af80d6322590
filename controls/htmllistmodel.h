#pragma once

#include "listrow.h"

#include <QAbstractListModel>
#include <QList>
#include <QString>

#include <deque>

namespace CustomControls
{

// The rows of an HtmlListBox, oldest first. With a bound, the oldest rows leave as new ones come,
// and the model counts how many have left since it was last emptied.
class HtmlListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit HtmlListModel(int rows, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // The display and edit roles give the row as HTML.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    const ListRow &row(int row) const { return m_rows.at(size_t(row)); }
    void setRow(int row, ListRow content);
    // Appends the rows in one insertion, after the oldest rows that leave for them.
    void appendRows(QList<ListRow> rows);
    void setRows(QList<ListRow> rows);
    void clear();

    // At most this many rows are kept; 0 keeps every row.
    void setMaximumRows(int rows);
    int maximumRows() const { return m_maximumRows; }
    // The rows that left for newer ones since the model was last emptied.
    qint64 droppedRows() const { return m_dropped; }
    // Counts rows that left before they reached the model.
    void addDropped(qint64 rows) { m_dropped += rows; }

private:
    void keepNewest(QList<ListRow> *rows);
    void dropOldest(int rows);

    std::deque<ListRow> m_rows;
    int m_maximumRows = 0;
    qint64 m_dropped = 0;
};

} // namespace CustomControls
