// The log window inside a started shell: colours by level, counters, the error box and beeps,
// the day's log file, copying and the console line to a simulated board.
#include "tst_shellfixture.h"

#include "fakeboard.h"
#include "htmllistbox.h"
#include "logs.h"
#include "mainapp.h"
#include "tablerows.h"
#include "testfiles.h"
#include "tst_recordingtones.h"

#include <QClipboard>
#include <QDate>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

class TestLogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ToneOutput::install(&tones);
        app = MainApp::instance();
        QVERIFY(app->init());
        app->start();
        logs = app->logs();
        QCOMPARE(logs->saveLogBox()->text(), QDate::currentDate().toString("yyyyMMdd") + ".log");
        QVERIFY(logs->hornButton()->isChecked() && logs->messageBoxBox()->isChecked());
    }

    void init()
    {
        app->setLogComm(false);
        logs->hornButton()->setChecked(true);
        logs->messageBoxBox()->setChecked(false);
        QTest::qWait(450); // beeps of earlier cases end
    }

    void colours_data()
    {
        addRows<int, QString>({"level", "colour"},
                              {{-1000, "red"}, {-1, "red"}, {0, "black"}, {1, "magenta"},
                               {100, "magenta"}, {105, "#a0a0a4"}, {104, "#808080"},
                               {109, "#0000ff"}, {114, "#008000"}, {118, "#808000"},
                               {1000, "#008080"}});
    }

    void colours()
    {
        QFETCH(int, level);
        QFETCH(QString, colour);
        QCOMPARE(Logs::colorOfLevel(level), colour);
    }

    // Errors are listed and counted with the date while logging is off, play the error pattern
    // once per burst on a thread of their own, and the newest becomes the current row.
    void errorsWhileLoggingOff()
    {
        logs->resetCounters();
        const int lines = logs->list()->count();
        const int played = tones.count();
        for (int i = 0; i < 300; ++i)
            logs->slot_addLog(-1, QStringLiteral("failure %1").arg(i));
        QCOMPARE(logs->list()->count(), lines + 300);
        QVERIFY(lastLine().startsWith("C(-1) ["));
        QVERIFY(lastLine().endsWith("]<font color=\"red\"> failure 299</font> <br>"));
        const QString date = lastLine().section('[', 1).section(']', 0, 0);
        QVERIFY2(QDateTime::fromString(date, Qt::TextDate).isValid(), qPrintable(date));
        QTRY_COMPARE(logs->list()->currentRow(), lines + 299);
        QTRY_COMPARE(tones.count(), played + 3);
        QCOMPARE(tones.played().mid(played), (Tones{{1000, 100}, {1200, 200}, {2000, 100}}));
        QTest::qWait(200);
        QCOMPARE(tones.count(), played + 3);
        logs->slot_addLog(-1, "later failure"); // after it has played, it plays again
        QTRY_COMPARE(tones.count(), played + 6);
        QVERIFY(logs->statusLabel()->text().startsWith("Err:<font color=red>301</font>"));

        // Other levels are counted but not listed; without the horn nothing plays.
        logs->hornButton()->setChecked(false);
        logs->resetCounters();
        for (int level : {0, 50, 109, 1000, -1})
            logs->slot_addLog(level, "x");
        QCOMPARE(logs->list()->count(), lines + 302);
        const QString label = "Err:<font color=red>1</font> Warn:<font color=magenta>1</font> "
                              "Inf:<font color=black>1</font>";
        QCOMPARE(logs->statusLabel()->text(), label);
        QCOMPARE(logs->statusLabel()->toolTip(), label);
        QTest::qWait(400);
        QCOMPARE(tones.count(), played + 6);
        QVERIFY(!logs->errorBox());
    }

    void errorBoxIsNonModalAndSingle()
    {
        logs->messageBoxBox()->setChecked(true);
        logs->slot_addLog(-5, "first failure");
        QMessageBox *box = logs->errorBox();
        QVERIFY(box && box->isVisible() && !box->isModal());
        QCOMPARE(box->windowTitle(), QString("Error"));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        logs->slot_addLog(-5, "second failure"); // returned at once; the box is reused
        QCOMPARE(logs->errorBox(), box);
        QCOMPARE(box->text(), QString("second failure"));
        box->close();
        QTRY_VERIFY(!logs->errorBox());
    }

    void traceWhileLoggingOnAndClear()
    {
        app->setLogComm(true);
        logs->resetCounters();
        logs->slot_addLog(109, "TX(1):get X");
        QCOMPARE(lastLine(), QString("<font color=\"#0000ff\"> TX(1):get X</font> <br>"));
        QCOMPARE(logs->run("LOG", "hello"), QVariant(true));
        QCOMPARE(lastLine(), QString("<font color=\"black\"> hello</font> <br>"));
        for (const char *command : {"log", "", "print"})
            QCOMPARE(logs->run(command, *command ? QVariant() : QVariant("x")), QVariant(false));
        QCOMPARE(logs->informations(), 1);
        QCOMPARE(logs->warnings(), 0);
        logs->slot_addLog(7, "w");
        QVERIFY(QMetaObject::invokeMethod(logs, "slot_pbClear_clicked"));
        QCOMPARE(logs->list()->count(), 0);
        QCOMPARE(logs->warnings(), 1); // clearing keeps the counters
        QVERIFY(QMetaObject::invokeMethod(logs, "slot_ResetStatus"));
        QCOMPARE(logs->warnings(), 0);
    }

    void logFile()
    {
        const QString name = logs->saveLogBox()->text();
        QVERIFY(TestFiles::write(name, "old\n"));
        logs->saveLogBox()->setChecked(true);
        app->setLogComm(true);
        logs->slot_addLog(5, "abc");
        QCOMPARE(TestFiles::read(name), QByteArray("old\nC(5)  ::: abc \n")); // flushed per line
        app->setLogComm(false);
        logs->slot_addLog(0, "not shown, not written");
        logs->slot_addLog(-2, QString::fromUtf8("caf\u00e9 <b>"));
        logs->saveLogBox()->setChecked(false);
        logs->slot_addLog(-3, "while off");
        logs->saveLogBox()->setChecked(true); // reopened for appending
        logs->slot_addLog(-4, "again %1");
        logs->saveLogBox()->setChecked(false);
        QCOMPARE(TestFiles::read(name), QByteArray("old\nC(5)  ::: abc \nC(-2)  ::: caf\xe9 <b> \n"
                                                   "C(-4)  ::: again %1 \n")); // Latin-1
    }

    // Copy takes the current row without its date, Copy All every row; through the list's
    // context menu.
    void copy()
    {
        app->setLogComm(true);
        QClipboard *clipboard = QApplication::clipboard();
        QVERIFY(QMetaObject::invokeMethod(logs, "slot_pbClear_clicked"));
        clipboard->setText("keep me");
        menuAction("Copy")->trigger(); // no current row: nothing copied
        QCOMPARE(clipboard->text(), QString("keep me"));
        logs->slot_addLog(0, "first&lt;cr&gt;second&lt;cr&gt;");
        logs->slot_addLog(-1, "failed");
        QTRY_COMPARE(logs->list()->currentRow(), 1);
        menuAction("Copy")->trigger();
        QCOMPARE(clipboard->text(), QString(" failed"));
        logs->list()->setCurrentRow(0);
        menuAction("Copy")->trigger();
        QCOMPARE(clipboard->text(), QString(" first<cr>second<cr>"));
        menuAction("Copy All")->trigger();
        QCOMPARE(clipboard->text(), QString(" first<cr>second<cr>\n failed\n"));
    }

    void consoleLine()
    {
        FakeBoard board;
        QVERIFY(app->connectBoard(board.devicePath()));
        QTRY_VERIFY(board.lines().contains("set baudrate=115200"));
        const QList<QPair<QString, QList<QByteArray>>> cases = {
            {"set A=1<cr>set B=2<cr>", {"set A=1", "set B=2"}},
            {"set C=3<cr>set D=4", {"set C=3", "set D=4"}}, // the link ends the last line
            {"get A", {"get A"}}};
        for (const auto &c : cases) {
            board.clearRecords();
            logs->consoleLine()->setText(c.first);
            QTest::keyClick(logs->consoleLine(), Qt::Key_Return);
            QVERIFY(board.waitForLines(int(c.second.size()), 3000));
            QCOMPARE(board.lines(), c.second);
            QCOMPARE(logs->consoleLine()->text(), c.first); // keeps its text
        }
        app->disconnectBoard();
    }

    // A pattern still playing when the window goes finishes before it: the tone output it
    // plays on is torn down after the window.
    void closingWaitsForThePlayingPattern()
    {
        app->shutdown();
        struct TimedTones : RecordingTones {
            void play(int frequencyHz, int durationMs) override
            {
                QThread::msleep(ulong(durationMs));
                RecordingTones::play(frequencyHz, durationMs);
            }
        } timed;
        ToneOutput::install(&timed);
        auto *window = new Logs;
        window->hornButton()->setChecked(true);
        window->messageBoxBox()->setChecked(false);
        window->slot_addLog(-1, QStringLiteral("bad thing"));
        delete window;
        QCOMPARE(timed.count(), 3);
        ToneOutput::install(nullptr);
    }

private:
    QString lastLine() const { return logs->list()->itemText(logs->list()->count() - 1); }

    QAction *menuAction(const QString &text) const
    {
        for (QMenu *menu : logs->findChildren<QMenu *>())
            for (QAction *action : menu->actions())
                if (action->text() == text)
                    return action;
        return nullptr;
    }

    MainApp *app = nullptr;
    Logs *logs = nullptr;
    ShellPrompt prompt;
    RecordingTones tones;
};

QTEST_MAIN(TestLogs)
#include "tst_logs.moc"
