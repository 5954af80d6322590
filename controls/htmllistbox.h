#pragma once

#include "htmllistmodel.h"
#include "pacedcall.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QList>
#include <QStringList>

namespace CustomControls
{

class HtmlTextItemDelegate;

// A one-column list of rows drawn by HtmlTextItemDelegate: plain rows (a lead, then a text in a
// colour; no markup is read from them) or rich rows (HTML: callers escape plain text that holds
// markup). A row's text wraps at word boundaries to the list's width; a word wider than the list
// widens every row to it, and the rows scroll sideways. The list scrolls a row at a time.
// Rows added in a burst count and read at once, but reach the view together, a few times a
// second at most; a show lays out and paints only the rows it adds, the rows already shown move
// up unpainted. With a bound, the oldest rows leave as new ones come. A screen reader reads it
// as a list of its rows shown, each as the plain text drawn (HtmlListAccessible).
class HtmlListBox : public QAbstractItemView
{
    Q_OBJECT
public:
    explicit HtmlListBox(QWidget *parent = nullptr);
    HtmlListBox(int rows, QWidget *parent = nullptr);

    // The row reaches the view with the next paced show of the rows added.
    void addItem(const QString &text);
    // A plain row: lead in the list's text colour, text in colour (an HTML colour name).
    void addLine(const QString &lead, const QString &text, const QString &colour);
    void setItems(const QStringList &items);
    void setItemText(int row, const QString &text);
    // The row as HTML (a plain row's texts escaped).
    QString itemText(int row) const;
    // The plain row's text without its lead; a rich row's HTML.
    QString lineText(int row) const;
    int count() const;
    void clear();
    int currentRow() const;
    void setCurrentRow(int row);
    // Makes the last row the current one without selecting it (the selection goes) and scrolls
    // down to it, keeping the sideways scroll.
    void followLastRow();
    // The same, with the next paced show of the rows added.
    void followLastRowSoon();
    // Shows the rows added so far now (following the last row when that was asked for).
    void showAddedRows();
    bool hasRowsToShow() const { return m_show.isAsked(); }
    // The newest row added is told to a screen reader as new when it shows (of the rows so marked
    // in a burst, the newest).
    void announceNewest();
    void setItemSize(int width, int height);

    // At most this many rows are kept (0: every row); older rows leave.
    void setMaximumRows(int rows);
    // The rows that have left for newer ones since the list was last emptied.
    qint64 droppedRows() const;

    HtmlTextItemDelegate *delegate() const { return m_delegate; }
    HtmlListModel *itemModel() const { return m_model; }

    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint &point) const override;

signals:
    // Rows have left the list for newer ones (count: all that left since it was emptied).
    void signal_rowsDropped(qint64 count);

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex &index) const override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

protected slots:
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;
    void reset() override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void init(int rows);
    void queue(ListRow row);
    const ListRow *rowAt(int row) const;
    int rowHeight(int row) const;
    // The height of rows first to last - 1, counted up to limit at most.
    int heightOf(int first, int last, int limit) const;
    // The top row that shows row whole at the view's foot (row itself when it is taller).
    int topShowingAtFoot(int row) const;
    int rowWidth() const;
    // Makes top the first row shown, moving the rows in view that stay.
    void moveTop(int top);
    void updateTextFormat();
    void paintRowsFrom(int row);
    void tellDropped();
    void tellRowsChanged(QAccessibleTableModelChangeEvent::ModelChangeType change, int first,
                         int last);
    void announce();

    HtmlTextItemDelegate *m_delegate = nullptr;
    HtmlListModel *m_model = nullptr;
    int m_top = 0;             // the first row shown, at the view's top
    bool m_quiet = false;      // the scroll bar follows the top row: nothing to move
    bool m_showing = false;    // a show inserts its rows: the scroll bars wait for its end
    int m_widestText = 0;      // the widest text drawn wider than the view, in pixels
    int m_firstNew = -1;       // the first row the show under way inserted
    QList<ListRow> m_added;    // rows after the model's, not yet shown
    bool m_followSoon = false; // the next show follows the last row
    qint64 m_droppedTold = 0;  // the rows that had left when signal_rowsDropped last said so
    quint64 m_announced = 0;   // the key of the row to tell a screen reader of at its show
    PacedCall m_show{this, [this]() { showAddedRows(); }};
};

} // namespace CustomControls
