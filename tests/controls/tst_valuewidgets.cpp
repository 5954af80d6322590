#include "accessiblenames.h"
#include "buttonbox.h"
#include "checkbox.h"
#include "combobox.h"
#include "dial.h"
#include "foldingbox.h"
#include "formfont.h"
#include "lineedit.h"
#include "progressbar.h"
#include "pushbutton.h"
#include "radiobutton.h"
#include "realedit.h"
#include "slider.h"
#include "sliderdrag.h"
#include "spinbox.h"
#include "switch.h"
#include "valuewidgetkinds.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>

using namespace CustomControls;
using namespace ValueWidgetKinds;

namespace
{
// Stands in for the applet: counts the calls of its slot.
class Receiver : public QObject
{
    Q_OBJECT
public:
    int count = 0;
    UniversalControl *watched = nullptr; // whose value each report records
    QList<double> values;
public slots:
    void slot_ControlTriggered()
    {
        ++count;
        if (watched)
            values << watched->value();
    }
};

// One widget of every kind, and a real edit.
std::vector<std::unique_ptr<QWidget>> everyControl()
{
    std::vector<std::unique_ptr<QWidget>> widgets;
    for (const char *kind : {"check", "radio", "push", "slider", "spin", "bar", "dial", "edit",
                             "buttons", "combo", "switch"})
        widgets.emplace_back(create(kind));
    widgets.emplace_back(new RealEdit);
    return widgets;
}

// Sends a wheel turn; returns whether the widget took it (else its parent may scroll).
bool wheel(QWidget *widget, int delta)
{
    QWheelEvent event(QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
    return event.isAccepted();
}
} // namespace

// The binding interface of every value widget: values, names, change signals, and how they
// draw. (Their script drags: tst_scriptdrags.)
class TstValueWidgets : public QObject
{
    Q_OBJECT
private slots:
    // Every value widget: found by class name, its type code, and a value written over an
    // earlier one reads back truncated, or leaves the widget as it was when it cannot show it.
    void valueRoundTrip()
    {
        const std::tuple<const char *, int, double, double, double> cases[] = {
            {"check", 1, 1, 0.0, 0.0},     {"check", 1, 0, -3.0, 1.0},
            {"check", 1, 0, 0.5, 1.0},     {"radio", 12, 0, 0.5, 1.0},
            {"push", 2, 0, 5.0, 0.0},      {"slider", 11, 0, 2.9, 2.0},
            {"slider", 11, 0, -2.9, -2.0}, {"spin", 3, 0, -2.9, -2.0},
            {"spin", 3, 0, 2.9, 2.0},      {"spin", 3, 0, 65535.0, 65535.0},
            {"bar", 3, 0, -2.9, -2.0},
            {"dial", 10, 0, 7.9, 7.0},     {"edit", 4, 0, 7.9, 7.0},
            {"buttons", 7, 1, 2.0, 2.0},   {"buttons", 7, 1, 3.7, 3.0},
            {"buttons", 7, 1, 0.0, 0.0},   {"buttons", 7, 1, 4.0, 0.0},
            {"buttons", 7, 1, -1.0, 0.0},  {"combo", 6, 1, 2.9, 2.0},
            {"combo", 6, 1, 0.0, 0.0},     {"combo", 6, 1, 7.0, -1.0},
            {"combo", 6, 1, -1.0, -1.0},   {"switch", 8, 1, 2.999, 2.0},
            {"switch", 8, 1, -0.9, 0.0},   {"switch", 8, 1, qQNaN(), 0.0},
            {"switch", 8, 1, 1e20, 1.0},   {"switch", 8, 1, -1e20, 1.0}};
        for (const auto &[widget, type, before, written, read] : cases) {
            std::unique_ptr<QWidget> w(create(widget));
            UniversalControl *control = ::control(w.get());
            QVERIFY(QString(w->metaObject()->className()).contains("CustomControls"));
            QCOMPARE(control->type(), type);
            QVERIFY(!control->isConnected());
            control->setValue(before);
            control->setValue(written);
            QVERIFY2(control->value() == read, qPrintable(widget + QString::number(written)));
            if (auto *box = qobject_cast<ButtonBox *>(w.get())) {
                for (int i = 0; i < 4; ++i) // out of range: no button stays checked
                    QVERIFY(box->buttons().at(i)->isChecked() == (i == int(written)));
                box->setValue(3); // still exclusive: the next value unchecks this one
                box->setValue(1);
                QCOMPARE(box->value(), 1.0);
            }
        }
    }

    // Accessible name, else the object name (its prefix gives the kind); a push button names
    // a command; five parts or more name nothing. The name is worked out once, at first use.
    void bindingNames()
    {
        const QStringList cases[] = {{"cmREG0F_15_14", "", "REG0F[15:14]", "REG0F", "15:14"},
                                     {"cbREG10_3", "", "REG10[3]", "REG10", "3"},
                                     {"cbBUCK1EN", "", "BUCK1EN", "BUCK1EN", ""},
                                     {"cb_5", "", "[5]", "", "5"},
                                     {"leW_BANK_SA_2", "", "W[BANK:SA_2]", "W", "BANK:SA_2"},
                                     {"sb", "", "", "", ""},
                                     {"leOTHER_3", "BANK[SW1]", "BANK[SW1]", "BANK", "SW1"},
                                     {"le", "Board.BANK[SW1]", "Board.BANK[SW1]", "BANK", "SW1"},
                                     {"le", "Board.SA", "Board.SA", "Board", "SA"},
                                     {"le", "a.b.c.d.e", "a.b.c.d.e", "", ""},
                                     {"le", "REG 3", "REG 3", "REG", "3"},
                                     {"le", "a.b(c)", "a.b(c)", "b", "c"},
                                     {"pbX", "Write_all()", "Write_all", "Write_all", ""},
                                     {"pbX", "ReadVLED(1)", "ReadVLED", "ReadVLED", "1"},
                                     {"pbBoard_readReg0F", "", "readReg0F", "readReg0F", ""},
                                     {"pbBoard_readReg_7_x", "", "readReg", "readReg", "7"}};
        const QHash<QString, QString> kinds{
            {"cm", "combo"}, {"cb", "check"}, {"le", "edit"}, {"sb", "spin"}, {"pb", "push"}};
        for (const QStringList &c : cases) {
            std::unique_ptr<QWidget> widget(create(kinds.value(c.at(0).left(2))));
            widget->setObjectName(c.at(0));
            widget->setAccessibleName(c.at(1));
            UniversalControl *control = ::control(widget.get());
            for (int round = 0; round < 2; ++round) {
                QCOMPARE(QStringList({c.at(0), c.at(1), control->registerName(2),
                                      control->registerName(1), control->registerName(0)}),
                         c);
                widget->setAccessibleName("OTHER[2]");
            }
        }
    }

    // A form's binding names leave the accessible names, which then read the labels a person
    // sees: in a grid past spacing (else above), in a column (a row's first widget labelled as
    // its row), placed by hand on the left (else above; a picture button's caption under it);
    // a bit box without one reads as its bit within its group. A combo box's parts read its
    // name, a tool tip describes as plain text. Each binds as before; a second pass is idle.
    void formNamesReadLabels()
    {
        QWidget form;
        auto *grid = new QGridLayout(&form);
        auto *byte0 = new LineEdit;
        byte0->setAccessibleName("I2C[DATA3]");
        grid->addWidget(new QLabel("<b>BYTE0</b>"), 0, 0); // read as shown, markup gone
        grid->addItem(new QSpacerItem(10, 10), 0, 1);
        grid->addWidget(byte0, 0, 2);
        auto *loops = new QSpinBox;
        auto *plain = new QLabel("<i>Loops</i>"); // plain text: read as shown, tags and all
        plain->setTextFormat(Qt::PlainText);
        grid->addWidget(plain, 1, 0);
        grid->addWidget(loops, 2, 0);
        auto *column = new QVBoxLayout;
        auto *row = new QHBoxLayout;
        auto *vled = new QLineEdit;
        column->addWidget(new QLabel("VLED"));
        column->addLayout(row);
        row->addWidget(vled);
        row->addWidget(new QLabel("V"));
        grid->addLayout(column, 3, 0);
        auto *group = new QGroupBox("Data IN");
        grid->addWidget(group, 4, 0);
        const auto placed = [group](QWidget *w, const QRect &place) {
            w->setParent(group);
            w->setGeometry(place);
            return w;
        };
        auto *bit = static_cast<CheckBox *>(placed(new CheckBox, {100, 60, 16, 17}));
        bit->setObjectName("cbSpiIn_3");
        placed(new QLabel("Address"), {10, 20, 60, 20});
        QWidget *address = placed(new QLineEdit, {60, 20, 50, 20});
        address->setToolTip("<b>Start</b> address<br>of the chip");
        placed(new QLabel("Delay"), {200, 28, 60, 16}); // 6 pixels above
        QWidget *delay = placed(new QSpinBox, {200, 50, 60, 22});
        placed(new QLabel("PAUSE"), {300, 58, 50, 20});
        QWidget *pause = placed(new QPushButton, {300, 10, 50, 50});
        auto *mode = static_cast<ComboBox *>(placed(new ComboBox, {400, 10, 80, 20}));
        mode->setEditable(true);
        mode->setAccessibleName("OPMODE");
        for (int pass = 0; pass < 2; ++pass) {
            AccessibleNames::nameControls(&form);
            QStringList names;
            const QList<QWidget *> read{
                byte0,       loops, vled, bit, address, delay, pause, mode, mode->lineEdit(),
                mode->view()};
            for (QWidget *w : read)
                names << w->accessibleName();
            QCOMPARE(names.join('|'), QString("BYTE0|<i>Loops</i>|VLED|Data IN bit 3|Address|Delay|PAUSE|"
                                              "Data IN OPMODE|Data IN OPMODE|Data IN OPMODE"));
            QCOMPARE(byte0->registerName(2) + ' ' + bit->registerName(2) + ' ' +
                         mode->registerName(2),
                     QString("I2C[DATA3] SpiIn[3] OPMODE"));
            QCOMPARE(address->accessibleDescription(), QString("Start address\nof the chip"));
        }
    }

    // The dial and the progress bar share the range rule. Slider and dial move only when the
    // model's value changes, so a refresh does not undo what the user is dragging; the first
    // value always moves them, wherever the form put them.
    void rangesAndRefresh()
    {
        const std::tuple<double, double, int, int> cases[] = {
            {-5.0, 100000.0, 0, 60000}, {10.0, 500.0, 10, 500},    {-5.0, 0.0, 0, 60000},
            {3.0, -1.0, 3, 60000},      {0.0, 1.0, 0, 1},          {0.0, 60000.0, 0, 60000},
            {10.7, 60000.9, 10, 60000}, {10.7, 70000.0, 10, 60000}};
        for (const auto &[min, max, low, high] : cases) {
            Dial dial;
            ProgressBar bar;
            dial.setRange(min, max);
            bar.setRange(min, max);
            QCOMPARE(QList<int>({dial.minimum(), dial.maximum(), bar.minimum(), bar.maximum()}),
                     QList<int>({low, high, low, high}));
        }
        Slider slider;
        Dial dial;
        for (QAbstractSlider *s : std::initializer_list<QAbstractSlider *>{&slider, &dial}) {
            UniversalControl *c = control(s);
            s->setValue(64); // the form's start
            c->setValue(0);
            QCOMPARE(s->value(), 0);
            QSignalSpy moved(s, &QAbstractSlider::valueChanged);
            c->setValue(7);
            c->setValue(7);
            QCOMPARE(moved.count(), 1);
            s->setValue(30); // the user moves it
            c->setValue(7);
            QCOMPARE(c->value(), 30.0);
            c->setValue(8);
            QCOMPARE(c->value(), 8.0);
        }
    }

    // A slider dragged with the mouse reports the user's change with each move of its handle
    // when it tracks; without tracking once, when the handle is let go, with the handle's
    // released position, which the value then holds too.
    void sliderDrags()
    {
        for (const bool tracking : {true, false}) {
            Slider slider(Qt::Horizontal);
            slider.setMaximum(1000);
            slider.setTracking(tracking);
            slider.resize(300, 30);
            slider.show();
            QVERIFY(QTest::qWaitForWindowExposed(&slider));
            UniversalControl *c = control(&slider);
            Receiver receiver;
            receiver.watched = c;
            QVERIFY(c->connectChanged(SLOT(slot_ControlTriggered()), &receiver));
            const QList<double> &reported = receiver.values;
            int position = 0;
            {
                SliderDrag drag(&slider);
                QVERIFY(slider.isSliderDown());
                drag.move(30);
                position = drag.move(30);
                QVERIFY(position > 0);
                QCOMPARE(slider.QSlider::value(), tracking ? position : 0);
                QCOMPARE(reported.size(), tracking ? 2 : 0);
            }
            QCOMPARE(reported.size(), tracking ? 2 : 1);
            QCOMPARE(reported.last(), double(position));
            QCOMPARE(slider.QSlider::value(), position);
        }
    }

    // Each widget reports the user's change through its own signal until disconnected, and
    // stays bound (the applet binds a widget once); moves that are no user change, and the
    // progress bar, report nothing.
    void changeSignals()
    {
        const std::function<void(QWidget *)> click = [](QWidget *w) {
            QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2));
        };
        const std::function<void(QWidget *)> enter = [](QWidget *w) {
            QTest::keyClicks(w, "1");
            QTest::keyClick(w, Qt::Key_Return);
        };
        const std::pair<const char *, std::function<void(QWidget *)>> cases[] = {
            {"check", click},
            {"radio", click},
            {"push", click},
            {"dial", click},
            {"switch", click},
            {"spin", enter},
            {"edit", enter},
            {"combo", enter},
            {"slider", [](QWidget *w) { emit static_cast<Slider *>(w)->sliderMoved(10); }},
            {"buttons", [](QWidget *w) { static_cast<ButtonBox *>(w)->buttons().at(2)->click(); }}};
        for (const auto &[kind, change] : cases) {
            std::unique_ptr<QWidget> widget(create(kind));
            widget->resize(100, 100);
            widget->show();
            UniversalControl *c = control(widget.get());
            Receiver receiver;
            QVERIFY(c->connectChanged(SLOT(slot_ControlTriggered()), &receiver));
            change(widget.get());
            const int reported = receiver.count;
            QVERIFY2(reported > 0, kind);
            QVERIFY(c->disconnectChanged());
            change(widget.get());
            QVERIFY2(receiver.count == reported && c->isConnected(), kind);
        }
        Receiver receiver;
        Slider slider(Qt::Horizontal);
        SpinBox spin;
        ProgressBar bar;
        slider.resize(200, 30);
        slider.show();
        for (UniversalControl *c : std::initializer_list<UniversalControl *>{&slider, &spin})
            QVERIFY(c->connectChanged(SLOT(slot_ControlTriggered()), &receiver));
        QTest::keyClick(&slider, Qt::Key_Right);
        QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(190, 15)); // a page step
        QTest::keyClick(&spin, Qt::Key_Up);
        spin.resize(80, 30);
        spin.show();
        QTest::mouseClick(&spin, Qt::LeftButton, {}, QPoint(75, 5)); // on the up arrow
        QVERIFY(slider.value() > 1 && spin.value() == 2);
        QVERIFY(!bar.connectChanged(SLOT(slot_ControlTriggered()), &receiver));
        QVERIFY(bar.isConnected() && !bar.disconnectChanged());
        QCOMPARE(receiver.count, 0);
        QVERIFY(!ButtonBox().disconnectChanged()); // never connected
    }

    void writable()
    {
        CheckBox check;
        check.resize(100, 30);
        QSignalSpy clicked(&check, &QAbstractButton::clicked);
        check.setWritable(false);
        QTest::mouseClick(&check, Qt::LeftButton, {}, QPoint(8, 15));
        QVERIFY(!check.isChecked() && clicked.isEmpty());
        QSignalSpy doubleClick(&check, &CheckBox::doubleClick);
        QTest::mouseDClick(&check, Qt::LeftButton, {}, QPoint(8, 15));
        QCOMPARE(doubleClick.count(), 1);
        check.setWritable(true); // then a double click is two clicks, as on any check box
        QTest::mouseClick(&check, Qt::LeftButton, {}, QPoint(8, 15));
        QTest::mouseDClick(&check, Qt::LeftButton, {}, QPoint(8, 15)); // the second press
        QTest::mouseRelease(&check, Qt::LeftButton, {}, QPoint(8, 15));
        QVERIFY(!check.isChecked() && clicked.count() == 2 && doubleClick.count() == 2);
        ButtonBox box;
        box.setWritable(false);
        box.createButtons(0, ButtonBox::PushButtons, {}); // an empty list makes none
        box.createButtons(0, ButtonBox::PushButtons, {"A", "B"});
        box.createButtons(0, ButtonBox::RadioButtons, {"C"}); // made once only
        QCOMPARE(box.findChildren<QAbstractButton *>().size(), 2);
        ButtonBox unknown;
        unknown.createButtons(0, 5, {"X"});
        QVERIFY(unknown.buttons().isEmpty());
        QVERIFY(!box.buttons().at(1)->isEnabled());
        box.setWritable(true);
        QVERIFY(box.buttons().at(1)->isEnabled());
        box.buttons().at(0)->click(); // push buttons take turns, as radio buttons do
        box.buttons().at(1)->click();
        QVERIFY(!box.buttons().at(0)->isChecked() && box.buttons().at(1)->isChecked());
        for (auto [options, canWrite] : {std::pair{" readonly=TRUE ", false},
                                         {"x=1 @ readonly = 1 @y", false},
                                         {"readonly=0", true},
                                         {"readonly=1=2", true},
                                         {"other=1", true}}) {
            box.setWritable(true);
            box.setOptions(options);
            QVERIFY2(box.isWritable() == canWrite, options);
        }
        ComboBox combo;
        combo.addItems({"a", "b", "c", "d"});
        combo.show();
        QSignalSpy chosen(&combo, &ComboBox::signal_activated);
        combo.setWritable(false);
        QTest::mouseClick(&combo, Qt::LeftButton);
        QVERIFY(!combo.view()->isVisible());
        QTest::keyClick(&combo, Qt::Key_Down);
        QVERIFY(!wheel(&combo, -120));
        QCOMPARE(combo.currentIndex(), 0);
        combo.setWritable(true);
        QTest::keyClick(&combo, Qt::Key_Down);
        QCOMPARE(combo.currentIndex(), 1);
        QCOMPARE(chosen.count(), 1);
        wheel(&combo, -120);
        QCOMPARE(combo.currentIndex(), 2);
        QTest::mouseClick(&combo, Qt::LeftButton); // a writable box opens its list
        QTRY_VERIFY(combo.view()->isVisible());
        combo.hidePopup();
        // Typed text is marked until a value is shown.
        combo.setEditable(true);
        combo.setEditText("x");
        QVERIFY(!combo.styleSheet().isEmpty());
        combo.setValue(1);
        QCOMPARE(combo.currentText() + combo.styleSheet(), QString("b"));
        // A switch that may not be written ignores clicks, and takes them again once it may.
        Switch sw;
        sw.setModel(2);
        sw.resize(32, 32);
        sw.setWritable(false);
        QVERIFY(!sw.isWritable());
        QTest::mouseClick(&sw, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(sw.currentIndex(), 0);
        sw.setWritable(true);
        QTest::mouseClick(&sw, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(sw.currentIndex() != 0);
    }

    // The applet's caption reaches only widgets that show one; the form's text stays.
    void captions()
    {
        PushButton button;
        button.setText("Write");
        LineEdit edit;
        edit.setText("12");
        CheckBox check;
        ButtonBox box;
        for (UniversalControl *c :
             std::initializer_list<UniversalControl *>{&button, &edit, &check, &box})
            c->setText("FIELD");
        QCOMPARE(QStringList({button.text(), edit.text(), check.text(), box.title()}),
                 QStringList({"Write", "12", "FIELD", "FIELD"}));
        QVERIFY(static_cast<UniversalControl &>(edit).text().isEmpty());
        // The applet's description is every widget's tool tip.
        const std::vector<std::unique_ptr<QWidget>> widgets = everyControl();
        for (const auto &w : widgets) {
            control(w.get())->setToolTip("BANK (8 bits)");
            QVERIFY2(w->toolTip() == "BANK (8 bits)" && control(w.get())->toolTip() == w->toolTip(),
                     w->metaObject()->className());
        }
    }

    // Engineering numbers of the combo box: "4.7k" and back.
    void comboPrefixes()
    {
        const std::tuple<const char *, double, int> parsed[] = {
            {"4.7k", 4700.0, 2}, {"1.5G", 1.5e9, 0}, {"22", 22.0, 3},
            {"3.3u", 3.3e-6, 5}, {"10p", 1e-11, 7},  {"2M", 2e6, 1},
            {"2m", 2e-3, 4},     {"1 ", 1.0, 3},     {"abc", 0.0, 3}};
        for (const auto &[text, value, index] : parsed) {
            int used = -1;
            QCOMPARE(ComboBox::prefixParse(text, &used), value);
            QCOMPARE(used, index);
        }
        const std::pair<double, QString> formatted[] = {
            {4700.0, "4.7k"},  {0.0033, "3.3m"},       {1.0, "1 "}, {0.0, "0 "}, {-1.5e6, "-1.5M"},
            {1e-13, "1e-13 "}, {1234567.0, "1.23457M"}};
        for (const auto &[value, text] : formatted)
            QCOMPARE(ComboBox::prefixFormat(value), text);
    }

    // "text::i5;text::sName;text::f1.5;plain": values map to the items' data; the text or the
    // type may be empty.
    void comboTypedItems()
    {
        ComboBox box;
        box.setItems("low::i10;name::sabc;half::f0.5;odd::x1;plain;other;a::b::c;::i7;none::");
        QVERIFY(box.hasTypedItems());
        QStringList texts;
        QVariantList data;
        for (int i = 0; i < box.count(); ++i) {
            texts.append(box.itemText(i));
            data.append(box.itemData(i));
        }
        QCOMPARE(texts, QStringList({"low", "name", "half", "odd", "plain", "other", "a::b::c", "",
                                     "none"}));
        QCOMPARE(data, QVariantList({10, "abc", 0.5, QVariant(), 0, 1, 2, 7, QVariant()}));
        box.setItems("1 kHz::i1000;10 kHz::i10000;100 kHz::i100000");
        box.setValue(10000);
        QCOMPARE(box.value(), 10000.0);
        box.setValue(5); // no match, not editable: the selection stays
        QCOMPARE(box.value(), 10000.0);
        box.setValue(1000); // a match at the first item
        QCOMPARE(box.currentIndex(), 0);
        // The selectors report whether they found an item; none found leaves the selection.
        auto selects = [&box](bool found, int at) { return found && box.currentIndex() == at; };
        QVERIFY(selects(box.setCurrentByText("100 kHz"), 2));
        QVERIFY(selects(!box.setCurrentByText("z"), 2));
        QVERIFY(selects(box.setCurrentByText("1 kHz"), 0)); // the first item is found too
        QVERIFY(selects(box.setCurrentByNumber(1000), 0));
        QVERIFY(selects(!box.setCurrentByNumber(7), 0));
        box.setItems("a::i1;b::f2.5;c::sx"); // selectors match the item type
        QVERIFY(selects(box.setCurrentByData(QVariant(QString("x"))), 2));
        QVERIFY(selects(box.setCurrentByData(1), 0));
        QVERIFY(selects(box.setCurrentByNumber(2.5), 1));
        QVERIFY(selects(!box.setCurrentByData(QVariant()), 1)); // every item has data
        ComboBox untyped; // a form's own editable box takes any text
        untyped.addItems({"a", "b"});
        untyped.setEditable(true);
        QSignalSpy taken(&untyped, &ComboBox::signal_activated);
        untyped.setEditText("free");
        QTest::keyClick(&untyped, Qt::Key_Return);
        QCOMPARE(taken.count(), 1);
        // An editable typed box shows any number; text that is no number is refused.
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
        box.setEditText("1 kHz"); // the first item's text
        QCOMPARE(box.value(), 1000.0);
        box.setPrefixMode(true);
        QSignalSpy changed(&box, &ComboBox::signal_activated);
        box.setEditText("lots");
        QCOMPARE(box.styleSheet(), QString("color:blue;"));
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(box.styleSheet(), QString("color:red"));
        box.setEditText("2.2k");
        QTest::keyClick(&box, Qt::Key_Enter);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(box.value(), 2200.0);
        QCOMPARE(box.count(), 2);              // Return adds no item
        QCOMPARE(box.styleSheet(), QString()); // reading the value ends the marking
        box.setEditText("1 kHz"); // the first item's text is no refused number
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(changed.count(), 2);
        box.setByteArrayValue(QByteArray("abc\0def", 7));
        QCOMPARE(box.byteArrayValue(), QByteArray("abc"));
    }

    // A line or real edit not clicked into, or read-only, leaves the wheel to its parent, which
    // may scroll.
    void editsLeaveTheWheel()
    {
        LineEdit edit;
        edit.setValue(5);
        QVERIFY(!wheel(&edit, 120));
        edit.setReadOnly(true);
        QVERIFY(!wheel(&edit, 120));
        QCOMPARE(edit.value(), 5.0);
        RealEdit real; // never focused
        real.setValue(5);
        QVERIFY(!wheel(&real, 120));
        QCOMPARE(real.value(), 5.0);
    }

    // Each widget draws itself (the Ctrl tint only adds to it): rendered alone, without its
    // background and children, it leaves marks on a plain ground.
    void widgetsDrawThemselves()
    {
        std::vector<std::unique_ptr<QWidget>> widgets = everyControl();
        widgets.emplace_back(new FoldingBox);
        static_cast<QGroupBox *>(widgets.back().get())->setTitle("Folding");
        static_cast<QGroupBox *>(widgets.at(8).get())->setTitle("Buttons");
        for (const auto &w : widgets) {
            w->resize(120, 60);
            QImage image(w->size(), QImage::Format_ARGB32);
            image.fill(Qt::magenta);
            w->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
            bool drawn = false;
            for (int y = 0; y < image.height() && !drawn; ++y)
                for (int x = 0; x < image.width() && !drawn; ++x)
                    drawn = image.pixel(x, y) != QColor(Qt::magenta).rgba();
            QVERIFY2(drawn, w->metaObject()->className());
        }
        auto *sw = static_cast<Switch *>(widgets.at(10).get()); // its ground is filled anyway
        const QImage first = sw->grab().toImage();
        sw->setCurrentIndex(1);
        QVERIFY(sw->grab().toImage() != first); // the picture of the state
    }

    // With Ctrl held, the bound widget under the mouse is tinted: it can be dragged into a
    // script.
    void ctrlTintsTheWidgetUnderTheMouse()
    {
        Receiver receiver;
        const std::vector<std::unique_ptr<QWidget>> widgets = everyControl();
        // Whether w, under the mouse, turns orange while Ctrl is held (and not before).
        const auto tintedByCtrl = [](QWidget *w) {
            w->resize(120, 60);
            w->show();
            if (!QTest::qWaitForWindowExposed(w))
                return false;
            QCursor::setPos(w->mapToGlobal(w->rect().center()));
            const auto redness = [w]() {
                const QColor corner = w->grab().toImage().pixelColor(1, 1);
                return corner.red() - corner.blue();
            };
            const int plain = redness();
            QTest::keyPress(w, Qt::Key_Control, Qt::ControlModifier);
            const int tinted = redness();
            QTest::keyRelease(w, Qt::Key_Control);
            return tinted > plain + 40;
        };
        for (const auto &w : widgets) {
            control(w.get())->connectChanged(SLOT(slot_ControlTriggered()), &receiver);
            QVERIFY2(tintedByCtrl(w.get()), w->metaObject()->className());
            // Edits, check and radio buttons aside, they hear the mouse move without a button,
            // so the tint follows the mouse.
            const bool text = qobject_cast<QLineEdit *>(w.get()) ||
                              qobject_cast<QCheckBox *>(w.get()) ||
                              qobject_cast<QRadioButton *>(w.get());
            QVERIFY2(text || w->hasMouseTracking(), w->metaObject()->className());
        }
        FoldingBox folding; // a group box that may be dragged, only then
        folding.setTitle("Folding");
        QVERIFY(!tintedByCtrl(&folding));
        folding.setDragEnabled(true);
        QVERIFY(tintedByCtrl(&folding) && folding.hasMouseTracking());
    }

    // The buttons of a button box stand in a row or a column, in order; a second set of
    // texts makes no more buttons.
    void buttonBoxLayout()
    {
        for (int orientation : {0, 1}) {
            ButtonBox box;
            box.createButtons(orientation, ButtonBox::PushButtons, {"A", "B", "C"});
            box.createButtons(orientation, ButtonBox::PushButtons, {"X"});
            box.show();
            QVERIFY(QTest::qWaitForWindowExposed(&box));
            const QList<QAbstractButton *> buttons = box.buttons();
            QCOMPARE(buttons.size(), 3);
            for (int i = 1; i < buttons.size(); ++i) {
                const QRect before = buttons.at(i - 1)->geometry();
                const QRect here = buttons.at(i)->geometry();
                QVERIFY(orientation ? here.top() > before.bottom() : here.left() > before.right());
            }
        }
    }

    // The forms' font becomes the program's; it and the Windows family of the board form's
    // captions are drawn with the Tahoma-compatible font.
    void formFont()
    {
        const QFont before = QApplication::font();
        FormFont::install();
        const QFont font = QApplication::font();
        QApplication::setFont(before);
        QCOMPARE(font.family() + ' ' + QString::number(font.pointSize()),
                 QString("MS Shell Dlg 2 8"));
        for (const char *family : {"MS Shell Dlg 2", "MS PGothic"})
            QCOMPARE(QFontInfo(QFont(family)).family(), QString("Tahoma"));
    }

};

QTEST_MAIN(TstValueWidgets)
#include "tst_valuewidgets.moc"
