// Names of the LED-driver board's EEPROM codes.
#include "driverboarddescription.h"

#include <QtTest>

#include <limits>

class TestDriverBoardDescription : public QObject
{
    Q_OBJECT

private slots:
    void chipTypeName_data()
    {
        QTest::addColumn<quint32>("code");
        QTest::addColumn<QString>("name");
        const QStringList names{"KVL52201",  "KVL52202",     "KVL52301",  "KVL52203",  "KVL52204",
                                "KVL52205",  "undefined",    "undefined", "undefined", "undefined",
                                "undefined", "undefined",    "KVL52404",  "KVL52402",  "KVL52403",
                                "KVL52401",  "KVL52404BUCK", "undefined"};
        for (int code = 0; code < names.size(); ++code)
            QTest::addRow("%d", code) << quint32(code) << names.at(code);
        QTest::newRow("largest") << std::numeric_limits<quint32>::max() << "undefined";
        QTest::newRow("-1") << quint32(-1) << "undefined";
    }

    void chipTypeName()
    {
        QFETCH(quint32, code);
        QFETCH(QString, name);
        QCOMPARE(DriverBoardDescription().chipTypeName(code), name);
    }

    void boardNames_data()
    {
        QTest::addColumn<quint32>("code");
        QTest::addColumn<QStringList>("names"); // version, topology, channels
        QTest::newRow("0") << 0u << QStringList{"v1.0", "boost", "single"};
        QTest::newRow("1") << 1u << QStringList{"v1.1", "buck", "two"};
        QTest::newRow("2") << 2u << QStringList{"v1.2", "boost-buck", "three"};
        QTest::newRow("3") << 3u << QStringList{"undefined", "undefined", "undefined"};
        QTest::newRow("-1") << quint32(-1) << QStringList{"undefined", "undefined", "undefined"};
    }

    void boardNames()
    {
        QFETCH(quint32, code);
        QFETCH(QStringList, names);
        const DriverBoardDescription description;
        QCOMPARE(description.boardVersionName(code), names.at(0));
        QCOMPARE(description.boardTopologyName(code), names.at(1));
        QCOMPARE(description.boardChannelsName(code), names.at(2));
    }
};

QTEST_GUILESS_MAIN(TestDriverBoardDescription)
#include "tst_driverboarddescription.moc"
