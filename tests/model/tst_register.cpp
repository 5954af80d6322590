#include "fieldspec.h"
#include "register.h"

#include <QSignalSpy>
#include <QtTest>

#include <tuple>
#include <utility>

namespace
{

// The fields of a register, one "name=value;" each (names carry the width of wider fields).
QString fields(const Register &r)
{
    return r.format("@name=@value;", true);
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

class StoredVirtual : public Register::Virtual
{
public:
    void setValue(quint32 value) override { m_value = value * 2; }
};

// Tells when it is deleted.
class TrackedVirtual : public Register::Virtual
{
public:
    explicit TrackedVirtual(bool *gone) : m_gone(gone) {}
    ~TrackedVirtual() override { *m_gone = true; }
    void setValue(quint32 value) override { m_value = value; }

private:
    bool *m_gone;
};

} // namespace

class TestRegister : public QObject
{
    Q_OBJECT
public slots: // connected by slot names, as applets do
    void slot_updateSet(QString name) { m_sets << name; }
    void slot_updateGet(QString name) { m_gets << name; }

private slots:
    // Short and long forms as the applets write them: the register's name, lock and fields.
    void definitions()
    {
        for (auto [definition, name, readOnly, expected] : {
                 std::tuple{QString("VSETPOINT[6:0]#Boost voltage;EN#Boost enable;SRC"), QString(),
                            false, QString("VSETPOINT[7]=0;EN=0;SRC=0;")},
                 {"SYNC[8]=85;PID1[8]=3;PID2[8]=0x80;", "", false, "SYNC[8]=85;PID1[8]=3;PID2[8]=128;"},
                 {"NAME[5]=37;X[0:7]=511;Y[-2:1]", "", false, "NAME[5]=5;X[8]=255;Y[4]=0;"},
                 {"@register=SPI_MAPP404;@field=NOP[20:0] @value=0 @ADD=0 @DATA=1;"
                  "@field=CMD[3] @value=0x5 @descr=Command code @ADD=1;",
                  "SPI_MAPP404", false, "NOP[21]=0;CMD[3]=5;"},
                 // Value and description inside the field expression are ignored; the last key
                 // decides; values run over lines; bare keys.
                 {"@field=A[4]=9#inside @bit=B[2] @value=3", "", false, "B[2]=3;"},
                 {"@register=U\n@readonly\n@name=M[2] @descr=first\nsecond\n@value=3", "U", true,
                  "M[2]=3;"},
                 {"@readonly=0 @field=D[8]", "", false, "D[8]=0;"}, {"@readonly=2;", "", true, ""},
                 {"@register=RQ_OTP;@field=SA[4:0]    @value=0;@field=FT[1:0]    @value=3;"
                  "@field=CSID[4:0]    @value=10;@field=B  @value=0;",
                  "RQ_OTP", false, "SA[5]=0;FT[2]=3;CSID[5]=10;B=0;"},
                 {"@register=CFG @BANK=2;SYNC[8]=85;PID1[8]=31;@field=CRC1[6:0] @CRC=5", "CFG",
                  false, "SYNC[8]=85;PID1[8]=31;CRC1[7]=0;"}}) {
            Register r(definition, QString());
            QCOMPARE(r.name(), name);
            QCOMPARE(r.isReadOnly(), readOnly);
            QCOMPARE(fields(r), expected);
        }
        // Attributes before the field key belong to the register, after it to the bits; a later
        // entry replaces an earlier one and keys keep their order.
        Register attrs("@REG=1 @BANK=2 @CRC=3 @REG=4;@field=F[2] @DATA=5 @ADD=0 @DATA=6", "R");
        QCOMPARE(attrs.attributeKeys().join(',') + attrs.attribute("REG"), "REG,BANK,CRC4");
        QCOMPARE(attrs.bitAt(1)->attributeKeys().join(',') + attrs.bitAt(1)->attribute("DATA"),
                 "DATA,ADD6");
        QVERIFY(Register("@ADD=1 @field=F[3:0]", "R").bitAt(0)->attributeKeys().isEmpty());
    }

    // parseItem: the bits an item creates; a refused item creates none and says so.
    void items()
    {
        for (auto [item, bits, shown] :
             {std::tuple{QString("NAME"), 1, QString()}, {"NAME[0]", 1, ""}, {"NAME[3:3]", 3, ""},
              {"NAME[0:7]", 8, ""}, {"NAME[-2:1]", 4, ""}, {"@field=NAME[20:0]", 21, ""},
              {"@bit=NAME", 1, ""}, {"   ", 0, ""}, {"@ADD=3", 0, ""},
              {"SpiIn4B[]", 0, "SpiIn4B[]"}, {"@field=ALL[] @ADD=1", 0, "ALL[]"},
              {"W[10000]", 10000, ""}, {"W[10001]", 0, "W[10001]"},
              {"W[-2147483648:2147483647]", 0, "W[-2147483648:2147483647]"},
              {"A=5[3]", 0, "A=5[3]"}, {"@field=F=1[2] @ADD=1", 0, "F=1[2]"},
              {"@field=A[2] @bit=F=1[2]", 0, "F=1[2]"}, {"N[ \t]", 1, ""}}) {
            Register r;
            if (!shown.isEmpty())
                QTest::ignoreMessage(QtWarningMsg, qPrintable("ERROR parsing field " + shown));
            QCOMPARE(r.parseItem(item, -1), bits);
            QCOMPARE(r.size(), bits);
        }
        // A refused item keeps the work before and after it.
        QTest::ignoreMessage(QtWarningMsg, "ERROR parsing field B=1[2]");
        QTest::ignoreMessage(QtWarningMsg, "ERROR parsing field F=1[2]");
        Register r("A[2]=3;B=1[2];;  ;@register=NEW @BANK=7 @field=F=1[2] @X=1;C", "R");
        QCOMPARE(fields(r), QStringLiteral("A[2]=3;C=0;"));
        QCOMPARE(r.name() + r.attribute("BANK"), QStringLiteral("NEW7"));
        QVERIFY(!r.bitAt(2)->hasAttribute("X"));
    }

    void structure()
    {
        Register r("A[2]=3;B[2]=0", "R");
        QCOMPARE(r.parseItem("M[3]=6", 1), 3); // inserted inside A: a field of its own
        QCOMPARE(r.format("@name@group=@value;", true), "A0=1;M[3]1=6;A2=1;B[2]3=0;");
        QCOMPARE(r.parseItem("Y[2]", std::numeric_limits<int>::max()), 2);
        QCOMPARE(r.bitAt(r.size() - 1)->name(), QStringLiteral("Y"));
        const Register grouped("[2];A;A;B;A;[1]", "R");
        QCOMPARE(grouped.format("@group,", false), "-1,-1,0,0,1,2,3,");
        QCOMPARE(grouped.maxFieldIndex(), 3);
        QCOMPARE(Register().maxFieldIndex(), 0);
        QCOMPARE(Register("A", "R").format("@group,", false), "0,"); // one bit is a field too
        Register lone("A[2]", "R"); // a one-bit item renumbers the fields too
        QCOMPARE(lone.parseItem("C", 0), 1);
        QCOMPARE(lone.format("@group,", false), "0,1,1,");
        // assign() copies values between registers of one layout, silently.
        Register a("X[4]=9", "A");
        Register b("X[4]=2", "B");
        QSignalSpy spy(&b, &Register::signal_updateSet);
        QVERIFY(b.assign(a));
        QCOMPARE(b.getField("[X]"), 9u);
        QCOMPARE(spy.count(), 0);
        QVERIFY(!Register("Y[4]", "O").assign(a));
        Register narrow("X[3]=1", "N"); // the same name but another width: nothing copied
        QVERIFY(!narrow.assign(a) && !narrow.sameLayout(&a));
        QCOMPARE(narrow.value(true), 1u);
        Register empty, assigned; // take the layout too
        QVERIFY(empty.assign(a));
        assigned = a;
        for (const Register *copy : {&empty, &assigned}) {
            QVERIFY(copy->sameLayout(&a));
            QCOMPARE(copy->getField("[X]"), 9u);
        }
        Register one("X=1", "O"), none; // to itself: true for any layout, even one bit
        QVERIFY(one.assign(one) && !none.assign(none));
        QVERIFY(!a.sameLayout(nullptr));
        QVERIFY(empty == a && !(Register("X[4]=8", "C") == a)); // every bit compared, bit 0 too
        QVERIFY(!Register("Z;X[3]", "Z").sameLayout(&a)); // only the first name differs
        QVERIFY(!Register().sameLayout(&a));
    }

    // The name lookup follows removals, renames through the bit record and insertions.
    void structureKeepsNameLookupCorrect()
    {
        Register r("A[2]=3;B[3]=5;C", "R");
        r.removeBits("A");
        QCOMPARE(r.getField("[B]"), 5u);
        r.bitAt(1)->setName("D");
        QCOMPARE(r.getField("[B]"), 0b11u);
        Bit *inserted = new Bit;
        inserted->setName("E");
        QCOMPARE(r.indexOf("C"), 3); // looked up once the new bit is named: then inserted
        r.insertBit(inserted, 0);
        QCOMPARE(r.indexOf("C"), 4);
        r.appendBits(Register("F[2]", "T"));
        QCOMPARE(r.format("@name@group;", true), QStringLiteral("E0;B1;D2;B3;C4;F[2]5;"));
        QVERIFY(r.bitByName("E") == inserted && r.indexOf("F") == 5);
        r.setBitByName("F", 1);
        QCOMPARE(r.getField("[F]"), 1u);
    }

    // Name lookups stay right when the bits behind them change: a definition set anew, a
    // cleared register, a view or a target filled again. Fields are named by any ASCII letter.
    void lookupsFollowNewBits()
    {
        Register r;
        r.setDefinition("A[2]=1;Z[3]=5;z[2]=2");
        QCOMPARE(r.format("@name;", true), QStringLiteral("A[2];Z[3];z[2];"));
        QCOMPARE(r.getField("[Z]") * 10 + r.getField("[z]"), 52u);
        r.clear();
        QCOMPARE(r.getField("[A]"), 0u);
        QCOMPARE(r.size(), 0);

        Register s("A[2]=1;B[3]=5", "S");
        Register *view = s.select("A");
        QCOMPARE(view->indexOf("A"), 0);
        QCOMPARE(s.select("B"), view);
        QCOMPARE(view->getField("[B]"), 5u);
        view->resize(8); // a view never grows bits of its own
        QCOMPARE(view->size(), 3);
        Register grown("A[2];B[3]", "G");
        QCOMPARE(grown.select(QStringList{"B"})->size(), 3);
        grown.parseItem("Z", 0); // names are looked up in the new layout
        QCOMPARE(grown.select(QStringList{"B"})->bitAt(0), grown.bitAt(3));
        grown.resize(8); // grown bits are numbered into fields
        QCOMPARE(grown.format("@group,", false), QStringLiteral("0,1,1,2,2,2,3,3,"));

        Register target(4, "T");
        QCOMPARE(s.selectRange(&target, 0, 1)->indexOf("A"), 0);
        s.selectRange(&target, 2, 4);
        QCOMPARE(target.getField("[B]"), 5u);
        QCOMPARE(target.indexOf("A"), -1);
    }

    // Mode 0 announces every write, 1 (the default) a change, 2 and others never.
    void updateModes()
    {
        for (auto [mode, changedEmits, unchangedEmits] :
             {std::tuple{0, 1, 1}, {1, 1, 0}, {2, 0, 0}, {-1, 0, 0}}) {
            Register r("A[4];B[12]", "R16");
            r.setUpdateMode(mode);
            QSignalSpy spy(&r, &Register::signal_updateSet);
            QVERIFY(r.setField("[3:0]", 0x1F));
            QCOMPARE(r.getField("[15:0]"), 0xFu);
            QCOMPARE(spy.count(), changedEmits);
            QVERIFY(r.setField("R16[A]", 0xF));
            QCOMPARE(spy.count(), changedEmits + unchangedEmits);
            QVERIFY(!r.setField("[20:16]", 1)); // an empty range writes nothing
            QVERIFY(!r.setValue(-1, -1, 1));    // compared as unsigned: far above the top
            QCOMPARE(r.value(true), 0xFu);
        }
        Register r(12, "R");
        QSignalSpy spy(&r, &Register::signal_updateSet);
        r = 0u;
        r = 0xABCu; // mode 1: only the change is announced
        QCOMPARE(r.value(true), 0xABCu);
        QCOMPARE(spy.count(), 1);
        r.setValue(0xABCu);
        r.setValue(0x3D5u, false); // the same bits, most significant first
        QCOMPARE(spy.count(), 1);
        QVERIFY(r.setValue(4, 4, 1)); // one bit, unchanged and unannounced: still written
        QCOMPARE(spy.count(), 1);
        Register wide(33, "W");
        wide = 0xFFFFFFFFu; // only registers of 1 to 32 bits take a number
        QCOMPARE(wide.toBitString(true), QByteArray(33, '0'));
        Register full(32, "F"); // the widest that takes one
        full = 0x80000001u;
        QCOMPARE(full.value(true), 0x80000001u);
        // Named fields written by pairs: only a change is announced; a bit takes a truth value.
        Register pairs("A[2];B[2]", "P");
        QSignalSpy pairSpy(&pairs, &Register::signal_updateSet);
        QVERIFY(pairs.setFromPairs("A=3", ';', '=') && pairs.setFromPairs("A=3", ';', '='));
        QCOMPARE(pairSpy.count(), 1);
        Bit bit;
        bit = true;
        QCOMPARE(bit.value(), quint8(1));
        bit = false;
        QCOMPARE(bit.value(), quint8(0));
        // A register keeps its own mode though it names a parent; a view takes its root's.
        Register parent(4, "P");
        parent.setUpdateMode(2);
        r.setParentRegister(&parent);
        QCOMPARE(r.updateMode(), 1);
        r.setIsView(true);
        QCOMPARE(r.updateMode(), 2);
    }

    void viewWritesAnnouncedByParent()
    {
        Register r("A[4];B[4]", "PARENT");
        r.setUpdateMode(0);
        Register *view = r.select("B");
        QSignalSpy parentSpy(&r, &Register::signal_updateSet);
        view->setValue(5, true); // root's mode 0: announced by the parent
        QCOMPARE(r.getField("[B]"), 5u);
        QCOMPARE(parentSpy.count(), 1);
        QCOMPARE(parentSpy.first().first().toString(), QStringLiteral("PARENT"));
        QVERIFY(view->setValue(0, 3, 5)); // the view's own mode (1): unchanged, silent
        QCOMPARE(parentSpy.count(), 1);
        view->fill(1);
        QCOMPARE(parentSpy.count(), 2);
        QVERIFY(view->setValue(0, 3, 6)); // a change through the view: the parent announces it
        QCOMPARE(parentSpy.count(), 3);
        QCOMPARE(r.getField("[B]"), 6u);
        QVERIFY(view->setValue(0, 0, 1)); // one bit, announced by the parent too
        QCOMPARE(parentSpy.count(), 4);
        QCOMPARE(r.getField("[B]"), 7u);
        r.clear(); // the view lets go of the deleted bits
        QCOMPARE(view->size(), 0);
        // A receiver connected by slot names hears sets and gets, also through the view.
        Register bound(8, "BOUND");
        QVERIFY(!bound.view());
        bound.connectTo(this, SLOT(slot_updateSet(QString)), SLOT(slot_updateGet(QString)));
        QVERIFY(bound.view() && bound.view()->isView()); // binding creates the view
        QVERIFY(bound.setField("[2]", 1));
        bound.value(true);
        bound.select(0, 3)->setValue(0xF, true);
        QCOMPARE(m_sets, QStringList({"BOUND", "BOUND"}));
        QCOMPARE(m_gets, QStringList({"BOUND"}));
    }

    void onlyWholeValueReadsAnnounce()
    {
        Register r("A[4]=3;B[4]=1", "R");
        QSignalSpy get(&r, &Register::signal_updateGet);
        QSignalSpy set(&r, &Register::signal_updateSet);
        QCOMPARE(r.value(0, 3) + r.toUInt(), 0x16u);
        r.getField("[A]");
        r.bit(0);
        r.toBitString(true);
        r.toHex();
        r.format("@name", true);
        QCOMPARE(get.count(), 4);
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
        r.setValue(0b1101'0010, false); // value bit i lands on bit 7 - i
        QCOMPARE(r.value(true), 0x4Bu);
        QVERIFY(r.setValue(9, 6, 0xF)); // clamped to 6..7
        QCOMPARE(r.toBitString(false), QByteArray("11001011"));
        QVERIFY(r.setField("R", 0)); // no bracket: bit 0
        QCOMPARE(r.bit(0), 0);
        // Wider than 32 bits: bits 32.. repeat 0.. when written and OR into them when read.
        Register w(40, "R40");
        QVERIFY(w.setField("[]", 0x800000FFu));
        QCOMPARE(w.toBitString(true).mid(31), QByteArray("111111111"));
        w.fill(0);
        w.setBit(33, 1);
        QCOMPARE(w.getField("[]"), 0x2u);
        QCOMPARE(w.value(true), 0x2u);
    }

    void namedFields()
    {
        Register r("NAME[2];MID[3];NAME[2]", "R");
        QVERIFY(r.setField("[NAME]", 0b1101));
        QCOMPARE(r.toBitString(true), QByteArray("1000011"));
        QVERIFY(r.setField("[MID;0]", 0b0111));
        QCOMPARE(r.getField("[MID]"), 0b111u);
        QCOMPARE(r.getField("[NAME;MID]"), 0b1111100u); // NAME bits first, then MID
        Register addr("B[2];ADD[4]", "R"); // a name may begin with any letter, 'A' too
        QVERIFY(addr.setField("[ADD]", 9));
        QCOMPARE(addr.value(true), 9u << 2);
        r.setUpdateMode(0);
        QSignalSpy spy(&r, &Register::signal_updateSet);
        QCOMPARE(r.getField("R[MISSING]"), 0u);
        QVERIFY(!r.setField("R[MISSING]", 3));
        QCOMPARE(spy.count(), 0);
        QTest::ignoreMessage(QtWarningMsg, "ERROR parsing field A=1[2]");
        QVERIFY(!r.setField("A=1[2]", 1));
        QTest::ignoreMessage(QtWarningMsg, "ERROR parsing field A=1[2]");
        QCOMPARE(r.getField("A=1[2]"), 0u);
        Register info("VSETPOINT[6:0]#Boost voltage;EN#Boost enable", "R");
        QString name;
        QString description;
        for (auto [expr, found, expected] :
             {std::tuple{"R[EN]", true, "EN:Boost enable"}, {"[0]", true, "VSETPOINT:Boost voltage"},
              {"[8]", false, ""}, {"[-1]", false, ""}, {"[NONE]", false, ""},
              {"A=1[2]", false, ""}}) {
            name.clear();
            description.clear();
            QCOMPARE(info.fieldInfo(&name, &description, expr), found);
            QCOMPARE(found ? name + ':' + description : QString(), QString(expected));
        }
    }

    void fieldBits_data()
    {
        QTest::addColumn<QString>("expr");
        QTest::addColumn<bool>("named");
        QTest::addColumn<QList<int>>("bits");
        QTest::newRow("name") << "R[MID]" << true << QList<int>{2, 3, 4};
        QTest::newRow("split name") << "[NAME]" << true << QList<int>{0, 1, 5, 6};
        QTest::newRow("items") << "[MID;0;5]" << true << QList<int>{2, 3, 4, 0, 5};
        QTest::newRow("range") << "[4:2]" << true << QList<int>{2, 3, 4};
        QTest::newRow("one bit") << "R[6]" << true << QList<int>{6};
        QTest::newRow("all") << "R[]" << true << QList<int>{0, 1, 2, 3, 4, 5, 6};
        QTest::newRow("no bracket") << "R" << true << QList<int>{0};
        QTest::newRow("range cut at both ends")
            << "[-2:9]" << true << QList<int>{0, 1, 2, 3, 4, 5, 6};
        QTest::newRow("range above the top") << "[8:12]" << true << QList<int>{};
        QTest::newRow("virtual") << "[V]" << false << QList<int>{};
        QTest::newRow("missing") << "R[NONE]" << false << QList<int>{};
    }

    // The bits an expression reads and writes, as getField and setField take them.
    void fieldBits()
    {
        QFETCH(QString, expr);
        QFETCH(bool, named);
        QFETCH(QList<int>, bits);
        Register r("NAME[2];MID[3];NAME[2]", "R");
        QVERIFY(r.addVirtual("V", "virtual", new StoredVirtual));
        QList<int> found{99};
        QCOMPARE(r.fieldBits(expr, &found), named);
        if (named)
            QCOMPARE(found, bits);
        QCOMPARE(r.fieldBits(expr, &found), named); // the second time from the cache
        for (int i = 0; i < r.size() && named; ++i) {
            r.fill(0);
            r.setBit(i, 1);
            QCOMPARE(r.getField(expr) != 0, bits.contains(i));
        }
    }

    // Parsed expressions are kept, but never past a change of the layout or of a bit's name,
    // and a refused expression is refused (and warned about) each time.
    void fieldCacheFollowsTheLayout()
    {
        Register r("A[2]=3;B[3]=5", "R");
        const quint64 first = r.layoutGeneration();
        QCOMPARE(r.getField("[B]"), 5u);
        QVERIFY(r.setField("[A]", 1));
        QCOMPARE(r.layoutGeneration(), first); // values are no layout
        r.bitAt(0)->setName("B");
        QVERIFY(r.layoutGeneration() != first);
        QCOMPARE(r.getField("[B]"), 0b1011u);
        QCOMPARE(r.getField("[A]"), 0u);
        QVERIFY(r.setField("[B]", 0));
        const quint64 renamed = r.layoutGeneration();
        r.removeBits("B");
        QVERIFY(r.layoutGeneration() != renamed);
        QCOMPARE(r.getField("[A]"), 0u);
        QCOMPARE(r.getField("[]"), 0u);
        QCOMPARE(r.size(), 1);
        r.parseItem("C[4]=9", -1);
        QCOMPARE(r.getField("[]"), 9u << 1);
        QList<int> bits;
        QVERIFY(r.fieldBits("[]", &bits) && bits.size() == 5);
        for (int pass = 0; pass < 2; ++pass) {
            QTest::ignoreMessage(QtWarningMsg, "ERROR parsing field C=1[2]");
            QVERIFY(!r.fieldBits("C=1[2]", &bits));
        }
        // Requests may name fields without end: the cache is emptied, not the answers lost.
        Register wide(2000, "W");
        wide.setBit(1500, 1);
        for (int i = 0; i < 2000; ++i)
            QCOMPARE(wide.getField(QStringLiteral("[%1]").arg(i)), i == 1500 ? 1u : 0u);
        QCOMPARE(wide.getField("[1500]"), 1u);
    }

    // While a field or range write is announced, the register tells which bits it wrote; bulk
    // writes, writes through the view and a notice inside another notice tell nothing of the
    // outer write.
    void announcedBits()
    {
        Register r("A[2];B[3];C", "R");
        r.setUpdateMode(0);
        QStringList heard;
        bool nested = true;
        connect(&r, &Register::signal_updateSet, this, [&]() {
            QList<int> bits{99};
            const bool told = r.announcedBits(&bits);
            heard << (told ? QString::number(bits.size()) + ":" +
                                 QString::number(bits.isEmpty() ? -1 : bits.first())
                           : QStringLiteral("-"));
            if (std::exchange(nested, false))
                r.fill(0); // announced inside the first notice
        });
        QVERIFY(r.setField("R[B]", 5));
        QVERIFY(r.setField("[2:1]", 1));
        QVERIFY(r.setField("[]", 1));
        QVERIFY(r.setField("R[C;0]", 1));
        r.select("A")->setValue(3, true);
        r.setFromPairs("A=1", ';', '=');
        r.invert();
        QCOMPARE(heard, QStringList({"3:2", "-", "2:1", "6:0", "2:5", "-", "-", "-"}));
        QList<int> bits;
        QVERIFY(!r.announcedBits(&bits));
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
        QCOMPARE(r.format("@value,", true), QStringLiteral("9,0,0,0,3,"));
        QCOMPARE(spy.count(), 1);
        Register p("A[4];B[4];C[4]", "R");
        QVERIFY(p.setFromPairs("A=3,,B=12,", ',', '='));
        QVERIFY(!p.setFromPairs("A=1,B,C=5", ',', '=')); // ends at "B"
        QVERIFY(!p.setFromPairs("C=x;A=2", ';', '='));
        QCOMPARE(fields(p), QStringLiteral("A[4]=1;B[4]=12;C[4]=0;"));
    }

    void virtualFields()
    {
        Register r("A[4]", "R");
        StoredVirtual refused;
        QVERIFY(!r.addVirtual("A", "d", &refused)); // a bit carries the name
        QVERIFY(!r.addVirtual("V", "d", nullptr));
        auto *stored = new StoredVirtual;
        QVERIFY(r.addVirtual("V", "virtual one", stored));
        QCOMPARE(stored->owner(), &r);
        QVERIFY(r.setField("[V]", 21));
        QCOMPARE(r.getField("[V]"), 42u);
        QVERIFY(r.setFromPairs("V=5", ';', '=') && r.getField("[V]") == 10u); // by name too
        QVERIFY(r.setField("[V]", 21));
        QCOMPARE(r.format("@bitn|@group|@purename|@value_hex|@descr;", true, true),
                 QStringLiteral("0:3 |0|A|0|;virtual||V|2a|virtual one;"));
        QCOMPARE(r.format("@name=@value;", true, true), QStringLiteral("A[4]=0;V[]=42;"));
        // A name given again takes the new field and deletes the old, unless it is the same.
        bool firstGone = false;
        auto *first = new TrackedVirtual(&firstGone);
        QVERIFY(r.addVirtual("W", "w", first) && r.addVirtual("W", "w", first));
        QVERIFY(!firstGone);
        QVERIFY(r.addVirtual("W", "w", new StoredVirtual));
        QVERIFY(firstGone);
    }

    void selects()
    {
        Register r("@field=A[2] @ADD=1;@field=B[3] @ADD=2;@field=A[1] @ADD=1;C", "R");
        QCOMPARE(positions(r, r.select(-5, 100)), QList<int>({0, 1, 2, 3, 4, 5, 6}));
        QCOMPARE(positions(r, r.select(5, 2)), QList<int>());
        QCOMPARE(positions(r, r.select(4, 7)), QList<int>({4, 5, 6}));
        QCOMPARE(positions(r, r.select("A")), QList<int>({0, 1, 5}));
        QCOMPARE(positions(r, r.select(QString("C;1:2;0;9;B"))),
                 QList<int>({6, 1, 2, 0, 2, 3, 4}));
        QCOMPARE(positions(r, r.select(QStringList{"3:1", "6", "A"})), QList<int>({6, 0, 1, 5}));
        QCOMPARE(positions(r, r.select(QStringList{"1 ", "x1", "99999999999999999999"})), QList<int>());
        QCOMPARE(positions(r, r.selectByAttributes("ADD", {"2", "1"})),
                 QList<int>({2, 3, 4, 0, 1, 5}));
        QCOMPARE(positions(r, r.selectByAttribute("ADD", "")), QList<int>({6}));
        // The bits by attribute follow a changed attribute and a changed layout.
        r.bitAt(6)->setAttribute("ADD", "2");
        r.bitAt(0)->setAttribute("ADD", "");
        QCOMPARE(positions(r, r.selectByAttribute("ADD", "2")), QList<int>({2, 3, 4, 6}));
        QCOMPARE(positions(r, r.selectByAttribute("ADD", "")), QList<int>({0}));
        r.parseItem("@field=D @ADD=2", 0);
        QCOMPARE(positions(r, r.selectByAttribute("ADD", "2")), QList<int>({0, 3, 4, 5, 7}));
        r.removeBits("D"); // a layout change alone
        QCOMPARE(positions(r, r.selectByAttribute("ADD", "2")), QList<int>({2, 3, 4, 6}));
        r.bitAt(6)->setAttribute("ADD", "");
        r.bitAt(0)->setAttribute("ADD", "1");
        // Internal operations leave the view alone.
        Register *view = r.select("C");
        QVERIFY(r.setField("[A]", 3));
        r.setFieldsFromAttribute("ADD");
        r.setFromPairs("A=2", ';', '=');
        QString name;
        r.fieldInfo(&name, nullptr, "[B]");
        r.format("@name", true);
        QCOMPARE(positions(r, view), QList<int>({6}));
        const QString first = r.bitAt(0)->name();
        QCOMPARE(view->indexOf(first), -1);
        r.addToView(r.bitAt(0)); // a bit appended by hand; no bit, or no view, adds nothing
        r.addToView(nullptr);
        QCOMPARE(view->size(), 2);
        QCOMPARE(positions(r, view), QList<int>({6, 0}));
        QCOMPARE(view->indexOf(first), 1); // the view's name lookup follows
        Register none(2, "N");
        none.addToView(none.bitAt(0));
        QVERIFY(!none.view());
        // One view per register, refilled by each select; clearing it deletes no bit.
        QCOMPARE(r.select(0, 0), view);
        QCOMPARE(view->size(), 1);
        r.clearView();
        QCOMPARE(view->size(), 0);
        QCOMPARE(r.size(), 7);
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

    // Bits outside the register read as 0 with a warning; writes to them are skipped.
    void outOfRangeBits()
    {
        Register r(4, "R");
        r.fill(1);
        QTest::ignoreMessage(QtWarningMsg, "Register R: bit 4 outside 0..3"); // the valid bits
        QCOMPARE(r.bit(4), 0);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("bit -1 outside"));
        QVERIFY(!r.bitAt(-1));
        r.setBit(4, 0);
        r.setBit(-1, 0);
        QCOMPARE(r.value(true), 0xFu);
    }

    // The five parts, the flags (r range, b bracket, n named, v value, a allBits) and numbers.
    void fieldSpecScan()
    {
        for (auto [expr, parts, flags, low, high, value] :
             {std::tuple{QByteArray("SA[5]=0"), QString("SA|5||0|"), QString("bv"), 5, 5, 0u},
              {"VSETPOINT[6:0]#Boost voltage", "VSETPOINT|6|0||Boost voltage", "rb", 0, 6, 0u},
              {"BANK[SW1]", "BANK|SW1|||", "bn", 0, 0, 0u}, {"R[Zone]", "R|Zone|||", "bn", 0, 0, 0u},
              {"SpiIn4B[]", "SpiIn4B||||", "ba", 0, 10000, 0u}, {"[0:7]", "|0|7||", "rb", 0, 7, 0u},
              {"PID1[8]=0x1F", "PID1|8||0x1F|", "bv", 8, 8, 31u}, {"X#a#b", "X||||ab", "", 0, 0, 0u},
              {"A[1:2:3]", "A|1|23||", "rb", 1, 23, 0u}, {"A=0X1F", "A|||0X1F|", "v", 0, 0, 0u},
              {"R[_X]", "R|_X|||", "b", 0, 0, 0u}, {"R[-3:4x]", "R|-3|4x||", "rb", -3, 4, 0u},
              {" N [ 2 ] = 7 # d ", " N | 2  || 7 | d ", "bv", 2, 2, 7u},
              {"N=4294967295", "N|||4294967295|", "v", 0, 0, 4294967295u},
              {"N=0x100000000", "N|||0x100000000|", "v", 0, 0, 0u},
              {"N=12ab", "N|||12ab|", "v", 0, 0, 0u},
              {"", "||||", "", 0, 0, 0u}}) {
            FieldSpec spec;
            QVERIFY(spec.set(expr.constData()));
            QStringList got;
            for (int i = 0; i < 5; ++i)
                got << QString::fromLatin1(spec.part(i));
            QCOMPARE(got.join('|'), parts);
            QString gotFlags;
            for (auto [flag, set] : {std::pair{'r', spec.hasRange()}, {'b', spec.hasBracket()},
                                     {'n', spec.isNamed()}, {'v', spec.hasValue()},
                                     {'a', spec.allBits()}})
                gotFlags += set ? QString(flag) : QString();
            QCOMPARE(gotFlags, flags);
            QCOMPARE(spec.low(), low);
            QCOMPARE(spec.high(), high);
            QCOMPARE(spec.value(), value);
        }
    }

    // Separators out of order refuse the expression with a warning.
    void fieldSpecRefused()
    {
        for (const char *expr : {"A=5[3]", "X#note: more", "A[1:2[3]", "A#x=1"}) {
            FieldSpec spec;
            QTest::ignoreMessage(QtWarningMsg, qPrintable(QString("ERROR parsing field ") + expr));
            QVERIFY(!spec.set(expr));
            QVERIFY(!spec.isValid());
        }
    }

    void parseKeepsBoundsSetResetsThem()
    {
        FieldSpec spec;
        QVERIFY(spec.set("A[3:9]=12"));
        QVERIFY(spec.parse("B"));
        QCOMPARE(spec.low(), 3);
        QCOMPARE(spec.value(), 12u);
        QVERIFY(!spec.hasValue());
        QVERIFY(spec.set("R[]"));
        QVERIFY(spec.parse("R[2]"));
        QVERIFY(spec.allBits()); // parse keeps allBits
        QVERIFY(spec.set("R[2]"));
        QVERIFY(!spec.allBits());
    }

    void limitsAndLongParts()
    {
        // Characters after the scan limit are not read, so a late separator does not refuse it.
        QByteArray expr(FieldSpec::MaxScanLength, 'a');
        FieldSpec spec;
        QVERIFY(spec.set((expr + "=5[3]").constData()));
        QCOMPARE(qstrlen(spec.name()), uint(FieldSpec::MaxScanLength));
        QVERIFY(!spec.hasValue());
        // Parts longer than any fixed buffer are kept whole.
        const QByteArray name(3000, 'N');
        const QByteArray description(5000, 'd');
        QVERIFY(spec.set((name + "[7:0]=1#" + description).constData()));
        QCOMPARE(QByteArray(spec.name()), name);
        QCOMPARE(QByteArray(spec.description()), description);
        // Bounds saturate at the int range, and its own ends read exactly.
        QCOMPARE(FieldSpec::readBound("-2147483647"), -2147483647);
        QCOMPARE(FieldSpec::readBound("-99999999999"), std::numeric_limits<int>::min());
        QCOMPARE(FieldSpec::readBound("2147483648"), std::numeric_limits<int>::max());
    }

private:
    QStringList m_sets;
    QStringList m_gets;
};

QTEST_GUILESS_MAIN(TestRegister)
#include "tst_register.moc"
