#pragma once

#include "prompt.h"

#include <QList>
#include <QPointer>

#include <functional>

class QMessageBox;

// The program's prompts as Qt dialogs: message boxes, text input, single choices (radio
// buttons) and file dialogs, all without a parent window. Installed by the program at start.
// Every label shows its text as plain text, unless a message asks for rich text; a file that
// exists is confirmed by a box of its own before it is replaced, for the same reason.
class WidgetPrompt : public Prompt
{
public:
    int message(const Message &msg) override;
    // Shown in the notice target (the main window's bar) where one is set and can show it;
    // otherwise a box without a parent that is not modal and deletes itself when closed, and a
    // message whose box is still open raises that box instead of adding another. A critical
    // notice opens no box: its note is an error in the log, which the main window's error bar
    // shows.
    void notify(const Message &msg) override;
    // Where notices go instead of boxes of their own (the main window's bar); it returns false
    // where it cannot show one (no main window yet), which then opens a box.
    using NoticeTarget = std::function<bool(const QString &text)>;
    void setNoticeTarget(const NoticeTarget &target) { m_noticeTarget = target; }
    QString getText(const QString &title, const QString &label, const QString &text,
                    bool *ok) override;
    // Radio buttons, the current item checked; the checked item is the answer, also when the
    // dialog is cancelled (*ok then false).
    QString getItem(const QString &title, const QString &label, const QStringList &items,
                    int current, bool *ok) override;
    int getInt(const QString &title, const QString &label, int value, int min, int max, int step,
               bool *ok) override;
    QString openFileName(const QString &title, const QString &dir, const QString &filter) override;
    QString saveFileName(const QString &title, const QString &dir, const QString &filter) override;
    QString directoryName(const QString &title, const QString &dir) override;
    // Check boxes with "All On" and "All Off", none checked at first.
    QStringList getChoices(const QString &title, const QStringList &items, bool *ok) override;

private:
    QList<QPointer<QMessageBox>> m_notices;
    NoticeTarget m_noticeTarget;
};
