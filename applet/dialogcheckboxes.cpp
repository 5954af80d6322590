#include "dialogcheckboxes.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

DialogCheckBoxes::DialogCheckBoxes(int kind, QWidget *parent)
    : QDialog(parent), m_kind(kind), m_list(new QListWidget(this)), m_layout(new QVBoxLayout),
      m_buttonBox(
          new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Horizontal))
{
    m_layout->addWidget(m_list);
    m_layout->addWidget(m_buttonBox);
    setLayout(m_layout);
    if (m_kind != 1) {
        QPushButton *allOn =
            m_buttonBox->addButton(QStringLiteral("All On"), QDialogButtonBox::ActionRole);
        QPushButton *allOff =
            m_buttonBox->addButton(QStringLiteral("All Off"), QDialogButtonBox::ActionRole);
        connect(allOn, &QPushButton::clicked, this, &DialogCheckBoxes::slot_SetAllOn);
        connect(allOff, &QPushButton::clicked, this, &DialogCheckBoxes::slot_SetAllOff);
    }
    connect(m_buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void DialogCheckBoxes::addItems(const QStringList &items)
{
    for (const QString &item : items) {
        QAbstractButton *button =
            m_kind == 1 ? static_cast<QAbstractButton *>(new QRadioButton) : new QCheckBox;
        button->setFixedSize(150, 15);
        // The button goes into the list first: all buttons share the list's viewport, so the
        // radio buttons exclude each other while their check states are set below.
        auto *row = new QListWidgetItem(m_list);
        m_list->setItemWidget(row, button);
        if (m_kind == 1 && m_buttons.isEmpty())
            button->setChecked(true);
        m_rows.append(row);
        m_buttons.append(button);

        const QStringList parts = item.split(QLatin1Char('='));
        button->setText(parts.first());
        if (parts.size() == 2)
            button->setChecked(parts.at(1).toInt(nullptr, 10) != 0);
    }
}

int DialogCheckBoxes::checkedItems(QStringList *out) const
{
    out->clear();
    for (const QAbstractButton *button : m_buttons) {
        if (button->isChecked())
            out->append(button->text());
    }
    return int(out->size());
}

int DialogCheckBoxes::checkedIndexes(QList<int> *out) const
{
    for (int i = 0; i < m_buttons.size(); ++i) {
        if (m_buttons.at(i)->isChecked())
            out->append(i);
    }
    return int(out->size());
}

void DialogCheckBoxes::addWidget(QWidget *w)
{
    m_layout->addWidget(w);
}

void DialogCheckBoxes::slot_SetAllOn()
{
    setAllChecked(true);
}

void DialogCheckBoxes::slot_SetAllOff()
{
    setAllChecked(false);
}

void DialogCheckBoxes::setAllChecked(bool on)
{
    for (QAbstractButton *button : m_buttons)
        button->setChecked(on);
}
