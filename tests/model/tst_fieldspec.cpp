#include "fieldspec.h"

#include <QtTest>

class TestFieldSpec : public QObject
{
    Q_OBJECT

private slots:
    void scan_data()
    {
        QTest::addColumn<QByteArray>("expr");
        QTest::addColumn<QStringList>("parts");
        QTest::addColumn<QString>("flags"); // r range, b bracket, n named, v value, a allBits
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<quint32>("value");

        const auto row = [](const char *tag, const char *expr, const QStringList &parts,
                            const char *flags, int low = 0, int high = 0, quint32 value = 0) {
            QTest::newRow(tag) << QByteArray(expr) << parts << flags << low << high << value;
        };
        row("value", "SA[5]=0", {"SA", "5", "", "0", ""}, "bv", 5, 5);
        row("range+descr", "VSETPOINT[6:0]#Boost voltage",
            {"VSETPOINT", "6", "0", "", "Boost voltage"}, "rb", 0, 6);
        row("named", "BANK[SW1]", {"BANK", "SW1", "", "", ""}, "bn");
        row("no name", "[11:0]", {"", "11", "0", "", ""}, "rb", 0, 11);
        row("all bits", "SpiIn4B[]", {"SpiIn4B", "", "", "", ""}, "ba", 0, 10000);
        row("hex value", "PID1[8]=0x1F", {"PID1", "8", "", "0x1F", ""}, "bv", 8, 8, 31);
        row("no bracket", "EN#Boost enable", {"EN", "", "", "", "Boost enable"}, "");
        row("second colon dropped", "A[1:2:3]", {"A", "1", "23", "", ""}, "rb", 1, 23);
        row("second hash dropped", "X#a#b", {"X", "", "", "", "ab"}, "");
        row("reversed range", "[0:7]", {"", "0", "7", "", ""}, "rb", 0, 7);
        row("upper-case X is decimal", "A=0X1F", {"A", "", "", "0X1F", ""}, "v");
        row("underscore is not a letter", "R[_X]", {"R", "_X", "", "", ""}, "b");
        row("digits after sign", "R[-3:4x]", {"R", "-3", "4x", "", ""}, "rb", -3, 4);
        row("blanks are copied", " N [ 2 ] = 7 # d ", {" N ", " 2  ", "", " 7 ", " d "}, "bv", 2, 2,
            7);
        row("skipped parts empty", "N=3", {"N", "", "", "3", ""}, "v", 0, 0, 3);
        row("empty", "", {"", "", "", "", ""}, "");
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
        QVERIFY(spec.isValid());
        for (int i = 0; i < 5; ++i)
            QCOMPARE(QString::fromLatin1(spec.part(i)), parts.at(i));
        QCOMPARE(QString::fromLatin1(spec.name()), parts.at(0));
        QCOMPARE(QString::fromLatin1(spec.index()), parts.at(1));
        QCOMPARE(QString::fromLatin1(spec.description()), parts.at(4));
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
        QTest::addColumn<QByteArray>("expr");
        QTest::newRow("bracket after value") << QByteArray("A=5[3]");
        QTest::newRow("colon after hash") << QByteArray("X#note: more");
        QTest::newRow("bracket after range") << QByteArray("A[1:2[3]");
        QTest::newRow("equals after hash") << QByteArray("A#x=1");
    }

    void refused()
    {
        QFETCH(QByteArray, expr);
        FieldSpec spec;
        QTest::ignoreMessage(QtWarningMsg, qPrintable("ERROR parsing field " + expr));
        QVERIFY(!spec.set(expr.constData()));
        QVERIFY(!spec.isValid());
        QVERIFY(!spec.parse(expr.constData()));
    }

    void value_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<quint32>("value");
        QTest::newRow("decimal") << QByteArray("85") << 85u;
        QTest::newRow("blanks") << QByteArray("  42 ") << 42u;
        QTest::newRow("hex") << QByteArray("0xff") << 255u;
        QTest::newRow("hex max") << QByteArray("0xFFFFFFFF") << 4294967295u;
        QTest::newRow("hex too big") << QByteArray("0x100000000") << 0u;
        QTest::newRow("decimal max") << QByteArray("4294967295") << 4294967295u;
        QTest::newRow("decimal too big") << QByteArray("4294967296") << 0u;
        QTest::newRow("not a number") << QByteArray("abc") << 0u;
        QTest::newRow("negative") << QByteArray("-1") << 0u;
        QTest::newRow("trailing text") << QByteArray("12ab") << 0u;
        QTest::newRow("prefix only") << QByteArray("0x") << 0u;
    }

    void value()
    {
        QFETCH(QByteArray, text);
        QFETCH(quint32, value);
        FieldSpec spec;
        QVERIFY(spec.set(("N=" + text).constData()));
        QCOMPARE(spec.value(), value);
    }

    void parseKeepsBoundsSetResetsThem()
    {
        FieldSpec spec;
        QVERIFY(spec.set("A[3:9]=12"));
        QVERIFY(spec.parse("B"));
        QCOMPARE(spec.low(), 3);
        QCOMPARE(spec.high(), 9);
        QCOMPARE(spec.value(), 12u);
        QVERIFY(!spec.hasRange());
        QVERIFY(!spec.hasBracket());
        QVERIFY(!spec.hasValue());
        QCOMPARE(QString::fromLatin1(spec.name()), QStringLiteral("B"));

        QVERIFY(spec.set("R[]"));
        QVERIFY(spec.allBits());
        QVERIFY(spec.parse("R[2]"));
        QVERIFY(spec.allBits()); // parse keeps allBits
        QVERIFY(spec.set("R[2]"));
        QVERIFY(!spec.allBits());
        QCOMPARE(spec.low(), 2);
    }

    void scanStopsAfterLimit()
    {
        // Characters after the scan limit are not read, so a late separator does not refuse it.
        QByteArray expr(FieldSpec::MaxScanLength, 'a');
        expr += "=5[3]";
        FieldSpec spec;
        QVERIFY(spec.set(expr.constData()));
        QCOMPARE(qstrlen(spec.name()), uint(FieldSpec::MaxScanLength));
        QVERIFY(!spec.hasValue());
    }

    void longPartsGrow()
    {
        // Parts longer than any fixed buffer are kept whole.
        const QByteArray name(3000, 'N');
        const QByteArray description(5000, 'd');
        const QByteArray expr = name + "[7:0]=1#" + description;
        FieldSpec spec;
        QVERIFY(spec.set(expr.constData()));
        QCOMPARE(QByteArray(spec.name()), name);
        QCOMPARE(QByteArray(spec.description()), description);
        QCOMPARE(spec.high(), 7);
        QCOMPARE(spec.value(), 1u);
    }
};

QTEST_GUILESS_MAIN(TestFieldSpec)
#include "tst_fieldspec.moc"
