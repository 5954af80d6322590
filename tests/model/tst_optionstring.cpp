#include "optionstring.h"

#include <QtTest>

#include <tuple>

class TestOptionString : public QObject
{
    Q_OBJECT
private slots:
    // Items of another shape are skipped; a later key replaces an earlier one.
    void parse()
    {
        for (auto [text, count, items] :
             {std::tuple{QString("type=3, angle = 90 ,mirrorX=TRUE"), 3,
                         QString("angle=90;mirrorX=TRUE;type=3;")},
              {"a=1,a=2", 2, "a=2;"}, {"a=1=2,flag,b=x", 1, "b=x;"}, {"a=,b= ", 2, "a=;b=;"},
              {",,=5,,", 1, "=5;"}, {"Key=1,key=2", 2, "Key=1;key=2;"},
              {"name= a b ", 1, "name=a b;"}}) {
            OptionString options("old=1", ",", "=");
            QCOMPARE(options.parse(text), count);
            QString got;
            for (const QString &key : options.keys())
                got += key + '=' + options.value(key).text() + ';';
            QCOMPARE(got, items);
        }
        OptionString other("mode::fast;;level::0x10;;bad:1", ";;", "::");
        QCOMPARE(other.keys(), (QStringList{"level", "mode"}));
        QCOMPARE(other.value("level").toInt(), 16);
    }

    // int: base 10 unless given; bool and double of the same text.
    void conversions()
    {
        for (auto [value, base, integer, boolean, real] :
             {std::tuple{QString("42"), 10, 42, true, 42.0}, {"-7", 10, -7, false, -7.0},
              {"", 10, 0, false, 0.0}, {"0xff", 2, 255, false, 0.0}, {"0b101", 10, 5, false, 0.0},
              {"0X1F", 10, 0, false, 0.0}, {"1F", 16, 31, false, 0.0}, {"17", 8, 15, true, 17.0},
              {"0b102", 10, 0, false, 0.0}, {"1.5", 10, 0, false, 1.5},
              {"-1e-3", 10, 0, false, -0.001}, {"99999999999", 10, 0, false, 99999999999.0},
              {"TrUe", 10, 0, true, 0.0}, {"on", 10, 0, false, 0.0}, {"0", 10, 0, false, 0.0},
              {"1x", 10, 0, false, 0.0}}) {
            OptionString options("k=" + value);
            QCOMPARE(options.value("k").toInt(base), integer);
            QCOMPARE(options.toBool(), boolean);
            QCOMPARE(options.toDouble(), real);
        }
    }

    void getters()
    {
        OptionString options("b=TRUE,i=0x10,d=2.5,s= text ,x=de ad");
        bool b = false;
        quint32 u = 1;
        double d = 0;
        QString s;
        QByteArray x;
        QVERIFY(options.getBool("b", &b) && options.getInt("i", &u) && options.getDouble("d", &d));
        QVERIFY(options.getString("s", &s) && options.getBytes("x", &x));
        QVERIFY(b);
        QCOMPARE(u, 16u);
        QCOMPARE(d, 2.5);
        QCOMPARE(s, QString("text"));
        QCOMPARE(x, QByteArray("\xde\xad")); // blanks removed
        QVERIFY(options.getInt("i")); // without an output the value is still selected
        QCOMPARE(options.text(), QString("0x10"));
        // Absent keys change nothing; the current text stays the previously selected value.
        int i = 9;
        QString keep("keep");
        QVERIFY(!options.getInt("none", &i) && !options.getString("none", &keep));
        QVERIFY(!options.getBool("none", &b));
        QCOMPARE(i, 9);
        QCOMPARE(keep, QString("keep"));
        QVERIFY(b);
        QCOMPARE(options.text(), QString("0x10"));
        OptionString fresh("flag=1,name=abc");
        QCOMPARE(fresh.value("missing").text(), QString("flag=1,name=abc"));
    }
};

QTEST_GUILESS_MAIN(TestOptionString)
#include "tst_optionstring.moc"
