// The PWM phase calculator: positions in every mode row, the duty ends, modes without a row,
// and channel counts below 1.
#include "phasecalculator.h"

#include <QtTest>

#include <algorithm>
#include <limits>

class TestPhaseCalculator : public QObject
{
    Q_OBJECT

    static constexpr int Channels = 14;
    static constexpr int Untouched = -7;
    int duty[Channels], start[Channels], end[Channels], index[Channels];

    int compute(int n, int mode)
    {
        PhaseCalculator calculator{};
        return calculator.computePhases(n, mode, duty, start, end, index);
    }
    // Whether channels from on are left alone.
    bool untouchedFrom(int from) const
    {
        for (const int *a : {duty, start, end, index})
            if (!std::all_of(a + from, a + Channels, [](int v) { return v == Untouched; }))
                return false;
        return true;
    }

private slots:
    void init()
    {
        for (int *a : {duty, start, end, index})
            std::fill(a, a + Channels, Untouched);
    }

    // One channel after zero-duty ones: its start, end and duty afterwards.
    void positions()
    {
        constexpr int Max = std::numeric_limits<int>::max(), Min = std::numeric_limits<int>::min();
        const struct {
            int mode, channel, duty, start, end, dutyAfter;
        } rows[] = {{0, 3, 500, 270, 793, 500},    {0, 11, 100, 926, 825, 100}, // wrapped
                    {0, 0, 1, 24, 22, 1},          {7, 0, 1023, 24, 24, 1023},
                    {8, 3, 500, 288, 811, 500},    {15, 0, 1022, 48, 49, 1022},
                    {16, 11, 1, 888, 886, 1},      {19, 11, 1022, 888, 889, 1022},
                    {20, 0, 500, 192, 715, 500},   {20, 11, 100, 896, 795, 100},
                    {20, 5, 0, 0, 1023, 0},        {0, 2, 1024, 188, 188, 1023},
                    {16, 1, Max, 168, 168, 1023},  {0, 4, -1, 0, 1023, 0},
                    {20, 4, Min, 0, 1023, 0},      {21, 3, 500, 270, 793, 500}, // mode 0's row
                    {-1, 1, 1023, 106, 106, 1023}, {0, 12, 1023, 1008, 1008, 1023},
                    {0, 13, 1022, 1090, 67, 1022}}; // beyond twelve, start is not wrapped
        for (const auto &r : rows) {
            init();
            std::fill(duty, duty + r.channel, 0);
            duty[r.channel] = r.duty;
            QCOMPARE(compute(r.channel + 1, r.mode), 1);
            QCOMPARE(QList<int>({start[r.channel], end[r.channel], duty[r.channel]}),
                     QList<int>({r.start, r.end, r.dutyAfter}));
            for (int i = 0; i <= r.channel; ++i)
                QCOMPARE(index[i], i);
            QVERIFY(untouchedFrom(r.channel + 1));
        }
    }

    // With twelve channels full on, channel i starts at i * spacing + offset.
    void modeRows()
    {
        for (int mode = 0; mode <= 20; ++mode) {
            const int row = mode < 8 ? 0 : mode < 16 ? 1 : mode < 20 ? 2 : 3;
            const int spacing = QList<int>{82, 80, 72, 64}.at(row);
            const int offset = QList<int>{24, 48, 96, 192}.at(row);
            std::fill(duty, duty + 12, 1023);
            compute(12, mode);
            for (int i = 0; i < 12; ++i)
                QCOMPARE(QList<int>({start[i], end[i]}), QList<int>(2, i * spacing + offset));
        }
    }

    // No channels: nothing is touched. The working area is zeroed by reset.
    void edges()
    {
        for (int n : {0, -3, std::numeric_limits<int>::min()}) {
            QCOMPARE(compute(n, 0), 1);
            QVERIFY(untouchedFrom(0));
        }
        PhaseCalculator calculator;
        std::fill(&calculator.work[0][0], &calculator.work[0][0] + 9 * 12, 5);
        std::fill(calculator.tail, calculator.tail + 6, 5);
        calculator.reset();
        QCOMPARE(QList<qint32>(&calculator.work[0][0], &calculator.work[0][0] + 9 * 12) +
                     QList<qint32>(calculator.tail, calculator.tail + 6),
                 QList<qint32>(9 * 12 + 6, 0));
    }
};

QTEST_GUILESS_MAIN(TestPhaseCalculator)
#include "tst_phasecalculator.moc"
