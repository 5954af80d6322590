#include "hexfile.h"
#include "hexrecords.h"

#include <QTemporaryDir>
#include <QtTest>

class TestHexFile : public QObject
{
    Q_OBJECT

private slots:
    void twoBlocksFromExtendedAddress();
    void severalRecordsWithGap();
    void recordsWithoutLineEnds();
    void lowerAndUpperCaseDigits();
    void extendedValueUsesLowByteOnly();
    void badChecksumStoresDataAndCounts();
    void refusedTexts_data();
    void refusedTexts();
    void truncatedRecordStopsAndKeepsImage();
    void recordsOutsideImageAreSkipped();
    void laterLoadKeepsEarlierBytes();
    void loadFromFile();
    void missingFile();
};

void TestHexFile::twoBlocksFromExtendedAddress()
{
    QByteArray bytes;
    for (int i = 0; i < 512; ++i)
        bytes.append(char(i * 13 + 1));
    HexFile hex;
    const HexFile::Report report = hex.parse(HexRecords::image(0x80050000u, bytes));
    QCOMPARE(report.result, HexFile::Loaded);
    QCOMPARE(report.checksumErrors, 0);
    QCOMPARE(report.skippedBytes, 0);
    QCOMPARE(hex.size(), 512);
    QCOMPARE(hex.data(), bytes);
}

void TestHexFile::severalRecordsWithGap()
{
    QByteArray text = HexRecords::extended(0x8005);
    text += HexRecords::data(0x0000, QByteArray::fromHex("01020304"));
    text += HexRecords::data(0x0010, QByteArray::fromHex("aabb"));
    text += HexRecords::data(0x0004, QByteArray::fromHex("05"));
    text += HexRecords::endOfFile();
    HexFile hex;
    QCOMPARE(hex.parse(text).result, HexFile::Loaded);
    QCOMPARE(hex.size(), 0x12);
    QCOMPARE(hex.data().left(5), QByteArray::fromHex("0102030405"));
    QCOMPARE(hex.data().mid(5, 11), QByteArray(11, HexFile::Erased));
    QCOMPARE(hex.data().mid(0x10), QByteArray::fromHex("aabb"));
}

void TestHexFile::recordsWithoutLineEnds()
{
    const QByteArray bytes = QByteArray::fromHex("deadbeef0102");
    QByteArray text = HexRecords::image(0x80050000u, bytes);
    text.replace("\r\n", "");
    HexFile hex;
    QCOMPARE(hex.parse(text).result, HexFile::Loaded);
    QCOMPARE(hex.data(), bytes);
}

void TestHexFile::lowerAndUpperCaseDigits()
{
    const QByteArray bytes = QByteArray::fromHex("abcdef");
    HexFile upper, lower;
    QCOMPARE(upper.parse(HexRecords::image(0x80050000u, bytes)).result, HexFile::Loaded);
    QCOMPARE(lower.parse(HexRecords::image(0x80050000u, bytes).toLower()).result, HexFile::Loaded);
    QCOMPARE(upper.data(), bytes);
    QCOMPARE(lower.data(), bytes);
}

void TestHexFile::extendedValueUsesLowByteOnly()
{
    // 0x8005 and 0x0005 give the same bits 16 to 23; a second extended record moves the data
    // relative to the base set by the first.
    QByteArray text = HexRecords::extended(0x8005);
    text += HexRecords::data(0x0000, QByteArray::fromHex("11"));
    text += HexRecords::extended(0x0006);
    text += HexRecords::data(0x0000, QByteArray::fromHex("22"));
    text += HexRecords::endOfFile();
    HexFile hex;
    QCOMPARE(hex.parse(text).result, HexFile::Loaded);
    QCOMPARE(hex.size(), 0x10001);
    QCOMPARE(hex.image().at(0), char(0x11));
    QCOMPARE(hex.image().at(0x10000), char(0x22));
}

void TestHexFile::badChecksumStoresDataAndCounts()
{
    QByteArray text = HexRecords::extended(0x8005);
    QByteArray bad = HexRecords::data(0x0000, QByteArray::fromHex("c0ffee"));
    bad[bad.indexOf("\r\n") - 1] = bad.at(bad.indexOf("\r\n") - 1) == '0' ? '1' : '0';
    text += bad;
    text += HexRecords::data(0x0003, QByteArray::fromHex("42"));
    text += HexRecords::endOfFile();
    HexFile hex;
    const HexFile::Report report = hex.parse(text);
    QCOMPARE(report.result, HexFile::Loaded);
    QCOMPARE(report.checksumErrors, 1);
    QCOMPARE(hex.data(), QByteArray::fromHex("c0ffee42"));

    // The checksum counts the record type's second digit only: a type 15 record whose
    // checksum was made for type 05 adds up (and, being no data record, stores nothing).
    QByteArray other = HexRecords::record(0x05, 0x0000, QByteArray::fromHex("abcd"));
    other[7] = '1';
    const HexFile::Report typed =
        hex.parse(HexRecords::extended(0x8005) + other + HexRecords::data(0, "\x01"));
    QCOMPARE(typed.result, HexFile::Loaded);
    QCOMPARE(typed.checksumErrors, 0);
    QCOMPARE(hex.data(), QByteArray::fromHex("01"));
}

void TestHexFile::refusedTexts_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("result");
    const QByteArray good = HexRecords::image(0x80050000u, QByteArray::fromHex("0102"));
    QTest::newRow("empty") << QByteArray() << int(HexFile::BadFormat);
    QTest::newRow("leading blank") << (" " + good) << int(HexFile::BadFormat);
    QTest::newRow(":1 start") << QByteArray(":10000000") << int(HexFile::BadFormat);
    QTest::newRow("text") << QByteArray("hello") << int(HexFile::BadFormat);
    // Truncated: the text ends inside a record.
    QTest::newRow("ends in data") << good.left(good.indexOf("\r\n", 20) - 4)
                                  << int(HexFile::Truncated);
    QTest::newRow("ends in header") << QByteArray(":0200") << int(HexFile::Truncated);
    // The byte count promises more data than the line holds: the next record is not read
    // as data.
    QByteArray shortLine = HexRecords::data(0x0000, QByteArray::fromHex("0102"));
    shortLine[2] = '4';
    QTest::newRow("count too large")
        << (HexRecords::extended(0x8005) + shortLine + HexRecords::endOfFile())
        << int(HexFile::Truncated);
    QTest::newRow("no hex digit") << (HexRecords::extended(0x8005) + ":02000000zz11ff\r\n")
                                  << int(HexFile::Truncated);
}

void TestHexFile::refusedTexts()
{
    QFETCH(QByteArray, text);
    QFETCH(int, result);
    HexFile hex;
    const HexFile::Report report = hex.parse(text);
    QCOMPARE(int(report.result), result);
    QCOMPARE(hex.size(), 0);
    QCOMPARE(hex.image(), QByteArray(HexFile::Capacity, HexFile::Erased));
}

void TestHexFile::truncatedRecordStopsAndKeepsImage()
{
    HexFile hex;
    QCOMPARE(hex.parse(HexRecords::image(0x80050000u, QByteArray(8, 'A'))).result, HexFile::Loaded);
    const QByteArray before = hex.image();
    QByteArray text = HexRecords::extended(0x8005);
    text += HexRecords::data(0x0000, QByteArray(4, 'B'));
    text += ":0400040042";
    QCOMPARE(hex.parse(text).result, HexFile::Truncated);
    QCOMPARE(hex.size(), 0);
    QCOMPARE(hex.image(), before);
}

void TestHexFile::recordsOutsideImageAreSkipped()
{
    // The base comes from the first data record; a later record below it and one past the
    // image end are skipped, the rest is stored.
    QByteArray text = HexRecords::extended(0x8005);
    text += HexRecords::data(0x1000, QByteArray::fromHex("0102"));
    text += HexRecords::data(0x0ffe, QByteArray::fromHex("aabbcc"));
    text += HexRecords::extended(0x8008);
    text += HexRecords::data(0x0d3f, QByteArray::fromHex("ddee"));
    text += HexRecords::endOfFile();
    HexFile hex;
    const HexFile::Report report = hex.parse(text);
    QCOMPARE(report.result, HexFile::Loaded);
    // 0x80080d3f - 0x80051000 = 0x2FD3F = 196,415; still inside the 200,000-byte image.
    QCOMPARE(report.skippedBytes, 2);
    QCOMPARE(hex.size(), 0x2FD41);
    QCOMPARE(hex.image().left(2), QByteArray::fromHex("cc02"));
    QCOMPARE(hex.image().mid(0x2FD3F, 2), QByteArray::fromHex("ddee"));

    // Offset 0x80080d3e - 0x80050000 = 199,998: of three bytes there, the third lies past
    // the end of the image.
    QByteArray beyond = HexRecords::extended(0x8005);
    beyond += HexRecords::data(0x0000, QByteArray::fromHex("01"));
    beyond += HexRecords::extended(0x8008);
    beyond += HexRecords::data(0x0d3e, QByteArray::fromHex("778899"));
    beyond += HexRecords::endOfFile();
    HexFile end;
    const HexFile::Report endReport = end.parse(beyond);
    QCOMPARE(endReport.result, HexFile::Loaded);
    QCOMPARE(endReport.skippedBytes, 1);
    QCOMPARE(end.size(), HexFile::Capacity);
    QCOMPARE(end.image().right(2), QByteArray::fromHex("7788"));
}

void TestHexFile::laterLoadKeepsEarlierBytes()
{
    HexFile hex;
    hex.parse(HexRecords::image(0x80050000u, QByteArray::fromHex("0102030405")));
    hex.parse(HexRecords::image(0x80050000u, QByteArray::fromHex("aa")));
    QCOMPARE(hex.size(), 1);
    QCOMPARE(hex.image().left(5), QByteArray::fromHex("aa02030405"));
}

void TestHexFile::loadFromFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("fw.hex");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray bytes = QByteArray::fromHex("0011223344");
    file.write(HexRecords::image(0x80050000u, bytes));
    file.close();
    HexFile hex;
    QCOMPARE(hex.load(path).result, HexFile::Loaded);
    QCOMPARE(hex.data(), bytes);
}

void TestHexFile::missingFile()
{
    HexFile hex;
    hex.parse(HexRecords::image(0x80050000u, QByteArray::fromHex("0011")));
    QCOMPARE(hex.size(), 2);
    QCOMPARE(hex.load(QString()).result, HexFile::NotOpened);
    QCOMPARE(hex.size(), 0);
    hex.parse(HexRecords::image(0x80050000u, QByteArray::fromHex("0011")));
    QCOMPARE(hex.load("no/such/file.hex").result, HexFile::NotOpened);
    QCOMPARE(hex.size(), 0);
    QCOMPARE(hex.image().left(2), QByteArray::fromHex("0011"));
}

QTEST_GUILESS_MAIN(TestHexFile)
#include "tst_hexfile.moc"
