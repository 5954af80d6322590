// The files and images the board page reads and writes: matrix configuration files, scenario
// files, CSV animation scripts, their flash images, the live image and the checksums.
#include "animationimage.h"
#include "board.h"
#include "csvreader.h"
#include "fakeboard_flash.h"
#include "fakematrixbus.h"
#include "matrixconfiguration.h"
#include "scenariofile.h"
#include "scriptimage.h"
#include "tablerows.h"
#include "testfiles.h"

#include <QRegularExpression>
#include <QtTest>

using Pairs = QVector<QPair<int, int>>;
using Grid = QVector<QVector<quint8>>;

namespace
{

const QStringList Keys = {"NumberOfDevices 2", "PixelsPerDevice 12", "NumberOfRows 2",
                          "NumberOfCols 3"};

// "devices pixels rows cols|row|row" with the first two map rows inside the columns.
QString configText(const MatrixConfiguration &c)
{
    QString text =
        QStringLiteral("%1 %2 %3 %4").arg(c.devices).arg(c.pixels).arg(c.rows).arg(c.cols);
    for (int r = 0; r < 2; ++r) {
        text += '|';
        for (int col = 0; col < c.cols && col < c.map.at(r).size(); ++col)
            text += QString::number(c.map.at(r).at(col)) + (col + 1 < c.cols ? " " : "");
    }
    return text;
}

// first, first + 1, ... as texts and as bytes.
QStringList texts(int first, int count = 12)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out.append(QString::number(first + i));
    return out;
}
QByteArray bytes(int first, int count = 12)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out.append(char(first + i));
    return out;
}
const QByteArray Marker(1, char(0xFF));

Grid fullGrid(int rows, int cols)
{
    Grid grid(rows, QVector<quint8>(cols));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            grid[r][c] = quint8(r * cols + c + 1);
    return grid;
}

} // namespace

class TestBoardFormats : public QObject
{
    Q_OBJECT

private slots:
    void configuration_data()
    {
        addRows<QStringList, QString>(
            {"lines", "parsed"},
            {{Keys + QStringList{"1 2 3", "4 5 6"}, "2 12 2 3|1 2 3|4 5 6"},
             {{"  NumberOfDevices\t 1 \r", "PixelsPerDevice   12", "NumberOfRows 1",
               "NumberOfCols 3", "\t7   8 9\r"},
              "1 12 1 3|7 8 9|0 0 0"},
             {QStringList{"NumberOfDevices", "NumberOfDevices 1 2", "numberofdevices 1"} + Keys +
                  QStringList{"1"},
              "2 12 2 3|1 0 0|0 0 0"},
             {{"5 NumberOfDevices", "PixelsPerDevice 12", "NumberOfRows 2", "NumberOfCols 3"},
              "0 12 2 3|0 0 0|0 0 0"},
             {{"NumberOfDevices 1", "1 2 3", "NumberOfDevices 2", "NumberOfRows 1",
               "NumberOfCols 2", "PixelsPerDevice 9"},
              "2 0 1 2|0 9|0 0"},
             {Keys + QStringList{"", "1 2 3 4", "NumberOfRows 4"}, "2 12 2 3|0 0 0|0 4 0"},
             {{"NumberOfDevices 258", "PixelsPerDevice x", "NumberOfRows -1", "NumberOfCols 3",
               "257 a 0x5"},
              "2 0 0 3|1 0 0|0 0 0"}});
    }
    // Key lines, then row lines of at most NumberOfCols words; other lines are ignored.
    void configuration()
    {
        QFETCH(QStringList, lines);
        MatrixConfiguration config;
        config.readLines(lines);
        QTEST(configText(config), "parsed");
    }

    // Counts and cells outside the map's 12 x 24 stay out; a file with fewer row lines keeps
    // the rows it started from; the checks on the counts and the switches.
    void configurationLimits()
    {
        QStringList lines = {"NumberOfDevices 2", "PixelsPerDevice 12", "NumberOfRows 2",
                             "NumberOfCols 30"};
        for (int r = 0; r < 14; ++r)
            lines << texts(1, 30).join(' ');
        MatrixConfiguration wide;
        wide.readLines(lines);
        QCOMPARE(wide.map, Grid(12, QVector<quint8>(fullGrid(1, 24).at(0))));
        QVERIFY(!wide.countsValid());
        QCOMPARE(wide.activeSwitches(), 48);

        MatrixConfiguration::Map previous(12, QVector<quint8>(24, 0));
        previous[1][2] = 3;
        MatrixConfiguration kept(1, 12, 2, 3, previous);
        kept.readLines({"NumberOfDevices 2", "NumberOfDevices 2", "NumberOfDevices 2",
                        "NumberOfDevices 2", "9"});
        QCOMPARE(configText(kept), QString("2 12 2 3|9 0 0|0 0 3"));

        const QList<std::tuple<int, int, int, bool>> counts = {
            {1, 1, 1, true},  {2, 4, 24, true}, {0, 1, 1, false}, {3, 1, 1, false},
            {1, 0, 1, false}, {1, 5, 1, false}, {1, 1, 0, false}, {1, 1, 25, false}};
        for (const auto &[devices, rows, cols, valid] : counts)
            QCOMPARE(MatrixConfiguration(devices, 12, rows, cols, {}).countsValid(), valid);

        MatrixConfiguration config(2, 3, 2, 3,
                                   MatrixConfiguration::Map(12, QVector<quint8>(24, 7)));
        QVERIFY(!config.tooManySwitches());
        config.pixels = 2;
        QVERIFY(config.tooManySwitches());
        config.map[1][2] = 0;
        QCOMPARE(config.activeSwitches(), 5);
        QCOMPARE(config.rowSwitches(1), (QVector<int>{7, 7}));
    }

    void scenario_data()
    {
        addRows<QByteArray, int, int, Pairs>(
            {"text", "status", "line", "pairs"},
            {{"1 5 9\n1023 512 0\n", ScenarioFile::Read, 0, {{1, 1023}, {5, 512}, {9, 0}}},
             {"  3\t\t 4  \r\n 7    8 \r\n", ScenarioFile::Read, 0, {{3, 7}, {4, 8}}},
             {"2\n100", ScenarioFile::Read, 0, {{2, 100}}},
             {"1 2 3\n-5 2000 99999999999\n",
              ScenarioFile::Read,
              0,
              {{1, 0}, {2, 1023}, {3, 1023}}},
             {"1 2 3\n10 20\n", ScenarioFile::Read, 0, {{1, 10}, {2, 20}}},
             {"1 x 3\n10 20 y\n", ScenarioFile::Read, 0, {{1, 10}}},
             {"0 -2 99999999999 4\n1 2 3 4\n", ScenarioFile::Read, 0, {{4, 4}}},
             {"1 2\n", ScenarioFile::Read, 0, {}},
             {"1 2\n5 6\n\n", ScenarioFile::ThirdLine, 3, {}},
             {"1 2 3 4 5\n5 6\n", ScenarioFile::TooManyWords, 1, {}},
             {"1 2\n5 6 7 8 9\n", ScenarioFile::TooManyWords, 2, {}}});
    }
    // A third line or a line of more numbers than switches refuses the whole file.
    void scenario()
    {
        QFETCH(QByteArray, text);
        QVERIFY(TestFiles::write(QStringLiteral("scenario.txt"), text));
        ScenarioFile file;
        QVERIFY(TestFiles::write(QStringLiteral("good.txt"), "1\n500\n"));
        QCOMPARE(file.read(QStringLiteral("good.txt"), 4), ScenarioFile::Read);
        QTEST(int(file.read(QStringLiteral("scenario.txt"), 4)), "status");
        QTEST(file.rejectedLine(), "line");
        QTEST(file.pairs(), "pairs");
        QCOMPARE(file.read(QStringLiteral("missing.txt"), 4), ScenarioFile::OpenFailed);
        QVERIFY(!file.errorString().isEmpty() && file.rejectedLine() == 0);
        QCOMPARE(file.pairs(), Pairs{});
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
             {steps + "END,,\n", "Wave 100 2 1|2\n", two},
             {steps + "end", "Wave 100 2 1|2\n", "1,10,20\n"},
             {steps + "3,50,60\n", "Wave 100 2 1|2\n", "1,10,20\n"},
             {head + QByteArray("1,1\0,20\n", 8) + "END\n", "Wave 100 2 1|2\n", "1,1"},
             {"x\nDESCRIPTION,Caf\xe9, x\nDELAY,300\n", "Caf\u00e9 44 9 old", ""},
             {"x\nD\nDELAY_MS, 12 \r\nDEVICES,-1\nADDRESSES,3,,7\n", "old 12 255 3||7\n", ""},
             {"x\nD\nDELAY,1x\n", "old 0 9 old", ""},
             {"DESCRIPTION,a\nDELAY,1\nDEVICES,2\nADDRESSES,3\nx\n", "old 7 9 old", ""},
             {"", "old 7 9 old", ""}});
    }
    // Keyword rows at fixed places, the steps up to "END"; a file that opens is never refused.
    // The fields start as "old", 7, 9, {"old"}.
    void csv()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(TestFiles::write(QStringLiteral("s.csv"), bytes));
        CSVReader reader;
        reader.description = "old";
        reader.delay = 7;
        reader.deviceCount = 9;
        reader.addresses = QStringList{"old"};
        QVERIFY(reader.read(QStringLiteral("s.csv")));
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

        // A file that does not open keeps every field.
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("No such file"));
        QVERIFY(!reader.read(QStringLiteral("missing.csv")));
        QCOMPARE(reader.fileName, QStringLiteral("s.csv"));
        // The setters replace entries and never grow the lists.
        const QList<QStringList> steps = reader.steps;
        const QStringList addresses = reader.addresses;
        reader.setStep({"x"}, int(steps.size()));
        reader.setStep({"x"}, -1);
        reader.setAddress(int(addresses.size()), "9");
        QCOMPARE(reader.steps, steps);
        QCOMPARE(reader.addresses, addresses);
    }

    void scriptImage_data()
    {
        QByteArray clamped(12, '\0');
        clamped[0] = clamped[1] = char(200);
        clamped[4] = 7;
        addRows<QStringList, int, QList<QStringList>, QByteArray>(
            {"addresses", "devices", "steps", "image"},
            {{{"1", "2"},
              2,
              {texts(1) + texts(13), texts(1) + texts(50), texts(80) + texts(50)},
              "START\x64\x02\x03\x01\x02" + bytes(1) + bytes(13) + Marker + bytes(50) + bytes(80) +
                  Marker + "END"},
             {{" 9 "},
              1,
              {texts(3), texts(3), texts(3), texts(4), texts(3)},
              "START\x64\x01\x05\x09" + bytes(3) + Marker + Marker + bytes(4) + bytes(3) + "END"},
             {{"3", "4\r\n", "300"}, 2, {}, QByteArray("START\x64\x02\x00\x03\x04", 10) + "END"},
             {{"5"},
              1,
              {{"255", "999", "-3", "x", " 7\r\n"}},
              "START\x64\x01\x01\x05" + clamped + "END"},
             {{"255"}, 1, QList<QStringList>(255, texts(1)), QByteArray()},
             {{"1"}, 1, QList<QStringList>(256, texts(1)), "more than 255 steps"},
             {{"1"}, 2, {texts(1)}, "fewer addresses than devices"},
             {{"256"}, 1, {texts(1)}, "address outside 0..255"},
             {{"-1"}, 1, {texts(1)}, "address outside 0..255"}});
    }
    // "START", delay, devices, steps, addresses, per step and device twelve values or the
    // repeat marker, "END"; a script that does not fit a byte is refused and nothing built.
    void scriptImage()
    {
        QFETCH(QStringList, addresses);
        QFETCH(QList<QStringList>, steps);
        QFETCH(QByteArray, image);
        CSVReader script;
        script.delay = 100;
        QFETCH(int, devices);
        script.deviceCount = quint8(devices);
        script.addresses = addresses;
        for (int i = 0; i < steps.size(); ++i)
            script.steps.append(QStringList{QString::number(i + 1)} + steps.at(i));
        QByteArray built = "kept";
        QString reason;
        const bool ok = ScriptImage::build(script, &built, &reason);
        if (!image.startsWith("START") && !image.isEmpty()) {
            QVERIFY(!ok);
            QCOMPARE(reason.toLatin1(), image);
            QCOMPARE(built, QByteArray("kept"));
        } else {
            QVERIFY(ok && reason.isEmpty());
            if (!image.isEmpty())
                QCOMPARE(built, image);
        }
    }

    void padding()
    {
        for (const auto &[size, padded] :
             QList<QPair<int, int>>{{0, 0}, {25, 256}, {256, 256}, {257, 512}, {130561, 130816}}) {
            const QByteArray image(size, 'x');
            const QByteArray out = ScriptImage::padded(image);
            QCOMPARE(int(out.size()), padded);
            QCOMPARE(out, image + QByteArray(padded - size, '\0'));
        }
        QCOMPARE(ScriptImage::hex(0x800300FFu, 8) + ScriptImage::hex(20, 2),
                 QByteArray("800300ff14"));
    }

    void liveImage_data()
    {
        QVector<int> stepped(24);
        for (int n = 0; n < 24; ++n)
            stepped[n] = n == 23 ? 1023 : 45 * n;
        Grid holes = fullGrid(1, 4);
        holes[0][1] = 0;
        addRows<QList<int>, int, int, Grid, QVector<int>, QByteArray>(
            {"addresses", "rows", "cols", "grid", "duties", "image"},
            {{{1, 2},
              2,
              12,
              fullGrid(2, 12),
              stepped,
              "535441525432020101020008111a232b343d464f576069727b838c959ea7afb8c1c8454e44"},
             {{-1, -1}, 2, 12, fullGrid(2, 12), stepped, "5354415254320001454e44"},
             {{-1, 2},
              2,
              12,
              fullGrid(2, 12),
              stepped,
              "53544152543201010269727b838c959ea7afb8c1c8454e44"},
             {{3}, 1, 4, holes, {1023, 512, 6, 5}, "535441525432010103c86401454e44"},
             {{5}, 3, 2, fullGrid(3, 2), QVector<int>(6, -40), "5354415254320101050000454e44"},
             {{-1, 4},
              2,
              2,
              fullGrid(2, 2),
              QVector<int>(13, 5000),
              "535441525432010104c800454e44"},
             {{4}, 2, 3, Grid{{1, 2}}, QVector<int>(6, 1023), "535441525432010104c8c8454e44"},
             {{300}, 0, 0, Grid(), QVector<int>(), "53544152543201012c454e44"}});
    }
    // One device per row with an address; duties scaled to 0..200; what is missing reads 0.
    void liveImage()
    {
        QFETCH(QList<int>, addresses);
        QFETCH(int, rows);
        QFETCH(int, cols);
        QFETCH(Grid, grid);
        QFETCH(QVector<int>, duties);
        QTEST(AnimationImage::live(addresses, rows, cols, grid, duties).toHex(), "image");
    }

    void checksums()
    {
        auto crc32 = [](const QByteArray &data) {
            return Board::crc32(reinterpret_cast<const quint8 *>(data.constData()),
                                int(data.size()));
        };
        QCOMPARE(crc32("abc"), 0x00616263u);
        QCOMPARE(crc32(QByteArray::fromHex("deadbeef")), 0xdeadbeefu);
        QCOMPARE(crc32(QByteArray()), 0u);
        QCOMPARE(Board::crc32(nullptr, 5), 0u);
        QByteArray block(256, '\0');
        for (int i = 0; i < block.size(); ++i)
            block[i] = char(i * 37 + 11);
        QCOMPARE(crc32(block), FakeBoardFlash::crc32(block));
        QCOMPARE(crc32(block.left(5)), FakeBoardFlash::crc32(block.left(5)));
        QCOMPARE(Board::crc8("abc"), 0xDE);
        QCOMPARE(Board::crc8(QByteArray()), 0xF3);
        QCOMPARE(Board::crc8(block.left(9)), int(FakeMatrixBus::crc8(block.left(9))));
        QCOMPARE(Board::mapEnableFrame(0).toHex(), QByteArray("55e08f014f"));
        QCOMPARE(Board::mapEnableFrame(2).toHex(), QByteArray("55628f01a2"));
        QCOMPARE(
            Board::mapEnableFrame(31).toHex(),
            QByteArray("557f8f01") +
                QByteArray(1, char(FakeMatrixBus::crc8(QByteArray::fromHex("7f8f01")))).toHex());
        QCOMPARE(Board::mapCommand(26, "0000", QByteArray(1, '\0')),
                 QByteArray("set P110MAPENAREG=1a000000"));
    }
};

QTEST_GUILESS_MAIN(TestBoardFormats)
#include "tst_boardformats.moc"
