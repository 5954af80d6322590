// Scenario files: switch numbers on the first line, their duties on the second.
#include "scenariofile.h"
#include "testfiles.h"

#include <QtTest>

using Pairs = QVector<QPair<int, int>>;

class TestScenarioFile : public QObject
{
    Q_OBJECT
private slots:
    void pairs_data();
    void pairs();
    void rejected_data();
    void rejected();
    void openFailure_data();
    void openFailure();
    void rereadForgetsTheLastFile();
};

void TestScenarioFile::pairs_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Pairs>("pairs");
    QTest::newRow("applied in order")
        << QByteArray("1 5 9\n1023 512 0\n") << Pairs{{1, 1023}, {5, 512}, {9, 0}};
    QTest::newRow("white space, tabs and CRLF")
        << QByteArray("  3\t\t 4  \r\n 7    8 \r\n") << Pairs{{3, 7}, {4, 8}};
    QTest::newRow("no newline at the end") << QByteArray("2\n100") << Pairs{{2, 100}};
    QTest::newRow("duties clamped")
        << QByteArray("1 2 3\n-5 2000 99999999999\n") << Pairs{{1, 0}, {2, 1023}, {3, 1023}};
    QTest::newRow("a switch without a duty")
        << QByteArray("1 2 3\n10 20\n") << Pairs{{1, 10}, {2, 20}};
    QTest::newRow("a duty without a switch") << QByteArray("1\n10 20\n") << Pairs{{1, 10}};
    QTest::newRow("words that are no numbers") << QByteArray("1 x 3\n10 20 y\n") << Pairs{{1, 10}};
    QTest::newRow("switch 0 and negative switches")
        << QByteArray("0 -2 4\n1 2 3\n") << Pairs{{4, 3}};
    QTest::newRow("a switch number beyond int")
        << QByteArray("99999999999 2\n1 2\n") << Pairs{{2, 2}};
    QTest::newRow("only the switch line") << QByteArray("1 2\n") << Pairs{};
    QTest::newRow("empty file") << QByteArray() << Pairs{};
    QTest::newRow("empty duty line") << QByteArray("1 2\n\n") << Pairs{};
}

void TestScenarioFile::pairs()
{
    QFETCH(QByteArray, text);
    QFETCH(Pairs, pairs);
    QVERIFY(TestFiles::write(QStringLiteral("scenario.txt"), text));
    ScenarioFile file;
    QCOMPARE(file.read(QStringLiteral("scenario.txt"), 3), ScenarioFile::Read);
    QCOMPARE(file.pairs(), pairs);
}

void TestScenarioFile::rejected_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("maxWords");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("line");
    QTest::newRow("a third line") << QByteArray("1 2\n5 6\n7\n") << 3
                                  << int(ScenarioFile::ThirdLine) << 3;
    QTest::newRow("an empty third line")
        << QByteArray("1 2\n5 6\n\n") << 3 << int(ScenarioFile::ThirdLine) << 3;
    QTest::newRow("too many switches")
        << QByteArray("1 2 3 4\n5 6\n") << 3 << int(ScenarioFile::TooManyWords) << 1;
    QTest::newRow("too many duties")
        << QByteArray("1 2\n5 6 7 8\n") << 3 << int(ScenarioFile::TooManyWords) << 2;
    QTest::newRow("no switch configured")
        << QByteArray("1\n5\n") << 0 << int(ScenarioFile::TooManyWords) << 1;
}

void TestScenarioFile::rejected()
{
    QFETCH(QByteArray, text);
    QFETCH(int, maxWords);
    QFETCH(int, status);
    QFETCH(int, line);
    QVERIFY(TestFiles::write(QStringLiteral("scenario.txt"), text));
    ScenarioFile file;
    QCOMPARE(int(file.read(QStringLiteral("scenario.txt"), maxWords)), status);
    QCOMPARE(file.rejectedLine(), line);
    QCOMPARE(file.pairs(), Pairs{});
}

void TestScenarioFile::openFailure_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << QStringLiteral("missing.txt");
    QTest::newRow("cancelled dialog") << QString();
}

void TestScenarioFile::openFailure()
{
    QFETCH(QString, name);
    ScenarioFile file;
    QCOMPARE(file.read(name, 3), ScenarioFile::OpenFailed);
    QVERIFY(!file.errorString().isEmpty());
    QCOMPARE(file.pairs(), Pairs{});
}

void TestScenarioFile::rereadForgetsTheLastFile()
{
    QVERIFY(TestFiles::write(QStringLiteral("good.txt"), "1\n500\n"));
    QVERIFY(TestFiles::write(QStringLiteral("bad.txt"), "1\n500\n1\n"));
    ScenarioFile file;
    QCOMPARE(file.read(QStringLiteral("good.txt"), 3), ScenarioFile::Read);
    QCOMPARE(file.read(QStringLiteral("bad.txt"), 3), ScenarioFile::ThirdLine);
    QCOMPARE(file.pairs(), Pairs{});
    QCOMPARE(file.read(QStringLiteral("missing.txt"), 3), ScenarioFile::OpenFailed);
    QCOMPARE(file.rejectedLine(), 0);
}

QTEST_APPLESS_MAIN(TestScenarioFile)
#include "tst_scenariofile.moc"
