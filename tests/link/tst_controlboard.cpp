#include "linkfixture.h"
#include "tablerows.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QtTest>

#include <thread>

using Lines = QList<QByteArray>;

namespace
{

bool matches(const QString &pattern, const QString &text)
{
    return QRegularExpression(pattern).match(text).hasMatch();
}

} // namespace

// The command transaction end to end: ControlBoard on a pseudo-terminal against the simulator.
class TestControlBoard : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(LinkFixture::renew(f)); } // connected, logging on
    void cleanup() { f.reset(); }

    void multiLineTransaction_data()
    {
        addRows<QByteArray, Lines, QByteArray>(
            {"commands", "received", "answer"},
            {{"set A=1", {"set A=1"}, "A:ok\n"},
             {"set A=1\nset B=2\n", {"set A=1", "set B=2"}, "B:ok\n"},
             {"set A=7 B=8\nget A\nget A B", {"set A=7 B=8", "get A", "get A B"}, "A=7 B=8\n"}});
    }

    void multiLineTransaction()
    {
        QFETCH(QByteArray, commands);
        QFETCH(Lines, received);
        QFETCH(QByteArray, answer);
        QByteArray got;
        QVERIFY(f->link.send(commands, &got));
        QCOMPARE(got, answer);
        QCOMPARE(f->board.lines(), received);
        QVERIFY(f->log.starting(QStringLiteral("RX_ERR")).isEmpty());
    }

    void refusalFailsWithErrorLine()
    {
        f->board.refuse("LOCK");
        QByteArray answer = "untouched";
        QVERIFY(!f->link.send("set A=1\nset LOCK=1\nset B=2\n", &answer));
        QCOMPARE(answer, QByteArray("untouched"));
        // Lines after the refusal are still awaited: all three went out and were answered.
        QCOMPARE(f->board.lines().size(), 3);
        const auto errors = f->log.starting(QStringLiteral("RX_ERR"));
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().first, -1000);
        QVERIFY(errors.first().second.endsWith(QStringLiteral("B:ok\n")));
        QVERIFY(f->log.contains(QStringLiteral("LOCK:err")));
    }

    // The answer line ends as the board ends it; CR and LF of CR LF count as two lines.
    void answerLineEndings_data()
    {
        addRows<QByteArray, QByteArray, QByteArray>({"ending", "commands", "answer"},
                                                    {{"\r", "get A", "A=5\r"},
                                                     {"\n", "get A", "A=5\n"},
                                                     {"\r\n", "get A", "A=5\r"},
                                                     {"\r\n", "get A\nget A\n", "\n"}});
    }

    void answerLineEndings()
    {
        QFETCH(QByteArray, ending);
        QFETCH(QByteArray, commands);
        QFETCH(QByteArray, answer);
        f->board.setValue("A", "5");
        f->board.setLineEnding(ending);
        QByteArray got;
        QVERIFY(f->link.send(commands, &got));
        QCOMPARE(got, answer);
    }

    void slowBoardWithinEachGapSucceeds()
    {
        f->board.setAnswerDelay(400);
        f->link.setTimeout(1000);
        QElapsedTimer timer;
        timer.start();
        QByteArray got;
        QVERIFY(f->link.send("set A=1\nset B=2\nset C=3\nset D=4\n", &got));
        QCOMPARE(got, QByteArray("D:ok\n"));
        // The whole transaction took longer than the time-out: only each gap is bounded.
        QVERIFY(timer.elapsed() > 1000);
    }

    void lateAnswerFails()
    {
        f->board.setAnswerDelay(1500);
        QByteArray got = "kept";
        QVERIFY(!f->link.send("get A", &got, 200));
        QCOMPARE(got, QByteArray("kept"));
        const auto errors = f->log.starting(QStringLiteral("RX_ERR"));
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors.first().second.endsWith(QLatin1Char(':')));
    }

    void timeoutZeroDoesNotWait()
    {
        f->board.setAnswerDelay(500);
        QByteArray got = "something";
        QVERIFY(f->link.send("set Z=9", &got, 0));
        QVERIFY(got.isEmpty());
        QVERIFY(f->board.waitForLines(1, 10000));
        QCOMPARE(f->board.lines(), Lines{"set Z=9"});
        // The board stores the value just after it has recorded the line.
        QTRY_COMPARE_WITH_TIMEOUT(f->board.value("Z"), QByteArray("9"), 10000);
    }

    void notConnectedFailsSilently()
    {
        ControlBoard link;
        LogRecorder log(&link);
        link.setLogEnabled(true);
        QByteArray got = "kept";
        QVERIFY(!link.send("get A", &got));
        QVERIFY(!link.setValue(QStringLiteral("A"), 1));
        QCOMPARE(got, QByteArray("kept"));
        QVERIFY(log.entries().isEmpty());
    }

    void oversizedTextIsNeverWritten()
    {
        QVERIFY(!f->link.send("set X=" + QByteArray(ControlBoard::BufferSize, '1'), nullptr));
        QCOMPARE(f->log.starting(QStringLiteral("RX_ERR")).size(), 1);
        // The next command is the first thing the board sees.
        QVERIFY(f->link.send("set A=2", nullptr));
        QCOMPARE(f->board.lines(), Lines{"set A=2"});
    }

    void fullTransmitBufferWaitsOrFailsWhole()
    {
        // The board stops taking input: the terminal fills, then the transmit buffer.
        f->board.setReading(false);
        const QByteArray line = "set F=" + QByteArray(3000, '7');
        int queued = 0;
        while (queued < 1000 && f->link.send(line, nullptr, 0))
            ++queued;
        QVERIFY(queued < 1000);
        QCOMPARE(f->log.starting(QStringLiteral("RX_ERR")).size(), 1);
        // A transaction waits for room within its time-out and then goes out whole.
        std::thread resume([this]() {
            QThread::msleep(300);
            f->board.setReading(true);
        });
        const bool sent = f->link.send(line, nullptr, 20000);
        resume.join();
        QVERIFY(sent);
        QVERIFY(f->board.waitForLines(queued + 1, 20000));
        QCOMPARE(f->board.lines(), Lines(queued + 1, line));
    }

    // Numbers and byte values, whatever the line end; a value that is no number reads as 0,
    // an answer without the name leaves the value alone.
    void getValue_data() { addRows<QByteArray>({"ending"}, {{"\n"}, {"\r"}, {" \r"}}); }

    void getValue()
    {
        QFETCH(QByteArray, ending);
        f->board.setValue("VAL", "1234");
        f->board.setLineEnding(ending);
        int number = -1;
        QVERIFY(f->link.getValue("VAL", &number));
        QCOMPARE(number, 1234);
        QByteArray bytes;
        QVERIFY(f->link.getValue(QStringLiteral("VAL"), &bytes));
        QCOMPARE(bytes, QByteArray("1234"));
        f->board.setValue("VAL", "abc");
        QVERIFY(f->link.getValue(QStringLiteral("VAL"), &number));
        QCOMPARE(number, 0);

        f->board.addHandler(QByteArray("get C"),
                            [](const QByteArray &) { return QByteArray("A=1 B=2"); });
        bytes = "kept";
        QVERIFY(!f->link.getValue(QStringLiteral("C"), &bytes));
        QCOMPARE(bytes, QByteArray("kept"));
        number = 77;
        QVERIFY(!f->link.getValue("C", &number));
        QCOMPARE(number, 77);
        // The same answer read for a name it holds: the last token's value, line end removed.
        f->board.addHandler(QByteArray("get B"),
                            [](const QByteArray &) { return QByteArray("A=1 B=2"); });
        QVERIFY(f->link.getValue(QStringLiteral("B"), &bytes));
        QCOMPARE(bytes, QByteArray("2"));
    }

    void setValueBuildsAssignments()
    {
        QVERIFY(f->link.setValue(QStringLiteral("PWM0START"), 250));
        QVERIFY(f->link.setValue(QStringLiteral("TXT"), QByteArray("ab\0cd", 5)));
        QCOMPARE(f->board.lines(), (Lines{"set PWM0START=250", "set TXT=ab"}));
        f->board.refuse("PWM0START");
        QVERIFY(!f->link.setValue(QStringLiteral("PWM0START"), 1));
    }

    void logLinesFormatsAndLevels()
    {
        f->log.clear();
        QVERIFY(f->link.send("set A=1\nset B=2", nullptr));
        f->link.log(ControlBoard::LogInf, QStringLiteral("hello\nworld"));
        const auto entries = f->log.entries();
        QCOMPARE(entries.size(), 4);
        QCOMPARE(entries[0].first, 109);
        const QString time = QStringLiteral("\\(\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d\\):");
        QVERIFY2(matches("^TX" + time + "set A=1&lt;cr&gt; set B=2$", entries[0].second),
                 qPrintable(entries[0].second));
        QCOMPARE(entries[1].first, 114);
        QVERIFY2(matches(QStringLiteral("^RX\\(\\+\\d+ms\\):A:ok&lt;cr&gt; $"), entries[1].second),
                 qPrintable(entries[1].second));
        QVERIFY(entries[2].second.endsWith(QStringLiteral("):B:ok&lt;cr&gt; ")));
        QCOMPARE(entries[3].first, 104);
        QVERIFY(matches("^INF" + time + "hello\nworld$", entries[3].second));

        // With logging off nothing is emitted, not even for a refusal.
        f->link.setLogEnabled(false);
        f->log.clear();
        f->board.refuse("A");
        QVERIFY(!f->link.send("set A=1", nullptr));
        QVERIFY(f->link.send("set B=1", nullptr));
        QVERIFY(f->log.entries().isEmpty());
    }

    void splitAnswer_data()
    {
        addRows<QByteArray, Lines>(
            {"answer", "tokens"},
            {{"", {}}, {"  A=1   B=2 ", {"A=1", "B=2"}}, {"A:ok B:ok\n", {"A:ok", "B:ok\n"}}});
    }

    void splitAnswer()
    {
        QFETCH(QByteArray, answer);
        QFETCH(Lines, tokens);
        Lines got{"stale"};
        QCOMPARE(ControlBoard::splitAnswer(answer, got), int(tokens.size()));
        QCOMPARE(got, tokens);
    }

    // A null value: the name is not found.
    void parseAnswer_data()
    {
        addRows<QByteArray, QString, QByteArray>({"answer", "name", "value"},
                                                 {{"A=1 B=2", "B", "2"},
                                                  {"A=1 b=2", "B", {}},
                                                  {"A=1=2", "A", "1"},
                                                  {"A= B=3", "A", ""},
                                                  {"A A=4", "A", "4"},
                                                  {"A:ok", "A", {}},
                                                  {"", "A", {}},
                                                  {"AB=1", "A", {}}});
    }

    void parseAnswer()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, name);
        QFETCH(QByteArray, value);
        QByteArray got = "none";
        QCOMPARE(ControlBoard::parseAnswer(answer, name, &got), !value.isNull());
        QCOMPARE(got, value.isNull() ? QByteArray("none") : value);
        QVERIFY(!ControlBoard::parseAnswer(answer, name, nullptr));
    }

    void parseAnswerHex()
    {
        QByteArray bytes;
        QVERIFY(ControlBoard::parseAnswerHex("swspi=0aFF10 X=1", QStringLiteral("swspi"), &bytes));
        QCOMPARE(bytes, QByteArray("\x0a\xff\x10", 3));
        bytes = "kept";
        QVERIFY(!ControlBoard::parseAnswerHex("swspi=0g", QStringLiteral("swspi"), &bytes));
        QVERIFY(!ControlBoard::parseAnswerHex("swspi=abc", QStringLiteral("swspi"), &bytes));
        QCOMPARE(bytes, QByteArray("kept"));
    }

private:
    std::unique_ptr<LinkFixture> f;
};

QTEST_GUILESS_MAIN(TestControlBoard)
#include "tst_controlboard.moc"
