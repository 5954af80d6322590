#include "htmltextitemdelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTextDocument>
#include <QtMath>

#include <utility>

namespace CustomControls
{

HtmlTextItemDelegate::HtmlTextItemDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

void HtmlTextItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    QStyleOptionViewItem itemOption = option;
    initStyleOption(&itemOption, index);

    painter->save();
    QTextDocument document;
    document.setDefaultFont(itemOption.font);
    document.setHtml(itemOption.text);

    // Background, selection, focus and icon come from the style; the text from the document.
    itemOption.text.clear();
    QStyle *style = itemOption.widget ? itemOption.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &itemOption, painter, nullptr);

    painter->translate(itemOption.rect.topLeft());
    document.drawContents(painter, QRectF(0, 0, itemOption.rect.width(), itemOption.rect.height()));
    painter->restore();
    m_widestDrawn = qMax(m_widestDrawn, qCeil(document.size().width()));
}

int HtmlTextItemDelegate::takeWidestDrawn()
{
    return std::exchange(m_widestDrawn, 0);
}

QSize HtmlTextItemDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return m_size;
}

QWidget *HtmlTextItemDelegate::createEditor(QWidget *, const QStyleOptionViewItem &,
                                            const QModelIndex &) const
{
    return nullptr;
}

} // namespace CustomControls
