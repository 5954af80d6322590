// The light pattern's shapes and movements on hand-made matrix layouts, checked against
// hand-computed duties.
#include "matrixmotion.h"
#include "matrixpatterns.h"

#include <QMap>
#include <QtTest>

using Mode = MatrixMotion::Mode;
using Ints = QVector<int>;

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
        const QStringList rows = map.split(QLatin1Char('|'), Qt::SkipEmptyParts);
        for (const QString &row : rows)
            m = qMax(m, int(numbers(row).size()));
        for (const QString &row : rows) {
            sequence += numbers(row);
            rowCount.append(int(numbers(row).size()));
            rowSequences.append(Ints(2 * m, 0) + numbers(row));
            scratch.append(Ints(5 * m + 1, 0));
        }
        n = int(sequence.size());
        sequence = Ints(n, 0) + sequence + Ints(n, 0);
        duty = Ints(n, 0);
        profile = target = Ints(3 * n, 0);
    }
    // Moves count times; returns the duty last written to each switch 1..n, -1 where none was.
    Ints move(Mode mode, bool forward, int stepping = 1, int count = 1)
    {
        MatrixMotion::Buffers b{duty,     profile,      target,   subStep, scratch,
                                sequence, rowSequences, rowCount, n,       m};
        MatrixMotion motion(b, [this](int sw, int value) {
            written[sw] = value;
            ++writes;
        });
        for (int k = 0; k < count; ++k)
            motion.move(mode, forward, stepping);
        Ints out;
        for (int sw = 1; sw <= n; ++sw)
            out.append(written.value(sw, -1));
        return out;
    }
    void place(int sw, int value)
    {
        const int at = int(sequence.indexOf(sw, n));
        profile[at] = target[at] = value;
    }
};

const QString Shuffled = QStringLiteral("3 1 2|6 4 5");

} // namespace

class TestMatrixMotion : public QObject
{
    Q_OBJECT

private slots:
    void shapes()
    {
        QCOMPARE(MatrixPatterns::alternate(5, 1), (Ints{2, 4}));
        QCOMPARE(MatrixPatterns::alternate(1, 1), Ints{});
        QCOMPARE(MatrixPatterns::hill(2), (Ints{0, 0}));
        QCOMPARE(MatrixPatterns::hill(7), (Ints{0, 341, 682, 1023, 682, 341, 0}));
        QCOMPARE(MatrixPatterns::hill(12).mid(0, 7), (Ints{0, 207, 411, 615, 819, 1023, 1023}));
        QCOMPARE(MatrixPatterns::ramp(1, false), Ints{1023});
        QCOMPARE(MatrixPatterns::ramp(4, true), (Ints{0, 341, 682, 1023}));
        QCOMPARE(MatrixPatterns::ramp(24, false).last(), 11);
        const MatrixPatterns::Map map{{3, 1, 0, 2, 9}, {0, 0, 0}, {7, 7, 7, 7, 7}};
        QCOMPARE(MatrixPatterns::rowSequences(map, 2, 4), (QVector<Ints>{{3, 1, 2}, {}}));
        QCOMPARE(MatrixPatterns::rowMajor(map, 4, 2), (Ints{3, 1, 7, 7}));
    }

    // Every rotating mode moves each duty by one place with wrap-around and writes every
    // switch of the rotation once.
    void rotations()
    {
        const QList<std::tuple<QString, Mode, bool, QString>> rows = {
            {"1 2 3 4", Mode::Switch, true, "40 10 20 30"},
            {Shuffled, Mode::Switch, false, "20 30 40 50 60 10"},
            {Shuffled, Mode::Row, true, "30 10 50 60 40 20"},
            {Shuffled, Mode::Row, false, "20 60 10 50 30 40"},
            {Shuffled, Mode::RowIndependent, true, "30 10 20 60 40 50"},
            {"1 2 3|4 5", Mode::RowIndependent, false, "20 30 10 50 40"}};
        for (const auto &[map, mode, forward, expected] : rows) {
            Rig rig(map);
            for (int k = 1; k <= rig.n; ++k)
                rig.duty[k - 1] = 10 * k;
            QCOMPARE(rig.move(mode, forward), numbers(expected));
            QCOMPARE(rig.duty, numbers(expected));
            QCOMPARE(rig.writes, rig.n);
        }
    }

    // Stepping 4 cross-fades a full duty from switch 1 to switch 2 in four calls and back; a
    // sub-step moves the target divided by the stepping, truncated, and a negative sum is dark.
    void extendedSwitch()
    {
        Rig rig(QStringLiteral("1 2 3 4 5 6 7 8 9 10 11 12"));
        rig.place(1, 1023);
        for (const QString &step : {"768 255 0", "513 510 0", "258 765 0", "0 1023 0"})
            QCOMPARE(rig.move(Mode::ExtendedSwitch, true, 4).mid(0, 3), numbers(step));
        for (const QString &step : {"255 768", "510 513", "765 258", "1023 0"})
            QCOMPARE(rig.move(Mode::ExtendedSwitch, false, 4).mid(0, 2), numbers(step));
        QCOMPARE(rig.subStep, 0);
        QCOMPARE(rig.writes, 8 * 12);

        Rig negative(QStringLiteral("1 2 3"));
        negative.place(1, -7);
        QCOMPARE(negative.move(Mode::ExtendedSwitch, true, 4), numbers("0 0 0"));
        QCOMPARE(negative.profile.mid(3, 2), numbers("-6 -1"));
    }

    // Without sub-steps (stepping 1 or below) each call takes a whole place; the end place
    // the pattern leaves is never overwritten, so a duty parked there repeats into the line.
    void extendedWholeSteps()
    {
        for (int stepping : {1, 0, -4}) {
            Rig rig(Shuffled); // places of switches 3 1 2 6 4 5
            rig.place(1, 600);
            rig.place(2, 300);
            QCOMPARE(rig.move(Mode::ExtendedSwitch, true, stepping, 2), numbers("0 0 0 300 0 600"));
            QCOMPARE(rig.move(Mode::ExtendedSwitch, false, stepping), numbers("0 600 0 0 0 300"));
        }
        Rig parked(QStringLiteral("1 2 3 4"));
        parked.profile[0] = parked.target[0] = 7;
        QCOMPARE(parked.move(Mode::ExtendedSwitch, true, 1, 6), numbers("7 7 7 0"));
        for (bool forward : {true, false}) {
            Rig rig(Shuffled); // the extended row mode shifts the whole profile
            for (int at = 6; at < 12; ++at)
                rig.profile[at] = 100 * (at - 5);
            QCOMPARE(rig.move(Mode::ExtendedRow, forward),
                     numbers(forward ? "100 200 0 400 500 300" : "300 400 200 600 0 500"));
            QCOMPARE(rig.move(Mode::ExtendedRow, !forward), numbers("200 300 100 500 600 400"));
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
        QCOMPARE(rig.move(Mode::ExtendedRowIndependent, true), numbers("100 200 0 0 500 0"));
        QCOMPARE(rig.move(Mode::ExtendedRowIndependent, false), numbers("200 300 100 500 0 0"));
        rig.move(Mode::ExtendedRowIndependent, true, 1, 8);
        QCOMPARE(rig.move(Mode::ExtendedRowIndependent, false, 1, 8), numbers("200 0 100 500 0 0"));
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
            rig.place(1, 10);
            rig.place(2, 20);
            rig.scratch[0][6] = 10;
            rig.scratch[0][7] = 20;
            QCOMPARE(rig.move(mode, forward), numbers(expected));
        }
    }

    // With no layout, or buffers shorter than the layout says, nothing moves or is written.
    void nothingToMove()
    {
        const QList<QPair<QString, QList<Mode>>> rows = {
            {"empty", {Mode::Switch, Mode::ExtendedSwitch}},
            {"no rows", {Mode::RowIndependent, Mode::ExtendedRowIndependent}},
            {"short profile", {Mode::ExtendedSwitch, Mode::ExtendedRow}},
            {"short target", {Mode::ExtendedSwitch}},
            {"short line", {Mode::ExtendedRowIndependent}},
            {"no duties", {Mode::Switch, Mode::Row, Mode::None}}};
        for (const auto &[situation, modes] : rows)
            for (Mode mode : modes) {
                Rig rig(situation == "empty" ? QString() : QStringLiteral("1 2 3 4 5 6"));
                rig.profile.fill(5);
                rig.target.fill(5);
                if (situation == "no rows")
                    rig.rowSequences.clear(), rig.scratch.clear();
                else if (situation == "short profile")
                    rig.profile.resize(17);
                else if (situation == "short target")
                    rig.target.resize(17);
                else if (situation == "short line")
                    rig.scratch[0].resize(30);
                else if (situation == "no duties")
                    rig.duty.clear();
                const Ints profile = rig.profile;
                rig.move(mode, true, 4);
                rig.move(mode, false, 4);
                QVERIFY2(rig.writes == 0 && rig.profile == profile && rig.subStep == 0,
                         qPrintable(situation));
            }
    }
};

QTEST_GUILESS_MAIN(TestMatrixMotion)
#include "tst_matrixmotion.moc"
