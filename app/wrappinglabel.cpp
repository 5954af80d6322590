#include "wrappinglabel.h"

#include <QTextDocument>
#include <QtMath>

WrappingLabel::WrappingLabel(QWidget *parent) : QLabel(parent)
{
    setWordWrap(true);
}

// QLabel's own hint for a wrapping text is a block a few words wide.
QSize WrappingLabel::sizeHint() const
{
    int line = 0;
    if (textFormat() == Qt::RichText ||
        (textFormat() == Qt::AutoText && Qt::mightBeRichText(text()))) {
        QTextDocument document;
        document.setDefaultFont(font());
        document.setDocumentMargin(0);
        document.setHtml(text());
        line = qCeil(document.idealWidth());
    } else {
        // As the label measures it for a width, with room for every line.
        line = fontMetrics()
                   .boundingRect(QRect(0, 0, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX),
                                 int(alignment() & ~(Qt::AlignVCenter | Qt::AlignHCenter)), text())
                   .width();
    }
    const QMargins frame = contentsMargins();
    const int width = line + frame.left() + frame.right() + 2 * margin() + qMax(indent(), 0);
    return QSize(width, heightForWidth(width)).expandedTo(minimumSize());
}
