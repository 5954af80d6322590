#include "register.h"

#include <QSignalSpy>
#include <QtTest>

class TestRegisterFormat : public QObject
{
    Q_OBJECT

private slots:
    void boostExample_data()
    {
        QTest::addColumn<QString>("templ");
        QTest::addColumn<bool>("grouped");
        QTest::addColumn<QString>("result");
        QTest::newRow("console") << "@bitn;@name;@value;@descr;" << true
                                 << "0:6 ;VSETPOINT[7];5;Boost voltage;7 ;EN;1;Boost enable;"
                                    "8 ;SRC;0;Boost CLK source;";
        QTest::newRow("purename") << "@purename;" << true << "VSETPOINT;EN;SRC;";
        QTest::newRow("name") << "@name;" << true << "VSETPOINT[7];EN;SRC;";
        QTest::newRow("per bit") << "@bitn=@value;" << false
                                 << "0=1;1=0;2=1;3=0;4=0;5=0;6=0;7=1;8=0;";
        QTest::newRow("per bit purename stays")
            << "@purename@group," << false
            << QString("@purename0,").repeated(7) + "@purename1,@purename2,";
        QTest::newRow("group") << "@group@name " << true << "0VSETPOINT[7] 1EN 2SRC ";
    }

    void boostExample()
    {
        QFETCH(QString, templ);
        QFETCH(bool, grouped);
        QFETCH(QString, result);
        Register r("VSETPOINT[6:0]#Boost voltage;EN#Boost enable;SRC#Boost CLK source;", "BOOST");
        QVERIFY(r.setField("[VSETPOINT]", 5));
        QVERIFY(r.setField("[EN]", 1));
        QCOMPARE(r.format(templ, grouped), result);
    }

    void formats_data()
    {
        QTest::addColumn<QString>("definition");
        QTest::addColumn<QString>("templ");
        QTest::addColumn<bool>("grouped");
        QTest::addColumn<QString>("result");
        const auto row = [](const char *tag, const QString &definition, const QString &templ,
                            bool grouped, const QString &result) {
            QTest::newRow(tag) << definition << templ << grouped << result;
        };
        row("empty grouped", "", "@name;", true, "");
        row("empty per bit", "", "@name;", false, "");
        row("plain per bit", "A[3];B", "x-", false, "x-x-x-x-");
        row("plain grouped", "A[3];B", "x-", true, "x-x-");
        row("hex", "F[5]=31;G[8]=200", "@value_hex/@value;", true, "1f/31;c8/200;");
        row("hex per bit", "F[5]=31;G[8]=200", "@value_hex", false, "1111100010011");
        row("runs of equal names", "A[2]=3;B;A[2]=1", "@name|@bitn|@value|@group;", true,
            "A[2]|0:1 |3|0;B|2 |0|1;A[2]|3:4 |1|2;");
        // A one-bit field without a name adds nothing; a run of unnamed bits shows its width.
        const QString unnamed = "[1]=1;A;[3]=5;B[2]";
        row("unnamed bits", unnamed, "@name=@value;", true, "A=0;[3]=5;B[2]=0;");
        row("unnamed purename", unnamed, "@purename;", true, "A;;B;");
        row("unnamed per bit", unnamed, "@name@group,", false, "-1,A0,1,1,1,B2,B2,");
    }

    void formats()
    {
        QFETCH(QString, definition);
        QFETCH(QString, templ);
        QFETCH(bool, grouped);
        QFETCH(QString, result);
        Register r(definition, "R");
        QCOMPARE(r.format(templ, grouped), result);
    }

    void attributesAndLatin1()
    {
        Register r("@CHIP=K5 @ADD=regs;@field=A[2] @ADD=0x10 @descr=dd;@field=B;D#x@CHIP;"
                   "@field=C \u00e9\u4e2d",
                   "R");
        // Bit attributes come before register attributes; a keyword left without a value stays;
        // a keyword inside a description is expanded by the later steps.
        QCOMPARE(
            r.format("@ADD:@descr:@CHIP:@NONE;", true),
            QStringLiteral("0x10:dd:K5:@NONE;regs::K5:@NONE;regs:xK5:K5:@NONE;regs::K5:@NONE;"));
        // Characters beyond Latin-1 become "?", and the result ends at a NUL character.
        QCOMPARE(r.format("@purename;", true), QString("A;B;D;C \u00e9?;"));
        QCOMPARE(r.format(QString("@name") + QChar(0) + "tail", true), QStringLiteral("A[2]"));

        // Bits above 32 are ORed into the value from bit 0 on.
        Register wide("W[40]", "R");
        wide.setBit(33, 1);
        QCOMPARE(wide.format("@value", true), QStringLiteral("2"));
    }

    void crcWorkedExamples_data()
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
        QTest::newRow("no bits") << 0 << 0u << 0xF3u << 0x76u;
    }

    void crcWorkedExamples()
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

    void crcTraceAndSilence()
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

    void crcWidthOutsideRange_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("0") << 0;
        QTest::newRow("-1") << -1;
        QTest::newRow("32") << 32;
        QTest::newRow("1000") << 1000;
    }

    void crcWidthOutsideRange()
    {
        QFETCH(int, width);
        Register r(8, "R");
        r.fill(1);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("CRC width .* outside 1..31"));
        QCOMPARE(r.crc(width, 0xFF, 0x107), 0u);
        // The widest one still works.
        QCOMPARE(r.crc(31, 0, 0x80000001u) < 0x80000000u, true);
    }
};

QTEST_GUILESS_MAIN(TestRegisterFormat)
#include "tst_register_format.moc"
