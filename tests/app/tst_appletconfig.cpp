#include "tst_appletfixture.h"
#include "tablerows.h"

#include "lineedit.h"
#include "register.h"
#include "variable.h"

#include <QtTest>

#include <memory>

// The configuration text with which workspaces save and restore an applet's bound items.
class TestAppletConfig : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        v1 = std::make_unique<Variable>("@variable=V1@value=1.5@min=-10@max=10");
        v2 = std::make_unique<Variable>("@variable=V2@type=integer@value=-3");
        lock = std::make_unique<Variable>("@variable=LOCK@value=2@readonly");
        text = std::make_unique<Variable>("@variable=TEXT@value=abc");
        r4 = std::make_unique<Register>("A;B;C[2]", "R4");
        ro = std::make_unique<Register>("X[3]", "RO");
        ro->setReadOnly(true);
        ro->setValue(5u, true);
        applet = new TestApplet;
        applet->onInit = [this](TestApplet *a) { bindAll(a); };
    }

    void cleanup()
    {
        delete applet;
        applet = nullptr;
    }

    void saveWritesOneLinePerItemInBindingOrder()
    {
        applet->setup();
        r4->setValue(0xDu, true); // bits 0, 2 and 3
        const QByteArray expected = "V2:-3.000000\n"
                                    "R4:0b1011\n"
                                    "V1:1.500000\n"
                                    "RO:\n"
                                    "LOCK:2.000000\n"
                                    "TEXT:0.000000\n";
        QCOMPARE(applet->saveConfig(), expected);
        QCOMPARE(applet->saveConfig(), expected);
    }

    void variablePrecision_data()
    {
        // fixedText empty: not the six-decimal form
        addRows<double, QByteArray>({"value", "fixedText"},
                                    {{-0.25, "-0.250000"},
                                     {1e20, "100000000000000000000.000000"},
                                     {4.7e-9, ""},
                                     {1.0 / 3, ""}});
    }

    void variablePrecision()
    {
        QFETCH(double, value);
        QFETCH(QByteArray, fixedText);
        Variable var(value, "V", QString(), -1e300, 1e300);
        applet->onInit = [&var](TestApplet *a) { a->addVariable(&var); };
        applet->setup();

        const QByteArray saved = applet->saveConfig();
        if (!fixedText.isEmpty())
            QCOMPARE(saved, "V:" + fixedText + "\n");
        else
            QVERIFY(saved != "V:" + QByteArray::number(value, 'f', 6) + "\n");

        QVERIFY(var.setValue(7.0, Variable::InternalKey));
        QVERIFY(applet->loadConfig(saved));
        QCOMPARE(var.value(), value); // exactly the same number
    }

    void savedTextLoadsBackTheSameModel()
    {
        applet->setup();
        r4->setValue(0x6u, true);
        QVERIFY(v1->setValue(-2.125, Variable::InternalKey));
        QVERIFY(v2->setValue(7, Variable::InternalKey));
        const QByteArray saved = applet->saveConfig();

        r4->setValue(0x9u, true);
        QVERIFY(v1->setValue(3.0, Variable::InternalKey));
        QVERIFY(v2->setValue(0, Variable::InternalKey));
        QVERIFY(lock->setValue(9.0, Variable::InternalKey));
        QVERIFY(applet->loadConfig(saved));
        QCOMPARE(lock->value(), 2.0); // a read-only variable is written back too
        QCOMPARE(r4->value(true), 0x6u);
        QCOMPARE(v1->value(), -2.125);
        QCOMPARE(v2->value(), 7.0);
        QCOMPARE(ro->value(true), 5u); // read-only register untouched
        QCOMPARE(applet->saveConfig(), saved);
        // A value outside the range is refused; the other lines still load.
        QVERIFY(applet->loadConfig("V1:20.000000\nV2:4.000000\n"));
        QCOMPARE(v1->value(), -2.125);
        QCOMPARE(v2->value(), 4.0);
    }

    // One line loaded into a register: every value form, read-only registers included (they
    // take no access key; only the empty value that saving writes for them is skipped).
    void registerValueForms_data()
    {
        addRows<QByteArray, quint32, quint32>({"line", "before", "after"},
                                              {{"R4:0b1011", 0x2u, 0xDu},
                                               {"R4:0xd", 0x2u, 0xDu},
                                               {"R4:13", 0x2u, 0xDu},
                                               {"R4:0b01", 0xFu, 0xEu},
                                               {"R4:0b000011", 0xFu, 0x0u},
                                               {"R4:0b2x00", 0xCu, 0x3u},
                                               {"R4:0x3\r", 0x0u, 0x3u},
                                               {"R4:0xF2", 0x0u, 0x2u},
                                               {"RO:", 5u, 5u},
                                               {"RO:0b011", 5u, 6u},
                                               {"RO:3", 5u, 3u}});
    }

    void registerValueForms()
    {
        QFETCH(QByteArray, line);
        QFETCH(quint32, before);
        QFETCH(quint32, after);
        applet->setup();
        Register *reg = line.startsWith("RO") ? ro.get() : r4.get();
        reg->setValue(before, true);
        QVERIFY(applet->loadConfig(line + "\n"));
        QCOMPARE(reg->value(true), after);
    }

    void malformedLinesAreSkipped_data()
    {
        addRows<QByteArray>({"text"}, {{"R4:0x1:2\nV1:1:2"},
                                       {"R4 0x0F\nV1=4"},
                                       {"NOPE:5\nr4:3"},
                                       {"R4:\nV1:\nV2:  \nRO:"},
                                       {"R4:zz\nR4:0xZZ\nV1:abc\nV2:1.5.5"},
                                       {"R4:0x100000000\nR4:99999999999"},
                                       {"\n\n:\n:5\n"},
                                       {QByteArray("\xff\xfe:1\nV1:\0\xff\n\0R4:1", 16)}});
    }

    void malformedLinesAreSkipped()
    {
        QFETCH(QByteArray, text);
        applet->setup();
        r4->setValue(0x9u, true);
        const QByteArray before = applet->saveConfig();
        QVERIFY(applet->loadConfig(text));
        QCOMPARE(applet->saveConfig(), before);
        QCOMPARE(ro->value(true), 5u);
        QCOMPARE(v1->value(), 1.5);
    }

    void hexValuesReachTheBoardBitStringsDoNot()
    {
        applet->setup();
        applet->activate();
        applet->hookCalls.clear();
        QVERIFY(applet->loadConfig("R4:0b1111\n"));
        QVERIFY(applet->hookCalls.isEmpty());
        QVERIFY(applet->loadConfig("R4:0x3\nV1:2.5\n"));
        const QList<QPair<int, QString>> expected = {{0, "R4"}, {0, "V1"}};
        QCOMPARE(applet->hookCalls, expected);
    }

    void loadRefreshesTheWidgets()
    {
        auto *le = new CustomControls::LineEdit(applet);
        le->setAccessibleName("R4[]");
        applet->setup();
        QCOMPARE(le->value(), 0.0);
        QVERIFY(applet->loadConfig("R4:0b1011\n"));
        QCOMPARE(le->value(), 13.0);
    }

private:
    void bindAll(Applet *a)
    {
        // Names bound out of alphabetical order on purpose.
        QVERIFY(a->addVariable(v2.get()));
        QVERIFY(a->addRegister(r4.get(), 4));
        QVERIFY(a->addVariable(v1.get()));
        QVERIFY(a->addRegister(ro.get(), 3));
        QVERIFY(a->addVariable(lock.get()));
        QVERIFY(a->addVariable(text.get()));
    }

    std::unique_ptr<Variable> v1;
    std::unique_ptr<Variable> v2;
    std::unique_ptr<Variable> lock;
    std::unique_ptr<Variable> text;
    std::unique_ptr<Register> r4;
    std::unique_ptr<Register> ro;
    TestApplet *applet = nullptr;
};

QTEST_MAIN(TestAppletConfig)
#include "tst_appletconfig.moc"
