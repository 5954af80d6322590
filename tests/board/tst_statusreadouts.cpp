// The status page turns the chip's raw measurement codes into volts and degrees.
#include "boardappfixture.h"

#include <QLineEdit>

class TestStatusReadouts : public QObject
{
    Q_OBJECT

    BoardAppFixture f;

    QString shown(const char *edit) const { return f.widget<QLineEdit>(edit)->text(); }
    void enter(const char *edit, const QString &text) const
    {
        f.widget<QLineEdit>(edit)->setText(text);
    }

private slots:
    void initTestCase() { QVERIFY(f.start()); }

    void voltages_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("shown");
        QTest::newRow("VDD full") << "leREG11_15_8"
                                  << "leVDD"
                                  << "255"
                                  << "4.0";
        QTest::newRow("VDD zero") << "leREG11_15_8"
                                  << "leVDD"
                                  << "0"
                                  << "0.0";
        QTest::newRow("VDD wraps") << "leREG11_15_8"
                                   << "leVDD"
                                   << "511"
                                   << "4.0";
        QTest::newRow("VDD no number") << "leREG11_15_8"
                                       << "leVDD"
                                       << "abc"
                                       << "0.0";
        QTest::newRow("VBB") << "leREG12_7_0"
                             << "leVBB"
                             << "51"
                             << "7.0";
        QTest::newRow("ADCX") << "leREG11_23_16"
                              << "leADCX"
                              << "127"
                              << "0.600";
        QTest::newRow("ADCX full") << "leREG11_23_16"
                                   << "leADCX"
                                   << "255"
                                   << "1.205";
        QTest::newRow("VLED") << "leREG12_15_8"
                              << "leVLED"
                              << "255"
                              << "66.1";
        QTest::newRow("VLED half") << "leREG12_15_8"
                                   << "leVLED"
                                   << "100"
                                   << "25.9";
    }
    void voltages()
    {
        QFETCH(QString, raw);
        QFETCH(QString, result);
        QFETCH(QString, code);
        enter(raw.toLatin1().constData(), code);
        QTEST(shown(result.toLatin1().constData()), "shown");
    }

    void temperature_data()
    {
        QTest::addColumn<QString>("tsd");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("shown");
        QTest::newRow("default calibration") << "0"
                                             << "193"
                                             << "170.0";
        QTest::newRow("calibrated 1") << "1"
                                      << "0"
                                      << "167.6";
        QTest::newRow("high bit only") << "128"
                                       << "193"
                                       << "170.0";
        QTest::newRow("calibrated 193") << "193"
                                        << "193"
                                        << "170.0";
        QTest::newRow("calibrated 129") << "129"
                                        << "0"
                                        << "-12.6";
        QTest::newRow("no number") << "0"
                                   << "x"
                                   << "-56.8";
    }
    void temperature()
    {
        QFETCH(QString, tsd);
        QFETCH(QString, code);
        enter("leREG12_23_16", tsd);
        enter("leREG11_7_0", code);
        QTEST(shown("leTemp"), "shown");
    }

    // The calibration code is read when the temperature code changes, not on its own.
    void calibrationAloneKeepsTemperature()
    {
        enter("leREG12_23_16", "0");
        enter("leREG11_7_0", "193");
        QCOMPARE(shown("leTemp"), QString("170.0"));
        enter("leREG12_23_16", "1");
        QCOMPARE(shown("leTemp"), QString("170.0"));
    }
};

QTEST_MAIN(TestStatusReadouts)
#include "tst_statusreadouts.moc"
