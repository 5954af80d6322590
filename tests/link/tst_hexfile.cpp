#include "hexfile.h"
#include "hexrecords.h"

#include <QTemporaryDir>
#include <QtTest>

#include <initializer_list>
#include <utility>

namespace
{

constexpr quint32 Base = 0x80050000u;

// size erased bytes with the given hex bytes placed at their offsets.
QByteArray patched(int size, std::initializer_list<std::pair<int, const char *>> parts)
{
    QByteArray bytes(size, HexFile::Erased);
    for (const auto &part : parts) {
        const QByteArray put = QByteArray::fromHex(part.second);
        bytes.replace(part.first, put.size(), put);
    }
    return bytes;
}

QByteArray records(std::initializer_list<QByteArray> parts)
{
    QByteArray text;
    for (const QByteArray &part : parts)
        text += part;
    return text + HexRecords::endOfFile();
}

} // namespace

class TestHexFile : public QObject
{
    Q_OBJECT

private slots:
    void loads_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("checksumErrors");
        QTest::addColumn<int>("skippedBytes");
        const auto row = [](const char *name, const QByteArray &text, const QByteArray &data,
                            int errors = 0, int skipped = 0) {
            QTest::newRow(name) << text << data << errors << skipped;
        };
        using HexRecords::data;
        using HexRecords::extended;
        QByteArray bytes;
        for (int i = 0; i < 512; ++i)
            bytes.append(char(i * 13 + 1));
        row("two blocks", HexRecords::image(Base, bytes), bytes);
        QByteArray flat = HexRecords::image(Base, QByteArray::fromHex("deadbeef0102"));
        row("no line ends", flat.replace("\r\n", ""), QByteArray::fromHex("deadbeef0102"));
        row("lower case", HexRecords::image(Base, QByteArray::fromHex("abcdef")).toLower(),
            QByteArray::fromHex("abcdef"));
        row("gap",
            records({extended(0x8005), data(0x0000, QByteArray::fromHex("01020304")),
                     data(0x0010, QByteArray::fromHex("aabb")),
                     data(0x0004, QByteArray::fromHex("05"))}),
            patched(0x12, {{0, "0102030405"}, {0x10, "aabb"}}));
        // 0x8005 and 0x0005 give the same bits 16 to 23; a second extended record moves the
        // data relative to the base set by the first.
        row("extended low byte only",
            records({extended(0x8005), data(0, QByteArray::fromHex("11")), extended(0x0006),
                     data(0, QByteArray::fromHex("22"))}),
            patched(0x10001, {{0, "11"}, {0x10000, "22"}}));
        // A bad checksum is counted; the data are stored.
        QByteArray bad = data(0x0000, QByteArray::fromHex("c0ffee"));
        bad[bad.indexOf("\r\n") - 1] = bad.at(bad.indexOf("\r\n") - 1) == '0' ? '1' : '0';
        row("bad checksum", records({extended(0x8005), bad, data(3, QByteArray::fromHex("42"))}),
            QByteArray::fromHex("c0ffee42"), 1);
        // The checksum counts the record type's second digit only: a type 15 record whose
        // checksum was made for type 05 adds up (and, being no data record, stores nothing).
        QByteArray typed = HexRecords::record(0x05, 0x0000, QByteArray::fromHex("abcd"));
        typed[7] = '1';
        row("type digit", records({extended(0x8005), typed, data(0, "\x01")}),
            QByteArray::fromHex("01"));
        // The base comes from the first data record; a later record below it and one past
        // the image end are skipped. 0x80080d3f - 0x80051000 = 196,415 is still inside.
        row("outside skipped",
            records({extended(0x8005), data(0x1000, QByteArray::fromHex("0102")),
                     data(0x0ffe, QByteArray::fromHex("aabbcc")), extended(0x8008),
                     data(0x0d3f, QByteArray::fromHex("ddee"))}),
            patched(0x2FD41, {{0, "cc02"}, {0x2FD3F, "ddee"}}), 0, 2);
        // Offset 0x80080d3e - 0x80050000 = 199,998: the third of three bytes lies past the end.
        row("past the end",
            records({extended(0x8005), data(0, QByteArray::fromHex("01")), extended(0x8008),
                     data(0x0d3e, QByteArray::fromHex("778899"))}),
            patched(HexFile::Capacity, {{0, "01"}, {199998, "7788"}}), 0, 1);
    }

    void loads()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, data);
        QFETCH(int, checksumErrors);
        QFETCH(int, skippedBytes);
        HexFile hex;
        const HexFile::Report report = hex.parse(text);
        QCOMPARE(report.result, HexFile::Loaded);
        QCOMPARE(report.checksumErrors, checksumErrors);
        QCOMPARE(report.skippedBytes, skippedBytes);
        QCOMPARE(hex.size(), int(data.size()));
        QCOMPARE(hex.data(), data);
    }

    void refusedTexts_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("result");
        const QByteArray good = HexRecords::image(Base, QByteArray::fromHex("0102"));
        QTest::newRow("empty") << QByteArray() << int(HexFile::BadFormat);
        QTest::newRow("leading blank") << (" " + good) << int(HexFile::BadFormat);
        QTest::newRow(":1 start") << QByteArray(":10000000") << int(HexFile::BadFormat);
        QTest::newRow("text") << QByteArray("hello") << int(HexFile::BadFormat);
        // Truncated: the text ends inside a record.
        QTest::newRow("ends in data")
            << good.left(good.indexOf("\r\n", 20) - 4) << int(HexFile::Truncated);
        QTest::newRow("ends in header") << QByteArray(":0200") << int(HexFile::Truncated);
        // The byte count promises more data than the line holds: the next record is not read
        // as data.
        QByteArray shortLine = HexRecords::data(0x0000, QByteArray::fromHex("0102"));
        shortLine[2] = '4';
        QTest::newRow("count too large")
            << records({HexRecords::extended(0x8005), shortLine}) << int(HexFile::Truncated);
        QTest::newRow("no hex digit")
            << (HexRecords::extended(0x8005) + ":02000000zz11ff\r\n") << int(HexFile::Truncated);
    }

    void refusedTexts()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, result);
        HexFile hex;
        QCOMPARE(int(hex.parse(text).result), result);
        QCOMPARE(hex.size(), 0);
        QCOMPARE(hex.image(), QByteArray(HexFile::Capacity, HexFile::Erased));
    }

    // The image keeps earlier bytes through later loads, failed ones included.
    void imageOutlivesLoads()
    {
        HexFile hex;
        QCOMPARE(hex.parse(HexRecords::image(Base, QByteArray::fromHex("0102030405"))).result,
                 HexFile::Loaded);
        QCOMPARE(hex.parse(HexRecords::image(Base, QByteArray::fromHex("aa"))).result,
                 HexFile::Loaded);
        QCOMPARE(hex.size(), 1);
        QCOMPARE(hex.image().left(5), QByteArray::fromHex("aa02030405"));
        const QByteArray before = hex.image();
        QByteArray text = HexRecords::extended(0x8005);
        text += HexRecords::data(0x0000, QByteArray(4, 'B'));
        text += ":0400040042";
        QCOMPARE(hex.parse(text).result, HexFile::Truncated);
        QCOMPARE(hex.size(), 0);
        QCOMPARE(hex.image(), before);
    }

    void loadFromFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath("fw.hex"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(HexRecords::image(Base, QByteArray::fromHex("0011223344")));
        file.close();
        HexFile hex;
        QCOMPARE(hex.load(file.fileName()).result, HexFile::Loaded);
        QCOMPARE(hex.data(), QByteArray::fromHex("0011223344"));
        // A missing file empties the image's size and leaves its bytes.
        QCOMPARE(hex.load(QString()).result, HexFile::NotOpened);
        QCOMPARE(hex.size(), 0);
        hex.parse(HexRecords::image(Base, QByteArray::fromHex("0011")));
        QCOMPARE(hex.load("no/such/file.hex").result, HexFile::NotOpened);
        QCOMPARE(hex.size(), 0);
        QCOMPARE(hex.image().left(3), QByteArray::fromHex("001122"));
    }
};

QTEST_GUILESS_MAIN(TestHexFile)
#include "tst_hexfile.moc"
