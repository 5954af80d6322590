#include "controlboard.h"
#include "fakeboard.h"
#include "logrecorder.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QtTest>

#include <memory>
#include <thread>

// The command transaction end to end: ControlBoard on a pseudo-terminal against the simulator.
class TestControlBoard : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void multiLineTransaction_data();
    void multiLineTransaction();
    void refusalFailsWithErrorLine();
    void answerLineEndings_data();
    void answerLineEndings();
    void slowBoardWithinEachGapSucceeds();
    void lateAnswerFails();
    void timeoutZeroDoesNotWait();
    void notConnectedFailsSilently();
    void oversizedTextIsNeverWritten();
    void fullTransmitBufferWaitsOrFailsWhole();
    void getValueNumberTrimsLineEnds_data();
    void getValueNumberTrimsLineEnds();
    void getValueBytesStripsCrAndLf();
    void getValueAbsentNameKeepsValue();
    void setValueBuildsAssignments();
    void logLinesFormatsAndLevels();
    void loggingOffEmitsNothing();
    void splitAnswer_data();
    void splitAnswer();
    void parseAnswer_data();
    void parseAnswer();
    void parseAnswerHex();

private:
    void connectToBoard();

    std::unique_ptr<FakeBoard> m_board;
    std::unique_ptr<ControlBoard> m_link;
    std::unique_ptr<LogRecorder> m_log;
};

void TestControlBoard::init()
{
    m_board = std::make_unique<FakeBoard>();
    QVERIFY(m_board->isValid());
    m_link = std::make_unique<ControlBoard>();
    m_log = std::make_unique<LogRecorder>(m_link.get());
}

void TestControlBoard::cleanup()
{
    m_log.reset();
    m_link.reset();
    m_board.reset();
}

void TestControlBoard::connectToBoard()
{
    QVERIFY(m_link->connectBoard(m_board->devicePath()));
    QVERIFY(m_link->isConnected());
    m_board->clearRecords();
    m_link->setLogEnabled(true);
}

void TestControlBoard::multiLineTransaction_data()
{
    QTest::addColumn<QByteArray>("commands");
    QTest::addColumn<QList<QByteArray>>("received");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("one line, LF appended")
        << QByteArray("set A=1") << QList<QByteArray>{"set A=1"} << QByteArray("A:ok\n");
    QTest::newRow("two lines ended by LF")
        << QByteArray("set A=1\nset B=2\n") << QList<QByteArray>{"set A=1", "set B=2"}
        << QByteArray("B:ok\n");
    QTest::newRow("three lines, last without LF")
        << QByteArray("set A=7 B=8\nget A\nget A B")
        << QList<QByteArray>{"set A=7 B=8", "get A", "get A B"} << QByteArray("A=7 B=8\n");
}

void TestControlBoard::multiLineTransaction()
{
    QFETCH(QByteArray, commands);
    QFETCH(QList<QByteArray>, received);
    QFETCH(QByteArray, answer);
    connectToBoard();
    QByteArray got;
    QVERIFY(m_link->send(commands, &got));
    QCOMPARE(got, answer);
    QCOMPARE(m_board->lines(), received);
    QVERIFY(m_log->starting(QStringLiteral("RX_ERR")).isEmpty());
}

void TestControlBoard::refusalFailsWithErrorLine()
{
    connectToBoard();
    m_board->refuse("LOCK");
    QByteArray answer = "untouched";
    QVERIFY(!m_link->send("set A=1\nset LOCK=1\nset B=2\n", &answer));
    QCOMPARE(answer, QByteArray("untouched"));
    // Lines after the refusal are still awaited: all three went out and were answered.
    QCOMPARE(m_board->lines().size(), 3);
    const auto errors = m_log->starting(QStringLiteral("RX_ERR"));
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.first().first, -1000);
    QVERIFY(errors.first().second.endsWith(QStringLiteral("B:ok\n")));
    QVERIFY(m_log->contains(QStringLiteral("LOCK:err")));
}

void TestControlBoard::answerLineEndings_data()
{
    QTest::addColumn<QByteArray>("ending");
    QTest::addColumn<QByteArray>("commands");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("CR") << QByteArray("\r") << QByteArray("get A") << QByteArray("A=5\r");
    QTest::newRow("LF") << QByteArray("\n") << QByteArray("get A") << QByteArray("A=5\n");
    QTest::newRow("CR LF, one command")
        << QByteArray("\r\n") << QByteArray("get A") << QByteArray("A=5\r");
    // CR and LF of the first answer count as two lines.
    QTest::newRow("CR LF, two commands")
        << QByteArray("\r\n") << QByteArray("get A\nget A\n") << QByteArray("\n");
}

void TestControlBoard::answerLineEndings()
{
    QFETCH(QByteArray, ending);
    QFETCH(QByteArray, commands);
    QFETCH(QByteArray, answer);
    connectToBoard();
    m_board->setValue("A", "5");
    m_board->setLineEnding(ending);
    QByteArray got;
    QVERIFY(m_link->send(commands, &got));
    QCOMPARE(got, answer);
}

void TestControlBoard::slowBoardWithinEachGapSucceeds()
{
    connectToBoard();
    m_board->setAnswerDelay(400);
    m_link->setTimeout(1000);
    QElapsedTimer timer;
    timer.start();
    QByteArray got;
    QVERIFY(m_link->send("set A=1\nset B=2\nset C=3\nset D=4\n", &got));
    QCOMPARE(got, QByteArray("D:ok\n"));
    // The whole transaction took longer than the time-out: only each gap is bounded.
    QVERIFY(timer.elapsed() > 1000);
}

void TestControlBoard::lateAnswerFails()
{
    connectToBoard();
    m_board->setAnswerDelay(1500);
    QByteArray got = "kept";
    QVERIFY(!m_link->send("get A", &got, 200));
    QCOMPARE(got, QByteArray("kept"));
    const auto errors = m_log->starting(QStringLiteral("RX_ERR"));
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors.first().second.endsWith(QLatin1Char(':')));
}

void TestControlBoard::timeoutZeroDoesNotWait()
{
    connectToBoard();
    m_board->setAnswerDelay(500);
    QByteArray got = "something";
    QVERIFY(m_link->send("set Z=9", &got, 0));
    QVERIFY(got.isEmpty());
    QVERIFY(m_board->waitForLines(1, 10000));
    QCOMPARE(m_board->lines(), QList<QByteArray>{"set Z=9"});
    // The board stores the value just after it has recorded the line.
    QTRY_COMPARE_WITH_TIMEOUT(m_board->value("Z"), QByteArray("9"), 10000);
}

void TestControlBoard::notConnectedFailsSilently()
{
    m_link->setLogEnabled(true);
    QByteArray got = "kept";
    QVERIFY(!m_link->send("get A", &got));
    QVERIFY(!m_link->setValue(QStringLiteral("A"), 1));
    QCOMPARE(got, QByteArray("kept"));
    QVERIFY(m_log->entries().isEmpty());
}

void TestControlBoard::oversizedTextIsNeverWritten()
{
    connectToBoard();
    const QByteArray huge = "set X=" + QByteArray(ControlBoard::BufferSize, '1');
    QVERIFY(!m_link->send(huge, nullptr));
    QCOMPARE(m_log->starting(QStringLiteral("RX_ERR")).size(), 1);
    // The next command is the first thing the board sees.
    QVERIFY(m_link->send("set A=2", nullptr));
    QCOMPARE(m_board->lines(), QList<QByteArray>{"set A=2"});
}

void TestControlBoard::fullTransmitBufferWaitsOrFailsWhole()
{
    connectToBoard();
    // The board stops taking input: the terminal fills, then the transmit buffer.
    m_board->setReading(false);
    const QByteArray line = "set F=" + QByteArray(3000, '7');
    int queued = 0;
    while (queued < 1000 && m_link->send(line, nullptr, 0))
        ++queued;
    QVERIFY(queued < 1000);
    QCOMPARE(m_log->starting(QStringLiteral("RX_ERR")).size(), 1);
    // A transaction waits for room within its time-out and then goes out whole.
    std::thread resume([this]() {
        QThread::msleep(300);
        m_board->setReading(true);
    });
    const bool sent = m_link->send(line, nullptr, 20000);
    resume.join();
    QVERIFY(sent);
    QVERIFY(m_board->waitForLines(queued + 1, 20000));
    const QList<QByteArray> lines = m_board->lines();
    QCOMPARE(lines.size(), queued + 1);
    for (const QByteArray &received : lines)
        QCOMPARE(received, line);
}

void TestControlBoard::getValueNumberTrimsLineEnds_data()
{
    QTest::addColumn<QByteArray>("ending");
    QTest::newRow("LF") << QByteArray("\n");
    QTest::newRow("CR") << QByteArray("\r");
    QTest::newRow("blank CR") << QByteArray(" \r");
}

void TestControlBoard::getValueNumberTrimsLineEnds()
{
    QFETCH(QByteArray, ending);
    connectToBoard();
    m_board->setValue("VAL", "1234");
    m_board->setLineEnding(ending);
    int value = -1;
    QVERIFY(m_link->getValue("VAL", &value));
    QCOMPARE(value, 1234);
    m_board->setValue("VAL", "abc");
    QVERIFY(m_link->getValue(QStringLiteral("VAL"), &value));
    QCOMPARE(value, 0);
}

void TestControlBoard::getValueBytesStripsCrAndLf()
{
    connectToBoard();
    m_board->setValue("A", "1");
    m_board->setValue("B", "2");
    for (const QByteArray &ending : {QByteArray("\n"), QByteArray("\r")}) {
        m_board->setLineEnding(ending);
        QByteArray value;
        QVERIFY(m_link->getValue(QStringLiteral("B"), &value));
        QCOMPARE(value, QByteArray("2"));
    }
}

void TestControlBoard::getValueAbsentNameKeepsValue()
{
    connectToBoard();
    m_board->addHandler(QByteArray("get C"),
                        [](const QByteArray &) { return QByteArray("A=1 B=2"); });
    QByteArray value = "kept";
    QVERIFY(!m_link->getValue(QStringLiteral("C"), &value));
    QCOMPARE(value, QByteArray("kept"));
    int number = 77;
    QVERIFY(!m_link->getValue("C", &number));
    QCOMPARE(number, 77);
}

void TestControlBoard::setValueBuildsAssignments()
{
    connectToBoard();
    QVERIFY(m_link->setValue(QStringLiteral("PWM0START"), 250));
    QVERIFY(m_link->setValue(QStringLiteral("TXT"), QByteArray("ab\0cd", 5)));
    QCOMPARE(m_board->lines(), (QList<QByteArray>{"set PWM0START=250", "set TXT=ab"}));
    m_board->refuse("PWM0START");
    QVERIFY(!m_link->setValue(QStringLiteral("PWM0START"), 1));
}

void TestControlBoard::logLinesFormatsAndLevels()
{
    connectToBoard();
    m_log->clear();
    QVERIFY(m_link->send("set A=1\nset B=2", nullptr));
    const auto entries = m_log->entries();
    QCOMPARE(entries.size(), 3);
    QCOMPARE(entries[0].first, 109);
    QVERIFY2(
        QRegularExpression(
            QStringLiteral("^TX\\(\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d\\):set A=1&lt;cr&gt; set B=2$"))
            .match(entries[0].second)
            .hasMatch(),
        qPrintable(entries[0].second));
    QCOMPARE(entries[1].first, 114);
    QVERIFY2(QRegularExpression(QStringLiteral("^RX\\(\\+\\d+ms\\):A:ok&lt;cr&gt; $"))
                 .match(entries[1].second)
                 .hasMatch(),
             qPrintable(entries[1].second));
    QVERIFY(entries[2].second.endsWith(QStringLiteral("):B:ok&lt;cr&gt; ")));

    m_log->clear();
    m_link->log(ControlBoard::LogInf, QStringLiteral("hello\nworld"));
    QCOMPARE(m_log->entries().size(), 1);
    QCOMPARE(m_log->entries()[0].first, 104);
    QVERIFY(
        QRegularExpression(QStringLiteral("^INF\\(\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\):hello\nworld$"))
            .match(m_log->entries()[0].second)
            .hasMatch());
}

void TestControlBoard::loggingOffEmitsNothing()
{
    connectToBoard();
    m_link->setLogEnabled(false);
    m_log->clear();
    m_board->refuse("A");
    QVERIFY(!m_link->send("set A=1", nullptr));
    QVERIFY(m_link->send("set B=1", nullptr));
    QVERIFY(m_log->entries().isEmpty());
}

void TestControlBoard::splitAnswer_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QList<QByteArray>>("tokens");
    QTest::newRow("empty") << QByteArray() << QList<QByteArray>{};
    QTest::newRow("runs of spaces")
        << QByteArray("  A=1   B=2 ") << QList<QByteArray>{"A=1", "B=2"};
    QTest::newRow("line end stays")
        << QByteArray("A:ok B:ok\n") << QList<QByteArray>{"A:ok", "B:ok\n"};
}

void TestControlBoard::splitAnswer()
{
    QFETCH(QByteArray, answer);
    QFETCH(QList<QByteArray>, tokens);
    QList<QByteArray> got{"stale"};
    QCOMPARE(ControlBoard::splitAnswer(answer, got), int(tokens.size()));
    QCOMPARE(got, tokens);
}

void TestControlBoard::parseAnswer_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("second item") << QByteArray("A=1 B=2") << "B" << true << QByteArray("2");
    QTest::newRow("case counts") << QByteArray("A=1 b=2") << "B" << false << QByteArray();
    QTest::newRow("stops at next =") << QByteArray("A=1=2") << "A" << true << QByteArray("1");
    QTest::newRow("empty value") << QByteArray("A= B=3") << "A" << true << QByteArray();
    QTest::newRow("no = never matches") << QByteArray("A A=4") << "A" << true << QByteArray("4");
    QTest::newRow("ok token") << QByteArray("A:ok") << "A" << false << QByteArray();
    QTest::newRow("empty answer") << QByteArray() << "A" << false << QByteArray();
    QTest::newRow("prefix is not the name") << QByteArray("AB=1") << "A" << false << QByteArray();
}

void TestControlBoard::parseAnswer()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, name);
    QFETCH(bool, found);
    QFETCH(QByteArray, value);
    QByteArray got = "none";
    QCOMPARE(ControlBoard::parseAnswer(answer, name, &got), found);
    QCOMPARE(got, found ? value : QByteArray("none"));
    QVERIFY(!ControlBoard::parseAnswer(answer, name, nullptr));
}

void TestControlBoard::parseAnswerHex()
{
    QByteArray bytes;
    QVERIFY(ControlBoard::parseAnswerHex("swspi=0aFF10 X=1", QStringLiteral("swspi"), &bytes));
    QCOMPARE(bytes, QByteArray("\x0a\xff\x10", 3));
    bytes = "kept";
    QVERIFY(!ControlBoard::parseAnswerHex("swspi=0g", QStringLiteral("swspi"), &bytes));
    QVERIFY(!ControlBoard::parseAnswerHex("swspi=abc", QStringLiteral("swspi"), &bytes));
    QCOMPARE(bytes, QByteArray("kept"));
}

QTEST_GUILESS_MAIN(TestControlBoard)
#include "tst_controlboard.moc"
