#include "lineedit.h"
#include "../support/tablerows.h"

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
        addRows<int, double, QString>({"base", "value", "text"},
                                      {{16, 255.0, "FF"},
                                       {2, 255.0, "11111111"},
                                       {16, -1.0, "FFFFFFFF"},
                                       {10, -1.0, "4294967295"},
                                       {10, 7.9, "7"},
                                       {16, 4294967296.0 + 0xAB, "AB"}});
    }

    void formatInBase()
    {
        QFETCH(int, base);
        QFETCH(double, value);
        QFETCH(QString, text);
        LineEdit edit;
        edit.setBase(base);
        edit.setText("x"); // an edit, ended by the model's value
        edit.setValue(value);
        QCOMPARE(edit.text(), text);
        QVERIFY(!edit.isEdited());
        QCOMPARE(edit.styleSheet(), QString());
    }

    // What is typed commits through the applet; a prefix switches the base; what the field
    // shows itself commits as that value (unsigned 32 bits).
    void typedTextCommits_data()
    {
        addRows<QString, int, QString, double>({"typed", "base", "shown", "committed"},
                                               {{"0b101", 2, "101", 5.0},
                                                {"0d17", 10, "17", 17.0},
                                                {"0x1f", 16, "1F", 31.0},
                                                {"80000000", 16, "80000000", 2147483648.0},
                                                {"FFFFFFFF", 16, "FFFFFFFF", 4294967295.0}});
    }

    void typedTextCommits()
    {
        QFETCH(QString, typed);
        QFETCH(int, base);
        QFETCH(QString, shown);
        QFETCH(double, committed);
        LineEdit edit;
        FakeApplet applet(&edit);
        edit.setBase(16);
        edit.setValue(255);
        QTest::keyClick(&edit, Qt::Key_Return); // nothing edited: nothing to commit
        QVERIFY(applet.committed.isEmpty());
        typeText(&edit, typed);
        QVERIFY(edit.isEdited());
        QCOMPARE(edit.styleSheet(), Blue);
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(applet.committed, QList<double>{committed});
        QCOMPARE(edit.base(), base);
        QCOMPARE(edit.text(), shown);
        QCOMPARE(edit.styleSheet(), QString());
    }

    void unparsableTextStaysRedAndIsNotCommitted_data()
    {
        addRows<int, QString>({"base", "typed"},
                              {{10, "12G"}, {16, "100000000"}, {2, "102"}, {10, "0x"}});
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
        emit edit.editingFinished(); // leaving the field does not commit it either
        QCOMPARE(activated.count(), 0);
        QCOMPARE(edit.styleSheet(), Red);
        QCOMPARE(edit.value(), 0.0);
        const QString shown = edit.text();
        QTest::keyClick(&edit, Qt::Key_Up); // no step from 0 replaces the text
        QCOMPARE(edit.text(), shown);
    }

    void formTextAndApplyDescription()
    {
        LineEdit edit;
        edit.setText("Value");
        edit.applyDescription();
        QCOMPARE(edit.styleSheet(), Red);
        edit.setValue(0x41); // the model's value ends the marking
        QCOMPARE(edit.text(), QString("65"));
        QCOMPARE(edit.styleSheet(), QString());

        // Text set by the form counts as an edit until the first value arrives.
        LineEdit good;
        good.setText("0x10");
        good.applyDescription();
        QCOMPARE(good.base(), 16);
        QCOMPARE(good.styleSheet(), Blue);
    }

    void modesAndBases()
    {
        LineEdit edit;
        edit.setValue(10);
        edit.setBase(16); // "10" read in base 16 and shown again in it
        QCOMPARE(edit.value(), 16.0);
        // Bases other than 2, 10 and 16 are refused: the field keeps its base and text.
        for (int bad : {0, 8, -16}) {
            edit.setBase(bad);
            QCOMPARE(edit.base(), 16);
            QCOMPARE(edit.text(), QString("10"));
        }
        edit.setValue(10);
        modeAction(&edit, "BIN")->trigger();
        QCOMPARE(edit.text(), QString("1010"));
        modeAction(&edit, "DEC")->trigger();
        QCOMPARE(edit.text(), QString("10"));
        modeAction(&edit, "ARRAY")->trigger();
        modeAction(&edit, "HEX")->trigger();
        QCOMPARE(edit.base(), 16);
        QVERIFY(edit.isArrayMode()); // array mode stays on
    }

    void menuShowsCurrentModeWithoutChangingText()
    {
        LineEdit edit;
        edit.resize(100, 24);
        edit.show();
        typeText(&edit, "0x1G"); // base 16 by prefix, text no number
        QCOMPARE(edit.value(), 0.0);
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
    }

    void arrayModeAndBytes()
    {
        LineEdit edit;
        FakeApplet applet(&edit);
        edit.setValue(4);
        typeText(&edit, "#hello");
        QTest::keyClick(&edit, Qt::Key_Return);
        QVERIFY(edit.isArrayMode());
        QCOMPARE(applet.committed.size(), 1); // raw text commits
        QCOMPARE(edit.byteArrayValue(), QByteArray("hello"));
        edit.setValue(42); // array text is not reformatted
        QCOMPARE(edit.text(), QString("hello"));
        edit.setByteArrayValue(QByteArray("ab\0cd", 5));
        QCOMPARE(edit.text(), QString("ab"));
        QVERIFY(!edit.isEdited()); // a refresh from the model is no edit
        edit.setByteArrayValue(QByteArray("\xE4xy"));
        QCOMPARE(edit.byteArrayValue(), QByteArray("\xE4xy"));
    }

    void arrowKeysStepWithoutMarking()
    {
        LineEdit edit;
        edit.setValue(9);
        QTest::keyClick(&edit, Qt::Key_Up);
        QCOMPARE(edit.text(), QString("10"));
        QVERIFY(!edit.isEdited());
        QTest::keyClick(&edit, Qt::Key_Down);
        QTest::keyClick(&edit, Qt::Key_Down);
        QCOMPARE(edit.text(), QString("8"));
        edit.setWritable(false);
        QVERIFY(edit.isReadOnly());
        QTest::keyClick(&edit, Qt::Key_Up);
        QCOMPARE(edit.text(), QString("8"));
    }

    void wheelAndFocus()
    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *edit = new LineEdit;
        auto *next = new QLineEdit; // would take the focus if it were passed on
        layout->addWidget(edit);
        layout->addWidget(next);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        edit->setValue(9);

        edit->setFocus(Qt::TabFocusReason); // focus without a click is cleared, not moved
        QVERIFY(!edit->hasFocus());
        QVERIFY(!next->hasFocus());
        QTest::mouseClick(edit, Qt::MiddleButton);
        QVERIFY(!edit->hasFocus());
        sendWheel(edit, 120); // not clicked: ignored
        QCOMPARE(edit->text(), QString("9"));

        QTest::mouseClick(edit, Qt::LeftButton);
        QVERIFY(edit->hasFocus());
        sendWheel(edit, 120);
        QCOMPARE(edit->text(), QString("10"));
        QCOMPARE(edit->styleSheet(), Blue);
        sendWheel(edit, 60); // half notches add up
        QCOMPARE(edit->text(), QString("10"));
        sendWheel(edit, 60);
        QCOMPARE(edit->text(), QString("11"));
        edit->setWritable(false);
        sendWheel(edit, 120);
        QCOMPARE(edit->text(), QString("11"));
    }
};

QTEST_MAIN(TstLineEdit)
#include "tst_lineedit.moc"
