#include "pagecensus.h"

#include "formsheets.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTabWidget>

namespace
{

// Qt's own containers that hold the form's widgets (tab pages, scroll-area contents).
bool isFormContainer(const QString &name)
{
    return name == QLatin1String("qt_tabwidget_stackedwidget") ||
           name == QLatin1String("qt_scrollarea_viewport");
}

bool isInternal(const QObject *object)
{
    const QString name = object->objectName();
    return name.isEmpty() || name.startsWith(QLatin1String("qt_"));
}

// A named widget whose every ancestor up to root is the form's too.
bool isFormWidget(const QWidget *widget, const QWidget *root)
{
    if (isInternal(widget))
        return false;
    for (const QObject *p = widget->parent(); p && p != root; p = p->parent())
        if (isInternal(p) && !isFormContainer(p->objectName()))
            return false;
    return true;
}

QString expectedSheet(const QString &style)
{
    return FormSheets::isShared(style) ? FormSheets::text(style) : style;
}

} // namespace

PageCensus::PageCensus(QWidget *page)
{
    if (!page)
        return;
    m_widgets << page;
    const QList<QWidget *> all = page->findChildren<QWidget *>();
    for (QWidget *w : all)
        if (isFormWidget(w, page))
            m_widgets << w;
    for (QWidget *w : std::as_const(m_widgets))
        if (w->layout())
            walkLayout(w->layout());
}

void PageCensus::walkLayout(QLayout *layout)
{
    m_layouts << layout;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (item->spacerItem())
            ++m_spacers;
        else if (item->layout())
            walkLayout(item->layout());
    }
}

QMap<QString, int> PageCensus::widgetClasses() const
{
    QMap<QString, int> classes;
    for (const QWidget *w : m_widgets)
        ++classes[QString::fromLatin1(w->metaObject()->className())];
    return classes;
}

int PageCensus::boundClassCount() const
{
    int count = 0;
    for (const QWidget *w : m_widgets)
        if (QByteArray(w->metaObject()->className()).startsWith("CustomControls::"))
            ++count;
    return count;
}

int PageCensus::boundWithBindingCount() const
{
    int count = 0;
    for (const QWidget *w : m_widgets)
        if (QByteArray(w->metaObject()->className()).startsWith("CustomControls::") &&
            !w->accessibleName().isEmpty())
            ++count;
    return count;
}

QMap<QString, int> PageCensus::layoutClasses() const
{
    QMap<QString, int> classes;
    for (const QLayout *l : m_layouts)
        ++classes[QString::fromLatin1(l->metaObject()->className())];
    return classes;
}

QString PageCensus::textOf(const QWidget *widget)
{
    if (auto *stack = qobject_cast<const QStackedWidget *>(widget->parentWidget()))
        if (auto *tabs = qobject_cast<const QTabWidget *>(stack->parentWidget()))
            return tabs->tabText(tabs->indexOf(const_cast<QWidget *>(widget)));
    if (auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (auto *edit = qobject_cast<const QLineEdit *>(widget))
        return edit->text();
    if (auto *box = qobject_cast<const QGroupBox *>(widget))
        return box->title();
    if (auto *plain = qobject_cast<const QPlainTextEdit *>(widget))
        return plain->toPlainText();
    if (auto *combo = qobject_cast<const QComboBox *>(widget)) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items.join(QLatin1Char('|'));
    }
    return QString();
}

QStringList PageCensus::compareRow(const CensusRow &row, const QWidget *widget) const
{
    QStringList problems;
    const auto check = [&](const char *what, const QString &actual, const QString &expected) {
        if (actual != expected)
            problems << QStringLiteral("%1: %2 is \"%3\", table says \"%4\"")
                            .arg(row.name, QLatin1String(what), actual, expected);
    };
    check("class", QString::fromLatin1(widget->metaObject()->className()), row.className);
    check("accessible name", widget->accessibleName(), row.binding);
    check("text", textOf(widget), row.text);
    check("style sheet", widget->styleSheet(), expectedSheet(row.style));
    return problems;
}

QStringList PageCensus::compare(const QList<CensusRow> &table) const
{
    QStringList problems;
    QHash<QString, const QWidget *> byName;
    for (const QWidget *w : m_widgets) {
        if (byName.contains(w->objectName()))
            problems << QStringLiteral("%1: twice on the page").arg(w->objectName());
        byName.insert(w->objectName(), w);
    }
    QHash<QString, int> listed;
    for (const CensusRow &row : table) {
        if (listed[row.name]++ == 1)
            problems << QStringLiteral("%1: twice in the table").arg(row.name);
        if (const QWidget *w = byName.value(row.name))
            problems << compareRow(row, w);
        else
            problems << QStringLiteral("%1: missing from the page").arg(row.name);
    }
    for (const QWidget *w : m_widgets)
        if (!listed.contains(w->objectName()))
            problems << QStringLiteral("%1: %2 not in the table")
                            .arg(w->objectName(), QLatin1String(w->metaObject()->className()));
    return problems;
}

QStringList PageCensus::duplicateNames(QWidget *form)
{
    const PageCensus census(form);
    QMap<QString, int> uses;
    for (const QWidget *w : census.m_widgets)
        ++uses[w->objectName()];
    for (const QLayout *l : census.m_layouts)
        ++uses[l->objectName()];
    QStringList duplicates;
    for (auto it = uses.cbegin(); it != uses.cend(); ++it)
        if (it.value() > 1 || it.key().isEmpty())
            duplicates << it.key();
    return duplicates;
}
