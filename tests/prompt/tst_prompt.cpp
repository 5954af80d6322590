// The prompt interface on its own: default answers, the test answer switch, calls handed over
// from other threads to the GUI thread, and prompts with nobody to answer them.
#include "noterecorder.h"
#include "recordingprompt.h"

#include <QThread>
#include <QtTest>

#include <atomic>
#include <thread>

using Notes = NoteRecorder::Notes;

// Also records the messages that only inform and the thread each call ran on.
class ThreadPrompt : public RecordingPrompt
{
public:
    int message(const Message &msg) override
    {
        threads.append(QThread::currentThread());
        return RecordingPrompt::message(msg);
    }
    void notify(const Message &msg) override
    {
        threads.append(QThread::currentThread());
        notified.append(msg.text);
    }
    QList<QThread *> threads;
    QStringList notified;
};

class TestPrompt : public QObject
{
    Q_OBJECT

    NoteRecorder recorder;
    Notes &notes = recorder.notes;

private slots:
    void init() { notes.clear(); }
    void cleanup()
    {
        Prompt::setUnattended(false);
        qunsetenv("KVL_PROMPT_DEFAULTS");
    }

    // The default button, else the lowest of the buttons, else none.
    void defaultAnswer()
    {
        using P = Prompt;
        for (auto [buttons, defaultButton, answer] :
             {std::tuple{int(P::Ok), int(P::NoButton), int(P::Ok)},
              {P::Yes | P::No, P::NoButton, P::Yes},
              {P::Yes | P::No, P::No, P::No},
              {P::Retry | P::Cancel, P::NoButton, P::Retry},
              {0, P::NoButton, P::NoButton}})
            QCOMPARE(Prompt::defaultAnswer(
                         RecordingPrompt::question(Prompt::Question, buttons, defaultButton)),
                     answer);
    }

    // Without an installed prompt every question takes its default answer (a choice whose
    // current item does not exist, the first); file dialogs cancel.
    void withoutAnInstalledPrompt()
    {
        bool ok = false;
        QCOMPARE(Prompt::ask(Prompt::Question, "T", "Sure?", Prompt::Yes | Prompt::No, Prompt::No),
                 int(Prompt::No));
        QCOMPARE(Prompt::text("T", "Name", "start", &ok), QString("start"));
        QVERIFY(ok);
        QCOMPARE(Prompt::item("T", "Pick", {"a", "b"}, 1, &ok), QString("b"));
        QVERIFY(ok);
        QCOMPARE(Prompt::item("T", "Pick", {}, 0, &ok), QString());
        QVERIFY(!ok);
        QCOMPARE(Prompt::item("T", "Pick", {"a", "b", "c"}, 7, &ok), QString("a")); // no item 7
        QVERIFY(ok);
        QCOMPARE(Prompt::integer("T", "N", 7, 0, 9, 1, &ok), 7);
        QCOMPARE(Prompt::choices("T", {"x", "y"}, &ok), (QStringList{"x", "y"}));
        QVERIFY(Prompt::openFile("T", ".", "*").isEmpty() &&
                Prompt::saveFile("T", ".", "*").isEmpty());
        QVERIFY(Prompt::directory("T", ".").isEmpty());
    }

    // An installed prompt shows the informing boxes with their icon.
    void informingBoxesShowTheirIcon()
    {
        ThreadPrompt prompt;
        Prompt::inform("Done", "Written");
        Prompt::warn("Careful", "Hot");
        const QList<Prompt::Message> shown = prompt.messages();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0).icon, Prompt::Information);
        QCOMPARE(shown.at(0).text, QString("Written"));
        QCOMPARE(shown.at(1).icon, Prompt::Warning);
        QCOMPARE(shown.at(1).title, QString("Careful"));
    }

    // The test switch answers every prompt with its default without asking the installed one.
    void testSwitchAnswersSilently()
    {
        ThreadPrompt prompt;
        prompt.queueButton(Prompt::No);
        prompt.queueFile("chosen");
        qputenv("KVL_PROMPT_DEFAULTS", "1");
        QVERIFY(Prompt::answerDefaults());
        const Prompt::Unattended unattended; // silently, no notes either
        QCOMPARE(Prompt::ask(Prompt::Question, "T", "Sure?", Prompt::Yes | Prompt::No),
                 int(Prompt::Yes));
        QCOMPARE(Prompt::openFile("T", ".", "*"), QString());
        qunsetenv("KVL_PROMPT_DEFAULTS");
        QVERIFY(prompt.messages().isEmpty() && prompt.fileDialogs().isEmpty());
        QVERIFY(notes.isEmpty());
        QCOMPARE(Prompt::openFile("T", ".", "*"), QString()); // now nobody answers, noted
        QCOMPARE(notes.size(), 1);
    }

    // A prompt from another thread is shown on the GUI thread while that one waits and serves
    // it; the caller gets its answer.
    void handedOverToTheGuiThread()
    {
        ThreadPrompt prompt;
        prompt.queueButton(Prompt::Retry);
        prompt.queueFile("a.hex");
        std::atomic<bool> done{false};
        int answer = 0;
        QString file;
        std::thread caller([&]() {
            answer = Prompt::ask(Prompt::Warning, "T", "Again?", Prompt::Retry | Prompt::Cancel);
            file = Prompt::openFile("Load", ".", "*.hex");
            done = true;
            Prompt::wakeWaiters();
        });
        const bool served = Prompt::waitServingHandOvers([&done]() { return done.load(); }, 20000);
        caller.join();
        QVERIFY(served);
        QCOMPARE(answer, int(Prompt::Retry));
        QCOMPARE(file, QString("a.hex"));
        QCOMPARE(prompt.threads, QList<QThread *>{QThread::currentThread()});
        QVERIFY(!Prompt::waitServingHandOvers([]() { return false; }, 30)); // its time-out
        QVERIFY(!Prompt::waitServingHandOvers([]() { return false; }, 0)); // a look, no wait
        QVERIFY(Prompt::waitServingHandOvers([]() { return true; }, -1));
    }

    // Prompts handed over by two threads before the GUI thread looks are both served, in
    // their order, by one pass.
    void twoHandOversInOnePass()
    {
        ThreadPrompt prompt;
        prompt.queueButton(Prompt::Yes);
        prompt.queueButton(Prompt::No);
        const auto ask = [](const char *text, int *answer) {
            *answer = Prompt::ask(Prompt::Question, "T", text, Prompt::Yes | Prompt::No);
        };
        const auto queued = [](int n) { // without running events, which would serve them
            const QDeadlineTimer deadline(20000);
            while (Prompt::pendingHandOvers() < n && !deadline.hasExpired())
                std::this_thread::yield();
            return Prompt::pendingHandOvers() == n;
        };
        int first = 0, second = 0;
        std::thread a(ask, "A?", &first);
        const bool firstQueued = queued(1);
        std::thread b(ask, "B?", &second);
        const bool bothQueued = queued(2);
        Prompt::serveHandOvers();
        a.join();
        b.join();
        QVERIFY(firstQueued && bothQueued);
        QCOMPARE(QList<int>({first, second}), QList<int>({Prompt::Yes, Prompt::No}));
        QCOMPARE(prompt.threads, QList<QThread *>(2, QThread::currentThread()));
    }

    // A GUI thread already asleep in its wait is woken to serve a prompt handed over to it: the
    // caller asks only once the waiting thread has looked at its condition under the lock.
    void handOverWakesAWaitingGuiThread()
    {
        ThreadPrompt prompt;
        prompt.queueButton(Prompt::Ok);
        std::atomic<bool> guiWaits{false}, done{false};
        std::thread caller([&]() {
            while (!guiWaits.load())
                std::this_thread::yield();
            Prompt::ask(Prompt::Question, "T", "Go?", Prompt::Ok | Prompt::Cancel);
            done = true;
            Prompt::wakeWaiters();
        });
        const bool served = Prompt::waitServingHandOvers(
            [&]() {
                guiWaits = true;
                return done.load();
            },
            -1); // without the wake-up this waits for ever: the test's time-out fails it
        caller.join();
        QVERIFY(served);
        QCOMPARE(prompt.threads, QList<QThread *>{QThread::currentThread()});
    }

    // An answerer that does not say whether it was accepted counts as cancelled.
    void silentAnswerIsACancel()
    {
        struct SilentPrompt : RecordingPrompt {
            QString getText(const QString &, const QString &, const QString &t, bool *) override
            {
                return t;
            }
            QString getItem(const QString &, const QString &, const QStringList &items, int,
                            bool *) override
            {
                return items.value(0);
            }
            int getInt(const QString &, const QString &, int v, int, int, int, bool *) override
            {
                return v;
            }
            QStringList getChoices(const QString &, const QStringList &items, bool *) override
            {
                return items;
            }
        } prompt;
        bool ok[4] = {true, true, true, true};
        Prompt::text("T", "L", "x", &ok[0]);
        Prompt::item("T", "L", {"a"}, 0, &ok[1]);
        Prompt::integer("T", "L", 1, 0, 9, 1, &ok[2]);
        QVERIFY(Prompt::choices("T", {"a"}, &ok[3]).isEmpty());
        QVERIFY(!ok[0] && !ok[1] && !ok[2] && !ok[3]);
    }

    // With nobody to answer, a message that only informs is shown without waiting, a question
    // takes its default unseen; each is noted, as are the answers of the other prompts.
    void nobodyToAnswer()
    {
        ThreadPrompt prompt;
        prompt.queueButton(Prompt::No);
        QVERIFY(!Prompt::isUnattended());
        {
            const Prompt::Unattended unattended;
            QVERIFY(Prompt::isUnattended());
            QCOMPARE(Prompt::ask(Prompt::Critical, "Error", "Lost", Prompt::Ok), int(Prompt::Ok));
            QCOMPARE(Prompt::ask(Prompt::Question, "T", "Sure?", Prompt::Yes | Prompt::No),
                     int(Prompt::Yes));
            bool ok = false;
            Prompt::text("T", "Name", "abc", &ok);
            Prompt::integer("T", "N", 4, 0, 9, 1, &ok);
            Prompt::choices("T", {"x", "y"}, &ok);
            Prompt::saveFile("Save", ".", "*");
            Prompt::item("T", "Pick", {"p", "q"}, 1, &ok);
            // A warning that asks is a question: answered, not shown.
            QCOMPARE(Prompt::ask(Prompt::Warning, "W", "Overwrite?", Prompt::Yes | Prompt::No,
                                 Prompt::No),
                     int(Prompt::No));
            Prompt::inform("I", "Saved");
        }
        QVERIFY(!Prompt::isUnattended());
        QVERIFY(prompt.messages().isEmpty()); // the queued No was never used
        QCOMPARE(prompt.notified, (QStringList{"Lost", "Saved"}));
        const QString nobody = "Nobody to answer \"%1\": took %2, the default";
        QCOMPARE(notes, (Notes{{-1, "Error: Lost"},
                               {1, nobody.arg("T: Sure?", "Yes")},
                               {1, nobody.arg("T: Name", "\"abc\"")},
                               {1, nobody.arg("T: N", "4")},
                               {1, nobody.arg("T", "\"x,y\"")},
                               {1, nobody.arg("Save", "Cancel")},
                               {1, nobody.arg("T: Pick", "\"q\"")},
                               {1, nobody.arg("W: Overwrite?", "No")},
                               {0, "I: Saved"}}));
        Prompt::setUnattended(true);
        QVERIFY(Prompt::isUnattended());
        QCOMPARE(Prompt::ask(Prompt::Warning, "W", "Careful", Prompt::Ok), int(Prompt::Ok));
        QCOMPARE(notes.last(), (QPair<int, QString>{1, "W: Careful"}));
    }
};

QTEST_GUILESS_MAIN(TestPrompt)
#include "tst_prompt.moc"
