#include "htmltextitemdelegate.h"

#include "htmllistmodel.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <utility>

namespace CustomControls
{

namespace
{

constexpr int BottomMargin = 2;
constexpr double ReadableContrast = 4.5; // what text needs against its background

// Relative luminance and contrast as the WCAG define them: 1 for equal colours, 21 for black on
// white.
double luminance(const QColor &colour)
{
    const auto channel = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour of a selected row's text: the palette's highlighted text where it reads on the
// selection, else black or white, whichever reads better (one of them always does).
QColor selectedTextColour(const QStyleOptionViewItem &option)
{
    // The colour group the style fills the selection from.
    QPalette::ColorGroup group = QPalette::Disabled;
    if (option.state & QStyle::State_Enabled)
        group = option.state & QStyle::State_Active ? QPalette::Normal : QPalette::Inactive;
    const QColor selection = option.palette.color(group, QPalette::Highlight);
    const QColor text = option.palette.color(group, QPalette::HighlightedText);
    if (contrast(text, selection) >= ReadableContrast)
        return text;
    const QColor black(Qt::black), white(Qt::white);
    return contrast(black, selection) >= contrast(white, selection) ? black : white;
}

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
    // On the selection, the level colours would not read: the whole text takes one colour that
    // does.
    QList<QTextLayout::FormatRange> selected;
    if (option.state & QStyle::State_Selected) {
        selected.append({0, int(laid->layout.text().size()), {}});
        selected.first().format.setForeground(selectedTextColour(option));
    }
    laid->layout.draw(painter,
                      QPointF(option.rect.left() + TextMargin, option.rect.top() + TextMargin),
                      selected, shown);
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
