// The light pattern's shapes and movements on hand-made matrix layouts, checked against
// hand-computed duties.
#include "matrixmotion.h"
#include "matrixpatterns.h"
#include "tablerows.h"

#include <QMap>
#include <QtTest>

using Mode = MatrixMotion::Mode;
using Ints = QVector<int>;
Q_DECLARE_METATYPE(MatrixMotion::Mode)

namespace
{

Ints numbers(const QString &text)
{
    Ints out;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        out.append(word.toInt());
    return out;
}

// The buffers a loaded matrix gives the page: map rows separated by "|", cells by blanks.
struct Rig {
    Ints duty, profile, target, sequence, rowCount;
    QVector<Ints> scratch, rowSequences;
    qint32 subStep = 0;
    int n = 0;
    int m = 0;
    QMap<int, int> written; // last duty written to each switch
    int writes = 0;

    explicit Rig(const QString &map)
    {
        QVector<Ints> rows;
        for (const QString &row : map.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
            rows.append(numbers(row));
            rowCount.append(int(rows.last().size()));
            m = qMax(m, rowCount.last());
            n += rowCount.last();
        }
        sequence = Ints(n, 0);
        for (const Ints &row : rows) {
            sequence += row;
            rowSequences.append(Ints(2 * m, 0) + row);
            scratch.append(Ints(5 * m + 1, 0));
        }
        sequence += Ints(n, 0);
        duty = Ints(n, 0);
        profile = target = Ints(3 * n, 0);
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
    void placeOnSwitch(int sw, int value)
    {
        const int place = int(sequence.indexOf(sw, n));
        profile[place] = target[place] = value;
    }
    // The duty last written to each switch 1..n, -1 where none was.
    Ints writtenDuties() const
    {
        Ints out;
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
    void shapes()
    {
        QCOMPARE(MatrixPatterns::alternate(5, 1), (Ints{2, 4}));
        QCOMPARE(MatrixPatterns::alternate(5, 0), (Ints{1, 3, 5}));
        QCOMPARE(MatrixPatterns::alternate(1, 1), Ints{});
        const QList<QPair<int, Ints>> hills = {
            {0, {}},
            {1, {0}},
            {2, {0, 0}},
            {4, {0, 1023, 1023, 0}},
            {7, {0, 341, 682, 1023, 682, 341, 0}},
            {12, {0, 207, 411, 615, 819, 1023, 1023, 819, 615, 411, 207, 0}}};
        for (const auto &[places, duties] : hills)
            QCOMPARE(MatrixPatterns::hill(places), duties);
        QCOMPARE(MatrixPatterns::ramp(1, false), Ints{1023});
        QCOMPARE(MatrixPatterns::ramp(3, true), (Ints{1, 512, 1023}));
        QCOMPARE(MatrixPatterns::ramp(4, false), (Ints{1023, 682, 341, 0}));
        QCOMPARE(MatrixPatterns::ramp(24, false).last(), 11);
        const MatrixPatterns::Map map{{3, 1, 0, 2, 9}, {0, 6, 4, 5, 8}, {7, 7, 7, 7, 7}};
        QCOMPARE(MatrixPatterns::rowSequences(map, 2, 4), (QVector<Ints>{{3, 1, 2}, {6, 4, 5}}));
        QCOMPARE(MatrixPatterns::rowMajor(map, 2, 2), (Ints{3, 1, 6}));
        QCOMPARE(MatrixPatterns::rowSequences({{0, 0}, {1, 2}}, 4, 24),
                 (QVector<Ints>{{}, {1, 2}}));
    }

    // Every rotating mode moves each duty by one place with wrap-around and writes every
    // switch of the rotation once.
    void rotations_data()
    {
        addRows<QString, Mode, bool, QString>(
            {"map", "mode", "forward", "expected"},
            {{Twelve, Mode::Switch, true, "120 " + tens(11)},
             {Twelve, Mode::Row, false, tens(12, 2)},
             {TwentyFour, Mode::RowIndependent, true,
              "120 10 20 30 40 50 60 70 80 90 100 110 "
              "240 130 140 150 160 170 180 190 200 210 220 230"},
             {Shuffled, Mode::Switch, false, "20 30 40 50 60 10"},
             {Shuffled, Mode::Row, true, "30 10 50 60 40 20"},
             {Shuffled, Mode::Row, false, "20 60 10 50 30 40"},
             {Shuffled, Mode::RowIndependent, true, "30 10 20 60 40 50"},
             {Shuffled, Mode::RowIndependent, false, "20 30 10 50 60 40"},
             {"1 2 3|4 5", Mode::RowIndependent, true, "30 10 20 50 40"}});
    }
    void rotations()
    {
        QFETCH(QString, map);
        QFETCH(Mode, mode);
        QFETCH(bool, forward);
        QFETCH(QString, expected);
        Rig rig(map);
        rig.duty = numbers(tens(rig.n));
        rig.move(mode, forward);
        QCOMPARE(rig.duty, numbers(expected));
        QCOMPARE(rig.writtenDuties(), numbers(expected));
        QCOMPARE(rig.writes, rig.n);
    }

    // Stepping 4 cross-fades a full duty from switch 1 to switch 2 in four calls and back; a
    // sub-step moves the target divided by the stepping, truncated, and a negative sum is dark.
    void extendedSwitch()
    {
        Rig rig(Twelve);
        rig.placeOnSwitch(1, 1023);
        for (const auto &step :
             QList<QPair<int, int>>{{768, 255}, {513, 510}, {258, 765}, {0, 1023}}) {
            rig.move(Mode::ExtendedSwitch, true, 4);
            QCOMPARE(qMakePair(rig.written[1], rig.written[2]), step);
            QCOMPARE(rig.written[3], 0);
        }
        QCOMPARE(rig.subStep, 0);
        for (const auto &step :
             QList<QPair<int, int>>{{255, 768}, {510, 513}, {765, 258}, {1023, 0}}) {
            rig.move(Mode::ExtendedSwitch, false, 4);
            QCOMPARE(qMakePair(rig.written[1], rig.written[2]), step);
        }
        QCOMPARE(rig.writes, 8 * 12);

        Rig negative(Twelve);
        negative.placeOnSwitch(1, -7);
        negative.move(Mode::ExtendedSwitch, true, 4);
        QCOMPARE(negative.profile.mid(12, 2), (Ints{-6, -1}));
        QCOMPARE(negative.writtenDuties().mid(0, 2), (Ints{0, 0}));
    }

    // Without sub-steps (stepping 1 or below) every call takes a whole place; the end place
    // the pattern leaves is never overwritten, so a duty parked there repeats into the line.
    void extendedSwitchWholeSteps()
    {
        for (int stepping : {1, 0, -4}) {
            Rig rig(Shuffled); // places of switches 3 1 2 6 4 5
            rig.placeOnSwitch(1, 600);
            rig.placeOnSwitch(2, 300);
            rig.move(Mode::ExtendedSwitch, true, stepping);
            rig.move(Mode::ExtendedSwitch, true, stepping);
            QCOMPARE(rig.writtenDuties(), numbers("0 0 0 300 0 600"));
            rig.move(Mode::ExtendedSwitch, false, stepping);
            QCOMPARE(rig.writtenDuties(), numbers("0 600 0 0 0 300"));
        }
        Rig rig(Twelve);
        rig.profile[0] = rig.target[0] = 7;
        for (int k = 0; k < 14; ++k)
            rig.move(Mode::ExtendedSwitch, true, 1);
        QCOMPARE(rig.writtenDuties(), numbers("7 7 7 0 0 0 0 0 0 0 0 0"));
    }

    // The extended row mode shifts the whole profile; a step back restores the pattern.
    void extendedRow()
    {
        for (bool forward : {true, false}) {
            Rig rig(Shuffled); // places 6..11 hold switches 3 1 2 6 4 5
            for (int place = 6; place < 12; ++place)
                rig.placeOnSwitch(rig.sequence[place], 100 * (place - 5));
            rig.move(Mode::ExtendedRow, forward);
            QCOMPARE(rig.writtenDuties(),
                     numbers(forward ? "100 200 0 400 500 300" : "300 400 200 600 0 500"));
            rig.move(Mode::ExtendedRow, !forward);
            QCOMPARE(rig.writtenDuties(), numbers("200 300 100 500 600 400"));
        }
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
        for (int k = 0; k < 8; ++k)
            rig.move(Mode::ExtendedRowIndependent, false);
        QCOMPARE(rig.writtenDuties(), numbers("200 0 100 500 0 0"));
    }

    // A switch number above the switch count (9 of three) never indexes the buffers and gets
    // no write; the others move as if it were not there.
    void unknownSwitchSkipped()
    {
        const QList<std::tuple<Mode, bool, QString>> rows = {
            {Mode::Switch, true, "30 10 20"},
            {Mode::Row, true, "20 10 -1"},
            {Mode::RowIndependent, false, "20 10 -1"},
            {Mode::ExtendedSwitch, true, "0 10 -1"},
            {Mode::ExtendedRow, false, "20 0 -1"},
            {Mode::ExtendedRowIndependent, true, "0 10 -1"}};
        for (const auto &[mode, forward, expected] : rows) {
            Rig rig(QStringLiteral("1 2 9"));
            rig.duty = {10, 20, 30};
            rig.placeOnSwitch(1, 10);
            rig.placeOnSwitch(2, 20);
            rig.scratch[0][6] = 10;
            rig.scratch[0][7] = 20;
            rig.move(mode, forward);
            QCOMPARE(rig.writtenDuties(), numbers(expected));
            QVERIFY(!rig.written.contains(9));
        }
    }

    // With no layout, or buffers shorter than the layout says, nothing moves or is written.
    void nothingToMove_data()
    {
        addRows<QString, Mode>({"situation", "mode"}, {{"empty", Mode::Switch},
                                                       {"empty", Mode::ExtendedSwitch},
                                                       {"empty", Mode::ExtendedRowIndependent},
                                                       {"no rows", Mode::RowIndependent},
                                                       {"no rows", Mode::ExtendedRowIndependent},
                                                       {"short profile", Mode::ExtendedSwitch},
                                                       {"short profile", Mode::ExtendedRow},
                                                       {"short target", Mode::ExtendedSwitch},
                                                       {"short line", Mode::ExtendedRowIndependent},
                                                       {"no duties", Mode::Switch},
                                                       {"no duties", Mode::Row},
                                                       {"none", Mode::None}});
    }
    void nothingToMove()
    {
        QFETCH(QString, situation);
        QFETCH(Mode, mode);
        Rig rig(situation == "empty" ? QString() : Twelve);
        rig.profile.fill(5);
        rig.target.fill(5);
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
        const Ints profile = rig.profile;
        for (bool forward : {true, false})
            rig.move(mode, forward, 4);
        QCOMPARE(rig.writes, 0);
        QCOMPARE(rig.profile, profile);
        QCOMPARE(rig.subStep, 0);
    }
};

QTEST_GUILESS_MAIN(TestMatrixMotion)
#include "tst_matrixmotion.moc"
