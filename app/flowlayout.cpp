#include "flowlayout.h"

#include <QHBoxLayout>
#include <QWidget>

#include <algorithm>

namespace
{

// Between rows.
constexpr int RowGap = 2;

// An item's width in a row of the given width: its preferred one, cut to the row.
int widthIn(const QLayoutItem *item, int row)
{
    return std::max(std::min(item->sizeHint().width(), row), item->minimumSize().width());
}

int heightAt(const QLayoutItem *item, int width)
{
    return item->hasHeightForWidth() ? item->heightForWidth(width) : item->sizeHint().height();
}

} // namespace

FlowLayout::FlowLayout(QWidget *parent) : QLayout(parent)
{
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void FlowLayout::addGroup(const QList<QWidget *> &widgets)
{
    auto *group = new QHBoxLayout;
    group->setContentsMargins(0, 0, 0, 0);
    group->setSpacing(spacing());
    for (QWidget *widget : widgets)
        group->addWidget(widget);
    addChildLayout(group);
    addItem(group);
}

void FlowLayout::addItem(QLayoutItem *item)
{
    m_items.append(item);
    invalidate();
}

int FlowLayout::count() const
{
    return int(m_items.size());
}

QLayoutItem *FlowLayout::itemAt(int index) const
{
    return m_items.value(index);
}

QLayoutItem *FlowLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    invalidate();
    return m_items.takeAt(index);
}

Qt::Orientations FlowLayout::expandingDirections() const
{
    return {};
}

bool FlowLayout::hasHeightForWidth() const
{
    return true;
}

int FlowLayout::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

QSize FlowLayout::sizeHint() const
{
    QSize size(0, 0);
    bool first = true;
    for (const QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        if (!first)
            size.rwidth() += std::max(spacing(), 0);
        first = false;
        const int width = widthIn(item, QWIDGETSIZE_MAX);
        size.rwidth() += width;
        size.setHeight(std::max(size.height(), heightAt(item, width)));
    }
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize FlowLayout::minimumSize() const
{
    QSize size(0, 0);
    for (const QLayoutItem *item : m_items) {
        if (!item->isEmpty())
            size = size.expandedTo(QSize(item->minimumSize().width(), item->sizeHint().height()));
    }
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

void FlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

// Each row is as high as its highest item; the items of a row stand centred on its middle.
int FlowLayout::arrange(const QRect &rect, bool place) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int gap = std::max(spacing(), 0);
    int top = area.top();
    qsizetype first = 0;
    while (first < m_items.size()) {
        // The items of this row and its height.
        int x = area.left();
        int height = 0;
        qsizetype end = first;
        for (; end < m_items.size(); ++end) {
            const QLayoutItem *item = m_items.at(end);
            if (item->isEmpty())
                continue;
            const int width = widthIn(item, area.width());
            if (x > area.left() && x + width > area.left() + area.width())
                break;
            x += width + gap;
            height = std::max(height, heightAt(item, width));
        }
        if (place) {
            x = area.left();
            for (qsizetype i = first; i < end; ++i) {
                QLayoutItem *item = m_items.at(i);
                if (item->isEmpty())
                    continue;
                const int width = widthIn(item, area.width());
                const int itemHeight = std::min(heightAt(item, width), height);
                item->setGeometry(QRect(x, top + (height - itemHeight) / 2, width, itemHeight));
                x += width + gap;
            }
        }
        if (height > 0)
            top += height + RowGap;
        first = end;
    }
    const QMargins m = contentsMargins();
    return std::max(top - RowGap - area.top(), 0) + m.top() + m.bottom();
}
