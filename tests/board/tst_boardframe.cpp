// The board page inside the program: its completed form, its bindings and the KVL52404 map.
#include "boardappfixture.h"

#include <QComboBox>
#include <QIntValidator>
#include <QLineEdit>
#include <qcustomplot.h>

class TestBoardFrame : public QObject
{
    Q_OBJECT

    BoardAppFixture f;

    QStringList items(const char *combo) const
    {
        QStringList texts;
        if (QComboBox *box = f.widget<QComboBox>(combo))
            for (int i = 0; i < box->count(); ++i)
                texts << box->itemText(i);
        return texts;
    }

private slots:
    void initTestCase() { QVERIFY(f.start()); }

    void comboItems_data()
    {
        QTest::addColumn<QString>("combo");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("last");
        QTest::newRow("buck 1") << "cmBCK1FREQ" << 63 << "1. 180 kHz"
                                << "2. 188 kHz"
                                << "63. 2648 kHz";
        QTest::newRow("buck 2") << "cmBCK2FREQ" << 63 << "1. 180 kHz"
                                << "2. 188 kHz"
                                << "63. 2648 kHz";
        QTest::newRow("boost clock") << "cmBSTSRCFREQ" << 32 << "0. 125.00 kHz"
                                     << "1. 140.35 kHz"
                                     << "31. 4000.00 kHz";
        QTest::newRow("soft start") << "cmBSTSOFTSTART" << 8 << "0. Soft-start OFF"
                                    << "1. 12 us"
                                    << "7. 60 us";
        QTest::newRow("clock source") << "cmBSTSRC" << 4 << "0. Off"
                                      << "1. Internal"
                                      << "3. Auto";
        QTest::newRow("regulation 1") << "cmBUCK1_REGSTATUS" << 4 << "0. Disabled"
                                      << "1. IRIP failure"
                                      << "3. IRIP is settling";
        QTest::newRow("regulation 2") << "cmBUCK2_REGSTATUS" << 4 << "0. Disabled"
                                      << "1. IRIP failure"
                                      << "3. IRIP is settling";
    }
    void comboItems()
    {
        QFETCH(QString, combo);
        const QStringList texts = items(combo.toLatin1().constData());
        QTEST(int(texts.size()), "count");
        QTEST(texts.first(), "first");
        QTEST(texts.at(1), "second");
        QTEST(texts.last(), "last");
    }

    // Items in the middle of the tables, where a rounding or numbering slip would show.
    void middleItems()
    {
        QCOMPARE(items("cmBSTSRCFREQ").at(20), QString("20. 1066.67 kHz"));
        QCOMPARE(items("cmBCK1FREQ").at(33), QString("34. 753 kHz"));
        QCOMPARE(items("cmBSTSOFTSTART").at(4), QString("4. 36 us"));
    }

    void validators_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<int>("bottom");
        QTest::addColumn<int>("top");
        QTest::newRow("effect time") << "leEffectTime" << 70 << 9999;
        QTest::newRow("slave 2") << "leW_BANK_SA_2" << -1 << 31;
        QTest::newRow("slave 3") << "leW_BANK_SA_3" << -1 << 31;
    }
    void validators()
    {
        QFETCH(QString, edit);
        QLineEdit *line = f.widget<QLineEdit>(edit.toLatin1().constData());
        QVERIFY(line);
        auto *validator = qobject_cast<const QIntValidator *>(line->validator());
        QVERIFY(validator);
        QTEST(validator->bottom(), "bottom");
        QTEST(validator->top(), "top");
    }

    void plots()
    {
        for (const char *name : {"plotCH1", "plotCH2"}) {
            QCustomPlot *plot = f.widget<QCustomPlot>(name);
            QVERIFY(plot);
            QCOMPARE(plot->graphCount(), 1);
            QCOMPARE(plot->graph(0)->pen().color(), QColor(Qt::red));
            QCOMPARE(plot->graph(0)->name(), QString("Output current"));
            QCOMPARE(plot->xAxis->label(), QString("Time [us]"));
            QCOMPARE(plot->yAxis->label(), QString("Current [mA]"));
        }
    }

    // A TO3/TO4 project keeps the mode selection and broadcast writes.
    void to3Enabling()
    {
        QCOMPARE(f.app->projectType(), QString("TO3/TO4"));
        QVERIFY(f.widget<QWidget>("comboBox")->isEnabledTo(f.page()));
        QVERIFY(f.widget<QWidget>("cbBroadcast")->isEnabledTo(f.page()));
    }

    void bindings_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("answers");
        QTest::newRow("bank field") << "Board.BANK[TSD_CODE]" << true;
        QTest::newRow("write image") << "Board.BANKX[SW1]" << true;
        QTest::newRow("duty") << "Board.DCREG[SW35]" << true;
        QTest::newRow("variable") << "Board.VLED2" << true;
        QTest::newRow("driver register") << "Board.P205STATUS[BOOST_OV]" << true;
        QTest::newRow("map field") << "Board.SPI_MAPP404[VBST]" << true;
        QTest::newRow("read answer") << "Board.SPI_OUT_RD_TP404[BSTERR]" << true;
        QTest::newRow("write answer") << "Board.SPI_OUT_WR_TP404[LAST_ADDR]" << true;
        QTest::newRow("outgoing frame") << "Board.SPI_IN_WR_TP404[CMD]" << false;
        QTest::newRow("crc block") << "Board.SPI_CRC_EXT_TP404[CMD_0]" << false;
    }
    void bindings()
    {
        QFETCH(QString, name);
        QVariant value;
        QTEST(f.getItem(name, &value), "answers");
        QVERIFY(f.take().isEmpty()); // a get asks nothing of the board
    }

    void bindingOrder()
    {
        const QStringList names = f.page()->itemNames();
        const QStringList expected = {"BANK",
                                      "BANKX",
                                      "DCREG",
                                      "DCALL",
                                      "SA",
                                      "BROADCAST",
                                      "BOOSTP205",
                                      "P205STATUS",
                                      "BoostVoltage",
                                      "BoostVoltageMeas",
                                      "BOOSTFREQ",
                                      "BOOSTPWM",
                                      "BatteryVoltage",
                                      "BUCK1",
                                      "BUCK2",
                                      "IPEAK1",
                                      "IPEAK2",
                                      "IAVERAGE1",
                                      "IAVERAGE2",
                                      "IRIPPLE1",
                                      "IRIPPLE2",
                                      "LEDCTRL1",
                                      "LEDCTRL2",
                                      "PWM1",
                                      "PWM2",
                                      "FREQ1",
                                      "FREQ2",
                                      "DUTY1",
                                      "DUTY2",
                                      "VLED1",
                                      "VLED2",
                                      "SPI_OUT_WR_TP404",
                                      "SPI_OUT_RD_TP404",
                                      "SPI_MAPP404"};
        QCOMPARE(names, expected);
    }

    // 64 addresses of 21 bits, 248 fields; the limits of the boost voltages start at 50.
    void mapLayout()
    {
        Register map;
        map.setDefinition(Board::p404MapDefinition());
        QCOMPARE(map.size(), 64 * 21);
        QCOMPARE(Board::p404MapDefinition().count("@field="), 248);
        QVERIFY(Board::p404MapDefinition().startsWith(
            "@register=SPI_MAPP404;@field=NOP[20:0] @value=0 @ADD=0 @DATA=1;"));
        for (int a : {0, 1, 2, 13, 33, 46, 54, 55, 63}) {
            Register *word = map.selectByAttribute("ADD", QString::number(a));
            QCOMPARE(word->size(), 21);
            for (int i = 0; i < 21; ++i)
                QVERIFY(word->bitAt(i) == map.bitAt(a * 21 + i));
        }
        // Named fields of both buck channels sit at their addresses' first bits.
        const QList<QPair<const char *, int>> firstBits = {
            {"BUCK1_IAVG", 1 * 21},           {"VLED1_RNG", 2 * 21 + 14},
            {"LEDCTRL1_MD", 3 * 21},          {"BUCK2_IAVG", 5 * 21},
            {"VLED2_RNG", 6 * 21 + 14},       {"BUCK2_REGFAIL_FMASK", 8 * 21 + 2},
            {"BUCK1_RUNNING", 33 * 21},       {"VLED2", 42 * 21},
            {"BUCK2_IAVG_DAC", 46 * 21 + 10}, {"REVID", 63 * 21}};
        for (const auto &field : firstBits) {
            Register *bits = map.select(QString(field.first));
            QVERIFY2(bits && bits->size() > 0, field.first);
            QVERIFY2(bits->bitAt(0) == map.bitAt(field.second), field.first);
        }
        QCOMPARE(map.getField("SPI_MAPP404[BST1_VLIM_THR]"), 50u);
        QCOMPARE(map.getField("SPI_MAPP404[BST2_VLIM_THR]"), 50u);
        QCOMPARE(map.getField("SPI_MAPP404[BST_VSETPOINT]"), 0u);
    }

    // The bound map: address 55 is bits 1155..1175, VBST its low nine.
    void boundMapAddress55()
    {
        QVERIFY(f.setItem("Board.SPI_MAPP404[VBST]", 0x1A5));
        QVariant value;
        QVERIFY(f.getItem("Board.SPI_MAPP404[1163:1155]", &value));
        QCOMPARE(value.toUInt(), 0x1A5u);
        QVERIFY(f.getItem("Board.SPI_MAPP404[1154:1146]", &value));
        QCOMPARE(value.toUInt(), 0u);
    }
};

QTEST_MAIN(TestBoardFrame)
#include "tst_boardframe.moc"
