#pragma once

#include <QString>

namespace CustomControls
{

// One row of an HtmlListBox: either plain text (a lead in the list's text colour, then a text in
// a colour of its own), or rich text (HTML) for rows that carry markup of their own.
struct ListRow {
    QString lead;    // plain rows: drawn in the list's text colour
    QString text;    // plain rows: drawn in colour; rich rows: the whole row's HTML
    QString colour;  // plain rows: the text's colour as HTML names it; empty: the text colour
    quint64 key = 0; // names the row's content, for the layouts kept of it
    bool rich = false;

    static ListRow plain(const QString &lead, const QString &text, const QString &colour);
    static ListRow html(const QString &html);
    // The row as HTML: a plain row's texts escaped, its colour as a font tag.
    QString toHtml() const;
    // The row's text as it is drawn: a plain row's lead and text (a blank that would begin the
    // row is not drawn, as in rich text); a rich row's HTML as plain text.
    QString shownText() const;
};

} // namespace CustomControls
