#include "htmllistbox.h"

#include "htmllistaccessible.h"
#include "htmllistmodel.h"
#include "htmltextitemdelegate.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <utility>

namespace CustomControls
{

namespace
{
constexpr int RowHeight = 20;    // a row of one line
constexpr int SidewaysStep = 20; // pixels a click on the sideways scroll bar's arrow moves
} // namespace

HtmlListBox::HtmlListBox(QWidget *parent) : QAbstractItemView(parent)
{
    init(1);
}

HtmlListBox::HtmlListBox(int rows, QWidget *parent) : QAbstractItemView(parent)
{
    init(rows);
}

void HtmlListBox::init(int rows)
{
    // Before the model's first change asks for the list's interface.
    static const bool readable = (QAccessible::installFactory(&HtmlListAccessible::create), true);
    Q_UNUSED(readable);
    m_delegate = new HtmlTextItemDelegate(this);
    m_delegate->setSize(QSize(0, RowHeight));
    m_model = new HtmlListModel(qMax(0, rows), this);
    setItemDelegate(m_delegate);
    setModel(m_model);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    horizontalScrollBar()->setSingleStep(SidewaysStep);
    // Rows that leave alone (a smaller bound) change the scroll range too.
    connect(m_model, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int last) {
                tellRowsChanged(QAccessibleTableModelChangeEvent::RowsRemoved, first, last);
                if (!m_showing)
                    updateGeometries();
            });
    updateTextFormat();
}

// ---------------------------------------------------------------- rows

// Each added row would lay out and paint the view again: a burst reaches it at once.
void HtmlListBox::addItem(const QString &text)
{
    queue(ListRow::html(text));
}

void HtmlListBox::addLine(const QString &lead, const QString &text, const QString &colour)
{
    queue(ListRow::plain(lead, text, colour));
}

// Rows waiting for their show are bounded too: the oldest of them leave first.
void HtmlListBox::queue(ListRow row)
{
    m_added.append(std::move(row));
    const int bound = m_model->maximumRows();
    if (bound > 0 && m_added.size() > bound) {
        m_added.removeFirst();
        m_model->addDropped(1);
    }
    m_show.ask();
}

void HtmlListBox::setItems(const QStringList &items)
{
    m_added.clear();
    QList<ListRow> rows;
    rows.reserve(items.size());
    for (const QString &item : items)
        rows.append(ListRow::html(item));
    m_model->setRows(std::move(rows));
}

void HtmlListBox::setItemText(int row, const QString &text)
{
    const int shown = m_model->rowCount();
    if (row >= shown && row - shown < m_added.size())
        m_added[row - shown] = ListRow::html(text);
    else
        m_model->setRow(row, ListRow::html(text));
}

QString HtmlListBox::itemText(int row) const
{
    const ListRow *content = rowAt(row);
    return content ? content->toHtml() : QString();
}

QString HtmlListBox::lineText(int row) const
{
    const ListRow *content = rowAt(row);
    return content ? content->text : QString();
}

// Row number row counts the rows shown, then those waiting for their show.
const ListRow *HtmlListBox::rowAt(int row) const
{
    const int shown = m_model->rowCount();
    if (row < 0)
        return nullptr;
    if (row < shown)
        return &m_model->row(row);
    return row - shown < m_added.size() ? &m_added.at(row - shown) : nullptr;
}

int HtmlListBox::count() const
{
    return m_model->rowCount() + int(m_added.size());
}

void HtmlListBox::clear()
{
    m_show.cancel();
    m_added.clear();
    m_followSoon = false;
    m_announced = 0;
    m_model->clear();
    m_widestText = 0; // the rows narrow with the next one drawn
    updateGeometries();
    tellDropped();
}

void HtmlListBox::setMaximumRows(int rows)
{
    m_model->setMaximumRows(rows);
    tellDropped();
}

void HtmlListBox::tellDropped()
{
    if (droppedRows() == m_droppedTold)
        return;
    m_droppedTold = droppedRows();
    emit signal_rowsDropped(m_droppedTold);
}

qint64 HtmlListBox::droppedRows() const
{
    return m_model->droppedRows();
}

int HtmlListBox::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void HtmlListBox::setCurrentRow(int row)
{
    if (row >= m_model->rowCount())
        showAddedRows();
    const QModelIndex index = m_model->index(row, 0);
    setCurrentIndex(index);
    scrollTo(index);
}

void HtmlListBox::followLastRow()
{
    m_followSoon = true;
    showAddedRows();
}

void HtmlListBox::followLastRowSoon()
{
    m_followSoon = true;
    m_show.ask();
}

// All added rows in one insertion; the rows shown move up unpainted, and only the new ones are
// laid out and painted.
void HtmlListBox::showAddedRows()
{
    m_show.cancel();
    // The scroll bars change once, when the rows are in and followed: a bar changed back and
    // forth would be painted all the same.
    m_showing = true;
    if (!m_added.isEmpty())
        m_model->appendRows(std::exchange(m_added, {}));
    const int last = m_model->rowCount() - 1;
    if (std::exchange(m_followSoon, false) && last >= 0) {
        selectionModel()->setCurrentIndex(m_model->index(last, 0), QItemSelectionModel::Clear);
        moveTop(topShowingAtFoot(last));
    }
    m_showing = false;
    updateGeometries();
    announce();
    if (m_firstNew >= 0)
        paintRowsFrom(std::exchange(m_firstNew, -1));
    tellDropped();
}

void HtmlListBox::announceNewest()
{
    if (!m_added.isEmpty())
        m_announced = m_added.last().key;
}

// An event on the new row, which a screen reader hears of as a row added to the list. The row
// is looked for among those this show added; one that left before its show is not told.
void HtmlListBox::announce()
{
    const quint64 key = std::exchange(m_announced, 0);
    if (key == 0 || m_firstNew < 0 || !QAccessible::isActive())
        return;
    for (int row = m_model->rowCount() - 1; row >= m_firstNew; --row) {
        if (m_model->row(row).key == key) {
            QAccessibleEvent event(this, QAccessible::ObjectCreated);
            event.setChild(row);
            QAccessible::updateAccessibility(&event);
            return;
        }
    }
}

// The screen reader's items of the rows keep in step with rows that leave. While accessibility
// is active, the item view tells the list's interface of the model's changes itself (and told
// twice, the items would move twice); otherwise they are told here. The list's interface is made
// when first asked for (by a screen reader or here), and looked up after that.
void HtmlListBox::tellRowsChanged(QAccessibleTableModelChangeEvent::ModelChangeType change,
                                  int first, int last)
{
    if (QAccessible::isActive())
        return;
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(this);
    if (QAccessibleTableInterface *table = list ? list->tableInterface() : nullptr) {
        QAccessibleTableModelChangeEvent event(this, change);
        event.setFirstRow(first);
        event.setLastRow(last);
        table->modelChange(&event);
    }
}

void HtmlListBox::setItemSize(int width, int height)
{
    m_delegate->setSize(QSize(width, height));
    updateGeometries();
    viewport()->update();
}

// ---------------------------------------------------------------- geometry

int HtmlListBox::rowHeight(int row) const
{
    return m_delegate->rowSize(m_model->index(row, 0)).height();
}

int HtmlListBox::heightOf(int first, int last, int limit) const
{
    int height = 0;
    for (int row = first; row < last && height < limit; ++row)
        height += rowHeight(row);
    return height;
}

int HtmlListBox::topShowingAtFoot(int row) const
{
    const int room = viewport()->height();
    int top = row;
    int height = rowHeight(row);
    while (top > 0) {
        const int above = rowHeight(top - 1);
        if (height + above > room)
            break;
        height += above;
        --top;
    }
    return top;
}

int HtmlListBox::rowWidth() const
{
    return qMax(qMax(viewport()->width(), m_widestText), m_delegate->size().width());
}

QRect HtmlListBox::visualRect(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != m_model)
        return QRect();
    const int row = index.row();
    const int left = -horizontalOffset();
    const int minimum = qMax(1, m_delegate->size().height());
    // A row out of view gets a place out of view, without laying out the rows between.
    if (row < m_top)
        return QRect(left, -minimum * (m_top - row), rowWidth(), minimum);
    const int room = viewport()->height();
    const int top = heightOf(m_top, row, room + 1);
    if (top > room)
        return QRect(left, top, rowWidth(), minimum);
    return QRect(left, top, rowWidth(), rowHeight(row));
}

void HtmlListBox::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid() || index.model() != m_model)
        return;
    const int row = index.row();
    int top = m_top;
    if (hint == PositionAtTop || row < m_top)
        top = row;
    else if (hint == PositionAtBottom || visualRect(index).bottom() >= viewport()->height())
        top = topShowingAtFoot(row);
    moveTop(top);
}

QModelIndex HtmlListBox::indexAt(const QPoint &point) const
{
    int top = 0;
    for (int row = m_top; row < m_model->rowCount() && top <= point.y(); ++row) {
        top += rowHeight(row);
        if (point.y() >= 0 && point.y() < top)
            return m_model->index(row, 0);
    }
    return QModelIndex();
}

QModelIndex HtmlListBox::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    const int last = m_model->rowCount() - 1;
    const int current = currentRow();
    const int page = verticalScrollBar()->pageStep();
    int row = current;
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        row = current - 1;
        break;
    case MoveDown:
    case MoveNext:
        row = current + 1;
        break;
    case MovePageUp:
        row = current - page;
        break;
    case MovePageDown:
        row = current + page;
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = last;
        break;
    default:
        break;
    }
    return m_model->index(qBound(0, row, qMax(0, last)), 0);
}

int HtmlListBox::horizontalOffset() const
{
    return horizontalScrollBar()->value();
}

// The view scrolls by rows: no pixel offset counts vertically.
int HtmlListBox::verticalOffset() const
{
    return 0;
}

bool HtmlListBox::isIndexHidden(const QModelIndex &) const
{
    return false;
}

void HtmlListBox::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    const QRect area = rect.normalized();
    QModelIndex first = indexAt(area.topLeft());
    QModelIndex last = indexAt(area.bottomRight());
    if (!first.isValid())
        first = last;
    if (!last.isValid())
        last = first;
    if (!first.isValid()) {
        selectionModel()->select(QItemSelection(), command);
        return;
    }
    if (first.row() > last.row())
        std::swap(first, last);
    selectionModel()->select(QItemSelection(first, last), command);
}

QRegion HtmlListBox::visualRegionForSelection(const QItemSelection &selection) const
{
    QRegion region;
    const int room = viewport()->height();
    for (const QItemSelectionRange &range : selection) {
        for (int row = qMax(range.top(), m_top); row <= range.bottom(); ++row) {
            const QRect rect = visualRect(m_model->index(row, 0));
            if (rect.top() >= room)
                break;
            region += rect;
        }
    }
    return region;
}

void HtmlListBox::updateGeometries()
{
    const int rows = m_model->rowCount();
    QScrollBar *vertical = verticalScrollBar();
    const int last = rows > 0 ? topShowingAtFoot(rows - 1) : 0;
    if (m_top > last)
        moveTop(last);
    m_quiet = true; // the top row is set: the bar only follows
    vertical->setRange(0, last);
    vertical->setValue(m_top);
    m_quiet = false;
    vertical->setPageStep(qMax(1, viewport()->height() / qMax(1, m_delegate->size().height())));
    QScrollBar *sideways = horizontalScrollBar();
    sideways->setRange(0, qMax(0, rowWidth() - viewport()->width()));
    sideways->setPageStep(viewport()->width());
    QAbstractItemView::updateGeometries();
}

void HtmlListBox::scrollContentsBy(int dx, int dy)
{
    if (dx != 0)
        viewport()->scroll(dx, 0);
    if (dy != 0 && !m_quiet)
        moveTop(verticalScrollBar()->value());
}

// Rows that scroll by less than the view's height move unpainted; only the rows that come into
// view are painted.
void HtmlListBox::moveTop(int top)
{
    top = qBound(0, top, qMax(0, m_model->rowCount() - 1));
    const int oldTop = std::exchange(m_top, top);
    if (verticalScrollBar()->value() != top) {
        m_quiet = true;
        verticalScrollBar()->setValue(top);
        m_quiet = false;
    }
    if (top == oldTop)
        return;
    const int room = viewport()->height();
    const int moved = heightOf(qMin(oldTop, top), qMax(oldTop, top), room);
    if (moved >= room)
        viewport()->update();
    else
        viewport()->scroll(0, top > oldTop ? -moved : moved);
}

void HtmlListBox::paintRowsFrom(int row)
{
    const int top = qMax(0, visualRect(m_model->index(row, 0)).top());
    if (top < viewport()->height())
        viewport()->update(QRect(0, top, viewport()->width(), viewport()->height() - top));
}

// ---------------------------------------------------------------- model changes

void HtmlListBox::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QAbstractItemView::rowsInserted(parent, start, end);
    m_firstNew = m_firstNew < 0 ? start : qMin(m_firstNew, start);
    if (!m_showing)
        updateGeometries();
}

// Rows leaving above the view leave the rows shown where they are.
void HtmlListBox::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    QAbstractItemView::rowsAboutToBeRemoved(parent, start, end);
    if (end < m_top) {
        m_top -= end - start + 1;
        return;
    }
    if (start <= m_top)
        m_top = start;
    viewport()->update();
}

void HtmlListBox::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                              const QList<int> &roles)
{
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
    updateGeometries();
    viewport()->update();
}

void HtmlListBox::reset()
{
    QAbstractItemView::reset();
    tellRowsChanged(QAccessibleTableModelChangeEvent::ModelReset, 0, 0);
    m_firstNew = -1;
    m_top = 0;
    updateGeometries();
    viewport()->update();
}

// A screen reader follows the row the keyboard moves to (not the rows a show follows).
void HtmlListBox::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QAbstractItemView::currentChanged(current, previous);
    if (m_showing || !current.isValid() || !hasFocus() || !QAccessible::isActive())
        return;
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(current.row());
    QAccessible::updateAccessibility(&event);
}

// ---------------------------------------------------------------- events

// Rows are measured as they are drawn: one whose text runs wider than the view (a word longer than
// a line) and the widest so far widens every row, and the view is painted again.
void HtmlListBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State state = option.state;
    const QModelIndex current = currentIndex();
    const bool focus = hasFocus() || viewport()->hasFocus();
    const int room = viewport()->height();
    const int left = -horizontalOffset();
    const int width = rowWidth();
    int top = 0;
    for (int row = m_top; row < m_model->rowCount() && top < room; ++row) {
        const QModelIndex index = m_model->index(row, 0);
        const QRect rect(left, top, width, rowHeight(row));
        top = rect.bottom() + 1;
        if (!rect.intersects(event->rect()))
            continue;
        option.rect = rect;
        option.state = state;
        if (selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (focus && index == current)
            option.state |= QStyle::State_HasFocus;
        m_delegate->paint(&painter, option, index);
    }
    const int widest = m_delegate->takeWidestDrawn();
    if (widest <= m_widestText)
        return;
    m_widestText = widest;
    updateGeometries();
    viewport()->update();
}

void HtmlListBox::resizeEvent(QResizeEvent *event)
{
    QAbstractItemView::resizeEvent(event);
    updateTextFormat();
}

void HtmlListBox::changeEvent(QEvent *event)
{
    QAbstractItemView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateTextFormat();
}

// Rows wrap to the view's width, in the list's font: rows laid out otherwise are laid out again.
void HtmlListBox::updateTextFormat()
{
    const int wrapWidth = qMax(1, viewport()->width() - 2 * HtmlTextItemDelegate::TextMargin);
    if (!m_delegate->setTextFormat(font(), wrapWidth))
        return;
    updateGeometries();
    viewport()->update();
}

} // namespace CustomControls
