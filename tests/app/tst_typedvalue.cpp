#include "bytetext.h"
#include "localclient.h"
#include "localserver.h"
#include "tablerows.h"
#include "typedvalue.h"

#include <QtTest>

// The typed value text of the pipe protocol, in both directions.
class TestTypedValue : public QObject
{
    Q_OBJECT
private slots:
    void decode_data()
    {
        using L = QVariantList;
        addRows<QString, QVariant>({"text", "expected"},
                                   {{"i100", int(100)},
                                    {"i-1", qlonglong(-1)},
                                    {"i2147483647", int(2147483647)},
                                    {"i2147483648", qlonglong(2147483648LL)},
                                    {"i4294967296", int(0)},
                                    {"iabc", int(0)},
                                    {"f-1e-3", -0.001},
                                    {"fxyz", 0.0},
                                    {"s", QString("")},
                                    {"s a\tb ", QStringLiteral(" a\tb ")},
                                    {"x0aFF", QByteArray("\x0a\xff", 2)},
                                    {"hello", QVariant()},
                                    {"I5", QVariant()},
                                    {"s#1", QStringLiteral("#1")},
                                    {QString(QChar(0x20AC)) + "5", QVariant()},
                                    {"i#1;;2", L{1, 0, 2}},
                                    {"i#", L{0}},
                                    {"i#x;-4", L{0, -4}},
                                    {"f#2.5;;x", L{2.5, 0.0, 0.0}}});
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
        using L = QVariantList;
        addRows<QVariant, QString>({"value", "expected"},
                                   {{false, "i0"},
                                    {4294967295u, "i4294967295"},
                                    {qlonglong(-5000000000LL), "i-5000000000"},
                                    {100.0, "f100"},
                                    {1.0 / 3.0, "f0.333333333333333"},
                                    {1.5e-20, "f1.5e-20"},
                                    {QString(), "s"},
                                    {QStringLiteral("a") + QChar(0x20AC) + "b", "sa?b"},
                                    {QStringLiteral("ab") + QChar(0) + "cd", "sab"},
                                    {QByteArray("\x0a\xff", 2), "x0aff"},
                                    {L{1, 2.5}, "i#1;2.5"},
                                    {L{2.5, 1}, "f#2.5;1"},
                                    {L{0.1 + 0.2}, "f#0.3"},
                                    {L{QStringLiteral("a"), QStringLiteral("b")}, "a;b"},
                                    {L{true, false}, "true;false"},
                                    {L(), ""},
                                    {QVariant(), ""},
                                    {QStringList{"a"}, ""},
                                    {QVariantMap{{"a", 1}}, ""}});
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
        addRows<QVariant, QVariant>(
            {"value", "back"},
            {{int(-2147483647 - 1), qlonglong(-2147483648LL)},
             {true, 1},
             {123456.789012345, 123456.789012345},
             {QStringLiteral("\u00e4\u00f6 x"), QStringLiteral("\u00e4\u00f6 x")},
             {QByteArray("\0\1\2", 3), QByteArray("\0\1\2", 3)},
             {QVariantList{0.5, 1e300}, QVariantList{0.5, 1e300}}});
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
