#include "variable.h"
#include "../support/tablerows.h"

#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <limits>

namespace
{

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Lowest = -std::numeric_limits<double>::max();
const double Highest = std::numeric_limits<double>::max();

// Receives the two announcement signals through string-based slots, as applets do.
class Receiver : public QObject
{
    Q_OBJECT
public:
    QStringList sets;
public slots:
    void slot_updateSet(QString name) { sets.append(name); }
    void slot_updateGet(QString) {}
};

} // namespace

class TestVariable : public QObject
{
    Q_OBJECT
private slots:
    // Every combination of lock, key, value position and update mode against the announcement.
    void guardedWrites_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<int>("key");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("announcements");
        // Range 0..10, stored value 5: {value, in range, changes}.
        const struct {
            double value;
            bool inRange;
            bool changes;
        } positions[] = {{7.0, true, true},     {5.0, true, false},     {0.0, true, true},
                         {10.0, true, true},    {-0.001, false, true},  {10.001, false, true},
                         {NaN, false, true}};
        for (bool readOnly : {false, true}) {
            for (int key : {int(Variable::InternalKey), int(Variable::OutsideKey), 0}) {
                for (const auto &pos : positions) {
                    for (int mode : {0, 1, 2, 3}) {
                        const bool lockPasses = !readOnly || key == Variable::InternalKey;
                        const bool accepted = lockPasses && pos.inRange;
                        const int emits =
                            mode == 1 || (mode == 2 && accepted && pos.changes) ? 1 : 0;
                        QTest::addRow("ro%d key%d %g mode%d", readOnly, key, pos.value, mode)
                            << readOnly << key << pos.value << mode << accepted << emits;
                    }
                }
            }
        }
    }

    void guardedWrites()
    {
        QFETCH(bool, readOnly);
        QFETCH(int, key);
        QFETCH(double, value);
        QFETCH(int, mode);
        QFETCH(bool, accepted);
        QFETCH(int, announcements);
        Variable v(5.0, "V1", "test", 0.0, 10.0);
        v.setReadOnly(readOnly);
        v.setUpdateMode(mode);
        QSignalSpy spy(&v, &Variable::signal_updateSet);
        QCOMPARE(v.setValue(value, key), accepted);
        QCOMPARE(v.value(), accepted ? value : 5.0);
        QCOMPARE(spy.count(), announcements);
        if (announcements)
            QCOMPARE(spy.first().first().toString(), QString("V1"));
        QCOMPARE(v.isReadOnly(), readOnly); // a write never clears the lock
    }

    void firstWriteTypesTheVariable()
    {
        Variable v;
        v.setRange(0, 10);
        QVERIFY(!v.setValue(11, Variable::InternalKey));
        QCOMPARE(v.type(), int(Variable::TypeInteger));
        QVERIFY(v.setValue(2.5, Variable::InternalKey)); // keeps its type
        QCOMPARE(v.type(), int(Variable::TypeInteger));
        QCOMPARE(v.value(), 2.5);
        // Even a refused first write types the variable.
        Variable s;
        s.setReadOnly(true);
        QVERIFY(!s.setValue(QByteArray("x"), Variable::OutsideKey));
        QCOMPARE(s.type(), int(Variable::TypeString));
        QVERIFY(s.text().isEmpty());
    }

    void byteWrites_data()
    {
        const int outside = Variable::OutsideKey;
        const int internal = Variable::InternalKey;
        addRows<bool, int, QByteArray, int, bool, int>(
            {"readOnly", "key", "bytes", "mode", "accepted", "announcements"},
            {{false, 0, "abc", 2, true, 0},
             {false, 0, "abc", 1, true, 1},
             {false, 0, "abd", 2, true, 1},
             {false, 0, "abcd", 2, true, 1},
             {false, 0, "abcd", 7, true, 0},
             {false, 0, QByteArray(), 2, true, 1},
             {true, outside, "abcd", 2, false, 0},
             {true, outside, "abcd", 1, false, 1},
             {true, internal, "abcd", 2, true, 1}});
    }

    void byteWrites()
    {
        QFETCH(bool, readOnly);
        QFETCH(int, key);
        QFETCH(QByteArray, bytes);
        QFETCH(int, mode);
        QFETCH(bool, accepted);
        QFETCH(int, announcements);
        Variable v;
        QVERIFY(v.setValue(QByteArray("abc"), Variable::InternalKey));
        v.setRange(100, 200); // bytes are not range-checked
        v.setReadOnly(readOnly);
        v.setUpdateMode(mode);
        QSignalSpy spy(&v, &Variable::signal_updateSet);
        QCOMPARE(v.setValue(bytes, key), accepted);
        QCOMPARE(v.text(), accepted ? bytes : QByteArray("abc"));
        QCOMPARE(spy.count(), announcements);
    }

    void connectTo()
    {
        Variable v(1.0, "Temp", QString(), 0, 10);
        Receiver receiver;
        QVERIFY(
            v.connectTo(&receiver, SLOT(slot_updateSet(QString)), SLOT(slot_updateGet(QString))));
        double seen = -1; // a receiver already reads the new value
        connect(&v, &Variable::signal_updateSet, this, [&] { seen = v.value(); });
        v.setValue(2.0, Variable::InternalKey);
        QCOMPARE(receiver.sets, QStringList{"Temp"});
        QCOMPARE(seen, 2.0);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("No such slot"));
        QVERIFY(!v.connectTo(&receiver, SLOT(slot_updateSet(QString)), SLOT(noSuchSlot(QString))));
    }

    void resetCopyAndAssign()
    {
        Variable v("@variable=V@value=3@min=1@max=4@readonly@descr=D@unit=mV@tr=sON::i1");
        v.setValue(QByteArray("bytes"), Variable::InternalKey);
        v.setUpdateMode(1);
        const Variable copy(v); // no name, no attributes, no table, default mode
        QVERIFY(copy.name().isEmpty());
        QCOMPARE(copy.value(), 3.0);
        QCOMPARE(copy.max(), 4.0);
        QVERIFY(copy.isReadOnly());
        QVERIFY(copy.attribute("unit").isEmpty());
        QVERIFY(!copy.hasTranslation());
        QCOMPARE(copy.updateMode(), 2);

        // Assignment takes value, type, bounds, lock and description; keeps name, attributes,
        // mode and table; announces once.
        Variable dest("@variable=Dst@value=1@unit=A@tr=sON::i1");
        dest.setUpdateMode(0);
        QSignalSpy spy(&dest, &Variable::signal_updateSet);
        dest = v;
        QCOMPARE(spy.count(), 1);
        QCOMPARE(dest.name(), QString("Dst"));
        QCOMPARE(dest.attribute("unit"), QString("A"));
        QCOMPARE(dest.description(), QString("D"));
        QCOMPARE(dest.min(), 1.0);
        QVERIFY(dest.isReadOnly());
        QCOMPARE(dest.text(), QByteArray("bytes"));

        v.reset(); // keeps description, text and attributes
        QVERIFY(v.isUntyped());
        QVERIFY(v.name().isEmpty());
        QVERIFY(!v.isReadOnly());
        QCOMPARE(v.min(), Lowest);
        QCOMPARE(v.max(), Highest);
        QCOMPARE(v.updateMode(), 2);
        QCOMPARE(v.description(), QString("D"));
        QCOMPARE(v.text(), QByteArray("bytes"));
        QCOMPARE(v.attribute("unit"), QString("mV"));
    }

    void assignScalars()
    {
        Variable untyped;
        untyped = 2.5;
        QCOMPARE(untyped.type(), int(Variable::TypeReal));
        // Operators use the internal key: they pass the lock but not the range.
        Variable locked(1.0, "L", QString(), 0, 10);
        locked.setReadOnly(true);
        locked = 3;
        QCOMPARE(locked.value(), 3.0);
        locked = 11.0;
        QCOMPARE(locked.value(), 3.0);
        locked = QByteArray("ignored");
        QVERIFY(locked.text().isEmpty());

        Variable str;
        str.setValue(QByteArray("t"), Variable::InternalKey);
        str = 4;
        QCOMPARE(str.value(), 0.0);
        QCOMPARE(str.type(), int(Variable::TypeString));
        str = QByteArray("new");
        QCOMPARE(str.text(), QByteArray("new"));
    }

    void compoundOperators_data()
    {
        // Range -10..10.
        addRows<double, QString, double, double>({"start", "op", "operand", "expected"},
                                                 {{2.0, "+", 8.0, 10.0},
                                                  {2.0, "+", 9.0, 2.0},
                                                  {2.0, "-", 3.0, -1.0},
                                                  {-2.0, "-", 9.0, -2.0},
                                                  {2.0, "*", -4.0, -8.0},
                                                  {2.0, "*", 6.0, 2.0},
                                                  {3.0, "/", 2.0, 1.5},
                                                  {3.0, "/", 0.0, 3.0}});
    }

    void compoundOperators()
    {
        QFETCH(double, start);
        QFETCH(QString, op);
        QFETCH(double, operand);
        QFETCH(double, expected);
        auto apply = [&](Variable &v, auto rhs) {
            if (op == "+")
                v += rhs;
            else if (op == "-")
                v -= rhs;
            else if (op == "*")
                v *= rhs;
            else
                v /= rhs;
        };
        Variable byNumber(start, "A", QString(), -10, 10);
        byNumber.setReadOnly(true); // internal key passes the lock
        apply(byNumber, operand);
        QCOMPARE(byNumber.value(), expected);
        Variable byVariable(start, "B", QString(), -10, 10);
        apply(byVariable, Variable(operand, "O", QString(), -100, 100));
        QCOMPARE(byVariable.value(), expected);
    }

    void comparisons()
    {
        const Variable a(2.0, "A", QString(), -10, 10);
        const Variable b(2.0, "B", QString(), -10, 10);
        const Variable c(3.0, "C", QString(), -10, 10);
        const Variable nan("@value=nan"); // parsing stores unchecked, so NaN can be held
        QVERIFY(a == b && !(a == c) && a != c && !(a != b));
        QVERIFY(a == 2.0 && a != 2.5);
        QVERIFY(a < 2.5 && !(a < 2.0) && a > 1.5 && !(a > 2.0));
        QVERIFY(!(nan == nan) && nan != nan && !(nan < 1.0) && !(nan > 1.0));
        QVERIFY(!(a == NaN) && a != NaN && !(a < NaN) && !(a > NaN));
    }

    void toTypedText_data()
    {
        const QByteArray none;
        addRows<int, double, QByteArray, QString>(
            {"type", "value", "text", "expected"},
            {{0, 5.0, none, ""},
             {1, -3.9, none, "i-3"},
             {1, 2.9, none, "i2"},
             {1, -2147483648.0, none, "i-2147483648"},
             {1, 1e12, none, "i2147483647"},
             {1, -1e12, none, "i-2147483648"},
             {1, NaN, none, "i0"},
             {2, -0.00125, none, "f-1.250000E-03"},
             {2, 6.02e23, none, "f6.020000E+23"},
             {3, 9.0, "hello", "shello"},
             {3, 0.0, QByteArray("ab\0cd", 5), "sab"},
             {3, 0.0, none, "s"}});
    }

    void toTypedText()
    {
        QFETCH(int, type);
        QFETCH(double, value);
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        Variable v;
        v.setType(type);
        if (type == Variable::TypeString)
            QVERIFY(v.setValue(text, Variable::InternalKey));
        if (type != Variable::TypeNone) {
            v.parse("@value=" + QString::number(value, 'g', 17)); // stored unchecked
            v.setType(type);
        }
        QCOMPARE(v.toTypedText(), expected);
    }

    void fromTypedText_data()
    {
        const QByteArray none;
        addRows<QString, int, double, QByteArray>(
            {"text", "type", "value", "bytes"},
            {{"", 0, 0.0, none},
             {"s", 0, 0.0, none},
             {"x12", 0, 0.0, none},
             {"I12", 0, 0.0, none},
             {"i-40", 1, -40.0, none},
             {"i007", 1, 7.0, none},
             {"i12abc", 1, 0.0, none},
             {"i1.5", 1, 0.0, none},
             {"f1.500000E+00", 2, 1.5, none},
             {"fnan", 2, 0.0, none},
             {"sissi", 3, 0.0, "issi"},
             {QString::fromUtf8("s\xc3\xa9t\xc3\xa9"), 3, 0.0, "\xe9t\xe9"}});
    }

    void fromTypedText()
    {
        QFETCH(QString, text);
        QFETCH(int, type);
        QFETCH(double, value);
        QFETCH(QByteArray, bytes);
        const Variable v = Variable::fromTypedText(text);
        QCOMPARE(v.type(), type);
        QCOMPARE(v.value(), value);
        QCOMPARE(v.text(), bytes);
        QCOMPARE(v.min(), Lowest);
    }

    void parse_data()
    {
        addRows<QString, QString, int, double, double, double, bool>(
            {"definition", "name", "type", "value", "min", "max", "readOnly"},
            {{"@variable=SA@type=integer@value=1@min=-1 @max=31", "SA", 2, 1.0, -1, 31, false},
             {"@variable=X@value=5@type=integer", "X", 1, 5.0, Lowest, Highest, false},
             {"@type=string@name=N", "N", 2, 0, Lowest, Highest, false},
             {"@variable=X@value=abc", "X", 3, 0, Lowest, Highest, false},
             {"@variable=A@type=array", "A", 3, 0, Lowest, Highest, false},
             {"@variable=B@type=bit", "B", 1, 0, Lowest, Highest, false},
             {"@variable=U@type=Integer", "U", 2, 0, Lowest, Highest, false},
             {"@variable=M@min=abc@max=", "M", 2, 0, 0, 0, false},
             {"@variable=A@value=1@value=2@variable=B", "B", 2, 2.0, Lowest, Highest, false},
             {"@variable=R@readonly", "R", 2, 0, Lowest, Highest, true},
             {"@variable=R@readonly=0", "R", 2, 0, Lowest, Highest, false},
             {"@variable=R@readonly=yes", "R", 2, 0, Lowest, Highest, false},
             {"@variable=R@readonly=2", "R", 2, 0, Lowest, Highest, true},
             {"  @@variable=Z @value= 3 @@", "Z", 2, 3.0, Lowest, Highest, false},
             {"@variable=O@min=0@max=1@value=9", "O", 2, 9.0, 0, 1, false},
             {"", "", 0, 0, Lowest, Highest, false}});
    }

    void parse()
    {
        QFETCH(QString, definition);
        QFETCH(QString, name);
        QFETCH(int, type);
        QFETCH(double, value);
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(bool, readOnly);
        const Variable v(definition);
        QCOMPARE(v.name(), name);
        QCOMPARE(v.type(), type);
        QCOMPARE(v.value(), value);
        QCOMPARE(v.min(), min);
        QCOMPARE(v.max(), max);
        QCOMPARE(v.isReadOnly(), readOnly);
    }

    void parseIsSilentAndKeepsAttributes()
    {
        Variable v("@variable=P@value=1@descr=Power stage@unit=mV@flag@x y=z w@unit = V");
        QCOMPARE(v.description(), QString("Power stage"));
        QCOMPARE(v.attribute("unit"), QString("mV"));
        QCOMPARE(v.attribute("flag"), QString(""));
        QCOMPARE(v.attribute("y"), QString("z w")); // the key is the word before "="
        v.setUpdateMode(1);
        QSignalSpy spy(&v, &Variable::signal_updateSet);
        v.parse("@value=5@readonly@unit=V");
        QCOMPARE(spy.count(), 0);
        QCOMPARE(v.value(), 5.0);
        QCOMPARE(v.attribute("unit"), QString("V"));
        QCOMPARE(v.name(), QString("P"));
    }
};

QTEST_GUILESS_MAIN(TestVariable)
#include "tst_variable.moc"
