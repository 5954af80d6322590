#include "fieldspec.h"

#include <QtTest>

class TestFieldSpec : public QObject
{
    Q_OBJECT

private slots:
    void scan_data();
    void scan();
    void refused_data();
    void refused();
    void value_data();
    void value();
    void parseKeepsBoundsSetResetsThem();
    void scanStopsAfterLimit();
    void longPartsGrow();
};

void TestFieldSpec::scan_data()
{
    QTest::addColumn<QByteArray>("expr");
    QTest::addColumn<QStringList>("parts");
    QTest::addColumn<QString>("flags"); // r range, b bracket, n named, v value, a allBits
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::addColumn<quint32>("value");

    using L = QStringList;
    QTest::newRow("value") << QByteArray("SA[5]=0") << L{"SA", "5", "", "0", ""} << "bv" << 5 << 5
                           << 0u;
    QTest::newRow("range+descr") << QByteArray("VSETPOINT[6:0]#Boost voltage")
                                 << L{"VSETPOINT", "6", "0", "", "Boost voltage"} << "rb" << 0 << 6
                                 << 0u;
    QTest::newRow("named") << QByteArray("BANK[SW1]") << L{"BANK", "SW1", "", "", ""} << "bn" << 0
                           << 0 << 0u;
    QTest::newRow("no name") << QByteArray("[11:0]") << L{"", "11", "0", "", ""} << "rb" << 0 << 11
                             << 0u;
    QTest::newRow("all bits") << QByteArray("SpiIn4B[]") << L{"SpiIn4B", "", "", "", ""} << "ba"
                              << 0 << 10000 << 0u;
    QTest::newRow("hex value") << QByteArray("PID1[8]=0x1F") << L{"PID1", "8", "", "0x1F", ""}
                               << "bv" << 8 << 8 << 31u;
    QTest::newRow("no bracket") << QByteArray("EN#Boost enable")
                                << L{"EN", "", "", "", "Boost enable"} << "" << 0 << 0 << 0u;
    QTest::newRow("second colon dropped")
        << QByteArray("A[1:2:3]") << L{"A", "1", "23", "", ""} << "rb" << 1 << 23 << 0u;
    QTest::newRow("second hash dropped")
        << QByteArray("X#a#b") << L{"X", "", "", "", "ab"} << "" << 0 << 0 << 0u;
    QTest::newRow("reversed range")
        << QByteArray("[0:7]") << L{"", "0", "7", "", ""} << "rb" << 0 << 7 << 0u;
    QTest::newRow("upper-case X is decimal")
        << QByteArray("A=0X1F") << L{"A", "", "", "0X1F", ""} << "v" << 0 << 0 << 0u;
    QTest::newRow("underscore is not a letter")
        << QByteArray("R[_X]") << L{"R", "_X", "", "", ""} << "b" << 0 << 0 << 0u;
    QTest::newRow("digits after sign")
        << QByteArray("R[-3:4x]") << L{"R", "-3", "4x", "", ""} << "rb" << -3 << 4 << 0u;
    QTest::newRow("blanks are copied")
        << QByteArray(" N [ 2 ] = 7 # d ") << L{" N ", " 2  ", "", " 7 ", " d "} << "bv" << 2 << 2
        << 7u;
    QTest::newRow("skipped parts empty")
        << QByteArray("N=3") << L{"N", "", "", "3", ""} << "v" << 0 << 0 << 3u;
    QTest::newRow("empty") << QByteArray("") << L{"", "", "", "", ""} << "" << 0 << 0 << 0u;
}

void TestFieldSpec::scan()
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

void TestFieldSpec::refused_data()
{
    QTest::addColumn<QByteArray>("expr");
    QTest::newRow("bracket after value") << QByteArray("A=5[3]");
    QTest::newRow("colon after hash") << QByteArray("X#note: more");
    QTest::newRow("bracket after range") << QByteArray("A[1:2[3]");
    QTest::newRow("equals after hash") << QByteArray("A#x=1");
}

void TestFieldSpec::refused()
{
    QFETCH(QByteArray, expr);
    FieldSpec spec;
    QTest::ignoreMessage(QtWarningMsg, qPrintable("ERROR parsing field " + expr));
    QVERIFY(!spec.set(expr.constData()));
    QVERIFY(!spec.isValid());
    QVERIFY(!spec.parse(expr.constData()));
}

void TestFieldSpec::value_data()
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

void TestFieldSpec::value()
{
    QFETCH(QByteArray, text);
    QFETCH(quint32, value);
    FieldSpec spec;
    QVERIFY(spec.set(("N=" + text).constData()));
    QCOMPARE(spec.value(), value);
}

void TestFieldSpec::parseKeepsBoundsSetResetsThem()
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

void TestFieldSpec::scanStopsAfterLimit()
{
    // Characters after the scan limit are not read, so a late separator does not refuse it.
    QByteArray expr(FieldSpec::MaxScanLength, 'a');
    expr += "=5[3]";
    FieldSpec spec;
    QVERIFY(spec.set(expr.constData()));
    QCOMPARE(qstrlen(spec.name()), uint(FieldSpec::MaxScanLength));
    QVERIFY(!spec.hasValue());
}

void TestFieldSpec::longPartsGrow()
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

QTEST_GUILESS_MAIN(TestFieldSpec)
#include "tst_fieldspec.moc"
