#include "fieldspec.h"

#include <QtTest>

#include <tuple>

class TestFieldSpec : public QObject
{
    Q_OBJECT

private slots:
    // The five parts, the flags (r range, b bracket, n named, v value, a allBits) and numbers.
    void scan()
    {
        for (auto [expr, parts, flags, low, high, value] :
             {std::tuple{QByteArray("SA[5]=0"), QString("SA|5||0|"), QString("bv"), 5, 5, 0u},
              {"VSETPOINT[6:0]#Boost voltage", "VSETPOINT|6|0||Boost voltage", "rb", 0, 6, 0u},
              {"BANK[SW1]", "BANK|SW1|||", "bn", 0, 0, 0u}, {"R[Zone]", "R|Zone|||", "bn", 0, 0, 0u},
              {"SpiIn4B[]", "SpiIn4B||||", "ba", 0, 10000, 0u}, {"[0:7]", "|0|7||", "rb", 0, 7, 0u},
              {"PID1[8]=0x1F", "PID1|8||0x1F|", "bv", 8, 8, 31u}, {"X#a#b", "X||||ab", "", 0, 0, 0u},
              {"A[1:2:3]", "A|1|23||", "rb", 1, 23, 0u}, {"A=0X1F", "A|||0X1F|", "v", 0, 0, 0u},
              {"R[_X]", "R|_X|||", "b", 0, 0, 0u}, {"R[-3:4x]", "R|-3|4x||", "rb", -3, 4, 0u},
              {" N [ 2 ] = 7 # d ", " N | 2  || 7 | d ", "bv", 2, 2, 7u},
              {"N=4294967295", "N|||4294967295|", "v", 0, 0, 4294967295u},
              {"N=0x100000000", "N|||0x100000000|", "v", 0, 0, 0u},
              {"N=12ab", "N|||12ab|", "v", 0, 0, 0u},
              {"", "||||", "", 0, 0, 0u}}) {
            FieldSpec spec;
            QVERIFY(spec.set(expr.constData()));
            QStringList got;
            for (int i = 0; i < 5; ++i)
                got << QString::fromLatin1(spec.part(i));
            QCOMPARE(got.join('|'), parts);
            QString gotFlags;
            for (auto [flag, set] : {std::pair{'r', spec.hasRange()}, {'b', spec.hasBracket()},
                                     {'n', spec.isNamed()}, {'v', spec.hasValue()},
                                     {'a', spec.allBits()}})
                gotFlags += set ? QString(flag) : QString();
            QCOMPARE(gotFlags, flags);
            QCOMPARE(spec.low(), low);
            QCOMPARE(spec.high(), high);
            QCOMPARE(spec.value(), value);
        }
    }

    // Separators out of order refuse the expression with a warning.
    void refused()
    {
        for (const char *expr : {"A=5[3]", "X#note: more", "A[1:2[3]", "A#x=1"}) {
            FieldSpec spec;
            QTest::ignoreMessage(QtWarningMsg, qPrintable(QString("ERROR parsing field ") + expr));
            QVERIFY(!spec.set(expr));
            QVERIFY(!spec.isValid());
        }
    }

    void parseKeepsBoundsSetResetsThem()
    {
        FieldSpec spec;
        QVERIFY(spec.set("A[3:9]=12"));
        QVERIFY(spec.parse("B"));
        QCOMPARE(spec.low(), 3);
        QCOMPARE(spec.value(), 12u);
        QVERIFY(!spec.hasValue());
        QVERIFY(spec.set("R[]"));
        QVERIFY(spec.parse("R[2]"));
        QVERIFY(spec.allBits()); // parse keeps allBits
        QVERIFY(spec.set("R[2]"));
        QVERIFY(!spec.allBits());
    }

    void limitsAndLongParts()
    {
        // Characters after the scan limit are not read, so a late separator does not refuse it.
        QByteArray expr(FieldSpec::MaxScanLength, 'a');
        FieldSpec spec;
        QVERIFY(spec.set((expr + "=5[3]").constData()));
        QCOMPARE(qstrlen(spec.name()), uint(FieldSpec::MaxScanLength));
        QVERIFY(!spec.hasValue());
        // Parts longer than any fixed buffer are kept whole.
        const QByteArray name(3000, 'N');
        const QByteArray description(5000, 'd');
        QVERIFY(spec.set((name + "[7:0]=1#" + description).constData()));
        QCOMPARE(QByteArray(spec.name()), name);
        QCOMPARE(QByteArray(spec.description()), description);
    }
};

QTEST_GUILESS_MAIN(TestFieldSpec)
#include "tst_fieldspec.moc"
