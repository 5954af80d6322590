#include "bytetext.h"
#include "localclient.h"
#include "localserver.h"
#include "typedvalue.h"

#include <QtTest>

// The typed value text of the pipe protocol, in both directions.
class TestTypedValue : public QObject
{
    Q_OBJECT
private slots:
    void decode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("i100 is a 32-bit int") << QString("i100") << QVariant(int(100));
        QTest::newRow("i-1 is 64-bit") << QString("i-1") << QVariant(qlonglong(-1));
        QTest::newRow("i2147483647 stays 32-bit")
            << QString("i2147483647") << QVariant(int(2147483647));
        QTest::newRow("i2147483648 is 64-bit")
            << QString("i2147483648") << QVariant(qlonglong(2147483648LL));
        QTest::newRow("i4294967295 is 64-bit")
            << QString("i4294967295") << QVariant(qlonglong(4294967295LL));
        QTest::newRow("i4294967296 is int 0") << QString("i4294967296") << QVariant(int(0));
        QTest::newRow("i-2147483648 is 64-bit")
            << QString("i-2147483648") << QVariant(qlonglong(-2147483648LL));
        QTest::newRow("iabc is int 0") << QString("iabc") << QVariant(int(0));
        QTest::newRow("i alone is int 0") << QString("i") << QVariant(int(0));
        QTest::newRow("f2.5") << QString("f2.5") << QVariant(2.5);
        QTest::newRow("f-1e-3") << QString("f-1e-3") << QVariant(-0.001);
        QTest::newRow("f alone is 0.0") << QString("f") << QVariant(0.0);
        QTest::newRow("fxyz is 0.0") << QString("fxyz") << QVariant(0.0);
        QTest::newRow("sHello") << QString("sHello") << QVariant(QStringLiteral("Hello"));
        QTest::newRow("s alone is the empty string") << QString("s") << QVariant(QString(""));
        QTest::newRow("s keeps tabs and blanks")
            << QString("s a\tb ") << QVariant(QStringLiteral(" a\tb "));
        QTest::newRow("x0aFF") << QString("x0aFF") << QVariant(QByteArray("\x0a\xff", 2));
        QTest::newRow("x alone is no bytes") << QString("x") << QVariant(QByteArray());
        QTest::newRow("hello is no value") << QString("hello") << QVariant();
        QTest::newRow("empty is no value") << QString("") << QVariant();
        QTest::newRow("upper-case I is no value") << QString("I5") << QVariant();
        QTest::newRow("s# is a string") << QString("s#1") << QVariant(QStringLiteral("#1"));
        QTest::newRow("beyond Latin-1 is no value") << QString(QChar(0x20AC)) + "5" << QVariant();
        const auto list = [](const QVariantList &items) { return QVariant(items); };
        QTest::newRow("i#1;2;3") << QString("i#1;2;3") << list({1, 2, 3});
        QTest::newRow("i# alone holds one 0") << QString("i#") << list({0});
        QTest::newRow("i#1;;2 empty item is 0") << QString("i#1;;2") << list({1, 0, 2});
        QTest::newRow("i#x;-4") << QString("i#x;-4") << list({0, -4});
        QTest::newRow("f#1;2") << QString("f#1;2") << list({1.0, 2.0});
        QTest::newRow("f#2.5;;x") << QString("f#2.5;;x") << list({2.5, 0.0, 0.0});
    }

    void decode()
    {
        QFETCH(QString, text);
        QFETCH(QVariant, expected);
        for (const QVariant &v :
             {LocalServer::textToVariant(text), LocalClient::decodeValue(text)}) {
            QCOMPARE(v.isValid(), expected.isValid());
            QCOMPARE(v.typeId(), expected.typeId());
            QCOMPARE(v, expected);
            for (int i = 0; i < expected.toList().size(); ++i) // list items keep their types
                QCOMPARE(v.toList().at(i).typeId(), expected.toList().at(i).typeId());
        }
    }

    void encode_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("true") << QVariant(true) << QString("i1");
        QTest::newRow("false") << QVariant(false) << QString("i0");
        QTest::newRow("int") << QVariant(-42) << QString("i-42");
        QTest::newRow("uint") << QVariant(4294967295u) << QString("i4294967295");
        QTest::newRow("longlong") << QVariant(qlonglong(-5000000000LL)) << QString("i-5000000000");
        QTest::newRow("double 2.5") << QVariant(2.5) << QString("f2.5");
        QTest::newRow("double 100") << QVariant(100.0) << QString("f100");
        QTest::newRow("double 15 digits") << QVariant(1.0 / 3.0) << QString("f0.333333333333333");
        QTest::newRow("double tiny") << QVariant(1.5e-20) << QString("f1.5e-20");
        QTest::newRow("string") << QVariant(QStringLiteral("Hello")) << QString("sHello");
        QTest::newRow("empty string") << QVariant(QString()) << QString("s");
        QTest::newRow("string beyond Latin-1")
            << QVariant(QStringLiteral("a") + QChar(0x20AC) + "b") << QString("sa?b");
        QTest::newRow("string ends at zero")
            << QVariant(QStringLiteral("ab") + QChar(0) + "cd") << QString("sab");
        QTest::newRow("bytes") << QVariant(QByteArray("\x0a\xff", 2)) << QString("x0aff");
        QTest::newRow("empty bytes") << QVariant(QByteArray()) << QString("x");
        QTest::newRow("list int first") << QVariant(QVariantList{1, 2.5}) << QString("i#1;2.5");
        QTest::newRow("list double first") << QVariant(QVariantList{2.5, 1}) << QString("f#2.5;1");
        QTest::newRow("list doubles 15 digits")
            << QVariant(QVariantList{0.1 + 0.2}) << QString("f#0.3");
        QTest::newRow("list of strings")
            << QVariant(QVariantList{QStringLiteral("a"), QStringLiteral("b")}) << QString("a;b");
        QTest::newRow("list of bools")
            << QVariant(QVariantList{true, false}) << QString("true;false");
        QTest::newRow("empty list") << QVariant(QVariantList()) << QString("");
        QTest::newRow("invalid") << QVariant() << QString("");
        QTest::newRow("string list") << QVariant(QStringList{"a"}) << QString("");
        QTest::newRow("char") << QVariant(QChar('a')) << QString("");
        QTest::newRow("map") << QVariant(QVariantMap{{"a", 1}}) << QString("");
    }

    void encode()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        QCOMPARE(LocalServer::variantToText(value), expected);
        QCOMPARE(LocalClient::encodeValue(value), expected);
    }

    void unsignedDiffersBetweenServerAndClient()
    {
        const QVariant five(qulonglong(5));
        QCOMPARE(LocalServer::variantToText(five), QString());
        QCOMPARE(LocalClient::encodeValue(five), QStringLiteral("i5"));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("back");
        QTest::newRow("int min") << QVariant(int(-2147483647 - 1))
                                 << QVariant(qlonglong(-2147483648LL));
        QTest::newRow("int 0") << QVariant(0) << QVariant(0);
        QTest::newRow("uint max") << QVariant(4294967295u) << QVariant(qlonglong(4294967295LL));
        QTest::newRow("bool") << QVariant(true) << QVariant(1);
        QTest::newRow("double") << QVariant(123456.789012345) << QVariant(123456.789012345);
        QTest::newRow("latin1") << QVariant(QStringLiteral("\u00e4\u00f6 x"))
                                << QVariant(QStringLiteral("\u00e4\u00f6 x"));
        QTest::newRow("bytes") << QVariant(QByteArray("\0\1\2", 3))
                               << QVariant(QByteArray("\0\1\2", 3));
        QTest::newRow("int list") << QVariant(QVariantList{5, -6}) << QVariant(QVariantList{5, -6});
        QTest::newRow("double list")
            << QVariant(QVariantList{0.5, 1e300}) << QVariant(QVariantList{0.5, 1e300});
    }

    void roundTrip()
    {
        QFETCH(QVariant, value);
        QFETCH(QVariant, back);
        const QVariant decoded = TypedValue::decode(TypedValue::encode(value));
        QCOMPARE(decoded.typeId(), back.typeId());
        QCOMPARE(decoded, back);
    }

    void latin1StopsAtZero()
    {
        QCOMPARE(latin1UpToZero(QByteArray("get\tA\0junk", 10)),
                 QStringLiteral("get\tA"));
        QCOMPARE(latin1UpToZero(QByteArray("\xe4", 1)), QString(QChar(0xe4)));
        QCOMPARE(latin1UpToZero(QByteArray()), QString());
    }
};

QTEST_GUILESS_MAIN(TestTypedValue)
#include "tst_typedvalue.moc"
