#include "register.h"

#include <QSignalSpy>
#include <QtTest>

class TestRegisterFormat : public QObject
{
    Q_OBJECT

private slots:
    void boostExample_data();
    void boostExample();
    void emptyAndPlainTemplates();
    void valueHex();
    void runsOfEqualNames();
    void unnamedBits();
    void attributesAndLatin1();
    void widerThan32Bits();
    void crcWorkedExamples_data();
    void crcWorkedExamples();
    void crcEmptyRegister();
    void crcTraceAndSilence();
    void crcWidthOutsideRange_data();
    void crcWidthOutsideRange();
};

void TestRegisterFormat::boostExample_data()
{
    QTest::addColumn<QString>("templ");
    QTest::addColumn<bool>("grouped");
    QTest::addColumn<QString>("result");
    QTest::newRow("console") << "@bitn;@name;@value;@descr;" << true
                             << "0:6 ;VSETPOINT[7];5;Boost voltage;7 ;EN;1;Boost enable;"
                                "8 ;SRC;0;Boost CLK source;";
    QTest::newRow("purename") << "@purename;" << true << "VSETPOINT;EN;SRC;";
    QTest::newRow("name") << "@name;" << true << "VSETPOINT[7];EN;SRC;";
    QTest::newRow("per bit") << "@bitn=@value;" << false << "0=1;1=0;2=1;3=0;4=0;5=0;6=0;7=1;8=0;";
    QTest::newRow("per bit purename stays")
        << "@purename@group," << false
        << QString("@purename0,").repeated(7) + "@purename1,@purename2,";
    QTest::newRow("group") << "@group@name " << true << "0VSETPOINT[7] 1EN 2SRC ";
}

void TestRegisterFormat::boostExample()
{
    QFETCH(QString, templ);
    QFETCH(bool, grouped);
    QFETCH(QString, result);
    Register r("VSETPOINT[6:0]#Boost voltage;EN#Boost enable;SRC#Boost CLK source;", "BOOST");
    QVERIFY(r.setField("[VSETPOINT]", 5));
    QVERIFY(r.setField("[EN]", 1));
    QCOMPARE(r.format(templ, grouped), result);
}

void TestRegisterFormat::emptyAndPlainTemplates()
{
    QCOMPARE(Register().format("@name;", true), QString());
    QCOMPARE(Register().format("@name;", false), QString());
    Register r("A[3];B", "R");
    QCOMPARE(r.format("x-", false), QStringLiteral("x-x-x-x-"));
    QCOMPARE(r.format("x-", true), QStringLiteral("x-x-"));
}

void TestRegisterFormat::valueHex()
{
    Register r("F[5]=31;G[8]=200", "R");
    QCOMPARE(r.format("@value_hex/@value;", true), QStringLiteral("1f/31;c8/200;"));
    QCOMPARE(r.format("@value_hex", false), QStringLiteral("1111100010011"));
}

void TestRegisterFormat::runsOfEqualNames()
{
    Register r("A[2]=3;B;A[2]=1", "R");
    QCOMPARE(r.format("@name|@bitn|@value|@group;", true),
             QStringLiteral("A[2]|0:1 |3|0;B|2 |0|1;A[2]|3:4 |1|2;"));
}

void TestRegisterFormat::unnamedBits()
{
    // A one-bit field without a name adds nothing; a run of unnamed bits shows its width.
    Register r("[1]=1;A;[3]=5;B[2]", "R");
    QCOMPARE(r.format("@name=@value;", true), QStringLiteral("A=0;[3]=5;B[2]=0;"));
    QCOMPARE(r.format("@purename;", true), QStringLiteral("A;;B;"));
    QCOMPARE(r.format("@name@group,", false), QStringLiteral("-1,A0,1,1,1,B2,B2,"));
}

void TestRegisterFormat::attributesAndLatin1()
{
    Register r("@CHIP=K5 @ADD=regs;@field=A[2] @ADD=0x10 @descr=dd;@field=B;D#x@CHIP;"
               "@field=C \u00e9\u4e2d",
               "R");
    // Bit attributes come before register attributes; a keyword left without a value stays;
    // a keyword inside a description is expanded by the later steps.
    QCOMPARE(r.format("@ADD:@descr:@CHIP:@NONE;", true),
             QStringLiteral("0x10:dd:K5:@NONE;regs::K5:@NONE;regs:xK5:K5:@NONE;regs::K5:@NONE;"));
    // Characters beyond Latin-1 become "?", and the result ends at a NUL character.
    QCOMPARE(r.format("@purename;", true), QString("A;B;D;C \u00e9?;"));
    QCOMPARE(r.format(QString("@name") + QChar(0) + "tail", true), QStringLiteral("A[2]"));
}

void TestRegisterFormat::widerThan32Bits()
{
    Register r("W[40]", "R");
    r.setBit(33, 1);
    QCOMPARE(r.format("@value", true), QStringLiteral("2"));
}

void TestRegisterFormat::crcWorkedExamples_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<quint32>("value");
    QTest::addColumn<quint32>("frameCrc");
    QTest::addColumn<quint32>("otpCrc");
    QTest::newRow("16 bits 0x1234") << 16 << 0x1234u << 0xDAu << 0x74u;
    QTest::newRow("8 bits 0x00") << 8 << 0x00u << 0xD7u << 0x40u;
    QTest::newRow("8 bits 0xFF") << 8 << 0xFFu << 0x24u << 0x2Cu;
    QTest::newRow("12 bits 0xABC") << 12 << 0xABCu << 0xECu << 0x48u;
    QTest::newRow("8 bits 0x5A") << 8 << 0x5Au << 0x56u << 0x37u;
}

void TestRegisterFormat::crcWorkedExamples()
{
    QFETCH(int, size);
    QFETCH(quint32, value);
    QFETCH(quint32, frameCrc);
    QFETCH(quint32, otpCrc);
    Register r(size, "R");
    r.setValue(value, true);
    QCOMPARE(r.crc(8, 0xFF, 0x107), frameCrc);
    QCOMPARE(r.crc(7, 0x7F, 0xB7), otpCrc);
}

void TestRegisterFormat::crcEmptyRegister()
{
    QCOMPARE(Register().crc(8, 0xFF, 0x107), 0xF3u);
    QCOMPARE(Register().crc(7, 0x7F, 0xB7), 0x76u);
}

void TestRegisterFormat::crcTraceAndSilence()
{
    Register r(4, "R");
    r.setValue(0b0001, true);
    r.setUpdateMode(0);
    QSignalSpy set(&r, &Register::signal_updateSet);
    QSignalSpy get(&r, &Register::signal_updateGet);
    // Dividend: seed 0b11 on top, the register (bit 3 first), two zero bits below.
    QTest::ignoreMessage(QtDebugMsg, "\"11000100\" \"00100011\"");
    const quint32 crc = r.crc(2, 0b11, 0b111);
    QVERIFY(crc < 4u);
    QCOMPARE(r.size(), 4);
    QCOMPARE(r.value(true), 1u);
    QCOMPARE(set.count(), 0);
    QCOMPARE(get.count(), 1); // only the value read above
}

void TestRegisterFormat::crcWidthOutsideRange_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("0") << 0;
    QTest::newRow("-1") << -1;
    QTest::newRow("32") << 32;
    QTest::newRow("1000") << 1000;
}

void TestRegisterFormat::crcWidthOutsideRange()
{
    QFETCH(int, width);
    Register r(8, "R");
    r.fill(1);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("CRC width .* outside 1..31"));
    QCOMPARE(r.crc(width, 0xFF, 0x107), 0u);
    // The widest one still works.
    QCOMPARE(r.crc(31, 0, 0x80000001u) < 0x80000000u, true);
}

QTEST_GUILESS_MAIN(TestRegisterFormat)
#include "tst_register_format.moc"
