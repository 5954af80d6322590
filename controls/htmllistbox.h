#pragma once

#include <QListView>
#include <QStringList>

class QStandardItemModel;

namespace CustomControls
{

class HtmlTextItemDelegate;

// A one-column list whose rows are rich text (HTML), drawn by HtmlTextItemDelegate.
// Row texts go to the document unchanged: callers escape plain text that holds markup. Every
// row is as wide as the widest row's text (at least half the list), so a row wider than the
// list scrolls sideways instead of being cut.
class HtmlListBox : public QListView
{
    Q_OBJECT
public:
    explicit HtmlListBox(QWidget *parent = nullptr);
    HtmlListBox(int rows, QWidget *parent = nullptr);

    void addItem(const QString &text);
    void setItems(const QStringList &items);
    void setItemText(int row, const QString &text);
    QString itemText(int row) const;
    int count() const;
    void clear();
    int currentRow() const;
    void setCurrentRow(int row);
    // Makes row the current one without selecting it (the selection goes) and scrolls down to
    // the last row, keeping the sideways scroll.
    void followLastRow();
    void setItemSize(int width, int height);

    HtmlTextItemDelegate *delegate() const { return m_delegate; }
    QStandardItemModel *itemModel() const { return m_model; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void init(int rows);
    int hintWidthFor(int listWidth) const { return listWidth / 2 - 10; }
    void widenTo(const QString &text);
    void updateRowWidth();

    HtmlTextItemDelegate *m_delegate = nullptr;
    QStandardItemModel *m_model = nullptr;
    int m_widestText = 0; // the widest row's text, in pixels
};

} // namespace CustomControls
