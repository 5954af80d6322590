// The CSV animation script reader on temporary files: line ends, the end marker, keyword rows,
// raw cells, the step rows, and the setters that never grow their lists.
#include "csvreader.h"
#include "testfiles.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

// Rows 0 to 5 of a script with lines ended by eol.
QByteArray header(const QByteArray &eol)
{
    return "Animation script" + eol + "DESCRIPTION, Wave ,x" + eol + "DELAY,100" + eol +
           "DEVICES,2" + eol + "ADDRESSES,1,2" + eol + "STEP,SW1,SW2" + eol;
}

const QByteArray Lf = QByteArrayLiteral("\n");
const QByteArray Steps = QByteArrayLiteral("1,10,20\n2,30,40\n");
const QStringList TwoSteps{"1,10,20\n", "2,30,40\n"};

// A reader holding values that no test file sets, so that kept fields show.
void fillOld(CSVReader &reader)
{
    reader.description = "old";
    reader.delay = 7;
    reader.deviceCount = 9;
    reader.addresses = QStringList{"old"};
    reader.steps = {QStringList{"old"}};
}

QStringList joinedSteps(const CSVReader &reader)
{
    QStringList rows;
    for (const QStringList &step : reader.steps)
        rows.append(step.join(QLatin1Char(',')));
    return rows;
}

} // namespace

class TestCsvReader : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    QString file(const QByteArray &bytes)
    {
        const QString name = dir.filePath("script.csv");
        return TestFiles::write(name, bytes) ? name : QString();
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void freshReader()
    {
        const CSVReader reader;
        QCOMPARE(reader.delay, quint8(0));
        QCOMPARE(reader.deviceCount, quint8(0));
        QVERIFY(reader.description.isEmpty() && reader.fileName.isEmpty());
        QVERIFY(reader.addresses.isEmpty() && reader.steps.isEmpty());
    }

    // Step rows are joined with commas; the old values are "old", 7, 9, {"old"}.
    void read_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("description");
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("devices");
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<QStringList>("steps");
        const QStringList addresses{"1", "2\n"};
        const QByteArray lines = header(Lf) + Steps;

        QTest::newRow("LF") << lines + "END\n"
                            << "Wave" << 100 << 2 << addresses << TwoSteps;
        QTest::newRow("LF, no final break") << lines + "END"
                                            << "Wave" << 100 << 2 << addresses << TwoSteps;
        QTest::newRow("CR LF") << header("\r\n") + "1,10,20\r\n2,30,40\r\nEND\r\n"
                               << "Wave" << 100 << 2 << QStringList{"1", "2\r\n"}
                               << QStringList{"1,10,20\r\n", "2,30,40\r\n"};
        QTest::newRow("CR LF, no final break")
            << header("\r\n") + "1,10,20\r\nEND"
            << "Wave" << 100 << 2 << QStringList{"1", "2\r\n"} << QStringList{"1,10,20\r\n"};
        QTest::newRow("END, one empty line") << lines + "END\n\n"
                                             << "Wave" << 100 << 2 << addresses << TwoSteps;
        QTest::newRow("END, two empty lines")
            << lines + "END\n\n\n"
            << "Wave" << 100 << 2 << addresses << TwoSteps + QStringList{"END\n"};
        QTest::newRow("END with cells") << lines + "END,,\n"
                                        << "Wave" << 100 << 2 << addresses << TwoSteps;
        QTest::newRow("end") << lines + "end\n"
                             << "Wave" << 100 << 2 << addresses << QStringList{"1,10,20\n"};
        QTest::newRow("end, no final break")
            << lines + "end"
            << "Wave" << 100 << 2 << addresses << QStringList{"1,10,20\n"};
        QTest::newRow("no END") << lines + "3,50,60\n"
                                << "Wave" << 100 << 2 << addresses << QStringList{"1,10,20\n"};
        QTest::newRow("eight rows") << header(Lf) + "1,10,20\n2,30,40"
                                    << "Wave" << 100 << 2 << addresses << QStringList();
        QTest::newRow("NUL") << header(Lf) + QByteArray("1,1\0,20\n", 8) + "END\n"
                             << "Wave" << 100 << 2 << addresses << QStringList{"1,1"};
        QTest::newRow("NUL in description")
            << "x\n" + QByteArray("DESCRIPTION,Wa\0ve\n", 18) << "Wa" << 7 << 9
            << QStringList{"old"} << QStringList();
        QTest::newRow("Latin-1") << QByteArray("x\nDESCRIPTION,Caf\xe9\n") << "Caf\u00e9" << 7 << 9
                                 << QStringList{"old"} << QStringList();
        QTest::newRow("comma in description")
            << QByteArray("x\nDESCRIPTION, Hello, world\n") << "Hello" << 7 << 9
            << QStringList{"old"} << QStringList();
        QTest::newRow("DELAY 300") << QByteArray("x\nD\nDELAY,300\n") << "old" << 44 << 9
                                   << QStringList{"old"} << QStringList();
        QTest::newRow("DELAY_MS") << QByteArray("x\nD\nDELAY_MS, 12 \r\n") << "old" << 12 << 9
                                  << QStringList{"old"} << QStringList();
        QTest::newRow("DELAY not a number") << QByteArray("x\nD\nDELAY,1x\nDEVICES,-1\n") << "old"
                                            << 0 << 255 << QStringList{"old"} << QStringList();
        QTest::newRow("keywords in other rows")
            << QByteArray("DESCRIPTION,a\nDELAY,1\nDEVICES,2\nADDRESSES,3\nx\n") << "old" << 7 << 9
            << QStringList{"old"} << QStringList();
        QTest::newRow("delay lower case") << QByteArray("x\nD\ndelay,1\n") << "old" << 7 << 9
                                          << QStringList{"old"} << QStringList();
        QTest::newRow("ADDRESSES 3,5,,7")
            << QByteArray("x\nD\nL\nN\nADDRESSES,3,5,,7\r\n") << "old" << 7 << 9
            << QStringList{"3", "5", "", "7\r\n"} << QStringList();
        QTest::newRow("keyword rows with only cell 0")
            << QByteArray("x\nDESCRIPTION\nDELAY\nDEVICES\nADDRESSES\n") << "old" << 7 << 9
            << QStringList() << QStringList();
        QTest::newRow("three lines") << QByteArray("x\nDESCRIPTION,Short\nDELAY,5\n") << "Short"
                                     << 5 << 9 << QStringList{"old"} << QStringList();
        QTest::newRow("empty file")
            << QByteArray() << "old" << 7 << 9 << QStringList{"old"} << QStringList();
    }

    void read()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, description);
        QFETCH(int, delay);
        QFETCH(int, devices);
        QFETCH(QStringList, addresses);
        QFETCH(QStringList, steps);
        const QString name = file(bytes);
        CSVReader reader;
        fillOld(reader);
        QVERIFY(reader.read(name));
        QCOMPARE(reader.fileName, name);
        QCOMPARE(reader.description, description);
        QCOMPARE(int(reader.delay), delay);
        QCOMPARE(int(reader.deviceCount), devices);
        QCOMPARE(reader.addresses, addresses);
        QCOMPARE(joinedSteps(reader), steps);
    }

    // A step row keeps every cell raw, the last one with its terminator.
    void stepCells()
    {
        CSVReader reader;
        QVERIFY(reader.read(file(header("\r\n") + "1, 10 ,,20\r\nEND\r\n")));
        QCOMPARE(reader.steps, QList<QStringList>{(QStringList{"1", " 10 ", "", "20\r\n"})});
    }

    void missingFile()
    {
        CSVReader reader;
        fillOld(reader);
        reader.fileName = "kept.csv";
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("No such file"));
        QVERIFY(!reader.read(dir.filePath("missing.csv")));
        QCOMPARE(reader.fileName, QString("kept.csv"));
        QCOMPARE(reader.description, QString("old"));
        QCOMPARE(reader.delay, quint8(7));
        QCOMPARE(reader.deviceCount, quint8(9));
        QCOMPARE(reader.addresses, QStringList{"old"});
        QCOMPARE(reader.steps, QList<QStringList>{QStringList{"old"}});
    }

    void setters_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("-1") << -1 << false;
        QTest::newRow("0") << 0 << true;
        QTest::newRow("last") << 1 << true;
        QTest::newRow("size") << 2 << false;
        QTest::newRow("beyond") << 5 << false;
    }

    void setters()
    {
        QFETCH(int, index);
        QFETCH(bool, replaced);
        CSVReader reader;
        reader.addresses = QStringList{"1", "2"};
        reader.steps = {QStringList{"1"}, QStringList{"2"}};
        QStringList addresses = reader.addresses;
        QList<QStringList> steps = reader.steps;
        if (replaced) {
            addresses[index] = "9";
            steps[index] = QStringList{"9", "10"};
        }
        reader.setAddress(index, "9");
        reader.setStep(QStringList{"9", "10"}, index);
        QCOMPARE(reader.addresses, addresses);
        QCOMPARE(reader.steps, steps);
        reader.appendStep(QStringList{"3"});
        QCOMPARE(reader.steps, steps + QList<QStringList>{QStringList{"3"}});
    }
};

QTEST_GUILESS_MAIN(TestCsvReader)
#include "tst_csvreader.moc"
