#pragma once

#include <QSize>
#include <QStyledItemDelegate>

namespace CustomControls
{

// Draws a list row as rich text (HTML) and gives every row the same size hint. It notes the
// widest text it drew, for the list to widen its rows to.
class HtmlTextItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit HtmlTextItemDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;

    void setSize(const QSize &size) { m_size = size; }
    QSize size() const { return m_size; }
    // The widest text drawn (one line, with the document's margins) since the last call.
    int takeWidestDrawn();

private:
    QSize m_size{-1, -1};
    mutable int m_widestDrawn = 0;
};

} // namespace CustomControls
