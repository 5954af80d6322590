#include "register.h"

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
        QCOMPARE(r.name(), QStringLiteral("BOOST"));
        QCOMPARE(r.size(), 9);
        QCOMPARE(bitNames(r), QStringList() << QStringList(7, "VSETPOINT") << "EN"
                                            << "SRC");
        QCOMPARE(fieldIndices(r), QList<int>({0, 0, 0, 0, 0, 0, 0, 1, 2}));
        QCOMPARE(r.bitAt(3)->description(), QStringLiteral("Boost voltage"));
        QCOMPARE(r.bitAt(8)->description(), QStringLiteral("Boost CLK source"));
        QCOMPARE(
            r.definition(),
            QStringLiteral("VSETPOINT[6:0]#Boost voltage;EN#Boost enable;SRC#Boost CLK source;"));

        Register frame(QString("SYNC[8]=85;PID1[8]=%1;PID2[8]=%2;").arg(3).arg(0x80), "FRAME");
        QCOMPARE(frame.size(), 24);
        QCOMPARE(fields(frame, {"SYNC", "PID1", "PID2", "23:0"}),
                 QList<quint32>({85, 3, 0x80, 0x800355}));
    }

    void longForm()
    {
        Register r("@register=SPI_MAPP404;@field=NOP[20:0] @value=0 @ADD=0 @DATA=1;"
                   "@field=CMD[3] @value=0x5 @descr=Command code @ADD=1;",
                   "given");
        QCOMPARE(r.name(), QStringLiteral("SPI_MAPP404"));
        QCOMPARE(r.size(), 24);
        for (int i = 0; i < 21; ++i) {
            QCOMPARE(r.bitAt(i)->name(), QStringLiteral("NOP"));
            QCOMPARE(r.bitAt(i)->attribute("ADD"), QStringLiteral("0"));
            QCOMPARE(r.bitAt(i)->attribute("DATA"), QStringLiteral("1"));
            QCOMPARE(r.bitAt(i)->attributeKeys(), QStringList({"ADD", "DATA"}));
        }
        QCOMPARE(r.getField("[CMD]"), 5u);
        QCOMPARE(r.bitAt(22)->description(), QStringLiteral("Command code"));
        QCOMPARE(r.bitAt(22)->attribute("ADD"), QStringLiteral("1"));
        QVERIFY(r.attributeKeys().isEmpty());
        QVERIFY(!r.isReadOnly());

        // Value and description written inside the field expression are ignored in the long form;
        // the last field key decides the bits.
        Register s("@field=A[4]=9#inside @bit=B[2] @value=3", "S");
        QCOMPARE(bitNames(s), QStringList({"B", "B"}));
        QCOMPARE(s.getField("[B]"), 3u);
        QCOMPARE(s.bitAt(0)->description(), QString());

        // Multi-line items and the synonym keys.
        Register t("@name=X[2]\n @value=2\n @descr=two lines\n", "T");
        QCOMPARE(t.size(), 2);
        QCOMPARE(t.getField("[X]"), 2u);
        QCOMPARE(t.bitAt(0)->description(), QStringLiteral("two lines"));

        // A value may run over several lines; a bare key may stand on a line of its own.
        Register u("@register=U\n@readonly\n@field=M[2] @descr=first\nsecond\n@value=3", "");
        QCOMPARE(u.name(), QStringLiteral("U"));
        QVERIFY(u.isReadOnly());
        QCOMPARE(u.bitAt(1)->description(), QStringLiteral("first\nsecond"));
        QCOMPARE(u.getField("[M]"), 3u);
    }

    void longFormAttributesBeforeAndAfterFieldKey()
    {
        Register before("@ADD=1 @field=F[3:0]", "R");
        QCOMPARE(before.attribute("ADD"), QStringLiteral("1"));
        QCOMPARE(before.size(), 4);
        QVERIFY(before.bitAt(0)->attributeKeys().isEmpty());

        Register after("@field=F[3:0] @ADD=1", "R");
        QVERIFY(after.attributeKeys().isEmpty());
        for (int i = 0; i < 4; ++i)
            QCOMPARE(after.bitAt(i)->attribute("ADD"), QStringLiteral("1"));

        // Register attributes keep their order; a later entry replaces an earlier one.
        Register attrs("@REG=1 @BANK=2 @CRC=3 @REG=4;@field=F @DATA=5 @DATA=6", "R");
        QCOMPARE(attrs.attributeKeys(), QStringList({"REG", "BANK", "CRC"}));
        QCOMPARE(attrs.attribute("REG"), QStringLiteral("4"));
        QCOMPARE(attrs.bitAt(0)->attribute("DATA"), QStringLiteral("6"));

        // "@register=" alone names the register and adds nothing.
        Register named("@register=OTHER;", "R");
        QCOMPARE(named.name(), QStringLiteral("OTHER"));
        QVERIFY(named.isEmpty());
    }

    void appletDefinitionShapes_data()
    {
        QTest::addColumn<QString>("definition");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QString>("field");
        QTest::addColumn<quint32>("value");
        QTest::addColumn<int>("bit");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("attribute");
        QTest::newRow("long form, padded keys")
            << "@register=RQ_OTP;@field=SA[4:0]            @value=0;@field=FT[1:0]            "
               "@value=3;@field=P1                 @value=1;@field=CSID[4:0]          @value=10;"
               "@field=BC[1:0]            @value=0;@field=P2                 @value=1;"
               "@field=OTPBS[1:0]         @value=2;@field=NA[4:0]            @value=0;"
               "@field=B                  @value=0;"
            << "RQ_OTP" << 24 << "[CSID]" << 10u << 0 << ""
            << "";
        QTest::newRow("register item, then short form")
            << "@register=ASSIGN_ADD;SA[5]=0;FT[2]=3;P1=1;CSID[5]=5;BC[2]=0;P2=1;AA_ADR[5]=0;"
               "NA[2]=0;B=0;AA_THR[8]=0"
            << "ASSIGN_ADD" << 32 << "[7:5]" << 0b111u << 0 << ""
            << "";
        QTest::newRow("readonly after the field key")
            << "@register=SPI_OUT_RD_TP404;@field=ECRC[3:0] @value=0;@field=READ_DATA[20:0] "
               "@value=0 @readonly;@field=BSTERR @value=0 @readonly;@field=SPIERR @value=1 "
               "@readonly;"
            << "SPI_OUT_RD_TP404" << 27 << "[SPIERR]" << 1u << 4 << "readonly"
            << "";
        QTest::newRow("blank after the separator")
            << "@register=BANK;@field=SW1 @REG=0; @field=OFF1[10] @REG=1; @field=TEMP_RES[8] "
               "@REG=17"
            << "BANK" << 19 << "[OFF1]" << 0u << 18 << "REG"
            << "17";
        QTest::newRow("fields without value")
            << "@register=W_BANK;@field=SA[5] @value=0;@field=FT[2] @value=1;@field=P1    @value=1;"
               "@field=RBA[5];@field=BC[2];@field=P2    @value=1;@field=DATA1[8] @DATA_BC=0;"
            << "W_BANK" << 24 << "[P2]" << 1u << 16 << "DATA_BC"
            << "0";
        QTest::newRow("attributes before the field key, filled placeholders")
            << QString("@register=CFG @BANK=2 @CRC=5;SYNC[8]=85;PID1[8]=%1;@field=CRC1[6:0] @CRC=5")
                   .arg(0x1F)
            << "CFG" << 23 << "[15:8]" << 0x1Fu << 22 << "CRC"
            << "5";
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
        QFETCH(QString, attribute);
        Register r(definition, QString());
        QCOMPARE(r.name(), name);
        QCOMPARE(r.size(), bits);
        QVERIFY(!r.isReadOnly());
        QCOMPARE(r.getField(field), value);
        if (!key.isEmpty()) {
            QVERIFY(r.bitAt(bit)->hasAttribute(key));
            QCOMPARE(r.bitAt(bit)->attribute(key), attribute);
        }
        QCOMPARE(r.maxFieldIndex() + 1, r.format("@name;", true).count(QLatin1Char(';')));
    }

    void width_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("bits");
        QTest::newRow("plain") << "NAME" << 1;
        QTest::newRow("[0]") << "NAME[0]" << 1;
        QTest::newRow("[5]") << "NAME[5]" << 5;
        QTest::newRow("[3:3]") << "NAME[3:3]" << 3;
        QTest::newRow("[7:0]") << "NAME[7:0]" << 8;
        QTest::newRow("[0:7]") << "NAME[0:7]" << 8;
        QTest::newRow("[20:0]") << "NAME[20:0]" << 21;
        QTest::newRow("[-4]") << "NAME[-4]" << 1;
        QTest::newRow("[-2:1]") << "NAME[-2:1]" << 4;
        QTest::newRow("long [20:0]") << "@field=NAME[20:0]" << 21;
        QTest::newRow("long no bracket") << "@bit=NAME" << 1;
        QTest::newRow("blanks") << "   " << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("no field key") << "@ADD=3" << 0;
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
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("warning");
        QTest::newRow("empty bracket") << "SpiIn4B[]"
                                       << "ERROR parsing field SpiIn4B[]";
        QTest::newRow("empty bracket long") << "@field=ALL[] @ADD=1"
                                            << "ERROR parsing field ALL[]";
        QTest::newRow("too wide") << "W[10001]"
                                  << "ERROR parsing field W[10001]";
        QTest::newRow("huge range") << "W[-2147483648:2147483647]"
                                    << "ERROR parsing field W[-2147483648:2147483647]";
        QTest::newRow("separators") << "A=5[3]"
                                    << "ERROR parsing field A=5[3]";
        QTest::newRow("long separators") << "@field=X#a:b"
                                         << "ERROR parsing field X#a:b";
    }

    void refusedItems()
    {
        QFETCH(QString, item);
        QFETCH(QString, warning);
        Register r;
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
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
        // The failing long item still named the register and set its attribute.
        QCOMPARE(r.name(), QStringLiteral("NEW"));
        QCOMPARE(r.attribute("BANK"), QStringLiteral("7"));
        QVERIFY(!r.bitAt(2)->hasAttribute("X"));

        // A definition item NAME[5]=37 keeps only the low five bits of the value.
        Register v("NAME[5]=37", "V");
        QCOMPARE(v.toBitString(true), QByteArray("10100"));
    }

    void readOnlyKey()
    {
        // After a field key "@readonly" is an attribute of the field's bits (see the applet
        // shapes); before it, it locks the register unless its value is 0.
        Register flag("@readonly @field=D[8]", "R");
        QVERIFY(flag.isReadOnly());
        QVERIFY(!flag.bitAt(0)->hasAttribute("readonly"));
        QVERIFY(!Register("@readonly=0 @field=D[8]", "R").isReadOnly());
        QVERIFY(Register("@readonly=2;", "R").isReadOnly());
    }

    void insertAtPosition()
    {
        Register r("A[2]=3;B[2]=0", "R");
        QCOMPARE(r.parseItem("M[3]=6", 1), 3);
        QCOMPARE(bitNames(r), QStringList({"A", "M", "M", "M", "A", "B", "B"}));
        QCOMPARE(r.getField("[M]"), 6u); // the field keeps its own bit order
        QCOMPARE(fieldIndices(r), QList<int>({0, 1, 1, 1, 2, 3, 3}));
        // A position past the end appends.
        QCOMPARE(r.parseItem("Z", 100), 1);
        QCOMPARE(r.bitAt(r.size() - 1)->name(), QStringLiteral("Z"));
        QCOMPARE(r.parseItem("Y[2]", std::numeric_limits<int>::max()), 2);
        QCOMPARE(r.bitAt(r.size() - 1)->name(), QStringLiteral("Y"));
        // setDefinition appends to the existing bits and stores the text.
        r.setDefinition("Q[2]");
        QCOMPARE(r.size(), 12);
        QCOMPARE(r.definition(), QStringLiteral("Q[2]"));
    }

    void constructorsAndFieldNumbering()
    {
        Register empty;
        QVERIFY(empty.isEmpty());
        QCOMPARE(empty.updateMode(), 1);

        Register sized(5, "SIZED");
        QCOMPARE(sized.size(), 5);
        QCOMPARE(bitNames(sized), QStringList(5, "_"));
        QCOMPARE(sized.name(), QStringLiteral("SIZED"));
        sized.resize(3); // never shrinks
        QCOMPARE(sized.size(), 5);

        Register original("@REG=1;A[3]=5#first;B", "ORIG");
        original.setUpdateMode(0);
        const Register copy(original);
        QCOMPARE(copy.name(), QString());
        QVERIFY(copy.attributeKeys().isEmpty());
        QCOMPARE(copy.definition(), QString());
        QCOMPARE(copy.updateMode(), 1);
        QCOMPARE(bitNames(copy), bitNames(original));
        QCOMPARE(copy.bitAt(0)->description(), QStringLiteral("first"));
        QCOMPARE(copy.getField("[A]"), 5u);
        QVERIFY(copy.bitAt(0) != original.bitAt(0));

        Register r("[2];A;A;B;A;[1]", "R");
        QCOMPARE(bitNames(r), QStringList({"", "", "A", "A", "B", "A", ""}));
        QCOMPARE(fieldIndices(r), QList<int>({-1, -1, 0, 0, 1, 2, 3}));
        QCOMPARE(r.maxFieldIndex(), 3);
        QCOMPARE(Register().maxFieldIndex(), 0);
        QCOMPARE(Bit().fieldIndex(), 1);
    }

    void assignAndLayout()
    {
        Register a("X[4]=9", "A");
        Register b("X[4]=2", "B");
        QVERIFY(b.sameLayout(&a));
        QSignalSpy spy(&b, &Register::signal_updateSet);
        QVERIFY(b.assign(a));
        QCOMPARE(b.getField("[X]"), 9u);
        QCOMPARE(spy.count(), 0);

        Register other("Y[4]", "O");
        QVERIFY(!other.sameLayout(&a));
        QVERIFY(!other.sameLayout(nullptr));
        QVERIFY(!other.assign(a));
        QCOMPARE(other.getField("[Y]"), 0u);

        Register fresh;
        fresh = a;
        QCOMPARE(bitNames(fresh), QStringList(4, "X"));
        QCOMPARE(fresh.getField("[X]"), 9u);
        const Register empty1;
        const Register empty2;
        QVERIFY(!empty1.sameLayout(&empty2));
    }

    void structureKeepsNameLookupCorrect()
    {
        Register r("A[2]=3;B[3]=5;C", "R");
        QCOMPARE(r.indexOf("B"), 2);
        r.removeBits("A");
        QCOMPARE(r.indexOf("B"), 0);
        QCOMPARE(r.getField("[B]"), 5u);
        QVERIFY(!r.contains("A"));

        r.bitAt(1)->setName("D"); // rename through the bit record
        QCOMPARE(r.indexOf("D"), 1);
        QCOMPARE(r.getField("[B]"), 0b11u); // bits 0 and 2 are still "B"
        QVERIFY(r.setField("[D]", 0));

        Bit *inserted = new Bit;
        inserted->setName("E");
        inserted->setValue(1);
        r.insertBit(inserted, 0);
        QCOMPARE(r.indexOf("E"), 0);
        QCOMPARE(r.bitByName("E"), inserted);
        QCOMPARE(r.bitByName("C"), r.bitAt(r.size() - 1));
        QVERIFY(!r.bitByName("nothing"));

        Register tail("F[2]", "T");
        r.appendBits(tail);
        QCOMPARE(r.indexOf("F"), r.size() - 2);
        r.setBitByName("F", 1);
        QCOMPARE(r.getField("[F]"), 1u);
        r.setBitByName("", 1); // an empty name does nothing
        r.clear();
        QVERIFY(!r.contains("F"));
        QCOMPARE(r.getField("[F]"), 0u);
    }

    void updateModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("changedEmits");
        QTest::addColumn<int>("unchangedEmits");
        QTest::newRow("0 every write") << 0 << 1 << 1;
        QTest::newRow("1 on change") << 1 << 1 << 0;
        QTest::newRow("2 never") << 2 << 0 << 0;
        QTest::newRow("-1 never") << -1 << 0 << 0;
    }

    void updateModes()
    {
        QFETCH(int, mode);
        QFETCH(int, changedEmits);
        QFETCH(int, unchangedEmits);

        Register r(16, "R16");
        r.setUpdateMode(mode);
        QSignalSpy spy(&r, &Register::signal_updateSet);

        QVERIFY(r.setField("[3:0]", 0x1F));
        QCOMPARE(r.getField("[15:0]"), 0xFu);
        QCOMPARE(spy.count(), changedEmits);
        QVERIFY(r.setField("[3:0]", 0x1F));
        QCOMPARE(spy.count(), changedEmits + unchangedEmits);
        if (!spy.isEmpty())
            QCOMPARE(spy.first().first().toString(), QStringLiteral("R16"));

        // Named writes and whole-value writes follow the same mode.
        Register named("A[4];B[4]", "N");
        named.setUpdateMode(mode);
        QSignalSpy namedSpy(&named, &Register::signal_updateSet);
        QVERIFY(named.setField("N[B]", 6));
        named.setValue(0x60, true);
        QCOMPARE(namedSpy.count(), changedEmits + unchangedEmits);
        named.setValue(0x06, false); // value bit i lands on bit 7 - i
        QCOMPARE(named.getField("[B]"), 6u);
        QCOMPARE(named.getField("[A]"), 0u);
    }

    void emptyRangeWrites()
    {
        for (int mode : {0, 1}) {
            Register r(16, "R");
            r.setUpdateMode(mode);
            QSignalSpy spy(&r, &Register::signal_updateSet);
            QVERIFY(!r.setField("[20:16]", 1));
            QCOMPARE(r.toBitString(true), QByteArray(16, '0'));
            QCOMPARE(spy.count(), mode == 0 ? 1 : 0);
            QVERIFY(!r.setValue(-1, -1, 1)); // compared as unsigned: far above the top
            QCOMPARE(r.toBitString(true), QByteArray(16, '0'));
        }
        Register r(8, "R");
        QVERIFY(r.setValue(9, 6, 0xF)); // clamped to 6..7
        QCOMPARE(r.toBitString(false), QByteArray("11000000"));
        QVERIFY(r.setField("R[]", 0xA5));
        QCOMPARE(r.value(true), 0xA5u);
    }

    void assignmentFromNumber()
    {
        Register r(12, "R");
        r = 0xABCu;
        QCOMPARE(r.value(true), 0xABCu);

        Register wide(33, "W");
        wide.setUpdateMode(0);
        QSignalSpy spy(&wide, &Register::signal_updateSet);
        wide = 0xFFFFFFFFu; // only registers of 1 to 32 bits take a number
        QCOMPARE(wide.toBitString(true), QByteArray(33, '0'));
        QCOMPARE(spy.count(), 1);

        Register quiet(8, "Q");
        QSignalSpy quietSpy(&quiet, &Register::signal_updateSet);
        quiet = 0u;
        QCOMPARE(quietSpy.count(), 0);
        quiet = 1u;
        QCOMPARE(quietSpy.count(), 1);
    }

    void viewWritesAnnouncedByParent()
    {
        Register r("A[4];B[4]", "PARENT");
        r.setUpdateMode(0);
        Register *view = r.select("B");
        QCOMPARE(view->updateMode(), 0); // the root's mode
        QSignalSpy parentSpy(&r, &Register::signal_updateSet);
        QSignalSpy viewSpy(view, &Register::signal_updateSet);

        view->setValue(5, true); // root's mode 0: announced by the parent
        QCOMPARE(r.getField("[B]"), 5u);
        QCOMPARE(parentSpy.count(), 1);
        QCOMPARE(parentSpy.first().first().toString(), QStringLiteral("PARENT"));

        QVERIFY(view->setValue(0, 3, 5)); // the view's own mode (1): unchanged, silent
        QCOMPARE(parentSpy.count(), 1);
        QVERIFY(view->setValue(0, 3, 6));
        QCOMPARE(parentSpy.count(), 2);

        view->fill(1);
        QCOMPARE(parentSpy.count(), 3);
        view->reverse(); // announced by the view itself
        QCOMPARE(parentSpy.count(), 3);
        QCOMPARE(viewSpy.count(), 1);
        QCOMPARE(r.getField("[B]"), 0xFu);
    }

    void readsAnnounceGet()
    {
        Register r("A[4]=3;B[4]=1", "R");
        QSignalSpy get(&r, &Register::signal_updateGet);
        QSignalSpy set(&r, &Register::signal_updateSet);
        r.value(0, 3);
        QCOMPARE(get.count(), 1);
        r.value(true);
        QCOMPARE(get.count(), 2);
        QCOMPARE(r.toUInt(), 0x13u);
        QCOMPARE(get.count(), 4);
        r.getField("[A]");
        r.getField("[7:0]");
        r.bit(0);
        r.toBitString(true);
        r.format("@name", true);
        r.crc(8, 0xFF, 0x107);
        QCOMPARE(get.count(), 4);
        QCOMPARE(set.count(), 0);
        r.setBit(1, 1);
        r.setBitByName("B", 0);
        r.setFromBitString("1111");
        r.shiftUp(1);
        r.shiftDown(2, true);
        r.assign(Register("A[4];B[4]", "X"));
        QCOMPARE(set.count(), 0);
    }

    void valuesByRangeAndOrder()
    {
        Register r(8, "R");
        r.setValue(0b1101'0010, true);
        QCOMPARE(r.toBitString(true), QByteArray("01001011"));
        QCOMPARE(r.value(true), 0xD2u);
        QCOMPARE(r.value(false), 0x4Bu);
        QCOMPARE(r.value(1, 4), 0b1001u);
        QCOMPARE(r.value(4, 1), 0b1001u);
        QCOMPARE(r.value(6, 20), 0b11u);
        QCOMPARE(r.value(8, 9), 0u);
        QCOMPARE(r.value(-2, 1), 0b1000u); // bits below 0 are skipped but keep their place
        QCOMPARE(r.getField("[-2:1]"), 0b1000u);
        QCOMPARE(r.getField("R"), 0u); // no bracket: bit 0
        QVERIFY(r.setField("R", 1));
        QCOMPARE(r.bit(0), 1);

        r.setValue(0b1, false); // value bit 0 to bit 7
        QCOMPARE(r.toBitString(true), QByteArray("00000001"));
    }

    void numbersWiderThan32Bits()
    {
        Register r(40, "R40");
        QVERIFY(r.setField("[]", 0x800000FFu));
        // Bits 32..39 repeat value bits 0..7.
        QCOMPARE(r.toBitString(true).mid(32), QByteArray("11111111"));
        QCOMPARE(r.bit(31), 1);
        r.setValue(0, 31, 0);
        QCOMPARE(r.getField("[]"), 0xFFu);
        r.fill(0);
        r.setBit(33, 1);
        QCOMPARE(r.getField("[]"), 0x2u); // ORed into result bit 1
        QCOMPARE(r.value(0, 39), 0x2u);
        QCOMPARE(r.value(true), 0x2u);

        Register named("W[36]", "N");
        QVERIFY(named.setField("[W]", 0xF000000Fu));
        QCOMPARE(named.toBitString(true).mid(28), QByteArray("11111111"));
        QCOMPARE(named.getField("[W]"), 0xF000000Fu);
        named.setBit(1, 0);
        QCOMPARE(named.getField("[W]"), 0xF000000Fu); // bit 33 still ORs into result bit 1
    }

    void separatedFieldsWrittenAsOne()
    {
        Register r("NAME[2];MID[3];NAME[2]", "R");
        QVERIFY(r.setField("[NAME]", 0b1101));
        QCOMPARE(r.toBitString(true), QByteArray("1000011"));
        QCOMPARE(r.getField("R[NAME]"), 0b1101u);
        // Several names and bit numbers in one bracket.
        QVERIFY(r.setField("[MID;0]", 0b0111));
        QCOMPARE(r.getField("[MID]"), 0b111u);
        QCOMPARE(r.bit(0), 0);
        QCOMPARE(r.getField("[NAME;MID]"), 0b1111100u); // NAME bits first, then MID
    }

    void missingField()
    {
        Register r("A[4]", "REG");
        r.setUpdateMode(0);
        QSignalSpy spy(&r, &Register::signal_updateSet);
        QCOMPARE(r.getField("REG[MISSING]"), 0u);
        QVERIFY(!r.setField("REG[MISSING]", 3));
        QCOMPARE(spy.count(), 0);
        QTest::ignoreMessage(QtWarningMsg, "ERROR parsing field A=1[2]");
        QVERIFY(!r.setField("A=1[2]", 1));
        QTest::ignoreMessage(QtWarningMsg, "ERROR parsing field A#:");
        QCOMPARE(r.getField("A#:"), 0u);
    }

    void fieldInfo()
    {
        Register r("VSETPOINT[6:0]#Boost voltage;EN#Boost enable", "R");
        QString name;
        QString description;
        QVERIFY(r.fieldInfo(&name, &description, "R[EN]"));
        QCOMPARE(name, QStringLiteral("EN"));
        QCOMPARE(description, QStringLiteral("Boost enable"));
        QVERIFY(r.fieldInfo(&name, &description, "[3]"));
        QCOMPARE(name, QStringLiteral("VSETPOINT"));
        QCOMPARE(description, QStringLiteral("Boost voltage"));
        QVERIFY(r.fieldInfo(nullptr, nullptr, "[7]"));
        QVERIFY(!r.fieldInfo(&name, &description, "[8]"));
        QVERIFY(!r.fieldInfo(&name, &description, "[-1]"));
        QVERIFY(!r.fieldInfo(&name, &description, "[NONE]"));
        QTest::ignoreMessage(QtWarningMsg, "ERROR parsing field X=[");
        QVERIFY(!r.fieldInfo(&name, &description, "X=["));
    }

    void setFieldsFromAttribute()
    {
        Register r("@field=A[4] @INIT=9;@field=B[2] @INIT=x;@field=C[3];@field=A[2] @INIT=1;[2]=3",
                   "R");
        r.setUpdateMode(2);
        r.fill(1);
        QSignalSpy spy(&r, &Register::signal_updateSet);
        r.setFieldsFromAttribute("INIT");
        // A is written from its first bit's attribute across both of its runs; B's text is not a
        // number and C has no attribute: both read as 0. The unnamed bits are left alone.
        QCOMPARE(fields(r, {"A", "B", "C", "13:11"}), QList<quint32>({9, 0, 0, 0b11}));
        QCOMPARE(spy.count(), 1); // mode 2: only the final announcement
    }

    void setFromPairs()
    {
        Register r("A[4];B[4];C[4]", "R");
        QVERIFY(r.setFromPairs("A=3,,B=12,", ',', '='));
        QCOMPARE(fields(r, {"A", "B"}), QList<quint32>({3, 12}));
        QVERIFY(!r.setFromPairs("A=1,B,C=5", ',', '='));
        QCOMPARE(fields(r, {"A", "B", "C"}), QList<quint32>({1, 12, 0})); // ended at "B"
        QVERIFY(!r.setFromPairs("C=x;A=2", ';', '='));
        QCOMPARE(r.getField("[A]"), 1u);
        QVERIFY(!r.setFromPairs("C=1=2", ';', '='));
        QCOMPARE(r.getField("[C]"), 0u);
    }

    void virtualFields()
    {
        Register r("A[4]", "R");
        QVERIFY(!r.addVirtual("V", "d", nullptr));
        StoredVirtual refused;
        QVERIFY(!r.addVirtual("A", "d", &refused)); // a bit carries the name
        QVERIFY(!r.addVirtual("", "d", &refused));
        auto *v = new StoredVirtual;
        QVERIFY(r.addVirtual("V", "virtual one", v));
        QCOMPARE(v->owner(), &r);
        QVERIFY(r.setField("[V]", 21));
        QCOMPARE(r.getField("[V]"), 42u);
        QString name;
        QString description;
        QVERIFY(!r.fieldInfo(&name, &description, "[V]"));
        QCOMPARE(name, QStringLiteral("V"));
        QCOMPARE(description, QStringLiteral("virtual one"));
        QCOMPARE(r.format("@name=@value;", true, true), QStringLiteral("A[4]=0;V[]=42;"));
        QCOMPARE(r.format("@bitn|@group|@purename|@value_hex|@descr;", true, true),
                 QStringLiteral("0:3 |0|A|0|;virtual||V|2a|virtual one;"));
    }

    void selectForms()
    {
        Register r("@field=A[2] @ADD=1;@field=B[3] @ADD=2;@field=A[1] @ADD=1;C", "R");
        auto indices = [&r](Register *view) {
            QList<int> result;
            for (int i = 0; i < view->size(); ++i) {
                for (int k = 0; k < r.size(); ++k) {
                    if (r.bitAt(k) == view->bitAt(i))
                        result << k;
                }
            }
            return result;
        };
        QCOMPARE(indices(r.select(1, 3)), QList<int>({1, 2, 3}));
        QCOMPARE(indices(r.select(-5, 100)), QList<int>({0, 1, 2, 3, 4, 5, 6}));
        QCOMPARE(indices(r.select(4, -1)), QList<int>({4, 5, 6}));
        QCOMPARE(indices(r.select(5, 2)), QList<int>());
        QCOMPARE(indices(r.select("A")), QList<int>({0, 1, 5}));
        QCOMPARE(indices(r.select(QString("C;1:2;0;9;B"))), QList<int>({6, 1, 2, 0, 2, 3, 4}));
        QCOMPARE(indices(r.select(QStringList{"3:1", "6", "A"})), QList<int>({6, 0, 1, 5}));
        QCOMPARE(indices(r.select(QStringList{"1 ", "x1"})), QList<int>());
        QCOMPARE(indices(r.select(QStringList{"99999999999999999999:3", "5:99999999999999999999"})),
                 QList<int>({5, 6}));
        QCOMPARE(indices(r.selectByAttribute("ADD", "2")), QList<int>({2, 3, 4}));
        QCOMPARE(indices(r.selectByAttribute("ADD", "")), QList<int>({6}));
        QCOMPARE(indices(r.selectByAttributes("ADD", {"2", "1"})), QList<int>({2, 3, 4, 0, 1, 5}));
        QVERIFY(r.view()->isView());
        QCOMPARE(r.view()->name(), QStringLiteral("R"));
        QCOMPARE(r.view()->parentRegister(), &r);
    }

    void selectIntoTheOneViewOrATarget()
    {
        Register r(8, "R");
        Register *first = r.select(2, 5);
        QCOMPARE(first->size(), 4);
        Register *second = r.select(0, 0);
        QCOMPARE(first, second);
        QCOMPARE(first->size(), 1);
        QCOMPARE(first->bitAt(0), r.bitAt(0));
        // Clearing the view deletes no bit of the register.
        r.clearView();
        QCOMPARE(first->size(), 0);
        QCOMPARE(r.size(), 8);
        r.clear();
        QCOMPARE(first->size(), 0);

        Register split("A[2];B[3];A[1]", "R");
        Register target(4, "T");
        QCOMPARE(split.selectRange(&target, 1, 3), &target);
        QVERIFY(target.isView());
        QCOMPARE(target.size(), 3);
        QCOMPARE(target.bitAt(0), split.bitAt(1));
        target.fill(1);
        QCOMPARE(split.toBitString(true), QByteArray("011100"));
        QCOMPARE(split.selectFieldIndex(&target, 2), &target);
        QCOMPARE(target.size(), 1);
        QCOMPARE(target.bitAt(0), split.bitAt(5));
        QVERIFY(!split.selectRange(nullptr, 0, 1));
        QVERIFY(!split.selectRange(&split, 0, 1));
        QCOMPARE(split.size(), 6);
        // The view of a register never takes the select into another target.
        QVERIFY(!split.view());
    }

    void internalOperationsLeaveViewAlone()
    {
        Register r("@field=A[2] @K=1;@field=B[3] @K=5;C[2]", "R");
        Register *view = r.select("C");
        QVERIFY(r.setField("[A]", 3));
        QCOMPARE(r.getField("[B]"), 0u);
        r.setFieldsFromAttribute("K");
        QCOMPARE(r.getField("[B]"), 5u);
        r.setFromPairs("A=2", ';', '=');
        QString name;
        r.fieldInfo(&name, nullptr, "[B]");
        r.format("@name", true);
        r.crc(8, 0xFF, 0x107);
        QCOMPARE(view->size(), 2);
        QCOMPARE(view->bitAt(0), r.bitAt(5));
        QCOMPARE(view->bitAt(1), r.bitAt(6));
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
        r.setBit(4, 0); // skipped silently
        r.setBit(-1, 0);
        QCOMPARE(r.value(true), 0xFu);
        Register empty;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("bit 0 outside"));
        QCOMPARE(empty.bit(0), 0);
    }

    void attributesAndModes()
    {
        Register r("@X=1;A", "R");
        QCOMPARE(r.attribute("MISSING"), QString());
        QCOMPARE(r.attributeKeys(), QStringList({"X"}));
        QCOMPARE(r.bitAt(0)->attribute("MISSING"), QString());
        QVERIFY(r.bitAt(0)->attributeKeys().isEmpty());
        r.setUpdateMode(7);
        Register *view = r.select(0, 0);
        QCOMPARE(view->updateMode(), 7);

        Bit bit;
        bit = true;
        QCOMPARE(bit.value(), quint8(1));
        bit.toggle();
        QCOMPARE(bit.value(), quint8(0));
        bit.setAttribute("K", "v");
        bit.setName("N");
        Bit copy;
        copy = bit;
        QCOMPARE(copy.name(), QStringLiteral("N"));
        QCOMPARE(copy.attribute("K"), QStringLiteral("v"));
        // The copy's attributes are its own: changing one leaves the other alone.
        copy.setAttribute("K", "w");
        copy.setAttribute("L", "x");
        QCOMPARE(bit.attribute("K"), QStringLiteral("v"));
        QCOMPARE(bit.attributeKeys(), QStringList({"K"}));
        QCOMPARE(copy.attributeKeys(), QStringList({"K", "L"}));
        const Register source("@field=F[2] @ADD=1", "S");
        Register duplicate(source);
        duplicate.bitAt(0)->setAttribute("ADD", "2");
        QCOMPARE(source.bitAt(0)->attribute("ADD"), QStringLiteral("1"));
    }

    void connectTo()
    {
        Register r(8, "BOUND");
        Receiver receiver;
        QVERIFY(!r.view());
        r.connectTo(&receiver, SLOT(slot_updateSet(QString)), SLOT(slot_updateGet(QString)));
        QVERIFY(r.view());
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
