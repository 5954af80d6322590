// The live animation image, its padding and the two checksums of the flash blocks and of the
// chips' map-enable frames.
#include "animationimage.h"
#include "board.h"
#include "fakeboard_flash.h"
#include "fakematrixbus.h"

#include <QtTest>

namespace
{

using Grid = QVector<QVector<quint8>>;

// rows x cols cells numbered from 1, row by row.
Grid fullGrid(int rows, int cols)
{
    Grid grid(rows, QVector<quint8>(cols));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            grid[r][c] = quint8(r * cols + c + 1);
    return grid;
}

QVector<int> steppedDuties(int count)
{
    QVector<int> duties;
    for (int n = 0; n < count; ++n)
        duties.append(45 * n);
    return duties;
}

QByteArray pseudoRandom(int size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    for (char &c : bytes) {
        seed = seed * 214013u + 2531011u;
        c = char(seed >> 16);
    }
    return bytes;
}

} // namespace

class TestBoardLivesendImage : public QObject
{
    Q_OBJECT

private slots:
    void crc32_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<quint32>("crc");
        QTest::newRow("abc") << QByteArray("abc") << 0x00616263u;
        QTest::newRow("one byte") << QByteArray("Z") << 0x5Au;
        QTest::newRow("four bytes") << QByteArray::fromHex("deadbeef") << 0xdeadbeefu;
        QTest::newRow("zero block") << QByteArray(256, '\0') << 0u;
        QTest::newRow("empty") << QByteArray() << 0u;
        const QByteArray block = pseudoRandom(256, 7);
        QTest::newRow("random block") << block << FakeBoardFlash::crc32(block);
        const QByteArray five = QByteArray::fromHex("0102030405");
        QTest::newRow("five bytes") << five << FakeBoardFlash::crc32(five);
    }
    void crc32()
    {
        QFETCH(QByteArray, data);
        QTEST(Board::crc32(reinterpret_cast<const quint8 *>(data.constData()), data.size()), "crc");
    }

    void crc8_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("crc");
        QTest::newRow("abc") << QByteArray("abc") << 0xDE;
        QTest::newRow("empty") << QByteArray() << 0xF3;
        for (int size : {1, 3, 9}) {
            const QByteArray data = pseudoRandom(size, quint32(size));
            QTest::newRow(qPrintable(QStringLiteral("random %1").arg(size)))
                << data << int(FakeMatrixBus::crc8(data));
        }
    }
    void crc8()
    {
        QFETCH(QByteArray, data);
        QTEST(Board::crc8(data), "crc");
    }

    void mapEnableFrame_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("0") << 0 << QByteArray("55e08f014f");
        QTest::newRow("1") << 1 << QByteArray("55618f012f");
        QTest::newRow("2") << 2 << QByteArray("55628f01a2");
        const QByteArray covered = QByteArray::fromHex("7f8f01");
        QTest::newRow("31")
            << 31
            << (QByteArray::fromHex("55") + covered + char(FakeMatrixBus::crc8(covered))).toHex();
    }
    void mapEnableFrame()
    {
        QFETCH(int, address);
        QFETCH(QByteArray, frame);
        QCOMPARE(Board::mapEnableFrame(address).toHex(), frame);
    }

    void mapCommand()
    {
        QCOMPARE(Board::mapCommand(1, "0101", Board::mapEnableFrame(1)),
                 QByteArray("set P110MAPENAREG=01010155618f012f"));
        QCOMPARE(Board::mapCommand(26, "0000", QByteArray(1, '\0')),
                 QByteArray("set P110MAPENAREG=1a000000"));
    }

    void stepValue_data()
    {
        QTest::addColumn<int>("duty");
        QTest::addColumn<int>("value");
        QTest::newRow("full") << 1023 << 200;
        QTest::newRow("half") << 512 << 100;
        QTest::newRow("6") << 6 << 1;
        QTest::newRow("5") << 5 << 0;
        QTest::newRow("negative") << -40 << 0;
        QTest::newRow("above full") << 5000 << 200;
    }
    void stepValue()
    {
        QFETCH(int, duty);
        QTEST(int(AnimationImage::stepValue(duty)), "value");
    }

    void padded_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("paddedSize");
        QTest::newRow("empty") << 0 << 0;
        QTest::newRow("11") << 11 << 256;
        QTest::newRow("256") << 256 << 256;
        QTest::newRow("257") << 257 << 512;
    }
    void padded()
    {
        QFETCH(int, size);
        const QByteArray image = pseudoRandom(size, 3);
        const QByteArray out = AnimationImage::padded(image);
        QTEST(int(out.size()), "paddedSize");
        QCOMPARE(out.left(size), image);
        QCOMPARE(out.mid(size), QByteArray(out.size() - size, '\0'));
    }

    void live_data()
    {
        QTest::addColumn<QList<int>>("addresses");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("cols");
        QTest::addColumn<Grid>("grid");
        QTest::addColumn<QVector<int>>("duties");
        QTest::addColumn<QByteArray>("image");
        QVector<int> twoDevices = steppedDuties(24);
        twoDevices[23] = 1023;
        QTest::newRow("two devices")
            << QList<int>{1, 2} << 2 << 12 << fullGrid(2, 12) << twoDevices
            << QByteArray::fromHex("535441525432020101020008111a232b343d464f576069727b838c959e"
                                   "a7afb8c1c8454e44");
        QTest::newRow("all rows without device")
            << QList<int>{-1, -1} << 2 << 12 << fullGrid(2, 12) << twoDevices
            << QByteArray::fromHex("5354415254320001454e44");
        QTest::newRow("first row without device")
            << QList<int>{-1, 2} << 2 << 12 << fullGrid(2, 12) << twoDevices
            << QByteArray::fromHex("53544152543201010269727b838c959ea7afb8c1c8454e44");
        QTest::newRow("one row of full duty")
            << QList<int>{1} << 1 << 12 << fullGrid(1, 12) << QVector<int>(12, 1023)
            << QByteArray("START\x32\x01\x01\x01") + QByteArray(12, char(0xC8)) + "END";
        QTest::newRow("one row of 24 columns")
            << QList<int>{1, 2} << 1 << 24 << fullGrid(1, 24) << QVector<int>(24, 512)
            << QByteArray("START\x32\x02\x01\x01\x02") + QByteArray(24, char(100)) + "END";
        Grid holes = fullGrid(1, 4);
        holes[0][1] = 0;
        QTest::newRow("empty cell consumes nothing")
            << QList<int>{3} << 1 << 4 << holes << QVector<int>{1023, 512, 6, 5}
            << QByteArray::fromHex("535441525432010103c86401454e44");
        QTest::newRow("grid rows past the device rows")
            << QList<int>{5} << 3 << 2 << fullGrid(3, 2) << QVector<int>(6, 1023)
            << QByteArray::fromHex("535441525432010105c8c8454e44");
        QTest::newRow("duties past the vector read 0")
            << QList<int>{-1, 4} << 2 << 2 << fullGrid(2, 2) << QVector<int>(13, 1023)
            << QByteArray::fromHex("535441525432010104c800454e44");
        QTest::newRow("map smaller than the dimensions")
            << QList<int>{4} << 2 << 3 << Grid{{1, 2}} << QVector<int>(6, 1023)
            << QByteArray::fromHex("535441525432010104c8c8454e44");
        QTest::newRow("address low byte") << QList<int>{300} << 0 << 0 << Grid() << QVector<int>()
                                          << QByteArray::fromHex("53544152543201012c454e44");
    }
    void live()
    {
        QFETCH(QList<int>, addresses);
        QFETCH(int, rows);
        QFETCH(int, cols);
        QFETCH(Grid, grid);
        QFETCH(QVector<int>, duties);
        QFETCH(QByteArray, image);
        QCOMPARE(AnimationImage::live(addresses, rows, cols, grid, duties).toHex(), image.toHex());
    }
};

QTEST_MAIN(TestBoardLivesendImage)
#include "tst_boardlivesendimage.moc"
