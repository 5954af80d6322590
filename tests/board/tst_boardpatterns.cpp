// The light patterns and scenario files on loaded matrix configurations.
#include "boardmatrixfixture.h"

#include <QCheckBox>
#include <QtTest>

using Ints = QList<int>;

class TestBoardPatterns : public QObject
{
    Q_OBJECT

    BoardMatrixFixture f;

    // Checks the mode box name ("" for none) and unchecks the others.
    void selectMode(const QString &name)
    {
        for (const char *box : {"cbBySW", "cbByRow", "cbByRowIndependent"})
            f.widget<QCheckBox>(box)->setChecked(name == QLatin1String(box));
    }
    static Ints ramp24(bool fromLast)
    {
        Ints duties;
        for (int i = 0; i < 24; ++i)
            duties.append(1023 - 44 * i);
        if (fromLast)
            std::reverse(duties.begin(), duties.end());
        return duties;
    }
    // Duties of the given switches.
    Ints dutiesOf(const Ints &switches)
    {
        Ints result;
        for (int n : switches)
            result.append(f.duty(n));
        return result;
    }
    void scenario(const QByteArray &text)
    {
        QVERIFY(TestFiles::write(QStringLiteral("scenario.txt"), text));
        f.prompt.queueFile(QStringLiteral("scenario.txt"));
        f.page()->on_pbPatternCustom_clicked();
    }

private slots:
    void initTestCase() { QVERIFY(f.start()); }

    // Each run lights every second switch; the switch mode and the row modes keep a phase each.
    void alternateSwitches()
    {
        f.load(2, BoardMatrixFixture::numberedRows(24, 12));
        Ints odd, even;
        for (int n = 1; n <= 24; ++n) {
            odd.append(n % 2 ? 1023 : 0);
            even.append(n % 2 ? 0 : 1023);
        }
        const struct {
            const char *mode;
            const Ints &duties;
        } runs[] = {{"cbBySW", odd},
                    {"cbBySW", even},
                    {"cbByRow", odd},
                    {"cbByRowIndependent", even},
                    {"cbBySW", odd}};
        for (const auto &run : runs) {
            selectMode(run.mode);
            f.setDuties(24, 0);
            f.page()->pattern1();
            QCOMPARE(f.duties(24), run.duties);
        }
    }

    // Each run starts from all switches off.
    void alternateSwitchesFromAllOff()
    {
        f.load(2, BoardMatrixFixture::numberedRows(24, 12));
        f.setDuties(24, 300);
        f.page()->run(QStringLiteral("allOff"), QString());
        if (f.duty(2) != 0)
            QSKIP("the command handler has no allOff yet");
        selectMode("cbBySW");
        f.setDuties(24, 300);
        f.page()->pattern1();
        for (int run = 0; run < 2; ++run) {
            f.page()->pattern1();
            QCOMPARE(f.duties(24).count(1023), 12);
            QCOMPARE(f.duties(24).count(0), 12);
        }
    }

    void rampMirrorsEachRun()
    {
        f.load(2, BoardMatrixFixture::numberedRows(24, 12));
        selectMode("cbBySW");
        f.page()->pattern3();
        QCOMPARE(f.duties(24), ramp24(false));
        f.page()->pattern3();
        QCOMPARE(f.duties(24), ramp24(true));
        // Row mode has a direction of its own.
        selectMode("cbByRow");
        f.page()->pattern3();
        QCOMPARE(f.duties(24), ramp24(false));
        f.page()->pattern3();
        QCOMPARE(f.duties(24), ramp24(true));
        selectMode("cbBySW");
        f.page()->pattern3();
        QCOMPARE(f.duties(24), ramp24(false));
        f.page()->pattern3();
    }

    // Each sequence of the mode gets its own shape; rows numbered out of column order.
    void shapesByMode_data()
    {
        QTest::addColumn<QList<Ints>>("rows");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("pattern");
        QTest::addColumn<Ints>("switches");
        QTest::addColumn<Ints>("duties");
        const QList<Ints> crossed{{3, 1, 2}, {6, 4, 5}};
        const Ints crossedOrder{3, 1, 2, 6, 4, 5};
        QTest::newRow("hill of 7")
            << QList<Ints>{{1, 2, 3, 4, 5, 6, 7}} << "cbBySW" << 2 << Ints{1, 2, 3, 4, 5, 6, 7}
            << Ints{0, 341, 682, 1023, 682, 341, 0};
        QTest::newRow("hill of 12")
            << BoardMatrixFixture::numberedRows(12, 12) << "cbByRow" << 2
            << Ints{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}
            << Ints{0, 207, 411, 615, 819, 1023, 1023, 819, 615, 411, 207, 0};
        QTest::newRow("hill by row, map order")
            << crossed << "cbByRow" << 2 << crossedOrder << Ints{0, 512, 1023, 1023, 512, 0};
        QTest::newRow("hill by switch number") << crossed << "cbBySW" << 2 << Ints{1, 2, 3, 4, 5, 6}
                                               << Ints{0, 512, 1023, 1023, 512, 0};
        QTest::newRow("hill per row")
            << crossed << "cbByRowIndependent" << 2 << crossedOrder << Ints{0, 1023, 0, 0, 1023, 0};
        QTest::newRow("ramp per row") << crossed << "cbByRowIndependent" << 3 << crossedOrder
                                      << Ints{1023, 512, 1, 1023, 512, 1};
        QTest::newRow("ramp by row")
            << crossed << "cbByRow" << 3 << crossedOrder << Ints{1023, 819, 615, 411, 207, 3};
        QTest::newRow("one switch: hill")
            << QList<Ints>{{1}} << "cbBySW" << 2 << Ints{1} << Ints{0};
        QTest::newRow("one switch: ramp")
            << QList<Ints>{{1}} << "cbBySW" << 3 << Ints{1} << Ints{1023};
        QTest::newRow("two switches: hill")
            << QList<Ints>{{1, 2}} << "cbByRow" << 2 << Ints{1, 2} << Ints{0, 0};
        QTest::newRow("no mode") << crossed << "" << 3 << crossedOrder
                                 << Ints{300, 300, 300, 300, 300, 300};
    }
    void shapesByMode()
    {
        QFETCH(QList<Ints>, rows);
        QFETCH(QString, mode);
        QFETCH(int, pattern);
        QFETCH(Ints, switches);
        QFETCH(Ints, duties);
        f.load(1, rows);
        selectMode(mode);
        f.setDuties(int(switches.size()), 300);
        if (pattern == 2)
            f.page()->pattern2();
        else
            f.page()->pattern3();
        QCOMPARE(dutiesOf(switches), duties);
    }

    // Switch numbers the matrix does not count, and a matrix without switches.
    void unknownSwitchesAreSkipped()
    {
        f.load(1, {{1, 2, 40}});
        f.setDuties(3, 300);
        selectMode("cbByRow");
        f.page()->pattern2();
        QCOMPARE(dutiesOf({1, 2, 3}), (Ints{0, 1023, 300}));
        f.load(1, {{0, 0, 0}});
        const Ints before = dutiesOf({1, 2, 3});
        for (const char *mode : {"cbBySW", "cbByRow", "cbByRowIndependent"}) {
            selectMode(mode);
            f.page()->pattern1();
            f.page()->pattern2();
            f.page()->pattern3();
        }
        QCOMPARE(dutiesOf({1, 2, 3}), before);
    }

    void scenarioFiles_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Ints>("duties");
        QTest::newRow("applied") << QByteArray("1 5 9\n1023 512 0\n")
                                 << Ints{1023, 300, 300, 300, 512, 300, 300, 300, 0, 300, 300, 300};
        QTest::newRow("clamped, skipped")
            << QByteArray("2 13 0 3 4\n-1 1023 1023 5000\n")
            << Ints{300, 0, 1023, 300, 300, 300, 300, 300, 300, 300, 300, 300};
        QTest::newRow("a third line") << QByteArray("1\n1023\n2\n") << Ints(12, 300);
        QTest::newRow("too many words")
            << QByteArray("1 2 3 4 5 6 7 8 9 10 11 12 1\n0\n") << Ints(12, 300);
    }
    void scenarioFiles()
    {
        QFETCH(QByteArray, text);
        QFETCH(Ints, duties);
        f.load(1, BoardMatrixFixture::numberedRows(12, 12));
        f.setDuties(12, 300);
        QSignalSpy log(f.page(), &Applet::signal_log);
        scenario(text);
        QCOMPARE(f.duties(12), duties);
        // A rejected file is reported as an error.
        const bool rejected = duties == Ints(12, 300);
        QCOMPARE(log.size(), rejected ? 1 : 0);
        if (rejected)
            QCOMPARE(log.first().at(0).toInt(), -1);
        QCOMPARE(f.prompt.fileDialogs().last(),
                 QStringLiteral("Open scenario file|Text files (*.txt)"));
    }

    void scenarioOpenFailure()
    {
        const qsizetype before = f.prompt.messages().size();
        f.page()->on_pbPatternCustom_clicked(); // the dialog cancelled
        QCOMPARE(f.prompt.messages().size(), before + 1);
        QCOMPARE(f.prompt.messages().last().title, QStringLiteral("Error"));
        QVERIFY(!f.prompt.messages().last().text.isEmpty());
    }
};

QTEST_MAIN(TestBoardPatterns)
#include "tst_boardpatterns.moc"
