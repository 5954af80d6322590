// Reading matrix configuration files: key lines, row lines and the checks on the counts.
#include "matrixconfiguration.h"

#include <QtTest>

namespace
{

using Rows = QList<QVector<int>>;

const QStringList Keys = {"NumberOfDevices 2", "PixelsPerDevice 12", "NumberOfRows 2",
                          "NumberOfCols 3"};

// Counts as "devices pixels rows cols".
QString counts(const MatrixConfiguration &config)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(config.devices)
        .arg(config.pixels)
        .arg(config.rows)
        .arg(config.cols);
}

// The first n rows of the map, each within the configuration's columns (zeros kept).
Rows mapRows(const MatrixConfiguration &config, int n)
{
    Rows rows;
    for (int r = 0; r < n; ++r) {
        QVector<int> row;
        for (int c = 0; c < config.cols; ++c)
            row << config.map.at(r).at(c);
        rows << row;
    }
    return rows;
}

} // namespace

class TestMatrixConfiguration : public QObject
{
    Q_OBJECT

private slots:
    void lines_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("counts");
        QTest::addColumn<Rows>("rows");
        QTest::newRow("plain") << Keys + QStringList{"1 2 3", "4 5 6"} << "2 12 2 3"
                               << Rows{{1, 2, 3}, {4, 5, 6}};
        QTest::newRow("blanks, tabs and line ends")
            << QStringList{"  NumberOfDevices\t 1 \r", "PixelsPerDevice   12", "NumberOfRows 1",
                           "NumberOfCols 3", "\t7   8 9\r"}
            << "1 12 1 3" << Rows{{7, 8, 9}};
        QTest::newRow("key line of one or three words")
            << QStringList{"NumberOfDevices", "NumberOfDevices 1 2"} + Keys + QStringList{"1"}
            << "2 12 2 3" << Rows{{1, 0, 0}, {0, 0, 0}};
        QTest::newRow("key in other letter case")
            << QStringList{"numberofdevices 1"} + Keys << "2 12 2 3" << Rows{{0, 0, 0}, {0, 0, 0}};
        QTest::newRow("number before key sets it to 0")
            << QStringList{"5 NumberOfDevices", "PixelsPerDevice 12", "NumberOfRows 2",
                           "NumberOfCols 3", "1 2 3"}
            << "0 12 2 3" << Rows{{1, 2, 3}, {0, 0, 0}};
        QTest::newRow("repeated key counts; the fourth line ends the keys")
            << QStringList{"NumberOfDevices 1", "NumberOfDevices 2", "NumberOfRows 1",
                           "NumberOfCols 2", "PixelsPerDevice 9"}
            << "2 0 1 2" << Rows{{0, 9}};
        QTest::newRow("row line before the fourth key is ignored")
            << QStringList{"NumberOfDevices 1", "1 2 3",          "PixelsPerDevice 12",
                           "NumberOfRows 1",    "NumberOfCols 3", "4 5 6"}
            << "1 12 1 3" << Rows{{4, 5, 6}};
        QTest::newRow("empty line takes a row")
            << Keys + QStringList{"", "4 5 6"} << "2 12 2 3" << Rows{{0, 0, 0}, {4, 5, 6}};
        QTest::newRow("long row line skipped") << Keys + QStringList{"1 2 3 4", "5 6", "7"}
                                               << "2 12 2 3" << Rows{{5, 6, 0}, {7, 0, 0}};
        QTest::newRow("after the keys a key line is a row")
            << Keys + QStringList{"NumberOfRows 4"} << "2 12 2 3" << Rows{{0, 4, 0}, {0, 0, 0}};
        QTest::newRow("numbers modulo 256, words no number give 0")
            << QStringList{"NumberOfDevices 258", "PixelsPerDevice x", "NumberOfRows -1",
                           "NumberOfCols 3", "257 a 0x5"}
            << "2 0 0 3" << Rows{{1, 0, 0}};
    }
    void lines()
    {
        QFETCH(QStringList, lines);
        QFETCH(Rows, rows);
        MatrixConfiguration config;
        config.readLines(lines);
        QTEST(counts(config), "counts");
        QCOMPARE(mapRows(config, rows.size()), rows);
    }

    // Cells past column 24 and rows past the twelfth stay out of the map.
    void mapBounds()
    {
        QStringList lines = {"NumberOfDevices 2", "PixelsPerDevice 12", "NumberOfRows 2",
                             "NumberOfCols 30"};
        QStringList cells;
        for (int c = 1; c <= 30; ++c)
            cells << QString::number(c);
        for (int r = 0; r < 14; ++r)
            lines << cells.join(' ');
        MatrixConfiguration config;
        config.readLines(lines);
        QCOMPARE(config.map.size(), 12);
        for (const QVector<quint8> &row : std::as_const(config.map)) {
            QCOMPARE(row.size(), 24);
            QCOMPARE(int(row.last()), 24);
        }
        QVERIFY(!config.countsValid());
        QCOMPARE(config.activeSwitches(), 48);
    }

    // A file with fewer row lines keeps the rows it started from.
    void startsFromPrevious()
    {
        MatrixConfiguration::Map previous(12, QVector<quint8>(24, 0));
        previous[0][0] = 1;
        previous[1][0] = 2;
        previous[1][2] = 3;
        MatrixConfiguration config(1, 12, 2, 3, previous);
        config.readLines({"NumberOfDevices 2", "NumberOfDevices 2", "NumberOfDevices 2",
                          "NumberOfDevices 2", "9"});
        QCOMPARE(counts(config), QString("2 12 2 3"));
        QCOMPARE(mapRows(config, 2), (Rows{{9, 0, 0}, {2, 0, 3}}));
    }

    void countsValid_data()
    {
        QTest::addColumn<int>("devices");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("cols");
        QTest::addColumn<bool>("valid");
        QTest::newRow("smallest") << 1 << 1 << 1 << true;
        QTest::newRow("largest") << 2 << 4 << 24 << true;
        QTest::newRow("no device") << 0 << 1 << 1 << false;
        QTest::newRow("three devices") << 3 << 1 << 1 << false;
        QTest::newRow("no row") << 1 << 0 << 1 << false;
        QTest::newRow("five rows") << 1 << 5 << 1 << false;
        QTest::newRow("no column") << 1 << 1 << 0 << false;
        QTest::newRow("25 columns") << 1 << 1 << 25 << false;
    }
    void countsValid()
    {
        QFETCH(int, devices);
        QFETCH(int, rows);
        QFETCH(int, cols);
        const MatrixConfiguration config(devices, 12, rows, cols, {});
        QTEST(config.countsValid(), "valid");
    }

    // Active switches count only cells inside rows x cols; the check compares them with the
    // pixels of all devices.
    void activeSwitches()
    {
        MatrixConfiguration::Map map(12, QVector<quint8>(24, 7));
        MatrixConfiguration config(2, 3, 2, 3, map);
        QCOMPARE(config.activeSwitches(), 6);
        QVERIFY(!config.tooManySwitches());
        config.pixels = 2;
        QVERIFY(config.tooManySwitches());
        config.map[1][2] = 0;
        QCOMPARE(config.activeSwitches(), 5);
        QCOMPARE(config.rowSwitches(1), (QVector<int>{7, 7}));
    }
};

QTEST_APPLESS_MAIN(TestMatrixConfiguration)
#include "tst_matrixconfiguration.moc"
