#include "register.h"
#include "../support/tablerows.h"

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

        Register s(8, "S");
        s.fill(1);
        QSignalSpy spy(&s, &Register::signal_updateSet);
        s.setFromBitString("101", false);
        QCOMPARE(s.toBitString(true), QByteArray("10111111"));
        // Any character but "0" is 1; extra characters are skipped.
        s.setFromBitString("1x0.111110", true);
        QCOMPARE(s.toBitString(true), QByteArray("11011111"));
        QCOMPARE(spy.count(), 0);
    }

    void toByteArray_data()
    {
        // bits: bit 0 first; 12 bits hold 0xABC.
        addRows<QByteArray, bool, bool, QByteArray>(
            {"bits", "lsbFirst", "msbFirstInByte", "bytes"},
            {{"10000000", true, false, "\x01"},
             {"10000000", false, true, "\x01"},
             {"001111010101", true, false, "\xBC\x0A"},
             {"001111010101", true, true, "\x3D\x50"},
             {"001111010101", false, false, "\xD5\x03"},
             {"001111010101", false, true, "\xAB\xC0"},
             {"", true, true, QByteArray()}});
    }

    void toByteArray()
    {
        QFETCH(QByteArray, bits);
        QFETCH(bool, lsbFirst);
        QFETCH(bool, msbFirstInByte);
        QFETCH(QByteArray, bytes);
        Register r(int(bits.size()), "R");
        r.setFromBitString(bits, true);
        QCOMPARE(r.toByteArray(lsbFirst, msbFirstInByte), bytes);
        QCOMPARE(Register::bitStringToBytes(bits, lsbFirst, msbFirstInByte), bytes);
        QCOMPARE(r.toHex(lsbFirst, msbFirstInByte), QString::fromLatin1(bytes.toHex()));

        // And back, without announcing.
        Register back(int(bits.size()), "B");
        QSignalSpy spy(&back, &Register::signal_updateSet);
        QVERIFY(back.setFromByteArray(bytes, int(bits.size()), lsbFirst ? 1 : 0, msbFirstInByte));
        QCOMPARE(back.toBitString(true), bits);
        QCOMPARE(spy.count(), 0);
    }

    void setFromByteArray()
    {
        // An empty register takes its size from the count.
        Register empty;
        QVERIFY(empty.setFromByteArray(QByteArray("\x81\x02", 2), 12, 1, false));
        QCOMPARE(empty.toBitString(true), QByteArray("100000010100"));
        Register all;
        QVERIFY(all.setFromByteArray(QByteArray("\x0F", 1)));
        QCOMPARE(all.value(true), 0x0Fu);

        // Too few bytes: refused without writing.
        Register r(16, "R");
        r.fill(1);
        QVERIFY(!r.setFromByteArray(QByteArray("\x00", 1), 9, 1, false));
        QCOMPARE(r.value(true), 0xFFFFu);

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
        QCOMPARE(offset.toBitString(true), QByteArray("00001010"));

        QVERIFY(r.setFromHex("34 12", 16, 1, false));
        QCOMPARE(r.value(true), 0x1234u);
        QVERIFY(!r.setFromHex("zz", 16, 1, false));
        QCOMPARE(r.value(true), 0x1234u);
    }

    void staticUtilities()
    {
        QCOMPARE(Register::bitStringToUInt("1 01.1"), 0b1011u);
        QCOMPARE(Register::bitStringToUInt(QByteArray(33, '0').replace(0, 1, "1")), 1u);
        QCOMPARE(Register::bytesToBitString(QByteArray("\x05\x01", 2), 9, true),
                 QByteArray("101000001"));
        QCOMPARE(Register::bytesToBitString(QByteArray("\x06", 1), 3, false), QByteArray("110"));
        QCOMPARE(Register::bytesToBitString(QByteArray("\x05", 1), 9, true), QByteArray());
        QCOMPARE(Register::repeatBytes("ab", 3), QByteArray("aaabbb"));
        QCOMPARE(Register::repeatBytes("ab", 0), QByteArray());
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
            r.fill(1, 4, 4); // empty range, still announced
            r.invert();
            QCOMPARE(r.value(true), 0xFFu);
            r.reverse();
            Register other(9, "O");
            r ^= other; // wrong size: nothing written, still announced
            r &= 0x0Fu; // only 32-bit registers take &= with a number
            QCOMPARE(r.value(true), 0xFFu);
            QCOMPARE(spy.count(), 6);
            r.setFromByteArray(QByteArray("\x01", 1), 8, 1, false);
            r.setFromHex("02");
            r.shiftDown(1);
            QCOMPARE(spy.count(), 6);
        }
    }

    void fillReverseAndShifts()
    {
        Register r(8, "R");
        r.fill(1, 6, 2);
        QCOMPARE(r.toBitString(true), QByteArray("00111100"));
        r.fill(0, -1, 5);
        QCOMPARE(r.toBitString(true), QByteArray("00111000"));
        r.fill(1, 100, -3);
        QCOMPARE(r.toBitString(true), QByteArray("11111111"));
        Register odd(5, "O");
        odd.setValue(0b00011, true);
        odd.reverse();
        QCOMPARE(odd.toBitString(true), QByteArray("00011"));

        Register s(6, "S");
        s.setFromBitString("101100", true);
        s.shiftUp(2, false);
        QCOMPARE(s.toBitString(true), QByteArray("001011"));
        s.shiftDown(1, true);
        QCOMPARE(s.toBitString(true), QByteArray("010111"));
        s.shiftUp(10, true);
        QCOMPARE(s.toBitString(true), QByteArray("111111"));
        s.shiftUp(-1, false);
        QCOMPARE(s.toBitString(true), QByteArray("111111"));
    }

    void operatorsAndComparisons()
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
        QCOMPARE(a.inverted().toBitString(true), QByteArray("1111"));

        Register w(32, "W");
        w.setValue(0xF0F0F0F0u, true);
        w &= 0xFF00FF00u;
        w ^= 0xFFFFFFFFu;
        QCOMPARE(w.value(true), 0x0FFF0FFFu);
        Register big(33, "G");
        big |= 1u;
        QCOMPARE(big.bit(0), 0);

        a.setValue(5, true);
        b.setValue(5, true);
        QVERIFY(a == b);
        b.setBit(3, 1);
        QVERIFY(a != b);
        QVERIFY(a != Register(5, "C"));
        QVERIFY(a == 0x15u); // value bits above the register are not compared
        QVERIFY(a != 6u);
        Register wide(40, "W");
        wide.setValue(0x00000001u, true);
        QVERIFY(wide == 1u); // bit 32 compares with value bit 0
        wide.setBit(32, 0);
        QVERIFY(wide != 1u);
    }
};

QTEST_GUILESS_MAIN(TestRegisterConvert)
#include "tst_register_convert.moc"
