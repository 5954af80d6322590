#pragma once

#include "listrow.h"

#include <QCache>
#include <QFont>
#include <QTextLayout>

namespace CustomControls
{

// The rows of a list laid out as text for drawing, each once for its font and width, and kept for
// the rows drawn lately: a row already laid out is drawn from its layout again. A plain row is
// laid out as plain text in its colours, with no markup read; a rich row is read as HTML once.
// Rows wrap at word boundaries to the width; a word wider than it runs on.
class RowLayouts
{
public:
    struct Laid {
        QTextLayout layout;
        int height = 0;       // of its lines
        int naturalWidth = 0; // of its widest line
    };

    // Rows laid out before in another font or to another width are laid out again. Whether the
    // font or the width changed.
    bool setFormat(const QFont &font, int wrapWidth);
    // The row laid out; valid until the next call.
    const Laid &of(const ListRow &row);
    void clear() { m_laid.clear(); }
    int wrapWidth() const { return m_wrapWidth; }

private:
    void layOut(Laid *laid) const;
    static void readHtml(const QString &html, const QFont &font, QTextLayout *layout);

    QCache<quint64, Laid> m_laid{256}; // more than a screen holds
    QFont m_font;
    int m_wrapWidth = -1;
};

} // namespace CustomControls
