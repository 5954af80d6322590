#include "htmllistbox.h"

#include "htmltextitemdelegate.h"

#include <QResizeEvent>
#include <QStandardItemModel>

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
}

void HtmlListBox::addItem(const QString &text)
{
    const int row = m_model->rowCount();
    m_model->setRowCount(row + 1);
    m_model->setData(m_model->index(row, 0), text, Qt::EditRole);
}

void HtmlListBox::setItems(const QStringList &items)
{
    m_model->setRowCount(int(items.size()));
    for (int row = 0; row < items.size(); ++row)
        m_model->setData(m_model->index(row, 0), items.at(row), Qt::EditRole);
}

void HtmlListBox::setItemText(int row, const QString &text)
{
    m_model->setData(m_model->index(row, 0), text, Qt::EditRole);
}

QString HtmlListBox::itemText(int row) const
{
    return m_model->data(m_model->index(row, 0), Qt::DisplayRole).toString();
}

int HtmlListBox::count() const
{
    return m_model->rowCount();
}

void HtmlListBox::clear()
{
    m_model->clear();
    m_model->setColumnCount(1);
}

int HtmlListBox::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void HtmlListBox::setCurrentRow(int row)
{
    const QModelIndex index = m_model->index(row, 0);
    setCurrentIndex(index);
    scrollTo(index);
}

void HtmlListBox::setItemSize(int width, int height)
{
    m_delegate->setSize(QSize(width, height));
    scheduleDelayedItemsLayout();
}

void HtmlListBox::resizeEvent(QResizeEvent *event)
{
    QListView::resizeEvent(event);
    // The scroll area also routes its viewport's resizes here: take the list box's own width.
    m_delegate->setSize(QSize(hintWidthFor(width()), m_delegate->size().height()));
    scheduleDelayedItemsLayout();
}

} // namespace CustomControls
