#include "optionstring.h"
#include "../support/tablerows.h"

#include <QtTest>

class TestOptionString : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        addRows<QString, int, QStringList, QStringList>(
            {"text", "count", "keys", "values"},
            {{"type=3, angle = 90 ,mirrorX=TRUE", 3, {"angle", "mirrorX", "type"},
              {"90", "TRUE", "3"}},
             {"a=1,a=2", 2, {"a"}, {"2"}},
             {"a=1=2,flag,b=x", 1, {"b"}, {"x"}},
             {"a=,b= ", 2, {"a", "b"}, {"", ""}},
             {",,=5,,", 1, {""}, {"5"}},
             {"Key=1,key=2", 2, {"Key", "key"}, {"1", "2"}},
             {"name= a b ", 1, {"name"}, {"a b"}}});
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, values);
        OptionString options("old=1", ",", "=");
        QCOMPARE(options.parse(text), count);
        QCOMPARE(options.keys(), keys);
        for (int i = 0; i < keys.size(); ++i)
            QCOMPARE(options.value(keys.at(i)).text(), values.at(i));
    }

    void otherSeparatorsAndCursor()
    {
        OptionString other("mode::fast;;level::0x10;;bad:1", ";;", "::");
        QCOMPARE(other.keys(), (QStringList{"level", "mode"}));
        QCOMPARE(other.value("level").toInt(), 16);

        OptionString options("flag=1,name=abc");
        // An absent key leaves the whole text current, later the previously selected value.
        QCOMPARE(options.value("missing").text(), QString("flag=1,name=abc"));
        QVERIFY(options.value("flag").toBool());
        QVERIFY(options.value("missing").toBool());
    }

    void conversions_data()
    {
        // int: base 10 unless given; bool and double of the same text.
        addRows<QString, int, int, bool, double>({"value", "base", "integer", "boolean", "real"},
                                                 {{"42", 10, 42, true, 42.0},
                                                  {"-7", 10, -7, false, -7.0},
                                                  {"", 10, 0, false, 0.0},
                                                  {"0xff", 2, 255, false, 0.0},
                                                  {"0b101", 10, 5, false, 0.0},
                                                  {"0X1F", 10, 0, false, 0.0},
                                                  {"1F", 16, 31, false, 0.0},
                                                  {"17", 8, 15, true, 17.0},
                                                  {"0b102", 10, 0, false, 0.0},
                                                  {"1.5", 10, 0, false, 1.5},
                                                  {"-1e-3", 10, 0, false, -0.001},
                                                  {"99999999999", 10, 0, false, 99999999999.0},
                                                  {"TrUe", 10, 0, true, 0.0},
                                                  {"on", 10, 0, false, 0.0},
                                                  {"0", 10, 0, false, 0.0},
                                                  {"1x", 10, 0, false, 0.0}});
    }

    void conversions()
    {
        QFETCH(QString, value);
        QFETCH(int, base);
        QFETCH(int, integer);
        QFETCH(bool, boolean);
        QFETCH(double, real);
        OptionString options("k=" + value);
        QCOMPARE(options.value("k").toInt(base), integer);
        QCOMPARE(options.toBool(), boolean);
        QCOMPARE(options.toDouble(), real);
    }

    void getters()
    {
        OptionString options("b=TRUE,i=0x10,d=2.5,s= text ,x=de ad");
        bool b = false;
        QVERIFY(options.getBool("b", &b));
        QVERIFY(b);
        quint32 u = 1;
        QVERIFY(options.getInt("i", &u));
        QCOMPARE(u, 16u);
        double d = 0;
        QVERIFY(options.getDouble("d", &d));
        QCOMPARE(d, 2.5);
        QString s;
        QVERIFY(options.getString("s", &s));
        QCOMPARE(s, QString("text"));
        QByteArray x;
        QVERIFY(options.getBytes("x", &x)); // blanks removed
        QCOMPARE(x, QByteArray("\xde\xad"));
        QVERIFY(options.getInt("i")); // without an output the value is still selected
        QCOMPARE(options.text(), QString("0x10"));

        // Absent keys change nothing.
        int i = 9;
        QString keep("keep");
        QVERIFY(!options.getInt("none", &i));
        QVERIFY(!options.getString("none", &keep));
        QVERIFY(!options.getBool("none", &b));
        QCOMPARE(i, 9);
        QCOMPARE(keep, QString("keep"));
        QVERIFY(b);
        QCOMPARE(options.text(), QString("0x10"));
    }
};

QTEST_GUILESS_MAIN(TestOptionString)
#include "tst_optionstring.moc"
