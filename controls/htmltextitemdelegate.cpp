#include "htmltextitemdelegate.h"

#include "htmllistmodel.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

#include <utility>

namespace CustomControls
{

namespace
{
constexpr int BottomMargin = 2;
} // namespace

HtmlTextItemDelegate::HtmlTextItemDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

const RowLayouts::Laid *HtmlTextItemDelegate::laidOut(const QModelIndex &index) const
{
    const auto *model = qobject_cast<const HtmlListModel *>(index.model());
    if (!model || index.row() < 0 || index.row() >= model->rowCount())
        return nullptr;
    return &m_layouts.of(model->row(index.row()));
}

void HtmlTextItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    // Background, selection and focus come from the style; the text from its layout.
    QStyleOptionViewItem itemOption = option;
    itemOption.text.clear();
    itemOption.features &= ~QStyleOptionViewItem::HasDisplay;
    QStyle *style = itemOption.widget ? itemOption.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &itemOption, painter, itemOption.widget);

    const RowLayouts::Laid *laid = laidOut(index);
    if (!laid)
        return;
    painter->save();
    painter->setPen(option.palette.color(QPalette::Text));
    // Only the lines in view are drawn (a row may be taller than the list).
    const QRectF shown = QRectF(option.rect).intersected(QRectF(painter->viewport()));
    laid->layout.draw(painter,
                      QPointF(option.rect.left() + TextMargin, option.rect.top() + TextMargin), {},
                      shown);
    painter->restore();
    if (laid->naturalWidth > m_layouts.wrapWidth())
        m_widestDrawn = qMax(m_widestDrawn, laid->naturalWidth + 2 * TextMargin);
}

QSize HtmlTextItemDelegate::rowSize(const QModelIndex &index) const
{
    const RowLayouts::Laid *laid = laidOut(index);
    if (!laid)
        return m_size;
    return QSize(laid->naturalWidth + 2 * TextMargin, laid->height + TextMargin + BottomMargin)
        .expandedTo(m_size);
}

int HtmlTextItemDelegate::takeWidestDrawn()
{
    return std::exchange(m_widestDrawn, 0);
}

QSize HtmlTextItemDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    return rowSize(index);
}

QWidget *HtmlTextItemDelegate::createEditor(QWidget *, const QStyleOptionViewItem &,
                                            const QModelIndex &) const
{
    return nullptr;
}

} // namespace CustomControls
