#include "linkfixture.h"
#include "serialport.h"
#include "variable.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QtTest>

#include <thread>

using Lines = QList<QByteArray>;

// The command transaction end to end, ControlBoard on a pseudo-terminal against the simulator,
// and its firmware-command conveniences: the exact lines the board receives and the answers.
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
        // No command text (nothing before a NUL) fails and logs an error; nothing is sent.
        for (const QByteArray &empty : {QByteArray(), QByteArray("\0set A=1\n", 9)}) {
            QByteArray got = "untouched";
            QVERIFY(!f->link.send(empty, &got));
            QCOMPARE(got, QByteArray("untouched"));
        }
        QCOMPARE(f->log.starting(QStringLiteral("RX_ERR")).size(), 3);
        QVERIFY(f->link.send("set A=2", nullptr)); // after everything written before
        QCOMPARE(f->take(), Lines{"set A=2"});
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
        // A line that fills the buffer exactly, its line feed included, fits.
        const QByteArray full = "set X=" + QByteArray(ControlBoard::BufferSize - 7, '1');
        QVERIFY(f->link.send(full, nullptr));
        QVERIFY(f->board.waitForLines(1, 20000));
        QCOMPARE(f->board.lines(), Lines{full});
        f->board.clearRecords();
        f->board.setReading(false); // the terminal fills, then the transmit buffer
        const QByteArray line = "set F=" + QByteArray(3000, '7');
        // The first send without waiting that finds no room fails and is logged.
        int queued = 0;
        while (queued < 1000 && f->link.send(line, nullptr, 0))
            ++queued;
        QVERIFY(queued < 1000);
        QCOMPARE(f->log.starting(QStringLiteral("RX_ERR")).size(), 2);
        // A send that may wait gets its room once the board reads again, whether that happens
        // before or while it waits (the pause only makes the wait likely).
        std::thread resume([this]() {
            QThread::msleep(100);
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
        // A refused read fails and leaves the value alone.
        f->board.refuse("VAL");
        int kept = 5;
        QByteArray keptBytes = "5";
        QVERIFY(!f->link.getValue("VAL", &kept));
        QVERIFY(!f->link.getValue(QStringLiteral("VAL"), &keptBytes));
        QCOMPARE(kept, 5);
        QCOMPARE(keptBytes, QByteArray("5"));
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
        const QStringList patterns{"^TX" + time + "set A=1<cr> set B=2$",
                                   "^RX\\(\\+\\d+ms\\):A:ok<cr> $",
                                   "^RX\\(\\+\\d+ms\\):B:ok<cr> $", "^INF" + time + "hello\nworld$"};
        const auto entries = f->log.entries();
        QCOMPARE(entries.size(), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(entries[i].first, QList<int>({109, 114, 114, 104})[i]);
            QVERIFY2(QRegularExpression(patterns[i]).match(entries[i].second).hasMatch(),
                     qPrintable(entries[i].second));
        }
        // An RX line's "+N" counts from the line before it, not from an earlier one.
        f->link.log(ControlBoard::LogInf, QStringLiteral("a"));
        QTest::qWait(20);
        QElapsedTimer since;
        since.start();
        f->link.log(ControlBoard::LogInf, QStringLiteral("b"));
        f->link.log(ControlBoard::LogRx, QStringLiteral("c"));
        const qint64 atMost = since.elapsed();
        const auto delta = QRegularExpression(QStringLiteral("^RX\\(\\+(\\d+)(m?)s\\):c$"))
                               .match(f->log.entries().last().second);
        QVERIFY2(delta.hasMatch(), qPrintable(f->log.entries().last().second));
        const int unitMs = delta.captured(2).isEmpty() ? 1000 : 1;
        QVERIFY(delta.captured(1).toLongLong() * unitMs <= atMost);
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
              {"", "A", {}}, {"AB=1", "A", {}}, {"A=1 =2", "", "2"}}) {
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

    void variables()
    {
        Variable count(5, QStringLiteral("A"), QString(), -100, 100);
        Variable gain(0.1234567, QStringLiteral("B"), QString(), -10, 10);
        Variable big(1.5e7, QStringLiteral("C"), QString(), 0, 1e9);
        Variable label;
        label.setName(QStringLiteral("S"));
        label.setValue(QByteArray("abc"), Variable::InternalKey);
        QVERIFY(f->link.setVariables({&count, &gain, &big, &label}));
        QCOMPARE(f->take(), Lines{"set A=5 B=0.123457 C=1.5e+07 S=abc "});
        QVERIFY(!f->link.setVariables({}) && !f->link.getVariables({}));
        // Every name must be answered; a refused item fails the transaction.
        f->board.addHandler(QByteArray("set A="), [](const QByteArray &) { return "A:ok"; });
        QVERIFY(!f->link.setVariables({&count, &gain}));
        f->board.refuse("C");
        QVERIFY(!f->link.setVariables({&gain, &big}));
        // Reading: the internal key passes the lock; an unknown name is answered with "err";
        // a value that is no number or lies outside the variable's range is not written.
        gain.setReadOnly(true);
        f->board.setValue("A", "-7");
        f->board.setValue("B", "2.25");
        f->board.setValue("S", "xyz");
        f->take();
        QVERIFY(f->link.getVariables({&count, &gain, &label}));
        QCOMPARE(f->take(), Lines{"get A B S "});
        QCOMPARE(count.value() + gain.value(), -4.75);
        QCOMPARE(label.text(), QByteArray("xyz"));
        Variable missing(1, QStringLiteral("M"), QString(), 0, 10);
        QVERIFY(!f->link.getVariables({&count, &missing}));
        for (const QByteArray bad : {"abc", "1000"}) {
            f->board.setValue("A", bad);
            QVERIFY(!f->link.getVariables({&count}));
            QCOMPARE(count.value(), -7.0);
        }
    }

    // Digital pins are written and read; analogue inputs only read; other pins send nothing.
    // Voltages scale by the reference; an unread input reads as 0.
    void pinsAndVoltages()
    {
        f->link.setPinName("DIO3");
        QVERIFY(f->link.writePin(1));
        f->link.writePinBytes("AB");
        QCOMPARE(f->link.readPin(), 0);
        for (const char *pin : {"AIN2", "PWM1"}) {
            f->link.setPinName(pin);
            QVERIFY(!f->link.writePin(1));
            f->link.writePinBytes("C");
            QCOMPARE(f->link.readPin(), 0);
        }
        QCOMPARE(f->link.referenceVoltage(), double(3.3f));
        f->board.setValue("AIN1", "1024");
        QCOMPARE(f->link.readVoltage("AIN1"), 1024 / 2048.0 * double(3.3f));
        QVERIFY(!f->link.setAnalogReference(0));
        QVERIFY(f->link.setAnalogReference(2));
        QCOMPARE(f->link.referenceVoltage(), double(3.3f));
        QVERIFY(f->link.setAnalogReference(3) && f->link.setAnalogReference(1));
        QCOMPARE(f->link.referenceVoltage(), 1.0);
        QCOMPARE(f->link.readVoltage("AIN1"), 0.5);
        f->board.refuse("AIN1");
        QCOMPARE(f->link.readVoltage("AIN1"), 0.0);
        QCOMPARE(f->take(), (Lines{"set DIO3=1", "set DIO3=A DIO3=B ", "get DIO3", "get AIN2",
                                   "get AIN1", "set AINCONF=1", "set AINCONF=1", "set AINCONF=0",
                                   "get AIN1", "get AIN1"}));
    }

    // Formatted assignments, and commands that set and then read back.
    void formattedCommands()
    {
        // The blank-padded sequence is one value to the firmware, not several items.
        f->board.addHandler(QByteArray("set DIOSEQ2="), [](const QByteArray &) { return "DIOSEQ2:ok"; });
        f->board.addHandler(QByteArray("get DIOSEQ9"), [](const QByteArray &) { return "DIOSEQ9=0a0b0c"; });
        f->board.addHandler(QByteArray("get scanchain"), [](const QByteArray &) { return "scanchain=5aa5"; });
        f->board.addHandler(QByteArray("get swspi"), [](const QByteArray &) { return "swspi=c0de"; });
        QByteArray answer;
        QList<int> out;
        QByteArray bytes;
        QVERIFY(f->link.swspiTransfer("CS1", "CLK", "MOSI", 3, 16, 5, QByteArray::fromHex("01ab")));
        QVERIFY(f->link.setGenClock("PWM1", 500, 1, 7));
        QVERIFY(f->link.setDioSequence2("DIO1", 3, 10, "ms"));
        QVERIFY(f->link.setDioSequence2("DIO2", 2, 0x1f, "us"));
        QVERIFY(f->link.setDioSequence2("DIO3", 0, 1, "ms"));
        QVERIFY(f->link.setDioSequence52(9, "DIO2", 12, 345, &answer));
        QVERIFY(f->link.dioSequence9("A", "B", 1, 2, 3, &out));
        QCOMPARE(out, QList<int>{10}); // the first byte of a read-back of the asked length
        QVERIFY(f->link.dioSequence9("A", "B", 1, 2, 2, &out)); // another length appends nothing
        QVERIFY(!f->link.scanChain("TDI", "TDO", "TCK", 'r', 8, QByteArray(), nullptr));
        QVERIFY(f->link.scanChain("TDI", "TDO", "TCK", 'w', 16, QByteArray::fromHex("beef"), nullptr));
        QVERIFY(f->link.scanChain("TDI", "TDO", "TCK", 'r', 16, QByteArray(), &bytes));
        QCOMPARE(bytes, QByteArray::fromHex("5aa5"));
        QVERIFY(f->link.readSwspi(&bytes));
        QCOMPARE(bytes, QByteArray::fromHex("c0de"));
        QCOMPARE(answer, QByteArray("DIOSEQ52=DIO2,0012,0345\n"));
        QCOMPARE(out, QList<int>{10});
        QCOMPARE(f->take(),
                 (Lines{"set swspi=CS1,CLK,MOSI,3,0016,0005,01ab", "set genclk=PWM1,0500,1,07",
                        "set DIOSEQ2=DIO1,1, a a a", "set DIOSEQ2=DIO2,0,1f1f", "set DIOSEQ2=DIO3,1,",
                        "set DIOSEQ52=DIO2,0012,0345", "get DIOSEQ52", "set DIOSEQ9=A,B,01,02,0003",
                        "get DIOSEQ9", "set DIOSEQ9=A,B,01,02,0002", "get DIOSEQ9",
                        "set scanchain=TDI,TDO,TCK,0008,read", "set scanchain=TDI,TDO,TCK,0016,beef",
                        "set scanchain=TDI,TDO,TCK,0016,read", "get scanchain", "get swspi"}));
        // A failed read-back fails the sequence; a refused assignment reads nothing back.
        answer = "untouched";
        f->board.addHandler(QByteArray("get DIOSEQ52"),
                            [](const QByteArray &) { return QByteArray("err"); });
        QVERIFY(!f->link.setDioSequence52(1, "DIO2", 1, 2, &answer));
        QCOMPARE(answer, QByteArray("untouched"));
        f->board.refuse("genclk");
        f->board.refuse("DIOSEQ52");
        QVERIFY(!f->link.setGenClock("PWM1", 1, 1, 1));
        QVERIFY(!f->link.setDioSequence52(1, "DIO2", 1, 2, &answer));
        QCOMPARE(answer, QByteArray("untouched"));
        f->board.addHandler(QByteArray("get swspi"), [](const QByteArray &) { return "err"; });
        QVERIFY(!f->link.readSwspi(&bytes));
        QCOMPARE(bytes, QByteArray::fromHex("c0de"));
    }

    // A serial connection made after the mock-up talks to the board, not to the mock-up.
    void serialAfterMockupReachesTheBoard()
    {
        QVERIFY(f->link.connectBoard(QStringLiteral("mockup")));
        QVERIFY(f->connectLink());
        QCOMPARE(f->link.mode(), int(ControlBoard::SerialMode));
        QByteArray answer;
        QVERIFY(f->link.send("set A=1", &answer, 5000));
        QCOMPARE(f->board.lines().value(f->board.lines().size() - 1), QByteArray("set A=1"));
    }

    // A script port whose file is not chosen leaves the serial connection as it was; the
    // mock-up takes over from it and lets go of its port.
    void pseudoPortsAfterSerial()
    {
        QVERIFY(!f->link.connectBoard(QStringLiteral("script")));
        QCOMPARE(f->link.mode(), int(ControlBoard::SerialMode));
        QVERIFY(f->link.isConnected() && f->link.send("set A=1", nullptr));
        QVERIFY(f->link.connectBoard(QStringLiteral("mockup")));
        QVERIFY(f->board.waitForLines(2, 10000));
        QCOMPARE(f->take(), (Lines{"set A=1", "set baudrate=115200"}));
        SerialPort port;
        QVERIFY(port.open_port(f->board.devicePath(), ControlBoard::DefaultBaudrate));
    }

    void transferBlocks()
    {
        f->board.addHandler(QByteArray("get BLK="), [](const QByteArray &line) {
            return "BLK=" + QByteArray(2, char('0' + line.mid(8).toInt())) + "ff";
        });
        QByteArray a, b, c, d, e;
        QVERIFY(f->link.transferBlocks("BLK", "payload", 500, &a, &b));
        QCOMPARE(f->take(), (Lines{"set BLK=payload", "get BLK=1", "get BLK=2"}));
        QCOMPARE(a + b, QByteArray::fromHex("11ff22ff"));
        // Only the leading outputs count.
        QVERIFY(f->link.transferBlocks("BLK", "x", 500, &c, nullptr, &a));
        QCOMPARE(f->take(), (Lines{"set BLK=x", "get BLK=1"}));
        QVERIFY(f->link.transferBlocks("BLK", "y", 500, &a, &b, &c, &d, &e));
        QCOMPARE(f->take().size(), 6);
        QCOMPARE(e, QByteArray::fromHex("55ff"));
        // A failed later read fails the transfer (the earlier answer is no answer to it).
        f->board.addHandler(QByteArray("get BLK=2"), [](const QByteArray &) { return "err"; });
        QVERIFY(!f->link.transferBlocks("BLK", "z", 500, &a, &b));
        f->take();
        // No output: the data go out, the result is false. An answer without the name fails; a
        // refused assignment sends no reads.
        QVERIFY(!f->link.transferBlocks("BLK", "data", 500));
        f->board.addHandler(QByteArray("get BLK=1"), [](const QByteArray &) { return "OTHER=00"; });
        QByteArray kept = "kept";
        QVERIFY(!f->link.transferBlocks("BLK", "data", 500, &kept));
        QCOMPARE(kept, QByteArray("kept"));
        f->board.refuse("BLK");
        QVERIFY(!f->link.transferBlocks("BLK", "data", 500, &kept));
        QCOMPARE(f->take(), (Lines{"set BLK=data", "set BLK=data", "get BLK=1", "set BLK=data"}));
    }

    // Assignments (and, apart, directions) collect until a flush sends them as one line.
    void appendSetPendingLines()
    {
        QVERIFY(!f->link.appendSet("A", 1, false));
        QVERIFY(!f->link.appendSetDirection("P", 1, false));
        QVERIFY(!f->link.appendSet("B", -2, false));
        QVERIFY(f->link.send("set Z=0", nullptr)); // nothing else was sent before
        QVERIFY(f->link.appendSet("C", 3, true));
        QVERIFY(f->link.appendSetDirection("Q", 0, true));
        QVERIFY(f->link.appendSet("D", 4, true));
        QCOMPARE(f->take(), (Lines{"set Z=0", "set A=1 B=-2 C=3 ", "set PDIR=1 QDIR=0 ", "set D=4 "}));
        f->board.refuse("E");
        QVERIFY(!f->link.appendSet("E", 5, true));
    }

private:
    std::unique_ptr<LinkFixture> f;
};

QTEST_GUILESS_MAIN(TestControlBoard)
#include "tst_controlboard.moc"
