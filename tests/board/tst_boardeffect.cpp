// The running-light effect's boxes and timer, the service combo and the buttons that open the
// addressing applets.
#include "boardmatrixfixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QSlider>
#include <QTimer>
#include <QtTest>

class TestBoardEffect : public QObject
{
    Q_OBJECT

    BoardMatrixFixture f;

    QCheckBox *box(const char *name) { return f.widget<QCheckBox>(name); }
    // The page's running timers' intervals.
    QList<int> runningIntervals()
    {
        QList<int> result;
        for (QTimer *timer : f.page()->findChildren<QTimer *>()) {
            if (timer->isActive())
                result.append(timer->interval());
        }
        return result;
    }
    void setBoxes(bool left, bool right)
    {
        box("cbLeft")->setChecked(left);
        box("cbRight")->setChecked(right);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        // The form keeps the effect's group disabled; clicks reach its boxes only when enabled.
        f.widget<QWidget>("groupBox_4")->setEnabled(true);
    }
    void init()
    {
        f.page()->on_cbStart_clicked(false);
        setBoxes(false, false);
    }

    void directionsExclude()
    {
        box("cbLeft")->click();
        QVERIFY(box("cbLeft")->isChecked());
        box("cbRight")->click();
        QVERIFY(box("cbRight")->isChecked());
        QVERIFY(!box("cbLeft")->isChecked());
        box("cbLeft")->click();
        QVERIFY(!box("cbRight")->isChecked());
        box("cbLeft")->click(); // unchecking leaves the other alone
        QVERIFY(!box("cbLeft")->isChecked());
        QVERIFY(!box("cbRight")->isChecked());
    }

    void startWithoutDirectionUnchecksItself()
    {
        box("cbStart")->click();
        QVERIFY(!box("cbStart")->isChecked());
        QCOMPARE(runningIntervals(), QList<int>{});
    }

    // The edit's validator lets short texts stand while they are typed.
    void startClampsTheInterval_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("interval");
        QTest::newRow("default") << "250" << 250;
        QTest::newRow("shortest") << "70" << 70;
        QTest::newRow("longest") << "9999" << 9999;
        QTest::newRow("empty") << "" << 70;
        QTest::newRow("one digit") << "7" << 70;
        QTest::newRow("too long") << "20000" << 9999;
    }
    void startClampsTheInterval()
    {
        QFETCH(QString, text);
        QFETCH(int, interval);
        f.widget<QLineEdit>("leEffectTime")->setText(text);
        box("cbRight")->click();
        box("cbStart")->click();
        QVERIFY(box("cbStart")->isChecked());
        QCOMPARE(runningIntervals(), QList<int>{interval});
        box("cbStart")->click();
        QVERIFY(!box("cbStart")->isChecked());
        QCOMPARE(runningIntervals(), QList<int>{});
    }

    // Each tick moves the slider one single step; at an end it wraps to the other end.
    void tickSteps_data()
    {
        QTest::addColumn<bool>("left");
        QTest::addColumn<bool>("right");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("right") << false << true << 5 << 7;
        QTest::newRow("left") << true << false << 5 << 3;
        QTest::newRow("right, wraps at the maximum") << false << true << 8 << 0;
        QTest::newRow("left, wraps at the minimum") << true << false << 2 << 10;
        QTest::newRow("right, near the maximum") << false << true << 7 << 9;
        QTest::newRow("no direction") << false << false << 5 << 5;
    }
    void tickSteps()
    {
        QFETCH(bool, left);
        QFETCH(bool, right);
        QFETCH(int, from);
        QFETCH(int, to);
        QSlider *slider = f.widget<QSlider>("slHorizontal");
        slider->setRange(0, 10);
        slider->setSingleStep(2);
        slider->setValue(from);
        setBoxes(left, right);
        f.page()->slotEffectTimer();
        QCOMPARE(slider->value(), to);
    }

    void timerDrivesTheSlider()
    {
        QSlider *slider = f.widget<QSlider>("slHorizontal");
        slider->setRange(0, 100);
        slider->setSingleStep(1);
        slider->setValue(50);
        f.widget<QLineEdit>("leEffectTime")->setText("70");
        box("cbLeft")->click();
        box("cbStart")->click();
        QTRY_VERIFY_WITH_TIMEOUT(slider->value() < 50, 10000);
        box("cbStart")->click();
        QCOMPARE(runningIntervals(), QList<int>{});
    }

    void serviceCombo_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("switchesEnabled");
        QTest::addColumn<bool>("clearEnabled");
        QTest::newRow("direct") << 0 << true << false;
        QTest::newRow("OPEN clear") << 1 << false << true;
        QTest::newRow("no such item") << 2 << false << true;
        QTest::newRow("no item") << -1 << false << true;
    }
    void serviceCombo()
    {
        QFETCH(int, index);
        QFETCH(bool, switchesEnabled);
        QFETCH(bool, clearEnabled);
        f.page()->on_comboBox_currentIndexChanged(1);
        f.page()->on_comboBox_currentIndexChanged(index);
        QCOMPARE(f.widget<QWidget>("frame_reg0sw")->isEnabled(), switchesEnabled);
        QCOMPARE(f.widget<QWidget>("cb_opnclr")->isEnabled(), clearEnabled);
    }

    void serviceComboItemsSwitch()
    {
        auto *combo = f.widget<QComboBox>("comboBox");
        combo->setCurrentIndex(1);
        combo->setCurrentIndex(0);
        QVERIFY(f.widget<QWidget>("frame_reg0sw")->isEnabled());
        QVERIFY(!f.widget<QWidget>("cb_opnclr")->isEnabled());
        combo->setCurrentIndex(1);
        QVERIFY(!f.widget<QWidget>("frame_reg0sw")->isEnabled());
        QVERIFY(f.widget<QWidget>("cb_opnclr")->isEnabled());
    }

    // A second click keeps the applet shown (a checkable entry triggered again would hide it).
    void buttonsShowTheAddressingApplets_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("applet");
        QTest::newRow("auto addressing") << "pbAA"
                                         << "AutoAddressing";
        QTest::newRow("discovery") << "pbAdrDiscovery"
                                   << "AddressDiscovery";
    }
    void buttonsShowTheAddressingApplets()
    {
        QFETCH(QString, button);
        QFETCH(QString, applet);
        Applet *target = f.app->findApplet(applet, MainApp::ByName);
        QVERIFY(target && target->action());
        target->hideWindow();
        QVERIFY(!target->container()->isVisible());
        auto *pb = f.widget<QPushButton>(qPrintable(button));
        for (int click = 0; click < 2; ++click) {
            pb->click();
            QVERIFY(target->action()->isChecked());
            QVERIFY(target->container()->isVisible());
        }
    }
};

QTEST_MAIN(TestBoardEffect)
#include "tst_boardeffect.moc"
