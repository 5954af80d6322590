// Prompts with nobody to answer them (a request being served, a run without a display): boxes
// that only inform are shown without waiting and stay open, questions take their default
// answer without being shown, and each is noted; the Qt dialogs of the program behind them.
#include "mainapp.h"
#include "noterecorder.h"
#include "recordingprompt.h"
#include "tablerows.h"
#include "widgetprompt.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QtTest>

namespace
{

using Notes = NoteRecorder::Notes;

QList<QMessageBox *> openBoxes()
{
    QList<QMessageBox *> boxes;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
            boxes.append(box);
    }
    return boxes;
}

void closeBoxes()
{
    for (QMessageBox *box : openBoxes())
        box->close();
    QApplication::processEvents();
}

} // namespace

class TestUnattendedPrompts : public QObject
{
    Q_OBJECT

    NoteRecorder recorder;
    Notes &notes = recorder.notes;

private slots:
    void init() { notes.clear(); }
    void cleanup()
    {
        Prompt::setUnattended(false);
        Prompt::install(nullptr);
        closeBoxes();
    }

    // A message with one button at most and no question icon informs: its box is shown without
    // waiting and stays open, its text is noted at its icon's level. Any other message is a
    // question: its default answer is taken without a box, and the note says which.
    void messages_data()
    {
        const QString question = "Nobody to answer \"Title: Go on?\": took %1, the default";
        addRows<int, int, int, int, int, QString>(
            {"icon", "buttons", "defaultButton", "answer", "level", "note"},
            {{Prompt::Information, Prompt::Ok, 0, Prompt::Ok, 0, "Title: Go on?"},
             {Prompt::NoIcon, Prompt::Ok, 0, Prompt::Ok, 0, "Title: Go on?"},
             {Prompt::Warning, Prompt::Ok, 0, Prompt::Ok, 1, "Title: Go on?"},
             {Prompt::Critical, Prompt::Ok, 0, Prompt::Ok, -1, "Title: Go on?"},
             {Prompt::Warning, Prompt::NoButton, 0, Prompt::NoButton, 1, "Title: Go on?"},
             {Prompt::Question, Prompt::Ok, 0, Prompt::Ok, 1, question.arg("OK")},
             {Prompt::Warning, Prompt::Yes | Prompt::No, 0, Prompt::Yes, 1, question.arg("Yes")},
             {Prompt::NoIcon, Prompt::Yes | Prompt::Close, Prompt::Close, Prompt::Close, 1,
              question.arg("Close")},
             {Prompt::Information, Prompt::Ok | Prompt::Cancel, Prompt::Cancel, Prompt::Cancel, 1,
              question.arg("Cancel")}});
    }
    void messages()
    {
        QFETCH(int, icon);
        QFETCH(int, buttons);
        QFETCH(int, defaultButton);
        QFETCH(int, answer);
        QFETCH(int, level);
        QFETCH(QString, note);
        WidgetPrompt widgets;
        Prompt::install(&widgets);
        const Prompt::Message msg =
            RecordingPrompt::question(Prompt::Icon(icon), buttons, defaultButton);
        {
            Prompt::Unattended unattended;
            QCOMPARE(Prompt::show(msg), answer);
        }
        QCOMPARE(notes, (Notes{{level, note}}));
        const QList<QMessageBox *> boxes = openBoxes();
        // A critical message is an error in the log, which the main window's bar shows.
        QCOMPARE(boxes.size(), Prompt::informs(msg) && icon != Prompt::Critical ? 1 : 0);
        if (!boxes.isEmpty()) {
            QCOMPARE(boxes.first()->text(), QString("Go on?"));
            QVERIFY(!boxes.first()->isModal());
            QCOMPARE(int(boxes.first()->icon()), icon);
            QCOMPARE(QApplication::activeModalWidget(), nullptr);
        }
    }

    // The same message again raises its box; another text gets a box of its own. A closed box
    // goes away.
    void oneBoxPerText()
    {
        WidgetPrompt widgets;
        Prompt::install(&widgets);
        Prompt::setUnattended(true);
        for (const char *text : {"one", "two", "one"})
            Prompt::inform("Title", text);
        QCOMPARE(openBoxes().size(), 2);
        QCOMPARE(notes.size(), 3);
        closeBoxes();
        QTRY_COMPARE_WITH_TIMEOUT(openBoxes().size(), 0, 30000);
        Prompt::inform("Title", "one");
        QCOMPARE(openBoxes().size(), 1);
    }

    // Input, choices and file dialogs take their defaults without asking the installed
    // prompt; once nobody is missing any more, the installed prompt is asked again.
    void otherPrompts()
    {
        RecordingPrompt recording;
        recording.queueFile("/chosen");
        recording.queueInt(9);
        bool ok = false;
        {
            Prompt::Unattended unattended;
            Prompt::Unattended nested;
            QCOMPARE(Prompt::text("T", "Name", "initial", &ok), QString("initial"));
            QVERIFY(ok);
            QCOMPARE(Prompt::item("Project type", QString(), {"A", "B"}, 1, &ok), QString("B"));
            QCOMPARE(Prompt::integer("T", "Count", 4, 0, 9, 1, &ok), 4);
            QCOMPARE(Prompt::openFile("Open", "/", "*"), QString());
            QCOMPARE(Prompt::saveFile("Save", "/", "*"), QString());
            QCOMPARE(Prompt::directory("Folder", "/"), QString());
            QCOMPARE(Prompt::choices("Pick", {"a", "b"}, &ok), (QStringList{"a", "b"}));
            QCOMPARE(
                Prompt::ask(Prompt::Question, "Q", "Sure?", Prompt::Yes | Prompt::No, Prompt::No),
                int(Prompt::No));
        }
        const QString took = "Nobody to answer \"%1\": took %2, the default";
        QCOMPARE(notes, (Notes{{1, took.arg("T: Name", "\"initial\"")},
                               {1, took.arg("Project type", "\"B\"")},
                               {1, took.arg("T: Count", "4")},
                               {1, took.arg("Open", "Cancel")},
                               {1, took.arg("Save", "Cancel")},
                               {1, took.arg("Folder", "Cancel")},
                               {1, took.arg("Pick", "\"a,b\"")},
                               {1, took.arg("Q: Sure?", "No")}}));
        QVERIFY(recording.messages().isEmpty() && recording.fileDialogs().isEmpty() &&
                recording.intDialogs().isEmpty() && recording.choiceDialogs().isEmpty());
        QVERIFY(!Prompt::isUnattended());
        QCOMPARE(Prompt::openFile("Open", "/", "*"), QString("/chosen"));
        QCOMPARE(Prompt::integer("T", "Count", 4, 0, 9, 1, &ok), 9);
        QCOMPARE(Prompt::ask(Prompt::Question, "Q", "Sure?", Prompt::Yes | Prompt::No),
                 int(Prompt::Yes));
        QCOMPARE(recording.messages().size(), 1);
        QCOMPARE(notes.size(), 8);
    }

    // A prompt from another thread: its box is shown on the GUI thread, the thread does not
    // wait for anyone.
    void fromAnotherThread()
    {
        WidgetPrompt widgets;
        Prompt::install(&widgets);
        Prompt::Unattended unattended;
        int answer = -1;
        std::unique_ptr<QThread> thread(QThread::create(
            [&answer]() { answer = Prompt::ask(Prompt::Warning, "Link", "Line lost"); }));
        thread->start();
        QTRY_VERIFY_WITH_TIMEOUT(thread->isFinished(), 30000);
        QCOMPARE(answer, int(Prompt::Ok));
        QCOMPARE(openBoxes().size(), 1);
        QCOMPARE(notes, (Notes{{1, "Link: Line lost"}}));
    }

    // A platform without windows (this test's offscreen one) leaves nobody to answer.
    void offscreenShowsNoWindow()
    {
        QCOMPARE(QGuiApplication::platformName(), QString("offscreen"));
        QVERIFY(!MainApp::platformShowsWindows());
    }

    // The test switch still answers everything silently.
    void testSwitchStaysSilent()
    {
        qputenv("KVL_PROMPT_DEFAULTS", "1");
        WidgetPrompt widgets;
        Prompt::install(&widgets);
        Prompt::setUnattended(true);
        QCOMPARE(Prompt::ask(Prompt::Question, "Q", "Sure?", Prompt::Yes | Prompt::No, Prompt::No),
                 int(Prompt::No));
        Prompt::inform("Title", "text");
        qunsetenv("KVL_PROMPT_DEFAULTS");
        QVERIFY(notes.isEmpty());
        QCOMPARE(openBoxes().size(), 0);
    }
};

QTEST_MAIN(TestUnattendedPrompts)
#include "tst_unattendedprompts.moc"
