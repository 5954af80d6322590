// The log window inside a started shell: colours by level, counters, the error bar and beeps,
// copying and the console line to a simulated board; the beeper's patterns. (The day's log
// file: tst_daylogfile.)
#include "tst_shellfixture.h"

#include "beeper.h"
#include "contrast.h"
#include "controlboard.h"
#include "errorbar.h"
#include "fakeboard.h"
#include "htmllistbox.h"
#include "layoutcheck.h"
#include "logs.h"
#include "mainapp.h"
#include "mainwindow.h"
#include "paintcounter.h"
#include "pipeclient.h"
#include "programfiles.h"
#include "pythonrunner.h"
#include "testfiles.h"
#include "toneoutput.h"
#include "wholetextlabel.h"

#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDate>
#include <QDeadlineTimer>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSemaphore>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTextDocument>
#include <QtTest>

#include <cstdio>
#include <functional>

#include <sys/stat.h>
#include <unistd.h>

// Records every tone with the thread and the priority it was played on.
using Tones = QList<QPair<int, int>>; // frequency in Hz, duration in ms

class RecordingTones : public ToneOutput
{
public:
    void play(int frequencyHz, int durationMs) override
    {
        QMutexLocker lock(&mutex);
        tones.append(qMakePair(frequencyHz, durationMs));
        threads.append(QThread::currentThread());
        lowPriority.append(QThread::currentThread()->priority() == QThread::LowPriority);
    }
    Tones played() const
    {
        QMutexLocker lock(&mutex);
        return tones;
    }
    int count() const { return int(played().size()); }

    mutable QMutex mutex;
    Tones tones;
    QList<QThread *> threads;
    QList<bool> lowPriority;
};

class TestLogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A grid given a cell it cannot take warns and piles controls up: none is built so.
        QTest::failOnWarning(QRegularExpression("^QGridLayout"));
        ToneOutput::install(&tones);
        app = MainApp::instance();
        // The probe of the serial ports logs what it found: it ends before the first test, so
        // no line of it lands among a test's own.
        app->setPortProbe([]() { return QStringList{"mockup"}; });
        QVERIFY(app->init());
        app->setProgramFiles(labFiles()); // started in a shared folder, with a home open to all
        app->start();
        QTRY_VERIFY_WITH_TIMEOUT(app->mainWindow()->portList()->count() > 0, 60000);
        logs = app->logs();
        // The start tells, whether logging is on or not: what it passed over (two warnings, as
        // tst_programfiles words them), where the files are (the day-log box shows its file), and
        // that they cannot be kept, with what to do (two errors).
        const QString day = QDate::currentDate().toString("yyyyMMdd") + ".log";
        QCOMPARE(logs->saveLogBox()->text(), day);
        const QString state = lab.filePath("homes/me/.local/state/kvl52110/");
        QCOMPARE(logs->saveLogBox()->toolTip(), Qt::convertFromPlainText(state + day));
        QCOMPARE(QList<int>({logs->errors(), logs->warnings(), logs->informations()}),
                 QList<int>({2, 2, 1}));
        QCOMPARE(logs->list()->count(), 5);
        QVERIFY(logs->list()->itemText(2).endsWith(
            "> Your files: options " + lab.filePath("homes/me/.config/kvl52110/options.ini") +
            ", window state " + state + "KVL52110.state, day log " + state + day +
            "; the command socket " + app->localServer()->socketFile() + "</font>"));
        QVERIFY(lastLine().endsWith(
            QString("> Your window state and day logs are not kept: %1 is writable by other users "
                    "(mode 0777): close it to other users' writing (chmod go-w %1), or set "
                    "XDG_STATE_HOME to a folder of your own on a way that no other user can "
                    "change</font>")
                .arg(lab.filePath("homes"))));
        // The day-log box cannot write its file there: it says so again and is not ticked.
        logs->saveLogBox()->setChecked(true);
        app->setProgramFiles(ProgramFiles::ofThisProcess());
        QVERIFY(!logs->saveLogBox()->isChecked());
        QCOMPARE(lastLine().section("\"> ", 1), logs->list()->itemText(4).section("\"> ", 1));
        QTRY_VERIFY_WITH_TIMEOUT(!logs->isBeeping(), 30000); // the errors' pattern has played
        QCOMPARE(app->option("comm_timeout").toInt(), 50); // the bench's options are not read
        QVERIFY(logs->hornButton()->isChecked() && logs->messageBoxBox()->isChecked());
        logs->messageBoxBox()->setChecked(false);
        const QStringList colours = {"-1000:red",   "-1:red",      "0:black",     "1:magenta",
                                     "100:magenta", "104:#808080", "105:#a0a0a4", "109:#0000ff",
                                     "114:#008000", "110:#00708c", "118:#808000", "119:#000000",
                                     "1000:#008080"};
        for (const QString &c : colours)
            QCOMPARE(Logs::colorOfLevel(c.section(':', 0, 0).toInt()), c.section(':', 1));
    }

    // Every control of the log window has its place in the window's layout.
    void controlsAreLaidOut()
    {
        int controls = 0;
        const QString misplaced = misplacedControl(logs, &controls);
        QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced));
        QCOMPARE(controls, 7); // with the note that older lines have left, hidden until they do
        // The list and the console line below it share the window's width.
        QCOMPARE(logs->list()->geometry().left(), logs->consoleLine()->geometry().left());
        QCOMPARE(logs->saveLogBox()->geometry().left(), logs->list()->geometry().left());
        QCOMPARE(logs->list()->width(), logs->consoleLine()->width());
        // Its dock and its menu entry are titled; the window has the log's picture.
        QCOMPARE(logs->container()->windowTitle(), QString("Logs"));
        QCOMPARE(logs->windowIcon().pixmap(16).toImage(),
                 QIcon(":/buttons/log").pixmap(16).toImage());
        QCOMPARE(logs->action()->text(), QString("Logs"));
        QCOMPARE(logs->hornButton()->size(), QSize(23, 23)); // a square in the status bar
    }

    // Errors are listed with the date while logging is off, play the error pattern once per
    // burst on a thread of their own, and the newest becomes the current row; other levels are
    // counted but not listed.
    void errorsWhileLoggingOff()
    {
        tones.tones.clear();
        const int lines = logs->list()->count();
        for (int i = 0; i < 300; ++i)
            logs->slot_addLog(-1, QStringLiteral("failure %1").arg(i));
        QCOMPARE(logs->list()->count(), lines + 300);
        QVERIFY(lastLine().startsWith("C(-1) ["));
        QVERIFY(lastLine().endsWith("]<font color=\"red\"> failure 299</font>"));
        const QString date = lastLine().section('[', 1).section(']', 0, 0);
        QVERIFY2(QDateTime::fromString(date, Qt::TextDate).isValid(), qPrintable(date));
        QTRY_COMPARE_WITH_TIMEOUT(logs->list()->currentRow(), lines + 299, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(tones.count(), 3, 30000);
        QCOMPARE(tones.played(), (Tones{{1000, 100}, {1200, 200}, {2000, 100}}));
        QTRY_VERIFY_WITH_TIMEOUT(!logs->isBeeping(), 30000);
        logs->slot_addLog(-1, "later failure"); // after it has played, it plays again
        QTRY_COMPARE_WITH_TIMEOUT(tones.count(), 6, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!logs->isBeeping(), 30000);

        logs->hornButton()->setChecked(false);
        QVERIFY(QMetaObject::invokeMethod(logs, "slot_ResetStatus"));
        QCOMPARE(logs->statusLabel()->text(), // the reset shows at once
                 QString("Err:<font color=red>0</font> Warn:<font "
                         "color=magenta>0</font> Inf:<font color=black>0</font>"));
        for (int level : {0, 50, 100, 101, 109, 1000, -1})
            logs->slot_addLog(level, "x");
        QCOMPARE(logs->list()->count(), lines + 302);
        QTRY_COMPARE(logs->statusLabel()->text(),
                     QString("Err:<font color=red>1</font> Warn:<font "
                             "color=magenta>2</font> Inf:<font color=black>1</font>"));
        QCOMPARE(logs->statusLabel()->toolTip(), logs->statusLabel()->text());
        QVERIFY(!logs->isBeeping()); // no horn, no beep
        QCOMPARE(tones.count(), 6);
    }

    // The counts show paced, and even shown after each entry (each pass a slow one) they lay
    // the connection bar out only where a count gains a digit.
    void burstKeepsTheBar()
    {
        logs->resetCounters();
        QApplication::processEvents();
        PaintCounter bar;
        logs->statusLabel()->parentWidget()->installEventFilter(&bar);
        for (int i = 0; i < 150; ++i) {
            logs->slot_addLog(i % 2, "entry");
            if (i < 120)
                logs->updateStatus();
            QApplication::processEvents();
        }
        QTRY_VERIFY(logs->statusLabel()->text().endsWith("Inf:<font color=black>75</font>"));
        QApplication::processEvents();
        QVERIFY2(bar.layouts <= 4, qPrintable(QString::number(bar.layouts)));
    }

    // The error bar in the main window: adding an error returns at once and shows it, plain
    // text, with the count of errors since the bar was last closed; a screen reader reads it as
    // an alert. However closed (its button, Escape while it has the keyboard), the next error
    // shows it again with its text, counting from one. "Open log" shows the log window.
    void errorBarShowsTheLatest()
    {
        ErrorBar *bar = logs->errorBar();
        QVERIFY(bar);
        QCOMPARE(bar->window(), app->mainWindow());
        bar->closeBar(); // the errors before
        logs->messageBoxBox()->setChecked(true);
        logs->slot_addLog(-5, "first failure");
        logs->slot_addLog(-5, "second failure");
        QVERIFY(!bar->isHidden());
        auto *text = bar->findChild<WholeTextLabel *>();
        QCOMPARE(text->textFormat(), Qt::PlainText);
        // While shown, it takes the next text paced, drawn to be read on the bar's colour.
        QTRY_COMPARE(bar->text() + "|" + QString::number(bar->count()), "second failure|2");
        const QImage drawn = text->grab().toImage();
        const QColor colour = bar->grab().toImage().pixelColor(2, bar->height() / 2);
        QVERIFY2(colour.red() > colour.green() + 15, qPrintable(colour.name())); // marked red
        text->setText(QString());
        QVERIFY(Contrast::ofText(drawn, text->grab().toImage()) >= 4.5);
        text->setText("second failure");
        QAccessibleInterface *alert = QAccessible::queryAccessibleInterface(bar);
        QVERIFY(alert && alert->role() == QAccessible::AlertMessage);
        QCOMPARE(QAccessible::queryAccessibleInterface(bar->closeButton())->role(),
                 QAccessible::Button);
        QCOMPARE(alert->text(QAccessible::Name), QString("Error"));
        QCOMPARE(alert->text(QAccessible::Description), QString("second failure"));
        const QList<std::function<void()>> closings = {
            [bar]() { bar->closeButton()->click(); },
            [bar]() {
                bar->openLogButton()->setFocus(); // as Tab gives it
                QTest::keyClick(bar->openLogButton(), Qt::Key_A); // no other key closes it
                QVERIFY(!bar->isHidden());
                QTest::keyClick(bar->openLogButton(), Qt::Key_Escape);
            },
            [bar]() { QTest::keyClick(bar->closeButton(), Qt::Key_Space); }};
        for (int i = 0; i < closings.size(); ++i) {
            closings.at(i)();
            QVERIFY(bar->isHidden());
            logs->slot_addLog(-5, QString("failure after closing %1").arg(i));
            QVERIFY(!bar->isHidden());
            QCOMPARE(bar->text(), QString("failure after closing %1").arg(i));
            QCOMPARE(bar->count(), 1);
        }
        // A notice shows as the latest, uncounted; a closed bar shows it with no count, and a
        // bar that has had no error yet shows no empty count beside it.
        ErrorBar fresh;
        fresh.addNotice("the first word");
        const auto labels = fresh.findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
        for (const QLabel *label : labels)
            QVERIFY(label->isHidden() || !label->text().isEmpty() || !label->pixmap().isNull());
        QVERIFY(app->showNotice("Warning: a notice"));
        QTRY_COMPARE(bar->text() + "|" + QString::number(bar->count()), "Warning: a notice|1");
        bar->closeBar();
        app->showNotice("Information: another");
        QVERIFY(!bar->isHidden() && bar->text() == "Information: another" && bar->count() == 0);
        logs->slot_addLog(-5, "failure after the notice");
        QTRY_COMPARE(bar->text() + "|" + QString::number(bar->count()), "failure after the notice|1");
        // While shown, a burst of errors sets its text paced, the latest error last; a bar closed
        // while a new text waits stays closed.
        const QString before = bar->text();
        for (int i = 0; i < 200; ++i)
            logs->slot_addLog(-5, QString("burst %1 <b>&amp;</b>").arg(i));
        QCOMPARE(bar->text(), before);
        QTRY_COMPARE(bar->text(), QString("burst 199 <b>&amp;</b>"));
        QCOMPARE(bar->count(), 201);
        QVERIFY(logs->errors() >= 200);
        logs->slot_addLog(-5, "while it closes");
        bar->closeBar();
        QTRY_VERIFY(!logs->showsPending());
        QVERIFY(bar->isHidden());
        QCOMPARE(bar->text(), QString("burst 199 <b>&amp;</b>"));
        // Unticked, an error leaves the bar closed.
        logs->messageBoxBox()->setChecked(false);
        logs->slot_addLog(-5, "not shown");
        QVERIFY(bar->isHidden() && !bar->isPending());
        logs->messageBoxBox()->setChecked(true);
        logs->slot_addLog(-5, "shown");
        QVERIFY(!app->mainWindow()->logSwitch()->isChecked() && !logs->isWindowVisible());
        bar->openLogButton()->click();
        QVERIFY(logs->isWindowVisible() && !app->mainWindow()->logSwitch()->isChecked());
        logs->hideWindow();
        bar->closeBar();
        logs->messageBoxBox()->setChecked(false);
    }

    // While logging is on every level is listed in its colour; "log" requests add a line;
    // clearing keeps the counters.
    void listedWhileLoggingOn()
    {
        app->setLogComm(true);
        logs->resetCounters();
        logs->slot_addLog(109, "TX(1):get X");
        QCOMPARE(lastLine(), QString("<font color=\"#0000ff\"> TX(1):get X</font>"));
        QCOMPARE(logs->run("LOG", "hello"), QVariant(true));
        QCOMPARE(lastLine(), QString("<font color=\"black\"> hello</font>"));
        QCOMPARE(logs->run("log", QVariant()), QVariant(false));
        QCOMPARE(logs->run("print", "x"), QVariant(false));
        logs->slot_addLog(7, "w");
        QCOMPARE(logs->informations(), 1);
        logs->findChild<QPushButton *>("pbClear")->click(); // the Clear button
        QCOMPARE(logs->list()->count(), 0);
        QCOMPARE(logs->warnings(), 1);
    }

    // The log's form of a text: one line, control characters as escapes, other text as it is.
    void shownText()
    {
        const QList<std::pair<QString, QString>> cases = {
            {"plain <b>&amp;</b> caf\u00e9\u00a0x ~", "plain <b>&amp;</b> caf\u00e9\u00a0x ~"},
            {"a\nb\n\n", "a<cr>b"},
            {"\n", ""},
            {"a\tb\rc\x1b[0m\x7f\x1f", "a b\\x0dc\\x1b[0m\\x7f\\x1f"},
            {"A=7\r", "A=7"}, // a board's answer, its line ended by CR LF
            {"a\r\nb\r\n", "a<cr>b"},
            {QString::fromUtf8("\u0080\u009b\u2028\u2029"), "\\x80\\x9b\\u2028\\u2029"}};
        for (const auto &[text, shown] : cases)
            QCOMPARE(Logs::shownText(text), shown);
    }

    // Past its bound the list keeps the newest entries, in order, and says that older ones have
    // left; the counters count every entry and the day's file holds every line.
    void listKeepsTheNewest()
    {
        const QString day = logs->saveLogBox()->text();
        QFile::remove(day);
        QVERIFY(QMetaObject::invokeMethod(logs, "slot_pbClear_clicked"));
        logs->resetCounters();
        logs->saveLogBox()->setChecked(true);
        app->setLogComm(true);
        CustomControls::HtmlListBox *list = logs->list();
        auto *note = logs->findChild<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
        const int total = Logs::ListedLines + 1234;
        for (int i = 0; i < total; ++i) {
            logs->slot_addLog(i % 2, QString("entry %1").arg(i));
            if (i == 20000) // some rows are shown, and leave for newer ones
                list->showAddedRows();
        }
        QVERIFY(note->isHidden());
        list->showAddedRows();
        QCOMPARE(list->count(), Logs::ListedLines);
        QCOMPARE(list->droppedRows(), 1234);
        for (int row : {0, 1, Logs::ListedLines - 1})
            QCOMPARE(list->lineText(row),
                     QString(" entry %1").arg(total - Logs::ListedLines + row));
        QCOMPARE(logs->informations() + logs->warnings(), total);
        QVERIFY(!note->isHidden() && note->text().startsWith("Older lines have left this list"));
        QVERIFY(note->text().endsWith("The day's log file keeps every line listed since it was "
                                      "ticked."));
        logs->saveLogBox()->setChecked(false);
        QVERIFY(note->text().endsWith("They are not kept: tick the day's log file above to keep "
                                      "every line from now on."));
        app->setLogComm(false);
        const QList<QByteArray> lines = TestFiles::read(day).split('\n');
        QCOMPARE(lines.size(), total + 1); // and the end of the last
        QCOMPARE(lines.first(), QByteArray("C(0)  ::: entry 0 "));
        QCOMPARE(lines.at(total - 1), "C(1)  ::: entry " + QByteArray::number(total - 1) + " ");
        QVERIFY(QMetaObject::invokeMethod(logs, "slot_pbClear_clicked"));
        QVERIFY(note->isHidden() && list->count() == 0 && list->droppedRows() == 0);
    }

    // The levels the program logs at (information, warning, link information, TX, the pipe's
    // trace, RX, high traces): the newest line is the current row but not selected, and its
    // text keeps a contrast of at least 3:1 to the list behind it.
    void newestLineReads_data()
    {
        QTest::addColumn<int>("level");
        for (int level : {0, 1, 104, 109, 110, 114, 1000})
            QTest::addRow("%d", level) << level;
    }

    void newestLineReads()
    {
        QFETCH(int, level);
        app->setLogComm(true);
        CustomControls::HtmlListBox *list = logs->list();
        logs->showWindow();
        QVERIFY(QMetaObject::invokeMethod(logs, "slot_pbClear_clicked"));
        logs->slot_addLog(0, "older line");
        list->setCurrentRow(0); // a row the user selected
        logs->slot_addLog(level, "TX(12:00:00.000):get SER2DATA");
        QTRY_COMPARE_WITH_TIMEOUT(list->currentRow(), 1, 30000);
        QVERIFY(!list->selectionModel()->hasSelection());
        QVERIFY(
            list->viewport()->rect().contains(list->visualRect(list->itemModel()->index(1, 0))));
        const double contrast = textContrast(list, 1);
        QVERIFY2(contrast >= 3, qPrintable(QString::number(contrast)));
        app->setLogComm(false);
    }

    // A selected row reads in every colour the log uses: its text keeps a contrast of at least
    // 4.5:1 to the selection behind it, each letter (here an entry of one).
    void selectedLineReads_data()
    {
        QTest::addColumn<int>("level");
        for (int level : {-1, 0, 1, 100, 1000})
            QTest::addRow("%d", level) << level;
        for (int level = 101; level <= 119; ++level)
            QTest::addRow("%d", level) << level;
    }

    void selectedLineReads()
    {
        QFETCH(int, level);
        app->setLogComm(true);
        CustomControls::HtmlListBox *list = logs->list();
        logs->showWindow();
        QVERIFY(QMetaObject::invokeMethod(logs, "slot_pbClear_clicked"));
        logs->slot_addLog(level, "W");
        list->followLastRow();
        const QModelIndex index = list->itemModel()->index(0, 0);
        list->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
        const double contrast = textContrast(list, 0);
        QVERIFY2(contrast >= 4.5, qPrintable(QString::number(contrast)));
        app->setLogComm(false);
    }

    // A screen reader reads the log as a list named "Log" of its rows, each as the window shows
    // it: lead and text, plain text.
    void listReadsAsShown()
    {
        QVERIFY(QMetaObject::invokeMethod(logs, "slot_pbClear_clicked"));
        logs->slot_addLog(-1, "<b>failed</b>\r\n");
        app->setLogComm(true);
        logs->slot_addLog(109, "TX(12:00:00.000):get A");
        app->setLogComm(false);
        logs->list()->showAddedRows();
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(logs->list());
        QCOMPARE(list->role(), QAccessible::List);
        QCOMPARE(list->text(QAccessible::Name), QString("Log"));
        QCOMPARE(list->childCount(), 2);
        const QString error = list->child(0)->text(QAccessible::Name);
        QVERIFY2(error.startsWith("C(-1) [") && error.endsWith("] <b>failed</b>"),
                 qPrintable(error));
        QCOMPARE(list->child(1)->text(QAccessible::Name), QString("TX(12:00:00.000):get A"));
    }

    // The Python runner's messages reach the log: a stored interpreter path that does not
    // resolve is warned about there.
    void runnerWarnsInTheLog()
    {
        const int warnings = logs->warnings();
        app->setOption("python_path", "/no/such/python");
        QCOMPARE(app->controlBoard()->pythonRunner()->interpreter(), QString("python3"));
        QCOMPARE(logs->warnings(), warnings + 1);
        app->setOption("python_path", "python3");
    }

    // Through the list's context menu (a right click): Copy takes the current row without its date,
    // Copy All every row.
    void copy()
    {
        app->setLogComm(true);
        QClipboard *clipboard = QApplication::clipboard();
        QVERIFY(QMetaObject::invokeMethod(logs, "slot_pbClear_clicked"));
        clipboard->setText("keep me");
        menuAction("Copy")->trigger(); // no current row: nothing copied
        QCOMPARE(clipboard->text(), QString("keep me"));
        // Line feeds show as the console writes them, but for those that end the text.
        logs->slot_addLog(0, "first\nsecond\n");
        logs->slot_addLog(-1, "failed");
        QTRY_COMPARE_WITH_TIMEOUT(logs->list()->currentRow(), 1, 30000);
        menuAction("Copy")->trigger();
        QCOMPARE(clipboard->text(), QString(" failed"));
        logs->list()->setCurrentRow(0); // the first line copies too
        menuAction("Copy")->trigger();
        QCOMPARE(clipboard->text(), QString(" first<cr>second"));
        menuAction("Copy All")->trigger();
        QCOMPARE(clipboard->text(), QString(" first<cr>second\n failed\n"));
        logs->slot_addLog(-1, "newest"); // copied before the list has moved on to it
        menuAction("Copy")->trigger();
        QCOMPARE(clipboard->text(), QString(" newest"));
        // A right click on the list opens the menu; Copy takes the row clicked, while a script's
        // rows come and the list follows them.
        logs->list()->followLastRow();
        const QRect first = logs->list()->visualRect(logs->list()->itemModel()->index(0, 0));
        QContextMenuEvent click(QContextMenuEvent::Mouse, first.center(),
                                logs->list()->viewport()->mapToGlobal(first.center()));
        QApplication::sendEvent(logs->list()->viewport(), &click);
        auto *menu = logs->findChild<QMenu *>();
        QTRY_VERIFY(menu->isVisible());
        for (int i = 0; i < 20; ++i)
            logs->slot_addLog(-1, "from a script");
        logs->list()->followLastRow();
        menuAction("Copy")->trigger();
        QCOMPARE(clipboard->text(), QString(" first<cr>second"));
        menu->close();
        // Opened on a row and closed, then below the rows: Copy takes the current row.
        QApplication::sendEvent(logs->list()->viewport(), &click);
        menu->close();
        const QPoint below(5, logs->list()->viewport()->height() - 2);
        QVERIFY(!logs->list()->indexAt(below).isValid());
        QContextMenuEvent clickBelow(QContextMenuEvent::Mouse, below,
                                     logs->list()->viewport()->mapToGlobal(below));
        QApplication::sendEvent(logs->list()->viewport(), &clickBelow);
        menuAction("Copy")->trigger();
        QCOMPARE(clipboard->text(), QString(" from a script"));
        menu->close();
    }

    void consoleLine()
    {
        FakeBoard board;
        QVERIFY(app->connectBoard(board.devicePath()));
        QTRY_VERIFY_WITH_TIMEOUT(board.lines().contains("set baudrate=115200"), 30000);
        board.clearRecords();
        logs->consoleLine()->setText("set A=1<cr>get B<cr>set C=3"); // the link ends the last
        QTest::keyClick(logs->consoleLine(), Qt::Key_Return);
        QVERIFY(board.waitForLines(3, 3000));
        QCOMPARE(board.lines(), (QList<QByteArray>{"set A=1", "get B", "set C=3"}));
        QCOMPARE(logs->consoleLine()->text(), QString("set A=1<cr>get B<cr>set C=3"));
        // The line waits for the board's answers: one it refuses is an error of the log (the
        // link tells refusals while logging is on).
        app->setLogComm(true);
        const int errors = logs->errors();
        logs->consoleLine()->setText("bogus");
        QTest::keyClick(logs->consoleLine(), Qt::Key_Return);
        QCOMPARE(logs->errors(), errors + 1);
        // A board that ends its answers with CR LF: the answer's line ends where it does.
        board.setLineEnding("\r\n");
        board.addHandler("get CRLF", [](const QByteArray &) { return QByteArray("CRLF=1"); });
        logs->consoleLine()->setText("get CRLF");
        QTest::keyClick(logs->consoleLine(), Qt::Key_Return);
        const QString answer = logs->list()->lineText(logs->list()->count() - 1);
        QVERIFY2(answer.startsWith(" RX(") && answer.endsWith("):CRLF=1"), qPrintable(answer));
        app->setLogComm(false);
        app->disconnectBoard();
    }

    // Text from outside shows as it is, never read as markup, in the list, the error box and the
    // day's file: a port's path, the console line, the board's reply and refusal, a request's
    // name and value, each with pictures (a FIFO, /dev/zero), bold, an entity, a link and an
    // escape byte. The rows are drawn, and the program goes on answering.
    void outsideTextShowsAsText()
    {
        QVERIFY(::mkfifo("fifo", 0600) == 0);
        const QByteArray outside = "<img src=\"fifo\"><img src=\"/dev/zero\"><b>b</b>&amp;"
                                   "<a href=\"http://x\">a</a>\x1b[31m";
        const QString shown = QString::fromLatin1(outside).replace("\x1b", "\\x1b");
        FakeBoard board;
        board.addHandler("get EVIL", [outside](const QByteArray &) { return outside; });
        board.addHandler("get BAD", [outside](const QByteArray &) { return "err " + outside; });
        const QString day = logs->saveLogBox()->text();
        QFile::remove(day);
        logs->saveLogBox()->setChecked(true);
        logs->messageBoxBox()->setChecked(true);
        app->setLogComm(true);
        const auto request = [](const QByteArray &line) {
            return PipeClient::exchange(PipeClient::programPipe(), line + "\n");
        };
        QCOMPARE(request("run\topen\ts/no/such/" + outside), QByteArray("i0"));
        QVERIFY(app->connectBoard(board.devicePath()));
        for (const QByteArray command : {"get EVIL ", "get BAD "}) {
            logs->consoleLine()->setText(QString::fromLatin1(command + outside));
            QTest::keyClick(logs->consoleLine(), Qt::Key_Return);
        }
        request("get\tConfiguration." + outside);
        QCOMPARE(request("run\tLogs.log\ts" + outside), QByteArray("i1"));
        QCOMPARE(request("get\tversion").left(1), QByteArray("s")); // it goes on answering
        logs->list()->followLastRow();
        QVERIFY(!logs->list()->viewport()->grab().isNull()); // the rows are drawn
        const QByteArray file = TestFiles::read(day);
        logs->saveLogBox()->setChecked(false);
        app->setLogComm(false);
        app->disconnectBoard();
        for (const QString &part :
             {"Cannot open /no/such/" + shown, "get EVIL " + shown, "):" + shown + "<cr>",
              "):err " + shown, "Configuration." + shown, " " + shown}) {
            int rows = 0; // the last part, the logged value, is a row's whole text
            for (int row = 0; row < logs->list()->count(); ++row)
                rows += logs->list()->lineText(row).contains(part) &&
                        (part.size() > shown.size() + 1 || logs->list()->lineText(row) == part);
            QVERIFY2(rows > 0 && file.contains(part.toLatin1()), qPrintable(part));
        }
        QVERIFY(file.contains("C(0)  ::: " + shown.toLatin1() + " \n"));
        QVERIFY(!file.contains('\x1b') && !file.contains("\n\n") && !file.contains("&lt;"));
        ErrorBar *bar = logs->errorBar();
        QTRY_VERIFY(bar->text().contains(shown) && !bar->isPending());
        bar->closeBar();
        logs->messageBoxBox()->setChecked(false);
        QFile::remove("fifo");
    }

    // The beeper plays a pattern on a low-priority thread of its own and disposes of itself; a
    // pattern whose last part does not read plays nothing.
    void patternsPlayOnTheirOwnThreads()
    {
        RecordingTones recorded;
        ToneOutput::install(&recorded);
        const QList<QPair<QString, Tones>> cases = {
            {"1000:100;1200:200;2000:100", {{1000, 100}, {1200, 200}, {2000, 100}}},
            {"x:10;1200:20", {{0, 10}, {1200, 20}}}, // only the last part must read
            {"1000:100;1200:x", {}}, {"1000:100;y:20", {}}, {"1000:100;1200", {}},
            {"1000:100:5", {}}, {"1000:100;", {}}, {"", {}}, {":", {}}};
        for (const auto &[pattern, expected] : cases) {
            Tones parsed;
            QCOMPARE(Beeper::parsePattern(pattern, &parsed), !expected.isEmpty());
            QPointer<Beeper> beeper = new Beeper(pattern);
            QTRY_VERIFY_WITH_TIMEOUT(beeper.isNull(), 10000); // played or not, it goes
            QCOMPARE(recorded.played(), expected);
            recorded.tones.clear();
        }
        QVERIFY(!recorded.threads.contains(QThread::currentThread()));
        QCOMPARE(recorded.lowPriority, QList<bool>(5, true));

        // The system output waits out a tone; a negative duration does not wait forever.
        ToneOutput::install(nullptr);
        QVERIFY(dynamic_cast<SystemBeepOutput *>(ToneOutput::instance()));
        QElapsedTimer t;
        t.start();
        ToneOutput::instance()->play(1000, 30);
        ToneOutput::instance()->play(1000, -5);
        QVERIFY(t.elapsed() >= 29);

        // At the end of the program every pattern stops, the system output's tone too.
        QPointer<Beeper> longBeep = new Beeper("1000:60000;1000:60000");
        QTest::qWait(100); // into its first tone
        Beeper::stopAll();
        QTRY_VERIFY_WITH_TIMEOUT(longBeep.isNull(), 10000);
        ToneOutput::install(&tones);
    }

    // Quitting stops the error beep under way: the tone playing is cut short and the rest of
    // the pattern is not played.
    void quittingStopsTheErrorBeep()
    {
        struct HeldTones : RecordingTones {
            void play(int frequencyHz, int durationMs) override
            {
                RecordingTones::play(frequencyHz, durationMs);
                started.release();
                const QDeadlineTimer limit(3000);
                while (!QThread::currentThread()->isInterruptionRequested() && !limit.hasExpired())
                    QThread::msleep(5);
                cut.storeRelaxed(QThread::currentThread()->isInterruptionRequested());
            }
            QSemaphore started;
            QAtomicInt cut;
        } held;
        ToneOutput::install(&held);
        logs->hornButton()->setChecked(true);
        logs->slot_addLog(-1, QStringLiteral("failure before quitting"));
        QVERIFY(held.started.tryAcquire(1, 10000));
        app->setProgramFiles(labFiles()); // the close says again what is not kept
        const QByteArray said = standardError([this]() { app->shutdown(); });
        ToneOutput::install(&tones);
        QCOMPARE(held.played(), (Tones{{1000, 100}}));
        QCOMPARE(held.cut.loadRelaxed(), 1);
        for (const char *what : {"options are", "window state and day logs are"})
            QVERIFY2(said.contains("kvl52110: Your " + QByteArray(what) + " not kept: " +
                                   QFile::encodeName(lab.filePath("homes")) + " is writable"),
                     said.constData());
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
    // The contrast of a row's text to what lies behind it: the row as shown, against the same
    // row with its text blanked.
    static double textContrast(CustomControls::HtmlListBox *list, int row)
    {
        const QRect place = list->visualRect(list->itemModel()->index(row, 0));
        const QImage text = list->viewport()->grab(place).toImage();
        list->setItemText(row, "<font color=\"black\"> </font>");
        return Contrast::ofText(text, list->viewport()->grab(place).toImage());
    }

    QString lastLine() const { return logs->list()->itemText(logs->list()->count() - 1); }

    // What fn writes to standard error.
    static QByteArray standardError(const std::function<void()> &fn)
    {
        QTemporaryFile file;
        if (!file.open())
            return "<no file>";
        std::fflush(stderr);
        const int saved = ::dup(2);
        ::dup2(file.handle(), 2);
        fn();
        std::fflush(stderr);
        ::dup2(saved, 2);
        ::close(saved);
        file.seek(0);
        return file.readAll();
    }

    // An installed program started in a bench folder that all may write, which holds options,
    // its home in a folder that all may write, and a configuration home that is no path.
    ProgramFiles labFiles()
    {
        for (const char *folder : {"bin", "share/kvl52110", "bench", "homes/me"})
            QDir().mkpath(lab.filePath(folder));
        TestFiles::write(lab.filePath("bench/options.ini"), "[General]\ncomm_timeout=7\n");
        QFile::setPermissions(lab.filePath("bench"), QFileDevice::Permissions(0x7777));
        QFile::setPermissions(lab.filePath("homes"), QFileDevice::Permissions(0x7777));
        return ProgramFiles({lab.filePath("bin"), lab.filePath("bench"), lab.filePath("homes/me"),
                             "cfg", QString()});
    }

    QAction *menuAction(const QString &text) const
    {
        for (QAction *action : logs->findChild<QMenu *>()->actions())
            if (action->text() == text)
                return action;
        return nullptr;
    }

    MainApp *app = nullptr;
    Logs *logs = nullptr;
    ShellPrompt prompt;
    QTemporaryDir lab;
    RecordingTones tones;
};

QTEST_MAIN(TestLogs)
#include "tst_logs.moc"
