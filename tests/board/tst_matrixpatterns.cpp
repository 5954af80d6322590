// Duty shapes of the light patterns and the switch sequences they are laid on.
#include "matrixpatterns.h"

#include <QtTest>

using Ints = QVector<int>;

class TestMatrixPatterns : public QObject
{
    Q_OBJECT
private slots:
    void alternate_data();
    void alternate();
    void hill_data();
    void hill();
    void ramp_data();
    void ramp();
    void rampStepsOf24Places();
    void rowSequences_data();
    void rowSequences();
};

void TestMatrixPatterns::alternate_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("phase");
    QTest::addColumn<Ints>("switches");
    Ints odd, even;
    for (int n = 1; n <= 24; ++n)
        (n % 2 ? odd : even).append(n);
    QTest::newRow("24, first run: odd") << 24 << 0 << odd;
    QTest::newRow("24, second run: even") << 24 << 1 << even;
    QTest::newRow("5, second run") << 5 << 1 << Ints{2, 4};
    QTest::newRow("1, second run: none") << 1 << 1 << Ints{};
    QTest::newRow("no switch") << 0 << 0 << Ints{};
}

void TestMatrixPatterns::alternate()
{
    QFETCH(int, count);
    QFETCH(int, phase);
    QFETCH(Ints, switches);
    QCOMPARE(MatrixPatterns::alternate(count, phase), switches);
}

void TestMatrixPatterns::hill_data()
{
    QTest::addColumn<int>("places");
    QTest::addColumn<Ints>("duties");
    QTest::newRow("none") << 0 << Ints{};
    QTest::newRow("one: an end") << 1 << Ints{0};
    QTest::newRow("two: both ends") << 2 << Ints{0, 0};
    QTest::newRow("three") << 3 << Ints{0, 1023, 0};
    QTest::newRow("four: the middle two") << 4 << Ints{0, 1023, 1023, 0};
    QTest::newRow("five") << 5 << Ints{0, 512, 1023, 512, 0};
    QTest::newRow("six") << 6 << Ints{0, 512, 1023, 1023, 512, 0};
    QTest::newRow("seven") << 7 << Ints{0, 341, 682, 1023, 682, 341, 0};
    QTest::newRow("twelve") << 12 << Ints{0, 207, 411, 615, 819, 1023, 1023, 819, 615, 411, 207, 0};
}

void TestMatrixPatterns::hill()
{
    QFETCH(int, places);
    QFETCH(Ints, duties);
    QCOMPARE(MatrixPatterns::hill(places), duties);
}

void TestMatrixPatterns::ramp_data()
{
    QTest::addColumn<int>("places");
    QTest::addColumn<bool>("fromLast");
    QTest::addColumn<Ints>("duties");
    QTest::newRow("none") << 0 << false << Ints{};
    QTest::newRow("one") << 1 << false << Ints{1023};
    QTest::newRow("one, mirrored") << 1 << true << Ints{1023};
    QTest::newRow("two") << 2 << false << Ints{1023, 0};
    QTest::newRow("three") << 3 << false << Ints{1023, 512, 1};
    QTest::newRow("three, mirrored") << 3 << true << Ints{1, 512, 1023};
    QTest::newRow("four") << 4 << false << Ints{1023, 682, 341, 0};
}

void TestMatrixPatterns::ramp()
{
    QFETCH(int, places);
    QFETCH(bool, fromLast);
    QFETCH(Ints, duties);
    QCOMPARE(MatrixPatterns::ramp(places, fromLast), duties);
}

void TestMatrixPatterns::rampStepsOf24Places()
{
    const Ints down = MatrixPatterns::ramp(24, false);
    const Ints up = MatrixPatterns::ramp(24, true);
    QCOMPARE(down.size(), 24);
    for (int i = 0; i < 24; ++i) {
        QCOMPARE(down.at(i), 1023 - 44 * i);
        QCOMPARE(up.at(23 - i), down.at(i));
    }
    QCOMPARE(down.last(), 11);
}

void TestMatrixPatterns::rowSequences_data()
{
    QTest::addColumn<MatrixPatterns::Map>("map");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::addColumn<QVector<Ints>>("sequences");
    const MatrixPatterns::Map map{{3, 1, 0, 2, 9}, {0, 6, 4, 5, 8}, {7, 7, 7, 7, 7}};
    QTest::newRow("columns in order, empty cells left out")
        << map << 2 << 4 << QVector<Ints>{{3, 1, 2}, {6, 4, 5}};
    QTest::newRow("only the columns inside") << map << 2 << 2 << QVector<Ints>{{3, 1}, {6}};
    QTest::newRow("an empty row stays")
        << MatrixPatterns::Map{{0, 0}, {1, 2}} << 2 << 2 << QVector<Ints>{{}, {1, 2}};
    QTest::newRow("rows beyond the map")
        << MatrixPatterns::Map{{1, 2}} << 4 << 24 << QVector<Ints>{{1, 2}};
    QTest::newRow("no map") << MatrixPatterns::Map{} << 2 << 2 << QVector<Ints>{};
}

void TestMatrixPatterns::rowSequences()
{
    QFETCH(MatrixPatterns::Map, map);
    QFETCH(int, rows);
    QFETCH(int, cols);
    QFETCH(QVector<Ints>, sequences);
    QCOMPARE(MatrixPatterns::rowSequences(map, rows, cols), sequences);
    Ints rowMajor;
    for (const Ints &row : sequences)
        rowMajor += row;
    QCOMPARE(MatrixPatterns::rowMajor(map, rows, cols), rowMajor);
}

QTEST_APPLESS_MAIN(TestMatrixPatterns)
#include "tst_matrixpatterns.moc"
