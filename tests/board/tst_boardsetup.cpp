// Each connection configures the controller, detects the LED-driver board from its EEPROM,
// selects and configures its power stage and resets the page.
#include "boardglobals.h"
#include "controlboard.h"
#include "localclient.h"
#include "setupappfixture.h"
#include "slider.h"
#include "testfiles.h"

#include <QAction>
#include <QCheckBox>
#include <QDial>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

#include <atomic>
#include <thread>

namespace
{

using Lines = QList<QByteArray>;

const Lines ControllerSetup{"set SPI0CONF",
                            "set SPI0CS0CONF",
                            "set SPI0CS0SPEED=300000",
                            "set SPI0CS0CPOL=0",
                            "set SPI0CS0NCPHA=1",
                            "set SPI0CS3CONF",
                            "set SPI0CS3SPEED=300000",
                            "set SPI0CS3CPOL=0",
                            "set SPI0CS3NCPHA=1",
                            "set DIO03DIR=1",
                            "set DIO03CONF=00",
                            "set DIO04DIR=1",
                            "set DIO04CONF=00",
                            "set SER2CONF",
                            "set SER2BAUD=250000",
                            "set PWM0CONF",
                            "set PWM0FREQ=1000",
                            "set PWM0DUTY=50",
                            "set PWM0START",
                            "set PWM1CONF",
                            "set PWM1FREQ=300000",
                            "set PWM1DUTY=50",
                            "set PWM1START",
                            "set PWM2CONF",
                            "set PWM2FREQ=1000",
                            "set PWM2DUTY=50",
                            "set PWM2START"};
const Lines P404ChipSelect{"set SPILEDCONF", "set SPILEDCS0SPEED=300000", "set SPILEDCS0CPOL=0",
                           "set SPILEDCS0NCPHA=1"};
// A detected driver's LED-control lines held statically on.
const Lines StaticLedControl{"set PWM0DUTY=100", "set PWM2DUTY=100"};
// The KVL52404's defaults written, then its boost and LED voltages read.
const QStringList P404Frames{"w1",  "w2",  "w3",  "w5",  "w6", "w7",  "w13", "w14",
                             "w15", "w17", "w18", "r55", "r2", "r35", "r6",  "r42"};

const QString ConfigBox = QStringLiteral("BOOST-BUCK: EEPROM is not connected or config data are "
                                         "not valid!\n You will not be able to control the "
                                         "current source.");
const QString ComponentBox =
    QStringLiteral("BOOST-BUCK: EEPROM does not contain valid component data. Loading "
                   "defaults. Some GUI calculations might not be accurate.");
const QString DefaultConfiguration = QStringLiteral("configuration/Configuration12.txt");
const QString ComponentLog =
    QStringLiteral("1000 Invalid component data bit found in external EEPROM. Loading defaults.");

// The EEPROM's parameter block starts at this address in every image.
constexpr int ParamsAddress = 0x40;

bool isEepromLine(const QByteArray &line)
{
    return line.contains("SPI0CS3DATA");
}
bool isChipTransfer(const QByteArray &line)
{
    return line.contains("SPI0CS0DATA") || line.contains("SPILEDCS0DATA");
}

// The KVL52404 frames sent, in order: "w" or "r" and the address.
QStringList p404Frames(const Lines &lines)
{
    QStringList frames;
    for (const QByteArray &line : lines) {
        if (line.startsWith("set SPILEDCS0DATA=04")) {
            const unsigned head = line.mid(20, 2).toUInt(nullptr, 16);
            frames << QStringLiteral("%1%2")
                          .arg(QLatin1Char(head & 0x80 ? 'w' : 'r'))
                          .arg((head & 0x7F) >> 1);
        }
    }
    return frames;
}

// The lines of a set-up with the EEPROM's and the driver chips' transfers left out.
Lines commandLines(Lines lines)
{
    lines.removeIf([](const QByteArray &l) { return isEepromLine(l) || isChipTransfer(l); });
    return lines;
}

// The LED-control lines held static on after a valid detection.

// The register addresses of the KVL52205 write words sent, one per transfer.
QList<int> p205WriteAddresses(const Lines &lines)
{
    QList<int> addresses;
    for (const QByteArray &line : lines) {
        if (line.startsWith("set SPI0CS0DATA=02")) {
            const unsigned word = line.mid(18, 4).toUInt(nullptr, 16);
            addresses.append(int((word >> 11) & 0xF));
        }
    }
    return addresses;
}

QString ratingsText(const Board::DriverRatings &r)
{
    return QStringLiteral("%1/%2/%3/%4").arg(r.ripple1).arg(r.ripple2).arg(r.peak1).arg(r.peak2);
}

} // namespace

class TestBoardSetup : public QObject
{
    Q_OBJECT

    SetupAppFixture f;

    void resetModel()
    {
        BoardGlobals &g = boardGlobals();
        g.LEDCTRL1.setValue(0, Variable::InternalKey);
        g.LEDCTRL2.setValue(0, Variable::InternalKey);
        g.BOOSTP205.setValue(0u, true);
        g.BUCK1.setValue(0u, true);
        g.BUCK2.setValue(0u, true);
    }

private slots:
    void initTestCase() { QVERIFY(f.start()); }
    void init() { resetModel(); }

    // The lines, tabs, group, log and boxes of one connection to each driver board.
    void driverBoards_data()
    {
        QTest::addColumn<int>("image");
        QTest::addColumn<Lines>("chipLines");
        QTest::addColumn<int>("eepromLines");
        QTest::addColumn<bool>("p205Tab");
        QTest::addColumn<bool>("p404Tab");
        QTest::addColumn<bool>("group");
        QTest::addColumn<QStringList>("logs");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("ratings");
        QTest::addColumn<bool>("ledControl");
        QTest::addColumn<QStringList>("frames");
        const Lines p205 = Lines(ControllerSetup.mid(0, 9));
        QStringList p404Logs{"0 KVL52404 detected", "0 Configure SPILED@0 P404",
                             "0 SPIMemoryWrite"};
        for (const char *address : {"1", "2", "3", "5", "6", "7", "13", "14", "15", "17", "18"})
            p404Logs << QStringLiteral("0 Address %1").arg(QLatin1String(address));
        for (const QStringList &read : {QStringList{"55"}, {"2", "35"}, {"6", "42"}}) {
            p404Logs << QStringLiteral("0 SPIMemoryRead");
            for (const QString &address : read)
                p404Logs << QStringLiteral("0 Address %1").arg(address);
        }
        // Configuration and parameter block: length, primary and check copy, a set and a get
        // each.
        QTest::newRow("KVL52404") << int(FakeSpiEeprom::Kvl52404Board)
                                  << P404ChipSelect + StaticLedControl << 12 << false << true
                                  << true << p404Logs << QStringList() << "47/256/330/330" << true
                                  << P404Frames;
        QTest::newRow("code 16") << int(FakeSpiEeprom::Kvl52404BuckBoard)
                                 << P404ChipSelect + StaticLedControl << 12 << false << true << true
                                 << p404Logs << QStringList() << "47/256/330/330" << true
                                 << P404Frames;
        QTest::newRow("KVL52205") << int(FakeSpiEeprom::Kvl52205Board) << p205 + StaticLedControl
                                  << 12 << true << false << true
                                  << QStringList{"0 KVL52205 detected", "0 Configure SPI@0 P205"}
                                  << QStringList() << "100/120/200/330" << true << QStringList();
        QTest::newRow("unsupported")
            << int(FakeSpiEeprom::UnsupportedBoard) << StaticLedControl << 6 << true << true << true
            << QStringList() << QStringList() << "100/100/200/200" << true << QStringList();
        QTest::newRow("blank") << int(FakeSpiEeprom::Blank) << Lines() << 2 << false << false
                               << false << QStringList() << QStringList{ConfigBox}
                               << "100/100/200/200" << false << QStringList();
    }
    void driverBoards()
    {
        QFETCH(int, image);
        // Start from a page on which both tabs are enabled and the group shows.
        QVERIFY(f.connectMockup());
        QVERIFY(f.connectWith(FakeSpiEeprom::Image(image)));
        const Lines lines = f.take();
        QFETCH(Lines, chipLines);
        const Lines commands = commandLines(lines);
        QCOMPARE(commands.mid(0, 27 + chipLines.size()), ControllerSetup + chipLines);
        QCOMPARE(commands.size(), 27 + chipLines.size());
        QFETCH(bool, ledControl);
        QCOMPARE(lines.mid(0, 27), ControllerSetup);
        QTEST(int(std::count_if(lines.begin(), lines.end(), isEepromLine)), "eepromLines");
        QTEST(f.tabEnabled("KVL52205"), "p205Tab");
        QTEST(f.tabEnabled("KVL52404"), "p404Tab");
        QTEST(!f.widget<QGroupBox>("gbLEDDRIVER")->isHidden(), "group");
        QTEST(f.logs, "logs");
        QStringList boxes;
        for (const Prompt::Message &box : f.boxes()) {
            QCOMPARE(box.icon, Prompt::NoIcon);
            QVERIFY(box.title.isEmpty());
            QCOMPARE(box.buttons, int(Prompt::Ok));
            boxes.append(box.text);
        }
        QTEST(boxes, "boxes");
        QTEST(ratingsText(f.page()->driverRatings()), "ratings");
        QCOMPARE(boardGlobals().LEDCTRL1.value() == 1.0, ledControl);
        QCOMPARE(boardGlobals().LEDCTRL2.value() == 1.0, ledControl);
        QTEST(p404Frames(lines), "frames");
        QVERIFY(f.spi.violations().isEmpty());
        QVERIFY(f.eeprom.violations().isEmpty());
    }

    // The KVL52205's power-up image goes to the chip, register 2 last, each word twice; the
    // page's model holds the settings its controls show, and no control is refreshed yet.
    void p205Defaults()
    {
        QCheckBox *enable = f.widget<QCheckBox>("cbBOOSTEN");
        QDial *dial = f.widget<QDial>("dialBoostVoltage");
        enable->setChecked(false);
        const int dialBefore = dial->value();
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52205Board));
        const Lines lines = f.take();
        const QList<int> expected{1, 1, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 2, 2};
        QCOMPARE(p205WriteAddresses(lines), expected);
        const QList<quint16> image{413, 43, 474, 24, 24, 544, 435, 12, 1023, 1023};
        for (int address = 1; address <= 10; ++address)
            QCOMPARE(f.spi.kvl52205Register(address), image.at(address - 1));
        BoardGlobals &g = boardGlobals();
        QCOMPARE(g.BOOSTP205.getField("[EN]"), 1u);
        QCOMPARE(g.BOOSTP205.getField("[SRC]"), 1u);
        QCOMPARE(g.BOOSTP205.getField("[VSETPOINT]"), 90u);
        for (Register *buck : {&g.BUCK1, &g.BUCK2}) {
            QCOMPARE(buck->getField("[VTHR]"), 27u);
            QCOMPARE(buck->getField("[TOFF_SET]"), 8u);
            QCOMPARE(buck->getField("[EN]"), 0u);
        }
        QVERIFY(!enable->isChecked());
        QCOMPARE(dial->value(), dialBefore);
    }

    // A parameter block whose check copy disagrees loads the chip's defaults.
    void invalidComponentData_data()
    {
        QTest::addColumn<int>("image");
        QTest::addColumn<QString>("ratings");
        QTest::newRow("KVL52404") << int(FakeSpiEeprom::Kvl52404Board) << "47/47/330/330";
        QTest::newRow("KVL52205") << int(FakeSpiEeprom::Kvl52205Board) << "100/100/200/200";
    }
    void invalidComponentData()
    {
        QFETCH(int, image);
        QByteArray contents = FakeSpiEeprom::image(FakeSpiEeprom::Image(image));
        contents[ParamsAddress + 481 + 4] = char(quint8(contents.at(ParamsAddress + 481 + 4)) ^ 1);
        f.eeprom.load(contents);
        QVERIFY(f.connectFresh());
        QVERIFY(f.logs.contains(ComponentLog));
        QCOMPARE(f.boxes().size(), 1);
        QCOMPARE(f.boxes().at(0).text, ComponentBox);
        QCOMPARE(f.boxes().at(0).icon, Prompt::NoIcon);
        QTEST(ratingsText(f.page()->driverRatings()), "ratings");
        QVERIFY(!f.widget<QGroupBox>("gbLEDDRIVER")->isHidden());
    }

    // A failed detection hides the group and disables both tabs; the next good one shows the
    // group again, and an unsupported chip leaves the tabs as they were.
    void secondConnection()
    {
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52205Board));
        QCOMPARE(ratingsText(f.page()->driverRatings()), QStringLiteral("100/120/200/330"));
        QVERIFY(f.connectWith(FakeSpiEeprom::Blank));
        QCOMPARE(ratingsText(f.page()->driverRatings()), QStringLiteral("100/100/200/200"));
        QVERIFY(f.widget<QGroupBox>("gbLEDDRIVER")->isHidden());
        QVERIFY(f.connectWith(FakeSpiEeprom::UnsupportedBoard));
        QVERIFY(!f.tabEnabled("KVL52205"));
        QVERIFY(!f.tabEnabled("KVL52404"));
        QVERIFY(!f.widget<QGroupBox>("gbLEDDRIVER")->isHidden());
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52205Board));
        QVERIFY(f.tabEnabled("KVL52205"));
        QVERIFY(!f.tabEnabled("KVL52404"));
        QCOMPARE(f.take().mid(0, 27), ControllerSetup);
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
        QVERIFY(!f.tabEnabled("KVL52205"));
        QVERIFY(f.tabEnabled("KVL52404"));
    }

    // The mock-up board needs no set-up: it gets no command, both tabs are enabled and the
    // basic ratings hold, without a box of the detection's own.
    void mockup()
    {
        QVERIFY(f.connectWith(FakeSpiEeprom::Blank));
        f.take();
        ControlBoard *link = f.app->controlBoard();
        link->setLogEnabled(true);
        QSignalSpy linkLog(link, &ControlBoard::signal_log);
        f.logs.clear();
        QVERIFY(f.connectMockup());
        link->setLogEnabled(false);
        QVERIFY(!linkLog.isEmpty());
        for (const QList<QVariant> &entry : linkLog) {
            const QString text = entry.at(1).toString();
            QVERIFY2(!text.contains("CONF") && !text.contains("DUTY") && !text.contains("CS3DATA"),
                     qPrintable(text));
        }
        QVERIFY(f.take().isEmpty());
        QVERIFY(f.tabEnabled("KVL52205"));
        QVERIFY(f.tabEnabled("KVL52404"));
        QVERIFY(!f.widget<QGroupBox>("gbLEDDRIVER")->isHidden());
        QCOMPARE(ratingsText(f.page()->driverRatings()), QStringLiteral("100/100/200/200"));
        QCOMPARE(boardGlobals().LEDCTRL1.value(), 0.0);
        QVERIFY(f.logs.isEmpty());
        f.app->disconnectBoard();
    }

    // A device opened by a pipe request is a real board, whatever the connection bar shows.
    void openFromThePipe()
    {
        f.app->disconnectBoard();
        f.eeprom.load(FakeSpiEeprom::image(FakeSpiEeprom::Kvl52205Board));
        f.board.clearRecords();
        std::atomic<bool> done{false};
        QVariant result;
        const QString path = f.board.devicePath();
        std::thread client([&]() {
            LocalClient pipe(QStringLiteral("KVL52110"), 60000);
            pipe.run(QStringLiteral("open"), {path}, &result);
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done, 60000);
        client.join();
        QCOMPARE(result.toInt(), 1);
        QVERIFY(f.app->isConnected());
        const Lines lines = f.take();
        QCOMPARE(commandLines(lines),
                 ControllerSetup + ControllerSetup.mid(0, 9) + StaticLedControl);
        QVERIFY(f.tabEnabled("KVL52205"));
        QVERIFY(!f.tabEnabled("KVL52404"));
    }

    // The page's bookkeeping starts over: the script table with its four stretched columns,
    // the Application tab, the test groups hidden and the window shown with its entry checked.
    void pageReset()
    {
        QTableWidget *table = f.widget<QTableWidget>("tableAnimationScripts");
        table->setColumnCount(1);
        table->setRowCount(3);
        QTabWidget *tabs = f.widget<QTabWidget>("tabWidget");
        tabs->setCurrentIndex(tabs->count() - 1);
        f.widget<QWidget>("gbTest")->show();
        f.widget<QWidget>("gb_UARTspd")->show();
        f.page()->hideWindow();
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
        QCOMPARE(table->rowCount(), 0);
        QCOMPARE(table->columnCount(), 4);
        const QStringList headers{"Name", "Delay", "Steps", "File"};
        for (int column = 0; column < 4; ++column) {
            QCOMPARE(table->horizontalHeaderItem(column)->text(), headers.at(column));
            QCOMPARE(table->horizontalHeader()->sectionResizeMode(column), QHeaderView::Stretch);
        }
        QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("Application"));
        QVERIFY(f.widget<QWidget>("gbTest")->isHidden());
        QVERIFY(f.widget<QWidget>("gb_UARTspd")->isHidden());
        QVERIFY(!f.page()->container()->isHidden());
        QVERIFY(f.page()->action()->isChecked());
        // Connected again with the window shown: it stays shown.
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
        QVERIFY(!f.page()->container()->isHidden());
        QVERIFY(f.page()->action()->isChecked());
    }

    // Each connection loads the default matrix configuration of the working directory, also
    // after a failed detection; one that is missing or refused leaves the matrix in place.
    void defaultConfiguration()
    {
        QVERIFY(TestFiles::installShippedConfiguration());
        QWidget *area = f.widget<QWidget>("SWwidget");
        const auto sliderCount = [area]() {
            return area->findChildren<CustomControls::Slider *>().size();
        };
        QVERIFY(f.connectWith(FakeSpiEeprom::Blank));
        QCOMPARE(sliderCount(), 12);
        QVERIFY(QFile::remove(DefaultConfiguration));
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
        QCOMPARE(f.prompt.messages().size(), f.boxesBefore + 1); // the loader's "Error"
        QCOMPARE(sliderCount(), 12);
        QVERIFY(TestFiles::write(DefaultConfiguration, "NumberOfDevices 3\nPixelsPerDevice 12\n"
                                                       "NumberOfRows 1\nNumberOfCols 12\n"));
        QVERIFY(f.connectWith(FakeSpiEeprom::Kvl52404Board));
        QCOMPARE(f.prompt.messages().size(), f.boxesBefore + 1); // "Load configuration"
        QCOMPARE(sliderCount(), 12);
        QVERIFY(TestFiles::installShippedConfiguration());
    }

    // Automatic addressing hands its addresses to the page through one connection, however
    // often the board connects.
    void addressHandOverConnectedOnce()
    {
        QVERIFY(f.connectWith(FakeSpiEeprom::Blank));
        QVERIFY(f.connectWith(FakeSpiEeprom::Blank));
        AutoAddressing *addressing = AutoAddressing::instance();
        QVERIFY(addressing);
        QVERIFY(QObject::disconnect(addressing, &AutoAddressing::setAddress, f.page(),
                                    &Board::getAddress));
        QVERIFY(!QObject::disconnect(addressing, &AutoAddressing::setAddress, f.page(),
                                     &Board::getAddress));
        QVERIFY(f.connectWith(FakeSpiEeprom::Blank));
        QVERIFY(QObject::disconnect(addressing, &AutoAddressing::setAddress, f.page(),
                                    &Board::getAddress));
    }

    // The M-LVDS transceiver's driver pin, enabled and disabled.
    void lvdsButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("direction");
        QTest::newRow("enable") << "pbLVDSEN" << QByteArray("0");
        QTest::newRow("disable") << "pbLVDSDIS" << QByteArray("1");
    }
    void lvdsButtons()
    {
        QVERIFY(f.connectWith(FakeSpiEeprom::Blank));
        f.take();
        QFETCH(QString, button);
        f.page()->findChild<QPushButton *>(button)->click();
        QFETCH(QByteArray, direction);
        QCOMPARE(f.take(), (Lines{"set DIO22CONF=00", "set DIO22DIR=" + direction, "set DIO22=0"}));
    }
};

QTEST_MAIN(TestBoardSetup)
#include "tst_boardsetup.moc"
