#include "realedit.h"

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
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::addColumn<bool>("valid");
        QTest::newRow("4.7k") << "4.7k" << 4700.0 << true;
        QTest::newRow("4k7") << "4k7" << 4700.0 << true;
        QTest::newRow("4k75") << "4k75" << 4750.0 << true;
        QTest::newRow("4M7") << "4M7" << 4700000.0 << true;
        QTest::newRow("4m7") << "4m7" << 0.0047 << true;
        QTest::newRow("2k") << "2k" << 2000.0 << true;
        QTest::newRow("22") << "22" << 22.0 << true;
        QTest::newRow("1.5G") << "1.5G" << 1.5e9 << true;
        QTest::newRow("-1.50m") << "-1.50m" << -0.0015 << true;
        QTest::newRow("-4k7 keeps sign") << "-4k7" << -4700.0 << true;
        QTest::newRow("k and m: m wins") << "1k5m" << 0.0015 << true;
        QTest::newRow("garbage after the form") << "4k7xyz" << 4700.0 << false;
        QTest::newRow("1.5 blank") << "1.5 " << 1.5 << true;
        QTest::newRow("15 blank") << "15 " << 0.0 << false;
        QTest::newRow("k alone") << "k" << 0.0 << false;
        QTest::newRow("330u") << "330.00u" << 330e-6 << true;
        QTest::newRow("100p") << "100.00p" << 100e-12 << true;
        QTest::newRow("no number") << "abc" << 0.0 << false;
        QTest::newRow("empty") << "" << 0.0 << false;
        QTest::newRow("bad point form") << "4.7.k" << 0.0 << false;
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QFETCH(bool, valid);
        RealEdit edit;
        bool ok = !valid;
        const double parsed = edit.parseValue(text, &ok);
        QVERIFY2(qFuzzyCompare(1.0 + parsed, 1.0 + expected),
                 qPrintable(QString::number(parsed, 'g', 17)));
        QCOMPARE(ok, valid);
    }

    void prefixIndex_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("index");
        QTest::newRow("G") << "1G" << 0;
        QTest::newRow("M") << "1M" << 1;
        QTest::newRow("k") << "1k" << 2;
        QTest::newRow("none") << "12" << 3;
        QTest::newRow("blank") << "1 2" << 3;
        QTest::newRow("m") << "1m" << 4;
        QTest::newRow("u") << "1u" << 5;
        QTest::newRow("n") << "1n" << 6;
        QTest::newRow("p") << "1p" << 7;
        QTest::newRow("k and m") << "1k5m" << 4;
        QTest::newRow("case-sensitive K") << "1K" << 3;
    }

    void prefixIndex()
    {
        QFETCH(QString, text);
        QFETCH(int, index);
        QCOMPARE(RealEdit::prefixIndex(text), index);
    }

    void format_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("precision");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("index");
        QTest::newRow("4700") << 4700.0 << 2 << "4.70k" << 2;
        QTest::newRow("0.25") << 0.25 << 2 << "250.00m" << 4;
        QTest::newRow("12") << 12.0 << 2 << "12.00" << 3;
        QTest::newRow("0") << 0.0 << 2 << "0.00" << 3;
        QTest::newRow("999.999") << 999.999 << 2 << "1000.00" << 3;
        QTest::newRow("2.5e9") << 2.5e9 << 2 << "2.50G" << 0;
        QTest::newRow("5e-13") << 5e-13 << 2 << "0.00" << 3;
        QTest::newRow("negative") << -4700.0 << 2 << "-4.70k" << 2;
        QTest::newRow("precision 0") << 4700.0 << 0 << "5k" << 2;
        QTest::newRow("micro") << 3.3e-6 << 1 << "3.3u" << 5;
        QTest::newRow("pico") << 1e-12 << 2 << "1.00p" << 7;
        QTest::newRow("mega") << 1e6 << 3 << "1.000M" << 1;
        QTest::newRow("nano") << 4.7e-9 << 2 << "4.70n" << 6;
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

    void stateAndDisplay()
    {
        RealEdit edit;
        QCOMPARE(edit.text(), QString("0.00"));
        QCOMPARE(edit.step(), 0.01);
        QVERIFY(edit.isEngineering());
        QCOMPARE(edit.type(), int(UniversalControl::RealEditControl));
        QCOMPARE(edit.focusPolicy(), Qt::WheelFocus);
        UniversalControl *control = &edit;
        control->setText("ignored");
        QCOMPARE(control->text(), QString());
        QCOMPARE(edit.text(), QString("0.00"));

        edit.setText("4.7k");
        QCOMPARE(edit.value(), 4700.0);
        edit.setValue(edit.value());
        QCOMPARE(edit.text(), QString("4.70k"));
        QVERIFY(!edit.isEdited());
        QCOMPARE(edit.styleSheet(), QString());
        edit.setPrecision(0);
        QCOMPARE(edit.text(), QString("5k"));
        QCOMPARE(edit.step(), 1.0);
        edit.setPrecision(3);
        QCOMPARE(edit.step(), 0.001);
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
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("expected");
        QTest::newRow("accepted") << 4 << true << 4;
        QTest::newRow("negative clamped") << -3 << true << 0;
        QTest::newRow("huge clamped") << 1000 << true << 15;
        QTest::newRow("cancel keeps") << 7 << false << 2;
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
            QCOMPARE(dialog->intValue(), 2);
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
        // The step is in base units whatever the prefix: 4700 + 0.01 still shows 4.70k.
        edit.setValue(4700);
        QTest::keyClick(&edit, Qt::Key_Up);
        QCOMPARE(edit.text(), QString("4.70k"));
        edit.setPrecision(3);
        edit.setValue(0.25);
        QTest::keyClick(&edit, Qt::Key_Up);
        QCOMPARE(edit.text(), QString("251.000m"));
        QCOMPARE(activated.count(), 0);
    }

    void editCommitAndEscape()
    {
        RealEdit edit;
        QSignalSpy activated(&edit, &RealEdit::signal_activated);
        // The bound applet slot runs on a commit (here it deletes its receiver).
        QPointer<QObject> receiver = new QObject;
        QVERIFY(edit.connectChanged(SLOT(deleteLater()), receiver));
        QVERIFY(edit.isConnected());
        edit.slot_triggered(); // nothing edited: nothing to commit
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(activated.count(), 0);
        edit.setValue(1000);
        type(edit, "4k7");
        QVERIFY(edit.isEdited());
        QCOMPARE(edit.styleSheet(), QString("color:blue;"));
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(activated.count(), 1);
        QVERIFY(!edit.isEdited());
        QCOMPARE(edit.styleSheet(), QString());
        QCOMPARE(edit.value(), 4700.0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(receiver.isNull());

        type(edit, "22");
        QTest::keyClick(&edit, Qt::Key_Escape);
        QCOMPARE(edit.text(), QString("4.70k"));
        QVERIFY(!edit.isEdited());
        QCOMPARE(activated.count(), 1);
    }

    void invalidTextStaysRed()
    {
        RealEdit edit;
        QSignalSpy activated(&edit, &RealEdit::signal_activated);
        edit.setValue(12);
        type(edit, "abc");
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(activated.count(), 0);
        QCOMPARE(edit.styleSheet(), QString("color:red;"));
        QVERIFY(edit.isEdited());
        QCOMPARE(edit.text(), QString("abc"));
        // Arrow keys do not turn the bad text into a number.
        QTest::keyClick(&edit, Qt::Key_Up);
        QCOMPARE(edit.text(), QString("abc"));
        // Fixing the text commits normally.
        type(edit, "3m3");
        QCOMPARE(edit.styleSheet(), QString("color:blue;"));
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(activated.count(), 1);
        QCOMPARE(edit.value(), 0.0033);
    }

    void plainCommitTakesPrecisionFromText()
    {
        RealEdit edit;
        edit.setEngineering(false);
        QSignalSpy activated(&edit, &RealEdit::signal_activated);
        type(edit, "3.14159");
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(activated.count(), 1);
        QCOMPARE(edit.precision(), 5);
        QCOMPARE(edit.text(), QString("3.14159"));
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
        QCOMPARE(engineering.precision(), 2);

        RealEdit plain;
        plain.setEngineering(false);
        plain.setText("0.000");
        plain.applyDescription();
        QVERIFY(!plain.isEngineering());
        QCOMPARE(plain.precision(), 3);

        RealEdit untouched; // engineering already on: a plain text changes nothing
        untouched.setText("0.000");
        untouched.applyDescription();
        QVERIFY(untouched.isEngineering());
        QCOMPARE(untouched.precision(), 2);
    }

    // Wheel notches given as "delta" or "delta shift"; half notches add up.
    void wheelSteps_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<QStringList>("notches");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("accumulates") << 1.5 << QStringList{"60", "60", "240", "-120"}
                                     << QStringList{"1.50", "1.51", "1.53", "1.52"};
        // One step of 0.01 in units of k; with Shift one whole k per notch.
        QTest::newRow("scales with prefix")
            << 4700.0 << QStringList{"120", "120 shift", "-240 shift"}
            << QStringList{"4.71k", "5.71k", "3.71k"};
        QTest::newRow("below the prefix unit")
            << 1000.0 << QStringList{"-120"} << QStringList{"999.99"};
        // No prefix below "p": the step stays in units of p, and 0.99p shows without prefix.
        QTest::newRow("smallest prefix") << 1e-12 << QStringList{"-120"} << QStringList{"0.00"};
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
        QVERIFY(edit.isEdited());
    }

    void wheelNeedsFocusAndWritable()
    {
        RealEdit edit;
        edit.setValue(1.5);
        wheel(edit, 120); // no focus
        QCOMPARE(edit.text(), QString("1.50"));
        showFocused(edit);
        edit.setWritable(false);
        QVERIFY(!edit.isWritable());
        wheel(edit, 120);
        QCOMPARE(edit.text(), QString("1.50"));
        edit.setWritable(true);
        wheel(edit, 120);
        QCOMPARE(edit.text(), QString("1.51"));
    }

    void wheelThenEscapeRestoresValueBeforeWheel()
    {
        RealEdit edit;
        showFocused(edit);
        edit.setValue(2.0);
        wheel(edit, 120);
        wheel(edit, 120);
        QCOMPARE(edit.text(), QString("2.02"));
        QTest::keyClick(&edit, Qt::Key_Escape);
        QCOMPARE(edit.text(), QString("2.00"));
    }
};

QTEST_MAIN(TestRealEdit)
#include "tst_realedit.moc"
