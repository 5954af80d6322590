// The board page's command dispatch: exact names, the help table filled up to the command
// tested, results, and what reaches the board for names that are no command.
#include "boardcommandsfixture.h"

#include <QtTest>

namespace
{

// Every command in test order, with its help text.
QList<QPair<QString, QString>> expectedCommands()
{
    QList<QPair<QString, QString>> list = {{"Update", "This function updates hardware"}};
    for (int n = 0; n <= 18; ++n) {
        list.append({QString("Read_REG_%1").arg(n), QString("Read REG%1").arg(n)});
        if (n <= 14)
            list.append({QString("Write_REG_%1").arg(n), QString("Write REG%1").arg(n)});
    }
    list += {{"Read_all1", "Read all REG0 - REG14"},
             {"Write_all", "Write all REG0 - REG14"},
             {"Write_on_off", "Write all REG1 - REG12"},
             {"Read_all2", "Read all REG15 - REG18"}};
    for (const char *name :
         {"allOn",         "allOff",      "Pattern1", "Pattern2",    "Pattern3",    "UPDATE",
          "BAUDRATE",      "MAPENA",      "OPMODE0",  "OPMODE1",     "NORMAL0",     "NORMAL1",
          "readAdcVBOOST", "readAdcVBAT", "adcVLED1", "adcVLED2",    "readStatus",  "setCLKFreq1",
          "setCLKFreq2",   "setDuty1",    "setDuty2", "setBoostCLK", "restartBoost"})
        list.append({name, QString()});
    list += {{"RoofPattern", "This function fills ON/OFF/TR registers with values to create "
                             "roof pattern for evaluation"},
             {"Read", "Read SPI map"},
             {"Write", "Write SPI map"},
             {"ReadVBOOST", "Read VBOOST of P404"},
             {"ReadVLED", "Read VLED of channel (x)"},
             {"swresetP404", "Perform SWRESET of P404"},
             {"defaultP404", "Programm default settings"}};
    return list;
}

// The help table that the commands up to and including the one at index give.
QMap<QString, QString> helpUpTo(int index)
{
    QMap<QString, QString> map;
    const auto list = expectedCommands();
    for (int i = 0; i <= index; ++i)
        map.insert(list[i].first, list[i].second);
    return map;
}

int indexOf(const QString &name)
{
    const auto list = expectedCommands();
    for (int i = 0; i < list.size(); ++i)
        if (list[i].first == name)
            return i;
    return -1;
}

} // namespace

class TestBoardCommands : public QObject
{
    Q_OBJECT

    BoardCommandsFixture f;

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        QCOMPARE(expectedCommands().size(), 69);
    }
    void init()
    {
        f.take();
        BoardCommandsFixture::pauses().clear();
    }

    // A fresh page learns the commands up to the one called; a continuing command, or a name
    // that matches nothing, teaches all of them.
    void helpTable_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("lastEntry");
        QTest::newRow("first") << "Update" << 0;
        QTest::newRow("register 0") << "Read_REG_0" << 1;
        QTest::newRow("register 13 write") << "Write_REG_13" << indexOf("Write_REG_13");
        QTest::newRow("roof") << "RoofPattern" << indexOf("RoofPattern");
        QTest::newRow("read map") << "Read" << indexOf("Read");
        QTest::newRow("continuing Write_REG_14") << "Write_REG_14" << 68;
        QTest::newRow("continuing allOff") << "allOff" << 68;
        QTest::newRow("continuing readAdcVBAT") << "readAdcVBAT" << 68;
        QTest::newRow("empty") << "" << 68;
        QTest::newRow("unknown") << "nothing" << 68;
    }
    void helpTable()
    {
        QFETCH(QString, command);
        QFETCH(int, lastEntry);
        BoardProbe fresh;
        fresh.run(command, QString());
        QCOMPARE(fresh.help(), helpUpTo(lastEntry));
    }

    void helpTexts()
    {
        QCOMPARE(f.run(QString()), QVariant(false));
        const QMap<QString, QString> &help = f.page()->help();
        QCOMPARE(help.size(), 69);
        int withText = 0;
        for (const QString &text : help)
            withText += text.isEmpty() ? 0 : 1;
        QCOMPARE(withText, 46);
        QCOMPARE(help, helpUpTo(68));
    }

    // Names differ by case and by blanks; none of these is a command.
    void notCommands_data()
    {
        QTest::addColumn<QString>("command");
        for (const char *name :
             {"update", "UPDATE ", " UPDATE", "Update ", "read_REG_0", "Read_REG_19",
              "Write_REG_15", "ALLON", "OPMODE2", "adcVLED3", "Read_REG_*", "Read*"})
            QTest::newRow(name) << QString(name);
    }
    void notCommands()
    {
        QFETCH(QString, command);
        const QVariant result = f.run(command);
        QCOMPARE(result.typeId(), QMetaType::Bool);
        QCOMPARE(result, QVariant(false));
        QTest::qWait(30);
        QCOMPARE(f.take(), QList<QByteArray>());
        QCOMPARE(f.page()->help().size(), 69);
    }

    // Results of commands whose value does not depend on the board.
    void fixedResults_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("result");
        QTest::newRow("Update answers the hook") << "Update" << false;
        QTest::newRow("RoofPattern") << "RoofPattern" << true;
        QTest::newRow("allOn continues with false") << "allOn" << false;
        QTest::newRow("allOff") << "allOff" << false;
        QTest::newRow("OPMODE0 without rows") << "OPMODE0" << false;
        QTest::newRow("NORMAL1 without rows") << "NORMAL1" << false;
    }
    void fixedResults()
    {
        QFETCH(QString, command);
        const QVariant result = f.run(command);
        QCOMPARE(result.typeId(), QMetaType::Bool);
        QTEST(result.toBool(), "result");
    }

    // Requests by name ("Board.COMMAND", as from the pipe) reach the same commands.
    void throughApplication_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("result");
        QTest::newRow("roof") << "Board.RoofPattern" << true;
        QTest::newRow("update") << "Board.update" << false;
        QTest::newRow("allOn") << "Board.allOn" << false;
    }
    void throughApplication()
    {
        QFETCH(QString, name);
        QVariant args = QString();
        QVariant result;
        f.app->run(name, args, &result);
        QCOMPARE(result.typeId(), QMetaType::Bool);
        QTEST(result.toBool(), "result");
    }

    // A device-row command without its row sends nothing.
    void rowsMissing_data()
    {
        QTest::addColumn<QString>("command");
        for (const char *name : {"OPMODE0", "OPMODE1", "NORMAL0", "NORMAL1"})
            QTest::newRow(name) << QString(name);
    }
    void rowsMissing()
    {
        QFETCH(QString, command);
        QCOMPARE(f.run(command), QVariant(false));
        QTest::qWait(30);
        QCOMPARE(f.take(), QList<QByteArray>());
    }
};

QTEST_MAIN(TestBoardCommands)
#include "tst_boardcommands.moc"
