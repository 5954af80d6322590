#include "fakeboard_flash.h"
#include "flashblock.h"
#include "hexfile.h"
#include "hexrecords.h"

#include <QFile>
#include <QtTest>

namespace
{

constexpr quint32 Base = 0x80050000u;
using HexRecords::data;
using HexRecords::extended;

// size erased bytes with the given hex bytes placed at their offsets.
QByteArray patched(int size, std::initializer_list<std::pair<int, const char *>> parts)
{
    QByteArray bytes(size, HexFile::Erased);
    for (const auto &part : parts)
        bytes.replace(part.first, qstrlen(part.second) / 2, QByteArray::fromHex(part.second));
    return bytes;
}

QByteArray records(std::initializer_list<QByteArray> parts)
{
    QByteArray text;
    for (const QByteArray &part : parts)
        text += part;
    return text + HexRecords::endOfFile();
}

// The record with its checksum's last digit changed.
QByteArray badChecksum(QByteArray record)
{
    const int at = int(record.indexOf("\r\n")) - 1;
    record[at] = record.at(at) == '0' ? '1' : '0';
    return record;
}

} // namespace

// Intel HEX images, and the CRC and lines of the flash blocks made from them.
class TestHexFile : public QObject
{
    Q_OBJECT

private slots:
    void loads()
    {
        QByteArray bytes;
        for (int i = 0; i < 512; ++i)
            bytes.append(char(i * 13 + 1));
        QByteArray flat = HexRecords::image(Base, QByteArray::fromHex("deadbeef0102"));
        QByteArray typed = HexRecords::record(0x05, 0x0000, QByteArray::fromHex("abcd"));
        typed[7] = '1';
        for (auto [text, image, checksumErrors, skipped] : {
                 std::tuple{HexRecords::image(Base, bytes), bytes, 0, 0},
                 {flat.replace("\r\n", ""), QByteArray::fromHex("deadbeef0102"), 0, 0},
                 {HexRecords::image(Base, QByteArray::fromHex("abcdef")).toLower(),
                  QByteArray::fromHex("abcdef"), 0, 0},
                 {records({extended(0x8005), data(0, QByteArray::fromHex("01020304")),
                           data(0x10, QByteArray::fromHex("aabb")), data(4, "\x05")}),
                  patched(0x12, {{0, "0102030405"}, {0x10, "aabb"}}), 0, 0},
                 // 0x8005 and 0x0005 give the same bits 16 to 23; a second extended record
                 // moves the data relative to the base set by the first.
                 {records({extended(0x8005), data(0, "\x11"), extended(0x0006), data(0, "\x22")}),
                  patched(0x10001, {{0, "11"}, {0x10000, "22"}}), 0, 0},
                 // An extended record without data gives bits 16 to 23 of 0, one of one byte
                 // that byte; without one, the addresses are the records' own.
                 {records({HexRecords::record(4, 0, QByteArray()), data(0x10, "\x11"),
                           extended(0x0001), data(0, "\x22")}),
                  patched(0xFFF1, {{0, "11"}, {0xFFF0, "22"}}), 0, 0},
                 {records({HexRecords::record(4, 0, "\x02"), data(0x10, "\x11"),
                           extended(0x0003), data(0, "\x22")}),
                  patched(0xFFF1, {{0, "11"}, {0xFFF0, "22"}}), 0, 0},
                 {records({data(0x10, "\x11"), data(0x12, "\x22")}),
                  patched(3, {{0, "11"}, {2, "22"}}), 0, 0},
                 {records({extended(0x8005)}), QByteArray(), 0, 0}, // no data
                 // A bad checksum is counted; the data are stored.
                 {records({extended(0x8005), badChecksum(data(0, QByteArray::fromHex("c0ffee"))),
                           data(3, "\x42")}),
                  QByteArray::fromHex("c0ffee42"), 1, 0},
                 // The checksum counts the record type's second digit only: a type 15 record
                 // whose checksum was made for type 05 adds up (and stores nothing).
                 {records({extended(0x8005), typed, data(0, "\x01")}), "\x01", 0, 0},
                 // The base comes from the first data record; a later record below it and one
                 // past the image end are skipped. 0x80080d3f - 0x80051000 is still inside.
                 {records({extended(0x8005), data(0x1000, QByteArray::fromHex("0102")),
                           data(0x0ffe, QByteArray::fromHex("aabbcc")), extended(0x8008),
                           data(0x0d3f, QByteArray::fromHex("ddee"))}),
                  patched(0x2FD41, {{0, "cc02"}, {0x2FD3F, "ddee"}}), 0, 2},
                 // Offset 0x80080d3e - 0x80050000 = 199,998: the third byte lies past the end.
                 {records({extended(0x8005), data(0, "\x01"), extended(0x8008),
                           data(0x0d3e, QByteArray::fromHex("778899"))}),
                  patched(HexFile::Capacity, {{0, "01"}, {199998, "7788"}}), 0, 1}}) {
            HexFile hex;
            const HexFile::Report report = hex.parse(text);
            QCOMPARE(report.result, HexFile::Loaded);
            QCOMPARE(report.checksumErrors, checksumErrors);
            QCOMPARE(report.skippedBytes, skipped);
            QCOMPARE(hex.data(), image);
        }
    }

    // Refused texts store nothing: the earlier image stays, the size is 0.
    void refusedTexts()
    {
        const QByteArray good = HexRecords::image(Base, QByteArray::fromHex("0102"));
        QByteArray shortLine = data(0, QByteArray::fromHex("0102"));
        shortLine[2] = '4'; // the count promises more than the line holds
        for (auto [text, result] :
             {std::pair{QByteArray(), HexFile::BadFormat},
              {" " + good, HexFile::BadFormat},
              {":10000000", HexFile::BadFormat},
              {"hello", HexFile::BadFormat},
              {good.left(good.indexOf("\r\n", 20) - 4), HexFile::Truncated},
              {":0200", HexFile::Truncated},
              {":020000", HexFile::Truncated},
              {records({extended(0x8005), shortLine}), HexFile::Truncated},
              {extended(0x8005) + ":02000000zz11ff\r\n", HexFile::Truncated},
              {extended(0x8005) + ":02000000z011ff\r\n", HexFile::Truncated},
              {extended(0x8005) + ":020000000z11ff\r\n", HexFile::Truncated},
              {extended(0x8005) + data(0, "BBBB") + ":0400040042", HexFile::Truncated},
              {extended(0x8005) + ":0100000011\r\n", HexFile::Truncated}}) { // no checksum
            HexFile hex;
            QCOMPARE(hex.parse(HexRecords::image(Base, "\xaa\x02")).result, HexFile::Loaded);
            QCOMPARE(hex.parse(text).result, result);
            QCOMPARE(hex.size(), 0);
            QCOMPARE(hex.image().left(3), QByteArray("\xaa\x02\xff"));
        }
    }

    // A missing file empties the image's size and leaves its bytes.
    void missingFile()
    {
        HexFile hex;
        QCOMPARE(hex.parse(HexRecords::image(Base, QByteArray::fromHex("001122"))).result,
                 HexFile::Loaded);
        QCOMPARE(hex.load("no/such/file.hex").result, HexFile::NotOpened);
        QCOMPARE(hex.size(), 0);
        QCOMPARE(hex.image().left(3), QByteArray::fromHex("001122"));
        QCOMPARE(hex.load(QString()).result, HexFile::NotOpened);
        QVERIFY(QFile::link("/dev/zero", "zero.hex")); // endless: refused, not read
        const HexFile::Report zero = hex.load("zero.hex");
        QCOMPARE(zero.result, HexFile::NotOpened);
        QCOMPARE(zero.error, QString("zero.hex is not a regular file"));
    }

    // The block CRC against the simulator's bitwise reference; a CR ends each block line.
    void blockCrcAndLines()
    {
        QCOMPARE(FlashBlock::crc32("123456789"), 0xCCBD34E2u);
        QByteArray bytes;
        for (quint32 x = 1; bytes.size() < 300; x = x * 214013u + 2531011u) {
            bytes.append(char(x >> 16));
            QCOMPARE(FlashBlock::crc32(bytes), FakeBoardFlash::crc32(bytes));
        }
        QCOMPARE(FlashBlock::line(0x80050100u, QByteArray::fromHex("00ff10ab")),
                 QByteArray("set flash=8005010000ff10ab0000000400ff10ab\r"));
    }
};

QTEST_GUILESS_MAIN(TestHexFile)
#include "tst_hexfile.moc"
