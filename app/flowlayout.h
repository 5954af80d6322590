#pragma once

#include <QLayout>
#include <QList>

class QWidget;

// Lays its items out left to right in rows, each at its preferred width, and starts another
// row where the width runs out, so that a narrow window shows every item whole instead of
// squeezing them over each other. An item wider than a whole row gets the row's width (a
// wrapping label then takes more lines). A group added as a layout stays together in one row.
class FlowLayout : public QLayout
{
    Q_OBJECT
public:
    explicit FlowLayout(QWidget *parent = nullptr);
    ~FlowLayout() override;

    // Widgets that stay side by side in one row.
    void addGroup(const QList<QWidget *> &widgets);

    void addItem(QLayoutItem *item) override;
    int count() const override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;

    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    // Every item in one row.
    QSize sizeHint() const override;
    // The widest item, one row high.
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

private:
    // Lays the items out in rect's width (placing them when place is set); the height used.
    int arrange(const QRect &rect, bool place) const;

    QList<QLayoutItem *> m_items;
};
