#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The one way the link, the shell and the applets ask the user something: message boxes,
// questions, text and item input, file names and blocking pauses. Every text given is shown as
// plain text (markup in it is shown, never obeyed), unless a message asks for rich text. The
// program installs a widget implementation at start-up; tests install their own answers. Calls
// made from a thread other than the GUI thread are handed to the GUI thread, and the caller
// waits.
//
// With the environment variable KVL_PROMPT_DEFAULTS set to 1, every prompt is answered with
// its default choice without being shown (for tests that run the whole program).
class Prompt
{
public:
    // Same numeric values as QMessageBox::Icon.
    enum Icon { NoIcon = 0, Information = 1, Warning = 2, Critical = 3, Question = 4 };
    // Same numeric values as QMessageBox::StandardButton, so a widget backend can cast them.
    enum Button {
        NoButton = 0x00000000,
        Ok = 0x00000400,
        Save = 0x00000800,
        Open = 0x00002000,
        Yes = 0x00004000,
        YesToAll = 0x00008000,
        No = 0x00010000,
        NoToAll = 0x00020000,
        Abort = 0x00040000,
        Retry = 0x00080000,
        Ignore = 0x00100000,
        Close = 0x00200000,
        Cancel = 0x00400000,
        Discard = 0x00800000,
        Apply = 0x02000000,
    };

    struct Message {
        Icon icon = Information;
        QString title;
        QString text;
        QString informativeText;      // shown below the text; may be empty
        int buttons = Ok;             // OR of Button values
        int defaultButton = NoButton; // NoButton: the first of the buttons
        // The text and informative text are shown as they are (plain text), whatever they
        // hold. Only a message the program writes whole, with no text from outside (a file's
        // content or name, a folder, a board's answer, a request) in it, may set this to have
        // its markup obeyed.
        bool richText = false;
    };

    virtual ~Prompt() = default;

    // Shows a message box and returns the button chosen.
    virtual int message(const Message &msg) = 0;
    // Asks for a line of text; *ok tells whether the user accepted.
    virtual QString getText(const QString &title, const QString &label, const QString &text,
                            bool *ok) = 0;
    // Asks to choose one of items; *ok tells whether the user accepted.
    virtual QString getItem(const QString &title, const QString &label, const QStringList &items,
                            int current, bool *ok) = 0;
    // File dialogs; an empty result means cancelled.
    virtual QString openFileName(const QString &title, const QString &dir,
                                 const QString &filter) = 0;
    virtual QString saveFileName(const QString &title, const QString &dir,
                                 const QString &filter) = 0;
    // Asks for an existing directory (directories only, symbolic links not resolved); an empty
    // result means cancelled, which is also the default answer.
    virtual QString directoryName(const QString &title, const QString &dir)
    {
        Q_UNUSED(title);
        Q_UNUSED(dir);
        return QString();
    }
    // Asks to check any number of items (check boxes with "All On" and "All Off"); *ok tells
    // whether the user accepted. The default answer checks every item.
    virtual QStringList getChoices(const QString &title, const QStringList &items, bool *ok)
    {
        Q_UNUSED(title);
        if (ok)
            *ok = true;
        return items;
    }
    // Asks for an integer in min..max, starting at value and stepping by step; *ok tells whether
    // the user accepted. The default answer accepts the initial value.
    virtual int getInt(const QString &title, const QString &label, int value, int min, int max,
                       int step, bool *ok)
    {
        Q_UNUSED(title);
        Q_UNUSED(label);
        Q_UNUSED(min);
        Q_UNUSED(max);
        Q_UNUSED(step);
        if (ok)
            *ok = true;
        return value;
    }

    // Shows a message that only informs without waiting for anyone: the call returns at once
    // and the box stays until closed. The default shows nothing.
    virtual void notify(const Message &msg) { Q_UNUSED(msg); }

    // Nobody to answer: while an Unattended object lives (a request from another program is
    // served) or while setUnattended(true) holds (the whole run), prompts never wait. A message
    // that only informs (one button at most, no question icon) is shown through notify() and
    // gets its default answer; every other prompt takes its default answer without being shown.
    // Each is reported to the note sink: the message's text, or the question and the answer
    // taken. KVL_PROMPT_DEFAULTS=1 still answers everything silently.
    class Unattended
    {
    public:
        Unattended();
        ~Unattended();
        Unattended(const Unattended &) = delete;
        Unattended &operator=(const Unattended &) = delete;
    };
    static void setUnattended(bool on);
    static bool isUnattended();
    // Where the notes go (level as in the log window: <0 error, 0 information, 1-100 warning);
    // called on the thread that prompted. No sink: the notes go nowhere.
    using NoteSink = std::function<void(int level, const QString &text)>;
    static void setNoteSink(const NoteSink &sink);
    // A message that only informs: at most one button, and no question icon.
    static bool informs(const Message &msg);

    // The installed implementation (never null: a default-answering one until something is
    // installed). Ownership stays with the caller of install(); install(nullptr) restores the
    // default-answering one.
    static Prompt *instance();
    static void install(Prompt *prompt);
    // True when KVL_PROMPT_DEFAULTS=1 asks for default answers without showing anything.
    static bool answerDefaults();

    // Convenience wrappers that go through instance() and hand the call to the GUI thread when
    // called from another thread.
    // Shows a message box (text, informative text, buttons) and returns the button chosen.
    static int show(const Message &msg);
    static int ask(Icon icon, const QString &title, const QString &text, int buttons = Ok,
                   int defaultButton = NoButton);
    static void inform(const QString &title, const QString &text);
    static void warn(const QString &title, const QString &text);
    static QString text(const QString &title, const QString &label, const QString &text, bool *ok);
    static QString item(const QString &title, const QString &label, const QStringList &items,
                        int current, bool *ok);
    static int integer(const QString &title, const QString &label, int value, int min, int max,
                       int step, bool *ok);
    static QString openFile(const QString &title, const QString &dir, const QString &filter);
    static QString saveFile(const QString &title, const QString &dir, const QString &filter);
    static QString directory(const QString &title, const QString &dir);
    // The items checked in getChoices; empty when the user cancelled (*ok then false).
    static QStringList choices(const QString &title, const QStringList &items, bool *ok);

    // The default answer of a message: its default button, else its first button.
    static int defaultAnswer(const Message &msg);

    // Hand-over to the GUI thread. runOnGuiThread runs fn there and waits for it (directly
    // when already on the GUI thread or when no application object exists). A GUI-thread
    // wait for another thread that may itself be handing something over must use
    // waitServingHandOvers, which runs pending hand-overs while it waits for done() (checked
    // again after every wakeWaiters call) or for timeoutMs (negative: no limit).
    static void runOnGuiThread(const std::function<void()> &fn);
    static void serveHandOvers();
    static bool waitServingHandOvers(const std::function<bool()> &done, int timeoutMs);
    static void wakeWaiters();
    // Hand-overs queued by other threads that the GUI thread has not taken yet.
    static int pendingHandOvers();

private:
    static const QString CancelText;
    // Whether a prompt is to be answered without anyone (and not silently by the test switch).
    static bool answersAlone();
    static Prompt *answerer(bool alone);
    static QString askFileName(const QString &title, const std::function<QString(Prompt *)> &ask);
    static int answerAlone(const Message &msg);
    static QString quoted(const QString &text);
    // Notes the default answer taken for the question of title and label.
    static void noteAnswer(const QString &title, const QString &label, const QString &answer);
    static void note(int level, const QString &text);
};

// Answers every prompt with its default choice and shows nothing: accepted text keeps its
// initial value, an item choice keeps the current item, a multiple choice checks every item,
// file dialogs are cancelled.
class DefaultPrompt : public Prompt
{
public:
    int message(const Message &msg) override { return defaultAnswer(msg); }
    QString getText(const QString &, const QString &, const QString &text, bool *ok) override;
    QString getItem(const QString &, const QString &, const QStringList &items, int current,
                    bool *ok) override;
    QString openFileName(const QString &, const QString &, const QString &) override
    {
        return QString();
    }
    QString saveFileName(const QString &, const QString &, const QString &) override
    {
        return QString();
    }
};
