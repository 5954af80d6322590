#include "lineedit.h"
#include "realedit.h"
#include "whenmodal.h"

#include <QtTest>
#include <QtWidgets>

#include <cmath>

using namespace CustomControls;

namespace
{
const QString Blue = "color:blue;";

// Plays the applet: bound to the change signal, it reads the value, "writes the model" and
// shows the model's value again, which ends the edit.
class FakeApplet : public QObject
{
    Q_OBJECT
public:
    explicit FakeApplet(UniversalControl *edit) : m_edit(edit)
    {
        edit->connectChanged(SLOT(slot_ControlTriggered()), this);
    }
    QList<double> committed;
public slots:
    void slot_ControlTriggered()
    {
        committed.append(m_edit->value());
        m_edit->setValue(committed.last());
    }

private:
    UniversalControl *m_edit;
};

// Counts the key presses that reach the watched widget.
class KeyCounter : public QObject
{
public:
    int keys = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        keys += event->type() == QEvent::KeyPress;
        return false;
    }
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
// Counts the style changes of a widget: each edit mark and its end restyle it.
class StyleChanges : public QObject
{
public:
    explicit StyleChanges(QWidget *widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::StyleChange;
        return false;
    }
};

} // namespace

class TstNumberEdits : public QObject
{
    Q_OBJECT
private slots:
    // The model's value ends any edit. The line edit shows it as unsigned 32 bits in its base
    // (out of range: the nearest bound); the real edit in its precision, with a prefix.
    void editsShowTheValue()
    {
        const std::tuple<bool, int, double, const char *, int> cases[] = {
            {false, 16, 255.0, "FF", 0},
            {false, 2, 255.0, "11111111", 0},
            {false, 16, -1.0, "FFFFFFFF", 0},
            {false, 10, -1.0, "4294967295", 0},
            {false, 10, 7.9, "7", 0},
            {false, 16, 0x1000000ABp0, "AB", 0},
            {false, 10, 1e300, "4294967295", 0},
            {false, 10, qQNaN(), "0", 0},
            {true, 2, 0.25, "250.00m", 4},
            {true, 2, 0.0, "0.00", 3},
            {true, 2, 2.5e9, "2.50G", 0},
            {true, 2, 999.999, "1000.00", 3},
            {true, 2, 5e-13, "0.00", 3},
            {true, 0, 4700.0, "5k", 2},
            {true, 2, -4700.0, "-4.70k", 2},
            {true, 1, 3.3e-6, "3.3u", 5},
            {true, 2, 1e-12, "1.00p", 7},
            {true, 3, 1e6, "1.000M", 1}};
        for (const auto &[real, baseOrPrecision, value, text, index] : cases) {
            LineEdit line;
            RealEdit realEdit;
            QLineEdit *edit = real ? static_cast<QLineEdit *>(&realEdit) : &line;
            line.setBase(baseOrPrecision);
            realEdit.setPrecision(baseOrPrecision);
            edit->setText("x");
            dynamic_cast<UniversalControl *>(edit)->setValue(value);
            QCOMPARE(edit->text(), QString(text));
            QVERIFY(edit->styleSheet().isEmpty() && !line.isEdited() && !realEdit.isEdited());
            if (real)
                QCOMPARE(realEdit.currentPrefixIndex(), index);
            // Showing another value in an unmarked field sets no mark on the way.
            StyleChanges changes(edit);
            dynamic_cast<UniversalControl *>(edit)->setValue(12345);
            QVERIFY(edit->text() != QString(text) && edit->styleSheet().isEmpty());
            QCOMPARE(changes.count, 0);
        }
    }

    // A line edit showing the value already keeps its text and cursor; a mark already set is
    // not set again, and a shown value still ends it.
    void shownValueKept()
    {
        LineEdit line;
        line.setValue(42);
        line.setCursorPosition(1);
        line.setValue(42);
        QCOMPARE(line.cursorPosition(), 1);
        line.setValue(43);
        QCOMPARE(line.text(), QString("43"));
        QCOMPARE(line.cursorPosition(), 2);
        StyleChanges changes(&line);
        line.setText("44"); // as a page's own code writes a field: marked
        const int marked = changes.count;
        QVERIFY(marked > 0 && line.isEdited());
        line.setText("45");
        QCOMPARE(changes.count, marked);
        line.setValue(45);
        QVERIFY(!line.isEdited() && line.styleSheet().isEmpty());
        QCOMPARE(line.text(), QString("45"));

        // A read-only field (a readout) given a text by the page's code is no edit: no mark,
        // and leaving it commits nothing.
        LineEdit lineReadout;
        RealEdit realReadout;
        for (QLineEdit *readout : {static_cast<QLineEdit *>(&lineReadout),
                                   static_cast<QLineEdit *>(&realReadout)}) {
            readout->setReadOnly(true);
            QSignalSpy committed(readout, SIGNAL(signal_activated()));
            StyleChanges readoutChanges(readout);
            readout->setText("46");
            emit readout->editingFinished();
            QCOMPARE(readoutChanges.count + committed.count(), 0);
        }
        QVERIFY(!lineReadout.isEdited() && !realReadout.isEdited());
    }

    // Both edits: typed text is marked blue; Return, or leaving the field, commits good text
    // once through the applet (a prefix switches the line edit's base). Text that is no number
    // is never committed, stays red and is not stepped. Nothing edited commits nothing.
    void editsCommitOnlyGoodText()
    {
        const struct {
            bool real;
            int base;
            const char *typed;
            bool leave;
            const char *shown; // nullptr: refused
            double committed;
        } cases[] = {{false, 16, "0b101", false, "101", 5.0},
                     {false, 16, "0d17", true, "17", 17.0},
                     {false, 16, "0x1f", false, "1F", 31.0},
                     {true, 0, "4k7", false, "4.70k", 4700.0},
                     {false, 16, "80000000", true, "80000000", 2147483648.0},
                     {false, 16, "FFFFFFFF", false, "FFFFFFFF", 4294967295.0},
                     {true, 0, "3m3", true, "3.30m", 0.0033},
                     {false, 10, "12G", false, nullptr, 0.0},
                     {false, 2, "102", false, nullptr, 0.0},
                     {false, 16, "100000000", true, nullptr, 0.0},
                     {false, 10, "0x", false, nullptr, 0.0},
                     {true, 0, "abc", false, nullptr, 0.0},
                     {true, 0, "4k7xyz", true, nullptr, 0.0}};
        for (const auto &c : cases) {
            std::unique_ptr<QLineEdit> line(c.real ? static_cast<QLineEdit *>(new RealEdit)
                                                   : new LineEdit);
            if (auto *lineEdit = qobject_cast<LineEdit *>(line.get()))
                lineEdit->setBase(c.base);
            auto *edit = dynamic_cast<UniversalControl *>(line.get());
            edit->setValue(3);
            FakeApplet applet(edit);
            QTest::keyClick(line.get(), Qt::Key_Return);
            QVERIFY(applet.committed.isEmpty());
            type(line.get(), c.typed);
            QCOMPARE(line->styleSheet(), Blue);
            if (!c.leave)
                QTest::keyClick(line.get(), Qt::Key_Return);
            emit line->editingFinished();
            QCOMPARE(applet.committed.size(), c.shown ? 1 : 0);
            if (c.shown) {
                QCOMPARE(applet.committed.first(), c.committed);
                QCOMPARE(line->text(), QString(c.shown));
                QCOMPARE(line->styleSheet(), QString());
                continue;
            }
            QVERIFY2(line->styleSheet().startsWith("color:red"), c.typed);
            const QString shown = line->text();
            QTest::keyClick(line.get(), Qt::Key_Up);
            QCOMPARE(line->text(), shown);
        }
    }

    void lineEditModesAndBases()
    {
        LineEdit edit;
        edit.setValue(10);
        edit.setBase(16); // "10" read in base 16 and shown again in it
        QCOMPARE(edit.value(), 16.0);
        for (int bad : {0, 8, -16}) { // refused: the field keeps its base and text
            edit.setBase(bad);
            QVERIFY(edit.base() == 16 && edit.text() == "10");
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
        edit.setValue(42);           // array text is not reformatted
        QCOMPARE(edit.text(), QString("10"));
        // Up and Down step the field's value and go no further (a scroll area would move).
        QWidget parent;
        auto *inside = new LineEdit(&parent);
        inside->setValue(5);
        KeyCounter counter;
        parent.installEventFilter(&counter);
        QTest::keyClick(inside, Qt::Key_Up);
        QTest::keyClick(inside, Qt::Key_Down);
        QTest::keyClick(inside, Qt::Key_Up);
        QCOMPARE(inside->value(), 6.0);
        QCOMPARE(counter.keys, 0);
        LineEdit form; // text from the form that is no number is red; good text is an edit
        form.setText("Value");
        form.applyDescription();
        QCOMPARE(form.styleSheet(), QString("color:red"));
        form.setValue(0x41);
        QCOMPARE(form.text(), QString("65"));
        QCOMPARE(form.styleSheet(), QString());
        LineEdit readout; // a readout's red, no edit, also ends with the next value shown
        readout.setReadOnly(true);
        readout.setText("Value");
        readout.applyDescription();
        QVERIFY(!readout.isEdited() && readout.styleSheet() == "color:red");
        readout.setValue(3);
        QCOMPARE(readout.styleSheet(), QString());
        form.setText("0x10");
        form.applyDescription();
        QCOMPARE(form.base(), 16);
        QCOMPARE(form.styleSheet(), Blue);
        LineEdit bytes;
        FakeApplet applet(&bytes);
        bytes.setValue(4);
        type(&bytes, "#hello", Qt::Key_Return);
        QVERIFY(bytes.isArrayMode());
        QCOMPARE(applet.committed.size(), 1); // raw text commits
        QCOMPARE(bytes.byteArrayValue(), QByteArray("hello"));
        bytes.setByteArrayValue(QByteArray("ab\0cd", 5));
        QCOMPARE(bytes.text(), QString("ab"));
        QVERIFY(!bytes.isEdited()); // a refresh from the model is no edit
        type(&bytes, "zz");         // and it ends one under way
        bytes.setByteArrayValue(QByteArray("cd"));
        QVERIFY(!bytes.isEdited() && bytes.styleSheet().isEmpty());
        bytes.setByteArrayValue(QByteArray("\xE4xy"));
        QCOMPARE(bytes.byteArrayValue(), QByteArray("\xE4xy"));
    }

    // The context menu shows the field's mode checked; choosing another shows the value in it.
    // Showing the mode is no mode change: an edit under way stays, uncommitted.
    void lineEditModeMenu()
    {
        LineEdit edit;
        edit.setBase(16);
        edit.setValue(255);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QString checked;
        auto showMenu = [&](const char *choice) { // returns once the menu is closed
            checked.clear();
            QTimer poll;
            connect(&poll, &QTimer::timeout, [&]() {
                auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
                if (!menu)
                    return;
                poll.stop();
                for (QAction *action : menu->actions())
                    checked += action->isChecked() ? action->text() : QString();
                if (choice)
                    modeAction(&edit, choice)->trigger();
                menu->close();
            });
            poll.start(10);
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                    edit.mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(&edit, &event);
        };
        showMenu("BIN");
        QCOMPARE(checked, QString("HEX"));
        QCOMPARE(edit.text(), QString("11111111"));
        edit.setBase(16); // the menu still shows BIN
        type(&edit, "FFA");
        showMenu(nullptr);
        QCOMPARE(checked, QString("HEX"));
        QVERIFY(edit.isEdited() && edit.text() == "FFA");
    }

    // A field whose range reaches below 0 is signed: its 32 bits are two's complement, shown
    // with a sign in decimal; a typed negative commits, also after a change of base.
    void signedLineEdit()
    {
        LineEdit edit;
        edit.setRange(-3000, 3800);
        const std::tuple<int, double, const char *> cases[] = {
            // clang-format off
            {10, -1.0, "-1"}, {10, -2.9, "-2"}, {10, 101.7, "101"}, {16, -1.0, "FFFFFFFF"},
            {2, -2.0, "11111111111111111111111111111110"}, {10, 0.0, "0"}}; // clang-format on
        for (const auto &[base, value, text] : cases) {
            edit.setBase(base);
            edit.setValue(value);
            QCOMPARE(edit.text(), QString(text));
            QCOMPARE(edit.value(), std::trunc(value));
        }
        FakeApplet applet(&edit);
        edit.setBase(10);
        type(&edit, "-25", Qt::Key_Return);
        QCOMPARE(applet.committed, QList<double>{-25.0});
        modeAction(&edit, "HEX")->trigger();
        QCOMPARE(edit.text(), QString("FFFFFFE7"));
        type(&edit, "-5", Qt::Key_Return); // a sign only in decimal
        LineEdit field; // a register field stays unsigned
        field.setValue(-1);
        QCOMPARE(field.text(), QString("4294967295"));
        FakeApplet fieldApplet(&field);
        type(&field, "-5", Qt::Key_Return);
        QVERIFY(fieldApplet.committed.isEmpty() && field.styleSheet() == "color:red");
        QCOMPARE(applet.committed, QList<double>{-25.0});
    }

    // Engineering text: "4.7k" and the compact "4k7"; anything after the number is refused.
    void realEditParses()
    {
        const std::tuple<const char *, double, bool, int> cases[] = {
            {"4.7k", 4700.0, true, 2},    {"4k75", 4750.0, true, 2}, {"4M7", 4700000.0, true, 1},
            {"4m7", 0.0047, true, 4},     {"22", 22.0, true, 3},     {"1.5G", 1.5e9, true, 0},
            {"-4k7", -4700.0, true, 2},   {"1k5m", 0.0015, true, 4}, {"4k7xyz", 4700.0, false, 2},
            {"1.5 ", 1.5, true, 3},       {"15 ", 0.0, false, 3},    {"k", 0.0, false, 2},
            {"330.00u", 330e-6, true, 5}, {"4.7n", 4.7e-9, true, 6}, {"100.00p", 1e-10, true, 7},
            {"1K", 0.0, false, 3},        {"", 0.0, false, 3},       {"4.7.k", 0.0, false, 2}};
        for (const auto &[text, expected, valid, prefix] : cases) {
            RealEdit edit;
            bool ok = !valid;
            const double parsed = edit.parseValue(text, &ok);
            QVERIFY2(qFuzzyCompare(1.0 + parsed, 1.0 + expected) && ok == valid, text);
            QCOMPARE(RealEdit::prefixIndex(text), prefix);
        }
    }

    // Precision: set, bounded, asked for, or taken from the text of a plain-number edit.
    void realEditPrecision()
    {
        RealEdit edit;
        static_cast<UniversalControl &>(edit).setText("ignored");
        QCOMPARE(edit.text(), QString("0.00"));
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
        edit.setPrecision(2); // the dialog starts at the precision and its arrows step by one
        whenModal([](QWidget *dialog) {
            QTest::keyClick(dialog->findChild<QSpinBox *>(), Qt::Key_Up);
            static_cast<QDialog *>(dialog)->accept();
        });
        QVERIFY(QMetaObject::invokeMethod(&edit, "slot_CustomPrecision"));
        QCOMPARE(edit.precision(), 3);
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

    // Both edits: arrows step without marking an edit; the wheel steps only a field the user
    // clicked into (a line edit keeps only a click's focus and the keyboard's), half notches add
    // up, Shift steps the real edit by a thousand, and a wheel step is an edit that Escape ends (text that is no
    // number is not stepped). A read-only field takes no wheel, and a read-only line edit no
    // arrows.
    void editsStepByKeyAndWheel()
    {
        const std::tuple<bool, double, const char *, QStringList, QString> cases[] = {
            {false, 9, "U D", {"10", "9"}, ""},
            {false, 9, "w120 w60 w60", {"10", "10", "11"}, Blue},
            {false, 9, "w-120 w60 w60", {"8", "8", "9"}, Blue},
            {false, 9, "Z w120", {"zz", "zz"}, "color:red"}, // no number to step: stays red
            {true, 1.5, "U D D", {"1.51", "1.50", "1.49"}, ""},
            {true, 4700, "U", {"4.70k"}, ""},
            {true, 1.5, "w60 w60 w240 w-120 E", {"1.50", "1.51", "1.53", "1.52", "1.50"}, ""},
            {true, 4700, "w120 W120 W-240 E", {"4.71k", "5.71k", "3.71k", "4.70k"}, ""},
            {true, 1000, "w-120", {"999.99"}, Blue},
            {true, 1e-12, "w-120", {"0.00"}, Blue}};
        for (const auto &[real, start, steps, texts, style] : cases) {
            QWidget window;
            auto *layout = new QVBoxLayout(&window);
            QLineEdit *line = real ? static_cast<QLineEdit *>(new RealEdit) : new LineEdit;
            auto *next = new QLineEdit; // would take the focus if it were passed on
            layout->addWidget(line);
            layout->addWidget(next);
            window.show();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            auto *edit = dynamic_cast<UniversalControl *>(line);
            edit->setValue(start);
            const QString before = line->text();
            next->setFocus();
            if (!real) { // focus the program gives is cleared, not moved; Tab's stays
                QCOMPARE(line->focusPolicy(), Qt::WheelFocus);
                line->setFocus(Qt::OtherFocusReason);
                QVERIFY(!line->hasFocus() && !next->hasFocus());
                line->setFocus(Qt::TabFocusReason);
                QVERIFY(line->hasFocus() && line->selectedText() == line->text());
                wheel(line, 120); // the wheel steps a clicked field only
                QCOMPARE(line->text(), before);
                QWidget other; // another window and back: the field has the keyboard again
                other.show();
                other.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&other));
                window.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&window));
                QTRY_VERIFY(line->hasFocus());
                next->setFocus(); // away within the window: a window's return gives it no more
                line->setFocus(Qt::ActiveWindowFocusReason);
                QVERIFY(!line->hasFocus());
                QTest::mouseClick(line, Qt::MiddleButton);
            } else { // the real edit takes it as any field does: its text selected
                line->setFocus(Qt::TabFocusReason);
                QVERIFY(line->hasFocus() && line->selectedText() == line->text());
                next->setFocus();
            }
            wheel(line, 120);
            QCOMPARE(line->text(), before);
            line->selectAll();
            QTest::mouseClick(line, Qt::LeftButton, {}, QPoint(2, line->height() / 2));
            QVERIFY(!line->hasSelectedText() && line->cursorPosition() == 0); // the cursor went there
            const QStringList list = QString(steps).split(' ');
            for (int i = 0; i < list.size(); ++i) {
                const QString &step = list.at(i);
                if (step.startsWith('w') || step.startsWith('W'))
                    wheel(line, step.mid(1).toInt(),
                          step.startsWith('W') ? Qt::ShiftModifier : Qt::NoModifier);
                else if (step == "Z")
                    type(line, "zz");
                else
                    QTest::keyClick(line, step == "U"   ? Qt::Key_Up
                                          : step == "D" ? Qt::Key_Down
                                                        : Qt::Key_Escape);
                QCOMPARE(line->text(), texts.at(i));
            }
            QCOMPARE(line->styleSheet(), style);
            edit->setWritable(false);
            wheel(line, 120);
            if (!real)
                QTest::keyClick(line, Qt::Key_Up);
            QCOMPARE(line->text(), texts.last());
        }
    }
};

QTEST_MAIN(TstNumberEdits)
#include "tst_numberedits.moc"
