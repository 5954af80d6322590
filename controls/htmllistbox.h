#pragma once

#include "pacedcall.h"

#include <QListView>
#include <QStringList>

class QStandardItemModel;

namespace CustomControls
{

class HtmlTextItemDelegate;

// A one-column list whose rows are rich text (HTML), drawn by HtmlTextItemDelegate.
// Row texts go to the document unchanged: callers escape plain text that holds markup. Every
// row is as wide as the widest row's text drawn so far (at least half the list), so a row wider
// than the list scrolls sideways instead of being cut. Rows added in a burst count and read at
// once, but reach the view (its layout and paint) together, a few times a second at most.
class HtmlListBox : public QListView
{
    Q_OBJECT
public:
    explicit HtmlListBox(QWidget *parent = nullptr);
    HtmlListBox(int rows, QWidget *parent = nullptr);

    // The row reaches the view with the next paced show of the rows added.
    void addItem(const QString &text);
    void setItems(const QStringList &items);
    void setItemText(int row, const QString &text);
    QString itemText(int row) const;
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
    void setItemSize(int width, int height);

    HtmlTextItemDelegate *delegate() const { return m_delegate; }
    QStandardItemModel *itemModel() const { return m_model; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void init(int rows);
    int hintWidthFor(int listWidth) const { return listWidth / 2 - 10; }
    void updateRowWidth();

    HtmlTextItemDelegate *m_delegate = nullptr;
    QStandardItemModel *m_model = nullptr;
    int m_widestText = 0;      // the widest row's text drawn, in pixels
    QStringList m_added;       // rows after the model's, not yet shown
    bool m_followSoon = false; // the next show follows the last row
    PacedCall m_show{this, [this]() { showAddedRows(); }};
};

} // namespace CustomControls
