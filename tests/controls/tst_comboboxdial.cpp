#include "combobox.h"
#include "dial.h"

#include <QAbstractItemView>
#include <QtTest>

using namespace CustomControls;

class TstComboBoxDial : public QObject
{
    Q_OBJECT
private slots:
    void indexValue_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("index");
        QTest::newRow("truncated") << 2.9 << 2;
        QTest::newRow("first") << 0.0 << 0;
        QTest::newRow("beyond clears") << 7.0 << -1;
        QTest::newRow("negative clears") << -1.0 << -1;
    }

    void indexValue()
    {
        QFETCH(double, value);
        QFETCH(int, index);
        ComboBox box;
        box.addItems(fourItems());
        box.setValue(value);
        QCOMPARE(box.currentIndex(), index);
        QCOMPARE(box.value(), double(index));
    }

    void readOnlyBlocksUserChanges()
    {
        ComboBox box;
        box.addItems(fourItems());
        box.show();
        box.setWritable(false);
        QTest::mouseClick(&box, Qt::LeftButton);
        QVERIFY(!box.view()->isVisible());
        QTest::keyClick(&box, Qt::Key_Down);
        QCOMPARE(box.currentIndex(), 0);
        box.setWritable(true);
        QTest::keyClick(&box, Qt::Key_Down);
        QCOMPARE(box.currentIndex(), 1);
    }

    void returnAndChoiceEmitChangeOnce()
    {
        ComboBox box;
        box.setEditable(true);
        box.addItems(fourItems());
        QSignalSpy changed(&box, &ComboBox::signal_activated);
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(box.count(), 4); // Return does not insert the text as an item
        emit box.activated(3);    // an item chosen from the list
        QCOMPARE(changed.count(), 2);
        QVERIFY(box.disconnectChanged());
        QObject receiver;
        QSignalSpy afterDisconnect(&box, &ComboBox::signal_activated);
        emit box.activated(2);
        QCOMPARE(afterDisconnect.count(), 1); // a new spy connects again
        QCOMPARE(changed.count(), 2);         // the old connection is gone
    }

    void prefixParse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("index");
        QTest::newRow("kilo") << "4.7k" << 4700.0 << 2;
        QTest::newRow("giga") << "1.5G" << 1.5e9 << 0;
        QTest::newRow("plain") << "22" << 22.0 << 3;
        QTest::newRow("micro") << "3.3u" << 3.3e-6 << 5;
        QTest::newRow("pico") << "10p" << 1e-11 << 7;
        QTest::newRow("mega case") << "2M" << 2e6 << 1;
        QTest::newRow("milli case") << "2m" << 2e-3 << 4;
        QTest::newRow("blank") << "1 " << 1.0 << 3;
        QTest::newRow("no number") << "abc" << 0.0 << 3;
    }

    void prefixParse()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(int, index);
        int used = -1;
        QCOMPARE(ComboBox::prefixParse(text, &used), value);
        QCOMPARE(used, index);
    }

    void prefixFormat_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("kilo") << 4700.0 << "4.7k";
        QTest::newRow("milli") << 0.0033 << "3.3m";
        QTest::newRow("one") << 1.0 << "1 ";
        QTest::newRow("zero") << 0.0 << "0 ";
        QTest::newRow("negative mega") << -1.5e6 << "-1.5M";
        QTest::newRow("below pico") << 1e-13 << "1e-13 ";
        QTest::newRow("six digits") << 1234567.0 << "1.23457M";
    }

    void prefixFormat()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(ComboBox::prefixFormat(value), text);
    }

    void typedItems()
    {
        ComboBox box;
        box.setItems("low::i10;name::sabc;half::f0.5;odd::x1;plain;other;a::b::c");
        QVERIFY(box.hasTypedItems());
        QCOMPARE(box.count(), 7);
        QCOMPARE(box.itemText(0), QString("low"));
        QCOMPARE(box.itemData(0), QVariant(10));
        QCOMPARE(box.itemData(1), QVariant(QString("abc")));
        QCOMPARE(box.itemData(2), QVariant(0.5));
        QVERIFY(!box.itemData(3).isValid());
        QCOMPARE(box.itemText(4), QString("plain"));
        QCOMPARE(box.itemData(4), QVariant(0));
        QCOMPARE(box.itemData(5), QVariant(1));
        QCOMPARE(box.itemText(6), QString("a::b::c"));
        QCOMPARE(box.itemData(6), QVariant(2));
    }

    void typedValueMapsToData()
    {
        ComboBox box;
        box.setItems("1 kHz::i1000;10 kHz::i10000;100 kHz::i100000");
        box.setValue(10000);
        QCOMPARE(box.currentIndex(), 1);
        QCOMPARE(box.value(), 10000.0);
        box.setValue(5); // no match, not editable: the selection stays
        QCOMPARE(box.currentIndex(), 1);
        QCOMPARE(box.value(), 10000.0);

        QVERIFY(box.setCurrentByText("100 kHz"));
        QCOMPARE(box.currentIndex(), 2);
        box.setValue(1000); // a match at the first item
        QCOMPARE(box.currentIndex(), 0);
        QVERIFY(box.setCurrentByText("1 kHz"));
        box.setCurrentIndex(2);
        QVERIFY(!box.setCurrentByText("z"));
        QCOMPARE(box.currentIndex(), 2);
        QVERIFY(box.setCurrentByNumber(1000));
        QCOMPARE(box.currentIndex(), 0);
        QVERIFY(!box.setCurrentByNumber(7));
        box.setItems("a::i1;b::f2.5;c::sx"); // selectors match the item type
        QVERIFY(box.setCurrentByData(QVariant(QString("x"))));
        QCOMPARE(box.currentIndex(), 2);
        QVERIFY(box.setCurrentByNumber(2.5));
        QCOMPARE(box.currentIndex(), 1);
    }

    void typedEditableFreeNumber()
    {
        ComboBox box;
        box.setEditable(true);
        box.setItems("1 kHz::i1000;10 kHz::i10000");
        box.setValue(4700);
        QCOMPARE(box.currentText(), QString("4.7k"));
        QCOMPARE(box.value(), 4700.0);
        QCOMPARE(box.prefixIndex(), 2);

        box.setValue(1000); // a match shows the number too when editable
        QCOMPARE(box.currentIndex(), 0);
        QCOMPARE(box.currentText(), QString("1k"));

        box.setPrefixMode(false);
        box.setValue(4700);
        QCOMPARE(box.currentText(), QString("4700"));
        box.setEditText("1e3");
        QCOMPARE(box.value(), 1000.0);
        box.setEditText("10 kHz");
        QCOMPARE(box.value(), 10000.0);

        // Text that is no number is not committed.
        box.setPrefixMode(true);
        QSignalSpy changed(&box, &ComboBox::signal_activated);
        box.setEditText("lots");
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(box.styleSheet(), QString("color:red"));
        box.setEditText("2.2k");
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(box.value(), 2200.0);
    }

    void editedMarkingAndBytes()
    {
        ComboBox box;
        box.setEditable(true);
        box.addItems(fourItems());
        box.setEditText("zz");
        QVERIFY(box.isEdited());
        QCOMPARE(box.styleSheet(), QString("color:blue;"));
        box.value();
        QVERIFY(!box.isEdited());
        QCOMPARE(box.styleSheet(), QString());

        box.setByteArrayValue(QByteArray("abc\0def", 7));
        QCOMPARE(box.currentText(), QString("abc"));
        QCOMPARE(box.byteArrayValue(), QByteArray("abc"));
    }

    void dialRange_data()
    {
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::newRow("clamped") << -5.0 << 100000.0 << 0 << 60000;
        QTest::newRow("inside") << 10.0 << 500.0 << 10 << 500;
        QTest::newRow("zero max") << 0.0 << 0.0 << 0 << 60000;
        QTest::newRow("negative max") << 0.0 << -3.0 << 0 << 60000;
        QTest::newRow("one") << 0.0 << 1.0 << 0 << 1;
        QTest::newRow("truncated") << 10.7 << 60000.9 << 10 << 60000;
    }

    void dialRange()
    {
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(int, low);
        QFETCH(int, high);
        Dial dial;
        dial.setRange(min, max);
        QCOMPARE(dial.minimum(), low);
        QCOMPARE(dial.maximum(), high);
    }

    void dialSetValueMovesOnlyOnChange()
    {
        Dial dial;
        dial.setRange(0, 100);
        QSignalSpy moved(&dial, &QDial::valueChanged);
        dial.setValue(7.9);
        dial.setValue(7.9);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(dial.value(), 7.0);

        dial.QDial::setValue(30); // the user turns it
        dial.setValue(7);         // same as last set: not moved
        QCOMPARE(dial.value(), 30.0);
        dial.setValue(8);
        QCOMPARE(dial.value(), 8.0);
        // A press turns the dial at once.
        dial.resize(100, 100);
        dial.show();
        QSignalSpy turned(&dial, &QDial::valueChanged);
        QTest::mousePress(&dial, Qt::LeftButton, {}, QPoint(5, 50));
        QCOMPARE(turned.count(), 1);
        QTest::mouseRelease(&dial, Qt::LeftButton, {}, QPoint(5, 50));
    }

private:
    static QStringList fourItems() { return {"a", "b", "c", "d"}; }
};

QTEST_MAIN(TstComboBoxDial)
#include "tst_comboboxdial.moc"
