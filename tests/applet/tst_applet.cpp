// The applet base: binding a form to registers and variables, name-based requests, the device
// hook, the configuration text of workspaces, the slots connected by name, and the applet's
// sub-window and action.
#include "applet.h"
#include "appletscroll.h"
#include "binding.h"
#include "checkbox.h"
#include "countingedit.h"
#include "dial.h"
#include "lineedit.h"
#include "pushbutton.h"
#include "recordingprompt.h"
#include "register.h"
#include "scriptdrag.h"
#include "scriptdragprovider.h"
#include "slotsbyname.h"
#include "tablerows.h"
#include "variable.h"

#include <QDialog>
#include <QDrag>
#include <QIcon>
#include <QLoggingCategory>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPixmap>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include <functional>
#include <memory>

using CustomControls::CheckBox;
using CustomControls::LineEdit;
using CustomControls::PushButton;

// Records its hook calls as "mode:name" and its commands as "command|args|c" (c: run by a
// control).
class TestApplet : public Applet
{
public:
    TestApplet() { setObjectName("TestApplet"); }
    QVariant run(const QString &command, const QVariant &args) override
    {
        functions.insert("Cmd", "a command");
        commands.append(command + "|" + args.toString() + (triggeredByControl ? "|c" : ""));
        return true;
    }
    bool updateItem(int mode, const QString &name) override
    {
        hookCalls.append(QString::number(mode) + ":" + name);
        return hook ? hook(mode, name) : true;
    }
    bool init() override { return onInit(); }
    void onConnected() override { connectedWhileOnline.append(isOnline()); }
    void onDisconnected() override { ++disconnectCalls; }
    QString calls() { return std::exchange(hookCalls, {}).join(" "); }

    using Applet::extraWidgets;
    using Applet::fixedHeight;
    using Applet::fixedWidth;
    using Applet::triggeredByControl;
    QStringList hookCalls, commands;
    QList<bool> connectedWhileOnline;
    int disconnectCalls = 0;
    std::function<bool(int, const QString &)> hook;
    std::function<bool()> onInit;
};

// A virtual field that keeps its value whatever is written.
class ConstantField : public Register::Virtual
{
public:
    void setValue(quint32) override {}
};

template <typename W> W *addWidget(QWidget *parent, const QString &bindingName)
{
    auto *w = new W(parent);
    w->setAccessibleName(bindingName);
    return w;
}

// An object with an overloaded signal, for the slots connected by name.
class Source : public QObject
{
    Q_OBJECT
public:
    explicit Source(const QString &name, QObject *parent) : QObject(parent) { setObjectName(name); }
    void fire()
    {
        emit changed(1, QStringLiteral("x"));
        emit changed(2);
        emit moved(3, 4);
    }
signals:
    void changed(int n, const QString &text);
    void changed(int n);
    void moved(int x, int y);
};

// Slots named after the objects of a small tree, each recording its call.
class SlotReceiver : public QObject
{
    Q_OBJECT
public:
    QStringList calls;
    explicit SlotReceiver(QObject *parent = nullptr) : QObject(parent)
    {
        setObjectName("receiver");
        auto *a = new Source("a", this);
        new Source("dup", a); // found before the later "dup": depth first
        new Source("a_b", this);
        new Source("dup", this);
        new Source("plain", this);
    }
public slots:
    void on_a_changed(int n, const QString &t) { calls << QString("a %1 %2").arg(n).arg(t); }
    void on_a_b_changed(int n) { calls << QString("a_b %1").arg(n); } // not "a" + "b_changed"
    void on_dup_changed(int n)                                        // the inner "dup"
    {
        calls << QString("dup %1 in %2").arg(n).arg(sender()->parent()->objectName());
    }
    void on_plain_moved(int x) { calls << QString("plain %1").arg(x); } // moved(int, int)
    void on_plain_changed(int n, const QString &t = "d") // its copy without t stays unused
    {
        calls << QString("plain %1 %2").arg(n).arg(t);
    }
    void on_plain_destroyed() { calls << "plain gone"; } // a signal of QObject
    void on_receiver_objectNameChanged(const QString &name) { calls << "receiver " + name; }
    void on_nothing_clicked() { calls << "nothing"; } // no such object: a warning
    void on__clicked() { calls << "unnamed"; }        // no object name at all: no warning
};

class TestAppletBase : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        bank =
            std::make_unique<Register>("SW1#Switch one;SW2[2]#Switch two;LEVEL[5]#Level", "BANK");
        status = std::make_unique<Register>("FLAG#Flag;CODE[3]#Code", "STATUS");
        status->setReadOnly(true);
        sa = std::make_unique<Variable>("@variable=SA@value=1@min=-1@max=31@descr=Start address");
        lock = std::make_unique<Variable>("@variable=LOCK@value=2@readonly@descr=Locked");
        text = std::make_unique<Variable>("@variable=TEXT@value=abc");
        applet = new TestApplet;
        applet->setWindowTitle("SPI Raw");
        applet->onInit = [this]() {
            return applet->addRegister(bank.get(), 8) && applet->addRegister(status.get(), 4) &&
                   applet->addVariable(sa.get()) && applet->addVariable(lock.get()) &&
                   applet->addVariable(text.get());
        };
        auto *frame = new QWidget(applet);
        auto *inner = new QWidget(new QWidget(frame));
        cbSw1 = addWidget<CheckBox>(frame, "BANK[SW1]");
        leLevel = addWidget<LineEdit>(inner, "BANK[LEVEL]");
        leBank = addWidget<LineEdit>(inner, "BANK[]");
        cbFlag = addWidget<CheckBox>(frame, "STATUS[FLAG]");
        leSa = addWidget<LineEdit>(inner, "SA");
        leLock = addWidget<LineEdit>(inner, "LOCK");
        leText = addWidget<LineEdit>(inner, "TEXT");
        leText->setText("#form"); // array mode, showing the variable once bound
        cbOrphan = addWidget<CheckBox>(frame, "NOTHING[X]");
        pbRead = addWidget<PushButton>(frame, "ReadVLED(1)");
        pbErase = addWidget<PushButton>(new QWidget(new QDialog(applet)), "Erase(2)");
        QVERIFY(applet->setup());
        applet->hookCalls.clear();
    }

    void cleanup()
    {
        if (applet && applet->container())
            delete applet->container();
        delete applet;
    }

    // A register bound again after its removal is heard once: a change of it refreshes its
    // widget once.
    void reboundRegisterIsHeardOnce()
    {
        auto *edit = addWidget<CountingEdit>(applet, "BANK[]");
        applet->removeRegister(bank.get());
        QVERIFY(applet->addRegister(bank.get(), 8));
        applet->bindControls();
        applet->activate();
        edit->sets = 0;
        bank->setValue(0x5u, true);
        QCOMPARE(edit->sets, 1);
        QCOMPARE(edit->value(), 5.0);
    }

    // A refresh from the model only shows: a widget whose change signal fires when it is set
    // writes nothing back, what its slots write is refused and no hook runs for it. A
    // name-based write acts, and so does every widget of its item.
    void refreshOnlyShows()
    {
        auto *dial = addWidget<CustomControls::Dial>(applet, "BANK[LEVEL]");
        dial->setRange(0, 10);
        applet->bindControls();
        QStringList slotWrites;
        const auto slot = connect(dial, &QDial::valueChanged, applet, [&](int v) {
            const bool written = applet->set("SA", v, Variable::InternalKey);
            slotWrites << QString::number(v) + (written ? "+" : "-");
        });
        applet->activate();
        bank->setField("[LEVEL]", 20); // a command's write: the widgets follow
        QCOMPARE(QList<double>({double(bank->getField("[LEVEL]")), sa->value()}),
                 QList<double>({20, 1}));
        QCOMPARE(dial->value(), 10);
        QCOMPARE(slotWrites, QStringList{"10-"});
        QCOMPARE(applet->calls(), QString("0:BANK"));
        QVERIFY(applet->set("BANK[LEVEL]", 3, Variable::OutsideKey));
        QCOMPARE(slotWrites.last(), QString("3+"));
        QCOMPARE(sa->value(), 3.0);
        QCOMPARE(applet->calls(), QString("0:SA 0:BANK"));
        applet->slot_updateAllControls();
        QCOMPARE(applet->calls(), QString());
        QCOMPARE(slotWrites.size(), 2);
        // A user's edit shows in the other widgets of its field: the dial, held at its top,
        // writes nothing back over the typed value.
        disconnect(slot);
        edit(leLevel, "17");
        QCOMPARE(QList<double>({double(bank->getField("[LEVEL]")), double(dial->value())}),
                 QList<double>({17, 10}));
        QCOMPARE(applet->calls(), QString("0:BANK"));
    }

    // Set-up binds the form's widgets down the applet's own windows and shows the model; edits
    // write the model and go to the board; a read-only variable and a value outside the range
    // are refused and the widget shows the model again.
    void formBindingAndEdits()
    {
        QVERIFY(cbSw1->isConnected() && leLevel->isConnected() && !cbOrphan->isConnected());
        QCOMPARE(cbSw1->text(), QString("SW1")); // an empty caption takes the field name
        QVERIFY(!cbFlag->isWritable() && !leLock->isWritable() && leSa->isWritable());
        QCOMPARE(leLock->value(), 2.0);
        QCOMPARE(leText->text(), QString("abc"));
        applet->activate();
        cbSw1->click();
        edit(leLevel, "17");
        edit(leSa, "12");
        edit(leText, "xyz");
        leLock->setReadOnly(false);
        edit(leLock, "7");
        edit(leSa, "40");
        QCOMPARE(applet->calls(), QString("0:BANK 0:BANK 0:SA 0:TEXT"));
        QCOMPARE(leBank->value(), double(1 | 17 << 3));
        QCOMPARE(text->text(), QByteArray("xyz"));
        QCOMPARE(lock->value() + leLock->value(), 4.0);
        QCOMPARE(leSa->value(), 12.0);
        pbRead->click(); // bound buttons run their command, also in a dialog of the applet
        pbErase->click();
        QVERIFY(QMetaObject::invokeMethod(applet, "slot_ControlTriggered")); // no sender
        QCOMPARE(applet->commands, (QStringList{"ReadVLED|1|c", "Erase|2|c"}));
        QVERIFY(!applet->triggeredByControl);
        QCOMPARE(applet->functionNames(), QStringList{"Cmd"});
    }

    void setByName_data()
    {
        addRows<QString, QVariant, quint32, double>(
            {"name", "value", "bankValue", "saValue"}, // unchanged: 0 and 1.0
            {{"BANK[SW2]", 3, 3 << 1, 1.0},
             {"BANK[LEVEL]", "5", 5 << 3, 1.0},
             {"BANK[7]", 1u, 0x80, 1.0},
             {"BANK[]", -1, 0xFF, 1.0},
             {"BANK[]", 4294967295.0, 0xFF, 1.0}, // the top of 32 bits
             {"SA", "-1", 0, -1.0},
             {"SA", 2.5, 0, 2.5},
             {"SA", 32, 0, 1.0},
             {"SA", QVariant(), 0, 1.0},
             {"SA", QString(), 0, 1.0},
             {"SA", "abc", 0, 1.0},
             {"SA", QVariantList{1, 2}, 0, 1.0},
             {"BANK[LEVEL]", "1.5", 0, 1.0},
             {"BANK[LEVEL]", QByteArray("5"), 0, 1.0}, // bytes are no number
             {"BANK[LEVEL]", 1LL << 33, 0, 1.0},
             {"BANK[LEVEL]", qInf(), 0, 1.0},
             {"TEXT", QStringList{"a"}, 0, 1.0},
             {"TEXT", QByteArray(), 0, 1.0}, // no value is no empty text
             {"TEXT", QString(), 0, 1.0},
             {"LOCK", 5, 0, 1.0},
             {"", 1, 0, 1.0},
             {"NOPE[X]", 1, 0, 1.0},
             {"BANK[MISSING]", 1, 0, 1.0}});
    }

    // A refused set writes nothing and sends nothing; widgets show each their own field.
    void setByName()
    {
        QFETCH(QString, name);
        QFETCH(QVariant, value);
        QFETCH(quint32, bankValue);
        QFETCH(double, saValue);
        const bool result = bankValue != 0 || saValue != 1.0;
        applet->activate();
        QCOMPARE(applet->set(name, value, Variable::OutsideKey), result);
        QCOMPARE(int(applet->hookCalls.size()), result ? 1 : 0);
        QCOMPARE(bank->value(true), bankValue);
        QCOMPARE(sa->value(), saValue);
        QCOMPARE(lock->value(), 2.0);
        QCOMPARE(text->text(), QByteArray("abc"));
        QCOMPARE(leLevel->value(), double(bankValue >> 3));
        QCOMPARE(cbSw1->isChecked(), bool(bankValue & 1));
        QCOMPARE(leSa->value(), double(qint64(saValue))); // whole numbers, signed as SA is
        if (name == "LOCK")                               // the internal key may write it
            QVERIFY(applet->set(name, value, Variable::InternalKey) && leLock->value() == 5.0);
    }

    // A name-based write refreshes, once, the widgets that show bits of the written field:
    // a widget of another field keeps what it showed. A write that changes nothing, one made
    // offline and one of a variable refresh every widget of the item once.
    void writeRefreshesItsFieldOnce()
    {
        const QStringList names{"BANK[SW1]", "BANK[LEVEL]", "BANK[]", "BANK[2:1]", "BANK[V]"};
        QList<CountingEdit *> edits;
        for (const QString &name : names)
            edits.append(addWidget<CountingEdit>(applet, name));
        auto *countingSa = addWidget<CountingEdit>(applet, "SA");
        QVERIFY(bank->addVirtual("V", "virtual", new ConstantField));
        applet->bindControls();
        applet->activate();
        const auto counts = [&edits]() { return CountingEdit::take(edits); };
        counts();
        bank->setBit(4, 1); // silent: LEVEL's widgets fall behind
        QVERIFY(applet->set("BANK[SW1]", 1, Variable::OutsideKey));
        QCOMPARE(counts(), QList<int>({1, 0, 1, 0, 1}));
        QCOMPARE(edits.at(1)->value(), 0.0);
        QCOMPARE(edits.at(2)->value(), 0x11 * 1.0);
        QVERIFY(applet->set("BANK[2]", 1, Variable::OutsideKey));
        QCOMPARE(counts(), QList<int>({0, 0, 1, 1, 1}));
        QCOMPARE(edits.at(3)->value(), 2.0);
        QVERIFY(applet->set("BANK[SW1]", 1, Variable::OutsideKey)); // no change, no notice
        QCOMPARE(counts(), QList<int>({1, 1, 1, 1, 1}));
        QCOMPARE(edits.at(1)->value(), 2.0);
        QVERIFY(applet->set("BANK[V]", 7, Variable::OutsideKey));
        QCOMPARE(counts(), QList<int>({1, 1, 1, 1, 1}));
        QVERIFY(applet->set("SA", 4, Variable::OutsideKey));
        QCOMPARE(countingSa->sets, 1);
        QCOMPARE(applet->calls(), QString("0:BANK 0:BANK 0:SA"));
        // The hook's own write of another field is no part of the write: its widgets follow.
        applet->hook = [this](int mode, const QString &) {
            if (mode == 0)
                bank->setField("[LEVEL]", 9);
            return true;
        };
        QVERIFY(applet->set("BANK[SW1]", 0, Variable::OutsideKey));
        QCOMPARE(counts(), QList<int>({1, 1, 2, 0, 2}));
        QCOMPARE(edits.at(1)->value(), 9.0);
        applet->hook = nullptr;
        applet->deactivate();
        QVERIFY(applet->set("BANK[SW1]", 1, Variable::OutsideKey));
        QCOMPARE(counts(), QList<int>({1, 1, 1, 1, 1}));
        // A widget bound later is refreshed by the writes of its field.
        auto *late = addWidget<CountingEdit>(applet, "BANK[SW2]");
        applet->bindControls();
        applet->activate();
        QVERIFY(applet->set("BANK[2:1]", 3, Variable::OutsideKey));
        QCOMPARE(late->sets, 1);
        QCOMPARE(late->value(), 3.0);
        QCOMPARE(counts(), QList<int>({0, 0, 1, 1, 1}));
    }

    // A register's own field or range write shows in the widgets of the written bits, a bulk
    // write in all of them. While held, nothing is refreshed; as the last hold goes, each item
    // that missed a refresh is refreshed once, and only shown.
    void noticesAndHolds()
    {
        QList<CountingEdit *> edits;
        for (const QString &name : {"BANK[SW1]", "BANK[LEVEL]", "BANK[]", "SA"})
            edits.append(addWidget<CountingEdit>(applet, name));
        applet->bindControls();
        applet->activate();
        const auto counts = [&edits]() { return CountingEdit::take(edits); };
        QVERIFY(bank->setField("[LEVEL]", 3));
        QCOMPARE(counts(), QList<int>({0, 1, 1, 0}));
        QVERIFY(bank->setValue(0, 0, 1));
        QCOMPARE(counts(), QList<int>({1, 0, 1, 0}));
        bank->fill(0);
        QCOMPARE(counts(), QList<int>({1, 1, 1, 0}));
        QCOMPARE(applet->calls(), QString("0:BANK 0:BANK 0:BANK"));
        {
            const Applet::RefreshHold hold(applet);
            {
                const Applet::RefreshHold inner(applet);
                QVERIFY(bank->setField("[LEVEL]", 5));
                QVERIFY(applet->set("SA", 7, Variable::OutsideKey));
                applet->slot_updateControls("BANK");
            }
            QVERIFY(applet->set("SA", 8, Variable::OutsideKey)); // one hold holds as well
            QCOMPARE(counts(), QList<int>({0, 0, 0, 0}));
            QCOMPARE(edits.at(1)->value(), 0.0);
        }
        QCOMPARE(counts(), QList<int>({1, 1, 1, 1}));
        QCOMPARE(edits.at(1)->value() + edits.at(3)->value(), 13.0);
        QCOMPARE(applet->calls(), QString("0:BANK 0:SA 0:SA")); // the writes' only
        const Applet::RefreshHold none(nullptr);
        QVERIFY(bank->setField("[SW1]", 1));
        QCOMPARE(counts(), QList<int>({1, 0, 1, 0}));
    }

    // Which widgets of a binding show which bits follows a changed widget list and a changed
    // layout; a widget whose field names no bits shows them all.
    void widgetBitIndex()
    {
        Register reg("A[2];B[2]", "R");
        QVERIFY(reg.addVirtual("V", "virtual", new ConstantField));
        auto *a = addWidget<CountingEdit>(applet, "R[A]");
        auto *b = addWidget<CountingEdit>(applet, "R[B]");
        auto *v = addWidget<CountingEdit>(applet, "R[V]");
        auto *all = addWidget<CountingEdit>(applet, "R[]");
        Binding binding{Binding::RegisterKind, &reg, nullptr, {v, a, b}, {}};
        using Widgets = QList<CustomControls::UniversalControl *>;
        QCOMPARE(binding.bitIndex.widgetsShowing(binding, {2}), (Widgets{v, b}));
        binding.widgets = {a, b, all};
        QCOMPARE(binding.bitIndex.widgetsShowing(binding, {2, 3}), (Widgets{b, all}));
        QCOMPARE(binding.bitIndex.widgetsShowing(binding, {4, 9}), Widgets()); // past the top
        reg.bitAt(0)->setName("B");
        QCOMPARE(binding.bitIndex.widgetsShowing(binding, {0}), (Widgets{b, all}));
        QCOMPARE(binding.bitIndex.widgetsShowing(binding, {1}), (Widgets{a, all}));
    }

    // Offline, model writes reach neither the widgets nor the hook until the items are named
    // or updated by object; a get asks the hook first, whose own write of the board's answer does
    // not re-enter it.
    void refreshAndGetByName()
    {
        bank->setField("[LEVEL]", 3);
        QVERIFY(sa->setValue(5.0, Variable::InternalKey));
        QCOMPARE(leLevel->value() + leSa->value(), 1.0);
        applet->slot_updateControls("NOPE;;BANK");
        QCOMPARE(leLevel->value() + leSa->value(), 4.0);
        applet->slot_updateControls(sa.get()); // a variable's own update
        QCOMPARE(leLevel->value() + leSa->value(), 8.0);
        bank->setField("[LEVEL]", 2);
        applet->slot_updateControls(bank.get()); // a register's
        QCOMPARE(leLevel->value() + leSa->value(), 7.0);
        QCOMPARE(applet->calls(), QString());
        applet->activate();
        int depth = 0, deepest = 0;
        applet->hook = [&](int mode, const QString &) {
            deepest = qMax(deepest, ++depth);
            if (mode == 1)
                bank->setField("[LEVEL]", 21); // the board's answer
            --depth;
            return true;
        };
        QCOMPARE(applet->get("BANK[LEVEL]", Variable::OutsideKey), QVariant(uint(21)));
        QCOMPARE(applet->get("SA", Variable::OutsideKey), QVariant(5.0));
        QVERIFY(!applet->get("NOPE[X]", Variable::OutsideKey).isValid());
        QCOMPARE(deepest, 1);
        QCOMPARE(applet->calls(), QString("1:BANK 1:SA"));
        QCOMPARE(leLevel->value(), 21.0);
        bank->value(true); // a read announced by the register asks the hook once
        QCOMPARE(applet->calls(), QString("1:BANK"));
        QVERIFY(text->setValue(QByteArray("ab\0cd", 5), Variable::InternalKey));
        QCOMPARE(applet->get("TEXT", Variable::OutsideKey), QVariant(QString("ab")));
    }

    // Items are read in the order named ("", "all" and "*" for all, "*" nested); a failed
    // transfer shows a warning per entry, the nested "*" reporting but not failing; writing
    // skips read-only items.
    void readAndWriteParameters()
    {
        RecordingPrompt prompt;
        QVERIFY(applet->readParameters("SA;BANK") && applet->readParameters("all") &&
                applet->readParameters("OWN"));
        const QString all = "1:BANK 1:STATUS 1:SA 1:LOCK 1:TEXT";
        QCOMPARE(applet->calls(), "1:SA 1:BANK " + all + " 1:OWN");
        applet->hook = [this](int mode, const QString &name) {
            if (mode == 1 && name == "SA")
                sa->setValue(11.0, Variable::InternalKey);
            return name != "BANK" && name != "LOCK";
        };
        QVERIFY(!applet->readParameters("BANK;SA;LOCK"));
        QVERIFY(!applet->writeParameters("BANK;SA"));
        QVERIFY(applet->readParameters("SA;*"));
        QCOMPARE(applet->calls(), "1:BANK 1:SA 1:LOCK 0:BANK 0:SA 1:SA " + all);
        QString texts;
        for (const Prompt::Message &m : prompt.messages())
            texts += m.text.section(' ', 2) + "|";
        QCOMPARE(texts, QString("BANK fail to read|LOCK fail to read|BANK fail to write|"
                                "BANK fail to read|LOCK fail to read|"));
        QCOMPARE(prompt.messages().first().text, QString("TestApplet Parameter BANK fail to read"));
        QCOMPARE(prompt.messages().first().icon, Prompt::Warning);
        QCOMPARE(leSa->value(), 11.0); // a successful read refreshes its widgets
        // "all" or "*" alone names every item, as "" does: a failed item fails the read.
        QVERIFY(!applet->readParameters("all") && !applet->readParameters("*"));
        QCOMPARE(applet->calls(), all + " " + all);
        QVERIFY(applet->writeParameters("STATUS;LOCK;SA;OWN"));
        QCOMPARE(applet->calls(), QString("0:SA 0:OWN")); // an item of the hook's own is written
        // An applet without a device access of its own reads and writes without failing.
        applet->hook = [this](int mode, const QString &name) {
            return applet->Applet::updateItem(mode, name);
        };
        QVERIFY(applet->readParameters("all") && applet->writeParameters("BANK;SA"));
        QCOMPARE(prompt.messages().size(), 9);
    }

    // Bindings keep their insertion order, whatever the hash does; taken names, unnamed and
    // missing objects are refused, registers and variables alike.
    void bindings()
    {
        Register other(4, "BANK"), unnamed(4, "");
        QLoggingCategory::setFilterRules(QStringLiteral("kvl.applet.debug=true"));
        QTest::ignoreMessage(QtDebugMsg, "Applet TestApplet already contains BANK");
        QVERIFY(!applet->addRegister(&other, 0));
        QCOMPARE(applet->binding("BANK")->reg, bank.get());
        QVERIFY(!applet->addRegister(&unnamed, 0));
        QVERIFY(!applet->bindRegister("FREE", nullptr));
        QVERIFY(!applet->binding("FREE"));
        Variable taken(1., "SA", QString(), 0., 9.), nameless(1., "", QString(), 0., 9.);
        QTest::ignoreMessage(QtDebugMsg, "Applet TestApplet already contains SA");
        QVERIFY(!applet->addVariable(&taken) && !applet->addVariable(&nameless));
        QVERIFY(!applet->addVariable(nullptr) && !applet->binding(""));
        std::vector<std::unique_ptr<Variable>> vars;
        QStringList names = {"BANK", "SA", "TEXT"}; // the writable ones
        for (int i = 0; i < 30; ++i) {
            names.append(QString("V%1").arg((i * 7919) % 997));
            vars.push_back(std::make_unique<Variable>(double(i), names.last(), QString(), 0., 99.));
            QVERIFY(applet->addVariable(vars.back().get()));
        }
        applet->removeItem(names.takeAt(7));
        applet->removeVariable(vars.at(9).get()); // by the model object, as the register
        names.removeAll(vars.at(9)->name());
        applet->removeRegister(bank.get());
        names.removeAll("BANK");
        QVERIFY(!applet->binding("BANK") && !applet->binding(vars.at(9)->name()));
        QVERIFY(applet->writeParameters(""));
        QCOMPARE(applet->hookCalls, names.replaceInStrings(QRegularExpression("^"), "0:"));
    }

    // ---- configuration text of workspaces: one line per item in binding order, read-only
    // registers empty, numbers with six decimals unless more are needed to be exact.
    void configSavesAndLoadsEveryItem()
    {
        Variable precise(1.0 / 3, "P", QString(), -1e300, 1e300);
        QVERIFY(applet->addVariable(&precise));
        bank->setValue(0xD1u, true);
        QVERIFY(sa->setValue(-0.25, Variable::InternalKey));
        const QByteArray saved = applet->saveConfig();
        QVERIFY2(saved.startsWith("BANK:0b10001011\nSTATUS:\nSA:-0.250000\nLOCK:2.000000\n"
                                  "TEXT:0.000000\nP:"),
                 saved.constData());
        QVERIFY(!saved.contains("P:0.333333\n"));
        bank->setValue(0u, true);
        QVERIFY(sa->setValue(3.0, Variable::InternalKey));
        QVERIFY(precise.setValue(7.0, Variable::InternalKey));
        QVERIFY(lock->setValue(9.0, Variable::InternalKey));
        QVERIFY(applet->loadConfig(saved));
        applet->removeItem("P");
        QCOMPARE(precise.value(), 1.0 / 3); // exactly the same number
        QCOMPARE(lock->value(), 2.0);       // a read-only variable is written back too
        QCOMPARE(bank->value(true), 0xD1u);
        QCOMPARE(leBank->value(), double(0xD1)); // widgets refreshed
        QCOMPARE(sa->value(), -0.25);
    }

    // Lines into BANK (8 bits) and the read-only STATUS (4 bits); only numbers reach the board.
    void configLines_data()
    {
        addRows<QByteArray, quint32, quint32, QString>(
            {"text", "bank", "status", "sent"}, // before: BANK 0x9, STATUS 5
            {{"BANK:0b1011", 0xD, 5, ""},
             {"BANK:0xd\nSA:2.5", 0xD, 5, "0:BANK 0:SA"},
             {"BANK:13", 0xD, 5, "0:BANK"},
             {"BANK:0b01", 0xA, 5, ""},
             {"BANK:0b2x00", 0x3, 5, ""},
             {"BANK:0x3\r", 0x3, 5, "0:BANK"},
             {"STATUS:", 0x9, 5, ""},
             {"STATUS:0b011", 0x9, 6, ""},
             {"STATUS:3", 0x9, 3, "0:STATUS"},
             {"BANK:0x1:2\nSA:1:2\nBANK 0x0F\nSA=4", 0x9, 5, ""},
             {"NOPE:5\nbank:3\nBANK:\nSA:  \n\n:\n:5", 0x9, 5, ""},
             {"BANK:zz\nBANK:0xZZ\nSA:abc\nSA:1.5.5\nSA:40", 0x9, 5, ""},
             {"BANK:0x100000000\nBANK:99999999999", 0x9, 5, ""},
             {QByteArray("\xff\xfe:1\nSA:\0\xff\n\0BANK:1", 18), 0x9, 5, ""}});
    }

    void configLines()
    {
        QFETCH(QByteArray, text);
        QFETCH(quint32, bank);
        QFETCH(quint32, status);
        QFETCH(QString, sent);
        this->bank->setValue(0x9u, true);
        this->status->setValue(5u, true);
        applet->activate();
        QVERIFY(applet->loadConfig(text));
        QCOMPARE(applet->calls(), sent);
        QCOMPARE(this->bank->value(), bank);
        QCOMPARE(this->status->value(), status);
        QCOMPARE(sa->value(), sent.contains("SA") ? 2.5 : 1.0);
    }

    // ---- the sub-window without maximise button, made once; closing it only hides it; the
    // action is enabled only while online.
    void subWindowAndItsAction()
    {
        applet->fixedWidth = true;
        applet->setGeometry(10, 20, 500, 300);
        auto *sub = qobject_cast<QMdiSubWindow *>(applet->createContainer(0, nullptr));
        QCOMPARE(sub->geometry(), QRect(10, 20, 510, 340));
        QVERIFY(sub->minimumWidth() == sub->maximumWidth());
        QVERIFY(sub->minimumHeight() != sub->maximumHeight());
        QVERIFY(!(sub->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(applet->createContainer(0, nullptr), sub);
        QAction *a = applet->action();
        QCOMPARE(a->text(), QString("SPI Raw(TestApplet)"));
        QCOMPARE(a->whatsThis(), QString("TestApplet"));

        QVERIFY(!a->isEnabled());
        applet->activate();
        QCOMPARE(applet->connectedWhileOnline, QList<bool>{false}); // the hook runs before
        QVERIFY(applet->isOnline() && a->isEnabled());

        QMdiArea area;
        area.addSubWindow(sub);
        area.show();
        a->trigger();
        QVERIFY(a->isChecked() && sub->isVisible() && applet->isWindowVisible());
        QSignalSpy hidden(applet, &Applet::signal_HideWindow);
        QVERIFY(!sub->close());
        QCOMPARE(hidden.size(), 1);
        QVERIFY(!sub->isVisible() && !a->isChecked());
        QCOMPARE(AppletScroll::appletOf(sub), applet); // nothing destroyed
        applet->deactivate();
        QCOMPARE(applet->disconnectCalls, 1);
        QVERIFY(!applet->isOnline() && !a->isEnabled());
        // The title bar shows the applet's title and icon, also as they change.
        QCOMPARE(sub->windowTitle(), QString("SPI Raw"));
        applet->setTitle("(Ctrl+3) SPI Raw");
        QCOMPARE(sub->windowTitle(), QString("(Ctrl+3) SPI Raw"));
        QPixmap mark(16, 16);
        mark.fill(Qt::red);
        applet->setWindowIcon(QIcon(mark));
        QCOMPARE(sub->windowIcon().pixmap(16, 16).toImage().pixel(8, 8), QColor(Qt::red).rgb());
        area.removeSubWindow(sub);
    }

    // Extra widgets follow the "name:0" and "name:1" pieces of their description that name the
    // item; a widget whose description does not name it is enabled.
    void extraWidgetsEnabledByDescription()
    {
        QWidget off, on, other;
        off.setAccessibleDescription("LEVEL:1;MODE:0");
        on.setAccessibleDescription(" MODE : 1 ");
        other.setEnabled(false);
        applet->extraWidgets = {&off, nullptr, &on, &other};
        applet->enableByDescription("MODE");
        QCOMPARE(QList<bool>({off.isEnabled(), on.isEnabled(), other.isEnabled()}),
                 QList<bool>({false, true, true}));
        applet->enableByDescription("LEVEL");
        QVERIFY(off.isEnabled() && on.isEnabled());
    }

    // ---- a form larger than its window scrolls inside it, also after it grew while hidden or
    // as its layout's smallest size grew; one that fits follows the window.
    void formScrollsInsideItsWindow()
    {
        auto *layout = new QVBoxLayout(applet);
        auto *content = new QWidget;
        content->setMinimumSize(400, 300);
        layout->addWidget(content);
        applet->setGeometry(0, 0, 200, 150);
        auto *sub = qobject_cast<QMdiSubWindow *>(applet->createContainer(0, nullptr));
        AppletScroll *scroll = AppletScroll::of(sub);
        QCOMPARE(applet->parentWidget(), scroll->viewport());
        QCOMPARE(scroll->viewport()->backgroundRole(), QPalette::Window); // around it: the form's
        QMdiArea area;
        area.resize(900, 700);
        area.addSubWindow(sub);
        area.show();
        sub->show();
        const auto reaches = [&](const QSize &smallest) {
            return applet->width() >= smallest.width() && applet->height() >= smallest.height() &&
                   scroll->horizontalScrollBar()->maximum() + scroll->viewport()->width() ==
                       applet->width() &&
                   scroll->verticalScrollBar()->maximum() + scroll->viewport()->height() ==
                       applet->height();
        };
        QTRY_VERIFY_WITH_TIMEOUT(reaches(applet->minimumSizeHint()), 30000);
        QVERIFY(scroll->verticalScrollBar()->maximum() > 0);
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
        QCOMPARE(applet->y(), -scroll->verticalScrollBar()->maximum());
        scroll->verticalScrollBar()->setValue(0);
        QCOMPARE(applet->y(), 0);
        scroll->horizontalScrollBar()->setValue(scroll->horizontalScrollBar()->maximum());
        QCOMPARE(applet->x(), -scroll->horizontalScrollBar()->maximum());
        scroll->horizontalScrollBar()->setValue(0);
        QCOMPARE(applet->x(), 0);
        applet->resize(applet->width() + 300, applet->height()); // resized by itself
        QVERIFY(reaches(applet->minimumSizeHint()));
        QCOMPARE(QSize(scroll->horizontalScrollBar()->pageStep(), // a page is the view
                       scroll->verticalScrollBar()->pageStep()),
                 scroll->viewport()->size());
        sub->hide();
        applet->setMinimumSize(600, 500);
        sub->show();
        QTRY_VERIFY_WITH_TIMEOUT(reaches(QSize(600, 500)), 30000);
        content->setMinimumSize(700, 600);
        QTRY_VERIFY_WITH_TIMEOUT(reaches(applet->minimumSizeHint()) && applet->height() >= 600,
                                 30000);
        applet->setMinimumSize(0, 0);
        content->setMinimumSize(10, 10);
        sub->resize(600, 500);
        QTRY_VERIFY_WITH_TIMEOUT(!scroll->verticalScrollBar()->isVisible() &&
                                     applet->size() == scroll->viewport()->size(),
                                 30000);
        QCOMPARE(scroll->sizeHint(), applet->size());
        area.removeSubWindow(sub);
        AppletScroll empty; // a window without its form lays out nothing
        empty.show();
        empty.resize(300, 200);
        QVERIFY(!empty.applet());
    }

    // ---- the drag script of a command: the object made, the command run with its argument,
    // the object cleaned up, and a text naming the command.
    void commandDragScript()
    {
        namespace Script = CustomControls::ScriptDrag;
        struct Recording : CustomControls::ScriptDragProvider {
            QWidget *activeAppletWidget() const override { return nullptr; }
            QString activeAppletName() const override { return QString(); }
            Qt::DropAction executeDrag(QDrag *drag) override
            {
                for (const QString &format : drag->mimeData()->formats())
                    lines << format + "=" + QString::fromLatin1(drag->mimeData()->data(format));
                text = drag->mimeData()->text();
                made = drag;
                return Qt::CopyAction;
            }
            QStringList lines;
            QString text;
            QPointer<QDrag> made;
        } recording;
        CustomControls::ScriptDragProvider::setProvider(&recording);
        Applet::makeDragScript(applet, "SpiRaw.cmd", "0x12");
        CustomControls::ScriptDragProvider::setProvider(nullptr);
        for (const QString &line :
             {QString(Script::InitObjectFormat) + "=" + Script::initObjectLine(),
              QString(Script::SetDataFormat) + "=" + Script::runLine("SpiRaw.cmd", "0x12"),
              QString(Script::CleanUpFormat) + "=" + Script::cleanUpLine()})
            QVERIFY2(recording.lines.contains(line), qPrintable(line));
        QCOMPARE(recording.text, QString("SpiRaw.cmd #KVL52110: run"));
        QTRY_VERIFY(recording.made.isNull()); // a finished drag goes, not with its applet only
    }

    // ---- slots by name: as Qt's connectSlotsByName, object by object and signal by signal.
    void slotsByNameAsQt()
    {
        const auto fireAll = [](SlotReceiver &r) {
            for (Source *s : r.findChildren<Source *>())
                s->fire();
            delete r.findChild<QObject *>("plain");
            r.setObjectName("renamed");
            return r.calls;
        };
        SlotReceiver ours, qts;
        QTest::failOnWarning(QRegularExpression("on__clicked"));
        QTest::ignoreMessage(QtWarningMsg,
                             "SlotsByName: No matching signal for on_nothing_clicked()");
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("No matching signal for on_nothing_clicked"));
        SlotsByName::connect(&ours);
        QMetaObject::connectSlotsByName(&qts);
        const QStringList calls = fireAll(ours);
        QCOMPARE(calls, QStringList({"a 1 x", "dup 2 in a", "a_b 2", "plain 1 x", "plain 3",
                                     "plain gone", "receiver renamed"}));
        QCOMPARE(fireAll(qts), calls);
    }

private:
    void edit(LineEdit *le, const QString &text)
    {
        le->setText(text);
        emit le->signal_activated();
    }

    std::unique_ptr<Register> bank, status;
    std::unique_ptr<Variable> sa, lock, text;
    QPointer<TestApplet> applet; // a container owns it once made
    CheckBox *cbSw1 = nullptr, *cbFlag = nullptr, *cbOrphan = nullptr;
    LineEdit *leLevel = nullptr, *leBank = nullptr, *leSa = nullptr, *leLock = nullptr,
             *leText = nullptr;
    PushButton *pbRead = nullptr, *pbErase = nullptr;
};

QTEST_MAIN(TestAppletBase)
#include "tst_applet.moc"
