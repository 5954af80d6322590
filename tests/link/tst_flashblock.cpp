#include "fakeboard_flash.h"
#include "flashblock.h"

#include <QtTest>

// The simulated board checks blocks with a bit-by-bit CRC of its own.
static quint32 referenceCrc(const QByteArray &data)
{
    return FakeBoardFlash::crc32(data);
}

class TestFlashBlock : public QObject
{
    Q_OBJECT

private slots:
    void crcKnownValues_data();
    void crcKnownValues();
    void crcMatchesBitwiseReference();
    void lineLayout();
    void lineOfLongBlock();
    void endMarker();
    void answers_data();
    void answers();
};

void TestFlashBlock::crcKnownValues_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<quint32>("crc");
    QTest::newRow("digits 1-9") << QByteArray("123456789") << 0xCCBD34E2u;
    QTest::newRow("abc") << QByteArray("abc") << 0x00616263u;
    QTest::newRow("empty") << QByteArray() << 0u;
    QTest::newRow("256 zeros") << QByteArray(256, '\0') << 0u;
    QTest::newRow("four bytes big-endian") << QByteArray::fromHex("1234abcd") << 0x1234ABCDu;
}

void TestFlashBlock::crcKnownValues()
{
    QFETCH(QByteArray, data);
    QFETCH(quint32, crc);
    QCOMPARE(FlashBlock::crc32(data), crc);
    QCOMPARE(referenceCrc(data), crc);
}

void TestFlashBlock::crcMatchesBitwiseReference()
{
    QByteArray data;
    quint32 x = 1;
    for (int i = 0; i < 1000; ++i) {
        x = x * 214013u + 2531011u;
        data.append(char(x >> 16));
        QCOMPARE(FlashBlock::crc32(data), referenceCrc(data));
    }
}

void TestFlashBlock::lineLayout()
{
    const QByteArray data = QByteArray::fromHex("00ff10ab");
    const QByteArray line = FlashBlock::line(0x80050100u, data);
    QCOMPARE(line, QByteArray("set flash=80050100"
                              "00ff10ab"
                              "00000004"
                              "00ff10ab\r"));
}

void TestFlashBlock::lineOfLongBlock()
{
    QByteArray data;
    for (int i = 0; i < 300; ++i)
        data.append(char(i * 7));
    const QByteArray line = FlashBlock::line(0x8005abcdu, data);
    QCOMPARE(line.size(), 10 + 24 + 600 + 1);
    QVERIFY(line.startsWith("set flash=8005abcd"));
    QCOMPARE(line.mid(18, 8), QByteArray::number(referenceCrc(data), 16).rightJustified(8, '0'));
    QCOMPARE(line.mid(26, 8), QByteArray("0000012c"));
    QCOMPARE(QByteArray::fromHex(line.mid(34, 600)), data);
    QCOMPARE(line.mid(34, 600), line.mid(34, 600).toLower());
    QVERIFY(line.endsWith('\r'));
    QCOMPARE(line.count('\r'), 1);
    QVERIFY(!line.contains('\n'));
}

void TestFlashBlock::endMarker()
{
    const QByteArray marker = FlashBlock::endMarker();
    QCOMPARE(marker, QByteArray("set flash=8007fffC1234abcd000000041234abcd\r"));
    // Its CRC field matches its data under the flash CRC.
    QCOMPARE(FlashBlock::crc32(QByteArray::fromHex(marker.mid(34, 8))), 0x1234ABCDu);
}

void TestFlashBlock::answers_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("refused");
    QTest::newRow("ok") << QByteArray("flash:ok\r") << true << false;
    QTest::newRow("err") << QByteArray("flash:err\r") << false << true;
    QTest::newRow("empty") << QByteArray() << false << false;
    QTest::newRow("other") << QByteArray("x:ok\r") << false << false;
}

void TestFlashBlock::answers()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, ok);
    QFETCH(bool, refused);
    QCOMPARE(FlashBlock::answerOk(answer), ok);
    QCOMPARE(FlashBlock::answerRefused(answer), refused);
}

QTEST_GUILESS_MAIN(TestFlashBlock)
#include "tst_flashblock.moc"
