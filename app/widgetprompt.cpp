#include "widgetprompt.h"

#include "dialogcheckboxes.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QRadioButton>

namespace
{

// Gives every label of a dialog the format; a label left to Qt's automatic detection would take
// a text from outside that looks like markup for markup, and load the pictures it names.
void setLabelFormat(QWidget *dialog, Qt::TextFormat format)
{
    const QList<QLabel *> labels = dialog->findChildren<QLabel *>();
    for (QLabel *label : labels)
        label->setTextFormat(format);
}

// The message's box, its texts in the message's format. Each label gets its format before its
// text: the box makes its informative label on the first informative text, with Qt's automatic
// detection, so it is made with a blank first.
void fillMessageBox(QMessageBox *box, const Prompt::Message &msg)
{
    const Qt::TextFormat format = msg.richText ? Qt::RichText : Qt::PlainText;
    box->setIcon(QMessageBox::Icon(msg.icon));
    box->setWindowTitle(msg.title);
    if (msg.buttons != Prompt::NoButton) // none: the box gives itself an OK button
        box->setStandardButtons(QMessageBox::StandardButtons(msg.buttons));
    box->setTextFormat(format);
    if (!msg.informativeText.isEmpty())
        box->setInformativeText(QStringLiteral(" "));
    setLabelFormat(box, format);
    box->setText(msg.text);
    if (!msg.informativeText.isEmpty())
        box->setInformativeText(msg.informativeText);
}

// An input dialog whose label shows its text as plain text.
void prepareInputDialog(QInputDialog *dialog, const QString &title, const QString &label)
{
    dialog->setWindowTitle(title);
    dialog->setLabelText(QString()); // makes the label
    setLabelFormat(dialog, Qt::PlainText);
    dialog->setLabelText(label);
}

bool accepted(QDialog *dialog, bool *ok)
{
    const bool yes = dialog->exec() == QDialog::Accepted;
    if (ok)
        *ok = yes;
    return yes;
}

} // namespace

int WidgetPrompt::message(const Message &msg)
{
    QMessageBox box;
    fillMessageBox(&box, msg);
    if (msg.defaultButton != NoButton)
        box.setDefaultButton(QMessageBox::StandardButton(msg.defaultButton));
    return box.exec();
}

void WidgetPrompt::notify(const Message &msg)
{
    if (msg.icon == Critical)
        return;
    QString text = msg.title.isEmpty() ? msg.text : msg.title + QStringLiteral(": ") + msg.text;
    if (!msg.informativeText.isEmpty())
        text += QLatin1Char('\n') + msg.informativeText;
    if (!msg.richText && m_noticeTarget && m_noticeTarget(text))
        return;
    m_notices.removeAll(nullptr);
    for (QMessageBox *open : std::as_const(m_notices)) {
        if (open->isVisible() && open->windowTitle() == msg.title && open->text() == msg.text) {
            open->raise();
            return;
        }
    }
    auto *box = new QMessageBox;
    fillMessageBox(box, msg);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
    m_notices.append(box);
}

QString WidgetPrompt::getText(const QString &title, const QString &label, const QString &text,
                              bool *ok)
{
    QInputDialog dialog;
    prepareInputDialog(&dialog, title, label);
    dialog.setTextValue(text);
    return accepted(&dialog, ok) ? dialog.textValue() : QString();
}

QString WidgetPrompt::getItem(const QString &title, const QString &label, const QStringList &items,
                              int current, bool *ok)
{
    // The dialog reads "name=1" as a checked item, so names holding "=" take the input dialog.
    const bool plainNames = !items.join(QString()).contains(QLatin1Char('='));
    if (!plainNames || !label.isEmpty()) {
        QInputDialog dialog;
        prepareInputDialog(&dialog, title, label);
        dialog.setComboBoxItems(items);
        dialog.setTextValue(items.value(current));
        return accepted(&dialog, ok) ? dialog.textValue() : items.value(current);
    }
    DialogCheckBoxes dialog(1);
    dialog.setWindowTitle(title);
    dialog.addItems(items);
    const QList<QRadioButton *> buttons = dialog.findChildren<QRadioButton *>();
    if (current >= 0 && current < buttons.size())
        buttons.at(current)->setChecked(true);
    accepted(&dialog, ok);
    QStringList checked;
    dialog.checkedItems(&checked);
    return checked.value(0);
}

int WidgetPrompt::getInt(const QString &title, const QString &label, int value, int min, int max,
                         int step, bool *ok)
{
    QInputDialog dialog;
    prepareInputDialog(&dialog, title, label);
    dialog.setIntRange(min, max);
    dialog.setIntValue(value);
    dialog.setIntStep(step);
    return accepted(&dialog, ok) ? dialog.intValue() : value;
}

QString WidgetPrompt::openFileName(const QString &title, const QString &dir, const QString &filter)
{
    return QFileDialog::getOpenFileName(nullptr, title, dir, filter);
}

QString WidgetPrompt::saveFileName(const QString &title, const QString &dir, const QString &filter)
{
    // The dialog's own question about a file that exists would take a file name that looks like
    // markup for markup; this one shows it as it is. No opens the dialog again, as there.
    QString start = dir;
    for (;;) {
        const QString name = QFileDialog::getSaveFileName(nullptr, title, start, filter, nullptr,
                                                          QFileDialog::DontConfirmOverwrite);
        if (name.isEmpty() || !QFileInfo::exists(name))
            return name;
        Message question;
        question.icon = Warning;
        question.title = title;
        question.text = QStringLiteral("%1 already exists.\nDo you want to replace it?")
                            .arg(QFileInfo(name).fileName());
        question.buttons = Yes | No;
        question.defaultButton = No;
        if (message(question) == Yes)
            return name;
        start = name;
    }
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
    accepted(&dialog, ok);
    // By row, so the answer holds the items as given, whatever the buttons show.
    QList<int> rows;
    dialog.checkedIndexes(&rows);
    QStringList checked;
    for (int row : std::as_const(rows))
        checked.append(items.value(row));
    return checked;
}
