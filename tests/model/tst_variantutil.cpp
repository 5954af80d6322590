#include "variantutil.h"

#include <QtTest>

class TestVariantUtil : public QObject
{
    Q_OBJECT
private slots:
    void isNullVariant()
    {
        QVERIFY(::isNullVariant(QVariant()));
        QVERIFY(::isNullVariant(QVariant(QString())));
        QVERIFY(::isNullVariant(QVariant(QByteArray())));
        QVERIFY(::isNullVariant(QVariant(QMetaType::fromType<QString>())));
        QVERIFY(!::isNullVariant(QVariant(QString(""))));
        QVERIFY(!::isNullVariant(QVariant(QByteArray(""))));
        QVERIFY(!::isNullVariant(QVariant(0)));
        QVERIFY(!::isNullVariant(QVariant(false)));
    }
};

QTEST_GUILESS_MAIN(TestVariantUtil)
#include "tst_variantutil.moc"
