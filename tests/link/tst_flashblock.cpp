#include "fakeboard_flash.h"
#include "flashblock.h"
#include "tablerows.h"

#include <QtTest>

// Block lines and their CRC; the simulated board's bit-by-bit CRC is the reference.
class TestFlashBlock : public QObject
{
    Q_OBJECT

private slots:
    void crcKnownValues_data()
    {
        addRows<QByteArray, quint32>({"data", "crc"},
                                     {{"123456789", 0xCCBD34E2u},
                                      {"abc", 0x00616263u},
                                      {"", 0u},
                                      {QByteArray(256, '\0'), 0u},
                                      {QByteArray::fromHex("1234abcd"), 0x1234ABCDu}});
    }

    void crcKnownValues()
    {
        QFETCH(QByteArray, data);
        QFETCH(quint32, crc);
        QCOMPARE(FlashBlock::crc32(data), crc);
        QCOMPARE(FakeBoardFlash::crc32(data), crc);
    }

    void crcMatchesBitwiseReference()
    {
        QByteArray data;
        quint32 x = 1;
        for (int i = 0; i < 1000; ++i) {
            x = x * 214013u + 2531011u;
            data.append(char(x >> 16));
            QCOMPARE(FlashBlock::crc32(data), FakeBoardFlash::crc32(data));
        }
    }

    void lines()
    {
        QCOMPARE(FlashBlock::line(0x80050100u, QByteArray::fromHex("00ff10ab")),
                 QByteArray("set flash=80050100"
                            "00ff10ab"
                            "00000004"
                            "00ff10ab\r"));
        // A long block: lower-case digits, one CR and no LF.
        QByteArray data;
        for (int i = 0; i < 300; ++i)
            data.append(char(i * 7));
        const QByteArray crc =
            QByteArray::number(FakeBoardFlash::crc32(data), 16).rightJustified(8, '0');
        QCOMPARE(FlashBlock::line(0x8005abcdu, data),
                 "set flash=8005abcd" + crc + "0000012c" + data.toHex() + "\r");
        // The end marker's CRC field matches its data under the flash CRC.
        const QByteArray marker = FlashBlock::endMarker();
        QCOMPARE(marker, QByteArray("set flash=8007fffC1234abcd000000041234abcd\r"));
        QCOMPARE(FlashBlock::crc32(QByteArray::fromHex(marker.mid(34, 8))), 0x1234ABCDu);
    }

    void answers_data()
    {
        addRows<QByteArray, bool, bool>({"answer", "ok", "refused"}, {{"flash:ok\r", true, false},
                                                                      {"flash:err\r", false, true},
                                                                      {"", false, false},
                                                                      {"x:ok\r", false, false}});
    }

    void answers()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, ok);
        QFETCH(bool, refused);
        QCOMPARE(FlashBlock::answerOk(answer), ok);
        QCOMPARE(FlashBlock::answerRefused(answer), refused);
    }
};

QTEST_GUILESS_MAIN(TestFlashBlock)
#include "tst_flashblock.moc"
