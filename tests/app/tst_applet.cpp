#include "tst_appletfixture.h"
#include "tablerows.h"

#include "checkbox.h"
#include "lineedit.h"
#include "pushbutton.h"
#include "register.h"
#include "variable.h"

#include <QDialog>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using CustomControls::CheckBox;
using CustomControls::LineEdit;
using CustomControls::PushButton;

namespace
{

template <typename W> W *addWidget(QWidget *parent, const QString &bindingName)
{
    auto *w = new W(parent);
    w->setAccessibleName(bindingName);
    return w;
}

} // namespace

// Binding of a test applet's form to sample registers and variables, name-based requests and
// the device hook protocol.
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
        applet->onInit = [this](TestApplet *a) {
            Q_UNUSED(a);
            bindAll();
        };
    }

    void cleanup()
    {
        delete applet;
        applet = nullptr;
    }

    void setupBindsTheFormsWidgets()
    {
        bindForm();
        QCOMPARE(applet->controls.size(), 10);
        QVERIFY(cbSw1->isConnected());
        QVERIFY(leLevel->isConnected());
        QVERIFY(pbRead->isConnected());
        QVERIFY(!cbOrphan->isConnected());
        QVERIFY(cbOrphan->toolTip().isEmpty());

        QCOMPARE(applet->binding("BANK")->widgets.size(), 3);
        QCOMPARE(cbSw1->text(), QString("SW1")); // empty caption takes the field name
        QCOMPARE(cbSw1->toolTip(),
                 QString("Switch one <font color=#0000ff><br>BANK[SW1]</font><br>"));
        QCOMPARE(leSa->toolTip(), QString("Start address <font color=#0000ff><br>SA</font><br>"));
        QCOMPARE(pbRead->toolTip(), QString("<font color=#0000ff>ReadVLED (1)</font><br>"));
        QVERIFY(!cbFlag->isWritable()); // read-only register
        QVERIFY(!leLock->isWritable()); // read-only variable
        QVERIFY(leSa->isWritable());

        // Every widget shows the model's value after set-up.
        QCOMPARE(leSa->value(), 1.0);
        QCOMPARE(leLock->value(), 2.0);
        QCOMPARE(leText->text(), QString("abc"));
        QCOMPARE(applet->controlNames().size(), 10);
        QVERIFY(applet->controlNames().contains("BANK[LEVEL]"));
    }

    void setupReturnsInitResultAndStaysOffline()
    {
        applet->initResult = false;
        QVERIFY(!applet->setup());
        QVERIFY(!applet->isOnline());
        QVERIFY(!applet->action()->isEnabled());
        QCOMPARE(applet->itemNames().size(), 5); // the bindings of init stay
    }

    void widgetEditWritesTheModelWithTheOutsideKey()
    {
        bindForm();
        applet->activate();
        applet->hookCalls.clear();

        cbSw1->click();
        QCOMPARE(bank->getField("[SW1]"), 1u);
        leLevel->setText("17");
        emit leLevel->signal_activated();
        QCOMPARE(bank->getField("BANK[LEVEL]"), 17u);
        QCOMPARE(bank->getField("[SW1]"), 1u);
        QCOMPARE(leBank->value(), double(1 | 17 << 3));

        leSa->setText("12");
        emit leSa->signal_activated();
        QCOMPARE(sa->value(), 12.0);

        leText->setText("xyz");
        emit leText->signal_activated();
        QCOMPARE(text->text(), QByteArray("xyz"));

        // Each write reached the hook through the change signal.
        const QList<QPair<int, QString>> expected = {
            {0, "BANK"}, {0, "BANK"}, {0, "SA"}, {0, "TEXT"}};
        QCOMPARE(applet->hookCalls, expected);

        // A read-only variable refuses the edit, announced (update mode 1) but not written.
        lock->setUpdateMode(1);
        QSignalSpy changed(lock.get(), &Variable::signal_updateSet);
        leLock->setReadOnly(false);
        leLock->setText("7");
        emit leLock->signal_activated();
        QCOMPARE(changed.size(), 1);
        QCOMPARE(lock->value(), 2.0);
        QCOMPARE(leLock->value(), 2.0); // the widget shows the model again
        // A value outside the range is refused as well.
        leSa->setText("40");
        emit leSa->signal_activated();
        QCOMPARE(sa->value(), 12.0);
        QCOMPARE(leSa->value(), 12.0);
    }

    // Offline, model writes reach neither the widgets nor the hook; online, every widget of the
    // item is refreshed and the hook asked once per write.
    void modelWriteRefreshesEveryWidgetOfTheItem()
    {
        bindForm();
        applet->hookCalls.clear();
        QSignalSpy registerChanged(applet, &Applet::signal_RegisterChanged);
        bank->setField("BANK[LEVEL]", 9);
        QVERIFY(sa->setValue(5.0, Variable::InternalKey));
        bank->value(true); // announces a read
        applet->activate();
        applet->deactivate(); // online and offline again
        bank->setField("BANK[LEVEL]", 3);
        QCOMPARE(leLevel->value(), 0.0);
        QCOMPARE(leSa->value(), 1.0);
        QVERIFY(applet->hookCalls.isEmpty());
        QCOMPARE(registerChanged.size(), 0);

        applet->activate();
        bank->setField("BANK[LEVEL]", 9);
        QCOMPARE(leLevel->value(), 9.0);
        QCOMPARE(leBank->value(), double(9 << 3));
        QVERIFY(!cbSw1->isChecked());
        bank->setField("[SW1]", 1);
        QVERIFY(cbSw1->isChecked());
        QCOMPARE(leLevel->value(), 9.0);
        QCOMPARE(registerChanged.size(), 2);
        QCOMPARE(applet->hookCalls, (QList<QPair<int, QString>>{{0, "BANK"}, {0, "BANK"}}));
        QVERIFY(sa->setValue(6.0, Variable::InternalKey));
        QCOMPARE(leSa->value(), 6.0);
        QCOMPARE(applet->hookCalls.last(), qMakePair(0, QString("SA")));
    }

    void setByName_data()
    {
        addRows<QString, QVariant, bool, quint32, double>(
            {"name", "value", "result", "bankValue", "saValue"},
            {{"BANK[SW2]", 3, true, 3 << 1, 1.0},
             {"BANK[LEVEL]", "5", true, 5 << 3, 1.0},
             {"BANK[7]", 1u, true, 0x80, 1.0},
             {"BANK[]", -1, true, 0xFF, 1.0},
             {"SA", "-1", true, 0, -1.0},
             {"SA", 2.5, true, 0, 2.5},
             {"SA", 32, false, 0, 1.0},
             {"SA", QVariant(), false, 0, 1.0},
             {"SA", QString(), false, 0, 1.0},
             {"", 1, false, 0, 1.0},
             {"NOPE[X]", 1, false, 0, 1.0},
             {"BANK[MISSING]", 1, false, 0, 1.0}});
    }

    void setByName()
    {
        QFETCH(QString, name);
        QFETCH(QVariant, value);
        QFETCH(bool, result);
        QFETCH(quint32, bankValue);
        QFETCH(double, saValue);
        bindForm();
        applet->hookCalls.clear();

        QCOMPARE(applet->set(name, value, Variable::OutsideKey), result);
        QCOMPARE(bank->value(true), bankValue);
        QCOMPARE(sa->value(), saValue);
        // Widgets show the model even offline, each its own field; the hook is not asked.
        QCOMPARE(leBank->value(), double(bankValue));
        QCOMPARE(leLevel->value(), double(bankValue >> 3));
        QCOMPARE(cbSw1->isChecked(), bool(bankValue & 1));
        QCOMPARE(leSa->value(), double(quint32(qint64(saValue)))); // the edit shows whole numbers
        QVERIFY(applet->hookCalls.isEmpty());
    }

    void setOfUnconvertibleValueWritesNothing_data()
    {
        addRows<QString, QVariant>({"name", "value"},
                                   {{"SA", "abc"},
                                    {"SA", QVariantList{1, 2}},
                                    {"SA", QByteArray("\x05", 1)},
                                    {"BANK[LEVEL]", "abc"},
                                    {"BANK[LEVEL]", "1.5"},
                                    {"BANK[LEVEL]", QByteArray("3")},
                                    {"BANK[LEVEL]", qlonglong(1) << 33},
                                    {"BANK[LEVEL]", qInf()},
                                    {"TEXT", QStringList{"a"}}});
    }

    void setOfUnconvertibleValueWritesNothing()
    {
        QFETCH(QString, name);
        QFETCH(QVariant, value);
        bindForm();
        bank->setField("BANK[LEVEL]", 6);
        applet->activate();
        applet->hookCalls.clear();

        QVERIFY(!applet->set(name, value, Variable::InternalKey));
        QCOMPARE(bank->getField("[LEVEL]"), 6u);
        QCOMPARE(sa->value(), 1.0);
        QCOMPARE(text->text(), QByteArray("abc"));
        QVERIFY(applet->hookCalls.isEmpty()); // no change signal, no board write
    }

    void setOfReadOnlyVariableNeedsTheForceKey()
    {
        bindForm();
        QVERIFY(!applet->set("LOCK", 5, Variable::OutsideKey));
        QCOMPARE(lock->value(), 2.0);
        QCOMPARE(leLock->value(), 2.0);
        QVERIFY(applet->set("LOCK", 5, Variable::InternalKey));
        QCOMPARE(lock->value(), 5.0);
        QCOMPARE(leLock->value(), 5.0);
        // A string variable takes text and bytes.
        QVERIFY(applet->set("TEXT", QString("hello"), Variable::OutsideKey));
        QCOMPARE(text->text(), QByteArray("hello"));
        QCOMPARE(leText->text(), QString("hello"));
    }

    void getByNameAsksTheHookFirst()
    {
        bindForm();
        bank->setField("[LEVEL]", 21);
        bank->setField("[SW1]", 1);
        applet->hookCalls.clear();
        applet->hook = [this](int mode, const QString &) {
            if (mode == 1)
                bank->setField("[SW2]", 2); // the board's answer
            return true;
        };

        QCOMPARE(applet->get("BANK[LEVEL]", Variable::OutsideKey), QVariant(uint(21)));
        QCOMPARE(applet->get("BANK[SW2]", Variable::OutsideKey), QVariant(uint(2)));
        const QList<QPair<int, QString>> expected = {{1, "BANK"}, {1, "BANK"}};
        QCOMPARE(applet->hookCalls, expected);
        QCOMPARE(applet->get("SA", Variable::OutsideKey), QVariant(1.0));
        QCOMPARE(applet->hookCalls.last(), qMakePair(1, QString("SA")));

        applet->hookCalls.clear();
        QVERIFY(!applet->get("NOPE[X]", Variable::OutsideKey).isValid());
        QVERIFY(!applet->get("", Variable::OutsideKey).isValid());
        QVERIFY(applet->hookCalls.isEmpty());
        // The widgets were refreshed by get although the applet is offline.
        QCOMPARE(leBank->value(), double(1 | 2 << 1 | 21 << 3));
        // A string variable reads as text up to its first zero byte.
        QVERIFY(text->setValue(QByteArray("ab\0cd", 5), Variable::InternalKey));
        const QVariant v = applet->get("TEXT", Variable::OutsideKey);
        QCOMPARE(v.typeId(), int(QMetaType::QString));
        QCOMPARE(v.toString(), QString("ab"));
    }

    void hookWritingItsOwnItemIsNotReentered()
    {
        bindForm();
        applet->activate();
        applet->hookCalls.clear();
        QSignalSpy registerChanged(applet, &Applet::signal_RegisterChanged);
        int depth = 0;
        int deepest = 0;
        applet->hook = [&](int mode, const QString &name) {
            ++depth;
            deepest = qMax(deepest, depth);
            if (mode == 1 && name == "BANK")
                bank->setField("[LEVEL]", 30); // store the board's answer
            --depth;
            return true;
        };

        QCOMPARE(applet->get("BANK[LEVEL]", Variable::OutsideKey), QVariant(uint(30)));
        QCOMPARE(deepest, 1);
        const QList<QPair<int, QString>> expected = {{1, "BANK"}};
        QCOMPARE(applet->hookCalls, expected);
        QCOMPARE(registerChanged.size(), 1);
        QCOMPARE(leLevel->value(), 30.0);

        // A read announced by the register asks the hook once; its write changes nothing.
        applet->hookCalls.clear();
        bank->value(true);
        QCOMPARE(applet->hookCalls, expected);
    }

    void updateControlsByNames_data()
    {
        addRows<QString, bool, bool>({"names", "bankShown", "saShown"},
                                     {{"SA", false, true},
                                      {"X*", true, true},
                                      {"", true, true},
                                      {"NOPE;;BANK", true, false}});
    }

    void updateControlsByNames()
    {
        QFETCH(QString, names);
        QFETCH(bool, bankShown);
        QFETCH(bool, saShown);
        bindForm();
        bank->setField("[LEVEL]", 4); // offline: no refresh yet
        QVERIFY(sa->setValue(9.0, Variable::InternalKey));
        QCOMPARE(leLevel->value(), 0.0);

        applet->slot_updateControls(names);
        QCOMPARE(leLevel->value(), bankShown ? 4.0 : 0.0);
        QCOMPARE(leSa->value(), saShown ? 9.0 : 1.0);
    }

    void readParametersReadsEveryItemInOrder_data()
    {
        const QStringList all = {"BANK", "STATUS", "SA", "LOCK", "TEXT"};
        addRows<QString, QStringList>({"names", "expected"},
                                      {{"", all},
                                       {"all", all},
                                       {"SA;BANK", {"SA", "BANK"}},
                                       {"SA;*", QStringList{"SA"} + all},
                                       {"OWN", {"OWN"}}});
    }

    void readParametersReadsEveryItemInOrder()
    {
        QFETCH(QString, names);
        QFETCH(QStringList, expected);
        bindForm();
        applet->hookCalls.clear();
        QVERIFY(applet->readParameters(names));
        QStringList asked;
        for (const auto &call : std::as_const(applet->hookCalls)) {
            QCOMPARE(call.first, 1);
            asked.append(call.second);
        }
        QCOMPARE(asked, expected);
    }

    void failedTransferShowsAWarningPerEntry()
    {
        RecordingPrompt prompt;
        bindForm();
        applet->hook = [this](int mode, const QString &name) {
            if (mode == 1 && name == "SA")
                sa->setValue(11.0, Variable::InternalKey);
            return name != "BANK" && name != "LOCK";
        };
        QVERIFY(!applet->readParameters("BANK;SA;LOCK"));
        QList<Prompt::Message> shown = prompt.messages();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0).text, QString("TestApplet Parameter BANK fail to read"));
        QCOMPARE(shown.at(0).icon, Prompt::Warning);
        QCOMPARE(shown.at(0).buttons, int(Prompt::Ok));
        QVERIFY(shown.at(0).title.isEmpty());
        QCOMPARE(shown.at(1).text, QString("TestApplet Parameter LOCK fail to read"));
        QCOMPARE(leSa->value(), 11.0); // a successful read refreshes its widgets

        QVERIFY(!applet->writeParameters("BANK;SA"));
        shown = prompt.messages().mid(2);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.at(0).text, QString("TestApplet Parameter BANK fail to write"));
        // A nested "*" reports its own failures but does not enter the result.
        QVERIFY(applet->readParameters("SA;*"));
        shown = prompt.messages().mid(3);
        QCOMPARE(shown.size(), 2); // BANK and LOCK of the nested call

        // Writing skips read-only items: the hook is not asked, nothing fails.
        applet->hookCalls.clear();
        QVERIFY(applet->writeParameters("STATUS;LOCK"));
        QVERIFY(applet->hookCalls.isEmpty());
        QCOMPARE(prompt.messages().size(), 5);
        applet->hook = nullptr;
        QVERIFY(applet->writeParameters("STATUS;SA"));
        QCOMPARE(applet->hookCalls, (QList<QPair<int, QString>>{{0, "SA"}}));
    }

    void duplicateBindingIsRefused()
    {
        bindForm();
        Register other(4, "BANK");
        QTest::ignoreMessage(QtDebugMsg, "Applet TestApplet already contains BANK");
        QVERIFY(!applet->addRegister(&other, 0));
        QCOMPARE(applet->binding("BANK")->reg, bank.get());
        QCOMPARE(applet->binding("BANK")->widgets.size(), 3);
        Variable same(1, "SA", "", 0, 10);
        QTest::ignoreMessage(QtDebugMsg, "Applet TestApplet already contains SA");
        QVERIFY(!applet->addVariable(&same));
        QCOMPARE(applet->binding("SA")->variable, sa.get());

        QVERIFY(!applet->addRegister(nullptr, 0));
        Register unnamed(4, "");
        QVERIFY(!applet->addRegister(&unnamed, 0));
        QVERIFY(!applet->bindRegister("FREE", nullptr));
        QVERIFY(!applet->binding("FREE"));
    }

    // Bound buttons run their command, also those of a dialog the applet owns (a window of its
    // own).
    void pushButtonRunsItsCommand()
    {
        auto *pbErase = addWidget<PushButton>(new QWidget(new QDialog(applet)), "Erase(2)");
        bindForm();
        pbRead->click();
        pbWrite->click();
        pbErase->click();
        QCOMPARE(applet->commands.size(), 3);
        QCOMPARE(applet->commands.at(0).command, QString("ReadVLED"));
        QCOMPARE(applet->commands.at(0).args, QVariant(QString("1")));
        QVERIFY(applet->commands.at(0).triggeredByControl);
        QCOMPARE(applet->commands.at(1).command, QString("Write_all"));
        QCOMPARE(applet->commands.at(1).args.typeId(), int(QMetaType::QString));
        QVERIFY(applet->commands.at(1).args.toString().isEmpty());
        QCOMPARE(applet->commands.at(2).command, QString("Erase"));
        QCOMPARE(applet->commands.at(2).args, QVariant(QString("2")));
        QVERIFY(applet->commands.at(2).triggeredByControl);
        QVERIFY(!applet->triggeredByControl);
        QCOMPARE(applet->functionNames(), QStringList{"Cmd"});
    }

    void senderThatIsNotABoundWidgetIsIgnored()
    {
        bindForm();
        applet->activate();
        applet->hookCalls.clear();

        // No sender at all.
        QVERIFY(QMetaObject::invokeMethod(applet, "slot_ControlTriggered"));
        // A push button of another window.
        PushButton foreign;
        foreign.setAccessibleName("Erase()");
        QVERIFY(foreign.connectChanged(SLOT(slot_ControlTriggered()), applet));
        foreign.click();
        QVERIFY(applet->commands.isEmpty());
        // A value widget bound to an item of this applet but not through it.
        CheckBox stray;
        stray.setAccessibleName("BANK[SW1]");
        QVERIFY(stray.connectChanged(SLOT(slot_ControlTriggered()), applet));
        stray.click();
        QCOMPARE(bank->getField("[SW1]"), 0u);
        // A plain Qt widget.
        QPushButton plain;
        connect(&plain, SIGNAL(clicked()), applet, SLOT(slot_ControlTriggered()));
        plain.click();
        QVERIFY(applet->hookCalls.isEmpty());
        QVERIFY(applet->commands.isEmpty());
    }

    void widgetsBelowElevenLevelsAreNotBound()
    {
        QWidget *parent = applet;
        CheckBox *atEleven = nullptr;
        for (int level = 1; level <= 12; ++level) {
            if (level == 11)
                atEleven = addWidget<CheckBox>(parent, "BANK[SW1]");
            if (level == 12)
                addWidget<CheckBox>(parent, "BANK[SW2]");
            parent = new QWidget(parent);
        }
        applet->setup();
        QCOMPARE(applet->controls.size(), 1);
        QCOMPARE(applet->controls.at(0), static_cast<CustomControls::UniversalControl *>(atEleven));
        QCOMPARE(applet->binding("BANK")->widgets.size(), 1);
    }

    void bindingsKeepInsertionOrder()
    {
        applet->onInit = nullptr;
        std::vector<std::unique_ptr<Variable>> vars;
        QStringList names;
        for (int i = 0; i < 40; ++i) {
            names.append(QString("V%1").arg((i * 7919) % 997));
            vars.push_back(
                std::make_unique<Variable>(double(i), names.last(), QString(), 0., 100.));
            QVERIFY(applet->addVariable(vars.back().get()));
        }
        QCOMPARE(applet->itemNames(), names);
        applet->removeItem(names.at(3));
        names.removeAt(3);
        QCOMPARE(applet->itemNames(), names);

        applet->hookCalls.clear();
        QVERIFY(applet->writeParameters(""));
        QStringList written;
        for (const auto &call : std::as_const(applet->hookCalls))
            written.append(call.second);
        QCOMPARE(written, names);
    }

    void removeItemUnbindsItsWidgets()
    {
        bindForm();
        applet->activate();
        applet->removeRegister(bank.get());
        QVERIFY(!applet->binding("BANK"));
        applet->removeRegister(nullptr);
        applet->removeItem("NOPE");
        // The widget is disconnected: an edit writes nothing.
        cbSw1->click();
        QCOMPARE(bank->getField("[SW1]"), 0u);
        // The register's change signals still reach the hook.
        applet->hookCalls.clear();
        bank->setField("[LEVEL]", 2);
        const QList<QPair<int, QString>> expected = {{0, "BANK"}};
        QCOMPARE(applet->hookCalls, expected);
        QVERIFY(!applet->set("BANK[LEVEL]", 1, Variable::OutsideKey));

        // Rebinding through initControls; the change signals reach the applet once.
        QVERIFY(applet->addRegister(bank.get(), 8));
        applet->initControls(leLevel);
        QCOMPARE(applet->binding("BANK")->widgets.size(), 1);
        applet->hookCalls.clear();
        bank->setField("[LEVEL]", 5);
        QCOMPARE(applet->hookCalls, expected);
        QCOMPARE(leLevel->value(), 5.0);
    }

    void enableByDescription()
    {
        applet->onInit = nullptr;
        auto *a = new QWidget(applet);
        auto *b = new QWidget(applet);
        auto *c = new QWidget(applet);
        a->setAccessibleDescription("TO1:0;TO3:1");
        b->setAccessibleDescription("TO1X:0"); // contains the name, but no piece has it as key
        c->setAccessibleDescription("other:0");
        c->setEnabled(false);
        applet->extraWidgets = {a, b, c};
        applet->enableByDescription("TO1");
        QVERIFY(!a->isEnabled());
        QVERIFY(b->isEnabled());
        QVERIFY(c->isEnabled()); // no piece with the key
        applet->enableByDescription("to1"); // case counts
        QVERIFY(a->isEnabled());
    }

private:
    void bindAll()
    {
        QVERIFY(applet->addRegister(bank.get(), 8));
        QVERIFY(applet->addRegister(status.get(), 4));
        QVERIFY(applet->addVariable(sa.get()));
        QVERIFY(applet->addVariable(lock.get()));
        QVERIFY(applet->addVariable(text.get()));
    }

    void bindForm()
    {
        auto *frame = new QWidget(applet);
        auto *inner = new QWidget(frame);
        cbSw1 = addWidget<CheckBox>(frame, "BANK[SW1]");
        leLevel = addWidget<LineEdit>(inner, "BANK[LEVEL]");
        leBank = addWidget<LineEdit>(inner, "BANK[]");
        cbFlag = addWidget<CheckBox>(frame, "STATUS[FLAG]");
        leSa = addWidget<LineEdit>(inner, "SA");
        leLock = addWidget<LineEdit>(inner, "LOCK");
        leText = addWidget<LineEdit>(inner, "TEXT");
        leText->setText("#abc"); // array mode
        cbOrphan = addWidget<CheckBox>(frame, "NOTHING[X]");
        pbRead = addWidget<PushButton>(frame, "ReadVLED(1)");
        pbWrite = addWidget<PushButton>(inner, "Write_all()");
        QVERIFY(applet->setup());
    }

    std::unique_ptr<Register> bank;
    std::unique_ptr<Register> status;
    std::unique_ptr<Variable> sa;
    std::unique_ptr<Variable> lock;
    std::unique_ptr<Variable> text;
    TestApplet *applet = nullptr;

    CheckBox *cbSw1 = nullptr;
    LineEdit *leLevel = nullptr;
    LineEdit *leBank = nullptr;
    CheckBox *cbFlag = nullptr;
    LineEdit *leSa = nullptr;
    LineEdit *leLock = nullptr;
    LineEdit *leText = nullptr;
    CheckBox *cbOrphan = nullptr;
    PushButton *pbRead = nullptr;
    PushButton *pbWrite = nullptr;
};

QTEST_MAIN(TestAppletBase)
#include "tst_applet.moc"
