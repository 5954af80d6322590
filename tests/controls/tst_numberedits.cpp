#include "lineedit.h"
#include "realedit.h"

#include <QtTest>
#include <QtWidgets>

using namespace CustomControls;

namespace
{
const QString Blue = "color:blue;";

// Plays the applet: on the change signal it reads the value, "writes the model" and shows
// the model's value again, which ends the edit.
struct FakeApplet {
    explicit FakeApplet(LineEdit *edit)
    {
        QObject::connect(edit, &LineEdit::signal_activated, edit, [this, edit] {
            committed.append(edit->value());
            edit->setValue(committed.last());
        });
    }
    QList<double> committed;
};

void type(QLineEdit *edit, const QString &text, Qt::Key key = Qt::Key_unknown)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
    if (key != Qt::Key_unknown)
        QTest::keyClick(edit, key);
}

QAction *modeAction(LineEdit *edit, const QString &name)
{
    const QList<QAction *> actions = edit->modeMenu()->actions();
    auto found = std::find_if(actions.begin(), actions.end(),
                              [&name](QAction *a) { return a->text() == name; });
    return found == actions.end() ? nullptr : *found;
}

void wheel(QWidget *widget, int delta, Qt::KeyboardModifiers modifiers = {})
{
    const QPointF pos = widget->rect().center();
    QWheelEvent event(pos, widget->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}
} // namespace

class TstNumberEdits : public QObject
{
    Q_OBJECT
private slots:
    // The model's value, shown as unsigned 32 bits in the field's base (out of range: the
    // nearest bound), ends any edit.
    void lineEditFormatsInBase()
    {
        const std::tuple<int, double, const char *> cases[] = {
            {16, 255.0, "FF"},        {2, 255.0, "11111111"}, {16, -1.0, "FFFFFFFF"},
            {10, -1.0, "4294967295"}, {10, 7.9, "7"},         {16, 0x1000000ABp0, "AB"},
            {10, 1e300, "4294967295"}, {10, qQNaN(), "0"}};
        for (const auto &[base, value, text] : cases) {
            LineEdit edit;
            edit.setBase(base);
            edit.setText("x");
            edit.setValue(value);
            QCOMPARE(edit.text(), QString(text));
            QVERIFY(!edit.isEdited() && edit.styleSheet().isEmpty());
        }
    }

    // What is typed commits through the applet, on Return or on leaving the field; a prefix
    // switches the base; what the field shows itself commits as that value.
    void lineEditCommitsTypedText()
    {
        const std::tuple<const char *, bool, int, const char *, double> cases[] = {
            {"0b101", false, 2, "101", 5.0},
            {"0d17", true, 10, "17", 17.0},
            {"0x1f", false, 16, "1F", 31.0},
            {"80000000", true, 16, "80000000", 2147483648.0},
            {"FFFFFFFF", false, 16, "FFFFFFFF", 4294967295.0}};
        for (const auto &[typed, leave, base, shown, committed] : cases) {
            LineEdit edit;
            FakeApplet applet(&edit);
            edit.setBase(16);
            edit.setValue(255);
            QTest::keyClick(&edit, Qt::Key_Return); // nothing edited: nothing to commit
            QVERIFY(applet.committed.isEmpty());
            type(&edit, typed);
            QCOMPARE(edit.styleSheet(), Blue);
            if (leave)
                emit edit.editingFinished();
            else
                QTest::keyClick(&edit, Qt::Key_Return);
            QCOMPARE(applet.committed, QList<double>{committed});
            QCOMPARE(edit.base(), base);
            QCOMPARE(edit.text(), QString(shown));
            QCOMPARE(edit.styleSheet(), QString());
        }
    }

    // Text that is no number in the base is never committed and stays red, also when it comes
    // from the form; the model's value ends the marking.
    void lineEditRefusesBadText()
    {
        for (auto [base, typed] :
             {std::pair{10, "12G"}, {16, "100000000"}, {2, "102"}, {10, "0x"}}) {
            LineEdit edit;
            edit.setBase(base);
            edit.setValue(3);
            QSignalSpy activated(&edit, &LineEdit::signal_activated);
            type(&edit, typed, Qt::Key_Return);
            emit edit.editingFinished();
            QCOMPARE(activated.count(), 0);
            QCOMPARE(edit.styleSheet(), QString("color:red"));
            QCOMPARE(edit.value(), 0.0);
            const QString shown = edit.text();
            QTest::keyClick(&edit, Qt::Key_Up); // no step from 0 replaces the text
            QCOMPARE(edit.text(), shown);
        }
        LineEdit edit;
        edit.setText("Value");
        edit.applyDescription();
        QCOMPARE(edit.styleSheet(), QString("color:red"));
        edit.setValue(0x41);
        QCOMPARE(edit.text(), QString("65"));
        QCOMPARE(edit.styleSheet(), QString());
        edit.setText("0x10"); // good text from the form counts as an edit
        edit.applyDescription();
        QCOMPARE(edit.base(), 16);
        QCOMPARE(edit.styleSheet(), Blue);
    }

    void lineEditModesAndBases()
    {
        LineEdit edit;
        edit.setValue(10);
        edit.setBase(16); // "10" read in base 16 and shown again in it
        QCOMPARE(edit.value(), 16.0);
        for (int bad : {0, 8, -16}) { // refused: the field keeps its base and text
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
        edit.setValue(42); // array text is not reformatted
        QCOMPARE(edit.text(), QString("10"));
    }

    // Opening the menu shows the current mode and changes nothing.
    void lineEditMenuShowsModeWithoutChangingText()
    {
        LineEdit edit;
        edit.show();
        type(&edit, "0x1G"); // base 16 by prefix, text no number
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

    void lineEditArrayModeAndBytes()
    {
        LineEdit edit;
        FakeApplet applet(&edit);
        edit.setValue(4);
        type(&edit, "#hello", Qt::Key_Return);
        QVERIFY(edit.isArrayMode());
        QCOMPARE(applet.committed.size(), 1); // raw text commits
        QCOMPARE(edit.byteArrayValue(), QByteArray("hello"));
        edit.setByteArrayValue(QByteArray("ab\0cd", 5));
        QCOMPARE(edit.text(), QString("ab"));
        QVERIFY(!edit.isEdited()); // a refresh from the model is no edit
        edit.setByteArrayValue(QByteArray("\xE4xy"));
        QCOMPARE(edit.byteArrayValue(), QByteArray("\xE4xy"));
    }

    // Arrow keys step without marking an edit; the wheel steps only a field the user clicked
    // into, and that step is an edit. A read-only field does neither.
    void lineEditStepsByKeyAndWheel()
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
        for (auto [key, text] : {std::pair{Qt::Key_Up, "10"}, {Qt::Key_Down, "9"}}) {
            QTest::keyClick(edit, key);
            QCOMPARE(edit->text(), QString(text));
        }
        QVERIFY(!edit->isEdited());
        edit->setFocus(Qt::TabFocusReason); // focus without a click is cleared, not moved
        QVERIFY(!edit->hasFocus() && !next->hasFocus());
        QTest::mouseClick(edit, Qt::MiddleButton);
        QVERIFY(!edit->hasFocus());
        wheel(edit, 120);
        QCOMPARE(edit->text(), QString("9"));
        QTest::mouseClick(edit, Qt::LeftButton);
        QVERIFY(edit->hasFocus());
        for (auto [delta, text] : {std::pair{120, "10"}, {60, "10"}, {60, "11"}}) {
            wheel(edit, delta); // half notches add up
            QCOMPARE(edit->text(), QString(text));
        }
        QCOMPARE(edit->styleSheet(), Blue);
        edit->setWritable(false);
        wheel(edit, 120);
        QTest::keyClick(edit, Qt::Key_Up);
        QCOMPARE(edit->text(), QString("11"));
    }

    // Engineering text: "4.7k" and the compact "4k7"; anything after the number is refused.
    void realEditParses()
    {
        const std::tuple<const char *, double, bool, int> cases[] = {
            {"4.7k", 4700.0, true, 2},    {"4k75", 4750.0, true, 2},   {"4M7", 4700000.0, true, 1},
            {"4m7", 0.0047, true, 4},     {"22", 22.0, true, 3},       {"1.5G", 1.5e9, true, 0},
            {"-4k7", -4700.0, true, 2},   {"1k5m", 0.0015, true, 4},   {"4k7xyz", 4700.0, false, 2},
            {"1.5 ", 1.5, true, 3},       {"15 ", 0.0, false, 3},      {"k", 0.0, false, 2},
            {"330.00u", 330e-6, true, 5}, {"4.7n", 4.7e-9, true, 6},   {"100.00p", 1e-10, true, 7},
            {"1K", 0.0, false, 3},        {"", 0.0, false, 3},         {"4.7.k", 0.0, false, 2}};
        for (const auto &[text, expected, valid, prefix] : cases) {
            RealEdit edit;
            bool ok = !valid;
            const double parsed = edit.parseValue(text, &ok);
            QVERIFY2(qFuzzyCompare(1.0 + parsed, 1.0 + expected) && ok == valid, text);
            QCOMPARE(RealEdit::prefixIndex(text), prefix);
        }
    }

    void realEditFormats()
    {
        const std::tuple<double, int, const char *, int> cases[] = {
            {0.25, 2, "250.00m", 4}, {0.0, 2, "0.00", 3},    {999.999, 2, "1000.00", 3},
            {2.5e9, 2, "2.50G", 0},  {5e-13, 2, "0.00", 3},  {-4700.0, 2, "-4.70k", 2},
            {4700.0, 0, "5k", 2},    {3.3e-6, 1, "3.3u", 5}, {1e-12, 2, "1.00p", 7},
            {1e6, 3, "1.000M", 1}};
        for (const auto &[value, precision, text, index] : cases) {
            RealEdit edit;
            QCOMPARE(edit.formatValue(value, precision), QString(text));
            QCOMPARE(edit.currentPrefixIndex(), index);
        }
    }

    // Precision: set, bounded, asked for, or taken from the text of a plain-number edit.
    void realEditPrecision()
    {
        RealEdit edit;
        static_cast<UniversalControl &>(edit).setText("ignored");
        QCOMPARE(edit.text(), QString("0.00"));
        edit.setValue(4700);
        edit.setPrecision(0);
        QCOMPARE(edit.text(), QString("5k"));
        for (auto [set, kept] : {std::pair{-4, 0}, {40, RealEdit::MaxPrecision}}) {
            edit.setPrecision(set);
            QCOMPARE(edit.precision(), kept);
        }
        for (bool accept : {true, false}) { // an answer out of range is bounded too
            QTimer::singleShot(50, [accept]() {
                auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
                QVERIFY(dialog && dialog->labelText() == "Precision");
                dialog->setIntValue(accept ? 1000 : 3);
                accept ? dialog->accept() : dialog->reject();
            });
            QVERIFY(QMetaObject::invokeMethod(&edit, "slot_CustomPrecision"));
            QCOMPARE(edit.precision(), RealEdit::MaxPrecision);
        }
        RealEdit plain;
        plain.setEngineering(false);
        plain.setValue(4700);
        QCOMPARE(plain.text(), QString("4700.00"));
        type(&plain, "3.14159", Qt::Key_Return);
        QCOMPARE(plain.precision(), 5);
        type(&plain, "7", Qt::Key_Return);
        QCOMPARE(plain.text(), QString("7.0")); // no point: the whole text length
        plain.setText("0.000");
        plain.applyDescription();
        QCOMPARE(plain.precision(), 3);
        plain.setText("1.0k"); // a prefix letter in the form's text turns engineering on
        plain.applyDescription();
        QVERIFY(plain.isEngineering());
    }

    // Return commits good text; Escape returns to the value before the edit; bad text stays
    // red and is never committed; arrows step in base units without committing.
    void realEditCommitsEscapesAndSteps()
    {
        RealEdit edit;
        QSignalSpy activated(&edit, &RealEdit::signal_activated);
        QPointer<QObject> receiver = new QObject; // the bound slot deletes it
        QVERIFY(edit.connectChanged(SLOT(deleteLater()), receiver));
        QTest::keyClick(&edit, Qt::Key_Return); // nothing edited: nothing to commit
        QCOMPARE(activated.count(), 0);
        edit.setValue(1000);
        type(&edit, "4k7");
        QCOMPARE(edit.styleSheet(), Blue);
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(activated.count(), 1);
        QCOMPARE(edit.styleSheet(), QString());
        QCOMPARE(edit.value(), 4700.0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(receiver.isNull());
        type(&edit, "22", Qt::Key_Escape);
        QCOMPARE(edit.text(), QString("4.70k"));
        QVERIFY(!edit.isEdited());
        type(&edit, "abc", Qt::Key_Return);
        QCOMPARE(edit.styleSheet(), QString("color:red;"));
        QTest::keyClick(&edit, Qt::Key_Up); // arrows do not turn bad text into a number
        QCOMPARE(edit.text(), QString("abc"));
        type(&edit, "3m3", Qt::Key_Return);
        QCOMPARE(edit.value(), 0.0033);
        QCOMPARE(activated.count(), 2);
        edit.setValue(1.5);
        for (auto [key, text] : {std::pair{Qt::Key_Up, "1.51"}, {Qt::Key_Down, "1.50"},
                                 {Qt::Key_Down, "1.49"}}) {
            QTest::keyClick(&edit, key);
            QCOMPARE(edit.text(), QString(text));
        }
        QVERIFY(!edit.isEdited());
        edit.setValue(4700); // 4700 + 0.01 still shows 4.70k
        QTest::keyClick(&edit, Qt::Key_Up);
        QCOMPARE(edit.text(), QString("4.70k"));
        QCOMPARE(activated.count(), 2);
    }

    // The wheel acts only on a focused, writable edit. Notches "delta" or "delta shift"; half
    // notches add up; 1.00k steps down to 999.99; Escape returns to the value before the wheel.
    void realEditWheel()
    {
        RealEdit edit;
        edit.setValue(1.5);
        wheel(&edit, 120); // no focus
        QCOMPARE(edit.text(), QString("1.50"));
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        edit.activateWindow();
        edit.setFocus();
        QTRY_VERIFY(edit.hasFocus());
        edit.setWritable(false);
        wheel(&edit, 120);
        QCOMPARE(edit.text(), QString("1.50"));
        edit.setWritable(true);
        const std::tuple<double, QStringList, QStringList> cases[] = {
            {1.5, {"60", "60", "240", "-120"}, {"1.50", "1.51", "1.53", "1.52"}},
            {4700.0, {"120", "120 shift", "-240 shift"}, {"4.71k", "5.71k", "3.71k"}},
            {1000.0, {"-120"}, {"999.99"}},
            {1e-12, {"-120"}, {"0.00"}}};
        for (const auto &[start, notches, texts] : cases) {
            edit.setValue(start);
            for (int i = 0; i < notches.size(); ++i) {
                const QStringList parts = notches.at(i).split(' ');
                wheel(&edit, parts.first().toInt(),
                      parts.size() > 1 ? Qt::ShiftModifier : Qt::NoModifier);
                QCOMPARE(edit.text(), texts.at(i));
            }
            QTest::keyClick(&edit, Qt::Key_Escape);
            QCOMPARE(edit.text(), edit.formatValue(start, 2));
        }
    }
};

QTEST_MAIN(TstNumberEdits)
#include "tst_numberedits.moc"
