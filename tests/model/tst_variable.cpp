#include "variable.h"

#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <limits>

namespace
{

const double NaN = std::numeric_limits<double>::quiet_NaN();

// Receives the two announcement signals through string-based slots, as applets do.
class Receiver : public QObject
{
    Q_OBJECT
public:
    QStringList sets;
    QStringList gets;
public slots:
    void slot_updateSet(QString name) { sets.append(name); }
    void slot_updateGet(QString name) { gets.append(name); }
};

const double Lowest = -std::numeric_limits<double>::max();
const double Highest = std::numeric_limits<double>::max();

// The state of a fresh or reset variable.
void verifyDefaults(const Variable &v)
{
    QVERIFY(v.isUntyped());
    QCOMPARE(v.value(), 0.0);
    QVERIFY(v.name().isEmpty());
    QVERIFY(!v.isReadOnly());
    QVERIFY(!v.hasTranslation());
    QCOMPARE(v.updateMode(), 2);
    QCOMPARE(v.min(), Lowest);
    QCOMPARE(v.max(), Highest);
}

} // namespace

class TestVariable : public QObject
{
    Q_OBJECT
private slots:
    // Every combination of lock, key, value position and update mode against the announcement.
    void guardedWriteCombinations_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<int>("key");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("announcements");

        // Range 0..10, stored value 5.
        struct Position {
            const char *name;
            double value;
            bool inRange;
            bool changes;
        };
        const Position positions[] = {
            {"inside", 7.0, true, true},    {"same", 5.0, true, false},
            {"min", 0.0, true, true},       {"max", 10.0, true, true},
            {"below", -0.001, false, true}, {"above", 10.001, false, true},
            {"nan", NaN, false, true}};
        const struct {
            const char *name;
            int key;
        } keys[] = {
            {"internal", Variable::InternalKey}, {"outside", Variable::OutsideKey}, {"zero", 0}};
        const int modes[] = {0, 1, 2, 3};

        for (bool readOnly : {false, true}) {
            for (const auto &key : keys) {
                for (const Position &pos : positions) {
                    for (int mode : modes) {
                        const bool lockPasses = !readOnly || key.key == Variable::InternalKey;
                        const bool accepted = lockPasses && pos.inRange;
                        int expectedSignals = 0;
                        if (mode == 1)
                            expectedSignals = 1;
                        else if (mode == 2 && accepted && pos.changes)
                            expectedSignals = 1;
                        const QByteArray tag = QByteArray(readOnly ? "ro" : "rw") + "/" + key.name +
                                               "/" + pos.name + "/mode" + QByteArray::number(mode);
                        QTest::newRow(tag.constData()) << readOnly << key.key << pos.value << mode
                                                       << accepted << expectedSignals;
                    }
                }
            }
        }
    }

    void guardedWriteCombinations()
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
        QCOMPARE(v.type(), int(Variable::TypeReal));
    }

    void firstWriteTypesTheVariable()
    {
        Variable v;
        v.setRange(0, 10);
        QVERIFY(!v.setValue(11, Variable::InternalKey));
        QCOMPARE(v.type(), int(Variable::TypeInteger));
        QVERIFY(v.setValue(3, Variable::InternalKey));
        QCOMPARE(v.value(), 3.0);

        // A typed variable keeps its type whatever kind of write follows.
        QVERIFY(v.setValue(2.5, Variable::InternalKey));
        QCOMPARE(v.type(), int(Variable::TypeInteger));
        QCOMPARE(v.value(), 2.5);

        // The first write types the variable even when the lock refuses it.
        Variable w;
        w.setReadOnly(true);
        QVERIFY(w.isUntyped());
        QVERIFY(!w.setValue(1.0, Variable::OutsideKey));
        QCOMPARE(w.type(), int(Variable::TypeReal));
        QCOMPARE(w.value(), 0.0);

        Variable s;
        s.setReadOnly(true);
        QVERIFY(!s.setValue(QByteArray("x"), Variable::OutsideKey));
        QCOMPARE(s.type(), int(Variable::TypeString));
        QVERIFY(s.text().isEmpty());
    }

    void byteWrites_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<int>("key");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("announcements");

        const QByteArray same("abc"), sameLengthOther("abd"), longer("abcd");
        QTest::newRow("same/mode2") << false << 0 << same << 2 << true << 0;
        QTest::newRow("same/mode1") << false << 0 << same << 1 << true << 1;
        QTest::newRow("same/mode0") << false << 0 << same << 0 << true << 0;
        QTest::newRow("content/mode2") << false << 0 << sameLengthOther << 2 << true << 1;
        QTest::newRow("length/mode2") << false << 0 << longer << 2 << true << 1;
        QTest::newRow("length/mode1") << false << 0 << longer << 1 << true << 1;
        QTest::newRow("length/mode7") << false << 0 << longer << 7 << true << 0;
        QTest::newRow("empty/mode2") << false << 0 << QByteArray() << 2 << true << 1;
        QTest::newRow("locked/outside/mode2")
            << true << int(Variable::OutsideKey) << longer << 2 << false << 0;
        QTest::newRow("locked/outside/mode1")
            << true << int(Variable::OutsideKey) << longer << 1 << false << 1;
        QTest::newRow("locked/internal/mode2")
            << true << int(Variable::InternalKey) << longer << 2 << true << 1;
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
        QCOMPARE(v.value(), 0.0);
    }

    void connectTo()
    {
        Variable v(1.0, "Temp", QString(), 0, 10);
        Receiver receiver;
        QVERIFY(
            v.connectTo(&receiver, SLOT(slot_updateSet(QString)), SLOT(slot_updateGet(QString))));
        v.setValue(2.0, Variable::InternalKey);
        QCOMPARE(receiver.sets, QStringList{"Temp"});
        // Reads are silent.
        (void)v.value();
        (void)v.text();
        QVERIFY(receiver.gets.isEmpty());

        // A receiver of the announcement already reads the new value.
        double seen = -1;
        connect(&v, &Variable::signal_updateSet, this, [&] { seen = v.value(); });
        QVERIFY(v.setValue(4.0, Variable::InternalKey));
        QCOMPARE(seen, 4.0);

        Variable w;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("No such slot"));
        QVERIFY(!w.connectTo(&receiver, SLOT(slot_updateSet(QString)), SLOT(noSuchSlot(QString))));
    }

    void constructors()
    {
        verifyDefaults(Variable());

        // Values are stored unchecked by the constructors.
        Variable r(50.0, "R", "real one", 0.0, 10.0);
        QCOMPARE(r.type(), int(Variable::TypeReal));
        QCOMPARE(r.value(), 50.0);
        QCOMPARE(r.description(), QString("real one"));

        Variable i(-3, "I", "int one", -5, 5);
        QCOMPARE(i.type(), int(Variable::TypeInteger));
        QCOMPARE(i.value(), -3.0);
    }

    void resetKeepsDescriptionTextAttributes()
    {
        Variable v("@variable=V@value=3@min=1@max=4@readonly@descr=D@unit=mV@tr=sON::i1");
        v.setValue(QByteArray("bytes"), Variable::InternalKey);
        v.setUpdateMode(1);
        v.reset();
        verifyDefaults(v);
        QCOMPARE(v.description(), QString("D"));
        QCOMPARE(v.text(), QByteArray("bytes"));
        QCOMPARE(v.attribute("unit"), QString("mV"));
    }

    void copyConstructionHasNoName()
    {
        Variable source("@variable=S@value=2@min=1@max=3@readonly@descr=copied@unit=V@tr=sA::i2");
        source.setUpdateMode(1);
        const Variable copy(source);
        QVERIFY(copy.name().isEmpty());
        QCOMPARE(copy.value(), 2.0);
        QCOMPARE(copy.min(), 1.0);
        QCOMPARE(copy.max(), 3.0);
        QVERIFY(copy.isReadOnly());
        QCOMPARE(copy.description(), QString("copied"));
        QCOMPARE(copy.type(), source.type());
        QVERIFY(copy.attribute("unit").isEmpty());
        QVERIFY(!copy.hasTranslation());
        QCOMPARE(copy.updateMode(), 2);
    }

    void assignScalars()
    {
        Variable untypedInt;
        untypedInt = 7;
        QCOMPARE(untypedInt.type(), int(Variable::TypeInteger));
        QCOMPARE(untypedInt.value(), 7.0);

        Variable untypedReal;
        untypedReal = 2.5;
        QCOMPARE(untypedReal.type(), int(Variable::TypeReal));
        QCOMPARE(untypedReal.value(), 2.5);

        // Operators use the internal key: they pass the lock but not the range.
        Variable locked(1.0, "L", QString(), 0, 10);
        locked.setReadOnly(true);
        locked = 3;
        QCOMPARE(locked.value(), 3.0);
        locked = 11.0;
        QCOMPARE(locked.value(), 3.0);

        Variable str;
        str.setValue(QByteArray("t"), Variable::InternalKey);
        QSignalSpy spy(&str, &Variable::signal_updateSet);
        str = 4;
        str = 4.5;
        QCOMPARE(str.value(), 0.0);
        QCOMPARE(str.type(), int(Variable::TypeString));
        QCOMPARE(spy.count(), 0);
        str = QByteArray("new");
        QCOMPARE(str.text(), QByteArray("new"));

        Variable number(1.0, "N", QString(), 0, 10);
        number = QByteArray("ignored");
        QVERIFY(number.text().isEmpty());
        Variable untypedBytes;
        untypedBytes = QByteArray("ignored");
        QVERIFY(untypedBytes.isUntyped());
    }

    void assignVariable()
    {
        Variable source("@variable=Src@value=abc@descr=from source@min=-2@max=2@readonly");
        source.setValue(QByteArray("payload"), Variable::InternalKey);
        Variable dest("@variable=Dst@value=1@unit=A@tr=sON::i1");
        dest.setUpdateMode(0);
        QSignalSpy spy(&dest, &Variable::signal_updateSet);

        dest = source;
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toString(), QString("Dst"));
        QCOMPARE(dest.name(), QString("Dst"));
        QCOMPARE(dest.attribute("unit"), QString("A"));
        QCOMPARE(dest.updateMode(), 0);
        QVERIFY(dest.hasTranslation());
        QCOMPARE(dest.description(), QString("from source"));
        QCOMPARE(dest.min(), -2.0);
        QCOMPARE(dest.max(), 2.0);
        QVERIFY(dest.isReadOnly());
        QCOMPARE(dest.type(), int(Variable::TypeString));
        QCOMPARE(dest.text(), QByteArray("payload"));
        QCOMPARE(dest.value(), source.value());
    }

    void compoundOperators_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<QString>("op");
        QTest::addColumn<double>("operand");
        QTest::addColumn<double>("expected");

        // Range -10..10.
        QTest::newRow("add") << 2.0 << "+" << 3.0 << 5.0;
        QTest::newRow("add to max") << 2.0 << "+" << 8.0 << 10.0;
        QTest::newRow("add out of range") << 2.0 << "+" << 9.0 << 2.0;
        QTest::newRow("sub") << 2.0 << "-" << 3.0 << -1.0;
        QTest::newRow("sub out of range") << -2.0 << "-" << 9.0 << -2.0;
        QTest::newRow("mul") << 2.0 << "*" << -4.0 << -8.0;
        QTest::newRow("mul out of range") << 2.0 << "*" << 6.0 << 2.0;
        QTest::newRow("div") << 3.0 << "/" << 2.0 << 1.5;
        QTest::newRow("div by zero") << 3.0 << "/" << 0.0 << 3.0;
        QTest::newRow("zero by zero") << 0.0 << "/" << 0.0 << 0.0;
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
        const Variable other(operand, "O", QString(), -100, 100);
        apply(byVariable, other);
        QCOMPARE(byVariable.value(), expected);
    }

    void comparisons()
    {
        const Variable a(2.0, "A", QString(), -10, 10);
        const Variable b(2.0, "B", QString(), -10, 10);
        const Variable c(3.0, "C", QString(), -10, 10);
        Variable n;
        n.setValue(0.0, Variable::InternalKey);
        Variable nan("@value=nan"); // parsing stores unchecked, so NaN can be held

        QVERIFY(a == 2.0);
        QVERIFY(a == b);
        QVERIFY(!(a == c));
        QVERIFY(a != c);
        QVERIFY(a != 2.5);
        QVERIFY(!(a != b));
        QVERIFY(a < 2.5);
        QVERIFY(!(a < 2.0));
        QVERIFY(a > 1.5);
        QVERIFY(!(a > 2.0));

        QVERIFY(std::isnan(nan.value()));
        QVERIFY(!(nan == nan));
        QVERIFY(nan != nan);
        QVERIFY(!(a == NaN));
        QVERIFY(a != NaN);
        QVERIFY(!(nan < 1.0));
        QVERIFY(!(nan > 1.0));
        QVERIFY(!(a < NaN));
        QVERIFY(!(a > NaN));
    }

    void toTypedText_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected");

        const QByteArray none;
        QTest::newRow("untyped") << 0 << 5.0 << none << "";
        QTest::newRow("int") << 1 << 12.0 << none << "i12";
        QTest::newRow("int -2.7") << 1 << -2.7 << none << "i-2";
        QTest::newRow("int -3.9") << 1 << -3.9 << none << "i-3";
        QTest::newRow("int 2.9") << 1 << 2.9 << none << "i2";
        QTest::newRow("int max") << 1 << 2147483647.0 << none << "i2147483647";
        QTest::newRow("int min") << 1 << -2147483648.0 << none << "i-2147483648";
        QTest::newRow("int saturates high") << 1 << 1e12 << none << "i2147483647";
        QTest::newRow("int saturates low") << 1 << -1e12 << none << "i-2147483648";
        QTest::newRow("int inf") << 1 << std::numeric_limits<double>::infinity() << none
                                 << "i2147483647";
        QTest::newRow("int nan") << 1 << NaN << none << "i0";
        QTest::newRow("real") << 2 << 1.5 << none << "f1.500000E+00";
        QTest::newRow("real negative") << 2 << -0.00125 << none << "f-1.250000E-03";
        QTest::newRow("real large") << 2 << 6.02e23 << none << "f6.020000E+23";
        QTest::newRow("real zero") << 2 << 0.0 << none << "f0.000000E+00";
        QTest::newRow("string") << 3 << 9.0 << QByteArray("hello") << "shello";
        QTest::newRow("string zero byte") << 3 << 0.0 << QByteArray("ab\0cd", 5) << "sab";
        QTest::newRow("string empty") << 3 << 0.0 << QByteArray() << "s";
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
            // Parsing stores the number unchecked, so NaN and infinities can be held.
            v.parse("@value=" + QString::number(value, 'g', 17));
            v.setType(type);
        }
        QCOMPARE(v.type(), type);
        QCOMPARE(Variable::toTypedText(v), expected);
        QCOMPARE(v.toTypedText(), expected);
    }

    void fromTypedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("bytes");

        const QByteArray none;
        QTest::newRow("empty") << "" << 0 << 0.0 << none;
        QTest::newRow("lone s") << "s" << 0 << 0.0 << none;
        QTest::newRow("lone i") << "i" << 0 << 0.0 << none;
        QTest::newRow("unknown letter") << "x12" << 0 << 0.0 << none;
        QTest::newRow("upper-case letter") << "I12" << 0 << 0.0 << none;
        QTest::newRow("int") << "i12" << 1 << 12.0 << none;
        QTest::newRow("int negative") << "i-40" << 1 << -40.0 << none;
        QTest::newRow("int leading zeros") << "i007" << 1 << 7.0 << none;
        QTest::newRow("int garbage") << "i12abc" << 1 << 0.0 << none;
        QTest::newRow("int real text") << "i1.5" << 1 << 0.0 << none;
        QTest::newRow("real") << "f2.5" << 2 << 2.5 << none;
        QTest::newRow("real exponent") << "f1.500000E+00" << 2 << 1.5 << none;
        QTest::newRow("real nan refused") << "fnan" << 2 << 0.0 << none;
        QTest::newRow("real garbage") << "fx" << 2 << 0.0 << none;
        QTest::newRow("string") << "sissi" << 3 << 0.0 << QByteArray("issi");
        QTest::newRow("string latin1")
            << QString::fromUtf8("s\xc3\xa9t\xc3\xa9") << 3 << 0.0 << QByteArray("\xe9t\xe9");
        QTest::newRow("string blank") << "s " << 3 << 0.0 << QByteArray(" ");
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
        QVERIFY(v.name().isEmpty());
        QCOMPARE(v.min(), Lowest);
    }

    void typedTextRoundTrip()
    {
        const QStringList texts{
            "i0", "i-2147483648", "i2147483647", "f-3.250000E+07", "f1.000000E-300", "sA B;C::D"};
        for (const QString &text : texts)
            QCOMPARE(Variable::fromTypedText(text).toTypedText(), text);
    }

    void parse_data()
    {
        QTest::addColumn<QString>("definition");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<bool>("readOnly");

        const auto row = [](const char *tag, const QString &definition, const QString &name,
                            int type, double value = 0.0, bool readOnly = false,
                            double min = Lowest, double max = Highest, QByteArray text = {}) {
            QTest::newRow(tag) << definition << name << type << value << text << min << max
                               << readOnly;
        };
        row("applet text: type before value is real",
            "@variable=SA@type=integer@value=1@min=-1 @max=31", "SA", 2, 1.0, false, -1, 31);
        row("real", "@variable=BoostVoltage@type=real@value=50.1@min=0@max=75", "BoostVoltage", 2,
            50.1, false, 0, 75);
        row("type after value", "@variable=X@value=5@type=integer", "X", 1, 5.0);
        row("name resets type", "@type=string@name=N", "N", 2);
        row("text value", "@variable=X@value=abc", "X", 3, 0, false, Lowest, Highest, "abc");
        row("array type", "@variable=A@type=array", "A", 3);
        row("bit type", "@variable=B@type=bit", "B", 1);
        row("unknown type word", "@variable=U@type=float", "U", 2);
        row("type is case-sensitive", "@variable=U@type=Integer", "U", 2);
        row("no number bounds", "@variable=M@min=abc@max=", "M", 2, 0, false, 0, 0);
        row("later item wins", "@variable=A@value=1@value=2@variable=B", "B", 2, 2.0);
        row("readonly bare", "@variable=R@readonly", "R", 2, 0, true);
        row("readonly 0", "@variable=R@readonly=0", "R", 2, 0, false);
        row("readonly yes", "@variable=R@readonly=yes", "R", 2, 0, false);
        row("readonly 2", "@variable=R@readonly=2", "R", 2, 0, true);
        row("blanks and empty items", "  @@variable=Z @value= 3 @@", "Z", 2, 3.0);
        row("value outside range stored", "@variable=O@min=0@max=1@value=9@readonly", "O", 2, 9.0,
            true, 0, 1);
        row("empty text", "", "", 0);
    }

    void parse()
    {
        QFETCH(QString, definition);
        QFETCH(QString, name);
        QFETCH(int, type);
        QFETCH(double, value);
        QFETCH(QByteArray, text);
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(bool, readOnly);

        const Variable v(definition);
        QCOMPARE(v.name(), name);
        QCOMPARE(v.type(), type);
        QCOMPARE(v.value(), value);
        QCOMPARE(v.text(), text);
        QCOMPARE(v.min(), min);
        QCOMPARE(v.max(), max);
        QCOMPARE(v.isReadOnly(), readOnly);
    }

    void parseIsSilentAndUnchecked()
    {
        Variable v("@variable=P@value=1@min=0@max=2@descr=Power stage@unit=mV@flag@x y=z w");
        QCOMPARE(v.description(), QString("Power stage"));
        QCOMPARE(v.attribute("unit"), QString("mV"));
        QCOMPARE(v.attribute("flag"), QString(""));
        QCOMPARE(v.attribute("y"), QString("z w")); // the key is the word before "="
        const Variable spaced("@variable=S@unit = V");
        QCOMPARE(spaced.attribute("unit = V"), QString("")); // no word directly before "="
        QVERIFY(spaced.attribute("unit").isEmpty());
        QVERIFY(v.attribute("absent").isEmpty());

        v.setUpdateMode(1);
        QSignalSpy spy(&v, &Variable::signal_updateSet);
        v.parse("@value=5@readonly@unit=V");
        QCOMPARE(spy.count(), 0);
        QCOMPARE(v.value(), 5.0);
        QVERIFY(v.isReadOnly());
        QCOMPARE(v.attribute("unit"), QString("V"));
        QCOMPARE(v.name(), QString("P"));
    }

    void parseKeepsFirstTranslation()
    {
        Variable v("@variable=T@type=integer@tr=sON::i1;sOFF::i0@tr=sAN::i1");
        QVERIFY(v.hasTranslation());
        QVERIFY(v.setValue(1, Variable::InternalKey));
        QCOMPARE(v.translatedText(), QString("ON"));
        QVERIFY(v.attribute("tr").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestVariable)
#include "tst_variable.moc"
