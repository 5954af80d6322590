#pragma once

// Census of one page of the board form: which widgets, layouts and spacers it holds.
//
// How a page test uses it:
//
//     FormHost host;                                   // formhost.h: the form in a bare widget
//     QList<CensusRow> table;
//     table << CensusRow{"control", "QWidget", "", "Control registers"};   // the page itself
//     table << CensusRow{"pbRead", "CustomControls::PushButton", "Read_REG_0()", "Read",
//                        "PushButtonStyle dark small"};
//     for (int i = 18; i <= 47; ++i)                   // loops for regular runs
//         table << CensusRow{QStringLiteral("btWriteEEPROM_%1").arg(i), ...};
//     const PageCensus census(host.page("control"));
//     const QStringList problems = census.compare(table);
//     QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
//     QCOMPARE(census.widgetCount(), 162);             // page included
//     QCOMPARE(census.layoutCount(), 32);
//     QCOMPARE(census.spacerCount(), 15);
//
// A row gives the object name, the exact class name, the accessible name ("" when none is set
// or it is set empty), the text (button, label and line-edit text, group-box title, combo items
// joined by "|", plain-text contents, the tab title for the page itself, "" for the rest) and the
// style sheet: a name known to FormSheets ("PushButtonStyle light"), a literal sheet
// ("color: black;"), or "" for none. The page must hold exactly the table's widgets.
//
// The form's widgets are the page and its named descendants; Qt's own children (names starting
// "qt_", unnamed ones) are not the form's. Layouts and spacer items are found by walking the
// layouts of the form's widgets.

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class QLayout;
class QWidget;

struct CensusRow {
    QString name;
    QString className;
    QString binding;
    QString text;
    QString style;
};

class PageCensus
{
public:
    explicit PageCensus(QWidget *page);

    // The form's widgets on the page, page first, in tree order.
    const QList<QWidget *> &widgets() const { return m_widgets; }
    int widgetCount() const { return int(m_widgets.size()); }
    // Widgets by exact class name ("QLabel", "CustomControls::CheckBox").
    QMap<QString, int> widgetClasses() const;
    // Widgets of the bound-widget library, and those of them with a non-empty accessible name.
    int boundClassCount() const;
    int boundWithBindingCount() const;

    int layoutCount() const { return int(m_layouts.size()); }
    // Layouts by class name ("QGridLayout").
    QMap<QString, int> layoutClasses() const;
    int spacerCount() const { return m_spacers; }

    // What differs between the page and the table, one line per difference; empty when the
    // page holds exactly the table's widgets with their classes, bindings, texts and sheets.
    QStringList compare(const QList<CensusRow> &table) const;

    // Object names (widgets and layouts) used more than once anywhere in the form; "" when a
    // layout has no name.
    static QStringList duplicateNames(QWidget *form);
    // The census's text of a widget (see above).
    static QString textOf(const QWidget *widget);

private:
    void walkLayout(QLayout *layout);
    QStringList compareRow(const CensusRow &row, const QWidget *widget) const;

    QList<QWidget *> m_widgets;
    QList<QLayout *> m_layouts;
    int m_spacers = 0;
};
