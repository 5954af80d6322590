#include "linkfixture.h"
#include "variable.h"

#include <QtTest>

using Lines = QList<QByteArray>;

// The firmware-command conveniences of ControlBoard: the exact lines the simulated board
// receives and how the answers come back.
class TestControlBoardCommands : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(LinkFixture::renew(f)); } // connected, logging on
    void cleanup() { f.reset(); }

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
        // A refused assignment fails and reads nothing back.
        f->board.refuse("genclk");
        f->board.refuse("DIOSEQ52");
        answer = "untouched";
        QVERIFY(!f->link.setGenClock("PWM1", 1, 1, 1));
        QVERIFY(!f->link.setDioSequence52(1, "DIO2", 1, 2, &answer));
        QCOMPARE(answer, QByteArray("untouched"));
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

QTEST_GUILESS_MAIN(TestControlBoardCommands)
#include "tst_controlboardcommands.moc"
