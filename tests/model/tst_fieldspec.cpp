#include "fieldspec.h"
#include "../support/tablerows.h"

#include <QtTest>

class TestFieldSpec : public QObject
{
    Q_OBJECT

private slots:
    void scan_data()
    {
        // flags: r range, b bracket, n named, v value, a allBits
        addRows<QByteArray, QStringList, QString, int, int, quint32>(
            {"expr", "parts", "flags", "low", "high", "value"},
            {{"SA[5]=0", {"SA", "5", "", "0", ""}, "bv", 5, 5, 0},
             {"VSETPOINT[6:0]#Boost voltage", {"VSETPOINT", "6", "0", "", "Boost voltage"}, "rb",
              0, 6, 0},
             {"BANK[SW1]", {"BANK", "SW1", "", "", ""}, "bn", 0, 0, 0},
             {"SpiIn4B[]", {"SpiIn4B", "", "", "", ""}, "ba", 0, 10000, 0},
             {"PID1[8]=0x1F", {"PID1", "8", "", "0x1F", ""}, "bv", 8, 8, 31},
             {"A[1:2:3]", {"A", "1", "23", "", ""}, "rb", 1, 23, 0},
             {"X#a#b", {"X", "", "", "", "ab"}, "", 0, 0, 0},
             {"[0:7]", {"", "0", "7", "", ""}, "rb", 0, 7, 0},
             {"A=0X1F", {"A", "", "", "0X1F", ""}, "v", 0, 0, 0},
             {"R[_X]", {"R", "_X", "", "", ""}, "b", 0, 0, 0},
             {"R[-3:4x]", {"R", "-3", "4x", "", ""}, "rb", -3, 4, 0},
             {" N [ 2 ] = 7 # d ", {" N ", " 2  ", "", " 7 ", " d "}, "bv", 2, 2, 7},
             {"N=4294967295", {"N", "", "", "4294967295", ""}, "v", 0, 0, 4294967295u},
             {"N=0x100000000", {"N", "", "", "0x100000000", ""}, "v", 0, 0, 0},
             {"N=12ab", {"N", "", "", "12ab", ""}, "v", 0, 0, 0},
             {"", {"", "", "", "", ""}, "", 0, 0, 0}});
    }

    void scan()
    {
        QFETCH(QByteArray, expr);
        QFETCH(QStringList, parts);
        QFETCH(QString, flags);
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(quint32, value);
        FieldSpec spec;
        QVERIFY(spec.set(expr.constData()));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(QString::fromLatin1(spec.part(i)), parts.at(i));
        QCOMPARE(spec.hasRange(), flags.contains('r'));
        QCOMPARE(spec.hasBracket(), flags.contains('b'));
        QCOMPARE(spec.isNamed(), flags.contains('n'));
        QCOMPARE(spec.hasValue(), flags.contains('v'));
        QCOMPARE(spec.allBits(), flags.contains('a'));
        QCOMPARE(spec.low(), low);
        QCOMPARE(spec.high(), high);
        QCOMPARE(spec.value(), value);
    }

    void refused_data()
    {
        addRows<QByteArray>({"expr"}, {{"A=5[3]"}, {"X#note: more"}, {"A[1:2[3]"}, {"A#x=1"}});
    }

    void refused()
    {
        QFETCH(QByteArray, expr);
        FieldSpec spec;
        QTest::ignoreMessage(QtWarningMsg, qPrintable("ERROR parsing field " + expr));
        QVERIFY(!spec.set(expr.constData()));
        QVERIFY(!spec.isValid());
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
