// The board page's data without a board: matrix configuration files, scenario files, CSV
// animation scripts, their flash images, the live image, the checksums, and the light
// pattern's shapes and movements on hand-made layouts.
#include "animationimage.h"
#include "board.h"
#include "csvreader.h"
#include "matrixconfiguration.h"
#include "matrixmotion.h"
#include "matrixpatterns.h"
#include "scenariofile.h"
#include "scriptimage.h"
#include "tablerows.h"
#include "testfiles.h"

#include <QLoggingCategory>
#include <QMap>
#include <QRegularExpression>
#include <QtTest>

using Grid = QVector<QVector<quint8>>;
using Mode = MatrixMotion::Mode;
using Ints = QVector<int>;

namespace
{

// The counts and the first two map rows inside the columns: "devices pixels rows cols|row|row".
QString configText(const MatrixConfiguration &c)
{
    QString text =
        QStringLiteral("%1 %2 %3 %4").arg(c.devices).arg(c.pixels).arg(c.rows).arg(c.cols);
    for (int r = 0; r < 2; ++r) {
        QStringList cells;
        for (int col = 0; col < c.cols && col < c.map.at(r).size(); ++col)
            cells << QString::number(c.map.at(r).at(col));
        text += '|' + cells.join(' ');
    }
    return text;
}

// Steps as "a+b c+d": one word per step, one number per device standing for the twelve values
// from it; in an image "x" is the repeat marker.
QList<QStringList> stepRows(const QString &text)
{
    QList<QStringList> rows;
    for (const QString &step : text.split(' ', Qt::SkipEmptyParts)) {
        rows.append({QString::number(rows.size() + 1)});
        for (const QString &first : step.split('+'))
            for (int i = 0; i < 12; ++i)
                rows.last().append(QString::number(first.toInt() + i));
    }
    return rows;
}
QByteArray imageBody(const QString &text)
{
    QByteArray out;
    for (const QString &device : QString(text).replace(' ', '+').split('+', Qt::SkipEmptyParts))
        for (int i = 0; i < (device == "x" ? 1 : 12); ++i)
            out.append(device == "x" ? char(0xFF) : char(device.toInt() + i));
    return out;
}

Grid grid(int rows, int cols)
{
    Grid cells(rows, QVector<quint8>(cols));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            cells[r][c] = quint8(r * cols + c + 1);
    return cells;
}

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

} // namespace

class TestBoardData : public QObject
{
    Q_OBJECT

private slots:
    // Lines separated by "/": key lines of two words, then row lines of at most NumberOfCols
    // words; other lines are ignored, counts are bytes.
    void configuration_data()
    {
        const QString keys = "NumberOfDevices 2/PixelsPerDevice 12/NumberOfRows 2/NumberOfCols 3/";
        addRows<QString, QString>(
            {"lines", "parsed"},
            {{keys + "1 2 3/4 5 6", "2 12 2 3|1 2 3|4 5 6"},
             {" NumberOfDevices\t 1 \r/PixelsPerDevice  12/NumberOfRows 1/NumberOfCols 3/\t7  8 "
              "9\r",
              "1 12 1 3|7 8 9|0 0 0"},
             {"NumberOfDevices/NumberOfDevices 1 2/numberofdevices 1/" + keys + "1",
              "2 12 2 3|1 0 0|0 0 0"},
             {"NumberOfDevices 1/1 2 3/NumberOfDevices 2/NumberOfRows 1/NumberOfCols 2/x 9",
              "2 0 1 2|0 9|0 0"},
             {keys + "/1 2 3 4/NumberOfRows 4", "2 12 2 3|0 0 0|0 4 0"},
             {"NumberOfDevices 258/PixelsPerDevice x/NumberOfRows -1/NumberOfCols 3/257 a 0x5",
              "2 0 0 3|1 0 0|0 0 0"},
             // A key as the second word counts as a key line and reads that word.
             {"12 PixelsPerDevice/NumberOfDevices 1/NumberOfRows 1/NumberOfCols 3/1 2 3",
              "1 0 1 3|1 2 3|0 0 0"}});
    }
    void configuration()
    {
        QFETCH(QString, lines);
        MatrixConfiguration config;
        config.readLines(lines.split('/'));
        QTEST(configText(config), "parsed");

        // Counts and cells outside the map's 12 x 24 stay out of it.
        QStringList wide = {"NumberOfDevices 2", "PixelsPerDevice 12", "NumberOfRows 2",
                            "NumberOfCols 30"};
        for (int r = 0; r < 14; ++r)
            wide << QStringList(30, "5").join(' ');
        MatrixConfiguration large;
        large.readLines(wide);
        QCOMPARE(large.map, Grid(12, QVector<quint8>(24, 5)));
        QCOMPARE(large.activeSwitches(), 48);
        const MatrixConfiguration given(2, 12, 2, 30, Grid(14, QVector<quint8>(30, 5)));
        QCOMPARE(given.map, large.map);
        // A given map narrower than the grid fills the rest with zeros.
        const MatrixConfiguration narrow(1, 12, 1, 3, Grid{{1, 2, 3}});
        QCOMPARE(narrow.map.at(0).mid(0, 5), (QVector<quint8>{1, 2, 3, 0, 0}));
    }

    // Switch numbers, then their duties (a duty past the switches is left over); a third line
    // or more numbers than switches (4 here) refuses the whole file, and a new read forgets the
    // last file.
    void scenario_data()
    {
        addRows<QByteArray, QString>({"text", "read"},
                                     {{"1 5 9\n1023 512 0\n", "1:1023 5:512 9:0"},
                                      {"  3\t\t 4  \r\n 7    8 \r\n", "3:7 4:8"},
                                      {"1 2 3\n-5 2000 99999999999\n", "1:0 2:1023 3:1023"},
                                      {"1 x 3\n10 20 y\n", "1:10"},
                                      {"0 -2 99999999999 4\n1 2 3 4\n", "4:4"},
                                      {"1 2\n", ""},
                                      {"1 2\n5 6 7\n", "1:5 2:6"},
                                      {"2147483647 2147483648\n1 2\n", "2147483647:1"},
                                      {"1 2\n5 6\n\n", "refused 2, line 3"},
                                      {"1 2 3 4 5\n5 6\n", "refused 3, line 1"},
                                      {"1 2\n5 6 7 8 9\n", "refused 3, line 2"}});
    }
    void scenario()
    {
        QFETCH(QByteArray, text);
        QVERIFY(TestFiles::write("scenario.txt", text) && TestFiles::write("good.txt", "1\n5\n"));
        ScenarioFile file;
        QCOMPARE(file.read("good.txt", 4), ScenarioFile::Read);
        const ScenarioFile::Status status = file.read("scenario.txt", 4);
        QStringList pairs;
        for (const auto &[sw, duty] : file.pairs())
            pairs << QStringLiteral("%1:%2").arg(sw).arg(duty);
        QTEST(status == ScenarioFile::Read
                  ? pairs.join(' ')
                  : QStringLiteral("refused %1, line %2").arg(status).arg(file.rejectedLine()) +
                        pairs.join(' '),
              "read");
        QCOMPARE(file.read("missing.txt", 4), ScenarioFile::OpenFailed);
        QVERIFY(!file.errorString().isEmpty() && file.rejectedLine() == 0 &&
                file.pairs().isEmpty());
        QCOMPARE(file.read("good.txt", 4), ScenarioFile::Read);
        QCOMPARE(file.errorString(), QString());
    }

    void csv_data()
    {
        const QByteArray head = "Animation script\nDESCRIPTION, Wave ,x\nDELAY,100\nDEVICES,2\n"
                                "ADDRESSES,1,2\nSTEP,SW1,SW2\n";
        const QByteArray steps = head + "1,10,20\n2,30,40\n";
        const QString two = "1,10,20\n|2,30,40\n";
        addRows<QByteArray, QString, QString>(
            {"bytes", "fields", "steps"},
            {{steps + "END\n", "Wave 100 2 1|2\n", two},
             {QByteArray(steps).replace("\n", "\r\n") + "END", "Wave 100 2 1|2\r\n",
              "1,10,20\r\n|2,30,40\r\n"},
             {steps + "END\n\n\n", "Wave 100 2 1|2\n", two + "|END\n"},
             {steps + "end", "Wave 100 2 1|2\n", "1,10,20\n"},
             {steps + "3,50,60\n", "Wave 100 2 1|2\n", "1,10,20\n"},
             {head + QByteArray("1,1\0,20\n", 8) + "END\n", "Wave 100 2 1|2\n", "1,1"},
             {"x\nDESCRIPTION,Caf\xe9, x\nDELAY,300\n", "Caf\u00e9 44 9 old", ""},
             {"x\nDESCRIPTION,Short\nDELAY,5\nDEVICES,3\n", "Short 5 3 old", ""},
             {"x\nD\nDELAY_MS, 12 \r\nDEVICES,-1\nADDRESSES,3,,7\n", "old 12 255 3||7\n", ""},
             {"", "old 7 9 old", ""}});
    }
    // Keyword rows at fixed places, the steps up to "END"; a file that opens is never refused,
    // one that does not keeps every field. The fields start as "old", 7, 9, {"old"}, and one
    // step "old".
    void csv()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(TestFiles::write("s.csv", bytes));
        CSVReader reader;
        reader.description = "old";
        reader.delay = 7;
        reader.deviceCount = 9;
        reader.addresses = QStringList{"old"};
        reader.steps = {{"old"}};
        QVERIFY(reader.read("s.csv"));
        QLoggingCategory::setFilterRules(QStringLiteral("kvl.board.debug=true"));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("No such file"));
        QVERIFY(!reader.read("missing.csv"));
        QCOMPARE(reader.errorString(),
                 QString("missing.csv cannot be opened (No such file or directory)"));
        QCOMPARE(reader.fileName, QString("s.csv"));
        QTEST(QStringLiteral("%1 %2 %3 %4")
                  .arg(reader.description)
                  .arg(reader.delay)
                  .arg(reader.deviceCount)
                  .arg(reader.addresses.join('|')),
              "fields");
        QStringList rows;
        for (const QStringList &step : std::as_const(reader.steps))
            rows.append(step.join(','));
        QTEST(rows.join('|'), "steps");
        // The setters replace entries and never grow the lists.
        const QList<QStringList> steps = reader.steps;
        const QStringList addresses = reader.addresses;
        reader.setStep({"x"}, int(steps.size()));
        reader.setStep({"x"}, -1);
        reader.setAddress(int(addresses.size()), "9");
        QVERIFY(reader.steps == steps && reader.addresses == addresses);
    }

    // "START", delay, devices, steps, addresses, per step and device twelve values or the
    // repeat marker, "END"; a script whose fields do not fit a byte is refused, nothing built.
    void scriptImage_data()
    {
        addRows<QString, int, QString, QByteArray>(
            {"addresses", "devices", "steps", "image"},
            {{"1,2", 2, "1+13 1+50 80+50",
              "START\x64\x02\x03\x01\x02" + imageBody("1+13 x+50 80+x") + "END"},
             {" 9 ", 1, "3 3 3 4 3", "START\x64\x01\x05\x09" + imageBody("3 x x 4 3") + "END"},
             {"3,4\r\n,300", 2, "", QByteArray("START\x64\x02\x00\x03\x04", 10) + "END"},
             {"255", 1, QString(255, '1').replace("1", "1 "), "built"},
             {"0", 1, "2", QByteArray("START\x64\x01\x01\x00", 9) + imageBody("2") + "END"},
             {"-1", 1, "1", "address outside 0..255"},
             {"256", 1, "1", "address outside 0..255"}});
    }
    void scriptImage()
    {
        QFETCH(QString, addresses);
        QFETCH(int, devices);
        QFETCH(QString, steps);
        QFETCH(QByteArray, image);
        CSVReader script;
        script.delay = 100;
        script.deviceCount = quint8(devices);
        script.addresses = addresses.split(',');
        script.steps = stepRows(steps);
        QByteArray built = "kept";
        QString reason;
        const bool ok = ScriptImage::build(script, &built, &reason);
        QCOMPARE(ok ? (image == "built" ? image : built) : reason.toLatin1(), image);
        QCOMPARE(built == "kept", !ok);

        // Values clamped to 0..200, what is no number or missing reads 0.
        script.steps = {{"1", "255", "999", "-3", "x", " 7\r\n"}};
        script.addresses = QStringList{"5"};
        script.deviceCount = 1;
        QVERIFY(ScriptImage::build(script, &built, &reason));
        QCOMPARE(built.mid(9, 12).toHex(), QByteArray("c8c800000700000000000000"));
    }

    void padding()
    {
        for (const auto &[size, padded] :
             QList<QPair<int, int>>{{0, 0}, {25, 256}, {256, 256}, {257, 512}, {130561, 130816}}) {
            const QByteArray out = ScriptImage::padded(QByteArray(size, 'x'));
            QCOMPARE(out, QByteArray(size, 'x') + QByteArray(padded - size, '\0'));
        }
    }

    // One device per row with an address; duties scaled to 0..200; what is missing reads 0.
    void liveImage()
    {
        Grid holes = grid(1, 4);
        holes[0][1] = 0;
        const QList<std::tuple<QList<int>, int, int, Grid, QVector<int>, QByteArray>> rows = {
            {{3}, 1, 4, holes, {1023, 512, 6, 5}, "535441525432010103c86401454e44"},
            {{5}, 3, 2, grid(3, 2), QVector<int>(6, -40), "5354415254320101050000454e44"},
            {{-1, 4}, 2, 2, grid(2, 2), QVector<int>(13, 5000), "535441525432010104c800454e44"},
            {{4}, 2, 3, Grid{{1, 2}}, QVector<int>(6, 1023), "535441525432010104c8c8454e44"},
            {{300}, 0, 0, Grid(), QVector<int>(), "53544152543201012c454e44"}};
        for (const auto &[addresses, rowCount, cols, cells, duties, image] : rows)
            QCOMPARE(AnimationImage::live(addresses, rowCount, cols, cells, duties).toHex(), image);
    }

    void checksums()
    {
        QCOMPARE(Board::crc32(reinterpret_cast<const quint8 *>("abc"), 3), 0x00616263u);
        QCOMPARE(Board::crc32(nullptr, 5), 0u);
        QCOMPARE(Board::crc32(reinterpret_cast<const quint8 *>("abc"), -1), 0u);
        QCOMPARE(Board::crc8("abc"), 0xDE);
        QCOMPARE(Board::crc8(QByteArray()), 0xF3);
        QCOMPARE(Board::mapEnableFrame(0).toHex(), QByteArray("55e08f014f"));
        QCOMPARE(Board::mapEnableFrame(31).left(4).toHex(), QByteArray("557f8f01"));
        QCOMPARE(Board::mapCommand(26, "0000", QByteArray(1, '\0')), "set P110MAPENAREG=1a000000");
    }

    // Odd hills peak at the middle place, a hill of two is dark; ramps fall by equal steps, a
    // ramp of two from full to dark (the page's tests cover the even hills).
    void shapes()
    {
        QCOMPARE(MatrixPatterns::hill(7), (Ints{0, 341, 682, 1023, 682, 341, 0}));
        QCOMPARE(MatrixPatterns::hill(2), (Ints{0, 0})); // two ends, no top
        QCOMPARE(MatrixPatterns::ramp(4, true), (Ints{0, 341, 682, 1023}));
        QCOMPARE(MatrixPatterns::ramp(2, false), (Ints{1023, 0}));
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
        for (int stepping : {1, 0, -4}) { // no sub-steps: each call takes a whole place
            Rig whole(QStringLiteral("3 1 2"));
            whole.place(1, 600);
            QCOMPARE(whole.move(Mode::ExtendedSwitch, true, stepping), numbers("0 600 0"));
        }
    }

    // What a pattern moves out to either end of the profile comes back when it moves back
    // the same number of places.
    void profileRoundTrip()
    {
        for (Mode mode : {Mode::ExtendedSwitch, Mode::ExtendedRow})
            for (bool forward : {true, false}) {
                Rig rig(QStringLiteral("1 2 3"));
                for (int sw : {1, 2, 3})
                    rig.place(sw, 100 * sw);
                QCOMPARE(rig.move(mode, forward, 1, 3), numbers("0 0 0"));
                QCOMPARE(rig.move(mode, !forward, 1, 3), numbers("100 200 300"));
            }
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
            {Mode::ExtendedRowIndependent, true, "0 10 -1"},
            {Mode::ExtendedRowIndependent, false, "20 0 -1"}};
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

QTEST_GUILESS_MAIN(TestBoardData)
#include "tst_boarddata.moc"
