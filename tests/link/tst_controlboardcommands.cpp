#include "controlboard.h"
#include "fakeboard.h"
#include "variable.h"

#include <QtTest>

#include <memory>

using Lines = QList<QByteArray>;

// The firmware-command conveniences of ControlBoard: the exact lines the simulated board
// receives and how the answers come back.
class TestControlBoardCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void setVariablesLine();
    void setVariablesNeedsEveryName();
    void getVariablesWritesValues();
    void getVariablesRefusals();
    void pinCommands();
    void voltageAndReference();
    void formattedAssignments();
    void dioSequence52();
    void dioSequence9();
    void scanChain();
    void readSwspi();
    void transferBlocks();
    void transferBlocksFailures();
    void appendSetPendingLines();

private:
    // The lines received since the last call.
    Lines take();
    // Answers "get NAME" (the whole line) with "NAME=value".
    void answerGet(const QByteArray &line, const QByteArray &answer);

    std::unique_ptr<FakeBoard> m_board;
    std::unique_ptr<ControlBoard> m_link;
};

void TestControlBoardCommands::init()
{
    m_board = std::make_unique<FakeBoard>();
    QVERIFY(m_board->isValid());
    m_link = std::make_unique<ControlBoard>();
    QVERIFY(m_link->connectBoard(m_board->devicePath()));
    m_board->clearRecords();
}

void TestControlBoardCommands::cleanup()
{
    m_link.reset();
    m_board.reset();
}

Lines TestControlBoardCommands::take()
{
    const Lines lines = m_board->lines();
    m_board->clearRecords();
    return lines;
}

void TestControlBoardCommands::answerGet(const QByteArray &line, const QByteArray &answer)
{
    m_board->addHandler([line](const QByteArray &l) { return l == line; },
                        [answer](const QByteArray &) { return answer; });
}

void TestControlBoardCommands::setVariablesLine()
{
    Variable count(5, QStringLiteral("A"), QString(), -100, 100);
    Variable gain(0.1234567, QStringLiteral("B"), QString(), -10, 10);
    Variable big(1.5e7, QStringLiteral("C"), QString(), 0, 1e9);
    Variable label;
    label.setName(QStringLiteral("S"));
    label.setType(Variable::TypeString);
    label.setValue(QByteArray("abc"), Variable::InternalKey);

    QVERIFY(m_link->setVariables({&count, &gain, &big, &label}));
    QCOMPARE(take(), Lines{"set A=5 B=0.123457 C=1.5e+07 S=abc "});
    QCOMPARE(m_board->value("S"), QByteArray("abc"));

    QVERIFY(!m_link->setVariables({}));
    QTest::qWait(50);
    QCOMPARE(take(), Lines{});
}

void TestControlBoardCommands::setVariablesNeedsEveryName()
{
    Variable a(1, QStringLiteral("A"), QString(), 0, 10);
    Variable b(2, QStringLiteral("B"), QString(), 0, 10);
    // An answer that names only A.
    m_board->addHandler(QByteArray("set A="),
                        [](const QByteArray &) { return QByteArray("A:ok"); });
    QVERIFY(!m_link->setVariables({&a, &b}));
    QCOMPARE(take(), Lines{"set A=1 B=2 "});

    // A refused item fails the transaction.
    m_board->refuse("Z");
    Variable z(3, QStringLiteral("Z"), QString(), 0, 10);
    QVERIFY(!m_link->setVariables({&b, &z}));
}

void TestControlBoardCommands::getVariablesWritesValues()
{
    Variable count(0, QStringLiteral("A"), QString(), -100, 100);
    Variable gain(0.0, QStringLiteral("B"), QString(), -10, 10);
    gain.setReadOnly(true); // the internal key passes the lock
    Variable label;
    label.setName(QStringLiteral("S"));
    label.setType(Variable::TypeString);
    m_board->setValue("A", "-7");
    m_board->setValue("B", "2.25");
    m_board->setValue("S", "xyz");

    QVERIFY(m_link->getVariables({&count, &gain, &label}));
    QCOMPARE(take(), Lines{"get A B S "});
    QCOMPARE(count.value(), -7.0);
    QCOMPARE(gain.value(), 2.25);
    QCOMPARE(label.text(), QByteArray("xyz"));
}

void TestControlBoardCommands::getVariablesRefusals()
{
    Variable count(4, QStringLiteral("A"), QString(), -100, 100);
    Variable missing(1, QStringLiteral("M"), QString(), 0, 10);
    m_board->setValue("A", "9");
    // An unknown name is answered with "err": the transaction fails.
    QVERIFY(!m_link->getVariables({&count, &missing}));

    // A value that is no number is not written as 0.
    m_board->setValue("A", "abc");
    QVERIFY(!m_link->getVariables({&count}));
    QCOMPARE(count.value(), 4.0);

    // A value outside the variable's range is refused by the variable.
    m_board->setValue("A", "1000");
    QVERIFY(!m_link->getVariables({&count}));
    QCOMPARE(count.value(), 4.0);

    QVERIFY(!m_link->getVariables({}));
}

void TestControlBoardCommands::pinCommands()
{
    m_link->setPinName("DIO3");
    QCOMPARE(m_link->pinName(), QStringLiteral("DIO3"));
    QVERIFY(m_link->writePin(1));
    m_link->writePinBytes("AB");
    m_board->setValue("DIO3", "1");
    QCOMPARE(m_link->readPin(), 0);
    QCOMPARE(take(), (Lines{"set DIO3=1", "set DIO3=A DIO3=B ", "get DIO3"}));

    // Other pin names send nothing, except reads of analogue inputs.
    m_link->setPinName("AIN2");
    QVERIFY(!m_link->writePin(1));
    m_link->writePinBytes("C");
    m_board->setValue("AIN2", "5");
    QCOMPARE(m_link->readPin(), 0);
    QCOMPARE(take(), Lines{"get AIN2"});

    m_link->setPinName("PWM1");
    QVERIFY(!m_link->writePin(0));
    m_link->writePinBytes("C");
    QCOMPARE(m_link->readPin(), 0);
    QTest::qWait(50);
    QCOMPARE(take(), Lines{});
}

void TestControlBoardCommands::voltageAndReference()
{
    QCOMPARE(m_link->referenceVoltage(), double(3.3f));
    m_board->setValue("AIN1", "1024");
    QCOMPARE(m_link->readVoltage("AIN1"), 1024 / 2048.0 * double(3.3f));
    QCOMPARE(take(), Lines{"get AIN1"});

    QVERIFY(!m_link->setAnalogReference(0));
    QVERIFY(m_link->setAnalogReference(2));
    QCOMPARE(m_link->referenceVoltage(), double(3.3f));
    QVERIFY(m_link->setAnalogReference(3));
    QVERIFY(m_link->setAnalogReference(1));
    QCOMPARE(m_link->referenceVoltage(), 1.0);
    QCOMPARE(take(), (Lines{"set AINCONF=1", "set AINCONF=1", "set AINCONF=0"}));
    QCOMPARE(m_link->readVoltage("AIN1"), 0.5);
}

void TestControlBoardCommands::formattedAssignments()
{
    // The blank-padded sequence is one value to the firmware, not several items.
    m_board->addHandler(QByteArray("set DIOSEQ2="),
                        [](const QByteArray &) { return QByteArray("DIOSEQ2:ok"); });
    QVERIFY(m_link->swspiTransfer("CS1", "CLK", "MOSI", 3, 16, 5, QByteArray::fromHex("01ab")));
    QVERIFY(m_link->setGenClock("PWM1", 500, 1, 7));
    QVERIFY(m_link->setDioSequence2("DIO1", 3, 10, "ms"));
    QVERIFY(m_link->setDioSequence2("DIO2", 2, 0x1f, "us"));
    QVERIFY(m_link->setDioSequence2("DIO3", 0, 1, "ms"));
    QCOMPARE(take(), (Lines{"set swspi=CS1,CLK,MOSI,3,0016,0005,01ab", "set genclk=PWM1,0500,1,07",
                            "set DIOSEQ2=DIO1,1, a a a", "set DIOSEQ2=DIO2,0,1f1f",
                            "set DIOSEQ2=DIO3,1,"}));
    m_board->refuse("genclk");
    QVERIFY(!m_link->setGenClock("PWM1", 1, 1, 1));
}

void TestControlBoardCommands::dioSequence52()
{
    QByteArray answer = "untouched";
    QVERIFY(m_link->setDioSequence52(9, "DIO2", 12, 345, &answer));
    QCOMPARE(take(), (Lines{"set DIOSEQ52=DIO2,0012,0345", "get DIOSEQ52"}));
    QCOMPARE(answer, QByteArray("DIOSEQ52=DIO2,0012,0345\n"));

    m_board->refuse("DIOSEQ52");
    answer = "untouched";
    QVERIFY(!m_link->setDioSequence52(1, "DIO2", 1, 2, &answer));
    QCOMPARE(answer, QByteArray("untouched"));
}

void TestControlBoardCommands::dioSequence9()
{
    answerGet("get DIOSEQ9", "DIOSEQ9=0a0b0c");
    QList<int> out;
    QVERIFY(m_link->dioSequence9("A", "B", 1, 2, 3, &out));
    QCOMPARE(take(), (Lines{"set DIOSEQ9=A,B,01,02,0003", "get DIOSEQ9"}));
    QCOMPARE(out, QList<int>{10});
    // A length other than count appends nothing.
    QVERIFY(m_link->dioSequence9("A", "B", 1, 2, 2, &out));
    QCOMPARE(out, QList<int>{10});
    QVERIFY(m_link->dioSequence9("A", "B", 1, 2, 3, nullptr));
}

void TestControlBoardCommands::scanChain()
{
    QByteArray out;
    QVERIFY(!m_link->scanChain("TDI", "TDO", "TCK", 'r', 8, QByteArray(), nullptr));
    QVERIFY(m_link->scanChain("TDI", "TDO", "TCK", 'w', 16, QByteArray::fromHex("beef"), nullptr));
    QCOMPARE(take(),
             (Lines{"set scanchain=TDI,TDO,TCK,0008,read", "set scanchain=TDI,TDO,TCK,0016,beef"}));

    answerGet("get scanchain", "scanchain=5aa5");
    QVERIFY(m_link->scanChain("TDI", "TDO", "TCK", 'r', 16, QByteArray(), &out));
    QCOMPARE(take(), (Lines{"set scanchain=TDI,TDO,TCK,0016,read", "get scanchain"}));
    QCOMPARE(out, QByteArray::fromHex("5aa5"));
}

void TestControlBoardCommands::readSwspi()
{
    answerGet("get swspi", "swspi=c0de");
    QByteArray data;
    QVERIFY(m_link->readSwspi(&data));
    QCOMPARE(data, QByteArray::fromHex("c0de"));
    QCOMPARE(take(), Lines{"get swspi"});
}

void TestControlBoardCommands::transferBlocks()
{
    m_board->addHandler(QByteArray("get BLK="), [](const QByteArray &line) {
        return "BLK=" + QByteArray(2, char('0' + line.mid(8).toInt())) + "ff";
    });
    QByteArray out1, out2, out3;
    QVERIFY(m_link->transferBlocks("BLK", "payload", 500, &out1, &out2));
    QCOMPARE(take(), (Lines{"set BLK=payload", "get BLK=1", "get BLK=2"}));
    QCOMPARE(out1, QByteArray::fromHex("11ff"));
    QCOMPARE(out2, QByteArray::fromHex("22ff"));

    // Only the leading outputs count.
    QVERIFY(m_link->transferBlocks("BLK", "x", 500, &out3, nullptr, &out1));
    QCOMPARE(take(), (Lines{"set BLK=x", "get BLK=1"}));
    QCOMPARE(out3, QByteArray::fromHex("11ff"));

    QByteArray a, b, c, d, e;
    QVERIFY(m_link->transferBlocks("BLK", "y", 500, &a, &b, &c, &d, &e));
    QCOMPARE(take().size(), 6);
    QCOMPARE(e, QByteArray::fromHex("55ff"));
}

void TestControlBoardCommands::transferBlocksFailures()
{
    // No output: the data go out, the result is false.
    QVERIFY(!m_link->transferBlocks("BLK", "data", 500));
    QCOMPARE(take(), Lines{"set BLK=data"});

    // An answer without the name fails.
    answerGet("get BLK=1", "OTHER=00");
    QByteArray out = "kept";
    QVERIFY(!m_link->transferBlocks("BLK", "data", 500, &out));
    QCOMPARE(out, QByteArray("kept"));

    // A refused assignment sends no reads.
    m_board->refuse("BLK");
    take();
    QVERIFY(!m_link->transferBlocks("BLK", "data", 500, &out));
    QCOMPARE(take(), Lines{"set BLK=data"});
}

void TestControlBoardCommands::appendSetPendingLines()
{
    QVERIFY(!m_link->appendSet("A", 1, false));
    QVERIFY(!m_link->appendSetDirection("P", 1, false));
    QVERIFY(!m_link->appendSet("B", -2, false));
    QTest::qWait(50);
    QCOMPARE(take(), Lines{});
    QVERIFY(m_link->appendSet("C", 3, true));
    QCOMPARE(take(), Lines{"set A=1 B=-2 C=3 "});
    QVERIFY(m_link->appendSetDirection("Q", 0, true));
    QCOMPARE(take(), Lines{"set PDIR=1 QDIR=0 "});
    // A flushed line starts afresh.
    QVERIFY(m_link->appendSet("D", 4, true));
    QCOMPARE(take(), Lines{"set D=4 "});
    m_board->refuse("E");
    QVERIFY(!m_link->appendSet("E", 5, true));
}

QTEST_GUILESS_MAIN(TestControlBoardCommands)
#include "tst_controlboardcommands.moc"
