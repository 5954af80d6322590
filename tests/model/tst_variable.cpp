#include "bytetext.h"
#include "optionstring.h"
#include "translationtable.h"
#include "variable.h"
#include "variantutil.h"

#include <QSignalSpy>
#include <QtTest>

#include <limits>
#include <tuple>

namespace
{

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Lowest = -std::numeric_limits<double>::max();
const double Highest = std::numeric_limits<double>::max();
constexpr int Internal = Variable::InternalKey;
constexpr int Outside = Variable::OutsideKey;

} // namespace

class TestVariable : public QObject
{
    Q_OBJECT
public slots: // connected by slot names, as applets do
    void slot_updateSet(QString name) { m_sets << name; }
    void slot_updateGet(QString name) { m_gets << name; }

private slots:
    // Every combination of lock, key, value position and update mode against the announcement.
    void guardedWrites()
    {
        // Range 0..10, stored value 5: {value, in range, changes}.
        const std::tuple<double, bool, bool> positions[] = {
            {7.0, true, true},      {5.0, true, false},    {0.0, true, true}, {10.0, true, true},
            {-0.001, false, true},  {10.001, false, true}, {NaN, false, true}};
        for (bool readOnly : {false, true}) {
            for (int key : {Internal, Outside, 0}) {
                for (auto [value, inRange, changes] : positions) {
                    for (int mode : {0, 1, 2, 3}) {
                        const QByteArray row = QString("ro%1 key%2 %3 mode%4")
                                                   .arg(int(readOnly)).arg(key).arg(value).arg(mode)
                                                   .toLatin1();
                        const bool accepted = (!readOnly || key == Internal) && inRange;
                        Variable v(5.0, "V1", "test", 0.0, 10.0);
                        v.setReadOnly(readOnly);
                        v.setUpdateMode(mode);
                        QSignalSpy spy(&v, &Variable::signal_updateSet);
                        QVERIFY2(v.setValue(value, key) == accepted, row);
                        QVERIFY2(v.value() == (accepted ? value : 5.0), row);
                        const bool emits = mode == 1 || (mode == 2 && accepted && changes);
                        QVERIFY2(spy.count() == (emits ? 1 : 0), row);
                        if (emits)
                            QCOMPARE(spy.first().first().toString(), QString("V1"));
                        QVERIFY2(v.isReadOnly() == readOnly, row);
                    }
                }
            }
        }
    }

    // Bytes are not range-checked; the variable holds "abc" in range 100..200.
    void byteWrites()
    {
        for (auto [readOnly, key, bytes, mode, accepted, emits] :
             {std::tuple{false, 0, QByteArray("abc"), 2, true, 0}, {false, 0, "abc", 1, true, 1},
              {false, 0, "abcd", 2, true, 1}, {false, 0, "abcd", 7, true, 0},
              {false, 0, QByteArray(), 2, true, 1}, {true, Outside, "abcd", 2, false, 0},
              {true, Outside, "abcd", 1, false, 1}, {true, Internal, "abd", 2, true, 1}}) {
            Variable v;
            QVERIFY(v.setValue(QByteArray("abc"), Internal));
            v.setRange(100, 200);
            v.setReadOnly(readOnly);
            v.setUpdateMode(mode);
            QSignalSpy spy(&v, &Variable::signal_updateSet);
            QCOMPARE(v.setValue(bytes, key), accepted);
            QCOMPARE(v.text(), accepted ? bytes : QByteArray("abc"));
            QCOMPARE(spy.count(), emits);
        }
        Variable s; // even a refused first write types the variable
        s.setReadOnly(true);
        QVERIFY(!s.setValue(QByteArray("x"), Outside));
        QCOMPARE(s.type(), int(Variable::TypeString));
        // As text, bytes end at their first zero.
        QCOMPARE(bytesUpToZero(QByteArray("\0ab", 3)), QByteArray());
        QCOMPARE(bytesUpToZero(QByteArray("ab\0c", 4)), QByteArray("ab"));
        // A name is found in a line in either case, wherever it stands, and only whole.
        for (const char *line : {"set SPILEDCS0DATA=04", "get spiledcs0data", "x sPiLeDcS0DaTa"})
            QVERIFY2(containsIgnoringCase(line, "SPILEDCS0DATA"), line);
        for (const char *line : {"set SPILEDCS0DAT", "set SPILEDCS1DATA=04", "SPILEDCS", ""})
            QVERIFY2(!containsIgnoringCase(line, "SPILEDCS0DATA"), line);
        QVERIFY(containsIgnoringCase("SSPILEDCS0DATA", "SPILEDCS0DATA")); // after a false start
        // Bytes appended in short pieces: to a reserved buffer, an empty one, a shared one (its
        // copy keeps its bytes) and from the buffer itself.
        QByteArray replies;
        replies.reserve(8);
        for (const char *piece : {"ok\n", "i42", "", "err\n"})
            appendBytes(&replies, piece);
        QCOMPARE(replies, QByteArray("ok\ni42err\n"));
        const QByteArray copy = replies;
        appendBytes(&replies, QByteArrayView(replies).first(2));
        QCOMPARE(replies, QByteArray("ok\ni42err\nok"));
        QCOMPARE(copy, QByteArray("ok\ni42err\n"));
        QByteArray empty;
        appendBytes(&empty, "x0a");
        QCOMPARE(empty, QByteArray("x0a"));
    }

    void connectTo()
    {
        Variable v(1.0, "Temp", QString(), 0, 10);
        QVERIFY(
            v.connectTo(this, SLOT(slot_updateSet(QString)), SLOT(slot_updateGet(QString))));
        double seen = -1; // a receiver already reads the new value
        connect(&v, &Variable::signal_updateSet, this, [&] { seen = v.value(); });
        v.setValue(2.0, Internal);
        QCOMPARE(m_sets, QStringList{"Temp"});
        QCOMPARE(seen, 2.0);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("No such slot"));
        QVERIFY(!v.connectTo(this, SLOT(slot_updateSet(QString)), SLOT(noSuchSlot(QString))));
    }

    // Assignment takes value, type, bounds, lock and description; keeps name, attributes, mode
    // and table; announces once. Reset keeps description, text and attributes.
    void assignAndReset()
    {
        Variable v("@variable=V@value=3@min=1@max=4@readonly@descr=D@unit=mV@tr=sON::i1");
        v.setValue(QByteArray("bytes"), Internal);
        v.setUpdateMode(1);
        Variable dest("@variable=Dst@value=1@unit=A@tr=sON::i1");
        dest.setUpdateMode(0);
        QSignalSpy spy(&dest, &Variable::signal_updateSet);
        dest = v;
        QCOMPARE(spy.count(), 1);
        QCOMPARE(dest.name() + dest.attribute("unit") + dest.description(), QString("DstAD"));
        QCOMPARE(dest.min() + dest.max() + dest.value(), 8.0);
        QVERIFY(dest.isReadOnly());
        QCOMPARE(dest.text(), QByteArray("bytes"));
        v.reset();
        QVERIFY(v.isUntyped() && v.name().isEmpty() && !v.isReadOnly());
        QVERIFY(v.min() == Lowest && v.max() == Highest && v.updateMode() == 2);
        QCOMPARE(v.attribute("unit"), QString("mV"));
    }

    void operators()
    {
        Variable untyped; // the first write types the variable, for good
        untyped.setRange(0, 10);
        untyped = 11;
        untyped = 2.5;
        QCOMPARE(untyped.type(), int(Variable::TypeInteger));
        QCOMPARE(untyped.value(), 2.5);
        Variable real;
        real = 2.5;
        QCOMPARE(real.type(), int(Variable::TypeReal));
        // Operators use the internal key: they pass the lock but not the range.
        Variable locked(1.0, "L", QString(), 0, 10);
        locked.setReadOnly(true);
        locked = 3;
        locked = 11.0;
        QCOMPARE(locked.value(), 3.0);
        locked = QByteArray("ignored");
        QVERIFY(locked.text().isEmpty());
        Variable str;
        str.setValue(QByteArray("t"), Internal);
        str = 4;
        QCOMPARE(str.value(), 0.0);
        QCOMPARE(str.type(), int(Variable::TypeString));
        // Compound operators on range -10..10, by number and by variable: out of range or a
        // division by zero leaves the value.
        for (auto [start, op, operand, expected] :
             {std::tuple{2.0, '+', 8.0, 10.0}, {2.0, '+', 9.0, 2.0}, {2.0, '-', 3.0, -1.0},
              {-2.0, '-', 9.0, -2.0}, {2.0, '*', -4.0, -8.0}, {2.0, '*', 6.0, 2.0},
              {3.0, '/', 2.0, 1.5}, {3.0, '/', 0.0, 3.0}}) {
            Variable byNumber(start, "A", QString(), -10, 10);
            Variable byVariable(start, "B", QString(), -10, 10);
            byNumber.setReadOnly(true); // internal key passes the lock
            const Variable rhs(operand, "O", QString(), -100, 100);
            switch (op) {
            case '+': byNumber += operand, byVariable += rhs; break;
            case '-': byNumber -= operand, byVariable -= rhs; break;
            case '*': byNumber *= operand, byVariable *= rhs; break;
            default: byNumber /= operand, byVariable /= rhs;
            }
            QCOMPARE(byNumber.value(), expected);
            QCOMPARE(byVariable.value(), expected);
        }
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

    // Typed texts: "i" and a truncated, clamped integer, "f" and an exponent form, "s" and
    // the bytes up to a NUL; reading back refuses anything else.
    void typedTexts()
    {
        const QByteArray none;
        for (auto [type, value, text, expected] :
             {std::tuple{0, 5.0, none, QString()}, {1, -3.9, none, "i-3"}, {1, 2.9, none, "i2"},
              {1, -2147483648.0, none, "i-2147483648"}, {1, 1e12, none, "i2147483647"},
              {1, -1e12, none, "i-2147483648"}, {1, NaN, none, "i0"},
              {2, -0.00125, none, "f-1.250000E-03"}, {2, 6.02e23, none, "f6.020000E+23"},
              {3, 9.0, "hello", "shello"}, {3, 0.0, QByteArray("ab\0cd", 5), "sab"},
              {3, 0.0, none, "s"}}) {
            Variable v;
            v.setValue(text, Internal);
            v.parse("@value=" + QString::number(value, 'g', 17)); // stored unchecked
            v.setType(type);
            QCOMPARE(v.toTypedText(), expected);
        }
        for (auto [text, type, value, bytes] :
             {std::tuple{QString(), 0, 0.0, none}, {"s", 0, 0.0, none}, {"x12", 0, 0.0, none},
              {"I12", 0, 0.0, none}, {"i-40", 1, -40.0, none}, {"i007", 1, 7.0, none},
              {"i12abc", 1, 0.0, none}, {"i1.5", 1, 0.0, none}, {"f1.500000E+00", 2, 1.5, none},
              {"fnan", 2, 0.0, none}, {"sissi", 3, 0.0, "issi"},
              {QString::fromUtf8("s\xc3\xa9t\xc3\xa9"), 3, 0.0, "\xe9t\xe9"}}) {
            const Variable v = Variable::fromTypedText(text);
            QCOMPARE(v.type(), type);
            QCOMPARE(v.value(), value);
            QCOMPARE(v.text(), bytes);
            QCOMPARE(v.min(), Lowest);
        }
    }

    // The type a text ends with, and whether a number variable holds whole numbers: its last
    // known type word was "integer" or "bit", even where a later value made it real.
    void parse()
    {
        for (auto [definition, expected] :
             {std::pair{QString("@variable=SA@type=integer@value=1@min=-1 @max=31"),
                        QString("SA:2=1 -1..31 whole")},
              {"@variable=X@value=5@type=integer", "X:1=5 whole"}, {"@type=string@name=N", "N:2=0"},
              {"@variable=X@value=abc", "X:3=0"}, {"@variable=A@type=array", "A:3=0"},
              {"@variable=B@type=bit", "B:1=0 whole"}, {"@variable=U@type=Integer", "U:2=0"},
              {"@variable=M@min=abc@max=", "M:2=0 0..0"},
              {"@variable=A@value=1@value=2@variable=B", "B:2=2"},
              {"@variable=R@readonly", "R:2=0 ro"}, {"@variable=R@readonly=0", "R:2=0"},
              {"@variable=R@readonly=yes", "R:2=0"}, {"@variable=R@readonly=2", "R:2=0 ro"},
              {"  @@variable=Z @value= 3 @@", "Z:2=3"},
              {"@variable=O@min=0@max=1@value=9", "O:2=9 0..1"}, {"", ":0=0"},
              {"@variable=W@type=integer@value=1@type=real", "W:2=1"},
              {"@variable=W@type=bit@value=1@type=word", "W:2=1 whole"}}) {
            const Variable v(definition);
            QString got = QString("%1:%2=%3").arg(v.name()).arg(v.type()).arg(v.value());
            if (v.min() != Lowest || v.max() != Highest)
                got += QString(" %1..%2").arg(v.min()).arg(v.max());
            got += v.isReadOnly() ? " ro" : "";
            QCOMPARE(got + (v.holdsWholeNumbers() ? " whole" : ""), expected);
        }
        // Parsing is silent and keeps the attributes; the key is the word before "=".
        Variable v("@variable=P@value=1@descr=Power stage@unit=mV@flag@x y=z w@unit = V");
        QCOMPARE(v.description(), QString("Power stage"));
        QCOMPARE(v.attribute("unit") + v.attribute("flag") + v.attribute("y"), QString("mVz w"));
        v.setUpdateMode(1);
        QSignalSpy spy(&v, &Variable::signal_updateSet);
        v.parse("@value=5@readonly@unit=V");
        QCOMPARE(spy.count(), 0);
        QCOMPARE(v.value(), 5.0);
        QCOMPARE(v.attribute("unit"), QString("V"));
        QCOMPARE(v.name(), QString("P"));
    }

    // One test decides what "null" is, as Qt 4 did: invalid, or a null string or byte array.
    void nullVariants()
    {
        for (const QVariant &null : {QVariant(), QVariant(QString()), QVariant(QByteArray()),
                                     QVariant(QMetaType::fromType<QString>())})
            QVERIFY(isNullVariant(null));
        for (const QVariant &value :
             {QVariant(QString("")), QVariant(QByteArray("")), QVariant(0), QVariant(false)})
            QVERIFY(!isNullVariant(value));
    }

    // Each valid pair adds an entry per direction; malformed pairs are skipped.
    void parseCountsEntries()
    {
        for (auto [text, entries] :
             {std::pair{QString("sON::i1;sOFF::i0"), 4}, {";;sON::i1;", 2}, {"sa::sb::sc", 0},
              {"sON:i1", 0}, {" sON::i1", 0}, {"sON:: i1", 0}, {"s::i1", 0}, {"xON::i1", 0},
              {"sA::i1;bad;sB::f2", 4}, {"sON::i1;sON::i001", 2}, {"sON::i1;sAN::i1", 3}})
            QCOMPARE(TranslationTable(text).entryCount(), entries);
    }

    // Direction 0 maps stored to translated, 1 back; "" for not found.
    void lookupBothWays()
    {
        const QString onOff = "sON::i1;sOFF::i0";
        for (auto [table, direction, input, result] :
             {std::tuple{onOff, 0, QString("i0"), QString("sOFF")}, {onOff, 1, "sON", "i1"},
              {onOff, 0, "i2", ""}, {onOff, 1, "i1", ""}, {onOff, 1, "son", ""},
              {onOff, 0, "f1", ""}, {"f1.5::i3", 1, "f1.500000E+00", "i3"},
              {"f1.5::i3", 0, "i3", "f1.500000E+00"}, {"sSEVEN::i007", 0, "i7", "sSEVEN"},
              {"sfull on::sFF0000", 1, "sfull on", "sFF0000"},
              // a later pair mapping the same stored value
              {"sON::i1;sAN::i1", 0, "i1", "sAN"}, {"sON::i1;sAN::i1", 1, "sON", "i1"}}) {
            const Variable found =
                TranslationTable(table).lookup(direction, Variable::fromTypedText(input));
            QCOMPARE(found.toTypedText(), result);
            QCOMPARE(found.isUntyped(), result.isEmpty());
        }
    }

    void expressionAndValueTexts()
    {
        TranslationTable t("sON::i1;sOFF::i0");
        t.parse("=x*2");
        QCOMPARE(t.entryCount(), 4);
        t.parse("sA::i5"); // replaces the entries, keeps the expression
        QCOMPARE(t.entryCount(), 2);
        t.parse("sOFF::i0;sA::i5"); // in the new order, each once
        QCOMPARE(t.valueTexts(0), (QStringList{"OFF", "A"}));
        QCOMPARE(t.expression(), QString("x*2"));
        const TranslationTable order("sON::i1;sOFF::i0;sMID::i5;sLOW::f0.25;sHIGH::i9");
        QCOMPARE(order.valueTexts(0), (QStringList{"ON", "OFF", "MID", "LOW", "HIGH"}));
        QCOMPARE(order.valueTexts(1), (QStringList{"1", "0", "5", "2.500000E-01", "9"}));
    }

    // The partner of the value, as text only for a string partner; none without a table.
    void translatedText()
    {
        Variable none(1, "V", QString(), 0, 10);
        QVERIFY(none.translatedText().isEmpty() && !none.setTranslatedText(QString("ON")));
        QCOMPARE(none.value(), 1.0);
        Variable v("@variable=Mode@value=1@type=integer@tr=sON::i1;sOFF::i0;f2.5::i2@tr=sAN::i1");
        QCOMPARE(v.translatedText(), QString("ON")); // the first table stays
        QVERIFY(v.setValue(2, Internal));
        QCOMPARE(v.translated().value(), 2.5);
        QVERIFY(v.translatedText().isEmpty());
        QVERIFY(v.setValue(7, Internal));
        QVERIFY(v.translated().isUntyped());
    }

    // Setting through the table passes the lock but not the range, announces changes only
    // and keeps the type; an unknown text sets the not-found partner's 0.
    void setTranslatedValue()
    {
        Variable v("@variable=Mode@value=1@type=integer@readonly@tr=sON::i1;sOFF::i0;sHALF::f0.5");
        QSignalSpy spy(&v, &Variable::signal_updateSet);
        QVERIFY(v.setTranslatedText(QString("OFF")));
        QCOMPARE(v.value(), 0.0);
        QCOMPARE(spy.count(), 1);
        QVERIFY(v.setTranslatedValue(Variable::fromTypedText("sHALF")));
        QVERIFY(v.setTranslatedText(QByteArray("HALF")));
        QCOMPARE(spy.count(), 2);
        QCOMPARE(v.value(), 0.5);
        QCOMPARE(v.type(), int(Variable::TypeInteger));
        QVERIFY(v.setTranslatedText(QString("DIM")));
        QCOMPARE(v.value(), 0.0);
        Variable ranged("@variable=R@value=3@min=2@max=4@tr=sLOW::i1;sHIGH::i4");
        QVERIFY(ranged.setTranslatedText(QString("LOW")));
        QCOMPARE(ranged.value(), 3.0);
        QVERIFY(ranged.setTranslatedText(QString("HIGH")));
        QCOMPARE(ranged.value(), 4.0);
    }

    // The variable keeps its own copy of the first table it is given, through assignment;
    // reset drops it.
    void variableOwnsItsTable()
    {
        Variable v(1, "V", QString(), 0, 10);
        {
            TranslationTable table("sON::i1");
            v.setTranslation(table);
            table.parse("sCHANGED::i1");
        }
        v.setTranslation(TranslationTable("sUNO::i1"));
        Variable other(1, "O", QString(), 0, 10);
        other.setTranslation(TranslationTable("sEINS::i1"));
        v = other;
        QCOMPARE(v.translatedText(), QString("ON"));
        v.reset();
        QVERIFY(!v.hasTranslation());
    }

    // Items of another shape are skipped; a later key replaces an earlier one.
    void optionStrings()
    {
        for (auto [text, count, items] :
             {std::tuple{QString("type=3, angle = 90 ,mirrorX=TRUE"), 3,
                         QString("angle=90;mirrorX=TRUE;type=3;")},
              {"a=1,a=2", 2, "a=2;"}, {"a=1=2,flag,b=x", 1, "b=x;"}, {"a=,b= ", 2, "a=;b=;"},
              {",,=5,,", 1, "=5;"}, {"Key=1,key=2", 2, "Key=1;key=2;"},
              {"name= a b ", 1, "name=a b;"}}) {
            OptionString options("old=1", ",", "=");
            QCOMPARE(options.parse(text), count);
            QString got;
            for (const QString &key : options.keys())
                got += key + '=' + options.value(key).text() + ';';
            QCOMPARE(got, items);
        }
        OptionString other("mode::fast;;level::0x10;;bad:1", ";;", "::");
        QCOMPARE(other.keys(), (QStringList{"level", "mode"}));
        QCOMPARE(other.value("level").toInt(), 16);
    }

    // int: base 10 unless given; bool and double of the same text.
    void conversions()
    {
        for (auto [value, base, integer, boolean, real] :
             {std::tuple{QString("42"), 10, 42, true, 42.0}, {"-7", 10, -7, false, -7.0},
              {"", 10, 0, false, 0.0}, {"0xff", 2, 255, false, 0.0}, {"0b101", 10, 5, false, 0.0},
              {"0X1F", 10, 0, false, 0.0}, {"1F", 16, 31, false, 0.0}, {"17", 8, 15, true, 17.0},
              {"0b102", 10, 0, false, 0.0}, {"1.5", 10, 0, false, 1.5},
              {"-1e-3", 10, 0, false, -0.001}, {"99999999999", 10, 0, false, 99999999999.0},
              {"TrUe", 10, 0, true, 0.0}, {"on", 10, 0, false, 0.0}, {"0", 10, 0, false, 0.0},
              {"1x", 10, 0, false, 0.0}}) {
            OptionString options("k=" + value);
            QCOMPARE(options.value("k").toInt(base), integer);
            QCOMPARE(options.toBool(), boolean);
            QCOMPARE(options.toDouble(), real);
        }
    }

    void getters()
    {
        OptionString options("b=TRUE,i=0x10,s= text ,x=de ad");
        bool b = false;
        quint32 u = 1;
        QString s;
        QByteArray x;
        QVERIFY(options.getBool("b", &b) && options.getInt("i", &u) && options.getString("s", &s));
        QVERIFY(options.getBytes("x", &x) && b);
        QCOMPARE(s + QString::number(u), QString("text16"));
        QCOMPARE(x, QByteArray("\xde\xad")); // blanks removed
        QVERIFY(options.getInt("i")); // without an output the value is still selected
        QCOMPARE(options.text(), QString("0x10"));
        // Absent keys change nothing; the current text stays the previously selected value.
        int i = 9;
        QString keep("keep");
        QVERIFY(!options.getInt("none", &i) && !options.getString("none", &keep));
        QVERIFY(!options.getBool("none", &b));
        QCOMPARE(i, 9);
        QCOMPARE(keep, QString("keep"));
        QVERIFY(b);
        QCOMPARE(options.text(), QString("0x10"));
        OptionString fresh("flag=1,name=abc");
        QCOMPARE(fresh.value("missing").text(), QString("flag=1,name=abc"));
    }

private:
    QStringList m_sets;
    QStringList m_gets;
};

QTEST_GUILESS_MAIN(TestVariable)
#include "tst_variable.moc"
