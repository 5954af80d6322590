#pragma once

// Look-ups shared by the page tests of the board form: class names as the census reports
// them, widgets by object name, grid cells, channel-numbered names and binding names.

#include "formhost.h"
#include "pagecensus.h"
#include "universalcontrol.h"

#include <QGridLayout>
#include <QLayout>
#include <QList>
#include <QSpacerItem>
#include <QString>

namespace PageLookup
{

inline const QString CheckBox = QStringLiteral("CustomControls::CheckBox");
inline const QString LineEdit = QStringLiteral("CustomControls::LineEdit");
inline const QString RealEdit = QStringLiteral("CustomControls::RealEdit");
inline const QString PushButton = QStringLiteral("CustomControls::PushButton");
inline const QString Dial = QStringLiteral("CustomControls::Dial");
inline const QString Label = QStringLiteral("QLabel");
inline const QString GroupBox = QStringLiteral("QGroupBox");
// An edit counts text set after its construction as the user's edit and marks it blue, which
// replaces the style sheet the form gave it.
inline const QString MarkedEdit = QStringLiteral("color:blue;");

// The form's widget of that name and class, or nullptr (with a warning naming it).
template <typename T> T *widget(const FormHost &host, const QString &name)
{
    T *found = host.form.findChild<T *>(name);
    if (!found)
        qWarning("no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    return found;
}

// Row, column, row span and column span of a widget in the named grid layout of its parent
// widget; empty when it is not in that grid.
inline QList<int> cellOf(const QWidget *widget, const QString &gridName)
{
    if (!widget)
        return {};
    auto *grid = widget->parentWidget()->findChild<QGridLayout *>(gridName);
    const int index = grid ? grid->indexOf(const_cast<QWidget *>(widget)) : -1;
    if (index < 0)
        return {};
    int row, column, rowSpan, columnSpan;
    grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
    return {row, column, rowSpan, columnSpan};
}

// "%1" in a pattern stands for the channel number; patterns without it stay as they are.
inline QString forChannel(const QString &pattern, int channel)
{
    return pattern.contains(QLatin1String("%1")) ? pattern.arg(channel) : pattern;
}

// Census rows of one of two twin groups. Each twin gives its channel-1 and channel-2 object
// names (one, two) and its className, and binding, text and style as channel patterns.
template <typename Twin> QList<CensusRow> twinRows(const QList<Twin> &twins, int channel)
{
    QList<CensusRow> rows;
    for (const Twin &w : twins)
        rows << CensusRow{QString::fromLatin1(channel == 1 ? w.one : w.two), w.className,
                          forChannel(w.binding, channel), forChannel(w.text, channel),
                          forChannel(w.style, channel)};
    return rows;
}

// The spacers of the page's named layouts as "layout width x height horizontal-policy
// vertical-policy" (policies as numbers of QSizePolicy::Policy), sorted.
inline QStringList spacersOf(QWidget *page)
{
    QStringList spacers;
    for (const QLayout *layout : page->findChildren<QLayout *>()) {
        if (layout->objectName().isEmpty()) // Qt's own, inside complex widgets
            continue;
        for (int i = 0; i < layout->count(); ++i)
            if (QSpacerItem *spacer = layout->itemAt(i)->spacerItem())
                spacers << QStringLiteral("%1 %2x%3 %4 %5")
                               .arg(layout->objectName())
                               .arg(spacer->sizeHint().width())
                               .arg(spacer->sizeHint().height())
                               .arg(int(spacer->sizePolicy().horizontalPolicy()))
                               .arg(int(spacer->sizePolicy().verticalPolicy()));
    }
    spacers.sort();
    return spacers;
}

// The binding name a bound widget reports; empty for a plain Qt widget.
inline QString bindingOf(QWidget *widget)
{
    auto *control = dynamic_cast<CustomControls::UniversalControl *>(widget);
    return control ? control->registerName(2) : QString();
}

} // namespace PageLookup
