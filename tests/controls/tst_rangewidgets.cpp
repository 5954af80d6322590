#include "progressbar.h"
#include "slider.h"
#include "spinbox.h"

#include <QLineEdit>
#include <QtTest>

using namespace CustomControls;

class Receiver : public QObject
{
    Q_OBJECT
public:
    int count = 0;
public slots:
    void slot_ControlTriggered() { ++count; }
};

class TstRangeWidgets : public QObject
{
    Q_OBJECT
private slots:
    void truncation_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("shown");
        QTest::newRow("positive") << 2.9 << 2;
        QTest::newRow("negative") << -2.9 << -2;
    }

    void truncation()
    {
        QFETCH(double, value);
        QFETCH(int, shown);
        // Wide ranges, so the Qt widgets keep what they are given.
        Slider slider;
        slider.QSlider::setRange(-10, 10);
        SpinBox spin;
        spin.QSpinBox::setRange(-10, 10);
        ProgressBar bar;
        bar.QProgressBar::setRange(-10, 10);
        for (UniversalControl *control :
             std::initializer_list<UniversalControl *>{&slider, &spin, &bar}) {
            control->setValue(value);
            QCOMPARE(control->value(), double(shown));
        }
    }

    void progressBarRange_data()
    {
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::newRow("negative min, zero max") << -5.0 << 0.0 << 0 << 60000;
        QTest::newRow("truncated, above limit") << 10.7 << 70000.0 << 10 << 60000;
        QTest::newRow("one") << 0.0 << 1.0 << 0 << 1;
        QTest::newRow("limit") << 0.0 << 60000.0 << 0 << 60000;
        QTest::newRow("negative max") << 3.0 << -1.0 << 3 << 60000;
    }

    void progressBarRange()
    {
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(int, low);
        QFETCH(int, high);
        ProgressBar bar;
        bar.setRange(min, max);
        QCOMPARE(bar.minimum(), low);
        QCOMPARE(bar.maximum(), high);
    }

    void progressBarConnectsNothingAndKeepsItsText()
    {
        ProgressBar bar;
        Receiver receiver;
        QVERIFY(!bar.connectChanged(SLOT(slot_ControlTriggered()), &receiver));
        QVERIFY(bar.isConnected());
        bar.setValue(40);
        QCOMPARE(receiver.count, 0);
        QVERIFY(!bar.disconnectChanged());

        // The bar keeps its own text.
        bar.setRange(0, 100);
        bar.setValue(50);
        QCOMPARE(bar.text(), QString("50%")); // the Qt bar's own text
        UniversalControl &control = bar;
        QVERIFY(control.text().isEmpty());
        control.setText("caption");
        QCOMPARE(bar.text(), QString("50%"));
    }

    void sliderComparesWithLastSetValue()
    {
        Slider slider;
        slider.QSlider::setRange(0, 20);
        slider.setValue(5);
        QCOMPARE(slider.value(), 5.0);
        slider.QSlider::setValue(9); // the user drags it
        slider.setValue(5);
        QCOMPARE(slider.value(), 9.0);
        slider.setValue(6);
        QCOMPARE(slider.value(), 6.0);
    }

    void sliderReportsOnlyHandleDrags()
    {
        Slider slider(Qt::Horizontal);
        slider.QSlider::setRange(0, 100);
        slider.resize(200, 30);
        slider.show();
        Receiver receiver;
        QVERIFY(slider.connectChanged(SLOT(slot_ControlTriggered()), &receiver));

        QTest::keyClick(&slider, Qt::Key_Right);
        slider.setValue(50);
        const double beforeGrooveClick = slider.value();
        QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(190, 15)); // a page step
        QVERIFY(slider.value() != beforeGrooveClick);
        QCOMPARE(receiver.count, 0);

        emit slider.sliderMoved(10);
        QCOMPARE(receiver.count, 1);
        QVERIFY(slider.disconnectChanged());
        emit slider.sliderMoved(11);
        QCOMPARE(receiver.count, 1);
    }

    void spinBoxReportsWhenEditingFinishes()
    {
        SpinBox spin;
        Receiver receiver;
        QVERIFY(spin.connectChanged(SLOT(slot_ControlTriggered()), &receiver));
        spin.stepUp();
        QTest::keyClick(&spin, Qt::Key_Up);
        QCOMPARE(spin.value(), 2.0);
        QCOMPARE(receiver.count, 0);
        QTest::keyClick(&spin, Qt::Key_Return);
        QCOMPARE(receiver.count, 1);
        QVERIFY(spin.disconnectChanged());
        QTest::keyClick(&spin, Qt::Key_Return);
        QCOMPARE(receiver.count, 1);
    }
};

QTEST_MAIN(TstRangeWidgets)
#include "tst_rangewidgets.moc"
