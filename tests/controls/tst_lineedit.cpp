#include "lineedit.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtTest>

using namespace CustomControls;

namespace
{
const QString Blue = "color:blue;";
const QString Red = "color:red";

// Plays the applet: on the change signal it reads the value, "writes the model" and shows
// the model's value again, which ends the edit.
struct FakeApplet {
    explicit FakeApplet(LineEdit *edit) : edit(edit)
    {
        QObject::connect(edit, &LineEdit::signal_activated, edit, [this] {
            const double v = this->edit->value();
            committed.append(v);
            this->edit->setValue(v);
        });
    }
    LineEdit *edit;
    QList<double> committed;
};

void typeText(LineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

QAction *modeAction(LineEdit *edit, const QString &name)
{
    for (QAction *action : edit->modeMenu()->actions()) {
        if (action->text() == name)
            return action;
    }
    return nullptr;
}

// Lays the widgets out in a shown, active window.
void showInWindow(QWidget &window, const QList<QWidget *> &widgets)
{
    auto *layout = new QVBoxLayout(&window);
    for (QWidget *widget : widgets)
        layout->addWidget(widget);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

void sendWheel(QWidget *widget, int delta)
{
    const QPointF pos = widget->rect().center();
    QWheelEvent event(pos, widget->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}
} // namespace

class TstLineEdit : public QObject
{
    Q_OBJECT
private slots:
    void formatInBase_data()
    {
        QTest::addColumn<int>("base");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("hex") << 16 << 255.0 << "FF";
        QTest::newRow("bin") << 2 << 255.0 << "11111111";
        QTest::newRow("dec") << 10 << 255.0 << "255";
        QTest::newRow("hex minus one") << 16 << -1.0 << "FFFFFFFF";
        QTest::newRow("dec minus one") << 10 << -1.0 << "4294967295";
        QTest::newRow("truncated") << 10 << 7.9 << "7";
        QTest::newRow("low 32 bits") << 16 << 4294967296.0 + 0xAB << "AB";
    }

    void formatInBase()
    {
        QFETCH(int, base);
        QFETCH(double, value);
        QFETCH(QString, text);
        LineEdit edit;
        edit.setBase(base);
        edit.setValue(value);
        QCOMPARE(edit.text(), text);
        QVERIFY(!edit.isEdited());
        QCOMPARE(edit.styleSheet(), QString());
    }

    void typedPrefixSwitchesBaseAndCommits_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("base");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("committed");
        QTest::newRow("bin") << "0b101" << 2 << "101" << 5.0;
        QTest::newRow("dec") << "0d17" << 10 << "17" << 17.0;
        QTest::newRow("hex") << "0x1f" << 16 << "1F" << 31.0;
    }

    void typedPrefixSwitchesBaseAndCommits()
    {
        QFETCH(QString, typed);
        QFETCH(int, base);
        QFETCH(QString, shown);
        QFETCH(double, committed);
        LineEdit edit;
        FakeApplet applet(&edit);
        edit.setBase(16);
        edit.setValue(255);
        QCOMPARE(edit.text(), QString("FF"));
        typeText(&edit, typed);
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(applet.committed, QList<double>{committed});
        QCOMPARE(edit.base(), base);
        QCOMPARE(edit.text(), shown);
        QCOMPARE(edit.styleSheet(), QString());
    }

    void fullUnsignedRangeCommits()
    {
        LineEdit edit;
        FakeApplet applet(&edit);
        edit.setBase(16);
        typeText(&edit, "80000000");
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(applet.committed, QList<double>{2147483648.0});
        QCOMPARE(edit.text(), QString("80000000"));

        // What the field shows itself commits as that value.
        edit.setValue(-1);
        QCOMPARE(edit.text(), QString("FFFFFFFF"));
        typeText(&edit, edit.text());
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(applet.committed.last(), 4294967295.0);
        QCOMPARE(edit.text(), QString("FFFFFFFF"));
    }

    void unparsableTextStaysRedAndIsNotCommitted_data()
    {
        QTest::addColumn<int>("base");
        QTest::addColumn<QString>("typed");
        QTest::newRow("letters in dec") << 10 << "12G";
        QTest::newRow("above 32 bits") << 16 << "100000000";
        QTest::newRow("digit 2 in bin") << 2 << "102";
        QTest::newRow("empty prefix") << 10 << "0x";
    }

    void unparsableTextStaysRedAndIsNotCommitted()
    {
        QFETCH(int, base);
        QFETCH(QString, typed);
        LineEdit edit;
        edit.setBase(base);
        edit.setValue(3);
        QSignalSpy activated(&edit, &LineEdit::signal_activated);
        typeText(&edit, typed);
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(activated.count(), 0);
        QCOMPARE(edit.styleSheet(), Red);
        QVERIFY(edit.isEdited());
        // Leaving the field does not commit it either.
        emit edit.editingFinished();
        QCOMPARE(activated.count(), 0);
        QCOMPARE(edit.value(), 0.0);
    }

    void editMarking()
    {
        LineEdit edit;
        edit.setValue(1);
        QSignalSpy activated(&edit, &LineEdit::signal_activated);
        QTest::keyClick(&edit, Qt::Key_Return); // nothing edited: nothing to commit
        QCOMPARE(activated.count(), 0);
        QTest::keyClicks(&edit, "2");
        QVERIFY(edit.isEdited());
        QCOMPARE(edit.styleSheet(), Blue);
        edit.setValue(12);
        QVERIFY(!edit.isEdited());
        QCOMPARE(edit.styleSheet(), QString());
    }

    void formTextThatDoesNotParseIsRedAfterApplyDescription()
    {
        LineEdit edit;
        edit.setText("Value");
        edit.applyDescription();
        QCOMPARE(edit.styleSheet(), Red);
        QCOMPARE(edit.text(), QString("Value"));

        edit.setValue(0x41); // the model's value ends the marking
        QCOMPARE(edit.text(), QString("65"));
        QCOMPARE(edit.styleSheet(), QString());

        LineEdit empty; // a field the form left empty
        empty.applyDescription();
        empty.setValue(0);
        QCOMPARE(empty.styleSheet(), QString());

        // Text set by the form counts as an edit until the first value arrives.
        LineEdit good;
        good.setText("0x10");
        QVERIFY(good.isEdited());
        QCOMPARE(good.styleSheet(), Blue);
        good.applyDescription();
        QCOMPARE(good.base(), 16);
        QCOMPARE(good.styleSheet(), Blue);
    }

    void menuModeReformats()
    {
        LineEdit edit;
        edit.setBase(16);
        edit.setValue(10);
        QCOMPARE(edit.text(), QString("A"));
        modeAction(&edit, "BIN")->trigger();
        QCOMPARE(edit.base(), 2);
        QCOMPARE(edit.text(), QString("1010"));
        modeAction(&edit, "DEC")->trigger();
        QCOMPARE(edit.text(), QString("10"));
        modeAction(&edit, "ARRAY")->trigger();
        QVERIFY(edit.isArrayMode());
        modeAction(&edit, "HEX")->trigger();
        QCOMPARE(edit.base(), 16);
        QVERIFY(edit.isArrayMode()); // array mode stays on
    }

    void menuShowsCurrentModeWithoutChangingText()
    {
        LineEdit edit;
        edit.resize(100, 24);
        edit.show();
        typeText(&edit, "0x1G"); // base 16 by prefix, text no number, not committed
        QCOMPARE(edit.value(), 0.0);
        QCOMPARE(edit.base(), 16);

        bool menuSeen = false;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            if (QWidget *popup = QApplication::activePopupWidget()) {
                menuSeen = popup == edit.modeMenu();
                popup->close();
            }
        });
        closer.start(20);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                edit.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&edit, &event);
        closer.stop();

        QVERIFY(menuSeen);
        QVERIFY(modeAction(&edit, "HEX")->isChecked());
        QVERIFY(!modeAction(&edit, "DEC")->isChecked());
        QCOMPARE(edit.text(), QString("1G"));
        QCOMPARE(edit.styleSheet(), Red);
    }

    void setBaseRereadsText()
    {
        LineEdit edit;
        edit.setValue(10);
        edit.setBase(16); // "10" read in base 16 and shown again in it
        QCOMPARE(edit.text(), QString("10"));
        QCOMPARE(edit.value(), 16.0);

        // Bases other than 2, 10 and 16 are refused: the field keeps its base and text.
        for (int bad : {0, 1, 8, 37, -16}) {
            edit.setBase(bad);
            QCOMPARE(edit.base(), 16);
            QCOMPARE(edit.text(), QString("10"));
        }
        edit.setValue(255);
        QCOMPARE(edit.text(), QString("FF"));
    }

    void arrayModeAndBytes()
    {
        LineEdit edit;
        FakeApplet applet(&edit);
        edit.setValue(4);
        typeText(&edit, "#hello");
        QTest::keyClick(&edit, Qt::Key_Return);
        QVERIFY(edit.isArrayMode());
        QCOMPARE(edit.text(), QString("hello"));
        QCOMPARE(applet.committed.size(), 1); // raw text commits
        QCOMPARE(edit.byteArrayValue(), QByteArray("hello"));
        QVERIFY(edit.styleSheet() != Red);

        edit.setValue(42); // array text is not reformatted
        QCOMPARE(edit.text(), QString("hello"));

        edit.setByteArrayValue(QByteArray("ab\0cd", 5));
        QCOMPARE(edit.text(), QString("ab"));
        QVERIFY(!edit.isEdited()); // a refresh from the model is no edit
        edit.setByteArrayValue(QByteArray("\xE4xy"));
        QCOMPARE(edit.text(), QString::fromLatin1("\xE4xy"));
        QCOMPARE(edit.byteArrayValue(), QByteArray("\xE4xy"));
    }

    void arrowKeysStepWithoutMarking()
    {
        LineEdit edit;
        edit.setValue(9);
        QTest::keyClick(&edit, Qt::Key_Up);
        QCOMPARE(edit.text(), QString("10"));
        QVERIFY(!edit.isEdited());
        QCOMPARE(edit.styleSheet(), QString());
        QTest::keyClick(&edit, Qt::Key_Down);
        QTest::keyClick(&edit, Qt::Key_Down);
        QCOMPARE(edit.text(), QString("8"));

        // A text that is no number is not replaced by a step from 0.
        typeText(&edit, "xy");
        QTest::keyClick(&edit, Qt::Key_Up);
        QCOMPARE(edit.text(), QString("xy"));
        QCOMPARE(edit.styleSheet(), Red);

        edit.setValue(9);
        edit.setWritable(false);
        QVERIFY(edit.isReadOnly());
        QVERIFY(!edit.isWritable());
        QTest::keyClick(&edit, Qt::Key_Up);
        QTest::keyClick(&edit, Qt::Key_Down);
        QCOMPARE(edit.text(), QString("9"));
    }

    void wheelStepsClickedFieldOnly()
    {
        QWidget window;
        auto *edit = new LineEdit;
        showInWindow(window, {edit});
        edit->setValue(9);

        sendWheel(edit, 120); // not clicked: ignored
        QCOMPARE(edit->text(), QString("9"));

        QTest::mouseClick(edit, Qt::LeftButton);
        QVERIFY(edit->hasFocus());
        sendWheel(edit, 120);
        QCOMPARE(edit->text(), QString("10"));
        QVERIFY(edit->isEdited());
        QCOMPARE(edit->styleSheet(), Blue);

        sendWheel(edit, 60); // half notches add up
        QCOMPARE(edit->text(), QString("10"));
        sendWheel(edit, 60);
        QCOMPARE(edit->text(), QString("11"));
        sendWheel(edit, -240);
        QCOMPARE(edit->text(), QString("9"));

        edit->setWritable(false);
        sendWheel(edit, 120);
        QCOMPARE(edit->text(), QString("9"));
    }

    void focusWithoutClickIsClearedNotMoved()
    {
        QWidget window;
        auto *first = new LineEdit;
        auto *next = new QLineEdit; // would take the focus if it were passed on
        auto *third = new LineEdit;
        showInWindow(window, {first, next, third});

        first->setFocus(Qt::TabFocusReason);
        QVERIFY(!first->hasFocus());
        QVERIFY(!next->hasFocus());
        QVERIFY(!third->hasFocus());

        // Only a left click keeps the focus (and with it the wheel).
        QTest::mouseClick(third, Qt::MiddleButton);
        QVERIFY(!third->hasFocus());
        third->setValue(9);
        sendWheel(third, 120);
        QCOMPARE(third->text(), QString("9"));

        QTest::mouseClick(third, Qt::LeftButton);
        QVERIFY(third->hasFocus());
    }
};

QTEST_MAIN(TstLineEdit)
#include "tst_lineedit.moc"
