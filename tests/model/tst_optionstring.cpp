#include "optionstring.h"

#include <QtTest>

class TestOptionString : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("values");

        QTest::newRow("switch options")
            << "type=3, angle = 90 ,mirrorX=TRUE" << 3 << QStringList{"angle", "mirrorX", "type"}
            << QStringList{"90", "TRUE", "3"};
        QTest::newRow("duplicate key") << "a=1,a=2" << 2 << QStringList{"a"} << QStringList{"2"};
        QTest::newRow("three parts and bare word skipped")
            << "a=1=2,flag,b=x" << 1 << QStringList{"b"} << QStringList{"x"};
        QTest::newRow("empty value")
            << "a=,b= " << 2 << QStringList{"a", "b"} << QStringList{"", ""};
        QTest::newRow("empty key") << "=5" << 1 << QStringList{""} << QStringList{"5"};
        QTest::newRow("empty items") << ",,a=1,," << 1 << QStringList{"a"} << QStringList{"1"};
        QTest::newRow("empty text") << "" << 0 << QStringList{} << QStringList{};
        QTest::newRow("keys are case-sensitive")
            << "Key=1,key=2" << 2 << QStringList{"Key", "key"} << QStringList{"1", "2"};
        QTest::newRow("blanks inside value kept")
            << "name= a b " << 1 << QStringList{"name"} << QStringList{"a b"};
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, values);

        OptionString options(QString(), ",", "=");
        QCOMPARE(options.parse(text), count);
        QCOMPARE(options.keys(), keys);
        QCOMPARE(options.text(), text);
        for (int i = 0; i < keys.size(); ++i) {
            QVERIFY(options.contains(keys.at(i)));
            QCOMPARE(options.value(keys.at(i)).text(), values.at(i));
        }
    }

    void reparseAndOtherSeparators()
    {
        OptionString options("a=1,b=2");
        QCOMPARE(options.parse("c=3"), 1);
        QVERIFY(!options.contains("a"));
        QCOMPARE(options.keys(), QStringList{"c"});
        QCOMPARE(options.text(), QString("c=3"));

        OptionString other("mode::fast;;level::0x10;;bad:1", ";;", "::");
        QCOMPARE(other.keys(), (QStringList{"level", "mode"}));
        QCOMPARE(other.value("level").toInt(), 16);
        QCOMPARE(other.value("mode").text(), QString("fast"));
    }

    void valueSelectsLikeACursor()
    {
        OptionString options("flag=1,name=abc");
        // An absent key leaves the whole option text current.
        QCOMPARE(options.value("missing").text(), QString("flag=1,name=abc"));
        QVERIFY(!options.toBool());
        QVERIFY(options.value("flag").toBool());
        // An absent key now leaves the previously selected value current.
        QVERIFY(options.value("missing").toBool());
        QCOMPARE(options.text(), QString("1"));
        QCOMPARE(options.value("name").text(), QString("abc"));
    }

    void toInt_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("base");
        QTest::addColumn<int>("expected");

        QTest::newRow("decimal") << "42" << 10 << 42;
        QTest::newRow("negative") << "-7" << 10 << -7;
        QTest::newRow("empty") << "" << 10 << 0;
        QTest::newRow("hex prefix") << "0x1F" << 10 << 31;
        QTest::newRow("hex prefix any base") << "0xff" << 2 << 255;
        QTest::newRow("binary prefix") << "0b101" << 10 << 5;
        QTest::newRow("upper X is no prefix") << "0X1F" << 10 << 0;
        QTest::newRow("base 16 without prefix") << "1F" << 16 << 31;
        QTest::newRow("base 8") << "17" << 8 << 15;
        QTest::newRow("not a number") << "abc" << 10 << 0;
        QTest::newRow("bad hex") << "0xZZ" << 10 << 0;
        QTest::newRow("bad binary") << "0b102" << 10 << 0;
        QTest::newRow("real text") << "1.5" << 10 << 0;
        QTest::newRow("too large") << "99999999999" << 10 << 0;
    }

    void toInt()
    {
        QFETCH(QString, value);
        QFETCH(int, base);
        QFETCH(int, expected);
        OptionString options("k=" + value);
        QCOMPARE(options.value("k").toInt(base), expected);
    }

    void toBool_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("expected");

        QTest::newRow("1") << "1" << true;
        QTest::newRow("42") << "42" << true;
        QTest::newRow("0") << "0" << false;
        QTest::newRow("TRUE") << "TRUE" << true;
        QTest::newRow("true") << "true" << true;
        QTest::newRow("TrUe") << "TrUe" << true;
        QTest::newRow("FALSE") << "FALSE" << false;
        QTest::newRow("on") << "on" << false;
        QTest::newRow("yes") << "yes" << false;
        QTest::newRow("-1") << "-1" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("digit then text") << "1x" << false;
    }

    void toBool()
    {
        QFETCH(QString, value);
        QFETCH(bool, expected);
        OptionString options("k=" + value);
        QCOMPARE(options.value("k").toBool(), expected);
    }

    void toDouble_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain") << "2.5" << 2.5;
        QTest::newRow("exponent") << "-1e-3" << -0.001;
        QTest::newRow("integer") << "90" << 90.0;
        QTest::newRow("not a number") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
    }

    void toDouble()
    {
        QFETCH(QString, value);
        QFETCH(double, expected);
        OptionString options("k=" + value);
        QCOMPARE(options.value("k").toDouble(), expected);
    }

    void toBytesRemovesBlanks()
    {
        OptionString options("data=01 ff 10");
        QCOMPARE(options.value("data").toBytes(), QByteArray("\x01\xff\x10", 3));
        QCOMPARE(options.text(), QString("01ff10"));

        OptionString empty("data=");
        QVERIFY(empty.value("data").toBytes().isEmpty());
    }

    void gettersOnPresentKeys()
    {
        OptionString options("b=TRUE,i=0x10,u=4000000000,d=2.5,s= text ,x=de ad");
        bool b = false;
        QVERIFY(options.getBool("b", &b));
        QVERIFY(b);
        int i = 0;
        QVERIFY(options.getInt("i", &i));
        QCOMPARE(i, 16);
        quint32 u = 1;
        QVERIFY(options.getInt("i", &u));
        QCOMPARE(u, 16u);
        QVERIFY(options.getInt("u", &u)); // same conversion as the signed form
        QCOMPARE(u, 0u);
        double d = 0;
        QVERIFY(options.getDouble("d", &d));
        QCOMPARE(d, 2.5);
        QString s;
        QVERIFY(options.getString("s", &s));
        QCOMPARE(s, QString("text"));
        QByteArray x;
        QVERIFY(options.getBytes("x", &x));
        QCOMPARE(x, QByteArray("\xde\xad"));
        QCOMPARE(options.text(), QString("dead"));

        // Without an output the getters still select the value.
        QVERIFY(options.getInt("i"));
        QCOMPARE(options.text(), QString("0x10"));
        QVERIFY(options.getBool("b"));
        QCOMPARE(options.text(), QString("TRUE"));
        QVERIFY(options.getDouble("d"));
        QCOMPARE(options.text(), QString("2.5"));
        QVERIFY(options.getBytes("x"));
        QCOMPARE(options.text(), QString("dead"));
    }

    void gettersOnAbsentKeysChangeNothing()
    {
        OptionString options("a=5");
        QVERIFY(options.getString("a"));
        bool b = true;
        int i = 9;
        quint32 u = 9;
        double d = 9;
        QString s("keep");
        QByteArray x("keep");
        QVERIFY(!options.getBool("none", &b));
        QVERIFY(!options.getInt("none", &i));
        QVERIFY(!options.getInt("none", &u));
        QVERIFY(!options.getDouble("none", &d));
        QVERIFY(!options.getString("none", &s));
        QVERIFY(!options.getBytes("none", &x));
        QVERIFY(b);
        QCOMPARE(i, 9);
        QCOMPARE(u, 9u);
        QCOMPARE(d, 9.0);
        QCOMPARE(s, QString("keep"));
        QCOMPARE(x, QByteArray("keep"));
        QCOMPARE(options.text(), QString("5"));
    }
};

QTEST_GUILESS_MAIN(TestOptionString)
#include "tst_optionstring.moc"
