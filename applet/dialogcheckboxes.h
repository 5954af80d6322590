#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

class QAbstractButton;
class QDialogButtonBox;
class QListWidget;
class QListWidgetItem;
class QVBoxLayout;

// Lets the user choose from a list of names: several (kind 0, check boxes with "All On" and
// "All Off") or exactly one (kind 1, radio buttons, the first checked from the start).
// An item "name=1" shows name checked, "name=0" unchecked.
class DialogCheckBoxes : public QDialog
{
    Q_OBJECT
public:
    explicit DialogCheckBoxes(int kind, QWidget *parent = nullptr);

    void addItems(const QStringList &items);
    // Empties out, then appends the text of every checked button in row order.
    int checkedItems(QStringList *out) const;
    // Appends the row of every checked button to out; returns out's length.
    int checkedIndexes(QList<int> *out) const;
    void addWidget(QWidget *w);

private slots:
    void slot_SetAllOn();
    void slot_SetAllOff();

private:
    void setAllChecked(bool on);

    int m_kind;
    QListWidget *m_list;
    QVBoxLayout *m_layout;
    QList<QListWidgetItem *> m_rows;
    QList<QAbstractButton *> m_buttons;
    QDialogButtonBox *m_buttonBox;
};
