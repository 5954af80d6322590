#include "rowlayouts.h"

#include <QColor>
#include <QTextBlock>
#include <QTextDocument>
#include <QtMath>

namespace CustomControls
{

bool RowLayouts::setFormat(const QFont &font, int wrapWidth)
{
    if (font == m_font && wrapWidth == m_wrapWidth)
        return false;
    m_font = font;
    m_wrapWidth = wrapWidth;
    m_laid.clear();
    return true;
}

const RowLayouts::Laid &RowLayouts::of(const ListRow &row)
{
    if (Laid *kept = m_laid.object(row.key))
        return *kept;
    auto *laid = new Laid;
    laid->layout.setFont(m_font);
    if (row.rich) {
        readHtml(row.text, m_font, &laid->layout);
    } else {
        const QString shown = row.shownText();
        laid->layout.setText(shown);
        if (!row.colour.isEmpty()) {
            const int textStart = int(row.lead.size());
            QTextLayout::FormatRange coloured{textStart, int(shown.size()) - textStart, {}};
            coloured.format.setForeground(QColor::fromString(row.colour));
            laid->layout.setFormats({coloured});
        }
    }
    layOut(laid);
    m_laid.insert(row.key, laid);
    return *laid;
}

void RowLayouts::layOut(Laid *laid) const
{
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    laid->layout.setTextOption(option);
    laid->layout.setCacheEnabled(true); // the glyphs stay for each drawing
    qreal y = 0;
    qreal widest = 0;
    laid->layout.beginLayout();
    for (QTextLine line = laid->layout.createLine(); line.isValid();
         line = laid->layout.createLine()) {
        line.setLineWidth(qMax(1, m_wrapWidth));
        line.setPosition(QPointF(0, y));
        y += line.height();
        widest = qMax(widest, line.naturalTextWidth());
    }
    laid->layout.endLayout();
    laid->height = qCeil(y);
    laid->naturalWidth = qCeil(widest);
}

// The row's text and character formats as the HTML gives them; its blocks become lines.
void RowLayouts::readHtml(const QString &html, const QFont &font, QTextLayout *layout)
{
    QTextDocument document;
    document.setDefaultFont(font);
    document.setHtml(html);
    QString text;
    QList<QTextLayout::FormatRange> formats;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            text += QChar::LineSeparator;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            formats.append({int(text.size()), int(fragment.length()), fragment.charFormat()});
            text += fragment.text();
        }
    }
    layout->setText(text);
    layout->setFormats(formats);
}

} // namespace CustomControls
