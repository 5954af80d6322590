#include "localclient.h"
#include "localserver.h"
#include "typedvalue.h"

#include <QtTest>

// The typed value text of the pipe protocol, in both directions.
class TestTypedValue : public QObject
{
    Q_OBJECT
private slots:
    void decode_data();
    void decode();
    void decodeLists_data();
    void decodeLists();
    void encode_data();
    void encode();
    void unsignedDiffersBetweenServerAndClient();
    void roundTrip_data();
    void roundTrip();
    void latin1StopsAtZero();
};

void TestTypedValue::decode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("i100 is a 32-bit int") << "i100" << QVariant(int(100));
    QTest::newRow("i-1 is 64-bit") << "i-1" << QVariant(qlonglong(-1));
    QTest::newRow("i2147483647 stays 32-bit") << "i2147483647" << QVariant(int(2147483647));
    QTest::newRow("i2147483648 is 64-bit") << "i2147483648" << QVariant(qlonglong(2147483648LL));
    QTest::newRow("i4294967295 is 64-bit") << "i4294967295" << QVariant(qlonglong(4294967295LL));
    QTest::newRow("i4294967296 is int 0") << "i4294967296" << QVariant(int(0));
    QTest::newRow("i-2147483648 is 64-bit") << "i-2147483648" << QVariant(qlonglong(-2147483648LL));
    QTest::newRow("iabc is int 0") << "iabc" << QVariant(int(0));
    QTest::newRow("i alone is int 0") << "i" << QVariant(int(0));
    QTest::newRow("f2.5") << "f2.5" << QVariant(2.5);
    QTest::newRow("f-1e-3") << "f-1e-3" << QVariant(-0.001);
    QTest::newRow("f alone is 0.0") << "f" << QVariant(0.0);
    QTest::newRow("fxyz is 0.0") << "fxyz" << QVariant(0.0);
    QTest::newRow("sHello") << "sHello" << QVariant(QStringLiteral("Hello"));
    QTest::newRow("s alone is the empty string") << "s" << QVariant(QString(""));
    QTest::newRow("s keeps tabs and blanks") << "s a\tb " << QVariant(QStringLiteral(" a\tb "));
    QTest::newRow("x0aFF") << "x0aFF" << QVariant(QByteArray("\x0a\xff", 2));
    QTest::newRow("x alone is no bytes") << "x" << QVariant(QByteArray());
    QTest::newRow("hello is no value") << "hello" << QVariant();
    QTest::newRow("empty is no value") << "" << QVariant();
    QTest::newRow("upper-case I is no value") << "I5" << QVariant();
    QTest::newRow("s# is a string") << "s#1" << QVariant(QStringLiteral("#1"));
    QTest::newRow("beyond Latin-1 is no value") << QString(QChar(0x20AC)) + "5" << QVariant();
}

void TestTypedValue::decode()
{
    QFETCH(QString, text);
    QFETCH(QVariant, expected);
    for (const QVariant &v : {LocalServer::textToVariant(text), LocalClient::decodeValue(text)}) {
        QCOMPARE(v.isValid(), expected.isValid());
        QCOMPARE(v.typeId(), expected.typeId());
        QCOMPARE(v, expected);
    }
}

void TestTypedValue::decodeLists_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariantList>("expected");
    QTest::newRow("i#1;2;3") << "i#1;2;3" << QVariantList{1, 2, 3};
    QTest::newRow("i# alone holds one 0") << "i#" << QVariantList{0};
    QTest::newRow("i#1;;2 empty item is 0") << "i#1;;2" << QVariantList{1, 0, 2};
    QTest::newRow("i#x;-4") << "i#x;-4" << QVariantList{0, -4};
    QTest::newRow("f#1;2") << "f#1;2" << QVariantList{1.0, 2.0};
    QTest::newRow("f#2.5;;x") << "f#2.5;;x" << QVariantList{2.5, 0.0, 0.0};
}

void TestTypedValue::decodeLists()
{
    QFETCH(QString, text);
    QFETCH(QVariantList, expected);
    const QVariant v = TypedValue::decode(text);
    QCOMPARE(v.typeId(), int(QMetaType::QVariantList));
    const QVariantList list = v.toList();
    QCOMPARE(list.size(), expected.size());
    for (int i = 0; i < list.size(); ++i) {
        QCOMPARE(list.at(i).typeId(), expected.at(i).typeId());
        QCOMPARE(list.at(i), expected.at(i));
    }
}

void TestTypedValue::encode_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("true") << QVariant(true) << "i1";
    QTest::newRow("false") << QVariant(false) << "i0";
    QTest::newRow("int") << QVariant(-42) << "i-42";
    QTest::newRow("uint") << QVariant(4294967295u) << "i4294967295";
    QTest::newRow("longlong") << QVariant(qlonglong(-5000000000LL)) << "i-5000000000";
    QTest::newRow("double 2.5") << QVariant(2.5) << "f2.5";
    QTest::newRow("double 100") << QVariant(100.0) << "f100";
    QTest::newRow("double 15 digits") << QVariant(1.0 / 3.0) << "f0.333333333333333";
    QTest::newRow("double tiny") << QVariant(1.5e-20) << "f1.5e-20";
    QTest::newRow("string") << QVariant(QStringLiteral("Hello")) << "sHello";
    QTest::newRow("empty string") << QVariant(QString()) << "s";
    QTest::newRow("string beyond Latin-1")
        << QVariant(QStringLiteral("a") + QChar(0x20AC) + "b") << "sa?b";
    QTest::newRow("string ends at zero")
        << QVariant(QStringLiteral("ab") + QChar(0) + "cd") << "sab";
    QTest::newRow("bytes") << QVariant(QByteArray("\x0a\xff", 2)) << "x0aff";
    QTest::newRow("empty bytes") << QVariant(QByteArray()) << "x";
    QTest::newRow("list int first") << QVariant(QVariantList{1, 2.5}) << "i#1;2.5";
    QTest::newRow("list double first") << QVariant(QVariantList{2.5, 1}) << "f#2.5;1";
    QTest::newRow("list doubles 15 digits") << QVariant(QVariantList{0.1 + 0.2}) << "f#0.3";
    QTest::newRow("list of strings")
        << QVariant(QVariantList{QStringLiteral("a"), QStringLiteral("b")}) << "a;b";
    QTest::newRow("list of bools") << QVariant(QVariantList{true, false}) << "true;false";
    QTest::newRow("empty list") << QVariant(QVariantList()) << "";
    QTest::newRow("invalid") << QVariant() << "";
    QTest::newRow("string list") << QVariant(QStringList{"a"}) << "";
    QTest::newRow("char") << QVariant(QChar('a')) << "";
    QTest::newRow("map") << QVariant(QVariantMap{{"a", 1}}) << "";
}

void TestTypedValue::encode()
{
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    QCOMPARE(LocalServer::variantToText(value), expected);
    QCOMPARE(LocalClient::encodeValue(value), expected);
}

void TestTypedValue::unsignedDiffersBetweenServerAndClient()
{
    const QVariant five(qulonglong(5));
    QCOMPARE(LocalServer::variantToText(five), QString());
    QCOMPARE(LocalClient::encodeValue(five), QStringLiteral("i5"));
}

void TestTypedValue::roundTrip_data()
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
    QTest::newRow("double list") << QVariant(QVariantList{0.5, 1e300})
                                 << QVariant(QVariantList{0.5, 1e300});
}

void TestTypedValue::roundTrip()
{
    QFETCH(QVariant, value);
    QFETCH(QVariant, back);
    const QVariant decoded = TypedValue::decode(TypedValue::encode(value));
    QCOMPARE(decoded.typeId(), back.typeId());
    QCOMPARE(decoded, back);
}

void TestTypedValue::latin1StopsAtZero()
{
    QCOMPARE(TypedValue::latin1UpToZero(QByteArray("get\tA\0junk", 10)), QStringLiteral("get\tA"));
    QCOMPARE(TypedValue::latin1UpToZero(QByteArray("\xe4", 1)), QString(QChar(0xe4)));
    QCOMPARE(TypedValue::latin1UpToZero(QByteArray()), QString());
}

QTEST_GUILESS_MAIN(TestTypedValue)
#include "tst_typedvalue.moc"
