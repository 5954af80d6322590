#include "translationtable.h"
#include "variable.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

class TestTranslationTable : public QObject
{
    Q_OBJECT
private slots:
    void parseCountsEntries_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("entries");

        QTest::newRow("two pairs") << "sON::i1;sOFF::i0" << 4;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("empty items") << ";;sON::i1;" << 2;
        QTest::newRow("three parts") << "a::b::c" << 0;
        QTest::newRow("sa::sb::sc") << "sa::sb::sc" << 0;
        QTest::newRow("no separator") << "sON" << 0;
        QTest::newRow("single colon") << "sON:i1" << 0;
        QTest::newRow("leading blank") << " sON::i1" << 0;
        QTest::newRow("blank before stored side") << "sON:: i1" << 0;
        QTest::newRow("lone letter side") << "s::i1" << 0;
        QTest::newRow("unknown letter") << "xON::i1" << 0;
        QTest::newRow("mixed good and bad") << "sA::i1;bad;sB::f2" << 4;
        QTest::newRow("duplicate pair") << "sON::i1;sON::i1" << 2;
        QTest::newRow("normalised duplicate") << "sON::i1;sON::i001" << 2;
    }

    void parseCountsEntries()
    {
        QFETCH(QString, text);
        QFETCH(int, entries);
        QCOMPARE(TranslationTable(text).entryCount(), entries);
    }

    void lookupBothWays_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("input");  // typed text of the looked-up value
        QTest::addColumn<QString>("result"); // typed text of the partner, "" for not found

        const auto row = [](const char *tag, const QString &table, int direction,
                            const QString &input, const QString &result) {
            QTest::newRow(tag) << table << direction << input << result;
        };
        const QString onOff = "sON::i1;sOFF::i0";
        row("stored 1 -> ON", onOff, 0, "i1", "sON");
        row("stored 0 -> OFF", onOff, 0, "i0", "sOFF");
        row("ON -> stored 1", onOff, 1, "sON", "i1");
        row("OFF -> stored 0", onOff, 1, "sOFF", "i0");
        row("stored 2 not found", onOff, 0, "i2", "");
        row("wrong direction", onOff, 1, "i1", "");
        row("case matters", onOff, 1, "son", "");
        row("type matters", onOff, 0, "f1", "");
        row("real 1.5 normalised", "f1.5::i3", 1, "f1.500000E+00", "i3");
        row("real back", "f1.5::i3", 0, "i3", "f1.500000E+00");
        row("i007 matches 7", "sSEVEN::i007", 0, "i7", "sSEVEN");
        row("string both sides", "sred::sFF0000", 1, "sred", "sFF0000");
        row("blank inside string", "sfull on::i3", 1, "sfull on", "i3");
    }

    void lookupBothWays()
    {
        QFETCH(QString, table);
        QFETCH(int, direction);
        QFETCH(QString, input);
        QFETCH(QString, result);

        const TranslationTable t(table);
        const Variable found = t.lookup(direction, Variable::fromTypedText(input));
        QCOMPARE(found.toTypedText(), result);
        QVERIFY(found.name().isEmpty());
        if (result.isEmpty()) {
            QVERIFY(found.isUntyped());
            QCOMPARE(found.value(), 0.0);
        }
    }

    void laterPairOverwrites()
    {
        // The second pair maps the same stored value: stored 1 now translates to AN, while ON
        // still maps to 1.
        const TranslationTable t("sON::i1;sAN::i1");
        QCOMPARE(t.entryCount(), 3);
        QCOMPARE(t.lookup(0, Variable::fromTypedText("i1")).text(), QByteArray("AN"));
        QCOMPARE(t.lookup(1, Variable::fromTypedText("sON")).value(), 1.0);
        QCOMPARE(t.lookup(1, Variable::fromTypedText("sAN")).value(), 1.0);
    }

    void expressionKeepsEntries()
    {
        TranslationTable t("sON::i1;sOFF::i0");
        t.parse("=x*2");
        QCOMPARE(t.expression(), QString("x*2"));
        QCOMPARE(t.entryCount(), 4);
        QCOMPARE(t.lookup(1, Variable::fromTypedText("sOFF")).toTypedText(), QString("i0"));

        // A table text proper replaces the entries and keeps the expression.
        t.parse("sA::i5");
        QCOMPARE(t.entryCount(), 2);
        QCOMPARE(t.expression(), QString("x*2"));
        QVERIFY(t.lookup(1, Variable::fromTypedText("sON")).isUntyped());
    }

    void valueTextsKeepPairOrder()
    {
        const TranslationTable t("sON::i1;sOFF::i0;sMID::i5;sLOW::f0.25;sHIGH::i9;sMAX::i10");
        QCOMPARE(t.valueTexts(0), (QStringList{"ON", "OFF", "MID", "LOW", "HIGH", "MAX"}));
        QCOMPARE(t.valueTexts(1), (QStringList{"1", "0", "5", "2.500000E-01", "9", "10"}));
        QVERIFY(TranslationTable().valueTexts(0).isEmpty());
    }

    void translatedWithoutTable()
    {
        Variable v(1, "V", QString(), 0, 10);
        QVERIFY(!v.hasTranslation());
        QVERIFY(v.translation() == nullptr);
        QVERIFY(v.translated().isUntyped());
        QVERIFY(v.translatedText().isEmpty());
        QVERIFY(!v.setTranslatedValue(Variable::fromTypedText("sON")));
        QVERIFY(!v.setTranslatedText(QString("ON")));
        QCOMPARE(v.value(), 1.0);
    }

    void translatedText()
    {
        Variable v("@variable=Mode@value=1@type=integer@tr=sON::i1;sOFF::i0;f2.5::i2");
        QVERIFY(v.hasTranslation());
        const Variable partner = v.translated();
        QCOMPARE(partner.type(), int(Variable::TypeString));
        QCOMPARE(partner.text(), QByteArray("ON"));
        QCOMPARE(v.translatedText(), QString("ON"));

        QVERIFY(v.setValue(2, Variable::InternalKey));
        QCOMPARE(v.translated().value(), 2.5);
        QVERIFY(v.translatedText().isEmpty()); // a number partner has no text

        QVERIFY(v.setValue(7, Variable::InternalKey));
        QVERIFY(v.translated().isUntyped());
        QVERIFY(v.translatedText().isEmpty());
    }

    void setTranslatedValue()
    {
        Variable v("@variable=Mode@value=1@type=integer@tr=sON::i1;sOFF::i0;sHALF::f0.5");
        QSignalSpy spy(&v, &Variable::signal_updateSet);

        QVERIFY(v.setTranslatedText(QString("OFF")));
        QCOMPARE(v.value(), 0.0);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toString(), QString("Mode"));

        QVERIFY(v.setTranslatedText(QByteArray("ON")));
        QCOMPARE(v.value(), 1.0);
        QVERIFY(v.setTranslatedValue(Variable::fromTypedText("sHALF")));
        QCOMPARE(v.value(), 0.5);
        QCOMPARE(v.type(), int(Variable::TypeInteger));
        QCOMPARE(spy.count(), 3);

        // Writing the same value again announces nothing in the default mode.
        QVERIFY(v.setTranslatedText(QString("HALF")));
        QCOMPARE(spy.count(), 3);

        // An unknown text stores the 0 of the not-found partner.
        QVERIFY(v.setTranslatedText(QString("DIM")));
        QCOMPARE(v.value(), 0.0);
    }

    void setTranslatedPassesLockButNotRange()
    {
        Variable locked("@variable=L@value=1@readonly@tr=sON::i1;sOFF::i0");
        QVERIFY(locked.setTranslatedText(QString("OFF")));
        QCOMPARE(locked.value(), 0.0);

        // Out of range (and the unknown text's 0): the write is refused, the call still succeeds.
        Variable ranged("@variable=R@value=3@min=2@max=4@tr=sLOW::i1;sMID::i3;sHIGH::i4");
        ranged.setUpdateMode(1);
        QSignalSpy spy(&ranged, &Variable::signal_updateSet);
        QVERIFY(ranged.setTranslatedText(QString("LOW")));
        QCOMPARE(ranged.value(), 3.0);
        QVERIFY(ranged.setTranslatedText(QString("NONE")));
        QCOMPARE(ranged.value(), 3.0);
        QVERIFY(ranged.setTranslatedText(QString("HIGH")));
        QCOMPARE(ranged.value(), 4.0);
        QCOMPARE(spy.count(), 3); // mode 1 announces refused writes too
    }

    void variableOwnsItsTable()
    {
        Variable v(1, "V", QString(), 0, 10);
        {
            auto table = std::make_unique<TranslationTable>("sON::i1");
            v.setTranslation(*table);
            table->parse("sCHANGED::i1");
        } // the caller's table is gone; the variable's own copy stays
        QCOMPARE(v.translatedText(), QString("ON"));
        v.setTranslation(TranslationTable("sUNO::i1")); // the first table stays
        QCOMPARE(v.translatedText(), QString("ON"));
        QCOMPARE(v.translation()->entryCount(), 2);

        // Assignment keeps the destination's table; copies get none.
        Variable other(1, "O", QString(), 0, 10);
        other.setTranslation(TranslationTable("sEINS::i1"));
        v = other;
        QCOMPARE(v.translatedText(), QString("ON"));
        const Variable copy(v);
        QVERIFY(!copy.hasTranslation());

        v.reset();
        QVERIFY(!v.hasTranslation());
        v.setTranslation(TranslationTable("sNEW::i0"));
        QVERIFY(v.hasTranslation());
    }
};

QTEST_GUILESS_MAIN(TestTranslationTable)
#include "tst_translationtable.moc"
