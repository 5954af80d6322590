// The log window inside a started shell: colours by level, counters, the error box and beeps,
// the day's log file, copying and the console line to a simulated board.
#include "tst_shellfixture.h"

#include "controlboard.h"
#include "fakeboard.h"
#include "htmllistbox.h"
#include "logs.h"
#include "mainapp.h"
#include "testfiles.h"
#include "tst_recordingtones.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
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
        QVERIFY(logs);
        QCOMPARE(logs->objectName(), QString("Logs"));
        QCOMPARE(logs->windowTitle(), QString("Logs"));
        QCOMPARE(logs->saveLogBox()->text(),
                 QDate::currentDate().toString("yyyyMMdd") + QStringLiteral(".log"));
        QVERIFY(logs->hornButton()->isChecked());
        QVERIFY(logs->messageBoxBox()->isChecked());
        QVERIFY(!logs->translaterBox()->isChecked());
        QVERIFY(!logs->windowIcon().pixmap(16, 16).isNull());
        QVERIFY(!logs->hornButton()->icon().pixmap(16, 16).isNull());
        QVERIFY(logs->hornButton()->text().isEmpty());
    }

    void init()
    {
        app->setLogComm(false);
        logs->hornButton()->setChecked(true);
        logs->messageBoxBox()->setChecked(true);
    }

    void colours_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("colour");
        QTest::newRow("link error") << -1000 << QString("red");
        QTest::newRow("error") << -1 << QString("red");
        QTest::newRow("information") << 0 << QString("black");
        QTest::newRow("warning 1") << 1 << QString("magenta");
        QTest::newRow("warning 100") << 100 << QString("magenta");
        QTest::newRow("trace 105 (gray)") << 105 << QString("#a0a0a4");
        QTest::newRow("link info 104") << 104 << QString("#808080");
        QTest::newRow("link tx 109") << 109 << QString("#0000ff");
        QTest::newRow("link rx 114") << 114 << QString("#008000");
        QTest::newRow("trace 118 (darkYellow)") << 118 << QString("#808000");
        QTest::newRow("identification 1000") << 1000 << QString("#008080");
    }

    void colours()
    {
        QFETCH(int, level);
        QFETCH(QString, colour);
        QCOMPARE(Logs::colorOfLevel(level), colour);
    }

    void errorWhileLoggingOff()
    {
        const int lines = logs->list()->count();
        const int errors = logs->errors();
        const int played = tones.count();
        logs->slot_addLog(-1, "bad thing");
        QCOMPARE(logs->list()->count(), lines + 1);
        QCOMPARE(logs->errors(), errors + 1);
        const QString line = lastLine();
        QVERIFY2(line.startsWith("C(-1) ["), qPrintable(line));
        QVERIFY(line.endsWith("]<font color=\"red\"> bad thing</font> <br>"));
        // The date part is Qt's text date, as in "Fri Aug 30 10:49:47 2024".
        const QString date = line.section('[', 1).section(']', 0, 0);
        QVERIFY2(QDateTime::fromString(date, Qt::TextDate).isValid(), qPrintable(date));
        QTRY_COMPARE(logs->list()->currentRow(), logs->list()->count() - 1);
        // The error pattern, on a thread of its own.
        QTRY_COMPARE(tones.count(), played + 3);
        const Tones pattern = tones.played().mid(played);
        QCOMPARE(pattern, (Tones{{1000, 100}, {1200, 200}, {2000, 100}}));
        QVERIFY(logs->statusLabel()->text().startsWith(
            QString("Err:<font color=red>%1</font>").arg(errors + 1)));
    }

    void errorBoxIsNonModalAndSingle()
    {
        if (logs->errorBox())
            logs->errorBox()->close();
        QTRY_VERIFY(!logs->errorBox());
        logs->slot_addLog(-5, "first failure");
        QMessageBox *box = logs->errorBox();
        QVERIFY(box);
        QVERIFY(box->isVisible());
        QVERIFY(!box->isModal());
        QCOMPARE(box->windowTitle(), QString("Error"));
        QCOMPARE(box->text(), QString("first failure"));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        // slot_addLog returned without waiting for a click; the next error reuses the box.
        logs->slot_addLog(-5, "second failure");
        QCOMPARE(logs->errorBox(), box);
        QCOMPARE(box->text(), QString("second failure"));
        int boxes = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            boxes += qobject_cast<QMessageBox *>(w) && w->isVisible() ? 1 : 0;
        QCOMPARE(boxes, 1);
        box->close();
        QTRY_VERIFY(!logs->errorBox());
    }

    void hornAndBoxSwitches()
    {
        logs->hornButton()->setChecked(false);
        logs->messageBoxBox()->setChecked(false);
        QTest::qWait(400); // beeps of earlier tests end
        const int played = tones.count();
        const int errors = logs->errors();
        logs->slot_addLog(-1, "quiet");
        QCOMPARE(logs->errors(), errors + 1);
        QVERIFY(!logs->errorBox());
        QTest::qWait(400); // a beep would have played by now
        QCOMPARE(tones.count(), played);
    }

    void countedWhileLoggingOff()
    {
        logs->resetCounters();
        const int lines = logs->list()->count();
        logs->slot_addLog(0, "info");
        logs->slot_addLog(50, "warning");
        logs->slot_addLog(109, "trace");
        logs->slot_addLog(1000, "identification");
        QCOMPARE(logs->list()->count(), lines);
        QCOMPARE(logs->informations(), 1);
        QCOMPARE(logs->warnings(), 1);
        QCOMPARE(logs->errors(), 0);
        const QString label = "Err:<font color=red>0</font> Warn:<font color=magenta>1</font> "
                              "Inf:<font color=black>1</font>";
        QCOMPARE(logs->statusLabel()->text(), label);
        QCOMPARE(logs->statusLabel()->toolTip(), label);
    }

    void traceWhileLoggingOn()
    {
        app->setLogComm(true);
        QVERIFY(app->isLogComm());
        logs->resetCounters();
        logs->slot_addLog(109, "TX(1):get X");
        QCOMPARE(lastLine(), QString("<font color=\"#0000ff\"> TX(1):get X</font> <br>"));
        logs->slot_addLog(0, "plain");
        QCOMPARE(lastLine(), QString("<font color=\"black\"> plain</font> <br>"));
        QCOMPARE(logs->informations(), 1);
        QCOMPARE(logs->warnings(), 0);
        QCOMPARE(logs->errors(), 0);
    }

    void logFile()
    {
        logs->messageBoxBox()->setChecked(false);
        const QString name = logs->saveLogBox()->text();
        QVERIFY(TestFiles::write(name, "old\n"));
        logs->saveLogBox()->setChecked(true);
        app->setLogComm(true);
        logs->slot_addLog(5, "abc");
        QCOMPARE(TestFiles::read(name), QByteArray("old\nC(5)  ::: abc \n")); // flushed per line
        app->setLogComm(false);
        logs->slot_addLog(0, "not shown, not written");
        logs->slot_addLog(-2, QString::fromUtf8("caf\u00e9 <b>"));
        QCOMPARE(TestFiles::read(name),
                 QByteArray("old\nC(5)  ::: abc \nC(-2)  ::: caf\xe9 <b> \n")); // Latin-1
        logs->saveLogBox()->setChecked(false);
        logs->slot_addLog(-3, "while off");
        logs->saveLogBox()->setChecked(true); // reopened for appending
        logs->slot_addLog(-4, "again");
        QCOMPARE(TestFiles::read(name),
                 QByteArray("old\nC(5)  ::: abc \nC(-2)  ::: caf\xe9 <b> \nC(-4)  ::: again \n"));
        logs->saveLogBox()->setChecked(false);
        QCOMPARE(Logs::fileLine(7, "%1 x"), QByteArray("C(7)  ::: %1 x \n"));
    }

    void copy()
    {
        app->setLogComm(true);
        logs->messageBoxBox()->setChecked(false);
        QClipboard *clipboard = QApplication::clipboard();
        logs->slot_addLog(0, "first&lt;cr&gt;second&lt;cr&gt;");
        invoke("slot_ActionCopy");
        QCOMPARE(clipboard->text(), QString(" first<cr>second<cr>"));

        logs->slot_addLog(-1, "failed");
        invoke("slot_ActionCopy");
        QCOMPARE(clipboard->text(), QString(" failed")); // the date prefix stays behind

        logs->list()->setCurrentRow(logs->list()->count() - 2);
        invoke("slot_ActionCopy");
        QCOMPARE(clipboard->text(), QString(" first<cr>second<cr>"));

        QVERIFY(QMetaObject::invokeMethod(logs, "slot_pbClear_clicked"));
        logs->slot_addLog(50, "a");
        logs->slot_addLog(50, "b");
        invoke("slot_ActionCopyAll");
        QCOMPARE(clipboard->text(), QString(" a\n b\n"));
        // The list follows the newest entry when the event loop runs; a later choice wins.
        QTRY_COMPARE(logs->list()->currentRow(), 1);
        logs->list()->setCurrentRow(0);
        invoke("slot_ActionCopy");
        QCOMPARE(clipboard->text(), QString(" a"));

        // Without a current row nothing is copied.
        QVERIFY(QMetaObject::invokeMethod(logs, "slot_pbClear_clicked"));
        QCOMPARE(logs->list()->currentRow(), -1);
        clipboard->setText("keep me");
        invoke("slot_ActionCopy");
        QCOMPARE(clipboard->text(), QString("keep me"));
    }

    void consoleLine()
    {
        FakeBoard board;
        QVERIFY(board.isValid());
        QVERIFY(app->connectBoard(board.devicePath()));
        // The connection ends with the chosen speed.
        QTRY_VERIFY(board.lines().contains("set baudrate=115200"));
        board.clearRecords();
        QLineEdit *console = logs->consoleLine();
        console->setText("set A=1<cr>set B=2<cr>");
        QTest::keyClick(console, Qt::Key_Return);
        QVERIFY(board.waitForLines(2, 3000));
        QCOMPARE(board.lines(), (QList<QByteArray>{"set A=1", "set B=2"}));
        QCOMPARE(console->text(), QString("set A=1<cr>set B=2<cr>")); // keeps its text

        board.clearRecords();
        console->setText("set C=3<cr>set D=4"); // no line end of its own: the link ends it
        QTest::keyClick(console, Qt::Key_Return);
        QVERIFY(board.waitForLines(2, 3000));
        QCOMPARE(board.lines(), (QList<QByteArray>{"set C=3", "set D=4"}));

        board.clearRecords();
        console->setText("get A");
        QTest::keyClick(console, Qt::Key_Return);
        QVERIFY(board.waitForLines(1, 3000));
        QCOMPARE(board.lines(), QList<QByteArray>{"get A"});
        app->disconnectBoard();
    }

    void runCommand_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QVariant>("args");
        QTest::addColumn<bool>("added");
        QTest::newRow("log") << QString("log") << QVariant("hello") << true;
        QTest::newRow("LOG") << QString("LOG") << QVariant("again") << true;
        QTest::newRow("null arguments") << QString("log") << QVariant() << false;
        QTest::newRow("empty command") << QString("") << QVariant("x") << false;
        QTest::newRow("other command") << QString("print") << QVariant("x") << false;
    }

    void runCommand()
    {
        QFETCH(QString, command);
        QFETCH(QVariant, args);
        QFETCH(bool, added);
        app->setLogComm(true);
        const int infos = logs->informations();
        QCOMPARE(logs->run(command, args), QVariant(added));
        QCOMPARE(logs->informations(), infos + (added ? 1 : 0));
        if (added)
            QCOMPARE(lastLine(),
                     QString("<font color=\"black\"> %1</font> <br>").arg(args.toString()));
        QVERIFY(logs->functionNames().isEmpty());
    }

    void clearKeepsCounters()
    {
        logs->slot_addLog(7, "w");
        const int warnings = logs->warnings();
        QVERIFY(QMetaObject::invokeMethod(logs, "slot_pbClear_clicked"));
        QCOMPARE(logs->list()->count(), 0);
        QCOMPARE(logs->warnings(), warnings);
        QVERIFY(QMetaObject::invokeMethod(logs, "slot_ResetStatus"));
        QCOMPARE(logs->warnings(), 0);
    }

    // A burst of errors in one pass, as a batch of failing requests logs them: every entry is
    // listed, the newest becomes the current row, and the error pattern plays once rather than
    // once per entry; after it has played, the next error plays it again.
    void burstOfErrors()
    {
        logs->messageBoxBox()->setChecked(false);
        QTest::qWait(200); // a pattern of an earlier case ends
        const int lines = logs->list()->count();
        const int played = tones.count();
        for (int i = 0; i < 500; ++i)
            logs->slot_addLog(-1, QStringLiteral("failure %1").arg(i));
        QCOMPARE(logs->list()->count(), lines + 500);
        QTRY_COMPARE(logs->list()->currentRow(), lines + 499);
        QTRY_COMPARE(tones.count(), played + 3);
        QTest::qWait(200);
        QCOMPARE(tones.count(), played + 3);
        logs->slot_addLog(-1, "later failure");
        QTRY_COMPARE(tones.count(), played + 6);
        QTRY_COMPARE(logs->list()->currentRow(), lines + 500);

        // Once cleared, the window follows the entries after it.
        invoke("slot_pbClear_clicked");
        logs->slot_addLog(-1, "after clearing");
        logs->slot_addLog(-1, "and another");
        QTRY_COMPARE(logs->list()->currentRow(), 1);
    }

    void cleanupTestCase()
    {
        app->shutdown();
        ToneOutput::install(nullptr);
    }

private:
    QString lastLine() const { return logs->list()->itemText(logs->list()->count() - 1); }
    void invoke(const char *slot) { QVERIFY(QMetaObject::invokeMethod(logs, slot)); }

    MainApp *app = nullptr;
    Logs *logs = nullptr;
    ShellPrompt prompt;
    RecordingTones tones;
};

QTEST_MAIN(TestLogs)
#include "tst_logs.moc"
