#include "register.h"
#include "../support/tablerows.h"

#include <QSignalSpy>
#include <QtTest>

namespace
{

QStringList bitNames(const Register &r)
{
    QStringList names;
    for (int i = 0; i < r.size(); ++i)
        names << r.bitAt(i)->name();
    return names;
}

QList<int> fieldIndices(const Register &r)
{
    QList<int> indices;
    for (int i = 0; i < r.size(); ++i)
        indices << r.bitAt(i)->fieldIndex();
    return indices;
}

// The values of the named fields, read one by one.
QList<quint32> fields(Register &r, const QStringList &names)
{
    QList<quint32> values;
    for (const QString &name : names)
        values << r.getField("[" + name + "]");
    return values;
}

// The register's positions of a view's bits.
QList<int> positions(const Register &r, const Register *view)
{
    QList<int> result;
    for (int i = 0; i < view->size(); ++i) {
        for (int k = 0; k < r.size(); ++k) {
            if (r.bitAt(k) == view->bitAt(i))
                result << k;
        }
    }
    return result;
}

class Receiver : public QObject
{
    Q_OBJECT
public:
    QStringList sets;
    QStringList gets;
public slots:
    void slot_updateSet(QString name) { sets << name; }
    void slot_updateGet(QString name) { gets << name; }
};

class StoredVirtual : public Register::Virtual
{
public:
    void setValue(quint32 value) override { m_value = value * 2; }
};

} // namespace

class TestRegister : public QObject
{
    Q_OBJECT

private slots:
    void shortForm()
    {
        Register r("VSETPOINT[6:0]#Boost voltage;EN#Boost enable;SRC#Boost CLK source;", "BOOST");
        QCOMPARE(bitNames(r), QStringList() << QStringList(7, "VSETPOINT") << "EN"
                                            << "SRC");
        QCOMPARE(fieldIndices(r), QList<int>({0, 0, 0, 0, 0, 0, 0, 1, 2}));
        QCOMPARE(r.bitAt(8)->description(), QStringLiteral("Boost CLK source"));

        Register frame(QString("SYNC[8]=85;PID1[8]=%1;PID2[8]=%2;").arg(3).arg(0x80), "FRAME");
        QCOMPARE(fields(frame, {"SYNC", "PID1", "PID2", "23:0"}),
                 QList<quint32>({85, 3, 0x80, 0x800355}));
        // A definition item NAME[5]=37 keeps only the low five bits of the value.
        QCOMPARE(Register("NAME[5]=37", "V").toBitString(true), QByteArray("10100"));
    }

    void longForm()
    {
        Register r("@register=SPI_MAPP404;@field=NOP[20:0] @value=0 @ADD=0 @DATA=1;"
                   "@field=CMD[3] @value=0x5 @descr=Command code @ADD=1;",
                   "given");
        QCOMPARE(r.name(), QStringLiteral("SPI_MAPP404"));
        QCOMPARE(r.size(), 24);
        QCOMPARE(r.bitAt(20)->attributeKeys(), QStringList({"ADD", "DATA"}));
        QCOMPARE(r.getField("[CMD]"), 5u);
        QCOMPARE(r.bitAt(22)->description(), QStringLiteral("Command code"));
        QCOMPARE(r.bitAt(22)->attribute("ADD"), QStringLiteral("1"));
        QVERIFY(r.attributeKeys().isEmpty());

        // Value and description inside the field expression are ignored; the last key decides.
        Register s("@field=A[4]=9#inside @bit=B[2] @value=3", "S");
        QCOMPARE(bitNames(s), QStringList({"B", "B"}));
        QCOMPARE(s.getField("[B]"), 3u);
        QCOMPARE(s.bitAt(0)->description(), QString());

        // Values over several lines, a bare key on a line of its own, synonym keys.
        Register u("@register=U\n@readonly\n@name=M[2] @descr=first\nsecond\n@value=3", "");
        QVERIFY(u.isReadOnly());
        QCOMPARE(u.bitAt(1)->description(), QStringLiteral("first\nsecond"));
        QCOMPARE(u.getField("[M]"), 3u);

        // Attributes before the field key belong to the register, after it to the bits; a later
        // entry replaces an earlier one and keys keep their order.
        Register before("@ADD=1 @field=F[3:0]", "R");
        QCOMPARE(before.attribute("ADD"), QStringLiteral("1"));
        QVERIFY(before.bitAt(0)->attributeKeys().isEmpty());
        Register attrs("@REG=1 @BANK=2 @CRC=3 @REG=4;@field=F @DATA=5 @DATA=6", "R");
        QCOMPARE(attrs.attributeKeys(), QStringList({"REG", "BANK", "CRC"}));
        QCOMPARE(attrs.attribute("REG"), QStringLiteral("4"));
        QCOMPARE(attrs.bitAt(0)->attribute("DATA"), QStringLiteral("6"));

        // "@readonly" before a field key locks the register unless its value is 0.
        QVERIFY(!Register("@readonly=0 @field=D[8]", "R").isReadOnly());
        QVERIFY(Register("@readonly=2;", "R").isReadOnly());
    }

    void appletDefinitionShapes_data()
    {
        addRows<QString, QString, int, QString, quint32, int, QString>(
            {"definition", "name", "bits", "field", "value", "bit", "key"},
            {{"@register=RQ_OTP;@field=SA[4:0]            @value=0;@field=FT[1:0]            "
              "@value=3;@field=CSID[4:0]          @value=10;@field=B                  @value=0;",
              "RQ_OTP", 13, "[CSID]", 10u, 0, ""},
             {"@register=ASSIGN_ADD;SA[5]=0;FT[2]=3;P1=1;CSID[5]=5", "ASSIGN_ADD", 13, "[7:5]",
              0b111u, 0, ""},
             {"@register=RD;@field=ECRC[3:0] @value=0;@field=SPIERR @value=1 @readonly;", "RD", 5,
              "[SPIERR]", 1u, 4, "readonly"},
             {"@register=BANK;@field=SW1 @REG=0; @field=OFF1[10] @REG=1; @field=T[8] @REG=17",
              "BANK", 19, "[OFF1]", 0u, 18, "REG"},
             {"@register=CFG @BANK=2;SYNC[8]=85;PID1[8]=31;@field=CRC1[6:0] @CRC=5", "CFG", 23,
              "[15:8]", 31u, 22, "CRC"}});
    }

    void appletDefinitionShapes()
    {
        QFETCH(QString, definition);
        QFETCH(QString, name);
        QFETCH(int, bits);
        QFETCH(QString, field);
        QFETCH(quint32, value);
        QFETCH(int, bit);
        QFETCH(QString, key);
        Register r(definition, QString());
        QCOMPARE(r.name(), name);
        QCOMPARE(r.size(), bits);
        QVERIFY(!r.isReadOnly());
        QCOMPARE(r.getField(field), value);
        if (!key.isEmpty())
            QVERIFY(r.bitAt(bit)->hasAttribute(key));
        QCOMPARE(r.maxFieldIndex() + 1, r.format("@name;", true).count(QLatin1Char(';')));
    }

    void width_data()
    {
        addRows<QString, int>({"item", "bits"},
                              {{"NAME", 1},
                               {"NAME[0]", 1},
                               {"NAME[3:3]", 3},
                               {"NAME[0:7]", 8},
                               {"NAME[-2:1]", 4},
                               {"@field=NAME[20:0]", 21},
                               {"@bit=NAME", 1},
                               {"   ", 0},
                               {"@ADD=3", 0}});
    }

    void width()
    {
        QFETCH(QString, item);
        QFETCH(int, bits);
        Register r;
        QCOMPARE(r.parseItem(item, -1), bits);
        QCOMPARE(r.size(), bits);
    }

    void refusedItems_data()
    {
        addRows<QString, QString>({"item", "shown"}, {{"SpiIn4B[]", "SpiIn4B[]"},
                                                      {"@field=ALL[] @ADD=1", "ALL[]"},
                                                      {"W[10001]", "W[10001]"},
                                                      {"W[-2147483648:2147483647]", ""},
                                                      {"A=5[3]", "A=5[3]"}});
    }

    void refusedItems()
    {
        QFETCH(QString, item);
        QFETCH(QString, shown);
        Register r;
        QTest::ignoreMessage(QtWarningMsg,
                             qPrintable("ERROR parsing field " + (shown.isEmpty() ? item : shown)));
        QCOMPARE(r.parseItem(item, -1), 0);
        QVERIFY(r.isEmpty());
    }

    void failingItemKeepsEarlierWork()
    {
        QTest::ignoreMessage(QtWarningMsg, "ERROR parsing field B=1[2]");
        QTest::ignoreMessage(QtWarningMsg, "ERROR parsing field F=1[2]");
        Register r("A[2]=3;B=1[2];;  ;@register=NEW @BANK=7 @field=F=1[2] @X=1;C", "R");
        QCOMPARE(bitNames(r), QStringList({"A", "A", "C"}));
        QCOMPARE(r.getField("[A]"), 3u);
        QCOMPARE(r.name(), QStringLiteral("NEW"));
        QCOMPARE(r.attribute("BANK"), QStringLiteral("7"));
        QVERIFY(!r.bitAt(2)->hasAttribute("X"));
    }

    void insertCopyAndStructure()
    {
        Register r("A[2]=3;B[2]=0", "R");
        QCOMPARE(r.parseItem("M[3]=6", 1), 3);
        QCOMPARE(bitNames(r), QStringList({"A", "M", "M", "M", "A", "B", "B"}));
        QCOMPARE(r.getField("[M]"), 6u);
        QCOMPARE(fieldIndices(r), QList<int>({0, 1, 1, 1, 2, 3, 3}));
        QCOMPARE(r.parseItem("Y[2]", std::numeric_limits<int>::max()), 2);
        QCOMPARE(r.bitAt(r.size() - 1)->name(), QStringLiteral("Y"));

        Register sized(5, "SIZED");
        QCOMPARE(bitNames(sized), QStringList(5, "_"));
        sized.resize(3); // never shrinks
        QCOMPARE(sized.size(), 5);

        // A copy has its own bits, no name, attributes or definition, and the default mode.
        Register original("@REG=1;A[3]=5#first;B", "ORIG");
        original.setUpdateMode(0);
        Register copy(original);
        QCOMPARE(copy.name(), QString());
        QVERIFY(copy.attributeKeys().isEmpty());
        QCOMPARE(copy.updateMode(), 1);
        QCOMPARE(copy.getField("[A]"), 5u);
        copy.bitAt(0)->setAttribute("K", "w");
        QVERIFY(!original.bitAt(0)->hasAttribute("K"));

        Register unnamed("[2];A;A;B;A;[1]", "R");
        QCOMPARE(fieldIndices(unnamed), QList<int>({-1, -1, 0, 0, 1, 2, 3}));
        QCOMPARE(unnamed.maxFieldIndex(), 3);
    }

    void assignAndLayout()
    {
        Register a("X[4]=9", "A");
        Register b("X[4]=2", "B");
        QSignalSpy spy(&b, &Register::signal_updateSet);
        QVERIFY(b.assign(a));
        QCOMPARE(b.getField("[X]"), 9u);
        QCOMPARE(spy.count(), 0);
        Register other("Y[4]", "O");
        QVERIFY(!other.assign(a));
        QVERIFY(!other.sameLayout(nullptr));
        QVERIFY(!Register().sameLayout(&other));
        Register fresh;
        fresh = a;
        QCOMPARE(fresh.getField("[X]"), 9u);
    }

    void structureKeepsNameLookupCorrect()
    {
        Register r("A[2]=3;B[3]=5;C", "R");
        r.removeBits("A");
        QCOMPARE(r.indexOf("B"), 0);
        QCOMPARE(r.getField("[B]"), 5u);
        r.bitAt(1)->setName("D"); // rename through the bit record
        QCOMPARE(r.indexOf("D"), 1);
        QCOMPARE(r.getField("[B]"), 0b11u);

        Bit *inserted = new Bit;
        inserted->setName("E");
        r.insertBit(inserted, 0);
        QCOMPARE(r.bitByName("E"), inserted);
        QCOMPARE(r.bitByName("C"), r.bitAt(r.size() - 1));
        r.appendBits(Register("F[2]", "T"));
        QCOMPARE(r.indexOf("F"), r.size() - 2);
        r.setBitByName("F", 1);
        QCOMPARE(r.getField("[F]"), 1u);
        r.clear();
        QCOMPARE(r.getField("[F]"), 0u);
    }

    void updateModes_data()
    {
        addRows<int, int, int>({"mode", "changedEmits", "unchangedEmits"},
                               {{0, 1, 1}, {1, 1, 0}, {2, 0, 0}, {-1, 0, 0}});
    }

    void updateModes()
    {
        QFETCH(int, mode);
        QFETCH(int, changedEmits);
        QFETCH(int, unchangedEmits);
        Register r("A[4];B[12]", "R16");
        r.setUpdateMode(mode);
        QSignalSpy spy(&r, &Register::signal_updateSet);
        QVERIFY(r.setField("[3:0]", 0x1F));
        QCOMPARE(r.getField("[15:0]"), 0xFu);
        QCOMPARE(spy.count(), changedEmits);
        QVERIFY(r.setField("R16[A]", 0xF));
        QCOMPARE(spy.count(), changedEmits + unchangedEmits);
        if (!spy.isEmpty())
            QCOMPARE(spy.first().first().toString(), QStringLiteral("R16"));
        r.setValue(0x8000, false); // value bit i lands on bit 15 - i
        QCOMPARE(r.bit(0), 1);

        // An empty range writes nothing; mode 0 still announces.
        QVERIFY(!r.setField("[20:16]", 1));
        QVERIFY(!r.setValue(-1, -1, 1)); // compared as unsigned: far above the top
        QCOMPARE(r.value(true), 1u);
    }

    void assignmentFromNumber()
    {
        Register r(12, "R");
        QSignalSpy quietSpy(&r, &Register::signal_updateSet);
        r = 0u;
        QCOMPARE(quietSpy.count(), 0);
        r = 0xABCu;
        QCOMPARE(r.value(true), 0xABCu);
        QCOMPARE(quietSpy.count(), 1);

        Register wide(33, "W");
        wide = 0xFFFFFFFFu; // only registers of 1 to 32 bits take a number
        QCOMPARE(wide.toBitString(true), QByteArray(33, '0'));
        Register clamp(8, "C");
        QVERIFY(clamp.setValue(9, 6, 0xF)); // clamped to 6..7
        QCOMPARE(clamp.toBitString(false), QByteArray("11000000"));
    }

    void viewWritesAnnouncedByParent()
    {
        Register r("A[4];B[4]", "PARENT");
        r.setUpdateMode(0);
        Register *view = r.select("B");
        QSignalSpy parentSpy(&r, &Register::signal_updateSet);
        QSignalSpy viewSpy(view, &Register::signal_updateSet);
        view->setValue(5, true); // root's mode 0: announced by the parent
        QCOMPARE(r.getField("[B]"), 5u);
        QCOMPARE(parentSpy.count(), 1);
        QCOMPARE(parentSpy.first().first().toString(), QStringLiteral("PARENT"));
        QVERIFY(view->setValue(0, 3, 5)); // the view's own mode (1): unchanged, silent
        QCOMPARE(parentSpy.count(), 1);
        view->fill(1);
        QCOMPARE(parentSpy.count(), 2);
        view->reverse(); // announced by the view itself
        QCOMPARE(parentSpy.count(), 2);
        QCOMPARE(viewSpy.count(), 1);
    }

    void readsAnnounceGet()
    {
        Register r("A[4]=3;B[4]=1", "R");
        QSignalSpy get(&r, &Register::signal_updateGet);
        QSignalSpy set(&r, &Register::signal_updateSet);
        r.value(0, 3);
        QCOMPARE(r.toUInt(), 0x13u);
        QCOMPARE(get.count(), 3);
        r.getField("[A]");
        r.bit(0);
        r.toBitString(true);
        r.format("@name", true);
        r.crc(8, 0xFF, 0x107);
        QCOMPARE(get.count(), 3);
        r.setBit(1, 1);
        r.setBitByName("B", 0);
        r.setFromBitString("1111");
        r.shiftUp(1);
        r.assign(Register("A[4];B[4]", "X"));
        QCOMPARE(set.count(), 0);
    }

    void valuesByRangeAndOrder()
    {
        Register r(8, "R");
        r.setValue(0b1101'0010, true);
        QCOMPARE(r.value(false), 0x4Bu);
        QCOMPARE(r.value(4, 1), 0b1001u);
        QCOMPARE(r.value(6, 20), 0b11u);
        QCOMPARE(r.value(-2, 1), 0b1000u); // bits below 0 are skipped but keep their place
        QCOMPARE(r.getField("[-2:1]"), 0b1000u);
        QCOMPARE(r.getField("R[]"), 0xD2u);
        QCOMPARE(r.getField("[1:7]"), 0x69u);
        QVERIFY(r.setField("R", 1)); // no bracket: bit 0
        QCOMPARE(r.bit(0), 1);
    }

    void numbersWiderThan32Bits()
    {
        Register r(40, "R40");
        QVERIFY(r.setField("[]", 0x800000FFu));
        QCOMPARE(r.toBitString(true).mid(32), QByteArray("11111111")); // bits 32.. repeat 0..
        QCOMPARE(r.bit(31), 1);
        r.fill(0);
        r.setBit(33, 1);
        QCOMPARE(r.getField("[]"), 0x2u); // ORed into result bit 1
        QCOMPARE(r.value(true), 0x2u);
    }

    void namedFieldsAndSelections()
    {
        Register r("NAME[2];MID[3];NAME[2]", "R");
        QVERIFY(r.setField("[NAME]", 0b1101));
        QCOMPARE(r.toBitString(true), QByteArray("1000011"));
        QVERIFY(r.setField("[MID;0]", 0b0111));
        QCOMPARE(r.getField("[MID]"), 0b111u);
        QCOMPARE(r.getField("[NAME;MID]"), 0b1111100u); // NAME bits first, then MID

        r.setUpdateMode(0);
        QSignalSpy spy(&r, &Register::signal_updateSet);
        QCOMPARE(r.getField("R[MISSING]"), 0u);
        QVERIFY(!r.setField("R[MISSING]", 3));
        QCOMPARE(spy.count(), 0);
        QTest::ignoreMessage(QtWarningMsg, "ERROR parsing field A=1[2]");
        QVERIFY(!r.setField("A=1[2]", 1));
    }

    void fieldInfo()
    {
        Register r("VSETPOINT[6:0]#Boost voltage;EN#Boost enable", "R");
        QString name;
        QString description;
        QVERIFY(r.fieldInfo(&name, &description, "R[EN]"));
        QCOMPARE(description, QStringLiteral("Boost enable"));
        QVERIFY(r.fieldInfo(&name, &description, "[7]"));
        QCOMPARE(name, QStringLiteral("EN"));
        QVERIFY(r.fieldInfo(&name, &description, "[0]"));
        QCOMPARE(name, QStringLiteral("VSETPOINT"));
        QVERIFY(!r.fieldInfo(&name, &description, "[8]"));
        QVERIFY(!r.fieldInfo(&name, &description, "[-1]"));
        QVERIFY(!r.fieldInfo(&name, &description, "[NONE]"));
    }

    void setFieldsFromAttributeAndPairs()
    {
        Register r("@field=A[4] @INIT=9;@field=B[2] @INIT=x;@field=C[3];@field=A[2] @INIT=1;[2]=3",
                   "R");
        r.setUpdateMode(2);
        r.fill(1);
        QSignalSpy spy(&r, &Register::signal_updateSet);
        r.setFieldsFromAttribute("INIT");
        // A from its first bit's attribute across both runs; B not a number and C without
        // attribute read as 0; unnamed bits are left alone.
        QCOMPARE(fields(r, {"A", "B", "C", "13:11"}), QList<quint32>({9, 0, 0, 0b11}));
        QCOMPARE(spy.count(), 1);

        Register p("A[4];B[4];C[4]", "R");
        QVERIFY(p.setFromPairs("A=3,,B=12,", ',', '='));
        QCOMPARE(fields(p, {"A", "B"}), QList<quint32>({3, 12}));
        QVERIFY(!p.setFromPairs("A=1,B,C=5", ',', '='));
        QCOMPARE(fields(p, {"A", "B", "C"}), QList<quint32>({1, 12, 0})); // ended at "B"
        QVERIFY(!p.setFromPairs("C=x;A=2", ';', '='));
        QCOMPARE(p.getField("[A]"), 1u);
    }

    void virtualFields()
    {
        Register r("A[4]", "R");
        StoredVirtual refused;
        QVERIFY(!r.addVirtual("A", "d", &refused)); // a bit carries the name
        QVERIFY(!r.addVirtual("V", "d", nullptr));
        auto *v = new StoredVirtual;
        QVERIFY(r.addVirtual("V", "virtual one", v));
        QVERIFY(r.setField("[V]", 21));
        QCOMPARE(r.getField("[V]"), 42u);
        QString name;
        QString description;
        QVERIFY(!r.fieldInfo(&name, &description, "[V]"));
        QCOMPARE(description, QStringLiteral("virtual one"));
        QCOMPARE(r.format("@bitn|@group|@purename|@value_hex|@descr;", true, true),
                 QStringLiteral("0:3 |0|A|0|;virtual||V|2a|virtual one;"));
    }

    void selectForms()
    {
        Register r("@field=A[2] @ADD=1;@field=B[3] @ADD=2;@field=A[1] @ADD=1;C", "R");
        QCOMPARE(positions(r, r.select(-5, 100)), QList<int>({0, 1, 2, 3, 4, 5, 6}));
        QCOMPARE(positions(r, r.select(5, 2)), QList<int>());
        QCOMPARE(positions(r, r.select("A")), QList<int>({0, 1, 5}));
        QCOMPARE(positions(r, r.select(QString("C;1:2;0;9;B"))),
                 QList<int>({6, 1, 2, 0, 2, 3, 4}));
        QCOMPARE(positions(r, r.select(QStringList{"3:1", "6", "A"})), QList<int>({6, 0, 1, 5}));
        QCOMPARE(positions(r, r.select(QStringList{"1 ", "x1"})), QList<int>());
        QCOMPARE(positions(r, r.selectByAttributes("ADD", {"2", "1"})),
                 QList<int>({2, 3, 4, 0, 1, 5}));
        QCOMPARE(positions(r, r.selectByAttribute("ADD", "")), QList<int>({6}));
    }

    void selectIntoTheOneViewOrATarget()
    {
        Register r(8, "R");
        Register *first = r.select(2, 5);
        QCOMPARE(r.select(0, 0), first);
        QCOMPARE(first->size(), 1);
        r.clearView(); // deletes no bit of the register
        QCOMPARE(first->size(), 0);
        QCOMPARE(r.size(), 8);

        Register split("A[2];B[3];A[1]", "R");
        Register target(4, "T");
        QCOMPARE(split.selectRange(&target, 1, 3), &target);
        QVERIFY(target.isView());
        target.fill(1);
        QCOMPARE(split.toBitString(true), QByteArray("011100"));
        QCOMPARE(split.selectFieldIndex(&target, 2), &target);
        QCOMPARE(target.bitAt(0), split.bitAt(5));
        QVERIFY(!split.selectRange(&split, 0, 1));
        QVERIFY(!split.view());
    }

    void internalOperationsLeaveViewAlone()
    {
        Register r("@field=A[2] @K=1;@field=B[3] @K=5;C[2]", "R");
        Register *view = r.select("C");
        QVERIFY(r.setField("[A]", 3));
        r.setFieldsFromAttribute("K");
        r.setFromPairs("A=2", ';', '=');
        QString name;
        r.fieldInfo(&name, nullptr, "[B]");
        r.format("@name", true);
        QCOMPARE(positions(r, view), QList<int>({5, 6}));
    }

    void outOfRangeBits()
    {
        Register r(4, "R");
        r.fill(1);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("bit 4 outside"));
        QCOMPARE(r.bit(4), 0);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("bit -1 outside"));
        QCOMPARE(r.bitValue(-1), 0);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("bit 99 outside"));
        QVERIFY(!r.bitAt(99));
        r.setBit(4, 0); // skipped
        r.setBit(-1, 0);
        QCOMPARE(r.value(true), 0xFu);

        Bit bit;
        bit = true;
        QCOMPARE(bit.value(), quint8(1));
        bit = false;
        QCOMPARE(bit.value(), quint8(0));
        bit.toggle();
        QCOMPARE(bit.value(), quint8(1));
    }

    void connectTo()
    {
        Register r(8, "BOUND");
        Receiver receiver;
        r.connectTo(&receiver, SLOT(slot_updateSet(QString)), SLOT(slot_updateGet(QString)));
        QVERIFY(r.setField("[2]", 1));
        r.value(true);
        QCOMPARE(receiver.sets, QStringList({"BOUND"}));
        QCOMPARE(receiver.gets, QStringList({"BOUND"}));
        r.select(0, 3)->setValue(0xF, true); // a write through the view reaches the receiver
        QCOMPARE(receiver.sets.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestRegister)
#include "tst_register.moc"
