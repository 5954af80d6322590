#include "widgetprompt.h"

#include "dialogcheckboxes.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QRadioButton>

int WidgetPrompt::message(const Message &msg)
{
    QMessageBox box(QMessageBox::Icon(msg.icon), msg.title, msg.text,
                    QMessageBox::StandardButtons(msg.buttons));
    if (!msg.informativeText.isEmpty())
        box.setInformativeText(msg.informativeText);
    if (msg.defaultButton != NoButton)
        box.setDefaultButton(QMessageBox::StandardButton(msg.defaultButton));
    return box.exec();
}

void WidgetPrompt::notify(const Message &msg)
{
    if (msg.icon == Critical)
        return;
    m_notices.removeAll(nullptr);
    for (QMessageBox *open : std::as_const(m_notices)) {
        if (open->windowTitle() == msg.title && open->text() == msg.text) {
            open->raise();
            return;
        }
    }
    auto *box = new QMessageBox(QMessageBox::Icon(msg.icon), msg.title, msg.text,
                                QMessageBox::StandardButtons(msg.buttons));
    if (!msg.informativeText.isEmpty())
        box->setInformativeText(msg.informativeText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
    m_notices.append(box);
}

QString WidgetPrompt::getText(const QString &title, const QString &label, const QString &text,
                              bool *ok)
{
    return QInputDialog::getText(nullptr, title, label, QLineEdit::Normal, text, ok);
}

QString WidgetPrompt::getItem(const QString &title, const QString &label, const QStringList &items,
                              int current, bool *ok)
{
    // The dialog reads "name=1" as a checked item, so names holding "=" take the input dialog.
    const bool plainNames = !items.join(QString()).contains(QLatin1Char('='));
    if (!plainNames || !label.isEmpty())
        return QInputDialog::getItem(nullptr, title, label, items, current, false, ok);
    DialogCheckBoxes dialog(1);
    dialog.setWindowTitle(title);
    dialog.addItems(items);
    const QList<QRadioButton *> buttons = dialog.findChildren<QRadioButton *>();
    if (current >= 0 && current < buttons.size())
        buttons.at(current)->setChecked(true);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (ok)
        *ok = accepted;
    QStringList checked;
    dialog.checkedItems(&checked);
    return checked.value(0);
}

int WidgetPrompt::getInt(const QString &title, const QString &label, int value, int min, int max,
                         int step, bool *ok)
{
    return QInputDialog::getInt(nullptr, title, label, value, min, max, step, ok);
}

QString WidgetPrompt::openFileName(const QString &title, const QString &dir, const QString &filter)
{
    return QFileDialog::getOpenFileName(nullptr, title, dir, filter);
}

QString WidgetPrompt::saveFileName(const QString &title, const QString &dir, const QString &filter)
{
    return QFileDialog::getSaveFileName(nullptr, title, dir, filter);
}

QString WidgetPrompt::directoryName(const QString &title, const QString &dir)
{
    return QFileDialog::getExistingDirectory(
        nullptr, title, dir, QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}

QStringList WidgetPrompt::getChoices(const QString &title, const QStringList &items, bool *ok)
{
    DialogCheckBoxes dialog(0);
    dialog.setWindowTitle(title);
    dialog.addItems(items);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (ok)
        *ok = accepted;
    // By row, so the answer holds the items as given, whatever the buttons show.
    QList<int> rows;
    dialog.checkedIndexes(&rows);
    QStringList checked;
    for (int row : std::as_const(rows))
        checked.append(items.value(row));
    return checked;
}
