#include "register.h"
#include "../support/tablerows.h"

#include <QSignalSpy>
#include <QtTest>

class TestRegisterFormat : public QObject
{
    Q_OBJECT

private slots:
    void formats_data()
    {
        const QString boost = "VSETPOINT[6:0]=5#Boost voltage;EN=1#Boost enable;SRC#Boost CLK source;";
        const QString unnamed = "[1]=1;A;[3]=5;B[2]";
        addRows<QString, QString, bool, QString>(
            {"definition", "templ", "grouped", "result"},
            {{boost, "@bitn;@name;@value;@descr;", true,
              "0:6 ;VSETPOINT[7];5;Boost voltage;7 ;EN;1;Boost enable;8 ;SRC;0;Boost CLK source;"},
             {boost, "@purename;", true, "VSETPOINT;EN;SRC;"},
             {boost, "@bitn=@value;", false, "0=1;1=0;2=1;3=0;4=0;5=0;6=0;7=1;8=0;"},
             {boost, "@purename@group,", false,
              QString("@purename0,").repeated(7) + "@purename1,@purename2,"},
             {"", "@name;", true, ""},
             {"A[3];B", "x-", false, "x-x-x-x-"},
             {"A[3];B", "x-", true, "x-x-"},
             {"F[5]=31;G[8]=200", "@value_hex/@value;", true, "1f/31;c8/200;"},
             {"F[5]=31;G[8]=200", "@value_hex", false, "1111100010011"},
             {"A[2]=3;B;A[2]=1", "@name|@bitn|@value|@group;", true,
              "A[2]|0:1 |3|0;B|2 |0|1;A[2]|3:4 |1|2;"},
             // A one-bit field without a name adds nothing; a run of unnamed bits shows its width.
             {unnamed, "@name=@value;", true, "A=0;[3]=5;B[2]=0;"},
             {unnamed, "@name@group,", false, "-1,A0,1,1,1,B2,B2,"}});
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
        // Bit attributes before register attributes; an unknown keyword stays; a keyword inside
        // a description is expanded by the later steps.
        QCOMPARE(
            r.format("@ADD:@descr:@CHIP:@NONE;", true),
            QStringLiteral("0x10:dd:K5:@NONE;regs::K5:@NONE;regs:xK5:K5:@NONE;regs::K5:@NONE;"));
        // Characters beyond Latin-1 become "?", and the result ends at a NUL character.
        QCOMPARE(r.format("@purename;", true), QString("A;B;D;C \u00e9?;"));
        QCOMPARE(r.format(QString("@name") + QChar(0) + "tail", true), QStringLiteral("A[2]"));
    }

    void crcWorkedExamples_data()
    {
        addRows<int, quint32, quint32, quint32>({"size", "value", "frameCrc", "otpCrc"},
                                                {{16, 0x1234u, 0xDAu, 0x74u},
                                                 {8, 0x00u, 0xD7u, 0x40u},
                                                 {12, 0xABCu, 0xECu, 0x48u},
                                                 {8, 0x5Au, 0x56u, 0x37u},
                                                 {0, 0u, 0xF3u, 0x76u}});
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

    void crcTraceSilenceAndWidth()
    {
        Register r(4, "R");
        r.setValue(0b0001, true);
        r.setUpdateMode(0);
        QSignalSpy set(&r, &Register::signal_updateSet);
        // Dividend: seed 0b11 on top, the register (bit 3 first), two zero bits below.
        QTest::ignoreMessage(QtDebugMsg, "\"11000100\" \"00100011\"");
        QVERIFY(r.crc(2, 0b11, 0b111) < 4u);
        QCOMPARE(r.value(true), 1u);
        QCOMPARE(set.count(), 0);
        for (int width : {0, 32}) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("CRC width .* outside 1..31"));
            QCOMPARE(r.crc(width, 0xFF, 0x107), 0u);
        }
        QVERIFY(r.crc(31, 0, 0x80000001u) < 0x80000000u);
    }
};

QTEST_GUILESS_MAIN(TestRegisterFormat)
#include "tst_register_format.moc"
