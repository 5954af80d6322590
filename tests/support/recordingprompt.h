#pragma once

// A prompt implementation for tests (header only, so testsupport itself needs no link
// library): records every message and file dialog and answers from queues set by the test,
// falling back to the default answers.
#include "prompt.h"

#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

#include <functional>

class RecordingPrompt : public Prompt
{
public:
    RecordingPrompt() { Prompt::install(this); }
    ~RecordingPrompt() override { Prompt::install(nullptr); }

    // A message titled "Title" that asks "Go on?".
    static Message question(Icon icon, int buttons, int defaultButton = NoButton)
    {
        Message msg;
        msg.icon = icon;
        msg.title = QStringLiteral("Title");
        msg.text = QStringLiteral("Go on?");
        msg.buttons = buttons;
        msg.defaultButton = defaultButton;
        return msg;
    }

    // Answers used in order; when empty, messages get their default answer and file dialogs
    // are cancelled.
    void queueButton(int button)
    {
        QMutexLocker lock(&m_mutex);
        m_buttons.append(button);
    }
    void queueFile(const QString &path)
    {
        QMutexLocker lock(&m_mutex);
        m_files.append(path);
    }

    // The answer of the next getChoices: the items checked, or a cancel when accepted is false.
    // When none is queued, every item is checked and the dialog accepted.
    void queueChoices(const QStringList &chosen, bool accepted = true)
    {
        QMutexLocker lock(&m_mutex);
        m_choices.append({chosen, accepted});
    }

    // The answer of the next getInt: the value, or a cancel when accepted is false. When none is
    // queued, the initial value is accepted.
    void queueInt(int value, bool accepted = true)
    {
        QMutexLocker lock(&m_mutex);
        m_ints.append({value, accepted});
    }

    QList<Message> messages() const
    {
        QMutexLocker lock(&m_mutex);
        return m_messages;
    }
    QStringList fileDialogs() const
    {
        QMutexLocker lock(&m_mutex);
        return m_fileDialogs;
    }
    // The start directory of each file dialog, in the order of fileDialogs().
    QStringList dialogDirs() const
    {
        QMutexLocker lock(&m_mutex);
        return m_dialogDirs;
    }
    // Each getChoices as its title, "|" and the items joined by ",".
    QStringList choiceDialogs() const
    {
        QMutexLocker lock(&m_mutex);
        return m_choiceDialogs;
    }
    // Each getInt as title|label|value|min|max|step.
    QStringList intDialogs() const
    {
        QMutexLocker lock(&m_mutex);
        return m_intDialogs;
    }

    // Called for each message while it is "shown" (on the GUI thread), like a user acting in
    // the box's event loop.
    std::function<void(const Message &)> onMessage;

    int message(const Message &msg) override
    {
        {
            QMutexLocker lock(&m_mutex);
            m_messages.append(msg);
        }
        if (onMessage)
            onMessage(msg);
        QMutexLocker lock(&m_mutex);
        return m_buttons.isEmpty() ? defaultAnswer(msg) : m_buttons.takeFirst();
    }
    QString getText(const QString &, const QString &, const QString &text, bool *ok) override
    {
        if (ok)
            *ok = true;
        return text;
    }
    QString getItem(const QString &, const QString &, const QStringList &items, int current,
                    bool *ok) override
    {
        if (ok)
            *ok = !items.isEmpty();
        return items.value(current);
    }
    QString openFileName(const QString &title, const QString &dir, const QString &filter) override
    {
        QMutexLocker lock(&m_mutex);
        m_fileDialogs.append(title + QLatin1Char('|') + filter);
        m_dialogDirs.append(dir);
        return m_files.isEmpty() ? QString() : m_files.takeFirst();
    }
    QString saveFileName(const QString &title, const QString &dir, const QString &filter) override
    {
        return openFileName(title, dir, filter);
    }

    // Directory dialogs take their answers from the file queue too; they are recorded with an
    // empty filter.
    QString directoryName(const QString &title, const QString &dir) override
    {
        return openFileName(title, dir, QString());
    }

    QStringList getChoices(const QString &title, const QStringList &items, bool *ok) override
    {
        QMutexLocker lock(&m_mutex);
        m_choiceDialogs.append(title + QLatin1Char('|') + items.join(QLatin1Char(',')));
        const Choice answer = m_choices.isEmpty() ? Choice{items, true} : m_choices.takeFirst();
        if (ok)
            *ok = answer.accepted;
        return answer.chosen;
    }

    int getInt(const QString &title, const QString &label, int value, int min, int max, int step,
               bool *ok) override
    {
        QMutexLocker lock(&m_mutex);
        m_intDialogs.append(QStringList{title, label, QString::number(value), QString::number(min),
                                        QString::number(max), QString::number(step)}
                                .join(QLatin1Char('|')));
        const IntAnswer answer = m_ints.isEmpty() ? IntAnswer{value, true} : m_ints.takeFirst();
        if (ok)
            *ok = answer.accepted;
        return answer.value;
    }

private:
    struct IntAnswer {
        int value;
        bool accepted;
    };
    struct Choice {
        QStringList chosen;
        bool accepted;
    };

    mutable QMutex m_mutex;
    QList<Choice> m_choices;
    QList<IntAnswer> m_ints;
    QStringList m_intDialogs;
    QStringList m_choiceDialogs;
    QList<int> m_buttons;
    QStringList m_files;
    QList<Message> m_messages;
    QStringList m_fileDialogs;
    QStringList m_dialogDirs;
};
