// The PWM phase calculator: worked positions in every mode row, the duty ends, modes without
// a table row, and channel counts below 1.
#include "phasecalculator.h"

#include <QRegularExpression>
#include <QtTest>

#include <algorithm>
#include <limits>

namespace
{

constexpr int Channels = 14;
constexpr int Untouched = -7;

struct Arrays {
    int duty[Channels];
    int start[Channels];
    int end[Channels];
    int index[Channels];

    Arrays()
    {
        for (int *a : {duty, start, end, index})
            std::fill(a, a + Channels, Untouched);
    }
    int compute(PhaseCalculator &calculator, int n, int mode)
    {
        return calculator.computePhases(n, mode, duty, start, end, index);
    }
    // Whether channels from..Channels-1 are all left alone.
    bool untouchedFrom(int from) const
    {
        for (const int *a : {duty, start, end, index})
            if (!std::all_of(a + from, a + Channels, [](int v) { return v == Untouched; }))
                return false;
        return true;
    }
};

} // namespace

class TestPhaseCalculator : public QObject
{
    Q_OBJECT

private slots:
    void positions_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("duty");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("dutyAfter");
        // Mode rows: spacing 82/80/72/64, offset 24/48/96/192.
        QTest::newRow("mode 0, worked") << 0 << 3 << 500 << 270 << 793 << 500;
        QTest::newRow("mode 0, wrapped") << 0 << 11 << 100 << 926 << 825 << 100;
        QTest::newRow("mode 0, duty 1") << 0 << 0 << 1 << 24 << 22 << 1;
        QTest::newRow("mode 7, duty 1023") << 7 << 0 << 1023 << 24 << 24 << 1023;
        QTest::newRow("mode 8") << 8 << 3 << 500 << 288 << 811 << 500;
        QTest::newRow("mode 8, last channel") << 8 << 11 << 1023 << 928 << 928 << 1023;
        QTest::newRow("mode 15, duty 1022") << 15 << 0 << 1022 << 48 << 49 << 1022;
        QTest::newRow("mode 16") << 16 << 3 << 500 << 312 << 835 << 500;
        QTest::newRow("mode 16, duty 1") << 16 << 11 << 1 << 888 << 886 << 1;
        QTest::newRow("mode 19, duty 1022") << 19 << 11 << 1022 << 888 << 889 << 1022;
        QTest::newRow("mode 20") << 20 << 0 << 500 << 192 << 715 << 500;
        QTest::newRow("mode 20, wrapped") << 20 << 11 << 100 << 896 << 795 << 100;
        QTest::newRow("mode 20, duty 1022") << 20 << 11 << 1022 << 896 << 897 << 1022;
        // Duty ends.
        QTest::newRow("duty 0") << 20 << 5 << 0 << 0 << 1023 << 0;
        QTest::newRow("duty 0, mode 8") << 8 << 11 << 0 << 0 << 1023 << 0;
        QTest::newRow("duty 1024") << 0 << 2 << 1024 << 188 << 188 << 1023;
        QTest::newRow("duty 5000") << 8 << 1 << 5000 << 128 << 128 << 1023;
        QTest::newRow("duty largest")
            << 16 << 1 << std::numeric_limits<int>::max() << 168 << 168 << 1023;
        QTest::newRow("duty -1") << 0 << 4 << -1 << 0 << 1023 << 0;
        QTest::newRow("duty smallest")
            << 20 << 4 << std::numeric_limits<int>::min() << 0 << 1023 << 0;
        // Modes without a row take mode 0's.
        QTest::newRow("mode 21") << 21 << 3 << 500 << 270 << 793 << 500;
        QTest::newRow("mode 31") << 31 << 11 << 100 << 926 << 825 << 100;
        QTest::newRow("mode -1") << -1 << 1 << 1023 << 106 << 106 << 1023;
        // Beyond twelve channels start is not wrapped, only end.
        QTest::newRow("channel 12") << 0 << 12 << 1023 << 1008 << 1008 << 1023;
        QTest::newRow("channel 13") << 0 << 13 << 1023 << 1090 << 1090 << 1023;
        QTest::newRow("channel 13, duty 1022") << 0 << 13 << 1022 << 1090 << 67 << 1022;
    }

    void positions()
    {
        QFETCH(int, mode);
        QFETCH(int, channel);
        QFETCH(int, duty);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(int, dutyAfter);
        if (mode < 0 || mode > 20)
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression("no phase table for mode"));
        Arrays a;
        std::fill(a.duty, a.duty + channel, 0);
        a.duty[channel] = duty;
        PhaseCalculator calculator{};
        QCOMPARE(a.compute(calculator, channel + 1, mode), 1);
        QCOMPARE(a.start[channel], start);
        QCOMPARE(a.end[channel], end);
        QCOMPARE(a.duty[channel], dutyAfter);
        for (int i = 0; i <= channel; ++i)
            QCOMPARE(a.index[i], i);
        QVERIFY(a.untouchedFrom(channel + 1));
    }

    // With twelve channels of one duty, channel i starts at i * spacing + offset.
    void modeRows_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<int>("offset");
        for (int mode = 0; mode <= 20; ++mode) {
            const int row = mode < 8 ? 0 : mode < 16 ? 1 : mode < 20 ? 2 : 3;
            QTest::addRow("%d", mode) << mode << QList<int>{82, 80, 72, 64}.at(row)
                                      << QList<int>{24, 48, 96, 192}.at(row);
        }
    }

    void modeRows()
    {
        QFETCH(int, mode);
        QFETCH(int, spacing);
        QFETCH(int, offset);
        Arrays a;
        std::fill(a.duty, a.duty + 12, 1023);
        PhaseCalculator calculator{};
        a.compute(calculator, 12, mode);
        for (int i = 0; i < 12; ++i) {
            QCOMPARE(a.start[i], i * spacing + offset);
            QCOMPARE(a.end[i], a.start[i]);
            QVERIFY(a.start[i] <= 1023);
        }
    }

    void noChannels_data()
    {
        QTest::addColumn<int>("n");
        QTest::newRow("0") << 0;
        QTest::newRow("-3") << -3;
        QTest::newRow("smallest") << std::numeric_limits<int>::min();
    }

    void noChannels()
    {
        QFETCH(int, n);
        Arrays a;
        PhaseCalculator calculator{};
        QCOMPARE(a.compute(calculator, n, 0), 1);
        QVERIFY(a.untouchedFrom(0));
    }

    // The working area is zeroed by reset and left alone by the calculation.
    void workingArea()
    {
        PhaseCalculator calculator;
        std::fill(&calculator.work[0][0], &calculator.work[0][0] + 9 * 12, 5);
        std::fill(calculator.tail, calculator.tail + 6, 5);
        Arrays a;
        std::fill(a.duty, a.duty + 12, 300);
        a.compute(calculator, 12, 0);
        QCOMPARE(calculator.work[8][11], 5);
        calculator.reset();
        QVERIFY(std::all_of(&calculator.work[0][0], &calculator.work[0][0] + 9 * 12,
                            [](qint32 v) { return v == 0; }));
        QVERIFY(std::all_of(calculator.tail, calculator.tail + 6, [](qint32 v) { return v == 0; }));
    }
};

QTEST_GUILESS_MAIN(TestPhaseCalculator)
#include "tst_phasecalculator.moc"
