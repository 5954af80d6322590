#pragma once

#include "rowlayouts.h"

#include <QSize>
#include <QStyledItemDelegate>

namespace CustomControls
{

class HtmlListModel;

// Draws the rows of an HtmlListBox: the style draws each row's background, selection and focus,
// and the row's text is drawn from its layout, made once (RowLayouts). Every row is at least as
// large as the size set; a row's text wraps to the width set, and it notes the widest text it
// drew, for the list to widen its rows to.
class HtmlTextItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    // The text's distance from a row's left and top edges.
    static constexpr int TextMargin = 4;

    explicit HtmlTextItemDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;

    void setSize(const QSize &size) { m_size = size; }
    QSize size() const { return m_size; }
    // The font of the rows' text, and the width it wraps at; whether either changed.
    bool setTextFormat(const QFont &font, int wrapWidth)
    {
        return m_layouts.setFormat(font, wrapWidth);
    }
    // The size of the row's text laid out, with its margins, at least the size set.
    QSize rowSize(const QModelIndex &index) const;
    // The widest text drawn wider than the width it wraps at (its widest line, with the
    // margins) since the last call; 0 when every text drawn kept within.
    int takeWidestDrawn();

private:
    // The row's layout, or null for an index of another model.
    const RowLayouts::Laid *laidOut(const QModelIndex &index) const;

    QSize m_size{-1, -1};
    mutable RowLayouts m_layouts;
    mutable int m_widestDrawn = 0;
};

} // namespace CustomControls
