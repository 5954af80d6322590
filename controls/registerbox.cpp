#include "registerbox.h"

#include "accessiblenames.h"
#include "checkbox.h"
#include "lineedit.h"
#include "register.h"

#include <QContextMenuEvent>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace CustomControls
{

namespace
{
const char GroupStyle[] =
    "QGroupBox{font-weight: bold; color: grey; background-color: qlineargradient(spread:reflect, "
    "x1:0.432, y1:0, x2:0.432, y2:0.466318, stop:0.1875 %1, stop:1 rgba(255, 255, 255, 255));"
    "border: 2px solid %2; border-radius:5px;}";

// The selected bits as an unsigned number, bit 0 of the selection lowest (wider than 32 bits:
// bit i goes to value bit i mod 32). Reads the bits directly, so no receiver hears of it.
quint32 selectionValue(const Register &selection)
{
    quint32 value = 0;
    for (int i = 0; i < selection.size(); ++i) {
        if (selection.bitAt(i)->value())
            value |= quint32(1) << (i % 32);
    }
    return value;
}

QStringList fieldList(const Register &reg, const QString &templ)
{
    return reg.format(templ, true, false).split(';', Qt::SkipEmptyParts);
}
} // namespace

// ---- row ----

RegisterBox::Control::Control(QWidget *parent, int type, int labelWidth)
    : QWidget(parent), m_labelWidth(labelWidth), m_type(type)
{
    auto *box = new QHBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    m_label = new QLabel(this);
    m_label->setFixedWidth(QFontInfo(m_label->font()).pointSize() * m_labelWidth);
    box->addWidget(m_label);
    if (type == CheckBoxRow) {
        m_checkBox = new CheckBox(this);
        m_checkBox->setFixedWidth(17);
        box->addWidget(m_checkBox);
    } else if (type == NumberRow) {
        m_numberField = new LineEdit(this);
        m_numberField->setFixedWidth(80);
        box->addWidget(m_numberField);
    }
}

void RegisterBox::Control::setText(const QString &text)
{
    m_label->setText(text);
}

void RegisterBox::Control::setBindingName(const QString &name)
{
    QWidget *input = m_checkBox ? static_cast<QWidget *>(m_checkBox) : m_numberField;
    if (!input)
        return;
    AccessibleNames::setBindingName(input, name);
    input->setAccessibleName(m_label->text());
}

void RegisterBox::Control::setValue(quint32 value)
{
    if (m_checkBox)
        m_checkBox->setChecked(value != 0);
    else if (m_numberField)
        m_numberField->setValue(double(value));
}

void RegisterBox::Control::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
}

// ---- register box ----

const QStringList &RegisterBox::groupColours()
{
    static const QStringList colours = {"rgba(202, 202, 202, 162)", "rgba(255, 202, 156, 162)",
                                        "rgba(142, 203, 255, 162)"};
    return colours;
}

RegisterBox::RegisterBox(QWidget *parent) : QScrollArea(parent)
{
    setWidget(new QWidget);
    setWidgetResizable(true);
}

RegisterBox::~RegisterBox()
{
    clearGroups();
}

QWidget *RegisterBox::contentWidget()
{
    if (!widget()) {
        setWidget(new QWidget);
        setWidgetResizable(true);
    }
    return widget();
}

void RegisterBox::clearGroups()
{
    for (QGroupBox *group : std::as_const(m_groups))
        delete group;
    m_groups.clear();
    m_positions.clear();
}

QStringList RegisterBox::checkedGroups() const
{
    QStringList values;
    for (auto it = m_groups.cbegin(); it != m_groups.cend(); ++it) {
        if (it.value()->isChecked())
            values.append(it.key());
    }
    return values;
}

void RegisterBox::setGroupChecked(const QString &value, bool checked)
{
    if (QGroupBox *group = m_groups.value(value))
        group->setChecked(checked);
}

QString RegisterBox::rowLabel(const QString &field, int firstBit, int width) const
{
    const int first = (m_flags & BitPositions) ? firstBit : 0;
    if (width <= 1)
        return (m_flags & BitPositions) ? QString("%1[%2]").arg(field).arg(first) : field;
    return QString("%1[%3:%2]").arg(field).arg(first).arg(first + width - 1);
}

QGroupBox *RegisterBox::createGroup(const QString &value, const QString &fieldColour,
                                    const Register &reg)
{
    QWidget *content = contentWidget();
    auto *group = new QGroupBox(content);
    content->layout()->addWidget(group);
    m_groups.insert(value, group);
    group->setProperty(m_groupKey.toLatin1().constData(), value);

    auto *grid = new QGridLayout(group);
    grid->setContentsMargins(10, 5, 10, 5);
    if (m_flags & TitledGroups) {
        group->setTitle(QString("%1 (%2)").arg(m_groupKey.toUpper(), value));
        grid->setContentsMargins(0, 15, 0, 5);
    }

    QString colour = fieldColour;
    if (colour.isEmpty() && (m_flags & AlternateColours))
        colour = groupColours().at(m_groupCounter % 2);
    if (colour.isEmpty())
        colour = reg.attribute("color");
    if (colour.isEmpty())
        colour = groupColours().at(0);

    if (m_flags & CheckableGroups)
        group->setCheckable(true);
    group->setStyleSheet(QString(GroupStyle).arg(colour, colour));
    ++m_groupCounter;
    return group;
}

void RegisterBox::build(Register &reg)
{
    clearGroups();
    m_groupCounter = 0;
    QWidget *content = contentWidget();
    if (!content->layout()) {
        auto *box = new QVBoxLayout(content);
        box->setContentsMargins(0, 0, 0, 0);
    }

    int labelWidth = 0;
    for (const QString &entry : fieldList(reg, "@name;"))
        labelWidth = qMax(labelWidth, int(entry.size()));

    for (const QString &field : fieldList(reg, "@purename;")) {
        const int firstBit = reg.indexOf(field);
        // Read what is needed of the selection at once: the next select reuses the view.
        const Register *selection = reg.select(field);
        const int width = selection->size();
        if (width == 0)
            continue;
        const Bit *first = selection->bitAt(0);
        const QString value = first->attribute(m_groupKey);
        const QString fieldColour = first->attribute("color");
        const quint32 fieldValue = selectionValue(*selection);

        QGroupBox *group = m_groups.value(value);
        if (!group)
            group = createGroup(value, fieldColour, reg);
        GridPosition &position = m_positions[value];
        auto *grid = static_cast<QGridLayout *>(group->layout());

        auto *row =
            new Control(group, width == 1 ? Control::CheckBoxRow : Control::NumberRow, labelWidth);
        row->setText(rowLabel(field, firstBit, width));
        if (width > 1)
            row->setValue(fieldValue);
        row->setBindingName(QString("%1[%2]").arg(reg.name(), field));

        if (position.column >= m_columns) {
            ++position.line;
            position.column = 0;
        }
        grid->addWidget(row, position.line, position.column);
        ++position.column;
    }
    measureGroups();
}

// The groups and the content are measured once, when every row is in: measuring after each row
// would measure the whole box again for every row.
void RegisterBox::measureGroups()
{
    if (m_groups.isEmpty())
        return;
    for (QGroupBox *group : std::as_const(m_groups)) {
        const auto *grid = static_cast<const QGridLayout *>(group->layout());
        group->setMinimumHeight(25 * grid->rowCount() + 20);
    }
    contentWidget()->adjustSize();
    for (QGroupBox *group : std::as_const(m_groups))
        group->adjustSize();
}

} // namespace CustomControls
