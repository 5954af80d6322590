// The light pattern's movements on hand-made matrix layouts, checked against hand-computed
// duties.
#include "matrixmotion.h"
#include "tablerows.h"

#include <QMap>
#include <QtTest>

using Mode = MatrixMotion::Mode;
Q_DECLARE_METATYPE(MatrixMotion::Mode)

namespace
{

QVector<int> numbers(const QString &text)
{
    QVector<int> out;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        out.append(word.toInt());
    return out;
}

// The layout buffers a loaded matrix gives: map rows separated by "|", cells by blanks.
struct Rig {
    QVector<int> duty, profile, target, sequence, rowCount;
    QVector<QVector<int>> scratch, rowSequences;
    qint32 subStep = 0;
    int n = 0;
    int m = 0;
    QMap<int, int> written; // last duty written to each switch
    int writes = 0;

    explicit Rig(const QString &map)
    {
        QVector<QVector<int>> rows;
        for (const QString &row : map.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
            QVector<int> cells = numbers(row);
            cells.removeAll(0);
            rows.append(cells);
            rowCount.append(int(cells.size()));
            m = qMax(m, int(cells.size()));
            n += int(cells.size());
        }
        sequence = QVector<int>(n, 0);
        for (const QVector<int> &row : rows) {
            sequence += row;
            rowSequences.append(QVector<int>(2 * m, 0) + row);
            scratch.append(QVector<int>(5 * m + 1, 0));
        }
        sequence += QVector<int>(n, 0);
        duty = QVector<int>(n, 0);
        profile = target = QVector<int>(3 * n, 0);
    }

    void move(Mode mode, bool forward, int stepping = 1)
    {
        MatrixMotion::Buffers b{duty,     profile,      target,   subStep, scratch,
                                sequence, rowSequences, rowCount, n,       m};
        MatrixMotion(b, [this](int sw, int value) {
            written[sw] = value;
            ++writes;
        }).move(mode, forward, stepping);
    }
    // A pattern placed on a switch's place of the profile (and its target).
    void placeOnSwitch(int sw, int value)
    {
        const int place = int(sequence.indexOf(sw, n));
        profile[place] = target[place] = value;
    }
    // The duty last written to each switch 1..n, -1 where none was.
    QVector<int> writtenDuties() const
    {
        QVector<int> out;
        for (int sw = 1; sw <= n; ++sw)
            out.append(written.value(sw, -1));
        return out;
    }
};

const QString Twelve = QStringLiteral("1 2 3 4 5 6 7 8 9 10 11 12");
const QString TwentyFour =
    QStringLiteral("1 2 3 4 5 6 7 8 9 10 11 12|13 14 15 16 17 18 19 20 21 22 23 24");
const QString Shuffled = QStringLiteral("3 1 2|6 4 5");

// "10 20 ... 10 x count", starting at the first-th entry and wrapping round.
QString tens(int count, int first = 1)
{
    QStringList out;
    for (int k = 0; k < count; ++k)
        out.append(QString::number(10 * (((first - 1 + k) % count) + 1)));
    return out.join(QLatin1Char(' '));
}

} // namespace

class TestMatrixMotion : public QObject
{
    Q_OBJECT

private slots:
    // Every rotating mode moves each duty by one place with wrap-around, writes every switch
    // of the rotation once, and leaves dutyBySwitch equal to what it wrote.
    void rotations_data()
    {
        addRows<QString, Mode, bool, QString, QString>(
            {"map", "mode", "forward", "duties", "expected"},
            {
                {Twelve, Mode::Switch, true, tens(12), "120 " + tens(11)},
                {Twelve, Mode::Switch, false, tens(12), tens(12, 2)},
                {Twelve, Mode::Row, true, tens(12), "120 " + tens(11)},
                {Twelve, Mode::RowIndependent, false, tens(12), tens(12, 2)},
                {TwentyFour, Mode::Switch, true, tens(24), "240 " + tens(23)},
                {TwentyFour, Mode::Row, false, tens(24), tens(24, 2)},
                {TwentyFour, Mode::RowIndependent, true, tens(24),
                 "120 10 20 30 40 50 60 70 80 90 100 110 "
                 "240 130 140 150 160 170 180 190 200 210 220 230"},
                {TwentyFour, Mode::RowIndependent, false, tens(24),
                 "20 30 40 50 60 70 80 90 100 110 120 10 "
                 "140 150 160 170 180 190 200 210 220 230 240 130"},
                {Shuffled, Mode::Switch, true, tens(6), "60 10 20 30 40 50"},
                {Shuffled, Mode::Switch, false, tens(6), "20 30 40 50 60 10"},
                {Shuffled, Mode::Row, true, tens(6), "30 10 50 60 40 20"},
                {Shuffled, Mode::Row, false, tens(6), "20 60 10 50 30 40"},
                {Shuffled, Mode::RowIndependent, true, tens(6), "30 10 20 60 40 50"},
                {Shuffled, Mode::RowIndependent, false, tens(6), "20 30 10 50 60 40"},
                {"1 2 3|4 5", Mode::RowIndependent, true, "10 20 30 40 50", "30 10 20 50 40"},
            });
    }
    void rotations()
    {
        QFETCH(QString, map);
        QFETCH(QString, duties);
        QFETCH(Mode, mode);
        QFETCH(bool, forward);
        QFETCH(QString, expected);
        Rig rig(map);
        rig.duty = numbers(duties);
        rig.move(mode, forward);
        QCOMPARE(rig.duty, numbers(expected));
        QCOMPARE(rig.writtenDuties(), numbers(expected));
        QCOMPARE(rig.writes, rig.n);
    }

    // Stepping 4 cross-fades a single full duty from switch 1 to switch 2 in four calls, and
    // back again; the integer quarter (255) moves on each sub-step.
    void extendedSwitchSubSteps()
    {
        Rig rig(Twelve);
        rig.placeOnSwitch(1, 1023);
        const QList<QPair<int, int>> forward{{768, 255}, {513, 510}, {258, 765}, {0, 1023}};
        for (const auto &step : forward) {
            rig.move(Mode::ExtendedSwitch, true, 4);
            QCOMPARE(qMakePair(rig.written[1], rig.written[2]), step);
            QCOMPARE(rig.written[3], 0);
        }
        QCOMPARE(rig.subStep, 0);
        const QList<QPair<int, int>> backward{{255, 768}, {510, 513}, {765, 258}, {1023, 0}};
        for (const auto &step : backward) {
            rig.move(Mode::ExtendedSwitch, false, 4);
            QCOMPARE(qMakePair(rig.written[1], rig.written[2]), step);
            QCOMPARE(rig.written[12], 0);
        }
        QCOMPARE(rig.writes, 8 * 12);
    }

    // Without sub-steps (stepping 1, or a stepping below 1) every call takes a whole place.
    void extendedSwitchWholeSteps_data() { addRows<int>({"stepping"}, {{1}, {0}, {-4}}); }
    void extendedSwitchWholeSteps()
    {
        QFETCH(int, stepping);
        Rig rig(Shuffled); // places of switches 3 1 2 6 4 5
        rig.placeOnSwitch(1, 600);
        rig.placeOnSwitch(2, 300);
        rig.move(Mode::ExtendedSwitch, true, stepping);
        rig.move(Mode::ExtendedSwitch, true, stepping);
        QCOMPARE(rig.writtenDuties(), numbers("0 0 0 300 0 600"));
        rig.move(Mode::ExtendedSwitch, false, stepping);
        QCOMPARE(rig.writtenDuties(), numbers("0 600 0 0 0 300"));
        QCOMPARE(rig.subStep, 0);
    }

    // The first place (forward) or the last (backward) is never overwritten, so a duty
    // parked there repeats into the line.
    void extendedSwitchEndsRepeat_data()
    {
        addRows<bool, int, int, int, QString>({"forward", "end", "value", "moves", "expected"},
                                              {
                                                  {true, 0, 7, 12, "7 0 0 0 0 0 0 0 0 0 0 0"},
                                                  {true, 0, 7, 14, "7 7 7 0 0 0 0 0 0 0 0 0"},
                                                  {false, 35, 9, 12, "0 0 0 0 0 0 0 0 0 0 0 9"},
                                                  {false, 35, 9, 13, "0 0 0 0 0 0 0 0 0 0 9 9"},
                                              });
    }
    void extendedSwitchEndsRepeat()
    {
        QFETCH(bool, forward);
        QFETCH(int, end);
        QFETCH(int, value);
        QFETCH(int, moves);
        QFETCH(QString, expected);
        Rig rig(Twelve);
        rig.profile[end] = rig.target[end] = value;
        for (int k = 0; k < moves; ++k)
            rig.move(Mode::ExtendedSwitch, forward, 1);
        QCOMPARE(rig.writtenDuties(), numbers(expected));
    }

    // A sub-step moves the neighbour's target divided by the stepping, truncated toward zero;
    // a negative sum goes out as dark.
    void extendedSwitchTruncates_data()
    {
        addRows<int, int, int, int, int>({"target", "from", "to", "duty1", "duty2"},
                                         {{7, 6, 1, 6, 1},
                                          {1023, 768, 255, 768, 255},
                                          {3, 3, 0, 3, 0},
                                          {-7, -6, -1, 0, 0},
                                          {-3, -3, 0, 0, 0}});
    }
    void extendedSwitchTruncates()
    {
        QFETCH(int, target);
        Rig rig(Twelve);
        rig.placeOnSwitch(1, target);
        rig.move(Mode::ExtendedSwitch, true, 4);
        QTEST(rig.profile[12], "from");
        QTEST(rig.profile[13], "to");
        QTEST(rig.written[1], "duty1");
        QTEST(rig.written[2], "duty2");
        QCOMPARE(rig.target[12], target);
    }

    // The extended row mode shifts the profile along the map's row-major order.
    void extendedRow_data()
    {
        addRows<bool, QString>({"forward", "expected"},
                               {{true, "100 200 0 400 500 300"}, {false, "300 400 200 600 0 500"}});
    }
    void extendedRow()
    {
        QFETCH(bool, forward);
        QFETCH(QString, expected);
        Rig rig(Shuffled); // places 6..11 hold switches 3 1 2 6 4 5
        for (int place = 6; place < 12; ++place)
            rig.placeOnSwitch(rig.sequence[place], 100 * (place - 5));
        rig.move(Mode::ExtendedRow, forward);
        QCOMPARE(rig.writtenDuties(), numbers(expected));
        // A step back restores the pattern: the dark outer places carry it.
        rig.move(Mode::ExtendedRow, !forward);
        QCOMPARE(rig.writtenDuties(), numbers("200 300 100 500 600 400"));
        QCOMPARE(rig.subStep, 0);
    }

    // Each row's line slides on its own; what slides out of the line is lost.
    void extendedRowIndependent()
    {
        Rig rig(Shuffled); // rows 3 1 2 and 6 4 5 at places 6..8 of 16
        rig.scratch[0][6] = 100;
        rig.scratch[0][7] = 200;
        rig.scratch[0][8] = 300;
        rig.scratch[1][7] = 500;
        rig.move(Mode::ExtendedRowIndependent, true);
        QCOMPARE(rig.writtenDuties(), numbers("100 200 0 0 500 0"));
        rig.move(Mode::ExtendedRowIndependent, false);
        QCOMPARE(rig.writtenDuties(), numbers("200 300 100 500 0 0"));
        for (int k = 0; k < 8; ++k)
            rig.move(Mode::ExtendedRowIndependent, true);
        QCOMPARE(rig.writtenDuties(), numbers("0 0 0 0 0 0"));
        for (int k = 0; k < 8; ++k)
            rig.move(Mode::ExtendedRowIndependent, false);
        QCOMPARE(rig.writtenDuties(), numbers("200 0 100 500 0 0"));
        QVector<int> secondRow(16, 0);
        secondRow[7] = 500;
        QCOMPARE(rig.scratch[1], secondRow);
    }

    // A switch number above the switch count (9 of three switches) never indexes the duty
    // buffers and gets no write; the other switches move as if it were not there.
    void unknownSwitchSkipped_data()
    {
        addRows<Mode, bool, QString>({"mode", "forward", "expected"},
                                     {{Mode::Switch, true, "30 10 20"},
                                      {Mode::Row, true, "20 10 -1"},
                                      {Mode::Row, false, "20 10 -1"},
                                      {Mode::RowIndependent, true, "20 10 -1"},
                                      {Mode::ExtendedSwitch, true, "0 10 -1"},
                                      {Mode::ExtendedRow, false, "20 0 -1"},
                                      {Mode::ExtendedRowIndependent, true, "0 10 -1"}});
    }
    void unknownSwitchSkipped()
    {
        QFETCH(Mode, mode);
        QFETCH(bool, forward);
        QFETCH(QString, expected);
        Rig rig(QStringLiteral("1 2 9"));
        rig.duty = {10, 20, 30};
        rig.placeOnSwitch(1, 10);
        rig.placeOnSwitch(2, 20);
        rig.scratch[0][6] = 10;
        rig.scratch[0][7] = 20;
        rig.move(mode, forward);
        QCOMPARE(rig.writtenDuties(), numbers(expected));
        QVERIFY(!rig.written.contains(9));
        QCOMPARE(rig.duty.size(), 3);
    }

    // With no rows, no layout or buffers shorter than the layout says, nothing moves and
    // nothing is written.
    void nothingToMove_data()
    {
        addRows<QString, Mode>({"situation", "mode"},
                               {
                                   {"empty", Mode::Switch},
                                   {"empty", Mode::Row},
                                   {"empty", Mode::RowIndependent},
                                   {"empty", Mode::ExtendedSwitch},
                                   {"empty", Mode::ExtendedRow},
                                   {"empty", Mode::ExtendedRowIndependent},
                                   {"no rows", Mode::RowIndependent},
                                   {"no rows", Mode::ExtendedRowIndependent},
                                   {"short profile", Mode::ExtendedSwitch},
                                   {"short profile", Mode::ExtendedRow},
                                   {"short target", Mode::ExtendedSwitch},
                                   {"short line", Mode::ExtendedRowIndependent},
                                   {"no duties", Mode::Switch},
                                   {"no duties", Mode::Row},
                                   {"none", Mode::None},
                               });
    }
    void nothingToMove()
    {
        QFETCH(QString, situation);
        QFETCH(Mode, mode);
        Rig rig(situation == "empty" ? QString() : Twelve);
        rig.duty.fill(5);
        rig.profile.fill(5);
        rig.target.fill(5);
        for (QVector<int> &line : rig.scratch)
            line.fill(5);
        if (situation == "no rows") {
            rig.rowSequences.clear();
            rig.scratch.clear();
        } else if (situation == "short profile") {
            rig.profile.resize(35);
        } else if (situation == "short target") {
            rig.target.resize(35);
        } else if (situation == "short line") {
            rig.scratch[0].resize(60);
        } else if (situation == "no duties") {
            rig.duty.clear();
        }
        const QVector<int> profile = rig.profile;
        for (bool forward : {true, false})
            rig.move(mode, forward, 4);
        QCOMPARE(rig.writes, 0);
        QCOMPARE(rig.profile, profile);
        QCOMPARE(rig.subStep, 0);
    }
};

QTEST_GUILESS_MAIN(TestMatrixMotion)
#include "tst_matrixmotion.moc"
