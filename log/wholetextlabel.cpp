#include "wholetextlabel.h"

#include <QPainter>
#include <QTextLayout>
#include <QtMath>

namespace
{

constexpr int MinimumCharacters = 10; // the narrowest the label gets

} // namespace

WholeTextLabel::WholeTextLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true); // tells the layouts that the height follows the width
}

int WholeTextLabel::layOut(QTextLayout *layout, int width) const
{
    QString text = QLabel::text();
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    layout->setText(text);
    layout->setFont(font());
    QTextOption option(alignment());
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    qreal height = 0;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(qMax(1, width));
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout->endLayout();
    return qCeil(height);
}

int WholeTextLabel::heightForWidth(int width) const
{
    const QMargins frame = contentsMargins();
    QTextLayout layout;
    return layOut(&layout, width - frame.left() - frame.right()) + frame.top() + frame.bottom();
}

QSize WholeTextLabel::sizeHint() const
{
    const QMargins frame = contentsMargins();
    const int width = qCeil(fontMetrics().horizontalAdvance(text())) + frame.left() + frame.right();
    return QSize(width, heightForWidth(width)).expandedTo(minimumSize());
}

QSize WholeTextLabel::minimumSizeHint() const
{
    const QMargins frame = contentsMargins();
    return QSize(fontMetrics().averageCharWidth() * MinimumCharacters + frame.left() +
                     frame.right(),
                 fontMetrics().height() + frame.top() + frame.bottom());
}

void WholeTextLabel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    const QRect room = contentsRect();
    QTextLayout layout;
    layOut(&layout, room.width());
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    layout.draw(&painter, room.topLeft());
}
