#include "prompt.h"

#include <QAtomicPointer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMetaObject>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace
{

DefaultPrompt &defaultPrompt()
{
    static DefaultPrompt prompt;
    return prompt;
}

QAtomicPointer<Prompt> installedPrompt;

// Calls waiting to run on the GUI thread. A caller queues its task, posts a request to serve
// the queue and waits for its task to be done; a GUI thread that waits for another thread
// serves the queue meanwhile, so neither waits for the other forever.
struct HandOverTask {
    std::function<void()> fn;
    bool done = false;
};

struct HandOverQueue {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<HandOverTask *> tasks;
};

HandOverQueue &handOvers()
{
    static HandOverQueue queue;
    return queue;
}

bool onGuiThreadNow()
{
    QCoreApplication *app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

// Runs fn on the GUI thread and waits for it; runs it directly when already there or when no
// application object (and so no GUI thread event loop) exists.
template <typename Fn> auto onGuiThread(Fn fn) -> decltype(fn())
{
    if (onGuiThreadNow())
        return fn();
    decltype(fn()) result{};
    Prompt::runOnGuiThread([&result, &fn]() { result = fn(); });
    return result;
}

} // namespace

QString DefaultPrompt::getText(const QString &, const QString &, const QString &text, bool *ok)
{
    if (ok)
        *ok = true;
    return text;
}

QString DefaultPrompt::getItem(const QString &, const QString &, const QStringList &items,
                               int current, bool *ok)
{
    if (ok)
        *ok = !items.isEmpty();
    return items.value(current, items.value(0));
}

Prompt *Prompt::instance()
{
    if (answerDefaults())
        return &defaultPrompt();
    Prompt *p = installedPrompt.loadAcquire();
    return p ? p : &defaultPrompt();
}

void Prompt::install(Prompt *prompt)
{
    installedPrompt.storeRelease(prompt);
}

bool Prompt::answerDefaults()
{
    return qEnvironmentVariableIntValue("KVL_PROMPT_DEFAULTS") == 1;
}

int Prompt::defaultAnswer(const Message &msg)
{
    if (msg.defaultButton != NoButton)
        return msg.defaultButton;
    for (int bit = 0; bit < 32; ++bit) {
        const int b = int(1u << bit);
        if (msg.buttons & b)
            return b;
    }
    return NoButton;
}

int Prompt::ask(Icon icon, const QString &title, const QString &text, int buttons,
                int defaultButton)
{
    Message msg;
    msg.icon = icon;
    msg.title = title;
    msg.text = text;
    msg.buttons = buttons;
    msg.defaultButton = defaultButton;
    return show(msg);
}

int Prompt::show(const Message &msg)
{
    if (answersAlone())
        return answerAlone(msg);
    return onGuiThread([&]() { return instance()->message(msg); });
}

void Prompt::inform(const QString &title, const QString &text)
{
    ask(Information, title, text);
}

void Prompt::warn(const QString &title, const QString &text)
{
    ask(Warning, title, text);
}

// Each wrapper asks the installed prompt, or the default-answering one when nobody is there to
// answer, and then notes the answer taken.
Prompt *Prompt::answerer(bool alone)
{
    return alone ? &defaultPrompt() : instance();
}

QString Prompt::text(const QString &title, const QString &label, const QString &text, bool *ok)
{
    const bool alone = answersAlone();
    bool accepted = false;
    const QString result =
        onGuiThread([&]() { return answerer(alone)->getText(title, label, text, &accepted); });
    if (alone)
        noteAnswer(title, label, accepted ? quoted(result) : CancelText);
    if (ok)
        *ok = accepted;
    return result;
}

QString Prompt::item(const QString &title, const QString &label, const QStringList &items,
                     int current, bool *ok)
{
    const bool alone = answersAlone();
    bool accepted = false;
    const QString result = onGuiThread(
        [&]() { return answerer(alone)->getItem(title, label, items, current, &accepted); });
    if (alone)
        noteAnswer(title, label, accepted ? quoted(result) : CancelText);
    if (ok)
        *ok = accepted;
    return result;
}

int Prompt::integer(const QString &title, const QString &label, int value, int min, int max,
                    int step, bool *ok)
{
    const bool alone = answersAlone();
    bool accepted = false;
    const int result = onGuiThread(
        [&]() { return answerer(alone)->getInt(title, label, value, min, max, step, &accepted); });
    if (alone)
        noteAnswer(title, label, accepted ? QString::number(result) : CancelText);
    if (ok)
        *ok = accepted;
    return result;
}

// The file dialogs; their default answer is a cancel.
QString Prompt::askFileName(const QString &title, const std::function<QString(Prompt *)> &ask)
{
    const bool alone = answersAlone();
    const QString name = onGuiThread([&]() { return ask(answerer(alone)); });
    if (alone)
        noteAnswer(title, QString(), CancelText);
    return name;
}

QString Prompt::openFile(const QString &title, const QString &dir, const QString &filter)
{
    return askFileName(title, [&](Prompt *p) { return p->openFileName(title, dir, filter); });
}

QString Prompt::saveFile(const QString &title, const QString &dir, const QString &filter)
{
    return askFileName(title, [&](Prompt *p) { return p->saveFileName(title, dir, filter); });
}

QString Prompt::directory(const QString &title, const QString &dir)
{
    return askFileName(title, [&](Prompt *p) { return p->directoryName(title, dir); });
}

QStringList Prompt::choices(const QString &title, const QStringList &items, bool *ok)
{
    const bool alone = answersAlone();
    bool accepted = false;
    QStringList chosen;
    runOnGuiThread([&]() { chosen = answerer(alone)->getChoices(title, items, &accepted); });
    if (alone)
        noteAnswer(title, QString(), accepted ? quoted(chosen.join(QLatin1Char(','))) : CancelText);
    if (ok)
        *ok = accepted;
    return accepted ? chosen : QStringList();
}

void Prompt::runOnGuiThread(const std::function<void()> &fn)
{
    if (onGuiThreadNow()) {
        fn();
        return;
    }
    HandOverQueue &queue = handOvers();
    HandOverTask task{fn};
    {
        std::lock_guard<std::mutex> lock(queue.mutex);
        queue.tasks.push_back(&task);
    }
    queue.changed.notify_all();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), []() { Prompt::serveHandOvers(); }, Qt::QueuedConnection);
    std::unique_lock<std::mutex> lock(queue.mutex);
    queue.changed.wait(lock, [&task]() { return task.done; });
}

void Prompt::serveHandOvers()
{
    if (!onGuiThreadNow())
        return;
    HandOverQueue &queue = handOvers();
    std::unique_lock<std::mutex> lock(queue.mutex);
    while (!queue.tasks.empty()) {
        HandOverTask *task = queue.tasks.front();
        queue.tasks.pop_front();
        lock.unlock();
        task->fn();
        lock.lock();
        task->done = true;
        queue.changed.notify_all();
    }
}

bool Prompt::waitServingHandOvers(const std::function<bool()> &done, int timeoutMs)
{
    HandOverQueue &queue = handOvers();
    const QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever
                                                : QDeadlineTimer(timeoutMs));
    for (;;) {
        serveHandOvers();
        std::unique_lock<std::mutex> lock(queue.mutex);
        auto ready = [&]() { return done() || (!queue.tasks.empty() && onGuiThreadNow()); };
        if (deadline.isForever()) {
            queue.changed.wait(lock, ready);
        } else {
            const auto left = std::chrono::milliseconds(deadline.remainingTime());
            if (!queue.changed.wait_for(lock, left, ready))
                return done();
        }
        if (done())
            return true;
    }
}

int Prompt::pendingHandOvers()
{
    HandOverQueue &queue = handOvers();
    std::lock_guard<std::mutex> lock(queue.mutex);
    return int(queue.tasks.size());
}

void Prompt::wakeWaiters()
{
    HandOverQueue &queue = handOvers();
    {
        std::lock_guard<std::mutex> lock(queue.mutex);
    }
    queue.changed.notify_all();
}
