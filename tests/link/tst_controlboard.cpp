#include "linkfixture.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QtTest>

#include <thread>

using Lines = QList<QByteArray>;

// The command transaction end to end: ControlBoard on a pseudo-terminal against the simulator.
class TestControlBoard : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(LinkFixture::renew(f)); } // connected, logging on
    void cleanup() { f.reset(); }

    // Every line is sent and answered; the answer is the last line as the board ends it (CR
    // and LF of CR LF count as two lines). A refused line fails the transaction, leaves the
    // answer alone and logs one error line; the lines after it are still awaited.
    void transactions()
    {
        f->board.refuse("LOCK");
        for (auto [commands, ending, received, answer] :
             {std::tuple{QByteArray("set A=1"), QByteArray("\n"), Lines{"set A=1"}, QByteArray("A:ok\n")},
              {"set A=1\nset B=2\n", "\n", {"set A=1", "set B=2"}, "B:ok\n"},
              {"set A=7 B=8\nget A\nget A B", "\n", {"set A=7 B=8", "get A", "get A B"}, "A=7 B=8\n"},
              {"get A", "\r", {"get A"}, "A=7\r"}, {"get A", "\r\n", {"get A"}, "A=7\r"},
              {"get A\nget A\n", "\r\n", {"get A", "get A"}, "\n"},
              {"set A=1\nset LOCK=1\nset B=2\n", "\n", {"set A=1", "set LOCK=1", "set B=2"}, {}}}) {
            f->board.setLineEnding(ending);
            QByteArray got = "untouched";
            QCOMPARE(f->link.send(commands, &got), !answer.isNull());
            QCOMPARE(got, answer.isNull() ? QByteArray("untouched") : answer);
            QCOMPARE(f->take(), received);
        }
        const auto errors = f->log.starting(QStringLiteral("RX_ERR"));
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().first, -1000);
        QVERIFY(errors.first().second.endsWith(QStringLiteral("B:ok\n")));
        QVERIFY(f->log.contains(QStringLiteral("LOCK:err")));
    }

    // The time-out bounds each gap, not the whole transaction; a late answer fails and
    // leaves the output alone; time-out 0 does not wait.
    void timeouts()
    {
        f->board.setAnswerDelay(400);
        f->link.setTimeout(1000);
        QElapsedTimer timer;
        timer.start();
        QByteArray got;
        QVERIFY(f->link.send("set A=1\nset B=2\nset C=3\nset D=4\n", &got));
        QCOMPARE(got, QByteArray("D:ok\n"));
        QVERIFY(timer.elapsed() > 1000);
        f->board.setAnswerDelay(1500);
        got = "kept";
        QVERIFY(!f->link.send("get A", &got, 200));
        QCOMPARE(got, QByteArray("kept"));
        const auto errors = f->log.starting(QStringLiteral("RX_ERR"));
        QVERIFY(errors.size() == 1 && errors.first().second.endsWith(QLatin1Char(':')));
        QVERIFY(f->link.send("set Z=9", &got, 0));
        QVERIFY(got.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(f->board.value("Z"), QByteArray("9"), 10000);
    }

    void notConnectedFailsSilently()
    {
        ControlBoard link;
        LogRecorder log(&link);
        link.setLogEnabled(true);
        QByteArray got = "kept";
        QVERIFY(!link.send("get A", &got) && !link.setValue(QStringLiteral("A"), 1));
        QCOMPARE(got, QByteArray("kept"));
        QVERIFY(log.entries().isEmpty());
    }

    // Text that cannot fit is refused whole; a full transmit buffer waits for room within the
    // time-out and then sends the whole line.
    void oversizedOrFullBufferIsNeverWrittenInPart()
    {
        QVERIFY(!f->link.send("set X=" + QByteArray(ControlBoard::BufferSize, '1'), nullptr));
        QCOMPARE(f->log.starting(QStringLiteral("RX_ERR")).size(), 1);
        f->board.setReading(false); // the terminal fills, then the transmit buffer
        const QByteArray line = "set F=" + QByteArray(3000, '7');
        int queued = 0;
        while (queued < 1000 && f->link.send(line, nullptr, 0))
            ++queued;
        QVERIFY(queued < 1000);
        QCOMPARE(f->log.starting(QStringLiteral("RX_ERR")).size(), 2);
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
    void getAndSetValue()
    {
        f->board.addHandler(QByteArray("get C"), [](const QByteArray &) { return "A=1 B=2"; });
        f->board.addHandler(QByteArray("get B"), [](const QByteArray &) { return "A=1 B=2"; });
        for (const QByteArray ending : {"\n", "\r", " \r"}) {
            f->board.setValue("VAL", "1234");
            f->board.setLineEnding(ending);
            int number = -1;
            QByteArray bytes;
            QVERIFY(f->link.getValue("VAL", &number) && f->link.getValue("VAL", &bytes));
            QCOMPARE(number, 1234);
            QCOMPARE(bytes, QByteArray("1234"));
            f->board.setValue("VAL", "abc");
            QVERIFY(f->link.getValue(QStringLiteral("VAL"), &number));
            QCOMPARE(number, 0);
            number = 77;
            QVERIFY(!f->link.getValue(QStringLiteral("C"), &bytes) && !f->link.getValue("C", &number));
            QCOMPARE(bytes + QByteArray::number(number), QByteArray("123477"));
            QVERIFY(f->link.getValue(QStringLiteral("B"), &bytes)); // the last token's value
            QCOMPARE(bytes, QByteArray("2"));
        }
        f->take();
        QVERIFY(f->link.setValue(QStringLiteral("PWM0START"), 250));
        QVERIFY(f->link.setValue(QStringLiteral("TXT"), QByteArray("ab\0cd", 5)));
        QCOMPARE(f->take(), (Lines{"set PWM0START=250", "set TXT=ab"}));
        f->board.refuse("PWM0START");
        QVERIFY(!f->link.setValue(QStringLiteral("PWM0START"), 1));
    }

    void logLinesFormatsAndLevels()
    {
        f->log.clear();
        QVERIFY(f->link.send("set A=1\nset B=2", nullptr));
        f->link.log(ControlBoard::LogInf, QStringLiteral("hello\nworld"));
        const QString time = QStringLiteral("\\(\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d\\):");
        const QStringList patterns{"^TX" + time + "set A=1&lt;cr&gt; set B=2$",
                                   "^RX\\(\\+\\d+ms\\):A:ok&lt;cr&gt; $",
                                   "^RX\\(\\+\\d+ms\\):B:ok&lt;cr&gt; $", "^INF" + time + "hello\nworld$"};
        const auto entries = f->log.entries();
        QCOMPARE(entries.size(), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(entries[i].first, QList<int>({109, 114, 114, 104})[i]);
            QVERIFY2(QRegularExpression(patterns[i]).match(entries[i].second).hasMatch(),
                     qPrintable(entries[i].second));
        }
        // With logging off nothing is emitted, not even for a refusal.
        f->link.setLogEnabled(false);
        f->log.clear();
        f->board.refuse("A");
        QVERIFY(!f->link.send("set A=1", nullptr));
        QVERIFY(f->link.send("set B=1", nullptr));
        QVERIFY(f->log.entries().isEmpty());
    }

    // Answers split into tokens; a name's value (null: not found); hex values.
    void answerParsing()
    {
        for (auto [answer, tokens] : {std::pair{QByteArray(), Lines{}},
                                      {"  A=1   B=2 ", {"A=1", "B=2"}},
                                      {"A:ok B:ok\n", {"A:ok", "B:ok\n"}}}) {
            Lines got{"stale"};
            QCOMPARE(ControlBoard::splitAnswer(answer, got), int(tokens.size()));
            QCOMPARE(got, tokens);
        }
        for (auto [answer, name, value] :
             {std::tuple{QByteArray("A=1 B=2"), "B", QByteArray("2")}, {"A=1 b=2", "B", {}},
              {"A=1=2", "A", "1"}, {"A= B=3", "A", ""}, {"A A=4", "A", "4"}, {"A:ok", "A", {}},
              {"", "A", {}}, {"AB=1", "A", {}}}) {
            QByteArray got = "none";
            QCOMPARE(ControlBoard::parseAnswer(answer, name, &got), !value.isNull());
            QCOMPARE(got, value.isNull() ? QByteArray("none") : value);
            QVERIFY(!ControlBoard::parseAnswer(answer, name, nullptr));
        }
        QByteArray bytes;
        QVERIFY(ControlBoard::parseAnswerHex("swspi=0aFF10 X=1", QStringLiteral("swspi"), &bytes));
        QCOMPARE(bytes, QByteArray("\x0a\xff\x10", 3));
        QVERIFY(!ControlBoard::parseAnswerHex("swspi=0g", QStringLiteral("swspi"), &bytes));
        QVERIFY(!ControlBoard::parseAnswerHex("swspi=abc", QStringLiteral("swspi"), &bytes));
        QCOMPARE(bytes, QByteArray("\x0a\xff\x10", 3));
    }

private:
    std::unique_ptr<LinkFixture> f;
};

QTEST_GUILESS_MAIN(TestControlBoard)
#include "tst_controlboard.moc"
