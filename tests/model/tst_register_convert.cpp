#include "register.h"

#include <QSignalSpy>
#include <QtTest>

class TestRegisterConvert : public QObject
{
    Q_OBJECT

private slots:
    void bitStrings()
    {
        Register r(4, "R");
        r.setValue(3, true);
        QCOMPARE(r.toBitString(false), QByteArray("0011"));
        QCOMPARE(r.toBitString(true), QByteArray("1100"));
        QCOMPARE(Register().toBitString(true), QByteArray());

        Register filled(8, "R");
        filled.fill(1);
        filled.setFromBitString("101", false);
        QCOMPARE(filled.toBitString(true), QByteArray("10111111"));

        Register s(4, "S");
        QSignalSpy spy(&s, &Register::signal_updateSet);
        // Any character but "0" is 1; extra characters are skipped.
        s.setFromBitString("1x0.11111", true);
        QCOMPARE(s.toBitString(true), QByteArray("1101"));
        s.setFromBitString("0000000", false); // characters 0..2 fall above the top bit
        QCOMPARE(s.toBitString(true), QByteArray("0000"));
        QCOMPARE(spy.count(), 0);
    }

    void toByteArray_data()
    {
        QTest::addColumn<QByteArray>("bits"); // bit 0 first
        QTest::addColumn<bool>("lsbFirst");
        QTest::addColumn<bool>("msbFirstInByte");
        QTest::addColumn<QByteArray>("bytes");
        const auto row = [](const char *tag, const char *bits, bool lsbFirst, bool msbFirstInByte,
                            const QByteArray &bytes) {
            QTest::newRow(tag) << QByteArray(bits) << lsbFirst << msbFirstInByte << bytes;
        };
        row("bit0 lsb", "10000000", true, false, "\x01");
        row("bit0 msbInByte", "10000000", true, true, "\x80");
        row("bit0 msbFirst", "10000000", false, false, "\x80");
        row("bit0 both", "10000000", false, true, "\x01");
        // 12 bits holding 0xABC.
        row("12 lsb", "001111010101", true, false, "\xBC\x0A");
        row("12 lsb msbInByte", "001111010101", true, true, "\x3D\x50");
        row("12 msb", "001111010101", false, false, "\xD5\x03");
        row("12 msb msbInByte", "001111010101", false, true, "\xAB\xC0");
        row("empty", "", true, true, QByteArray());
    }

    void toByteArray()
    {
        QFETCH(QByteArray, bits);
        QFETCH(bool, lsbFirst);
        QFETCH(bool, msbFirstInByte);
        QFETCH(QByteArray, bytes);
        Register r(int(bits.size()), "R");
        r.setFromBitString(bits, true);
        QSignalSpy get(&r, &Register::signal_updateGet);
        QCOMPARE(r.toByteArray(lsbFirst, msbFirstInByte), bytes);
        QCOMPARE(get.count(), 1);
        QCOMPARE(Register::bitStringToBytes(bits, lsbFirst, msbFirstInByte), bytes);
        QCOMPARE(r.toHex(lsbFirst, msbFirstInByte), QString::fromLatin1(bytes.toHex()));
        QCOMPARE(get.count(), 3);
    }

    void byteRoundTrip_data()
    {
        QTest::addColumn<bool>("lsbFirst");
        QTest::addColumn<bool>("msbFirstInByte");
        QTest::newRow("lsb") << true << false;
        QTest::newRow("lsb msbInByte") << true << true;
        QTest::newRow("msb") << false << false;
        QTest::newRow("msb msbInByte") << false << true;
    }

    void byteRoundTrip()
    {
        QFETCH(bool, lsbFirst);
        QFETCH(bool, msbFirstInByte);
        Register r(16, "R");
        r.setValue(0xA51C, true);
        const QByteArray bytes = r.toByteArray(lsbFirst, msbFirstInByte);
        Register back(16, "B");
        QSignalSpy spy(&back, &Register::signal_updateSet);
        QVERIFY(back.setFromByteArray(bytes, 16, lsbFirst ? 1 : 0, msbFirstInByte));
        QCOMPARE(back.value(true), 0xA51Cu);
        QCOMPARE(spy.count(), 0);
    }

    void setFromByteArray()
    {
        // An empty register takes its size from the count.
        Register empty;
        QVERIFY(empty.setFromByteArray(QByteArray("\x81\x02", 2), 12, 1, false));
        QCOMPARE(empty.size(), 12);
        QCOMPARE(empty.toBitString(true), QByteArray("100000010100"));
        QCOMPARE(empty.bitAt(0)->name(), QStringLiteral("_"));

        Register all;
        QVERIFY(all.setFromByteArray(QByteArray("\x0F", 1)));
        QCOMPARE(all.size(), 8);
        QCOMPARE(all.value(true), 0x0Fu);

        // Too few bytes: refused without writing.
        Register r(16, "R");
        r.fill(1);
        QVERIFY(!r.setFromByteArray(QByteArray("\x00", 1), 9, 1, false));
        QCOMPARE(r.value(true), 0xFFFFu);
        Register sized;
        QVERIFY(!sized.setFromByteArray(QByteArray("\x00", 1), 10, 1, false));
        QCOMPARE(sized.size(), 10); // the empty register was already given its bits

        // Bits beyond the register are skipped.
        Register small(4, "S");
        QVERIFY(small.setFromByteArray(QByteArray("\xFA", 1), 8, 1, false));
        QCOMPARE(small.value(true), 0xAu);
        QVERIFY(small.setFromByteArray(QByteArray("\x01", 1), 8, 0, false));
        QCOMPARE(small.toBitString(true), QByteArray("0001")); // stream bit i goes to bit 3 - i

        // The offset form.
        Register offset(8, "O");
        QVERIFY(offset.setFromByteArray(QByteArray("\x03", 1), 2, 4, 1, false));
        QCOMPARE(offset.toBitString(true), QByteArray("00001100"));
        QVERIFY(offset.setFromByteArray(QByteArray("\x01", 1), 2, 1, 0, false));
        QCOMPARE(offset.toBitString(true), QByteArray("00001010")); // bits 6 and 5 from i = 0, 1
        QVERIFY(offset.setFromByteArray(QByteArray("\x80", 1), 1, 0, 1, true));
        QCOMPARE(offset.bit(0), 1);
    }

    void hexText()
    {
        Register r(16, "R");
        QVERIFY(r.setFromHex("34 12", 16, 1, false));
        QCOMPARE(r.value(true), 0x1234u);
        QCOMPARE(r.toHex(true, false), QStringLiteral("3412"));
        QCOMPARE(r.toHex(false, true), QStringLiteral("1234"));
        QVERIFY(!r.setFromHex("zz", 16, 1, false));
        QCOMPARE(r.value(true), 0x1234u);
    }

    void staticUtilities()
    {
        QCOMPARE(Register::bitStringToUInt("1 01.1"), 0b1011u);
        QCOMPARE(Register::bitStringToUInt("1x"), 0b10u);
        QCOMPARE(Register::bitStringToUInt(""), 0u);
        QCOMPARE(Register::bitStringToUInt(QByteArray(33, '0').replace(0, 1, "1")), 1u);

        QCOMPARE(Register::bytesToBitString(QByteArray("\x05\x01", 2), 9, true),
                 QByteArray("101000001"));
        QCOMPARE(Register::bytesToBitString(QByteArray("\x05", 1), 3, false), QByteArray("101"));
        QCOMPARE(Register::bytesToBitString(QByteArray("\x06", 1), 3, false), QByteArray("110"));
        QCOMPARE(Register::bytesToBitString(QByteArray("\x05", 1), 9, true), QByteArray());
        QCOMPARE(Register::bytesToBitString(QByteArray("\x05", 1), 0, true), QByteArray());

        QCOMPARE(Register::repeatBytes("ab", 3), QByteArray("aaabbb"));
        QCOMPARE(Register::repeatBytes("ab", 0), QByteArray());
        QCOMPARE(Register::stretchBits(QByteArray("\xA0", 1), 2), QByteArray("\xCC\x00", 2));
        QCOMPARE(Register::stretchBits(QByteArray("\x81", 1), 3), QByteArray("\xE0\x00\x07", 3));
        QCOMPARE(Register::stretchBits(QByteArray("\x81", 1), 1), QByteArray("\x81", 1));
        QCOMPARE(Register::stretchBits(QByteArray("\x81", 1), -1), QByteArray());
    }

    void bulkAnnouncements()
    {
        for (int mode : {0, 1, 2}) {
            Register r(8, "R");
            r.setUpdateMode(mode);
            QSignalSpy spy(&r, &Register::signal_updateSet);
            r.fill(0); // unchanged, still announced
            QCOMPARE(spy.count(), 1);
            r.fill(1, 4, 4); // empty range, still announced
            QCOMPARE(spy.count(), 2);
            r.invert();
            QCOMPARE(r.value(true), 0xFFu);
            QCOMPARE(spy.count(), 3);
            r.reverse();
            QCOMPARE(spy.count(), 4);
            Register other(9, "O");
            r ^= other; // wrong size: nothing written, still announced
            QCOMPARE(r.value(true), 0xFFu);
            QCOMPARE(spy.count(), 5);
            r &= 0x0Fu; // only 32-bit registers take &= with a number
            QCOMPARE(r.value(true), 0xFFu);
            QCOMPARE(spy.count(), 6);
            QCOMPARE(spy.last().first().toString(), QStringLiteral("R"));
            // Silent writers.
            r.setFromBitString("0");
            r.setFromByteArray(QByteArray("\x01", 1), 8, 1, false);
            r.setFromHex("02");
            r.shiftUp(1);
            r.shiftDown(1);
            QCOMPARE(spy.count(), 6);
        }
    }

    void fillRanges()
    {
        Register r(8, "R");
        r.fill(1, 6, 2);
        QCOMPARE(r.toBitString(true), QByteArray("00111100"));
        r.fill(0, -1, 5);
        QCOMPARE(r.toBitString(true), QByteArray("00111000"));
        r.fill(1, 100, -3);
        QCOMPARE(r.toBitString(true), QByteArray("11111111"));
        r.reverse();
        r.setValue(0b0000'0011, true);
        r.reverse();
        QCOMPARE(r.toBitString(true), QByteArray("00000011"));
        Register odd(5, "O");
        odd.setValue(0b00011, true);
        odd.reverse();
        QCOMPARE(odd.toBitString(true), QByteArray("00011"));
    }

    void bitwiseOperators()
    {
        Register a(4, "A");
        Register b(4, "B");
        a.setValue(0b1100, true);
        b.setValue(0b1010, true);
        a &= b;
        QCOMPARE(a.value(true), 0b1000u);
        a |= b;
        QCOMPARE(a.value(true), 0b1010u);
        a ^= b;
        QCOMPARE(a.value(true), 0u);

        Register w(32, "W");
        w.setValue(0xF0F0F0F0u, true);
        w &= 0xFF00FF00u;
        QCOMPARE(w.value(true), 0xF000F000u);
        w ^= 0xFFFFFFFFu;
        QCOMPARE(w.value(true), 0x0FFF0FFFu);
        Register small(3, "S");
        small |= 0b101u;
        QCOMPARE(small.value(true), 0b101u);
        Register big(33, "G");
        big |= 1u;
        QCOMPARE(big.bit(0), 0);

        const Register inv = a.inverted();
        QCOMPARE(inv.toBitString(true), QByteArray("1111"));
        QCOMPARE(a.toBitString(true), QByteArray("0000"));
        QCOMPARE(inv.name(), QString());
    }

    void comparisons()
    {
        Register a(4, "A");
        Register b(4, "B");
        a.setValue(5, true);
        b.setValue(5, true);
        QVERIFY(a == b);
        b.setBit(3, 1);
        QVERIFY(a != b);
        QVERIFY(a != Register(5, "C"));
        QVERIFY(a == 5u);
        QVERIFY(a == 0x15u); // value bits above the register are not compared
        QVERIFY(a != 6u);
        QVERIFY(Register() == 0x1234u);
        Register wide(40, "W");
        wide.setValue(0x00000001u, true);
        QVERIFY(wide == 1u); // bit 32 compares with value bit 0
        wide.setBit(32, 0);
        QVERIFY(wide != 1u);
    }

    void shifts()
    {
        Register r(6, "R");
        r.setFromBitString("101100", true);
        r.shiftUp(2, false);
        QCOMPARE(r.toBitString(true), QByteArray("001011"));
        r.shiftDown(1, true);
        QCOMPARE(r.toBitString(true), QByteArray("010111"));
        r.shiftUp(10, true);
        QCOMPARE(r.toBitString(true), QByteArray("111111"));
        r.shiftDown(6, false);
        QCOMPARE(r.toBitString(true), QByteArray("000000"));
        r.shiftUp(-1, true);
        QCOMPARE(r.toBitString(true), QByteArray("000000"));
    }
};

QTEST_GUILESS_MAIN(TestRegisterConvert)
#include "tst_register_convert.moc"
