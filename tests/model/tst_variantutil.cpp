#include "variantutil.h"

#include <QtTest>

class TestVariantUtil : public QObject
{
    Q_OBJECT
private slots:
    void isNullVariant_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("expected");

        QTest::newRow("invalid") << QVariant() << true;
        QTest::newRow("null string") << QVariant(QString()) << true;
        QTest::newRow("empty string") << QVariant(QString("")) << false;
        QTest::newRow("string") << QVariant(QString("x")) << false;
        QTest::newRow("null bytes") << QVariant(QByteArray()) << true;
        QTest::newRow("empty bytes") << QVariant(QByteArray("")) << false;
        QTest::newRow("typed but empty string") << QVariant(QMetaType::fromType<QString>()) << true;
        QTest::newRow("zero") << QVariant(0) << false;
        QTest::newRow("double") << QVariant(0.0) << false;
        QTest::newRow("bool") << QVariant(false) << false;
    }

    void isNullVariant()
    {
        QFETCH(QVariant, value);
        QFETCH(bool, expected);
        QCOMPARE(::isNullVariant(value), expected);
    }
};

QTEST_GUILESS_MAIN(TestVariantUtil)
#include "tst_variantutil.moc"
