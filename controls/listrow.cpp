#include "listrow.h"

#include <QTextDocumentFragment>

#include <atomic>

namespace CustomControls
{

namespace
{

// Every row made gets a key of its own, so a layout kept for a row is never taken for another.
quint64 nextKey()
{
    static std::atomic<quint64> last{0};
    return ++last;
}

// Text as HTML element content: "&", "<" and ">" escaped (quotes need no escape there).
QString escaped(const QString &text)
{
    QString html = text;
    html.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    html.replace(QLatin1Char('<'), QLatin1String("&lt;"));
    html.replace(QLatin1Char('>'), QLatin1String("&gt;"));
    return html;
}

} // namespace

ListRow ListRow::plain(const QString &lead, const QString &text, const QString &colour)
{
    return ListRow{lead, text, colour, nextKey(), false};
}

ListRow ListRow::html(const QString &html)
{
    return ListRow{QString(), html, QString(), nextKey(), true};
}

QString ListRow::toHtml() const
{
    if (rich)
        return text;
    if (colour.isEmpty())
        return escaped(lead + text);
    return escaped(lead) + QStringLiteral("<font color=\"%1\">").arg(colour.toHtmlEscaped()) +
           escaped(text) + QStringLiteral("</font>");
}

QString ListRow::shownText() const
{
    if (rich)
        return QTextDocumentFragment::fromHtml(text).toPlainText();
    if (lead.isEmpty() && text.startsWith(QLatin1Char(' ')))
        return text.mid(1);
    return lead + text;
}

} // namespace CustomControls
