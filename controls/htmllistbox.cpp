#include "htmllistbox.h"

#include "htmltextitemdelegate.h"

#include <QItemSelectionModel>
#include <QResizeEvent>
#include <QStandardItemModel>

#include <utility>

namespace CustomControls
{

HtmlListBox::HtmlListBox(QWidget *parent) : QListView(parent)
{
    init(1);
}

HtmlListBox::HtmlListBox(int rows, QWidget *parent) : QListView(parent)
{
    init(rows);
}

void HtmlListBox::init(int rows)
{
    m_delegate = new HtmlTextItemDelegate(this);
    m_delegate->setSize(QSize(hintWidthFor(width()), 20));
    m_model = new QStandardItemModel(qMax(0, rows), 1, this);
    setItemDelegate(m_delegate);
    setModel(m_model);
    setUniformItemSizes(true); // a layout of many rows need not ask each for its size
}

// Each added row would lay out and paint the whole view again: a burst reaches it at once.
void HtmlListBox::addItem(const QString &text)
{
    m_added.append(text);
    m_show.ask();
}

void HtmlListBox::setItems(const QStringList &items)
{
    m_added.clear();
    m_model->setRowCount(int(items.size()));
    for (int row = 0; row < items.size(); ++row)
        m_model->setData(m_model->index(row, 0), items.at(row), Qt::EditRole);
}

void HtmlListBox::setItemText(int row, const QString &text)
{
    const int shown = m_model->rowCount();
    if (row >= shown && row - shown < m_added.size())
        m_added[row - shown] = text;
    else
        m_model->setData(m_model->index(row, 0), text, Qt::EditRole);
}

QString HtmlListBox::itemText(int row) const
{
    const int shown = m_model->rowCount();
    if (row >= shown)
        return m_added.value(row - shown);
    return m_model->data(m_model->index(row, 0), Qt::DisplayRole).toString();
}

int HtmlListBox::count() const
{
    return m_model->rowCount() + int(m_added.size());
}

void HtmlListBox::clear()
{
    m_show.cancel();
    m_added.clear();
    m_followSoon = false;
    m_model->clear();
    m_model->setColumnCount(1);
    m_widestText = 0; // the rows narrow with the next one drawn
}

int HtmlListBox::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void HtmlListBox::setCurrentRow(int row)
{
    if (row >= m_model->rowCount())
        showAddedRows();
    const QModelIndex index = m_model->index(row, 0);
    setCurrentIndex(index);
    scrollTo(index);
}

void HtmlListBox::followLastRow()
{
    m_followSoon = false;
    showAddedRows();
    selectionModel()->setCurrentIndex(m_model->index(count() - 1, 0), QItemSelectionModel::Clear);
    scrollToBottom();
}

void HtmlListBox::followLastRowSoon()
{
    m_followSoon = true;
    m_show.ask();
}

// All added rows in one insertion: the view lays itself out and paints once for them.
void HtmlListBox::showAddedRows()
{
    m_show.cancel();
    if (!m_added.isEmpty()) {
        QList<QStandardItem *> items;
        items.reserve(m_added.size());
        for (const QString &text : std::as_const(m_added))
            items.append(new QStandardItem(text));
        m_added.clear();
        m_model->invisibleRootItem()->appendRows(items);
    }
    if (m_followSoon)
        followLastRow();
}

void HtmlListBox::setItemSize(int width, int height)
{
    m_delegate->setSize(QSize(width, height));
    scheduleDelayedItemsLayout();
}

void HtmlListBox::updateRowWidth()
{
    m_delegate->setSize(
        QSize(qMax(hintWidthFor(width()), m_widestText), m_delegate->size().height()));
    scheduleDelayedItemsLayout();
}

// Rows are measured as they are drawn, which lays them out anyway: one wider than the widest so
// far widens every row, and the view is laid out again.
void HtmlListBox::paintEvent(QPaintEvent *event)
{
    QListView::paintEvent(event);
    const int widest = m_delegate->takeWidestDrawn();
    if (widest <= m_widestText)
        return;
    m_widestText = widest;
    updateRowWidth();
}

void HtmlListBox::resizeEvent(QResizeEvent *event)
{
    QListView::resizeEvent(event);
    // The scroll area also routes its viewport's resizes here: take the list box's own width.
    updateRowWidth();
}

} // namespace CustomControls
