#include "translationtable.h"
#include "variable.h"

#include <QSignalSpy>
#include <QtTest>

#include <tuple>

class TestTranslationTable : public QObject
{
    Q_OBJECT
private slots:
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
        QCOMPARE(t.expression(), QString("x*2"));
        QCOMPARE(t.entryCount(), 4);
        t.parse("sA::i5"); // replaces the entries, keeps the expression
        QCOMPARE(t.entryCount(), 2);
        QCOMPARE(t.expression(), QString("x*2"));
        const TranslationTable order("sON::i1;sOFF::i0;sMID::i5;sLOW::f0.25;sHIGH::i9");
        QCOMPARE(order.valueTexts(0), (QStringList{"ON", "OFF", "MID", "LOW", "HIGH"}));
        QCOMPARE(order.valueTexts(1), (QStringList{"1", "0", "5", "2.500000E-01", "9"}));
    }

    void translatedText()
    {
        Variable none(1, "V", QString(), 0, 10);
        QVERIFY(none.translatedText().isEmpty());
        QVERIFY(!none.setTranslatedText(QString("ON")));
        QCOMPARE(none.value(), 1.0);

        Variable v("@variable=Mode@value=1@type=integer@tr=sON::i1;sOFF::i0;f2.5::i2@tr=sAN::i1");
        QCOMPARE(v.translatedText(), QString("ON")); // the first table stays
        QVERIFY(v.setValue(2, Variable::InternalKey));
        QCOMPARE(v.translated().value(), 2.5);
        QVERIFY(v.translatedText().isEmpty()); // a number partner has no text
        QVERIFY(v.setValue(7, Variable::InternalKey));
        QVERIFY(v.translated().isUntyped());
    }

    void setTranslatedValue()
    {
        Variable v("@variable=Mode@value=1@type=integer@readonly@tr=sON::i1;sOFF::i0;sHALF::f0.5");
        QSignalSpy spy(&v, &Variable::signal_updateSet);
        QVERIFY(v.setTranslatedText(QString("OFF"))); // passes the lock
        QCOMPARE(v.value(), 0.0);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toString(), QString("Mode"));
        QVERIFY(v.setTranslatedValue(Variable::fromTypedText("sHALF")));
        QCOMPARE(v.value(), 0.5);
        QCOMPARE(v.type(), int(Variable::TypeInteger));
        QVERIFY(v.setTranslatedText(QByteArray("HALF"))); // same value: silent
        QCOMPARE(spy.count(), 2);
        QVERIFY(v.setTranslatedText(QString("DIM"))); // unknown: the not-found partner's 0
        QCOMPARE(v.value(), 0.0);

        // Out of range: refused, the call still succeeds.
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
        v.setTranslation(TranslationTable("sNEW::i0"));
        QVERIFY(v.hasTranslation());
    }
};

QTEST_GUILESS_MAIN(TestTranslationTable)
#include "tst_translationtable.moc"
