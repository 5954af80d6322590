#include "buttonbox.h"
#include "checkbox.h"
#include "pushbutton.h"
#include "radiobutton.h"
#include "../support/tablerows.h"

#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace CustomControls;

class TstButtons : public QObject
{
    Q_OBJECT
private slots:
    void checkBoxValueAndClicks()
    {
        for (auto [value, shown] : {std::pair{0.5, 1.0}, {0.0, 0.0}, {-3.0, 1.0}}) {
            CheckBox check;
            check.setChecked(!shown);
            check.setValue(value);
            QCOMPARE(check.value(), shown);
            RadioButton radio;
            radio.setValue(value);
            QCOMPARE(radio.value(), shown);
        }
        CheckBox check;
        check.resize(100, 30);
        QSignalSpy clicked(&check, &QAbstractButton::clicked);
        check.setWritable(false);
        QTest::mouseClick(&check, Qt::LeftButton, {}, QPoint(8, 15));
        QVERIFY(!check.isChecked());
        QCOMPARE(clicked.count(), 0);
        check.setWritable(true);
        QTest::mouseClick(&check, Qt::LeftButton, {}, QPoint(8, 15));
        QVERIFY(check.isChecked());
        QSignalSpy doubleClick(&check, &CheckBox::doubleClick);
        QTest::mouseDClick(&check, Qt::LeftButton, {}, QPoint(8, 15));
        QCOMPARE(doubleClick.count(), 1);

        // A push button holds no value and stays unwritable until it is made checkable.
        PushButton button;
        button.setValue(5);
        QCOMPARE(button.value(), 0.0);
        QVERIFY(!button.isWritable());
        button.setWritable(true);
        QVERIFY(button.isCheckable());
    }

    void buttonBoxKinds_data()
    {
        addRows<int, int, int>({"kind", "pushButtons", "radioButtons"},
                               {{0, 2, 0}, {1, 0, 2}, {5, 0, 0}});
    }

    void buttonBoxKinds()
    {
        QFETCH(int, kind);
        QFETCH(int, pushButtons);
        QFETCH(int, radioButtons);
        ButtonBox box;
        box.createButtons(0, kind, {});
        box.createButtons(0, kind, {"X", "Y"}); // an empty list does not count as created
        box.createButtons(0, ButtonBox::PushButtons, {"Z"}); // created once only
        QCOMPARE(box.findChildren<QPushButton *>().size(), pushButtons);
        QCOMPARE(box.findChildren<QRadioButton *>().size(), radioButtons);
        for (QAbstractButton *button : box.buttons())
            QVERIFY(button->isCheckable() && button->autoExclusive());
    }

    void buttonBoxValue_data()
    {
        addRows<double, int, double>({"value", "checked", "read"}, // checked -1: none
                                     {{2.0, 2, 2.0},
                                      {3.7, 3, 3.0},
                                      {0.0, 0, 0.0},
                                      {4.0, -1, 0.0},
                                      {-1.0, -1, 0.0}});
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

    void buttonBoxClickAndWritable()
    {
        ButtonBox box;
        box.setWritable(false);
        box.createButtons(0, ButtonBox::PushButtons, fourTexts());
        for (QAbstractButton *button : box.buttons())
            QVERIFY(!button->isEnabled());
        box.setWritable(true);
        box.resize(400, 60);
        box.show();
        QSignalSpy changed(&box, &ButtonBox::signal_clicked);
        QAbstractButton *third = box.buttons().at(2);
        QTest::mouseClick(third, Qt::LeftButton, {}, third->rect().center());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(box.value(), 2.0);
    }

    void buttonBoxReadOnlyOption_data()
    {
        addRows<QString, bool>({"options", "writable"}, {{" readonly=TRUE ", false},
                                                         {"x=1 @ readonly = 1 @y", false},
                                                         {"readonly=0", true},
                                                         {"readonly=1=2", true},
                                                         {"other=1", true}});
    }

    void buttonBoxReadOnlyOption()
    {
        QFETCH(QString, options);
        QFETCH(bool, writable);
        ButtonBox box;
        box.setOptions(options);
        QCOMPARE(box.isWritable(), writable);
    }

private:
    static QStringList fourTexts() { return {"A", "B", "C", "D"}; }
};

QTEST_MAIN(TstButtons)
#include "tst_buttons.moc"
