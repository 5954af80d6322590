#include "htmllistbox.h"

#include "htmltextitemdelegate.h"

#include <QItemSelectionModel>
#include <QResizeEvent>
#include <QStandardItemModel>
#include <QTextDocument>
#include <QtMath>

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
    widenTo(text);
}

void HtmlListBox::setItems(const QStringList &items)
{
    m_model->setRowCount(int(items.size()));
    for (int row = 0; row < items.size(); ++row) {
        m_model->setData(m_model->index(row, 0), items.at(row), Qt::EditRole);
        widenTo(items.at(row));
    }
}

void HtmlListBox::setItemText(int row, const QString &text)
{
    m_model->setData(m_model->index(row, 0), text, Qt::EditRole);
    widenTo(text);
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
    m_widestText = 0; // the rows narrow with the next one added
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

void HtmlListBox::followLastRow()
{
    selectionModel()->setCurrentIndex(m_model->index(count() - 1, 0), QItemSelectionModel::Clear);
    scrollToBottom();
}

void HtmlListBox::setItemSize(int width, int height)
{
    m_delegate->setSize(QSize(width, height));
    scheduleDelayedItemsLayout();
}

// The text's width as the delegate draws it: one line, with the document's margins.
void HtmlListBox::widenTo(const QString &text)
{
    QTextDocument document;
    document.setDefaultFont(font());
    document.setHtml(text);
    const int width = qCeil(document.size().width());
    if (width <= m_widestText)
        return;
    m_widestText = width;
    updateRowWidth();
}

void HtmlListBox::updateRowWidth()
{
    m_delegate->setSize(
        QSize(qMax(hintWidthFor(width()), m_widestText), m_delegate->size().height()));
    scheduleDelayedItemsLayout();
}

void HtmlListBox::resizeEvent(QResizeEvent *event)
{
    QListView::resizeEvent(event);
    // The scroll area also routes its viewport's resizes here: take the list box's own width.
    updateRowWidth();
}

} // namespace CustomControls
