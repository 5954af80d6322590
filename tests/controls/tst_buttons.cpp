#include "buttonbox.h"
#include "checkbox.h"
#include "pushbutton.h"
#include "radiobutton.h"

#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace CustomControls;

class TstButtons : public QObject
{
    Q_OBJECT
private slots:
    void checkBoxValue_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("shown");
        QTest::newRow("half") << 0.5 << 1.0;
        QTest::newRow("zero") << 0.0 << 0.0;
        QTest::newRow("one") << 1.0 << 1.0;
        QTest::newRow("negative") << -3.0 << 1.0;
    }

    void checkBoxValue()
    {
        QFETCH(double, value);
        QFETCH(double, shown);
        CheckBox check;
        check.setChecked(!shown);
        check.setValue(value);
        QCOMPARE(check.value(), shown);
        RadioButton radio;
        radio.setValue(value);
        QCOMPARE(radio.value(), shown);
    }

    void checkBoxClicks()
    {
        CheckBox check;
        check.resize(100, 30);
        QSignalSpy clicked(&check, &QAbstractButton::clicked);
        check.setWritable(false);
        QVERIFY(!check.isWritable());
        QTest::mouseClick(&check, Qt::LeftButton, {}, QPoint(8, 15));
        QVERIFY(!check.isChecked());
        QCOMPARE(clicked.count(), 0);

        check.setWritable(true);
        QTest::mouseClick(&check, Qt::LeftButton, {}, QPoint(8, 15));
        QVERIFY(check.isChecked());
        QCOMPARE(clicked.count(), 1);

        QSignalSpy doubleClick(&check, &CheckBox::doubleClick);
        QTest::mouseDClick(&check, Qt::LeftButton, {}, QPoint(8, 15));
        QCOMPARE(doubleClick.count(), 1);
    }

    void plainButtonWritability()
    {
        RadioButton radio;
        QVERIFY(radio.isWritable());
        radio.setWritable(false);
        QVERIFY(!radio.isCheckable());
        QVERIFY(!radio.isWritable());

        // A push button holds no value and stays unwritable until it is made checkable.
        PushButton button;
        button.setValue(5);
        QCOMPARE(button.value(), 0.0);
        QVERIFY(!button.isWritable());
        button.setWritable(true);
        QVERIFY(button.isCheckable());
    }

    void buttonBoxCreatesButtonsOnce()
    {
        ButtonBox box;
        box.createButtons(1, ButtonBox::RadioButtons, {});
        QVERIFY(box.buttons().isEmpty()); // an empty list does not count as created
        box.createButtons(1, ButtonBox::RadioButtons, fourTexts());
        QCOMPARE(box.buttons().size(), 4);
        box.createButtons(0, ButtonBox::PushButtons, {"X", "Y"});
        QCOMPARE(box.buttons().size(), 4);
        QCOMPARE(box.findChildren<QAbstractButton *>().size(), 4);
        QCOMPARE(box.buttons().at(2)->text(), QString("C"));
    }

    void buttonBoxKinds_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("pushButtons");
        QTest::addColumn<int>("radioButtons");
        QTest::newRow("push") << 0 << 2 << 0;
        QTest::newRow("radio") << 1 << 0 << 2;
        QTest::newRow("unknown") << 5 << 0 << 0;
    }

    void buttonBoxKinds()
    {
        QFETCH(int, kind);
        QFETCH(int, pushButtons);
        QFETCH(int, radioButtons);
        ButtonBox box;
        box.createButtons(0, kind, {"X", "Y"});
        QCOMPARE(box.findChildren<QPushButton *>().size(), pushButtons);
        QCOMPARE(box.findChildren<QRadioButton *>().size(), radioButtons);
        for (QAbstractButton *button : box.buttons()) {
            QVERIFY(button->isCheckable());
            QVERIFY(button->autoExclusive());
        }
    }

    void buttonBoxValue_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("checked"); // -1: none
        QTest::addColumn<double>("read");
        QTest::newRow("third") << 2.0 << 2 << 2.0;
        QTest::newRow("truncated") << 3.7 << 3 << 3.0;
        QTest::newRow("first") << 0.0 << 0 << 0.0;
        QTest::newRow("beyond") << 4.0 << -1 << 0.0;
        QTest::newRow("negative") << -1.0 << -1 << 0.0;
    }

    void buttonBoxValue()
    {
        QFETCH(double, value);
        QFETCH(int, checked);
        QFETCH(double, read);
        ButtonBox box;
        box.createButtons(1, ButtonBox::RadioButtons, fourTexts());
        box.setValue(1); // something checked before
        box.setValue(value);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(box.buttons().at(i)->isChecked(), i == checked);
        QCOMPARE(box.value(), read);

        ButtonBox empty;
        empty.setValue(2); // no buttons: nothing happens
        QCOMPARE(empty.value(), 0.0);
    }

    void buttonBoxClickEmitsChangeSignal()
    {
        ButtonBox box;
        box.createButtons(0, ButtonBox::PushButtons, fourTexts());
        box.resize(400, 60);
        box.show();
        QSignalSpy changed(&box, &ButtonBox::signal_clicked);
        QAbstractButton *third = box.buttons().at(2);
        QTest::mouseClick(third, Qt::LeftButton, {}, third->rect().center());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(box.value(), 2.0);
    }

    void buttonBoxWritable()
    {
        ButtonBox box;
        box.setWritable(false);
        box.createButtons(1, ButtonBox::RadioButtons, fourTexts());
        QVERIFY(!box.isWritable());
        for (QAbstractButton *button : box.buttons())
            QVERIFY(!button->isEnabled());
        box.setWritable(true);
        for (QAbstractButton *button : box.buttons())
            QVERIFY(button->isEnabled());
    }

    void buttonBoxReadOnlyOption_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<bool>("writable");
        QTest::newRow("true") << " readonly=TRUE " << false;
        QTest::newRow("number among items") << "x=1 @ readonly = 1 @y" << false;
        QTest::newRow("false") << "readonly=0" << true;
        QTest::newRow("two equals skipped") << "readonly=1=2" << true;
        QTest::newRow("absent") << "other=1" << true;
    }

    void buttonBoxReadOnlyOption()
    {
        QFETCH(QString, options);
        QFETCH(bool, writable);
        ButtonBox box;
        box.setOptions(options);
        QCOMPARE(box.isWritable(), writable);
    }

    void buttonBoxDisconnectNeedsConnection()
    {
        ButtonBox box;
        QVERIFY(!box.disconnectChanged());
        QObject receiver;
        // Always reports success, even for a receiver without the slot.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("No such slot"));
        QVERIFY(box.connectChanged(SLOT(missing()), &receiver));
        QVERIFY(box.isConnected());
    }

private:
    static QStringList fourTexts() { return {"A", "B", "C", "D"}; }
};

QTEST_MAIN(TstButtons)
#include "tst_buttons.moc"
