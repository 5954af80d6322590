#include "accessiblenames.h"

#include "universalcontrol.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QBoxLayout>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTextDocument>

namespace CustomControls
{

namespace
{
// The property that keeps a widget's binding name once its accessible name reads its label.
const char BindingProperty[] = "bindingName";
// The most room between a widget placed by hand and a label above or under it that names it.
constexpr int LabelGap = 6;

bool isBound(const QWidget *widget)
{
    return dynamic_cast<const UniversalControl *>(widget) != nullptr;
}

bool hasBindingName(const QWidget *widget)
{
    return widget->property(BindingProperty).isValid();
}

// A label's text as it reads, or empty for a label that shows no text (a picture, a hidden one).
QString labelText(const QLabel *label)
{
    if (!label || label->isHidden())
        return {};
    const bool rich = label->textFormat() == Qt::RichText ||
                      (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
    return rich ? AccessibleNames::plainText(label->text()) : label->text().trimmed();
}

const QLabel *labelOf(QLayoutItem *item)
{
    const auto *label = item ? qobject_cast<const QLabel *>(item->widget()) : nullptr;
    return labelText(label).isEmpty() ? nullptr : label;
}

// The item before index in a row or column, passing over spacing.
QLayoutItem *itemBefore(QBoxLayout *box, int index)
{
    for (int i = index - 1; i >= 0; --i) {
        QLayoutItem *item = box->itemAt(i);
        if (!item->spacerItem())
            return item;
    }
    return nullptr;
}

// In a grid, the first item from (row, column) on in the direction (rows, columns) that is not
// spacing, when it is a label.
const QLabel *labelFrom(QGridLayout *grid, int row, int column, int rows, int columns)
{
    for (int r = row + rows, c = column + columns; r >= 0 && c >= 0; r += rows, c += columns) {
        QLayoutItem *item = grid->itemAtPosition(r, c);
        if (item && !item->spacerItem())
            return labelOf(item);
    }
    return nullptr;
}

// The layouts from layout down to the one that holds widget, each with the index of the item
// that leads to it; false when none holds it.
bool pathTo(QLayout *layout, const QWidget *widget, QList<QPair<QLayout *, int>> *path)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (item->widget() == widget || (item->layout() && pathTo(item->layout(), widget, path))) {
            path->prepend({layout, i});
            return true;
        }
    }
    return false;
}

// The label just before the item that path leads to, from the innermost layout out: the grid
// cell on its left past spacing (else above it), the label of a form's row, the item before it
// in a row or column; an item first in its row or column is labelled as that row or column is,
// in the layout around it.
const QLabel *labelBefore(const QList<QPair<QLayout *, int>> &path)
{
    for (auto step = path.crbegin(); step != path.crend(); ++step) {
        QLayout *layout = step->first;
        const int index = step->second;
        if (auto *box = qobject_cast<QBoxLayout *>(layout)) {
            if (QLayoutItem *before = itemBefore(box, index))
                return labelOf(before);
            continue;
        }
        int row = 0, column = 0, rows = 0, columns = 0;
        if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
            grid->getItemPosition(index, &row, &column, &rows, &columns);
            const QLabel *left = labelFrom(grid, row, column, 0, -1);
            return left ? left : labelFrom(grid, row, column, -1, 0);
        }
        if (auto *form = qobject_cast<QFormLayout *>(layout)) {
            QFormLayout::ItemRole role = QFormLayout::FieldRole;
            form->getItemPosition(index, &row, &role);
            return role == QFormLayout::FieldRole
                       ? labelOf(form->itemAt(row, QFormLayout::LabelRole))
                       : nullptr;
        }
        return nullptr;
    }
    return nullptr;
}

// Placed by hand: the nearest label that ends just before widget's left edge (or under it) and
// lies in line with widget's top line.
const QLabel *labelInLine(const QWidget *widget)
{
    const QRect place = widget->geometry();
    const QLabel *nearest = nullptr;
    for (QObject *o : widget->parentWidget()->children()) {
        const auto *label = qobject_cast<const QLabel *>(o);
        if (!label || labelText(label).isEmpty())
            continue;
        const QRect other = label->geometry();
        const int topLine = place.top() + qMin(place.height(), 2 * other.height());
        const bool inLine = other.center().y() >= place.top() && other.center().y() < topLine;
        const bool before =
            other.center().x() <= place.left() && place.left() - other.right() - 1 <= 2 * LabelGap;
        if (inLine && before && (!nearest || other.left() > nearest->x()))
            nearest = label;
    }
    return nearest;
}

// Placed by hand: a label just above widget, starting over its left part; for a picture
// button, else its caption just under it, centred on it.
const QLabel *labelOverOrUnder(const QWidget *widget)
{
    const QRect place = widget->geometry();
    const QLabel *under = nullptr;
    for (QObject *o : widget->parentWidget()->children()) {
        const auto *label = qobject_cast<const QLabel *>(o);
        if (!label || labelText(label).isEmpty())
            continue;
        const QRect other = label->geometry();
        const int gapAbove = place.top() - other.bottom() - 1;
        if (gapAbove >= 0 && gapAbove <= LabelGap && other.left() >= place.left() - LabelGap &&
            other.left() <= place.center().x())
            return label;
        if (other.top() > place.center().y() && other.top() <= place.bottom() + LabelGap &&
            other.center().x() >= place.left() && other.center().x() <= place.right())
            under = label;
    }
    return qobject_cast<const QAbstractButton *>(widget) ? under : nullptr;
}

// The title of the group box that holds widget, as Qt reads it for the group's own widgets.
QString groupTitle(const QWidget *widget)
{
    for (const QWidget *w = widget->parentWidget(); w; w = w->parentWidget()) {
        const auto *group = qobject_cast<const QGroupBox *>(w);
        if (group && !group->title().isEmpty())
            return AccessibleNames::plainText(group->title());
    }
    return {};
}

// A bound widget without a label: its bit or field, within the group box it sits in.
QString boundPlace(QWidget *widget)
{
    auto *control = dynamic_cast<UniversalControl *>(widget);
    const QString field = control->registerName(0);
    QString place = field.isEmpty() ? control->registerName(2) : field;
    bool number = false;
    field.section(QLatin1Char(':'), 0, 0).toInt(&number);
    if (number)
        place =
            (field.contains(QLatin1Char(':')) ? QStringLiteral("bits ") : QStringLiteral("bit ")) +
            field;
    const QString group = groupTitle(widget);
    return group.isEmpty() ? place : group + QLatin1Char(' ') + place;
}

// What widget reads as when the form gives it no name; empty where Qt reads a text of the
// widget's own (a button's).
QString nameOf(QWidget *widget)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget)) {
        if (!button->text().isEmpty())
            return {};
    }
    const QString label = AccessibleNames::visibleLabel(widget);
    if (!label.isEmpty())
        return label;
    return isBound(widget) ? boundPlace(widget) : groupTitle(widget);
}
} // namespace

QString AccessibleNames::bindingName(const QWidget *widget)
{
    return hasBindingName(widget) ? widget->property(BindingProperty).toString()
                                  : widget->accessibleName();
}

void AccessibleNames::setBindingName(QWidget *widget, const QString &name)
{
    widget->setProperty(BindingProperty, name);
}

void AccessibleNames::nameControls(QWidget *root)
{
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (QWidget *widget : std::as_const(widgets)) {
        if (Qt::mightBeRichText(widget->toolTip()))
            describeByToolTip(widget);
        const bool bound = isBound(widget);
        // A bound widget's accessible name, until it is moved, is the name that binds it.
        QString name = bound && !hasBindingName(widget) ? QString() : widget->accessibleName();
        // Qt's own parts of a widget ("qt_spinbox_lineedit") read through the widget.
        const bool part = widget->objectName().startsWith(QLatin1String("qt_"));
        if (name.isEmpty() && !part && (bound || widget->focusPolicy() != Qt::NoFocus))
            name = nameOf(widget);
        setName(widget, name);
    }
}

void AccessibleNames::setName(QWidget *widget, const QString &name)
{
    if (isBound(widget) && !hasBindingName(widget))
        setBindingName(widget, widget->accessibleName());
    if (widget->accessibleName() != name)
        widget->setAccessibleName(name);
    if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        combo->view()->setAccessibleName(name);
        if (combo->lineEdit())
            combo->lineEdit()->setAccessibleName(name);
    }
}

QString AccessibleNames::visibleLabel(const QWidget *widget)
{
    const QWidget *parent = widget->parentWidget();
    if (!parent)
        return {};
    for (const QLabel *label : parent->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        if (label->buddy() == widget)
            return labelText(label);
    }
    QList<QPair<QLayout *, int>> path;
    if (parent->layout() && pathTo(parent->layout(), widget, &path))
        return labelText(labelBefore(path));
    const QLabel *label = labelInLine(widget);
    return labelText(label ? label : labelOverOrUnder(widget));
}

QString AccessibleNames::plainText(const QString &text)
{
    QString plain = text;
    if (Qt::mightBeRichText(text)) {
        QTextDocument document;
        document.setHtml(text);
        plain = document.toPlainText();
    }
    QStringList lines;
    for (const QString &line : plain.split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            lines.append(line.trimmed());
    }
    return lines.join(QLatin1Char('\n'));
}

void AccessibleNames::describeByToolTip(QWidget *widget)
{
    widget->setAccessibleDescription(plainText(widget->toolTip()));
}

} // namespace CustomControls
