#include "realedit.h"
#include "../support/tablerows.h"

#include <QApplication>
#include <QInputDialog>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

using namespace CustomControls;

class TestRealEdit : public QObject
{
    Q_OBJECT

private:
    static void wheel(RealEdit &edit, int delta, Qt::KeyboardModifiers modifiers = {})
    {
        QWheelEvent event(QPointF(5, 5), edit.mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&edit, &event);
    }

    // A shown, focused edit: the wheel acts only while the widget has focus.
    static void showFocused(RealEdit &edit)
    {
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        edit.activateWindow();
        edit.setFocus();
        QTRY_VERIFY(edit.hasFocus());
    }

    static void type(RealEdit &edit, const QString &text)
    {
        edit.selectAll();
        QTest::keyClicks(&edit, text);
    }

private slots:
    void parse_data()
    {
        addRows<QString, double, bool, int>({"text", "expected", "valid", "prefix"},
                                            {{"4.7k", 4700.0, true, 2},
                                             {"4k75", 4750.0, true, 2},
                                             {"4M7", 4700000.0, true, 1},
                                             {"4m7", 0.0047, true, 4},
                                             {"22", 22.0, true, 3},
                                             {"1.5G", 1.5e9, true, 0},
                                             {"-4k7", -4700.0, true, 2},
                                             {"1k5m", 0.0015, true, 4},
                                             {"4k7xyz", 4700.0, false, 2},
                                             {"1.5 ", 1.5, true, 3},
                                             {"15 ", 0.0, false, 3},
                                             {"k", 0.0, false, 2},
                                             {"330.00u", 330e-6, true, 5},
                                             {"4.7n", 4.7e-9, true, 6},
                                             {"100.00p", 100e-12, true, 7},
                                             {"1K", 0.0, false, 3},
                                             {"", 0.0, false, 3},
                                             {"4.7.k", 0.0, false, 2}});
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QFETCH(bool, valid);
        QFETCH(int, prefix);
        RealEdit edit;
        bool ok = !valid;
        const double parsed = edit.parseValue(text, &ok);
        QVERIFY2(qFuzzyCompare(1.0 + parsed, 1.0 + expected),
                 qPrintable(QString::number(parsed, 'g', 17)));
        QCOMPARE(ok, valid);
        QCOMPARE(RealEdit::prefixIndex(text), prefix);
    }

    void format_data()
    {
        addRows<double, int, QString, int>({"value", "precision", "text", "index"},
                                           {{0.25, 2, "250.00m", 4},
                                            {0.0, 2, "0.00", 3},
                                            {999.999, 2, "1000.00", 3},
                                            {2.5e9, 2, "2.50G", 0},
                                            {5e-13, 2, "0.00", 3},
                                            {-4700.0, 2, "-4.70k", 2},
                                            {4700.0, 0, "5k", 2},
                                            {3.3e-6, 1, "3.3u", 5},
                                            {1e-12, 2, "1.00p", 7},
                                            {1e6, 3, "1.000M", 1}});
    }

    void format()
    {
        QFETCH(double, value);
        QFETCH(int, precision);
        QFETCH(QString, text);
        QFETCH(int, index);
        RealEdit edit;
        QCOMPARE(edit.formatValue(value, precision), text);
        QCOMPARE(edit.currentPrefixIndex(), index);
    }

    void precisionAndDisplay()
    {
        RealEdit edit;
        QCOMPARE(edit.text(), QString("0.00"));
        static_cast<UniversalControl &>(edit).setText("ignored");
        QCOMPARE(edit.text(), QString("0.00"));
        edit.setValue(4700);
        edit.setPrecision(0);
        QCOMPARE(edit.text(), QString("5k"));
        QCOMPARE(edit.step(), 1.0);
        edit.setPrecision(-4);
        QCOMPARE(edit.precision(), 0);
        edit.setPrecision(40);
        QCOMPARE(edit.precision(), RealEdit::MaxPrecision);
        edit.setPrecision(2);
        edit.setEngineering(false);
        edit.setValue(4700);
        QCOMPARE(edit.text(), QString("4700.00"));
    }

    void precisionDialog_data()
    {
        addRows<int, bool, int>({"answer", "accept", "expected"},
                                {{4, true, 4}, {-3, true, 0}, {1000, true, 15}, {7, false, 2}});
    }

    void precisionDialog()
    {
        QFETCH(int, answer);
        QFETCH(bool, accept);
        QFETCH(int, expected);
        RealEdit edit;
        QString label;
        QTimer::singleShot(50, [&]() {
            auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            label = dialog->labelText();
            dialog->setIntValue(answer);
            accept ? dialog->accept() : dialog->reject();
        });
        QVERIFY(QMetaObject::invokeMethod(&edit, "slot_CustomPrecision"));
        QCOMPARE(label, QString("Precision"));
        QCOMPARE(edit.precision(), expected);
    }

    void upDownStepInBaseUnits()
    {
        RealEdit edit;
        QSignalSpy activated(&edit, &RealEdit::signal_activated);
        edit.setValue(1.5);
        QTest::keyClick(&edit, Qt::Key_Up);
        QCOMPARE(edit.text(), QString("1.51"));
        QTest::keyClick(&edit, Qt::Key_Down);
        QTest::keyClick(&edit, Qt::Key_Down);
        QCOMPARE(edit.text(), QString("1.49"));
        QVERIFY(!edit.isEdited());
        edit.setValue(4700); // 4700 + 0.01 still shows 4.70k
        QTest::keyClick(&edit, Qt::Key_Up);
        QCOMPARE(edit.text(), QString("4.70k"));
        QCOMPARE(activated.count(), 0);
    }

    void editCommitEscapeAndRed()
    {
        RealEdit edit;
        QSignalSpy activated(&edit, &RealEdit::signal_activated);
        QPointer<QObject> receiver = new QObject; // the bound slot deletes it
        QVERIFY(edit.connectChanged(SLOT(deleteLater()), receiver));
        QTest::keyClick(&edit, Qt::Key_Return); // nothing edited: nothing to commit
        QCOMPARE(activated.count(), 0);
        edit.setValue(1000);
        type(edit, "4k7");
        QCOMPARE(edit.styleSheet(), QString("color:blue;"));
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(activated.count(), 1);
        QCOMPARE(edit.styleSheet(), QString());
        QCOMPARE(edit.value(), 4700.0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(receiver.isNull());

        type(edit, "22");
        QTest::keyClick(&edit, Qt::Key_Escape);
        QCOMPARE(edit.text(), QString("4.70k"));
        QVERIFY(!edit.isEdited());

        type(edit, "abc");
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(activated.count(), 1);
        QCOMPARE(edit.styleSheet(), QString("color:red;"));
        QTest::keyClick(&edit, Qt::Key_Up); // arrows do not turn bad text into a number
        QCOMPARE(edit.text(), QString("abc"));
        type(edit, "3m3");
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(edit.value(), 0.0033);
    }

    void plainCommitTakesPrecisionFromText()
    {
        RealEdit edit;
        edit.setEngineering(false);
        type(edit, "3.14159");
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(edit.precision(), 5);
        type(edit, "7");
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(edit.precision(), 1); // no point: the whole text length
        QCOMPARE(edit.text(), QString("7.0"));
    }

    void applyDescription()
    {
        RealEdit engineering;
        engineering.setEngineering(false);
        engineering.setText("1.0k");
        engineering.applyDescription();
        QVERIFY(engineering.isEngineering());
        RealEdit plain;
        plain.setEngineering(false);
        plain.setText("0.000");
        plain.applyDescription();
        QVERIFY(!plain.isEngineering());
        QCOMPARE(plain.precision(), 3);
    }

    // Wheel notches given as "delta" or "delta shift"; half notches add up.
    void wheelSteps_data()
    {
        addRows<double, QStringList, QStringList>(
            {"start", "notches", "texts"},
            {{1.5, {"60", "60", "240", "-120"}, {"1.50", "1.51", "1.53", "1.52"}},
             {4700.0, {"120", "120 shift", "-240 shift"}, {"4.71k", "5.71k", "3.71k"}},
             {1000.0, {"-120"}, {"999.99"}},
             {1e-12, {"-120"}, {"0.00"}}});
    }

    void wheelSteps()
    {
        QFETCH(double, start);
        QFETCH(QStringList, notches);
        QFETCH(QStringList, texts);
        RealEdit edit;
        showFocused(edit);
        edit.setValue(start);
        for (int i = 0; i < notches.size(); ++i) {
            const QStringList parts = notches.at(i).split(' ');
            wheel(edit, parts.first().toInt(),
                  parts.size() > 1 ? Qt::ShiftModifier : Qt::NoModifier);
            QCOMPARE(edit.text(), texts.at(i));
        }
        QTest::keyClick(&edit, Qt::Key_Escape); // back to the value before the wheel
        QCOMPARE(edit.text(), edit.formatValue(start, 2));
    }

    void wheelNeedsFocusAndWritable()
    {
        RealEdit edit;
        edit.setValue(1.5);
        wheel(edit, 120); // no focus
        QCOMPARE(edit.text(), QString("1.50"));
        showFocused(edit);
        edit.setWritable(false);
        wheel(edit, 120);
        QCOMPARE(edit.text(), QString("1.50"));
        edit.setWritable(true);
        wheel(edit, 120);
        QCOMPARE(edit.text(), QString("1.51"));
    }
};

QTEST_MAIN(TestRealEdit)
#include "tst_realedit.moc"
